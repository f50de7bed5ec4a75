// The preview sketches as geometry: scales, start points, pens and the boxes they must not leave.
#include "slopes/preview_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace hdmjm {

void PrintTo(const PreviewPoint& point, std::ostream* out) {
  *out << "(" << point.x << ", " << point.y << ")";
}

namespace {

constexpr int kW = 300, kH = 200;

SlopeSegment Segment(std::initializer_list<SlopeLevel> levels) {
  SlopeSegment segment;
  segment.endStation = 1234.56;
  for (const SlopeLevel& level : levels) segment.levels[segment.levelCount++] = level;
  return segment;
}

// The standard embankment: (1.5, 8, 1, 0), (1.75, 10, 1, 0), (2, 100, 1, 0).
SlopeSegment StandardEmbankment() {
  return Segment({{1.5, 8, 1, 0}, {1.75, 10, 1, 0}, {2, 100, 1, 0}});
}

SideDitchRow Ditch(double bottom, double depth, double inner, double outer) {
  SideDitchRow row;
  row.bottomWidth = bottom;
  row.depth = depth;
  row.slope1 = inner;
  row.slope2 = outer;
  row.liningThickness = 0.3;
  return row;
}

void ExpectNear(const PreviewPoint& point, double x, double y, double tolerance = 1) {
  EXPECT_NEAR(point.x, x, tolerance) << "x of (" << point.x << ", " << point.y << ")";
  EXPECT_NEAR(point.y, y, tolerance) << "y of (" << point.x << ", " << point.y << ")";
}

// Each stroke starts where the one before ended, the reference line and the first stroke aside.
void ExpectConnected(const PreviewDrawing& drawing) {
  for (std::size_t i = 2; i < drawing.strokes.size(); ++i)
    EXPECT_EQ(drawing.strokes[i].from, drawing.strokes[i - 1].to) << "stroke " << i;
}

TEST(SideDitchPreview, FitsTheWidthKeepsProportionsAndIsCentredVertically) {
  const SideDitchRow ditch = Ditch(0.4, 0.6, 1, 1);
  const PreviewDrawing drawing = SideDitchPreview(ditch, DitchDirection::Rightwards, kW, kH);
  EXPECT_EQ(drawing.width, kW);
  EXPECT_EQ(drawing.height, kH);
  EXPECT_EQ(drawing.background, (PreviewColour{128, 128, 128}));
  ASSERT_EQ(drawing.strokes.size(), 6u);
  const auto& s = drawing.strokes;
  EXPECT_EQ(s[0].pen, kReferencePen);
  EXPECT_EQ(s[1].pen, kGroundPen);
  EXPECT_EQ(s[2].pen, kDitchSidePen);
  EXPECT_EQ(s[3].pen, kDitchBottomPen);
  EXPECT_EQ(s[4].pen, kDitchSidePen);
  EXPECT_EQ(s[5].pen, kGroundPen);
  ExpectConnected(drawing);

  // SW = 0.6 + 0.4 + 0.6 + 1 = 2.6 m, SH = 0.6001 m: the width limits the scale.
  const double scale = 280 / 2.6;
  EXPECT_EQ(s[0].from, (PreviewPoint{10, 3}));
  EXPECT_EQ(s[0].to, (PreviewPoint{10, kH - 3}));
  EXPECT_NEAR(s[5].to.x, 290, 1);
  EXPECT_NEAR(s[3].to.x - s[3].from.x, scale * 0.4, 1);  // bottom
  EXPECT_NEAR(s[2].to.y - s[2].from.y, scale * 0.6, 1);  // depth, same scale as the width
  // Centred vertically: as much room above the ground as below the bottom.
  const int above = s[1].from.y, below = kH - s[3].from.y;
  EXPECT_NEAR(above, (kH - scale * 0.6001) / 2, 1);
  EXPECT_NEAR(above, below, 1);
  EXPECT_EQ(s[5].to.y, s[1].from.y);
}

TEST(SideDitchPreview, LeftPageDrawsTheMirrorLeftwards) {
  const SideDitchRow ditch = Ditch(0.4, 0.6, 1, 2);
  const auto right = SideDitchPreview(ditch, DitchDirection::Rightwards, kW, kH);
  const auto left = SideDitchPreview(ditch, DitchDirection::Leftwards, kW, kH);
  ASSERT_EQ(left.strokes.size(), right.strokes.size());
  EXPECT_NEAR(left.strokes[0].from.x, 290, 1);
  for (std::size_t i = 0; i < left.strokes.size(); ++i) {
    EXPECT_NEAR(left.strokes[i].to.x, kW - right.strokes[i].to.x, 1) << i;
    EXPECT_EQ(left.strokes[i].to.y, right.strokes[i].to.y) << i;
  }
}

TEST(SlopePreview, StandardEmbankmentFillsTheBox) {
  const PreviewDrawing drawing =
      SlopePreview(StandardEmbankment(), SlopePage::LeftEmbankment, kW, kH);
  ASSERT_EQ(drawing.strokes.size(), 7u);  // reference, start, two levels with berms, last level
  const auto& s = drawing.strokes;
  EXPECT_EQ(s[0].pen, kReferencePen);
  EXPECT_EQ(s[0].from, (PreviewPoint{10, 3}));
  EXPECT_EQ(s[0].to, (PreviewPoint{10, kH - 3}));
  for (int i : {1, 2, 4, 6}) EXPECT_EQ(s[i].pen, kSlopeLinePen) << i;
  for (int i : {3, 5}) EXPECT_EQ(s[i].pen, kBermPen) << i;
  ExpectConnected(drawing);

  // SW = 10 + 13 + 18.5 + 20 = 61.5 m, SH = 28 m, each axis scaled on its own.
  const double sx = 280 / 61.5, sy = 180 / 28.0;
  EXPECT_EQ(s[1].from, (PreviewPoint{10, 10}));
  ExpectNear(s[1].to, 10 + 10 * sx, 10);
  ExpectNear(s[2].to, 10 + sx * (10 + 12), 10 + sy * 8);
  EXPECT_EQ(s[3].to.y, s[3].from.y);  // berms are horizontal
  ExpectNear(s[6].to, 290, 190);

  // The last level is drawn 10 m high whatever its height limit.
  SlopeSegment arc = StandardEmbankment();
  arc.levels[2].maxHeight = -2;
  EXPECT_EQ(SlopePreview(arc, SlopePage::LeftEmbankment, kW, kH).strokes, drawing.strokes);
}

TEST(SlopePreview, EmbankmentPagesLookAlikeWholePixelsOrNot) {
  const auto left = SlopePreview(StandardEmbankment(), SlopePage::LeftEmbankment, kW, kH);
  const auto right = SlopePreview(StandardEmbankment(), SlopePage::RightEmbankment, kW, kH);
  ASSERT_EQ(left.strokes.size(), right.strokes.size());
  for (std::size_t i = 0; i < left.strokes.size(); ++i) {
    EXPECT_EQ(left.strokes[i].pen, right.strokes[i].pen);
    // Truncating after every step loses less than a pixel per step.
    ExpectNear(right.strokes[i].to, left.strokes[i].to.x, left.strokes[i].to.y, 6);
  }
  // The right page truncates every step: its last point falls short of the real one.
  EXPECT_LE(right.strokes.back().to.x, left.strokes.back().to.x);
}

TEST(SlopePreview, EmbankmentWithoutLevelsDrawsOneTenMetreSlope) {
  SlopeSegment segment = Segment({});
  segment.levels[0].ratio = 1.5;  // the ratio left in the first slot is used
  const auto drawing = SlopePreview(segment, SlopePage::RightEmbankment, kW, kH);
  ASSERT_EQ(drawing.strokes.size(), 3u);
  // SW = 10 + 15 = 25 m, SH = 10 m.
  EXPECT_EQ(drawing.strokes[1].from, (PreviewPoint{10, 10}));
  ExpectNear(drawing.strokes[1].to, 10 + 280 * 10 / 25.0, 10);
  ExpectNear(drawing.strokes[2].to, 290, 190);
}

TEST(SlopePreview, CutWithoutLevelsIsTheGreyBoxAlone) {
  for (SlopePage page : {SlopePage::LeftCut, SlopePage::RightCut}) {
    const auto drawing = SlopePreview(Segment({}), page, kW, kH);
    EXPECT_TRUE(drawing.strokes.empty());
    EXPECT_EQ(drawing.background, kPreviewBackground);
    EXPECT_EQ(drawing.width, kW);
  }
}

TEST(SlopePreview, RightCutRisesFromTheBottomLeftBermFirst) {
  // The standard cut: (1, 8, 1, 0), (1.25, 10, 1, 0), (1.5, 100, 1, 0).
  const SlopeSegment cut = Segment({{1, 8, 1, 0}, {1.25, 10, 1, 0}, {1.5, 100, 1, 0}});
  const auto drawing = SlopePreview(cut, SlopePage::RightCut, kW, kH);
  ASSERT_EQ(drawing.strokes.size(), 8u);  // reference, start, three berms and three slopes
  const auto& s = drawing.strokes;
  for (int i : {3, 5, 7}) EXPECT_EQ(s[i].pen, kSlopeLinePen) << i;
  for (int i : {2, 4, 6}) EXPECT_EQ(s[i].pen, kBermPen) << i;
  ExpectConnected(drawing);
  // SW = 15 + (8 + 1) + (12.5 + 1) + 15 = 52.5 m, SH = 28 m.
  const double sx = 280 / 52.5, sy = 180 / 28.0;
  EXPECT_EQ(s[1].from, (PreviewPoint{10, kH - 10}));
  ExpectNear(s[3].to, 10 + sx * (10 + 1 + 8), kH - 10 - sy * 8, 3);
  // The first berm is 1 m where the extent counted 5 m: the sketch ends short of the right edge.
  ExpectNear(s[7].to, 290 - 4 * sx, 10, 4);
}

TEST(SlopePreview, LeftCutIsTheMirrorOfTheRightCut) {
  // SW = 15 + 6 + 1 + 6 = 28 m and SH = 16 m: whole-pixel scales of 10 in a 300 × 180 box.
  const SlopeSegment cut = Segment({{1, 6, 2, 0}, {0.6, 100, 1, 0}});
  const auto right = SlopePreview(cut, SlopePage::RightCut, kW, 180);
  const auto left = SlopePreview(cut, SlopePage::LeftCut, kW, 180);
  ASSERT_EQ(right.strokes.size(), 6u);
  ASSERT_EQ(left.strokes.size(), right.strokes.size());
  EXPECT_EQ(right.strokes[0].from.x, 10);
  EXPECT_EQ(left.strokes[0].from.x, 290);
  for (std::size_t i = 0; i < left.strokes.size(); ++i) {
    const auto& l = left.strokes[i];
    const auto& r = right.strokes[i];
    EXPECT_EQ(l.pen, r.pen);
    EXPECT_EQ(l.from, (PreviewPoint{kW - r.from.x, r.from.y})) << i;
    EXPECT_EQ(l.to, (PreviewPoint{kW - r.to.x, r.to.y})) << i;
  }
  // 3 m short of the far edge: the first berm is 2 m where the extent counted 5 m.
  EXPECT_EQ(left.strokes.back().to, (PreviewPoint{40, 10}));
}

TEST(SlopePreview, WideFirstCutBermRunsPastTheEdgeWithoutOverflow) {
  SlopeSegment cut = Segment({{1, 8, 1e300, 0}, {1.5, 100, 1, 0}});
  const auto drawing = SlopePreview(cut, SlopePage::RightCut, kW, kH);
  ASSERT_FALSE(drawing.strokes.empty());
  EXPECT_GT(drawing.strokes[2].to.x, kW);  // the painter clips it
  for (const auto& stroke : drawing.strokes) {
    EXPECT_LE(std::abs(stroke.to.x), 1 << 20);
    EXPECT_LE(std::abs(stroke.to.y), 1 << 20);
  }
}

// Values that leave no usable scale give the grey box and nothing else.
TEST(Previews, DegenerateValuesGiveTheGreyBoxAlone) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct SlopeCase {
    const char* what;
    SlopeSegment segment;
    SlopePage page;
    int width, height;
  };
  SlopeSegment tooMany = StandardEmbankment();
  tooMany.levelCount = 31;
  SlopeSegment negativeCount = StandardEmbankment();
  negativeCount.levelCount = -1;
  const SlopeCase slopes[] = {
      {"31 levels", tooMany, SlopePage::LeftEmbankment, kW, kH},
      {"-1 levels", negativeCount, SlopePage::RightCut, kW, kH},
      {"NaN ratio", Segment({{nan, 8, 1, 0}, {2, 100, 1, 0}}), SlopePage::LeftEmbankment, kW, kH},
      {"infinite height", Segment({{1, inf, 1, 0}, {2, 100, 1, 0}}), SlopePage::RightCut, kW, kH},
      {"negative ratio", Segment({{-3, 8, 1, 0}, {2, 100, 1, 0}}), SlopePage::LeftCut, kW, kH},
      {"negative height", Segment({{1, -40, 1, 0}, {2, 100, 1, 0}}), SlopePage::LeftEmbankment, kW,
       kH},
      {"negative berm", Segment({{1, 8, -1, 0}, {2, 100, 1, 0}}), SlopePage::RightEmbankment, kW,
       kH},
      {"last ratio negative", Segment({{1, 8, 1, 0}, {-2, 100, 1, 0}}), SlopePage::LeftEmbankment,
       kW, kH},
      {"last berm of a cut NaN", Segment({{1, 8, 1, 0}, {2, 100, nan, 0}}), SlopePage::LeftCut, kW,
       kH},
      {"width overflows", Segment({{1e308, 1e308, 1, 0}, {2, 100, 1, 0}}),
       SlopePage::RightEmbankment, kW, kH},
      {"box no wider than its margins", StandardEmbankment(), SlopePage::LeftEmbankment, 20, kH},
      {"empty box", StandardEmbankment(), SlopePage::RightCut, 0, 0},
      {"negative box", StandardEmbankment(), SlopePage::RightCut, -5, -5},
  };
  for (const auto& c : slopes) {
    const auto drawing = SlopePreview(c.segment, c.page, c.width, c.height);
    EXPECT_TRUE(drawing.strokes.empty()) << c.what;
    EXPECT_EQ(drawing.background, kPreviewBackground) << c.what;
    EXPECT_EQ(drawing.width, std::max(c.width, 0)) << c.what;
  }

  struct DitchCase {
    const char* what;
    SideDitchRow row;
    int width, height;
  };
  const DitchCase ditches[] = {
      {"zero depth", Ditch(0.4, 0, 1, 1), kW, kH},
      {"negative depth", Ditch(0.4, -0.6, 1, 1), kW, kH},
      {"negative width", Ditch(-0.4, 0.6, 1, 1), kW, kH},
      {"negative inner slope", Ditch(0.4, 0.6, -1, 1), kW, kH},
      {"negative outer slope", Ditch(0.4, 0.6, 1, -5), kW, kH},
      {"NaN width", Ditch(nan, 0.6, 1, 1), kW, kH},
      {"infinite slope", Ditch(0.4, 0.6, inf, 1), kW, kH},
      {"huge depth and slopes", Ditch(0.4, 1e200, 1e200, 1e200), kW, kH},
      {"box of 15 pixels", Ditch(0.4, 0.6, 1, 1), 15, 15},
  };
  for (const auto& c : ditches) {
    for (auto direction : {DitchDirection::Leftwards, DitchDirection::Rightwards})
      EXPECT_TRUE(SideDitchPreview(c.row, direction, c.width, c.height).strokes.empty()) << c.what;
  }
  // A V-shaped ditch has no bottom but a sound sketch.
  EXPECT_EQ(SideDitchPreview(Ditch(0, 0.6, 1, 1), DitchDirection::Leftwards, kW, kH).strokes.size(),
            6u);
}

}  // namespace
}  // namespace hdmjm
