// The three sheets: their tabs, lazy page creation, the commit protocol and the side sheets.
#include "app/sheets.h"

#include <gtest/gtest.h>

#include "app_fixture.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

class SheetTest : public ::testing::Test {
 protected:
  SheetTest() {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    session.ReplaceRoads(std::move(records));
  }
  RoadSectionStore& Record() { return *session.Record(0); }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
};

TEST_F(SheetTest, EachSheetListsItsPagesInTabOrderUnderTheirCaptions) {
  HDMJM main(context);
  HDMContainer left(context);
  HDMContainerR right(context);
  EXPECT_EQ(main.windowTitle().toStdString(), "横断面数据");
  EXPECT_EQ(left.windowTitle().toStdString(), "左标准断面参数");
  EXPECT_EQ(right.windowTitle().toStdString(), "右标准断面参数");
  EXPECT_EQ(TabTexts(main),
            (Texts{"横断面数据", "左侧横断面参数", "右侧横断面参数", "填方分类", "用地类型表",
                   "用地面积汇总分段表", "松方压实系数", "关联断面参数设置"}));
  EXPECT_EQ(TabTexts(left),
            (Texts{"左路基限宽", "左用地加宽", "左地面线内插宽", "左路面厚度", "左路堤边坡",
                   "左路堑边坡", "左侧沟", "左路堤水沟", "左沟底坡", "左天沟", "左挡墙分段",
                   "左清表土厚度", "左超填宽度", "左弧形边坡", "左自动化设计参数", "左挖方分类"}));
  EXPECT_EQ(TabTexts(right),
            (Texts{"右路基限宽", "右用地加宽", "右路面厚度", "右地面线内插宽", "右清表土厚度",
                   "右路堤边坡", "右路堑边坡", "右侧沟", "右路堤水沟", "右沟底坡", "右天沟",
                   "右挡墙分段", "右超填宽度", "右弧形边坡", "右自动化设计参数", "右挖方分类"}));
  auto* buttons = left.findChild<QDialogButtonBox*>();
  EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text().toStdString(), "确定");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().toStdString(), "取消");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Apply), nullptr);
}

TEST_F(SheetTest, PagesAreCreatedAndFilledOnlyWhenTheirTabIsFirstShown) {
  const std::vector<PageEntry> pages = AsEditPages(LeftSheetPages());
  PropertySheet sheet("左标准断面参数", pages, context);
  EXPECT_EQ(sheet.Page(0), nullptr);
  sheet.show();
  ASSERT_NE(EditPageAt(sheet, 0), nullptr);
  EXPECT_EQ(EditPageAt(sheet, 0)->FilledRecord(), &Record());
  ClickTab(sheet, 3);
  ClickTab(sheet, 0);
  ClickTab(sheet, 3);
  EXPECT_EQ(EditPageAt(sheet, 3)->fills, 1);  // shown twice, filled once
  for (int i : {1, 2, 4, 15}) EXPECT_EQ(sheet.Page(i), nullptr) << i;
}

TEST_F(SheetTest, LeavingCommitsOnlyPagesWithALeaveHandlerAndCancelRunsNoHandler) {
  const std::vector<PageEntry> pages = AsEditPages(LeftSheetPages());
  PropertySheet sheet("左标准断面参数", pages, context);
  sheet.show();         // 左路基限宽: leave handler
  ClickTab(sheet, 10);  // 左挡墙分段: OK only
  ClickTab(sheet, 11);  // 左清表土厚度: leave handler, current when Cancel is pressed
  ClickButton(sheet, QDialogButtonBox::Cancel);
  EXPECT_EQ(sheet.result(), QDialog::Rejected);
  EXPECT_EQ(Commits(Record()), Texts{"左路基限宽"});
}

TEST_F(SheetTest, OkLeavesTheCurrentPageThenRunsTheOkHandlersOfCreatedPagesInTabOrder) {
  const std::vector<PageEntry> pages = AsEditPages(RightSheetPages());
  PropertySheet sheet("右标准断面参数", pages, context);
  sheet.show();        // 右路基限宽
  ClickTab(sheet, 6);  // 右路堑边坡
  ClickTab(sheet, 9);  // 右沟底坡: OK only
  ClickTab(sheet, 2);  // 右路面厚度, current when OK is pressed
  QTest::keyClicks(EditPageAt(sheet, 2)->edit, "7");
  ClickButton(sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(Commits(Record()), (Texts{"右路基限宽", "右路堑边坡",  // left
                                      "右路面厚度",                // OK leaves the current page
                                      "右路基限宽", "右路面厚度", "右路堑边坡", "右沟底坡"}));
  EXPECT_EQ(Record().landTypes[2].endStation, 7);
}

TEST_F(SheetTest, SelectingASideTabRunsItsSheetAtOnceAndTheTabStaysSelected) {
  std::vector<PageEntry> pages(MainSheetPages().begin(), MainSheetPages().end());
  pages[0].create = &Create<EditPage>;  // no database behind this sheet
  HDMJM main(context, nullptr, pages);
  main.show();
  std::vector<Texts> seenTabs;
  ModalWatcher watcher([&](QDialog* dialog) {
    auto* sheet = qobject_cast<PropertySheet*>(dialog);
    seenTabs.push_back(TabTexts(*sheet));
    EXPECT_NE(sheet->Page(0), nullptr);
    ClickButton(*sheet, QDialogButtonBox::Cancel);
  });

  ClickTab(main, 1);
  EXPECT_EQ(main.Tabs()->currentIndex(), 1);
  EXPECT_TRUE(main.findChildren<HDMContainer*>().empty());  // destroyed when closed
  ClickTab(main, 1);                                        // selected already: nothing opens
  ClickTab(main, 2);
  ClickTab(main, 1);  // another tab in between: opens again
  EXPECT_EQ(watcher.titles, (Texts{"左标准断面参数", "右标准断面参数", "左标准断面参数"}));
  ASSERT_EQ(seenTabs.size(), 3u);
  EXPECT_EQ(seenTabs[1].front(), "右路基限宽");
  EXPECT_EQ(main.Tabs()->currentIndex(), 1);
}

}  // namespace
}  // namespace hdmjm::test
