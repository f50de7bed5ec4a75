// The ditch pages: the radius check of the write-back, the crosswise embankment-ditch columns and
// their 类型 code, copying to the other side, and the side-ditch preview's choice of row.
#include "pages/ditch_pages.h"

#include <QApplication>

#include "page_fixture.h"
#include "slopes/preview_box.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

std::string RadiusMessage(int row, std::string_view ditch) {
  return "主线第" + std::to_string(row) + "行" + std::string(ditch) +
         "沟底半径小于半个水沟底宽！请重新设置沟底半径！";
}

class DitchPages : public PageTest {
 protected:
  DitchPage& OpenDitch(std::string_view className) {
    return dynamic_cast<DitchPage&>(Open(className));
  }
  // Shows the page's pending paints, the preview's among them.
  static void Paint(DitchPage& page) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    QApplication::processEvents();
  }
  static SideDitchRow Ditch(double end, double width, double depth, double inner, double outer,
                            double radius) {
    return {end, 0.1, width, depth, inner, outer, radius};
  }
};

TEST_F(DitchPages, ASideDitchRadiusBelowHalfTheWidthIsReportedPerRowAndStoredAsZero) {
  Record().sideDitches[kLeft] = {Ditch(100, 0.6, 0.4, 1, 1, 0.2), Ditch(200, 0.6, 0.4, 1, 1, 0.3),
                                 Ditch(300, 0.6, 0.4, 1, 1, 0), Ditch(400, 0.6, 0.4, 1, 1, -0.5),
                                 Ditch(500, 0.6, 0.4, 1, 1, 0.001)};
  DitchPage& page = OpenDitch("CZLQSG");
  EXPECT_EQ(RowTexts(page.Grid(), 0),
            (Texts{"序 号", "分段终点里程", "水沟底宽(m)", "沟  深(m)", "内侧边坡(1:)",
                   "外侧边坡(1:)", "浆砌厚度(m)", "沟底半径(m)"}));
  page.Leave();
  EXPECT_EQ(recorders.messages.texts,
            (Texts{RadiusMessage(1, "左侧沟"), RadiusMessage(4, "左侧沟")}));
  const auto radii = [&] {
    std::vector<double> values;
    for (const SideDitchRow& row : Record().sideDitches[kLeft]) values.push_back(row.bottomRadius);
    return values;
  };
  EXPECT_EQ(radii(), (std::vector<double>{0, 0.3, 0, 0, 0.001}));
  EXPECT_EQ(page.Grid().GetItemText(1, 7).toStdString(), "0.200");  // the grid keeps its text

  recorders.messages.texts.clear();
  page.Ok();  // the same cells, the same messages
  EXPECT_EQ(recorders.messages.texts.size(), 2u);

  recorders.messages.texts.clear();
  Type(page.Grid(), 1, 7, "0.3");
  Type(page.Grid(), 4, 7, "0");
  page.Leave();
  EXPECT_TRUE(recorders.messages.texts.empty());
  EXPECT_EQ(radii(), (std::vector<double>{0.3, 0.3, 0, 0, 0.001}));

  Record().sideDitches[kRight] = {Ditch(1, 2, 0.4, 1, 1, 0.9)};
  OpenDitch("CYLQSG").Leave();
  EXPECT_EQ(recorders.messages.texts, (Texts{RadiusMessage(1, "右侧沟")}));
}

TEST_F(DitchPages, ARoadNameHoldingAPlaceholderStaysWholeInTheRadiusMessages) {
  Record().roadName = "匝道%1";
  session.SelectRoad(0);  // the sheet's current road is the renamed one
  Record().sideDitches[kRight] = {Ditch(100, 0.6, 0.4, 1, 1, 0.2)};
  OpenDitch("CYLQSG").Leave();
  AssocMedianDitchRow median{};
  median.width = 1.0;
  median.bottomRadius = 0.4;
  Record().assocMedianDitches = {median};
  Open("CGLDM").Leave();
  EXPECT_EQ(recorders.messages.texts,
            (Texts{"匝道%1第1行右侧沟沟底半径小于半个水沟底宽！请重新设置沟底半径！",
                   "匝道%1关联断面第1行线间沟沟底半径小于半个水沟底宽！请重新设置沟底半径！"}));
}

TEST_F(DitchPages, AnInterceptingDitchIsCheckedAgainstBothEndWidthsWithOneMessagePerRow) {
  InterceptDitchRow row{};
  row.startBottomWidth = 0.4;
  row.endBottomWidth = 1.0;
  row.bottomRadius = 0.3;
  InterceptDitchRow tooNarrowAtBothEnds = row;
  tooNarrowAtBothEnds.startBottomWidth = 2;
  Record().interceptDitches[kLeft] = {row, tooNarrowAtBothEnds};
  DitchPage& left = OpenDitch("CLJSG");
  EXPECT_EQ(left.Grid().GetItemText(0, 0).toStdString(), "序号");
  EXPECT_EQ(left.Grid().GetItemText(0, 9).toStdString(), "内侧边坡(m)");
  EXPECT_EQ(left.Panel(0).insertButton->text().toStdString(), "添加一行");
  EXPECT_EQ(left.CopyButton(), nullptr);
  EXPECT_EQ(left.Preview(), nullptr);
  left.Leave();
  EXPECT_EQ(recorders.messages.texts,
            (Texts{RadiusMessage(1, "左天沟"), RadiusMessage(2, "左天沟")}));
  EXPECT_EQ(Record().interceptDitches[kLeft][0].bottomRadius, 0);
  EXPECT_EQ(Record().interceptDitches[kLeft][0].endBottomWidth, 1.0);

  DitchPage& right = OpenDitch("CRJSG");
  EXPECT_EQ(right.Grid().GetItemText(0, 9).toStdString(), "内侧边坡(1:)");
  EXPECT_EQ(right.Grid().GetItemText(0, 10).toStdString(), "外侧边坡(1:)");
}

TEST_F(DitchPages, EmbankmentDitchWidthsAndDepthsAreHeldCrosswiseAndTheCheckUsesTheWidthColumns) {
  EmbankmentDitchRow row{};
  row.structure = 1;
  row.startDepth = 1.0;        // shown under 起始水沟底宽(m)
  row.startBottomWidth = 0.2;  // shown under 起始水沟深(m)
  row.bottomRadius = 0.4;
  Record().embankmentDitches[kLeft] = {row};
  DitchPage& page = OpenDitch("CZLDSG");
  CGridCtrl& grid = page.Grid();
  ASSERT_EQ(grid.GetColumnCount(), 21);
  EXPECT_EQ(grid.GetItemText(0, 6).toStdString(), "起始水沟底宽(m)");
  EXPECT_EQ(grid.GetItemText(1, 1).toStdString(), "1-水沟");
  EXPECT_EQ(grid.GetItemText(1, 6).toStdString(), "1");
  EXPECT_EQ(grid.GetItemText(1, 7).toStdString(), "0.200");
  page.Leave();  // half of 1.0 under the width header exceeds 0.4
  EXPECT_EQ(recorders.messages.texts, (Texts{RadiusMessage(1, "左排水沟")}));

  recorders.messages.texts.clear();
  Type(grid, 1, 6, "1.2");
  Type(grid, 1, 13, "0.5");
  Type(grid, 1, 20, "0.6");
  grid.SetItemText(1, 1, "");  // an empty 类型 reads as 2
  page.Leave();
  EXPECT_TRUE(recorders.messages.texts.empty());
  const EmbankmentDitchRow& stored = Record().embankmentDitches[kLeft].at(0);
  EXPECT_EQ(stored.startDepth, 1.2);
  EXPECT_EQ(stored.endDepth, 0.5);
  EXPECT_EQ(stored.startBottomWidth, 0.2);
  EXPECT_EQ(stored.structure, 2);

  CGridCtrl& again = OpenDitch("CZLDSG").Grid();
  EXPECT_EQ(again.GetItemText(1, 1).toStdString(), "2-路肩沟");
  EXPECT_EQ(again.GetItemText(1, 6).toStdString(), "1.200");
  EXPECT_EQ(again.GetItemText(1, 13).toStdString(), "0.500");
}

TEST_F(DitchPages, ChoosingTheShoulderDitchZeroesTheBermAndWeirFieldsOfTheRow) {
  EmbankmentDitchRow row{};
  row.startBermWidth = row.startBermThickness = row.endBermWidth = row.endBermThickness = 1.5;
  row.startDikeWidth = row.startDikeThickness = row.endDikeWidth = row.endDikeThickness = 1.5;
  row.startDepth = row.endDepth = row.innerSlope = 1.5;
  row.structure = 1;  // "1-水沟": the column is fitted to a shorter label
  Record().embankmentDitches[kRight] = {row};
  DitchPage& page = OpenDitch("CYLDSG");
  const int fitted = page.Grid().GetColumnWidth(1);
  ClickCell(page.Grid(), 1, 1);  // a click on the focus cell opens its editor
  QWidget* list = page.Grid().InPlaceEditor();
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_End);
  QTest::keyClick(list, Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(page.Grid().GetItemText(1, 1).toStdString(), "2-路肩沟");
  // The column widens to show the chosen label whole.
  EXPECT_GT(page.Grid().GetColumnWidth(1), fitted);
  EXPECT_GE(page.Grid().GetColumnWidth(1),
            page.Grid().fontMetrics().horizontalAdvance(QStringLiteral("2-路肩沟")));
  page.Leave();
  EmbankmentDitchRow expected = row;
  expected.structure = 2;
  expected.startBermWidth = expected.startBermThickness = 0;
  expected.endBermWidth = expected.endBermThickness = 0;
  expected.startDikeWidth = expected.startDikeThickness = 0;
  expected.endDikeWidth = expected.endDikeThickness = 0;
  EXPECT_EQ(Record().embankmentDitches[kRight], (std::vector<EmbankmentDitchRow>{expected}));
}

TEST_F(DitchPages, CopyingWritesTheOtherSideUncheckedAndLeavesTheOwnTable) {
  const std::vector<SideDitchRow> stored{Ditch(100, 0.6, 0.4, 1, 1.5, 0.2)};
  Record().sideDitches[kLeft] = stored;
  Record().sideDitches[kRight] = {Ditch(9, 9, 9, 9, 9, 0), Ditch(10, 9, 9, 9, 9, 0)};
  DitchPage& page = OpenDitch("CZLQSG");
  EXPECT_EQ(page.CopyButton()->text().toStdString(), "复制到右侧");
  Type(page.Grid(), 1, 1, "150");
  Press(page.CopyButton());
  EXPECT_TRUE(recorders.messages.texts.empty());
  EXPECT_EQ(Record().sideDitches[kLeft], stored);
  EXPECT_EQ(Record().sideDitches[kRight],
            (std::vector<SideDitchRow>{Ditch(150, 0.6, 0.4, 1, 1.5, 0.2)}));

  EmbankmentDitchRow ditch{};
  ditch.structure = 0;
  ditch.startDepth = 1.5;
  ditch.endBottomWidth = 0.25;
  Record().embankmentDitches[kRight] = {ditch};
  DitchPage& right = OpenDitch("CYLDSG");
  EXPECT_EQ(right.CopyButton()->text().toStdString(), "复制到左侧");
  Press(right.CopyButton());
  EXPECT_EQ(Record().embankmentDitches[kLeft], Record().embankmentDitches[kRight]);

  Record().sideDitches[kLeft].clear();
  DitchPage& empty = OpenDitch("CZLQSG");
  Press(empty.CopyButton());
  EXPECT_TRUE(Record().sideDitches[kRight].empty());
}

TEST_F(DitchPages, ACopyThatCannotAllocateLeavesTheOtherSideAsItWas) {
  Record().sideDitches[kLeft] = {Ditch(100, 0.6, 0.4, 1, 1, 0)};
  Record().sideDitches[kRight] = {Ditch(7, 7, 7, 7, 7, 0)};
  const FailingTable failing(kSideDitchTable);
  CGridCtrl grid;
  TableBinding binding(CZLQSG.grid, kLeft, grid, recorders.messages, &failing);
  binding.Fill(&Record());
  EXPECT_FALSE(DitchPage::CopyToOtherSide(binding, Record()));
  EXPECT_EQ(recorders.messages.texts, (Texts{"分配内存出错!"}));
  EXPECT_EQ(Record().sideDitches[kRight], (std::vector<SideDitchRow>{Ditch(7, 7, 7, 7, 7, 0)}));
  EXPECT_EQ(Record().sideDitches[kLeft].size(), 1u);
}

TEST_F(DitchPages, ThePreviewShowsTheStoredFirstRowThenTheFocusRowAfterARefresh) {
  Record().sideDitches[kLeft] = {Ditch(100, 0.4, 0.6, 1, 1, 0), Ditch(200, 0.8, 0.5, 1.5, 1, 0)};
  DitchPage& page = OpenDitch("CZLQSG");
  PreviewBox& box = *page.Preview();
  EXPECT_EQ(page.RefreshButton()->text().toStdString(), "刷新视图");
  Paint(page);
  const auto drawingOf = [&](const SideDitchRow& row) {
    return SideDitchPreview(row, DitchDirection::Leftwards, box.width(), box.height()).strokes;
  };
  ASSERT_TRUE(box.Drawing().has_value());
  EXPECT_EQ(box.Drawing()->strokes, drawingOf(Record().sideDitches[kLeft][0]));
  const QImage image = box.grab().toImage();
  EXPECT_EQ(image.pixelColor(1, 1), QColor(128, 128, 128));

  Type(page.Grid(), 2, 2, "1.2");  // the preview reads the cells, not the record
  Press(page.RefreshButton());
  Paint(page);
  EXPECT_EQ(box.Drawing()->strokes, drawingOf(Ditch(200, 1.2, 0.5, 1.5, 1, 0)));

  ClickCell(page.Grid(), 3, 1);  // the append row: the box stays as it was
  Press(page.RefreshButton());
  Paint(page);
  EXPECT_EQ(box.Drawing()->strokes, drawingOf(Ditch(200, 1.2, 0.5, 1.5, 1, 0)));

  Record().sideDitches[kRight].clear();
  DitchPage& right = OpenDitch("CYLQSG");
  Paint(right);
  EXPECT_FALSE(right.Preview()->Drawing().has_value());  // an empty table draws nothing
  EXPECT_EQ(right.RefreshButton()->text().toStdString(), "刷新视图 ");
}

TEST_F(DitchPages, ADegenerateRowInThePreviewGivesTheGreyBoxAlone) {
  Record().sideDitches[kRight] = {Ditch(100, -0.4, 0, 1, 1, 0)};
  DitchPage& page = OpenDitch("CYLQSG");
  Paint(page);
  ASSERT_TRUE(page.Preview()->Drawing().has_value());
  EXPECT_TRUE(page.Preview()->Drawing()->strokes.empty());
  Type(page.Grid(), 1, 3, "abc");
  Press(page.RefreshButton());
  Paint(page);
  EXPECT_TRUE(page.Preview()->Drawing()->strokes.empty());
}

}  // namespace
}  // namespace hdmjm::test
