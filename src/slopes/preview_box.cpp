#include "slopes/preview_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>

namespace hdmjm {
namespace {

QColor ToQColor(const PreviewColour& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

QPen ToQPen(const PreviewPen& pen) {
  QPen qpen(ToQColor(pen.colour), pen.width,
            pen.style == PreviewPenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
  // Wide pens end round, as the sketch's thick ditch sides always have.
  qpen.setCapStyle(pen.width > 1 ? Qt::RoundCap : Qt::FlatCap);
  qpen.setJoinStyle(Qt::RoundJoin);
  return qpen;
}

}  // namespace

void PaintPreview(QPainter& painter, const PreviewDrawing& drawing, const QRect& box) {
  painter.save();
  painter.setClipRect(box, Qt::IntersectClip);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(box, ToQColor(drawing.background));
  painter.setBackground(ToQColor(drawing.background));
  painter.translate(box.topLeft());
  for (const PreviewStroke& stroke : drawing.strokes) {
    painter.setPen(ToQPen(stroke.pen));
    painter.drawLine(QPoint(stroke.from.x, stroke.from.y), QPoint(stroke.to.x, stroke.to.y));
  }
  painter.restore();
}

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {}

void PreviewBox::SetDrawing(PreviewDrawing drawing) {
  source_ = nullptr;
  drawing_ = std::move(drawing);
  update();
}

void PreviewBox::SetSource(Source source) {
  source_ = std::move(source);
  update();
}

void PreviewBox::Clear() {
  source_ = nullptr;
  drawing_.reset();
  update();
}

void PreviewBox::paintEvent(QPaintEvent*) {
  if (source_) {
    if (auto drawing = source_(width(), height())) drawing_ = std::move(drawing);
  }
  if (!drawing_) return;
  QPainter painter(this);
  PaintPreview(painter, *drawing_, rect());
}

}  // namespace hdmjm
