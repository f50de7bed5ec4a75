// The ditch and automatic-design pages inside the left side sheet: edits made with keys and
// clicks reach the record when the page is left or the sheet confirmed, and the saved database,
// from which they come back under the same headers.
#include <gtest/gtest.h>

#include "app/sheets.h"
#include "app_fixture.h"
#include "grid/gridctrl.h"
#include "pages/multi_grid_pages.h"
#include "pages/table_page.h"
#include "store/scheme.h"

namespace hdmjm::test {
namespace {

constexpr int kSideDitchTab = 6;        // CZLQSG
constexpr int kEmbankmentDitchTab = 7;  // CZLDSG
constexpr int kAutoDesignTab = 14;      // CLeftAutoDesCS: commits on OK only

using Table = std::vector<std::vector<std::string>>;

class DitchPagesInASheet : public ::testing::Test {
 protected:
  DitchPagesInASheet() {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = "连接线";
    records.back()->sideDitches[kLeft] = {{100, 0.1, 0.6, 0.4, 1, 1, 0},
                                          {200, 0.1, 0.8, 0.5, 1.5, 1, 0.4}};
    session.ReplaceRoads(std::move(records));
  }
  RoadSectionStore& Record() { return *session.Record(0); }

  static TablePage& PageAt(PropertySheet& sheet, int index) {
    return *dynamic_cast<TablePage*>(sheet.Page(index));
  }
  static void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  // Selects the tab; the page created for it shows once the events are processed.
  static void Select(PropertySheet& sheet, int tab) {
    ClickTab(sheet, tab);
    QApplication::processEvents();
  }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
};

TEST_F(DitchPagesInASheet, EditsReachTheRecordOnLeavingAndOkAndTheSavedDatabase) {
  HDMContainer sheet{context};
  sheet.show();
  Select(sheet, kSideDitchTab);
  TablePage& ditches = PageAt(sheet, kSideDitchTab);
  CGridCtrl& grid = ditches.Grid();
  Type(grid, 1, 2, "0.7");
  Click(grid, 2, 1);
  Press(ditches.Panel(0).insertButton);  // row 2 repeated above itself
  Type(grid, 2, 1, "150");
  Click(grid, 1, 1);
  Press(ditches.Panel(0).deleteButton);  // rows 150 and 200 remain
  Type(grid, 2, 7, "0.1");               // below half of 0.8: reported, stored as 0
  Select(sheet, kEmbankmentDitchTab);
  EXPECT_EQ(recorders.messages.texts,
            (std::vector<std::string>{
                "连接线第2行左侧沟沟底半径小于半个水沟底宽！请重新设置沟底半径！"}));
  const std::vector<SideDitchRow> committed{{150, 0.1, 0.8, 0.5, 1.5, 1, 0.4},
                                            {200, 0.1, 0.8, 0.5, 1.5, 1, 0}};
  EXPECT_EQ(Record().sideDitches[kLeft], committed);

  TablePage& embankment = PageAt(sheet, kEmbankmentDitchTab);
  CGridCtrl& typed = embankment.Grid();
  Press(embankment.Panel(0).insertButton);  // a blank row on the empty table
  Type(typed, 1, 6, "1.2");                 // under 起始水沟底宽(m)
  Type(typed, 1, 7, "0.8");                 // under 起始水沟深(m)
  Select(sheet, kSideDitchTab);
  EXPECT_EQ(grid.GetItemText(2, 7).toStdString(), "0.1");  // not refilled: the grid as left

  Select(sheet, kAutoDesignTab);
  TablePage& autoDesign = PageAt(sheet, kAutoDesignTab);
  Press(autoDesign.Panel(AutoDesignPage::kFillGrid).insertButton);
  Type(autoDesign.Grid(AutoDesignPage::kFillGrid), 1, 2, "300");
  Select(sheet, kSideDitchTab);
  EXPECT_TRUE(Record().autoFillRanges[kLeft].empty());  // OK only

  ClickButton(sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(Record().sideDitches[kLeft], committed);
  ASSERT_EQ(Record().embankmentDitches[kLeft].size(), 1u);
  EXPECT_EQ(Record().embankmentDitches[kLeft][0].structure, 2);  // an empty 类型
  EXPECT_EQ(Record().autoFillRanges[kLeft], (std::vector<StationRangeRow>{{0, 300}}));

  ScratchDir scratch;
  const std::string database = scratch.File("方案.mdb");
  RunSql(database, {"CREATE TABLE 断链表 (序号 INTEGER PRIMARY KEY, 道路名 TEXT)"});
  Record().databasePath = database;
  ASSERT_TRUE(SaveRoad(Record(), database, "连接线", recorders.services()));
  EXPECT_EQ(QuerySql(database, "SELECT 分段终里程, 水沟底宽, 沟底半径 FROM 左侧沟 ORDER BY 序号"),
            (Table{{"150.0", "0.8", "0.4"}, {"200.0", "0.8", "0.0"}}));
  EXPECT_EQ(QuerySql(database, "SELECT 坡脚墙, 起始水沟深, 起始水沟底宽 FROM 左排水沟"),
            (Table{{"2", "1.2", "0.8"}}));
  EXPECT_EQ(QuerySql(database, "SELECT 起始里程, 终点里程 FROM 左低填路堤自动填平"),
            (Table{{"0.0", "300.0"}}));

  RoadRecordList reloaded;
  reloaded.push_back(std::make_unique<RoadSectionStore>());
  ASSERT_TRUE(LoadRoad(*reloaded.back(), database, "连接线", recorders.services()));
  session.ReplaceRoads(std::move(reloaded));
  HDMContainer again{context};
  again.show();
  Select(again, kEmbankmentDitchTab);
  CGridCtrl& shown = PageAt(again, kEmbankmentDitchTab).Grid();
  EXPECT_EQ(shown.GetItemText(1, 1).toStdString(), "2-路肩沟");
  EXPECT_EQ(shown.GetItemText(1, 6).toStdString(), "1.200");
  EXPECT_EQ(shown.GetItemText(1, 7).toStdString(), "0.800");
}

}  // namespace
}  // namespace hdmjm::test
