#include "slopes/preview_geometry.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace hdmjm {
namespace {

constexpr int kMargin = 10;            // pixels left free on every side of a sketch
constexpr int kReferenceInset = 3;     // the dotted line stops this far from the box's edges
constexpr double kFarPixel = 1 << 20;  // coordinates are held within this, the box clips anyway

int Pixel(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::trunc(std::clamp(value, -kFarPixel, kFarPixel)));
}

bool UsableValues(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(),
                     [](double v) { return std::isfinite(v) && v >= 0; });
}

PreviewDrawing GreyBox(int width, int height) {
  return PreviewDrawing{std::max(width, 0), std::max(height, 0), kPreviewBackground, {}};
}

// The pen position of a sketch. With whole pixels every move lands on a truncated position, as
// three of the slope pages draw; otherwise the position stays real and only the strokes are
// truncated.
class Pen {
 public:
  Pen(PreviewDrawing& drawing, double x, double y, bool wholePixels)
      : drawing_(drawing), wholePixels_(wholePixels), x_(Snap(x)), y_(Snap(y)) {}

  void LineBy(double dx, double dy, const PreviewPen& pen) {
    const double x = Snap(x_ + dx), y = Snap(y_ + dy);
    drawing_.strokes.push_back({{Pixel(x_), Pixel(y_)}, {Pixel(x), Pixel(y)}, pen});
    x_ = x;
    y_ = y;
  }

  // The dotted vertical line through the start position, from top to bottom of the box.
  void ReferenceLine() {
    drawing_.strokes.push_back({{Pixel(x_), kReferenceInset},
                                {Pixel(x_), drawing_.height - kReferenceInset},
                                kReferencePen});
  }

 private:
  double Snap(double v) const {
    if (!wholePixels_) return v;
    return std::trunc(std::clamp(v, -kFarPixel, kFarPixel));
  }

  PreviewDrawing& drawing_;
  bool wholePixels_;
  double x_, y_;
};

}  // namespace

PreviewDrawing SlopePreview(const SlopeSegment& segment, SlopePage page, int width, int height) {
  PreviewDrawing drawing = GreyBox(width, height);
  const int n = segment.levelCount;
  const bool cut = IsCutPage(page);
  if (n < 0 || n > kMaxSlopeLevels || (cut && n == 0)) return drawing;
  if (width - 2 * kMargin <= 0 || height - 2 * kMargin <= 0) return drawing;

  // Without levels an embankment still draws its last slope with the ratio of the first slot.
  const SlopeLevel& last = segment.levels[std::max(n, 1) - 1];
  double sw = (cut ? 15 : 10) + 10 * last.ratio;
  double sh = 10;
  for (int i = 0; i + 1 < n; ++i) {
    const SlopeLevel& level = segment.levels[i];
    // A cut's 15 m already holds 5 m for its first berm; it counts the berm above each level.
    const double berm = cut ? segment.levels[i + 1].bermWidth : level.bermWidth;
    if (!UsableValues({level.ratio, level.maxHeight, level.bermWidth, berm})) return drawing;
    sw += level.ratio * level.maxHeight + berm;
    sh += level.maxHeight;
  }
  if (!UsableValues({last.ratio, cut ? last.bermWidth : 0.0, sw, sh}) || sw <= 0) return drawing;

  const double sx = (width - 2 * kMargin) / sw;
  const double sy = (height - 2 * kMargin) / sh;
  const double direction = page == SlopePage::LeftCut ? -1 : 1;
  const double startX = (width - direction * sx * sw) / 2;
  const double startY = cut ? height - kMargin : kMargin;
  Pen pen(drawing, startX, startY, page != SlopePage::LeftEmbankment);
  pen.ReferenceLine();
  pen.LineBy(direction * 10 * sx, 0, kSlopeLinePen);

  constexpr double kLastLevelHeight = 10;
  if (!cut) {
    for (int i = 0; i + 1 < n; ++i) {
      const SlopeLevel& level = segment.levels[i];
      pen.LineBy(sx * level.ratio * level.maxHeight, sy * level.maxHeight, kSlopeLinePen);
      pen.LineBy(sx * level.bermWidth, 0, kBermPen);
    }
    pen.LineBy(sx * last.ratio * kLastLevelHeight, sy * kLastLevelHeight, kSlopeLinePen);
    return drawing;
  }
  for (int i = 0; i < n; ++i) {
    const SlopeLevel& level = segment.levels[i];
    const double rise = i + 1 < n ? level.maxHeight : kLastLevelHeight;
    pen.LineBy(direction * sx * level.bermWidth, 0, kBermPen);
    pen.LineBy(direction * sx * level.ratio * rise, -sy * rise, kSlopeLinePen);
  }
  return drawing;
}

PreviewDrawing SideDitchPreview(const SideDitchRow& row, DitchDirection direction, int width,
                                int height) {
  PreviewDrawing drawing = GreyBox(width, height);
  const double b = row.bottomWidth, d = row.depth, inner = row.slope1, outer = row.slope2;
  if (!UsableValues({b, d, inner, outer}) || d <= 0) return drawing;
  if (width - 2 * kMargin <= 0 || height - 2 * kMargin <= 0) return drawing;

  constexpr double kGround = 0.5;
  const double sw = d * inner + b + d * outer + kGround + kGround;
  const double sh = d + 0.0001;
  if (!std::isfinite(sw) || !std::isfinite(sh)) return drawing;
  const double s = std::min((width - 2 * kMargin) / sw, (height - 2 * kMargin) / sh);
  const double sign = direction == DitchDirection::Leftwards ? -1 : 1;

  Pen pen(drawing, (width - sign * s * sw) / 2, (height - s * sh) / 2, false);
  pen.ReferenceLine();
  pen.LineBy(sign * kGround * s, 0, kGroundPen);
  pen.LineBy(sign * s * inner * d, s * d, kDitchSidePen);
  pen.LineBy(sign * s * b, 0, kDitchBottomPen);
  pen.LineBy(sign * s * d * outer, -s * d, kDitchSidePen);
  pen.LineBy(sign * kGround * s, 0, kGroundPen);
  return drawing;
}

}  // namespace hdmjm
