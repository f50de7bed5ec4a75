#include "app/progress.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPainter>
#include <algorithm>

#include "pages/dialog_units.h"

namespace hdmjm {
namespace {

constexpr Qt::GlobalColor kBlue = Qt::blue;  // red 0, green 0, blue 255

// A yellow disc with its mouth towards the fill's head, opened by `mouthDegrees`.
QImage DrawDisc(int size, int mouthDegrees) {
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(kBlue);  // the fill's colour, so the square of the picture does not show
  QPainter painter(&image);
  painter.setPen(QColor(0, 0, 0));
  painter.setBrush(QColor(255, 255, 0));
  const QRect disc(1, 1, size - 3, size - 3);
  if (mouthDegrees == 0)
    painter.drawEllipse(disc);
  else  // angles in sixteenths of a degree, counter-clockwise from three o'clock
    painter.drawPie(disc, mouthDegrees / 2 * 16, (360 - mouthDegrees) * 16);
  painter.setBrush(QColor(0, 0, 0));
  painter.drawRect(size / 2 - 1, size / 4, 1, 1);  // the eye
  return image;
}

}  // namespace

QImage FramePicture(int id) {
  switch (id) {
    case kFrameClosed:
      return DrawDisc(24, 0);
    case kFrameHalfOpen:
      return DrawDisc(23, 45);
    case kFrameWideOpen:
      return DrawDisc(24, 90);
    default:
      return {};
  }
}

int ProgressFrames::Next() {
  switch (state_) {
    case 1:
      state_ = 2;
      return kFrameHalfOpen;
    case 2:
      state_ = 0;
      return kFrameWideOpen;
    default:
      state_ = 1;
      return kFrameClosed;
  }
}

ProgressBarCtrl::ProgressBarCtrl(QWidget* parent) : QWidget(parent) {}

void ProgressBarCtrl::SetRange(int low, int high) {
  low_ = low;
  high_ = high;
  SetPos(position_);
}

void ProgressBarCtrl::SetPos(int position) {
  // Like the platform's control, the position stays within the range.
  position_ = std::clamp(position, std::min(low_, high_), std::max(low_, high_));
  update();
}

void ProgressBarCtrl::SetBarText(const QString& text) {
  text_ = text;
  update();
}

void ProgressBarCtrl::SetBarFrame(int id) {
  frame_ = id;
  update();
}

void ProgressBarCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect client = rect();
  painter.fillRect(client, palette().color(QPalette::Base));

  const int span = high_ - low_;
  const float fraction =
      span != 0 ? static_cast<float>(position_) / static_cast<float>(span) : 0.0f;
  const float fillWidth = static_cast<float>(client.width()) * fraction;
  const int fillRight = client.left() + static_cast<int>(fillWidth);  // exclusive
  if (fillRight > client.left())
    painter.fillRect(QRect(client.left(), client.top(), fillRight - client.left(), client.height()),
                     kBlue);

  const QImage picture = FramePicture(frame_);
  if (!picture.isNull()) painter.drawImage(fillRight - picture.width(), client.top(), picture);

  if (text_.isEmpty()) return;
  const int textLeft = (client.width() - fontMetrics().horizontalAdvance(text_)) / 2;
  // White over the fill; blue when the fill ends before the text begins.
  painter.setPen(static_cast<float>(textLeft) > fillWidth ? kBlue : QColor(255, 255, 255));
  painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text_);
}

ProgressWnd::ProgressWnd(QWidget* owner, ProgressFrames& frames)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      frames_(frames),
      bar_(new ProgressBarCtrl(this)) {
  QFont font = this->font();
  font.setPointSize(10);
  setFont(font);
  const DialogUnits units(font);
  setFixedSize(units.Size(183, 14));
  auto* border = new QFrame(this);
  border->setFrameStyle(QFrame::Panel | QFrame::Raised);
  border->setGeometry(rect());
  bar_->setGeometry(units.Rect(2, 2, 179, 11));
  bar_->raise();
  bar_->SetStep(1);
  bar_->SetRange(0, 100);
  bar_->SetPos(1);
  if (owner) move(owner->mapToGlobal(QPoint(0, 0)));
}

void ProgressWnd::ShowNow() {
  show();
  raise();
  // A window system maps a new window only through its events; without this turn the window
  // would stay invisible during the whole load.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWnd::SetProgress(int percent) {
  if (percent > 100) percent = 0;
  bar_->SetPos(percent);
  bar_->SetBarFrame(frames_.Next());
  bar_->SetBarText(QString::asprintf("%d%%", percent));
  bar_->repaint();
}

}  // namespace hdmjm
