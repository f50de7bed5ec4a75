#include "app/strip_view.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "pages/qt_text.h"
#include "store/field_text.h"

namespace hdmjm {
namespace {

constexpr int kLabelWidth = 190;  // the band names at the left
constexpr int kBandHeight = 18;
constexpr int kBandGap = 3;
constexpr int kAxisHeight = 34;
constexpr int kTopMargin = 22;  // room for the chain-break labels
constexpr int kRightMargin = 12;
constexpr double kZoomStep = 1.25;  // per notch of the wheel
constexpr double kLeastTextWidth = 16;

const QColor kPieceColours[] = {QColor(0xdf, 0xe9, 0xf7), QColor(0xc9, 0xda, 0xf1)};
const QColor kFlaggedColour(0xff, 0xb4, 0xb4);
const QColor kFlaggedEdge(0xd0, 0x00, 0x00);
const QColor kTickColour(0x30, 0x40, 0x60);
const QColor kGapColour(0xb0, 0xb0, 0xb0, 0x70);

// A step of 1, 2 or 5 times a power of ten, at least `least`.
double NiceStep(double least) {
  const double power = std::pow(10.0, std::floor(std::log10(std::max(least, 1e-3))));
  for (double factor : {1.0, 2.0, 5.0, 10.0})
    if (factor * power >= least) return factor * power;
  return 10 * power;
}

}  // namespace

StripView::StripView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

void StripView::SetRoad(const RoadSectionStore* record, const Findings& findings) {
  const bool same = shown_ && record && road_.name == record->roadName;
  road_ = record ? BuildStripRoad(*record, findings) : StripRoad{};
  shown_ = record != nullptr;
  leftCount_ = rightCount_ = 0;
  for (const StripBand& band : road_.bands) {
    leftCount_ += band.group == BandGroup::Left;
    rightCount_ += band.group == BandGroup::Right;
  }
  if (!same) {  // an edit keeps the view where the designer put it
    followWidth_ = true;
    FitWidth();
  }
  setMinimumHeight(Height());
  updateGeometry();
  update();
}

void StripView::FitWidth() {
  const double span = road_.high - road_.low;
  const int room = std::max(width() - kLabelWidth - kRightMargin, 50);
  scale_ = span * 1.04 / room;
  first_ = road_.low - span * 0.02;
}

double StripView::X(double station) const { return kLabelWidth + (station - first_) / scale_; }
double StripView::StationAt(double x) const { return first_ + (x - kLabelWidth) * scale_; }

int StripView::AxisY() const { return kTopMargin + leftCount_ * (kBandHeight + kBandGap); }

// Left bands count up from the axis, right bands down from it, the whole road's after a gap.
int StripView::BandTop(int band) const {
  const StripBand& b = road_.bands[band];
  int index = 0;
  for (int i = 0; i < band; ++i) index += road_.bands[i].group == b.group;
  const int step = kBandHeight + kBandGap;
  if (b.group == BandGroup::Left) return AxisY() - (index + 1) * step;
  const int below = AxisY() + kAxisHeight;
  if (b.group == BandGroup::Right) return below + index * step;
  return below + rightCount_ * step + kBandHeight + index * step;
}

int StripView::Height() const {
  const int whole = static_cast<int>(road_.bands.size()) - leftCount_ - rightCount_;
  return AxisY() + kAxisHeight + (rightCount_ + whole + 2) * (kBandHeight + kBandGap);
}

QSize StripView::sizeHint() const { return {900, std::max(Height(), 200)}; }

void StripView::resizeEvent(QResizeEvent*) {
  if (followWidth_) FitWidth();
}

void StripView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter, size());
}

void StripView::Paint(QPainter& painter, QSize size) const {
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  if (!shown_) return;
  const int right = size.width() - kRightMargin;
  PaintBreaks(painter, right);
  for (int band = 0; band < static_cast<int>(road_.bands.size()); ++band)
    PaintBand(painter, road_.bands[band], BandTop(band), right);
  PaintAxis(painter, right);
}

void StripView::PaintBand(QPainter& painter, const StripBand& band, int top, int right) const {
  painter.setPen(Qt::black);
  const QString name = ToQString(band.table->Name(band.side));
  painter.drawText(QRect(4, top, kLabelWidth - 8, kBandHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   name);
  painter.save();
  painter.setClipRect(QRect(kLabelWidth, top - 1, right - kLabelWidth, kBandHeight + 2));
  const QFontMetrics metrics = painter.fontMetrics();
  for (const StripPiece& piece : band.pieces) {
    const double x0 = X(std::min(piece.from, piece.to)), x1 = X(std::max(piece.from, piece.to));
    if (!std::isfinite(x0) || !std::isfinite(x1) || x1 < kLabelWidth || x0 > right) continue;
    const QRectF box(x0, top, std::max(x1 - x0, 1.0), kBandHeight);
    painter.fillRect(box, piece.flagged ? kFlaggedColour : kPieceColours[piece.row % 2]);
    if (piece.flagged) {
      painter.setPen(kFlaggedEdge);
      painter.drawRect(box);
    }
    painter.setPen(kTickColour);
    painter.drawLine(QPointF(X(piece.to), top), QPointF(X(piece.to), top + kBandHeight));
    // Only a piece wide enough for a few characters is worth measuring its text for.
    if (piece.text.empty() || box.width() < kLeastTextWidth) continue;
    const QString text = ToQString(piece.text);
    if (metrics.horizontalAdvance(text) + 6 < box.width())
      painter.drawText(box, Qt::AlignCenter, text);
  }
  painter.restore();
}

void StripView::PaintAxis(QPainter& painter, int right) const {
  const int y = AxisY() + kAxisHeight / 2;
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawLine(kLabelWidth, y, right, y);
  painter.drawText(QRect(4, y - 9, kLabelWidth - 8, 18), Qt::AlignVCenter | Qt::AlignLeft,
                   ToQString(road_.name) + QStringLiteral(" 中线"));
  const double step = NiceStep(scale_ * 90);
  painter.setPen(QPen(Qt::black, 1));
  for (double station = std::ceil(StationAt(kLabelWidth) / step) * step; X(station) <= right;
       station += step) {
    painter.drawLine(QPointF(X(station), y - 4), QPointF(X(station), y + 4));
    painter.drawText(QRectF(X(station) - 60, y + 4, 120, 14), Qt::AlignHCenter | Qt::AlignTop,
                     ToQString(StationText(road_.prefix, station)));
  }
  if (!road_.extent) return;
  painter.setPen(QPen(QColor(0, 0, 160), 2));
  for (auto [station, word] :
       {std::pair{road_.extent->start, "起点"}, {road_.extent->end, "终点"}}) {
    const double x = X(station);
    if (x < kLabelWidth || x > right) continue;
    painter.drawLine(QPointF(x, y - 10), QPointF(x, y + 10));
    painter.drawText(QRectF(x - 40, y - 24, 80, 14), Qt::AlignCenter, QString::fromUtf8(word));
  }
}

void StripView::PaintBreaks(QPainter& painter, int right) const {
  const int bottom = Height();
  for (const ChainMark& mark : road_.breaks) {
    const double x = X(mark.left);
    if (mark.right > mark.left)
      painter.fillRect(QRectF(x, kTopMargin, X(mark.right) - x, bottom - kTopMargin), kGapColour);
    if (x < kLabelWidth || x > right) continue;
    painter.setPen(QPen(QColor(0x80, 0x30, 0x00), 1, Qt::DashLine));
    painter.drawLine(QPointF(x, kTopMargin - 2), QPointF(x, bottom));
    painter.drawText(QPointF(x + 3, kTopMargin - 6), ToQString(mark.text));
  }
}

std::optional<StripHit> StripView::HitAt(QPoint point) const {
  for (int band = 0; band < static_cast<int>(road_.bands.size()); ++band) {
    const int top = BandTop(band);
    if (point.y() < top || point.y() >= top + kBandHeight || point.x() < kLabelWidth) continue;
    const double station = StationAt(point.x());
    for (const StripPiece& piece : road_.bands[band].pieces)
      if (station >= std::min(piece.from, piece.to) && station <= std::max(piece.from, piece.to))
        return StripHit{&road_.bands[band], &piece};
  }
  return std::nullopt;
}

void StripView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  const double x = event->position().x();
  const double anchor = StationAt(x);
  followWidth_ = false;
  scale_ /= std::pow(kZoomStep, notches);
  first_ = anchor - (x - kLabelWidth) * scale_;  // the station under the pointer stays there
  update();
  event->accept();
}

void StripView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = event->position().toPoint();
  dragged_ = false;
}

void StripView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_) return;
  const QPoint at = event->position().toPoint();
  if (!dragged_ && (at - *pressed_).manhattanLength() < 4) return;
  dragged_ = true;
  followWidth_ = false;
  first_ -= (at.x() - pressed_->x()) * scale_;
  pressed_ = at;
  update();
}

void StripView::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && !dragged_ && event->button() == Qt::LeftButton;
  pressed_.reset();
  if (!click || !onClick) return;
  if (const auto hit = HitAt(event->position().toPoint())) onClick(*hit);
}

bool StripView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const auto hit = HitAt(help->pos());
  if (!hit) {
    QToolTip::hideText();
    return true;
  }
  const StripPiece& piece = *hit->piece;
  QString tip = QStringLiteral("%1 第%2行: %3 至 %4")
                    .arg(ToQString(hit->band->table->Name(hit->band->side)))
                    .arg(piece.row)
                    .arg(ToQString(StationText(road_.prefix, piece.from)),
                         ToQString(StationText(road_.prefix, piece.to)));
  if (!piece.text.empty()) tip += QStringLiteral(", ") + ToQString(piece.text);
  if (piece.flagged) tip += QStringLiteral(" (有检查发现)");
  QToolTip::showText(help->globalPos(), tip, this);
  return true;
}

bool StripView::Export(const std::string& path) const {
  const QString file = QString::fromStdString(path);
  const QString suffix = QFileInfo(file).suffix().toLower();
  const QSize size(std::max(width(), 900), Height());
  if (suffix == QStringLiteral("svg")) {
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(ToQString(road_.name));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    Paint(painter, size);
    return painter.end() && QFileInfo::exists(file);
  }
  if (suffix == QStringLiteral("pdf")) {
    QPdfWriter pdf(file);
    pdf.setPageSize(QPageSize(QSizeF(size) * 25.4 / 96, QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF());
    pdf.setResolution(96);
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    Paint(painter, size);
    return painter.end() && QFileInfo::exists(file);
  }
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  Paint(painter, size);
  painter.end();
  return image.save(file, "PNG");
}

}  // namespace hdmjm
