// The progress bar rendered into images: fill, picture, text colour and frame order.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QImage>

namespace hdmjm::test {
namespace {

bool IsBlue(QRgb p) { return p == qRgb(0, 0, 255); }
bool IsYellow(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 80; }
bool IsWhitish(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; }
bool IsBluish(QRgb p) { return qBlue(p) > qRed(p) + 100 && qBlue(p) > qGreen(p) + 100; }

class ProgressTest : public ::testing::Test {
 protected:
  ProgressTest() { window.Bar()->resize(300, 24); }
  QImage Show(int percent) {
    window.SetProgress(percent);
    QImage image(window.Bar()->size(), QImage::Format_RGB32);
    window.Bar()->render(&image);
    return image;
  }
  // Yellow pixels of row 12 left of x, and pixels of a kind in the middle third (the text).
  static int YellowBefore(const QImage& image, int x) {
    int count = 0;
    for (int i = 0; i < x; ++i) count += IsYellow(image.pixel(i, 12));
    return count;
  }
  static int MiddlePixels(const QImage& image, bool (*kind)(QRgb)) {
    int count = 0;
    for (int x = image.width() / 3; x < image.width() * 2 / 3; ++x)
      for (int y = 0; y < image.height(); ++y) count += kind(image.pixel(x, y));
    return count;
  }

  ProgressFrames frames;
  ProgressWnd window{nullptr, frames};
};

TEST_F(ProgressTest, AFullBarIsBlueWithThePictureAtItsRightEndAndWhiteText) {
  const QImage image = Show(100);
  const int pictureLeft = image.width() - 24;
  for (int y = 0; y < image.height(); ++y) EXPECT_TRUE(IsBlue(image.pixel(0, y))) << y;
  EXPECT_TRUE(IsYellow(image.pixel(pictureLeft + 5, 12)));
  EXPECT_EQ(YellowBefore(image, pictureLeft), 0);
  EXPECT_GT(MiddlePixels(image, IsWhitish), 0);
  EXPECT_EQ(window.Bar()->BarText().toStdString(), "100%");
}

TEST_F(ProgressTest, AnEmptyBarShowsNoFillNoPictureAndBlueTextAndAbove100CountsAsEmpty) {
  for (int percent : {0, 150}) {
    const QImage image = Show(percent);
    EXPECT_FALSE(IsBlue(image.pixel(0, 0)));
    EXPECT_EQ(YellowBefore(image, image.width()), 0);
    EXPECT_GT(MiddlePixels(image, IsBluish), 0);
    EXPECT_EQ(window.Bar()->BarText().toStdString(), "0%");
  }
}

TEST_F(ProgressTest, FramesRunClosedHalfOpenWideOpenAndGoOnInTheNextWindow) {
  std::vector<int> shown;
  for (int percent : {0, 10}) shown.push_back((Show(percent), window.Bar()->BarFrame()));
  ProgressWnd next(nullptr, frames);
  for (int percent : {0, 10}) shown.push_back((next.SetProgress(percent), next.Bar()->BarFrame()));
  EXPECT_EQ(shown, (std::vector<int>{144, 145, 143, 144}));
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
  window.Bar()->installEventFilter(&counter);
  window.SetProgress(30);
  EXPECT_GE(counter.paints, 1);
}

}  // namespace
}  // namespace hdmjm::test
