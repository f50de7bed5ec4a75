// The page engine: every descriptor against the catalogue, the fill and write-back round trip,
// the grid layout, the insert and delete rules and the conversions of cell text.

#include "grid/typedgridctrl.h"
#include "page_fixture.h"
#include "pages/page_descriptors.h"
#include "store/field_text.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

// A value that survives being shown with three decimals, different for every cell.
FieldValue SampleValue(const DataColumn& column, int row, int col) {
  switch (column.kind) {
    case FieldKind::Real:
      return (row + 1) * 100.0 + col + (col % 2 ? 0.25 : 0) - 50 * (row == 1);
    case FieldKind::Code:
      return static_cast<int>((row + col) % column.codes->Labels().size());
    case FieldKind::Count:
      return row + col;
    case FieldKind::Text:
      // Longer than any old buffer, with a blank and a digit at the start.
      return std::to_string(row) + " 水稻田旱地林地果园苗圃草地水塘建设用地未利用地" +
             std::to_string(col);
  }
  return 0.0;
}

std::vector<const PageEntry*> TablePageEntries() {
  static const std::vector<PageEntry> all = AllPageEntries();
  std::vector<const PageEntry*> entries;
  for (const PageEntry& entry : all)
    if (entry.descriptor) entries.push_back(&entry);
  return entries;
}

TEST_F(PageTest, TwentyNineTablePagesEachNameACatalogueTableAndShowEveryColumnOnBothSides) {
  EXPECT_EQ(TablePageEntries().size(), 29u);
  for (const PageEntry* entry : TablePageEntries()) {
    SCOPED_TRACE(std::string(entry->className));
    CGridCtrl grid;
    const TableBinding binding(entry->descriptor->grid, entry->descriptor->side, grid,
                               recorders.messages);
    ASSERT_NE(FindTable(entry->descriptor->grid.table), nullptr);
    EXPECT_TRUE(binding.IsResolved());
    for (Side side : {kLeft, kRight}) {
      std::vector<int> shown(binding.Table().DataColumns(side).size(), 0);
      for (int col = 1; col <= static_cast<int>(entry->descriptor->grid.columns.size()); ++col)
        ++shown.at(binding.FieldOf(col, side));
      EXPECT_EQ(shown, std::vector<int>(shown.size(), 1)) << "side " << side;
    }
  }
}

TEST_F(PageTest, EveryGridOfEveryPageFindsTheColumnsItsRulesName) {
  for (const PageEntry& entry : AllPageEntries()) {
    SCOPED_TRACE(std::string(entry.className));
    const auto page = entry.create(entry, context);
    const auto bindings = page->findChildren<TableBinding*>();
    if (const auto* table = dynamic_cast<TablePage*>(page.get())) {
      EXPECT_EQ(bindings.size(), table->GridCount());
    }
    for (const TableBinding* binding : bindings) EXPECT_TRUE(binding->IsResolved());
  }
  CGridCtrl grid;
  TableBinding binding(CZLMHD.grid, kLeft, grid, recorders.messages);
  EXPECT_GT(binding.Require("车行道厚"), 0);
  EXPECT_TRUE(binding.IsResolved());
  EXPECT_EQ(binding.Require("车行道宽"), -1);
  EXPECT_FALSE(binding.IsResolved());
}

TEST_F(PageTest, FillingAPageAndWritingItBackLeavesEveryTableOfBothSidesUnchanged) {
  for (const PageEntry* entry : TablePageEntries()) {
    SCOPED_TRACE(std::string(entry->className));
    const TableDesc& table = *FindTable(entry->descriptor->grid.table);
    const Side side = entry->descriptor->side;
    const auto& columns = table.DataColumns(side);
    table.Resize(Record(), side, 3);
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < static_cast<int>(columns.size()); ++col)
        table.Set(Record(), side, row, col, SampleValue(columns[col], row, col));
    const auto before = [&] {
      std::vector<FieldValue> values;
      for (int row = 0; row < table.RowCount(Record(), side); ++row)
        for (int col = 0; col < static_cast<int>(columns.size()); ++col)
          values.push_back(table.Get(Record(), side, row, col));
      return values;
    };
    const std::vector<FieldValue> filled = before();
    TablePage& page = Open(entry->className);
    EXPECT_EQ(page.objectName().toStdString(), entry->className);
    EXPECT_EQ(page.Grid().GetRowCount(), 5);
    page.Commit();
    EXPECT_EQ(table.RowCount(Record(), side), 3);
    EXPECT_EQ(before(), filled);
  }
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(PageTest, ASegmentPageShowsHeadersNumbersColoursSizesAndAReadOnlyAppendRow) {
  Record().widthLimits[kLeft] = {{1250, 30}, {1250.5, 0.000004}, {-1.25, 2.9999999}};
  TablePage& page = Open("LUJXKFD");
  CGridCtrl& grid = page.Grid();
  EXPECT_NE(dynamic_cast<CTypedGridCtrl*>(&grid), nullptr);
  EXPECT_EQ(page.Heading()->text().toStdString(), "输入主线横断面数据");
  EXPECT_EQ(RowTexts(grid, 0), (Texts{"序 号", "分段终里程", "限宽(m)"}));
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"1", "1250", "30"}));
  EXPECT_EQ(RowTexts(grid, 2), (Texts{"2", "1250.500", "0"}));
  EXPECT_EQ(RowTexts(grid, 3), (Texts{"3", "-1.250", "3.000"}));
  EXPECT_EQ(RowTexts(grid, 4), (Texts{"4", "", ""}));
  for (int col = 0; col < 3; ++col) {
    EXPECT_TRUE(grid.GetItemState(4, col) & GridCell::kReadOnly);
    EXPECT_FALSE(grid.GetItemState(3, col) & GridCell::kReadOnly);
  }
  EXPECT_EQ(grid.GetTextBkColor(), QColor(255, 255, 224));
  EXPECT_EQ(grid.GetFixedBkColor(), QColor(200, 200, 150));
  EXPECT_EQ(
      (std::vector<int>{grid.GetColumnWidth(0), grid.GetColumnWidth(1), grid.GetColumnWidth(2)}),
      (std::vector<int>{60, 150, 120}));
  for (int row = 0; row < 5; ++row) EXPECT_EQ(grid.GetRowHeight(row), 20);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  EXPECT_EQ(page.Panel(0).insertButton->text().toStdString(), "插入一行");
  EXPECT_EQ(page.Panel(0).deleteButton->text().toStdString(), "删除一行");
}

TEST_F(PageTest, PagesDifferOnlyWhereTheirDescriptorsSay) {
  TablePage& grade = Open("HDMLeftGouPD");  // plain grid, editable append row, no heading
  EXPECT_EQ(dynamic_cast<CTypedGridCtrl*>(&grade.Grid()), nullptr);
  EXPECT_EQ(grade.Heading(), nullptr);
  EXPECT_FALSE(grade.Grid().GetItemState(1, 1) & GridCell::kReadOnly);

  EXPECT_FALSE(Open("CHTHD").Grid().GetItemState(1, 2) & GridCell::kReadOnly);
  EXPECT_TRUE(Open("CYHTHD").Grid().GetItemState(1, 2) & GridCell::kReadOnly);

  CGridCtrl& cut = Open("CRightWFSJ").Grid();  // fitted, headers 0 to 6 may wrap
  ASSERT_EQ(cut.GetColumnCount(), 8);
  EXPECT_EQ(RowTexts(cut, 0),
            (Texts{"序 号", "分段终里程", "Ⅰ-%", "Ⅱ-%", "Ⅲ-%", "Ⅳ-%", "Ⅴ-%", "Ⅵ-%"}));
  for (int col = 0; col < 8; ++col)
    EXPECT_EQ(cut.GetItemFormat(0, col), col < 7 ? 0x8015u : 0x8035u) << col;
  EXPECT_EQ(cut.GetItemFormat(1, 3), 0x8035u);
  EXPECT_GE(cut.GetColumnWidth(1), cut.fontMetrics().horizontalAdvance("分段终里程"));

  CGridCtrl& types = Open("CYDLX1").Grid();
  EXPECT_EQ(types.GetRowHeight(0), 30);
  EXPECT_EQ(types.GetRowHeight(1), 20);
  EXPECT_EQ(types.GetColumnWidth(2), 100);
  EXPECT_EQ(Open("CZLMHD").Panel(0).insertButton->text().toStdString(), "添加一行");
  EXPECT_EQ(Open("LARCBPDlg").Panel(0).insertButton->text().toStdString(), "增加一行");
}

}  // namespace
}  // namespace hdmjm::test
