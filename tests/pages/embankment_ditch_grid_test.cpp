// What the embankment-ditch grid needs of the engine: columns that show their data columns
// crosswise, a code column, and the shoulder-ditch rule after any change of a cell.
#include "grid/inplacelist.h"
#include "grid/typedgridctrl.h"
#include "page_fixture.h"

namespace hdmjm::test {
namespace {

// Columns 6 and 7, and 13 and 14, show 水沟底宽 and 水沟深 crosswise.
constexpr GridColumn kColumns[] = {{"类型", "坡脚墙"},
                                   {"浆砌厚度(m)", "浆砌厚度"},
                                   {"起始里程", "起始里程"},
                                   {"起始护坡道宽(m)", "起始护坡道宽"},
                                   {"起始护坡道厚(m)", "起始护坡道厚"},
                                   {"起始水沟底宽(m)", "起始水沟深"},
                                   {"起始水沟深(m)", "起始水沟底宽"},
                                   {"起始挡水堰宽(m)", "起始挡水堰宽"},
                                   {"起始挡水堰厚(m)", "起始挡水堰厚"},
                                   {"终止里程", "终止里程"},
                                   {"终止护坡道宽(m)", "终止护坡道宽"},
                                   {"终止护坡道厚(m)", "终止护坡道厚"},
                                   {"终止水沟底宽(m)", "终止水沟深"},
                                   {"终止水沟深(m)", "终止水沟底宽"},
                                   {"终止挡水堰宽(m)", "终止挡水堰宽"},
                                   {"终止挡水堰厚(m)", "终止挡水堰厚"},
                                   {"内侧边坡(1:)", "内侧边坡"},
                                   {"外侧边坡(1:)", "外侧边坡"},
                                   {"挡水堰边坡(1:)", "挡水堰坡"},
                                   {"沟底半径(m)", "沟底半径"}};
constexpr GridDesc kDitchGrid{.table = kEmbankmentDitchTable,
                              .columns = kColumns,
                              .numberHeader = "序号",
                              .cellEdited = &ZeroShoulderDitchCells};

TEST_F(PageTest, ADitchGridShowsColumnsCrosswiseAndZeroesBermAndWeirOfAShoulderDitch) {
  EmbankmentDitchRow row;
  row.structure = 1;
  row.startBottomWidth = 1.2;
  row.startDepth = 0.8;
  row.startBermWidth = row.startDikeWidth = row.endBermThickness = row.endDikeThickness = 2;
  Record().embankmentDitches[kRight] = {row};
  CTypedGridCtrl grid;
  grid.resize(1400, 200);
  grid.show();
  TableBinding binding(kDitchGrid, kRight, grid, recorders.messages);
  ASSERT_TRUE(binding.IsResolved());
  binding.Fill(&Record());
  EXPECT_EQ(grid.GetItemText(1, 1).toStdString(), "1-水沟");
  EXPECT_EQ(grid.GetItemText(1, 6).toStdString(), "0.800");  // 起始水沟深 under 起始水沟底宽(m)
  EXPECT_EQ(grid.GetItemText(1, 7).toStdString(), "1.200");

  ClickCell(grid, 1, 1);
  ClickCell(grid, 1, 1);
  auto* list = qobject_cast<InPlaceList*>(grid.InPlaceEditor());
  ASSERT_NE(list, nullptr);
  list->setCurrentIndex(2);
  QTest::keyClick(list, Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (int col : {4, 5, 8, 9, 11, 12, 15, 16}) EXPECT_EQ(grid.GetItemText(1, col), "0") << col;
  EXPECT_EQ(grid.GetItemText(1, 7).toStdString(), "1.200");

  ASSERT_TRUE(binding.WriteBack(Record()));
  row.structure = 2;
  row.startBermWidth = row.startDikeWidth = row.endBermThickness = row.endDikeThickness = 0;
  EXPECT_EQ(Record().embankmentDitches[kRight], std::vector<EmbankmentDitchRow>{row});
}

}  // namespace
}  // namespace hdmjm::test
