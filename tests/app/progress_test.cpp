// The progress window, rendered into images: fill, picture, text colour and frame order.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <QImage>

#include "app_fixture.h"

namespace hdmjm::test {
namespace {

QImage Render(ProgressBarCtrl& bar) {
  QImage image(bar.size(), QImage::Format_RGB32);
  bar.render(&image);
  return image;
}

bool IsBlue(QRgb pixel) { return pixel == qRgb(0, 0, 255); }
bool IsYellow(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) < 80; }

// Pixels of the middle third, where the text is drawn, that are of the given kind.
template <class Kind>
int MiddlePixels(const QImage& image, Kind kind) {
  int count = 0;
  for (int x = image.width() / 3; x < image.width() * 2 / 3; ++x)
    for (int y = 0; y < image.height(); ++y) count += kind(image.pixel(x, y));
  return count;
}
bool IsWhitish(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; }
bool IsBluish(QRgb p) { return qBlue(p) > qRed(p) + 100 && qBlue(p) > qGreen(p) + 100; }

class ProgressTest : public ::testing::Test {
 protected:
  ProgressTest() { window.Bar()->resize(300, 24); }
  ProgressBarCtrl& Bar() { return *window.Bar(); }

  ProgressFrames frames;
  ProgressWnd window{nullptr, frames};
};

TEST_F(ProgressTest, AFullBarIsBlueToItsEndWithThePictureAtItsHeadAndWhiteText) {
  window.SetProgress(100);
  const QImage image = Render(Bar());
  const int width = image.width();
  for (int y = 0; y < image.height(); ++y) EXPECT_TRUE(IsBlue(image.pixel(0, y))) << y;
  EXPECT_EQ(Bar().BarText().toStdString(), "100%");
  const int pictureLeft = width - FramePicture(kFrameClosed).width();
  EXPECT_TRUE(IsYellow(image.pixel(pictureLeft + 5, 12)));
  for (int x = 0; x < pictureLeft; ++x) EXPECT_FALSE(IsYellow(image.pixel(x, 12))) << x;
  EXPECT_GT(MiddlePixels(image, IsWhitish), 0);
}

TEST_F(ProgressTest, AnEmptyBarShowsNoFillNoPictureAndBlueText) {
  window.SetProgress(0);
  const QImage image = Render(Bar());
  for (int x = 0; x < image.width(); ++x) EXPECT_FALSE(IsYellow(image.pixel(x, 12))) << x;
  EXPECT_FALSE(IsBlue(image.pixel(0, 0)));
  EXPECT_GT(MiddlePixels(image, IsBluish), 0);
  EXPECT_EQ(Bar().BarText().toStdString(), "0%");
}

TEST_F(ProgressTest, APercentageAbove100CountsAsZero) {
  window.SetProgress(150);
  EXPECT_EQ(Bar().GetPos(), 0);
  EXPECT_EQ(Bar().BarText().toStdString(), "0%");
  EXPECT_FALSE(IsBlue(Render(Bar()).pixel(0, 0)));
}

TEST_F(ProgressTest, AHalfBarFillsUpToItsMiddleAndCarriesThePictureThere) {
  window.SetProgress(50);
  const QImage image = Render(Bar());
  const int fillRight = image.width() / 2;
  EXPECT_TRUE(IsBlue(image.pixel(1, 2)));
  EXPECT_TRUE(IsBlue(image.pixel(fillRight - 25, 2)));
  EXPECT_FALSE(IsBlue(image.pixel(fillRight, 2)));
  EXPECT_TRUE(IsYellow(image.pixel(fillRight - 24 + 5, 12)));
  EXPECT_FALSE(IsYellow(image.pixel(fillRight + 5, 12)));
}

TEST_F(ProgressTest, FramesFollowClosedHalfOpenWideOpenAcrossWindowsOfOneRun) {
  std::vector<int> shown;
  for (int i = 0; i < 2; ++i) {
    window.SetProgress(i * 10);
    shown.push_back(Bar().BarFrame());
  }
  ProgressWnd next(nullptr, frames);  // the next load goes on where this one stopped
  for (int i = 0; i < 2; ++i) {
    next.SetProgress(i * 10);
    shown.push_back(next.Bar()->BarFrame());
  }
  EXPECT_EQ(shown, (std::vector<int>{144, 145, 143, 144}));
  EXPECT_EQ(FramePicture(144).size(), QSize(24, 24));
  EXPECT_EQ(FramePicture(145).size(), QSize(23, 23));
  EXPECT_NE(FramePicture(143), FramePicture(144));
}

TEST_F(ProgressTest, SetProgressPaintsTheBarBeforeItReturns) {
  window.ShowNow();
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint;
      return false;
    }
  } counter;
  Bar().installEventFilter(&counter);
  window.SetProgress(30);
  EXPECT_GE(counter.paints, 1);
}

}  // namespace
}  // namespace hdmjm::test
