// The grid's cells and their bookkeeping, free of any window: counts and sizes, row insertion and
// deletion, the focus cell, the selection and its anchor, the modified flag and the clipboard text.
// CGridCtrl drives it and paints it.
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "clipboard_text.h"

namespace hdmjm {

// 0x00RRGGBB; kColorUnset means "the grid's colour for that kind of cell".
using GridColor = std::uint32_t;
inline constexpr GridColor kColorUnset = 0xFF000000;
constexpr GridColor Rgb(int r, int g, int b) {
  return (static_cast<GridColor>(r & 0xFF) << 16) | (static_cast<GridColor>(g & 0xFF) << 8) |
         static_cast<GridColor>(b & 0xFF);
}

// Text drawing flags of a cell's format, in the DrawText convention.
inline constexpr unsigned kDtLeft = 0x0;
inline constexpr unsigned kDtCenter = 0x1;
inline constexpr unsigned kDtRight = 0x2;
inline constexpr unsigned kDtVCenter = 0x4;
inline constexpr unsigned kDtBottom = 0x8;
inline constexpr unsigned kDtWordBreak = 0x10;
inline constexpr unsigned kDtSingleLine = 0x20;
inline constexpr unsigned kDtEndEllipsis = 0x8000;

// A logical-font record; the face name holds at most 31 bytes and a terminating zero.
struct GridFont {
  int height = 0;  // negative: character height in pixels
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strikeOut = 0;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  std::array<char, 32> faceName{};

  void SetFaceName(std::string_view name);
  std::string FaceName() const { return faceName.data(); }
  friend bool operator==(const GridFont&, const GridFont&) = default;
};

struct GridCell {
  static constexpr unsigned kFocused = 0x1;
  static constexpr unsigned kSelected = 0x2;
  static constexpr unsigned kDropTarget = 0x4;
  static constexpr unsigned kReadOnly = 0x8;

  unsigned state = 0;
  unsigned format = 0;
  std::string text;  // UTF-8
  int image = -1;
  GridColor backColor = kColorUnset;
  GridColor textColor = kColorUnset;
  std::int32_t param = 0;
  GridFont font;
};

// What SetItem applies to a cell: the members named by the mask.
struct GridItem : GridCell {
  static constexpr unsigned kText = 0x1;
  static constexpr unsigned kImage = 0x2;
  static constexpr unsigned kParam = 0x4;
  static constexpr unsigned kState = 0x8;
  static constexpr unsigned kBackColor = 0x10;
  static constexpr unsigned kTextColor = 0x20;
  static constexpr unsigned kFormat = 0x40;
  static constexpr unsigned kFont = 0x80;

  int row = 0;
  int col = 0;
  unsigned mask = 0;
};

struct CellId {
  int row = -1;
  int col = -1;
  friend auto operator<=>(const CellId&, const CellId&) = default;
};

// Inclusive bounds.
struct CellRange {
  int minRow = -1;
  int minCol = -1;
  int maxRow = -1;
  int maxCol = -1;
  bool IsValid() const {
    return minRow >= 0 && minCol >= 0 && minRow <= maxRow && minCol <= maxCol;
  }
  friend bool operator==(const CellRange&, const CellRange&) = default;
};

// The rectangle two cells span.
CellRange Span(CellId a, CellId b);

// The sizes of the rows (or columns) with their running sums, so that a position is a lookup.
class Extents {
 public:
  int Count() const { return static_cast<int>(sizes_.size()); }
  int Size(int index) const { return sizes_[index]; }
  void SetSize(int index, int size);
  void Insert(int index, int size);
  void Erase(int index);
  void Resize(int count, int size);
  // The sum of the sizes before `index`; Start(Count()) is the whole extent.
  int Start(int index) const;
  // The index whose span holds `position`, or -1 outside every span.
  int IndexAt(int position) const;
  // The first index whose start is at or after `position` (Count() when there is none).
  int FirstStartingAt(int position) const;

 private:
  void Refresh() const;
  std::vector<int> sizes_;
  mutable std::vector<int> starts_;
  mutable bool stale_ = true;
};

class GridCore {
 public:
  virtual ~GridCore() = default;

  int GetRowCount() const { return rows_.Count(); }
  int GetColumnCount() const { return cols_.Count(); }
  int GetFixedRowCount() const { return fixedRows_; }
  int GetFixedColumnCount() const { return fixedCols_; }
  bool SetRowCount(int rows);
  bool SetColumnCount(int cols);
  bool SetFixedRowCount(int rows);
  bool SetFixedColumnCount(int cols);

  // The new row's index, or -1 when `before` is neither -1 (append) nor an existing row.
  int InsertRow(std::string_view heading, int before, int height);
  bool DeleteRow(int row);

  bool IsValid(int row, int col) const {
    return row >= 0 && row < GetRowCount() && col >= 0 && col < GetColumnCount();
  }
  bool IsValid(CellId cell) const { return IsValid(cell.row, cell.col); }
  bool IsFixed(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }
  const GridCell* GetCell(int row, int col) const;
  GridCell* GetCell(int row, int col);

  bool SetItem(const GridItem& item);
  bool SetItemText(int row, int col, std::string_view text);
  std::string GetItemText(int row, int col) const;
  bool SetItemState(int row, int col, unsigned state);
  unsigned GetItemState(int row, int col) const;
  bool IsReadOnly(int row, int col) const { return GetItemState(row, col) & GridCell::kReadOnly; }

  // Rows at the grid's end that are no rows of the table it shows (a page's append row): a paste,
  // a cut and Delete leave them alone. None unless set; inserting and deleting rows keeps the
  // count.
  void SetAppendRowCount(int rows) { appendRows_ = std::max(0, rows); }
  int GetAppendRowCount() const { return appendRows_; }
  // The row after the table's last: the first append row, or the row count.
  int TableEnd() const { return std::max(fixedRows_, GetRowCount() - appendRows_); }
  int GetTableRowCount() const { return TableEnd() - fixedRows_; }
  // A cell of the table whose text a paste, a cut or Delete may change.
  bool IsWritable(int row, int col) const {
    return IsValid(row, col) && row < TableEnd() && !IsReadOnly(row, col);
  }

  const Extents& Rows() const { return rows_; }
  const Extents& Columns() const { return cols_; }
  bool SetRowHeight(int row, int height);
  bool SetColumnWidth(int col, int width);
  int GetRowHeight(int row) const;
  int GetColumnWidth(int col) const;
  int DefaultRowHeight() const { return defaultRowHeight_; }
  int DefaultColumnWidth() const { return defaultColWidth_; }
  void SetDefaultSizes(int rowHeight, int colWidth);
  const GridFont& DefaultFont() const { return defaultFont_; }
  // Cells that had the old default font take the new one.
  void SetDefaultFont(const GridFont& font);

  CellId GetFocusCell() const { return focus_; }
  // Moves the focused bit; returns the previous focus cell. An invalid cell clears the focus.
  CellId SetFocusCell(CellId cell);

  const std::set<CellId>& SelectedCells() const { return selected_; }
  bool IsSelected(int row, int col) const { return GetItemState(row, col) & GridCell::kSelected; }
  void ClearSelection();
  // Selects exactly the non-fixed cells of `range`.
  void SelectRange(const CellRange& range);
  void SelectAllCells();
  CellRange SelectedRange() const;  // the rectangle the selected cells span
  CellId SelectionAnchor() const { return anchor_; }
  void SetSelectionAnchor(CellId cell) { anchor_ = cell; }
  // Selects from the anchor to `cell`, the anchor moving to `cell` first unless `extend`.
  void SelectFromAnchor(CellId cell, bool extend);

  bool GetModified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // The selection as clipboard text; nothing when no cell is selected.
  std::optional<std::string> CopyText() const;
  // Empties every selected cell that is writable.
  void EmptySelectedCells();
  // What Delete empties: the selection when it holds the focus cell, else the focus cell; cells
  // that are not writable keep their text.
  void DeleteContents();
  // Whether DeleteContents, or emptying the selection, would empty a cell.
  bool CanDeleteContents() const;
  bool CanEmptySelection() const;
  // The cell a paste starts at: the focus cell, else the top-left selected cell.
  CellId PasteTarget() const;
  // Cuts `text` into rows and fields (ParsePastedText) and writes them from `target` on
  // (PasteFields); false for no target.
  bool PasteText(std::string_view text, CellId target);
  // Writes field j of row i into cell (target row + i, target column + j) where that cell is a
  // table cell, sparing read-only cells.
  bool PasteFields(const PastedRows& rows, CellId target);

  // A new cell: format 0, or that of the cell above it inside the ordinary area; default font.
  virtual void CreateCell(GridCell& cell, int row, int col);
  // Called before a cell is removed from the grid.
  virtual void EmptyCell(GridCell& cell, int row, int col);

 private:
  void CreateRowCells(int row);
  void RemoveRow(int row);
  void SetSelectedBit(CellId cell, bool selected);

  std::vector<std::vector<GridCell>> cells_;
  Extents rows_;
  Extents cols_;
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  int appendRows_ = 0;
  int defaultRowHeight_ = 20;
  int defaultColWidth_ = 80;
  GridFont defaultFont_;
  CellId focus_;
  CellId anchor_;
  std::set<CellId> selected_;
  bool modified_ = false;
};

}  // namespace hdmjm
