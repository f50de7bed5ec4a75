// The road's history in the sheets, on a scheme of two roads (主线, A) of default tables.
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "pages/slope_pages.h"
#include "store/scheme.h"

namespace hdmjm::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

constexpr int kFillClassTab = 3;
constexpr int kEmbankmentTab = 4;  // CHdmZLDBP in the left sheet

void Key(QWidget* widget, Qt::Key key) { QTest::keyClick(widget, key, Qt::ControlModifier); }
CGridCtrl& FirstGrid(const PropertySheet& sheet, int tab = 0) {
  return *sheet.Page(tab)->findChild<CGridCtrl*>();
}

class HistoryInSheets : public ::testing::Test, protected SchemeProject {
 protected:
  HistoryInSheets() {
    RunSql(database,
           {kChainBreakTableSql, ChainBreakRowSql("主线", 0, 5200), ChainBreakRowSql("A", 0, 900)});
    main.show();
  }
  // Opens the left side sheet, lets `edit` work on its first grid, and confirms it.
  void InLeftSheet(const std::function<void(CGridCtrl&)>& edit) {
    HDMContainer left(context);
    left.show();
    edit(FirstGrid(left));
    ClickButton(left, QDialogButtonBox::Ok);
  }
  double Limit(int road) { return session.Record(road)->widthLimits[kLeft].at(0).widthLimit; }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{installRoot};
  PageContext context{session, recorders.messages, files, recorders.trace};
  HDMJM main{context};
};

TEST_F(HistoryInSheets, TheHistoryOutlivesASideSheetAndBelongsToItsRoad) {
  InLeftSheet([](CGridCtrl& grid) { Type(grid, 1, 2, "99"); });
  Key(&main, Qt::Key_Z);  // no side sheet open: the record itself goes back
  EXPECT_EQ(Limit(0), 100);
  InLeftSheet([](CGridCtrl& grid) { Key(&grid, Qt::Key_Y); });
  EXPECT_EQ(Limit(0), 99);
  ASSERT_TRUE(session.SelectRoad(1));
  InLeftSheet([](CGridCtrl& grid) { Type(grid, 1, 2, "77"); });
  ASSERT_TRUE(session.SelectRoad(0));
  Key(&main, Qt::Key_Z);  // 主线's step, not A's
  EXPECT_EQ(Limit(0), 100);
  EXPECT_EQ(Limit(1), 77);
}

TEST_F(HistoryInSheets, AnUndoAfterOkIsSavedByTheNextOkAndTheSettingsButtonsAreSteps) {
  RoadSectionStore& road = *session.Record(0);
  road.fillClasses = {{5200, 0}};
  ClickTab(main, kFillClassTab);
  CGridCtrl& grid = FirstGrid(main, kFillClassTab);
  Type(grid, 1, 1, "4000");
  const std::string query = "SELECT 分段终里程 FROM 填方分类 WHERE 道路名 = '主线'";
  ClickButton(main, QDialogButtonBox::Ok);
  EXPECT_EQ(QuerySql(database, query), (Rows{{"4000.0"}}));
  main.show();  // as when a save fails: the sheet and its history stay
  Key(&grid, Qt::Key_Z);
  ClickButton(main, QDialogButtonBox::Ok);
  EXPECT_EQ(QuerySql(database, query), (Rows{{"5200.0"}}));

  main.show();
  road.widthLimits = {{{{1000, 30}}, {{2000, 40}, {3000, 50}}}};
  const PerSide<std::vector<WidthLimitRow>> before = road.widthLimits;
  for (const char* button : {"copyToRightButton", "segmentEndsButton"}) {
    main.Page(0)->findChild<QPushButton*>(button)->click();
    ClickTab(main, kFillClassTab);
    Key(&grid, Qt::Key_Z);  // undone where it was made: the settings page shows again
    EXPECT_EQ(main.Tabs()->currentIndex(), 0) << button;
    EXPECT_EQ(road.widthLimits, before) << button;
  }
}

TEST_F(HistoryInSheets, LevelEditsNotStoredAreAskedForOnShowingLeavingAndOk) {
  const std::string question = ToQString(kUnstoredLevels).arg(1).toStdString();
  for (int trigger = 0; trigger < 3; ++trigger) {
    for (int answer : {kStoreThem, kDiscardThem, kStayOnPage}) {
      SCOPED_TRACE("trigger " + std::to_string(trigger) + ", answer " + std::to_string(answer));
      SlopeTable& table = session.Record(0)->embankmentSlopes[kLeft];
      table.rows.assign(2, MakeSlopeSegment(5200, {{1.5, 8, 1, 0}}));
      recorders.messages.texts.clear();
      HDMContainer left(context);
      left.show();
      ClickTab(left, kEmbankmentTab);
      auto& page = dynamic_cast<SlopeEditorPage&>(*left.Page(kEmbankmentTab));
      Type(page.LevelGrid(), 1, 1, "9");
      recorders.messages.answers = {answer};
      if (trigger == 0) Click(page.SegmentGrid(), 2, 1), page.ButtonOf(page.kShowLevels)->click();
      if (trigger == 1) ClickTab(left, kEmbankmentTab + 1);
      if (trigger == 2) ClickButton(left, QDialogButtonBox::Ok);
      EXPECT_EQ(recorders.messages.texts, std::vector<std::string>{question});
      EXPECT_EQ(table.rows[0].levels[0].ratio, answer == kStoreThem ? 9 : 1.5);
      if (answer == kStayOnPage) {
        EXPECT_TRUE(left.isVisible() && left.Tabs()->currentIndex() == kEmbankmentTab);
        continue;
      }
      ASSERT_TRUE(SaveRoad(*session.Record(0), database, "主线", recorders.services()));
      EXPECT_EQ(QuerySql(database,
                         "SELECT [1级边坡系数] FROM 左路堤边坡 WHERE 道路名 = '主线' "
                         "ORDER BY 序号 LIMIT 1"),
                (Rows{{answer == kStoreThem ? "9.0" : "1.5"}}));
    }
  }
}

}  // namespace
}  // namespace hdmjm::test
