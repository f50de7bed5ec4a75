// The progress window shown while the roads of a scheme load: a borderless window holding one
// bar that fills from the left in blue, with a small figure riding at the head of the fill and
// the percentage centred over it.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "store/services.h"

namespace hdmjm {

// The three frame pictures of the figure, by their resource ids.
inline constexpr int kFrameClosed = 144;
inline constexpr int kFrameHalfOpen = 145;
inline constexpr int kFrameWideOpen = 143;

// The picture of a frame id; a null image for any other id.
QImage FramePicture(int id);

// Which frame comes next. One sequence serves every progress window of a run, so the figure
// goes on from where the previous load left it.
class ProgressFrames {
 public:
  int Next();

 private:
  int state_ = 0;
};

// A bar that paints itself: range, position, text and frame picture.
class ProgressBarCtrl : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressBarCtrl(QWidget* parent = nullptr);

  void SetRange(int low, int high);
  void SetStep(int step) { step_ = step; }
  void SetPos(int position);
  int GetPos() const { return position_; }
  void SetBarText(const QString& text);
  const QString& BarText() const { return text_; }
  void SetBarFrame(int id);
  int BarFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int low_ = 0;
  int high_ = 100;
  int step_ = 10;
  int position_ = 0;
  QString text_;
  int frame_ = 0;  // 0: no picture
};

class ProgressWnd : public QWidget, public Progress {
  Q_OBJECT

 public:
  // A window of its own, placed at the owner's top left corner.
  ProgressWnd(QWidget* owner, ProgressFrames& frames);

  // Shows the window and lets it appear before the load takes the thread.
  void ShowNow();
  // Sets the bar and repaints it before returning: the load gives the event loop no turn.
  void SetProgress(int percent) override;
  ProgressBarCtrl* Bar() const { return bar_; }

 private:
  ProgressFrames& frames_;
  ProgressBarCtrl* bar_;
};

// The Progress the road records report to: the progress window while one exists, else nothing.
class ProgressForwarder : public Progress {
 public:
  void SetTarget(Progress* target) { target_ = target; }
  void SetProgress(int percent) override {
    if (target_) target_->SetProgress(percent);
  }

 private:
  Progress* target_ = nullptr;
};

}  // namespace hdmjm
