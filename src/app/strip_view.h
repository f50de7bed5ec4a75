// The strip view: the current road drawn along its stations, one band per table, the left side's
// above the centre line and the right side's below it, the whole road's at the bottom. Segment
// ends are ticks, each piece shows its table's main value where there is room, pieces named by a
// finding are red, chain breaks are marked. The wheel zooms around the pointer, dragging pans,
// the pointer over a piece shows its row, and a click asks for its page.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/strip_bands.h"

namespace hdmjm {

// A piece under the pointer.
struct StripHit {
  const StripBand* band;
  const StripPiece* piece;
};

class StripView : public QWidget {
  Q_OBJECT

 public:
  explicit StripView(QWidget* parent = nullptr);

  // Shows the road of `record` with its findings, the whole road in view; null shows nothing.
  void SetRoad(const RoadSectionStore* record, const Findings& findings);
  const StripRoad& Road() const { return road_; }
  // The station at the left edge of the bands and the metres per pixel.
  double FirstStation() const { return first_; }
  double MetresPerPixel() const { return scale_; }
  // Draws the view into `size` (a widget, an image or a page of that size).
  void Paint(QPainter& painter, QSize size) const;
  std::optional<StripHit> HitAt(QPoint point) const;
  // Writes the view as PNG, SVG or PDF, by the file's extension; false when nothing was written.
  bool Export(const std::string& path) const;
  // A click on a piece.
  std::function<void(const StripHit&)> onClick;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  double X(double station) const;
  double StationAt(double x) const;
  int BandTop(int band) const;
  int AxisY() const;
  int Height() const;
  void FitWidth();
  void PaintBand(QPainter& painter, const StripBand& band, int top, int right) const;
  void PaintAxis(QPainter& painter, int right) const;
  void PaintBreaks(QPainter& painter, int right) const;

  StripRoad road_;
  bool shown_ = false;
  double first_ = 0;
  double scale_ = 1;
  std::optional<QPoint> pressed_;
  bool dragged_ = false;
  bool followWidth_ = true;  // the whole road fits the width until the designer zooms or pans
  int leftCount_ = 0;        // bands above the axis
  int rightCount_ = 0;       // bands below it, before the whole road's
};

}  // namespace hdmjm
