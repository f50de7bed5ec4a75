// The slope pages inside the left side sheet: segments and levels edited through the grids and
// buttons reach the record as the leave handler and OK say, and the saved database.
#include <gtest/gtest.h>

#include "app/sheets.h"
#include "app_fixture.h"
#include "grid/gridctrl.h"
#include "pages/slope_pages.h"
#include "store/scheme.h"

namespace hdmjm::test {
namespace {

constexpr int kEmbankmentTab = 4;  // CHdmZLDBP
constexpr int kCutTab = 5;         // CHdmZLQBP

class SlopePagesInASheet : public ::testing::Test {
 protected:
  SlopePagesInASheet() {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = "主线";
    SlopeTable& table = records.back()->embankmentSlopes[kLeft];
    table.rows = {MakeSlopeSegment(100, {{1.5, 8, 1, 0}, {1.75, 10, 1, 0}, {2, 20, 1, 0}}),
                  MakeSlopeSegment(250, {{1, 5, 2, 4}})};
    session.ReplaceRoads(std::move(records));
  }
  SlopeTable& Table() { return session.Record(0)->embankmentSlopes[kLeft]; }
  SlopeEditorPage& Page() { return *dynamic_cast<SlopeEditorPage*>(sheet.Page(kEmbankmentTab)); }

  static void Click(CGridCtrl& grid, int row) {
    if (grid.GetFocusCell().row == row) return;  // a click on the focus cell would edit it
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(row, 1).center());
  }
  static void Type(CGridCtrl& grid, int row, int col, const QString& text) {
    if (grid.GetFocusCell() != CellId{row, col})
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(row, col).center());
    QTest::keyClicks(&grid, text.left(1));
    ASSERT_NE(grid.InPlaceEditor(), nullptr);
    QTest::keyClicks(grid.InPlaceEditor(), text.mid(1));
    QTest::keyClick(grid.InPlaceEditor(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void Press(SlopeEditorPage::Button button) {
    QTest::mouseClick(Page().ButtonOf(button), Qt::LeftButton);
  }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
  HDMContainer sheet{context};
};

TEST_F(SlopePagesInASheet, EditsReachTheRecordOnLeavingAndOkAndTheSavedDatabase) {
  sheet.show();
  ClickTab(sheet, kEmbankmentTab);
  CGridCtrl& segments = Page().SegmentGrid();
  Type(segments, 2, 1, "300");
  Press(SlopeEditorPage::kInsertSegment);  // 300 repeated above itself, levels included
  Type(segments, 2, 1, "200");
  Click(segments, 1);
  Press(SlopeEditorPage::kDeleteSegment);
  Press(SlopeEditorPage::kShowLevels);  // segment 1 is now the one at 200
  Type(Page().LevelGrid(), 1, 2, "6");
  Press(SlopeEditorPage::kStoreLevels);
  Type(Page().LevelGrid(), 1, 3, "9");  // never stored: leaving asks, and it is discarded
  recorders.messages.answers = {kDiscardThem};

  ClickTab(sheet, kCutTab);
  EXPECT_EQ(Table().Count(), 2);
  EXPECT_EQ(Table().rows[1].endStation, 300);
  ClickTab(sheet, kEmbankmentTab);
  EXPECT_EQ(Page().LevelGrid().GetItemText(1, 3), "2.00");  // the segment's levels back
  Type(segments, 2, 1, "350");
  ClickButton(sheet, QDialogButtonBox::Ok);

  ASSERT_EQ(Table().Count(), 2);
  EXPECT_EQ(Table().rows[0].endStation, 200);
  EXPECT_EQ(Table().rows[0].levelCount, 1);
  EXPECT_EQ(Table().rows[0].levels[0], (SlopeLevel{1, 6, 2, 4}));
  EXPECT_EQ(Table().rows[1].endStation, 350);
  EXPECT_EQ(recorders.messages.texts.size(), 1u);  // the question, once

  ScratchDir scratch;
  const std::string database = scratch.File("方案.mdb");
  RunSql(database, {"CREATE TABLE 断链表 (序号 INTEGER PRIMARY KEY, 道路名 TEXT)"});
  session.Record(0)->databasePath = database;
  ASSERT_TRUE(SaveRoad(*session.Record(0), database, "主线", recorders.services()));
  // The save sets the last level's height limit to 100.
  EXPECT_EQ(QuerySql(database,
                     "SELECT 分段终里程, 边坡总级数, [1级最大高度], [1级平台宽度] "
                     "FROM 左路堤边坡 ORDER BY 序号"),
            (std::vector<std::vector<std::string>>{{"200.0", "1", "100.0", "2.0"},
                                                   {"350.0", "1", "100.0", "2.0"}}));
}

}  // namespace
}  // namespace hdmjm::test
