// The window-free cell store: row insertion and deletion with their focus rules, counts, and the
// clipboard text built from a selection and cut from a pasted text.
#include "grid/grid_core.h"

#include <gtest/gtest.h>

#include "grid/grid_edit.h"

namespace hdmjm {
namespace {

// Rows 0..rows-1 and columns 0..cols-1, one fixed row and column, every cell named "r,c".
GridCore MakeGrid(int rows, int cols) {
  GridCore grid;
  grid.SetRowCount(rows);
  grid.SetColumnCount(cols);
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      grid.SetItemText(r, c, std::to_string(r) + "," + std::to_string(c));
  return grid;
}

TEST(GridRows, InsertRowRefusesTheRowCountAndAppendsForMinusOne) {
  GridCore grid = MakeGrid(4, 3);
  EXPECT_EQ(grid.InsertRow("NEW", 4, 20), -1);
  EXPECT_EQ(grid.InsertRow("NEW", -2, 20), -1);
  EXPECT_EQ(grid.GetRowCount(), 4);

  EXPECT_EQ(grid.InsertRow("NEW", -1, 17), 4);
  EXPECT_EQ(grid.GetRowCount(), 5);
  EXPECT_EQ(grid.GetItemText(4, 0), "NEW");
  EXPECT_EQ(grid.GetItemText(4, 1), "");
  EXPECT_EQ(grid.GetRowHeight(4), 17);
  EXPECT_EQ(grid.GetItemText(3, 1), "3,1");
}

TEST(GridRows, InsertRowMovesAFocusBelowAndKeepsTheIndexOfAFocusOnTheInsertionRow) {
  GridCore grid = MakeGrid(5, 3);
  grid.SetFocusCell({3, 2});
  grid.InsertRow("", 2, 20);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{4, 2}));
  EXPECT_TRUE(grid.GetItemState(4, 2) & GridCell::kFocused);
  EXPECT_EQ(grid.GetItemText(4, 2), "3,2");

  grid.InsertRow("", 4, 20);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{4, 2}));
  EXPECT_EQ(grid.GetItemText(4, 2), "");  // the focus index now names the new row
  EXPECT_TRUE(grid.GetItemState(4, 2) & GridCell::kFocused);
  EXPECT_FALSE(grid.GetItemState(5, 2) & GridCell::kFocused);
}

TEST(GridRows, InsertRowClearsTheSelectionAndMakesAColumnInAnEmptyGrid) {
  GridCore grid = MakeGrid(3, 3);
  grid.SelectAllCells();
  grid.InsertRow("", 1, 20);
  EXPECT_TRUE(grid.SelectedCells().empty());
  EXPECT_FALSE(grid.IsSelected(2, 1));

  GridCore empty;
  EXPECT_EQ(empty.InsertRow("h", -1, 20), 0);
  EXPECT_EQ(empty.GetColumnCount(), 1);
  EXPECT_EQ(empty.GetItemText(0, 0), "h");
}

TEST(GridRows, DeleteRowClearsAFocusOnItAndMovesOneBelowUp) {
  GridCore grid = MakeGrid(5, 3);
  grid.SetFocusCell({2, 1});
  EXPECT_TRUE(grid.DeleteRow(2));
  EXPECT_EQ(grid.GetFocusCell(), CellId{});
  EXPECT_EQ(grid.GetItemText(2, 1), "3,1");
  EXPECT_EQ(grid.GetRowCount(), 4);

  grid.SetFocusCell({3, 1});
  EXPECT_TRUE(grid.DeleteRow(1));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 1}));
  EXPECT_FALSE(grid.DeleteRow(3));
  EXPECT_FALSE(grid.DeleteRow(-1));
  EXPECT_TRUE(grid.DeleteRow(0));
  EXPECT_EQ(grid.GetFixedRowCount(), 0);
}

TEST(GridRows, ShrinkingCountsClearsAFocusThatNoLongerExists) {
  GridCore grid = MakeGrid(5, 4);
  grid.SetFocusCell({4, 3});
  grid.SetColumnCount(3);
  EXPECT_EQ(grid.GetFocusCell(), CellId{});
  grid.SetFocusCell({4, 1});
  grid.SetRowCount(4);
  EXPECT_EQ(grid.GetFocusCell(), CellId{});
  grid.SetFixedRowCount(3);
  grid.SetRowCount(2);
  EXPECT_EQ(grid.GetFixedRowCount(), 2);
}

TEST(GridRows, EnlargingTheFixedAreaGrowsTheGridAndClearsAFocusInsideIt) {
  GridCore grid = MakeGrid(3, 3);
  grid.SetFocusCell({1, 1});
  grid.SetFixedRowCount(2);
  EXPECT_EQ(grid.GetFocusCell(), CellId{});
  grid.SetFixedColumnCount(5);
  EXPECT_EQ(grid.GetColumnCount(), 5);
}

TEST(GridCells, NewOrdinaryCellsTakeTheFormatOfTheCellAbove) {
  GridCore grid = MakeGrid(2, 3);
  GridItem item;
  item.mask = GridItem::kFormat;
  item.format = kDtCenter | kDtSingleLine;
  item.row = 1;
  for (item.col = 0; item.col < 3; ++item.col) grid.SetItem(item);
  grid.SetRowCount(4);
  EXPECT_EQ(grid.GetCell(3, 2)->format, kDtCenter | kDtSingleLine);
  EXPECT_EQ(grid.GetCell(3, 0)->format, 0u);
  EXPECT_EQ(grid.GetCell(3, 1)->image, -1);
  EXPECT_EQ(grid.GetCell(3, 1)->backColor, kColorUnset);
}

TEST(GridCells, SetItemAppliesOnlyTheMaskedMembersAndRefusesInvalidCells) {
  GridCore grid = MakeGrid(3, 3);
  GridItem item;
  item.row = 1;
  item.col = 1;
  item.mask = GridItem::kState | GridItem::kParam;
  item.state = GridCell::kSelected;
  item.text = "ignored";
  item.param = 7;
  EXPECT_TRUE(grid.SetItem(item));
  EXPECT_EQ(grid.GetItemText(1, 1), "1,1");
  EXPECT_EQ(grid.GetCell(1, 1)->param, 7);
  EXPECT_TRUE(grid.SelectedCells().contains({1, 1}));
  item.row = 3;
  EXPECT_FALSE(grid.SetItem(item));
  EXPECT_FALSE(grid.SetItemText(0, 3, "x"));
  EXPECT_EQ(grid.GetItemText(-1, 0), "");
}

TEST(GridExtents, PositionsComeFromTheRunningSums) {
  Extents rows;
  rows.Resize(4, 10);
  rows.SetSize(1, 0);
  EXPECT_EQ(rows.Start(2), 10);
  EXPECT_EQ(rows.Start(4), 30);
  EXPECT_EQ(rows.IndexAt(9), 0);
  EXPECT_EQ(rows.IndexAt(10), 2);  // the empty row holds no pixel
  EXPECT_EQ(rows.IndexAt(30), -1);
  EXPECT_EQ(rows.FirstStartingAt(11), 3);
  EXPECT_EQ(rows.FirstStartingAt(31), 4);
}

TEST(GridClipboard, CopyWritesTheSelectedRectangleWithTabsAndLineFeeds) {
  GridCore grid = MakeGrid(4, 4);
  EXPECT_FALSE(grid.CopyText());
  grid.SetItemState(1, 1, GridCell::kSelected);
  grid.SetItemState(1, 3, GridCell::kSelected);
  EXPECT_EQ(grid.CopyText(), "1,1\t\t1,3");

  grid.SelectRange({2, 1, 3, 2});
  grid.SetItemText(3, 2, "");
  EXPECT_EQ(grid.CopyText(), "2,1\t2,2\n3,1\t ");
}

// The texts of a row's ordinary cells.
std::vector<std::string> RowTexts(const GridCore& grid, int row) {
  std::vector<std::string> texts;
  for (int col = 1; col < grid.GetColumnCount(); ++col) texts.push_back(grid.GetItemText(row, col));
  return texts;
}
using Texts = std::vector<std::string>;

TEST(GridClipboard, PasteKeepsEveryFieldInItsColumnAndEmptiesCellsForEmptyFields) {
  GridCore grid = MakeGrid(4, 4);
  grid.SetItemState(1, 1, GridCell::kSelected);
  EXPECT_TRUE(grid.PasteText("1,,2", {1, 1}));
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"1", "", "2"}));
  EXPECT_FALSE(grid.IsSelected(1, 1));
  EXPECT_TRUE(grid.GetModified());

  // A row from a spreadsheet with an empty middle cell and Windows line ends; the empty line
  // empties one cell, and "f" would go past the last column.
  EXPECT_TRUE(grid.PasteText(" a \t\t b \r\n\r\nc\td\te\tf\r\n", {1, 1}));
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"a", "", "b"}));
  EXPECT_EQ(RowTexts(grid, 2), (Texts{"", "2,2", "2,3"}));
  EXPECT_EQ(RowTexts(grid, 3), (Texts{"c", "d", "e"}));
  EXPECT_FALSE(grid.PasteText("x", {4, 0}));
}

TEST(GridClipboard, PasteSparesReadOnlyCellsWithoutShiftingTheFieldsAfterThem) {
  GridCore grid = MakeGrid(3, 4);
  grid.SetItemState(1, 2, GridCell::kReadOnly);
  EXPECT_TRUE(grid.PasteText("x\ty\tz\n\t\t\n", {1, 1}));
  EXPECT_EQ(RowTexts(grid, 1), (Texts{"x", "1,2", "z"}));
  EXPECT_EQ(RowTexts(grid, 2), (Texts{"", "", ""}));
  EXPECT_EQ(grid.GetRowCount(), 3);  // the final line feed asked for no third row
}

TEST(GridClipboard, WhatTheGridCopiesPastesBackIntoTheSameCells) {
  GridCore source = MakeGrid(3, 4);
  source.SetItemText(1, 2, "");
  source.SetItemText(2, 1, "1,5");  // a comma inside a cell
  source.SetItemText(2, 3, "two\tparts\n\"quoted\"");
  source.SelectRange({1, 1, 2, 3});
  const auto copied = source.CopyText();
  ASSERT_TRUE(copied);

  GridCore target = MakeGrid(3, 4);
  EXPECT_TRUE(target.PasteText(*copied, {1, 1}));
  for (int row = 1; row < 3; ++row) EXPECT_EQ(RowTexts(target, row), RowTexts(source, row));
}

TEST(GridClipboard, PasteStartsAtTheFocusOrElseTheTopLeftSelectedCell) {
  GridCore grid = MakeGrid(4, 4);
  EXPECT_EQ(grid.PasteTarget(), CellId{});
  grid.SelectRange({2, 2, 3, 3});
  EXPECT_EQ(grid.PasteTarget(), (CellId{2, 2}));
  grid.SetFocusCell({1, 3});
  EXPECT_EQ(grid.PasteTarget(), (CellId{1, 3}));
}

TEST(GridClipboard, EmptyingTheSelectionSparesReadOnlyCells) {
  GridCore grid = MakeGrid(3, 3);
  grid.SelectAllCells();
  grid.SetItemState(2, 2, GridCell::kReadOnly | GridCell::kSelected);
  grid.EmptySelectedCells();
  EXPECT_EQ(grid.GetItemText(1, 1), "");
  EXPECT_EQ(grid.GetItemText(2, 2), "2,2");
  EXPECT_EQ(grid.GetItemText(0, 1), "0,1");
  EXPECT_TRUE(grid.GetModified());
}

TEST(GridAppendRows, DeleteEmptiesTheSelectionHoldingTheFocusButNotTheAppendRow) {
  GridCore grid = MakeGrid(4, 3);
  grid.SetAppendRowCount(1);
  grid.SelectRange({2, 1, 3, 2});
  grid.SetFocusCell({2, 2});
  grid.DeleteContents();
  EXPECT_EQ(RowTexts(grid, 2), (Texts{"", ""}));
  EXPECT_EQ(RowTexts(grid, 3), (Texts{"3,1", "3,2"}));
}

TEST(GridChanges, APasteAddsTheRowsPastTheTableUpToItsRoom) {
  struct Case {
    int lines, target, tableEnd, room;
    PasteRows plan;
  };
  for (const Case& c : {Case{2, 1, 3, -1, {0, 0}},    // fits
                        Case{3, 1, 3, -1, {1, 0}},    // one line past the last row
                        Case{3, 3, 3, -1, {3, 0}},    // on the append row: a row per line
                        Case{2, 4, 3, -1, {2, 0}},    // past the table's end: from its end
                        Case{5, 2, 3, 2, {2, 2}},     // two fit into the room, two are left out
                        Case{3, 1, 1, 0, {0, 3}}}) {  // an empty table without room
    EXPECT_EQ(PlanPasteRows(c.lines, c.target, c.tableEnd, c.room), c.plan)
        << c.lines << " lines at " << c.target;
  }
}

}  // namespace
}  // namespace hdmjm
