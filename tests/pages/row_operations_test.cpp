// Inserting and deleting rows with the page's buttons, and the conversions of the write-back.
#include <new>

#include "page_fixture.h"
#include "store/field_text.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

class RowOperations : public PageTest {
 protected:
  // 左用地加宽 with three rows: 100, 200, 300 (widenings 1 and 2, 3 and 4, 5 and 6).
  TablePage& OpenThreeRows() {
    Record().landWidenings[kLeft] = {{100, 1, 2}, {200, 3, 4}, {300, 5, 6}};
    return Open("lujbtwk");
  }
  static Texts Column(const CGridCtrl& grid, int col) {
    Texts texts;
    for (int row = 1; row < grid.GetRowCount(); ++row)
      texts.push_back(grid.GetItemText(row, col).toStdString());
    return texts;
  }
};

TEST_F(RowOperations, AnEmptyTableShowsOneReadOnlyRowWhereDeleteDoesNothingAndInsertAddsABlankRow) {
  TablePage& page = Open("LUJXKFD");
  CGridCtrl& grid = page.Grid();
  ASSERT_EQ(grid.GetRowCount(), 2);
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"1", "", ""}));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  Press(page.Panel(0).deleteButton);
  EXPECT_EQ(grid.GetRowCount(), 2);
  Press(page.Panel(0).insertButton);
  ASSERT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"1", "", ""}));
  EXPECT_EQ(RowTexts(grid, 2), (Texts{"2", "", ""}));
  EXPECT_FALSE(grid.GetItemState(1, 1) & GridCell::kReadOnly);  // the new row is editable
  EXPECT_TRUE(grid.GetItemState(2, 1) & GridCell::kReadOnly);   // the append row moved down
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  page.Commit();
  EXPECT_EQ(Record().widthLimits[kLeft], (std::vector<WidthLimitRow>{{0, 0}}));
}

TEST_F(RowOperations, InsertOnTheAppendRowRepeatsTheLastRowBelowTheOthers) {
  TablePage& page = OpenThreeRows();
  CGridCtrl& grid = page.Grid();
  ClickCell(grid, 4, 2);
  Press(page.Panel(0).insertButton);
  EXPECT_EQ(Column(grid, 0), (Texts{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(Column(grid, 1), (Texts{"100", "200", "300", "300", ""}));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{4, 1}));
  for (int row = 1; row < 6; ++row) EXPECT_EQ(grid.GetRowHeight(row), 20);
}

TEST_F(RowOperations, InsertInTheMiddleRepeatsTheFocusRowAboveItself) {
  TablePage& page = OpenThreeRows();
  CGridCtrl& grid = page.Grid();
  ClickCell(grid, 2, 3);
  Press(page.Panel(0).insertButton);
  EXPECT_EQ(Column(grid, 0), (Texts{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(Column(grid, 1), (Texts{"100", "200", "200", "300", ""}));
  EXPECT_EQ(Column(grid, 3), (Texts{"2", "4", "4", "6", ""}));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 1}));
  Type(grid, 2, 1, "150");
  page.Commit();
  EXPECT_EQ(Record().landWidenings[kLeft],
            (std::vector<LandWideningRow>{{100, 1, 2}, {150, 3, 4}, {200, 3, 4}, {300, 5, 6}}));
}

TEST_F(RowOperations, DeletingRenumbersAndTheOnlyRowLeadsBackToTheEmptyLayout) {
  TablePage& page = OpenThreeRows();
  CGridCtrl& grid = page.Grid();
  ClickCell(grid, 4, 1);
  Press(page.Panel(0).deleteButton);  // the append row: nothing
  EXPECT_EQ(grid.GetRowCount(), 5);
  ClickCell(grid, 1, 2);
  Press(page.Panel(0).deleteButton);
  EXPECT_EQ(Column(grid, 0), (Texts{"1", "2", "3"}));
  EXPECT_EQ(Column(grid, 1), (Texts{"200", "300", ""}));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  Press(page.Panel(0).deleteButton);
  Press(page.Panel(0).deleteButton);
  EXPECT_EQ(grid.GetRowCount(), 2);
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"1", "", "", ""}));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  page.Commit();
  EXPECT_TRUE(Record().landWidenings[kLeft].empty());
}

TEST_F(RowOperations, OnFillClassesTheFocusKeepsItsColumnAfterAnInsert) {
  Record().fillClasses = {{100, 0}, {200, 1}, {300, 0}};
  TablePage& page = Open("CTFSJ");
  ClickCell(page.Grid(), 3, 2);
  Press(page.Panel(0).insertButton);
  EXPECT_EQ(page.Grid().GetFocusCell(), (CellId{3, 2}));
  EXPECT_EQ(page.Grid().GetItemText(3, 2).toStdString(), "0-填土");

  TablePage& other = Open("LUJXKFD");
  Press(other.Panel(0).insertButton);
  ClickCell(other.Grid(), 1, 2);
  Press(other.Panel(0).insertButton);
  EXPECT_EQ(other.Grid().GetFocusCell(), (CellId{1, 1}));
}

TEST_F(RowOperations, CellTextIsConvertedWholeByItsLeadingNumberAndCodesByTheirLabels) {
  Record().topsoil[kLeft] = {{1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 4, 0}};
  TablePage& page = Open("CHTHD");
  CGridCtrl& grid = page.Grid();
  const std::pair<QString, QString> typed[] = {{"12abc", "0-清表土"},
                                               {"abc", ""},
                                               {"", "1-挖淤泥"},
                                               {"1234.5678901234567890123456789", "x"}};
  for (int row = 1; row <= 4; ++row) {
    grid.SetItemText(row, 1, typed[row - 1].first);
    grid.SetItemText(row, 3, typed[row - 1].second);
  }
  grid.SetItemText(5, 1, "77");  // the editable append row of 左清表土厚度: never written back
  page.Commit();
  const auto& rows = Record().topsoil[kLeft];
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].endStation, 12);
  EXPECT_EQ(rows[1].endStation, 0);
  EXPECT_EQ(rows[2].endStation, 0);
  EXPECT_EQ(rows[3].endStation, 1234.5678901234567890123456789);  // not cut after 29 bytes
  EXPECT_EQ((std::vector<int>{rows[0].kind, rows[1].kind, rows[2].kind, rows[3].kind}),
            (std::vector<int>{0, 1, 1, 1}));
  EXPECT_EQ(grid.GetItemText(5, 0).toStdString(), "5");
}

TEST_F(RowOperations, LongTextsLongRoadNamesAndHugeValuesShowAndStoreWhole) {
  const std::string remark(200, 'x');
  session.ReplaceRoads([&] {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = std::string(300, 'R') + "线";
    records.back()->landAreaSegments = {{1e300, remark + "备注"}};
    return records;
  }());
  TablePage& page = Open("YDFDB1");
  EXPECT_EQ(page.Heading()->text().toStdString(), "输入" + std::string(300, 'R') + "线横断面数据");
  EXPECT_EQ(page.Grid().GetItemText(1, 1).toStdString(), FormatCellNumber(1e300));
  EXPECT_GT(page.Grid().GetItemText(1, 1).size(), 300);
  EXPECT_EQ(page.Grid().GetItemText(1, 2).toStdString(), remark + "备注");
  page.Grid().SetItemText(1, 2, QString::fromStdString(remark + "改"));
  page.Commit();
  EXPECT_EQ(Record().landAreaSegments.at(0).remark, remark + "改");
  EXPECT_EQ(Record().landAreaSegments.at(0).endStation, 1e300);
}

TEST_F(RowOperations, AFailedAllocationTellsTheDesignerAndLeavesTheTableAsItWas) {
  Record().widthLimits[kLeft] = {{100, 10}, {200, 20}};
  const FailingTable failing(kWidthLimitTable);
  CGridCtrl grid;
  TableBinding binding(EntryOf("LUJXKFD").descriptor->grid, kLeft, grid, recorders.messages,
                       &failing);
  binding.Fill(&Record());
  binding.Grid().SetFocusCell(1, 1);
  binding.InsertRow();
  grid.SetItemText(1, 1, "5");
  EXPECT_FALSE(binding.WriteBack(Record()));
  EXPECT_EQ(recorders.messages.texts, (Texts{"分配内存出错!"}));
  EXPECT_EQ(Record().widthLimits[kLeft], (std::vector<WidthLimitRow>{{100, 10}, {200, 20}}));
}

TEST_F(RowOperations, ABindingConvertsIntoEitherSideAndRunsItsRowCheckOnlyWhenAsked) {
  Record().pavements[kLeft] = {{100, 0.5, 0.25, 0.1}, {200, 0.6, 0.3, 0.2}};
  TablePage& page = Open("CZLMHD");
  TableBinding& binding = page.Binding();
  std::vector<int> checked;
  binding.SetRowCheck([&](int row, std::vector<FieldValue>& fields) {
    checked.push_back(row);
    fields.at(binding.FieldIndex("土路肩厚", kLeft)) = 0.0;
  });
  ClickCell(page.Grid(), 2, 3);
  EXPECT_EQ(binding.FocusRowTexts(), (QStringList{"200", "0.600", "0.300", "0.200"}));
  ClickCell(page.Grid(), 3, 1);
  EXPECT_TRUE(binding.FocusRowTexts().isEmpty());  // the append row

  ASSERT_TRUE(binding.WriteInto(Record(), kRight, false));  // the right table names 分段终里程
  EXPECT_EQ(Record().pavements[kRight], Record().pavements[kLeft]);
  EXPECT_TRUE(checked.empty());
  ASSERT_TRUE(binding.WriteBack(Record()));
  EXPECT_EQ(checked, (std::vector<int>{0, 1}));
  EXPECT_EQ(Record().pavements[kLeft],
            (std::vector<PavementRow>{{100, 0.5, 0.25, 0}, {200, 0.6, 0.3, 0}}));
  EXPECT_EQ(Record().pavements[kRight][1].earthShoulder, 0.2);
}

TEST(GridSteps, WorkOnABareGridWithoutATable) {
  CGridCtrl grid;
  LayOutGrid(grid, 2, 3, true);
  EXPECT_EQ(grid.GetRowCount(), 4);
  EXPECT_TRUE(grid.GetItemState(3, 2) & GridCell::kReadOnly);
  EXPECT_EQ(grid.GetItemFormat(1, 1), kCellFormat);
  for (int row = 1; row <= 2; ++row)
    for (int col = 1; col < 3; ++col) grid.SetItemText(row, col, QString::number(row * 10 + col));
  RenumberRows(grid, 0);
  EXPECT_EQ(grid.GetItemText(3, 0), "3");

  grid.SetFocusCell(3, 2);
  EXPECT_EQ(InsertGridRow(grid, InsertFocus::KeepColumn), 3);  // the append row: a copy above it
  EXPECT_EQ(grid.GetItemText(3, 2), "22");
  EXPECT_EQ(grid.GetItemText(4, 0), "4");
  EXPECT_EQ(grid.GetFocusCell(), (CellId{3, 2}));
  grid.SetFocusCell(4, 1);
  EXPECT_EQ(DeleteGridRow(grid), -1);
  grid.SetFocusCell(1, 1);
  EXPECT_EQ(DeleteGridRow(grid), 1);
  EXPECT_EQ(grid.GetItemText(1, 1), "21");
  EXPECT_EQ(grid.GetItemText(3, 0), "3");
  grid.SetFocusCell(-1, -1);
  EXPECT_EQ(InsertGridRow(grid), -1);
  EXPECT_EQ(grid.GetRowCount(), 4);
}

}  // namespace
}  // namespace hdmjm::test
