// The preview painted: colours where the strokes lie, grey elsewhere, nothing outside the box.
#include "slopes/preview_box.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace hdmjm {
namespace {

constexpr QRgb kGrey = 0xFF808080;
constexpr QRgb kWhite = 0xFFFFFFFF;

QRgb Rgb(const PreviewColour& colour) { return qRgb(colour.red, colour.green, colour.blue); }

SideDitchRow StandardDitch() {
  SideDitchRow row;
  row.bottomWidth = 0.4;
  row.depth = 0.6;
  row.slope1 = row.slope2 = 1;
  return row;
}

QPoint Middle(const PreviewStroke& stroke, QPoint offset = {}) {
  return QPoint((stroke.from.x + stroke.to.x) / 2, (stroke.from.y + stroke.to.y) / 2) + offset;
}

QImage Render(const PreviewDrawing& drawing, QSize size, const QRect& box) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  PaintPreview(painter, drawing, box);
  return image;
}

TEST(PaintPreview, DitchShowsYellowSidesAndARedBottomOnGrey) {
  const PreviewDrawing drawing =
      SideDitchPreview(StandardDitch(), DitchDirection::Leftwards, 300, 200);
  ASSERT_EQ(drawing.strokes.size(), 6u);
  const QImage image = Render(drawing, {300, 200}, QRect(0, 0, 300, 200));
  EXPECT_EQ(image.pixel(1, 1), kGrey);
  EXPECT_EQ(image.pixel(150, 20), kGrey);
  EXPECT_EQ(image.pixel(298, 198), kGrey);
  EXPECT_EQ(image.pixel(Middle(drawing.strokes[2])), qRgb(255, 255, 0));  // inner side
  EXPECT_EQ(image.pixel(Middle(drawing.strokes[4])), qRgb(255, 255, 0));  // outer side
  EXPECT_EQ(image.pixel(Middle(drawing.strokes[3])), qRgb(255, 0, 0));    // bottom
  // The sides are 5 pixels wide, the ground 2.
  EXPECT_EQ(image.pixel(Middle(drawing.strokes[3], {0, 2})), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(Middle(drawing.strokes[1])), Rgb(kGroundPen.colour));
  EXPECT_EQ(image.pixel(Middle(drawing.strokes[1], {0, 4})), kGrey);
}

TEST(PaintPreview, StrokesReachingPastTheBoxAreClippedToIt) {
  SlopeSegment cut;
  cut.levelCount = 2;
  cut.levels[0] = {1, 8, 40, 0};  // a first berm far wider than the 5 m the extent allows
  cut.levels[1] = {1.5, 100, 1, 0};
  const PreviewDrawing drawing = SlopePreview(cut, SlopePage::RightCut, 300, 200);
  ASSERT_GT(drawing.strokes[2].to.x, 300);
  const QRect box(50, 40, 300, 200);
  const QImage image = Render(drawing, {400, 300}, box);
  int inside = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      if (box.contains(x, y)) {
        inside += image.pixel(x, y) == Rgb(kBermPen.colour);
        continue;
      }
      ASSERT_EQ(image.pixel(x, y), kWhite) << x << ", " << y;
    }
  EXPECT_GT(inside, 100);  // the berm runs red to the box's edge
}

TEST(PreviewBox, PaintsWhatItsSourceMakesAndKeepsItWhenTheSourceHasNothing) {
  PreviewBox box;
  box.resize(300, 200);
  EXPECT_FALSE(box.Drawing());

  bool haveRow = true;
  QSize asked;
  box.SetSource([&](int width, int height) -> std::optional<PreviewDrawing> {
    asked = QSize(width, height);
    if (!haveRow) return std::nullopt;
    return SideDitchPreview(StandardDitch(), DitchDirection::Rightwards, width, height);
  });
  const QImage first = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(asked, QSize(300, 200));
  ASSERT_TRUE(box.Drawing());
  EXPECT_EQ(first.pixel(1, 1), kGrey);
  EXPECT_EQ(first.pixel(Middle(box.Drawing()->strokes[3])), qRgb(255, 0, 0));

  // The focus on the append row: the box keeps what it showed.
  haveRow = false;
  EXPECT_EQ(box.grab().toImage().convertToFormat(QImage::Format_RGB32), first);

  // A finished drawing replaces the source.
  SlopeSegment empty;
  box.SetDrawing(SlopePreview(empty, SlopePage::LeftCut, 300, 200));
  const QImage grey = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(box.Drawing()->strokes.empty());
  EXPECT_EQ(grey.pixel(1, 1), kGrey);
  EXPECT_EQ(grey.pixel(150, 100), kGrey);
  EXPECT_EQ(grey.pixel(299, 199), kGrey);

  box.Clear();
  EXPECT_FALSE(box.Drawing());
}

}  // namespace
}  // namespace hdmjm
