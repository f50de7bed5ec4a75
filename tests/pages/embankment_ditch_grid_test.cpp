// What the embankment-ditch grid needs of the engine: columns that show their data columns
// crosswise, a code column, and the shoulder-ditch rule after any change of a cell.
#include "grid/inplacelist.h"
#include "grid/typedgridctrl.h"
#include "page_fixture.h"
#include "pages/ditch_pages.h"

namespace hdmjm::test {
namespace {

// Columns 6 and 7, and 13 and 14, show 水沟底宽 and 水沟深 crosswise.
const GridDesc& kDitchGrid = CYLDSG.grid;

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
