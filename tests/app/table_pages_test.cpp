// Table pages inside their sheets: what a designer types reaches the record when the page is
// left or the sheet confirmed, as each page's leave handler says, and the saved database.
#include <gtest/gtest.h>

#include "app/setdlg.h"
#include "app/sheets.h"
#include "app_fixture.h"
#include "grid/gridctrl.h"
#include "pages/table_page.h"
#include "store/scheme.h"

namespace hdmjm::test {
namespace {

constexpr int kWidthLimitTab = 0;  // LUJXKFD: commits when left
constexpr int kLandWideningTab = 1;
constexpr int kRetainingWallTab = 10;  // LeftDQ: commits on OK only

class TablePagesInASheet : public ::testing::Test {
 protected:
  TablePagesInASheet() {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = "主线";
    records.back()->widthLimits[kLeft] = {{100, 10}, {200, 20}};
    session.ReplaceRoads(std::move(records));
  }
  RoadSectionStore& Record() { return *session.Record(0); }
  TablePage& PageAt(int index) { return *dynamic_cast<TablePage*>(sheet.Page(index)); }
  CGridCtrl& GridAt(int index) { return PageAt(index).Grid(); }

  void Press(int page, const char* button) {
    QTest::mouseClick(PageAt(page).findChild<QPushButton*>(button), Qt::LeftButton);
  }

  // Edits 左路基限宽 (type, insert, delete, type), then 左挡墙分段, leaving each for the next tab.
  void EditTwoPages() {
    sheet.show();
    CGridCtrl& limits = GridAt(kWidthLimitTab);
    Type(limits, 1, 2, "15");
    Click(limits, 2, 1);
    Press(kWidthLimitTab, "insertButton");  // 200 20 repeated above itself
    Click(limits, 1, 1);
    Press(kWidthLimitTab, "deleteButton");
    Type(limits, 2, 1, "250.5");
    ClickTab(sheet, kLandWideningTab);
    ClickTab(sheet, kWidthLimitTab);  // not refilled: still the edits
    EXPECT_EQ(limits.GetItemText(2, 1).toStdString(), "250.5");

    ClickTab(sheet, kRetainingWallTab);
    CGridCtrl& walls = GridAt(kRetainingWallTab);
    Type(walls, 1, 1, "9");  // the editable append row: shown, never stored
    Press(kRetainingWallTab, "insertButton");
    Type(walls, 1, 2, "7");
    ClickTab(sheet, kLandWideningTab);
    ClickTab(sheet, kRetainingWallTab);
    EXPECT_EQ(walls.GetItemText(1, 2).toStdString(), "7");
    EXPECT_EQ(walls.GetItemText(2, 1).toStdString(), "9");
  }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
  HDMContainer sheet{context};
};

TEST_F(TablePagesInASheet, TheKeyboardGoesToThePagesGridSoTypingEditsACell) {
  sheet.show();
  EXPECT_EQ(sheet.focusWidget(), &GridAt(kWidthLimitTab));
  ClickTab(sheet, kLandWideningTab);
  EXPECT_EQ(sheet.focusWidget(), &GridAt(kLandWideningTab));
}

TEST_F(TablePagesInASheet, CancelKeepsWhatLeavingCommittedAndLosesTheOkOnlyPage) {
  EditTwoPages();
  ClickButton(sheet, QDialogButtonBox::Cancel);
  EXPECT_EQ(Record().widthLimits[kLeft], (std::vector<WidthLimitRow>{{200, 20}, {250.5, 20}}));
  EXPECT_TRUE(Record().retainingWalls[kLeft].empty());
}

TEST_F(TablePagesInASheet, OkStoresEveryPageAndTheSavedDatabaseHoldsTheEdits) {
  EditTwoPages();
  ClickButton(sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(Record().retainingWalls[kLeft], (std::vector<RetainingWallRow>{{0, 0, 7, 0}}));

  ScratchDir scratch;
  const std::string database = scratch.File("方案.mdb");
  RunSql(database, {"CREATE TABLE 断链表 (序号 INTEGER PRIMARY KEY, 道路名 TEXT)"});
  Record().databasePath = database;
  ASSERT_TRUE(SaveRoad(Record(), database, "主线", recorders.services()));
  EXPECT_EQ(QuerySql(database, "SELECT 分段终里程, 路基限宽 FROM 左横断面限制宽度 ORDER BY 序号"),
            (std::vector<std::vector<std::string>>{{"200.0", "20.0"}, {"250.5", "20.0"}}));
  EXPECT_EQ(QuerySql(database, "SELECT 起始里程, 起始支距, 终点里程 FROM 左挡墙"),
            (std::vector<std::vector<std::string>>{{"0.0", "7.0", "0.0"}}));
}

TEST(PageTables, EveryTableNamedByTheSheetsAndTheSettingsPageIsInTheCatalogue) {
  for (std::string_view name : SetDlg::TableNames()) EXPECT_NE(FindTable(name), nullptr) << name;
  for (auto pages : {MainSheetPages(), LeftSheetPages(), RightSheetPages()}) {
    for (const PageEntry& entry : pages) {
      EXPECT_NE(entry.create, nullptr) << entry.className;
      if (entry.descriptor) {
        EXPECT_NE(FindTable(entry.descriptor->grid.table), nullptr) << entry.className;
      }
    }
  }
}

}  // namespace
}  // namespace hdmjm::test
