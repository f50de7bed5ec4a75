#include "grid_core.h"

#include <algorithm>
#include <cstring>

namespace hdmjm {

void GridFont::SetFaceName(std::string_view name) {
  faceName.fill('\0');
  std::memcpy(faceName.data(), name.data(), std::min(name.size(), faceName.size() - 1));
}

void Extents::SetSize(int index, int size) {
  sizes_[index] = size;
  stale_ = true;
}

void Extents::Insert(int index, int size) {
  sizes_.insert(sizes_.begin() + index, size);
  stale_ = true;
}

void Extents::Erase(int index) {
  sizes_.erase(sizes_.begin() + index);
  stale_ = true;
}

void Extents::Resize(int count, int size) {
  sizes_.resize(count, size);
  stale_ = true;
}

void Extents::Refresh() const {
  if (!stale_) return;
  starts_.resize(sizes_.size() + 1);
  starts_[0] = 0;
  for (std::size_t i = 0; i < sizes_.size(); ++i) starts_[i + 1] = starts_[i] + sizes_[i];
  stale_ = false;
}

int Extents::Start(int index) const {
  Refresh();
  return starts_[std::clamp(index, 0, Count())];
}

int Extents::IndexAt(int position) const {
  Refresh();
  if (position < 0 || position >= starts_.back()) return -1;
  // The last start not after `position`; zero-sized spans before it hold nothing.
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), position);
  return static_cast<int>(it - starts_.begin()) - 1;
}

int Extents::FirstStartingAt(int position) const {
  Refresh();
  const auto it = std::lower_bound(starts_.begin(), starts_.end() - 1, position);
  return static_cast<int>(it - starts_.begin());
}

CellRange Span(CellId a, CellId b) {
  return {std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row),
          std::max(a.col, b.col)};
}

bool GridCore::SetRowCount(int rows) {
  if (rows < 0) return false;
  while (GetRowCount() > rows) RemoveRow(GetRowCount() - 1);
  while (GetRowCount() < rows) {
    const int row = GetRowCount();
    cells_.emplace_back(GetColumnCount());
    rows_.Insert(row, defaultRowHeight_);
    CreateRowCells(row);
  }
  fixedRows_ = std::min(fixedRows_, rows);
  return true;
}

bool GridCore::SetColumnCount(int cols) {
  if (cols < 0) return false;
  const int old = GetColumnCount();
  cols_.Resize(cols, defaultColWidth_);
  for (int row = 0; row < GetRowCount(); ++row) {
    auto& cells = cells_[row];
    for (int col = old - 1; col >= cols; --col) EmptyCell(cells[col], row, col);
    cells.resize(cols);
    for (int col = old; col < cols; ++col) CreateCell(cells[col], row, col);
  }
  fixedCols_ = std::min(fixedCols_, cols);
  if (focus_.col >= cols) SetFocusCell({});
  std::erase_if(selected_, [cols](const CellId& c) { return c.col >= cols; });
  return true;
}

bool GridCore::SetFixedRowCount(int rows) {
  if (rows < 0) return false;
  if (GetRowCount() < rows) SetRowCount(rows);
  fixedRows_ = rows;
  if (focus_.row >= 0 && focus_.row < rows) SetFocusCell({});
  return true;
}

bool GridCore::SetFixedColumnCount(int cols) {
  if (cols < 0) return false;
  if (GetColumnCount() < cols) SetColumnCount(cols);
  fixedCols_ = cols;
  if (focus_.col >= 0 && focus_.col < cols) SetFocusCell({});
  return true;
}

int GridCore::InsertRow(std::string_view heading, int before, int height) {
  if (before == -1)
    before = GetRowCount();
  else if (before < 0 || before >= GetRowCount())
    return -1;
  ClearSelection();
  if (GetColumnCount() < 1) SetColumnCount(1);
  // The focused bit stays with the focus index, which may now name the new row.
  const CellId focus = focus_;
  SetFocusCell({});
  cells_.emplace(cells_.begin() + before, GetColumnCount());
  rows_.Insert(before, height);
  CreateRowCells(before);
  cells_[before][0].text = heading;
  SetFocusCell({focus.row > before ? focus.row + 1 : focus.row, focus.col});
  return before;
}

bool GridCore::DeleteRow(int row) {
  if (row < 0 || row >= GetRowCount()) return false;
  ClearSelection();
  const CellId focus = focus_;
  SetFocusCell({});
  RemoveRow(row);
  if (row < fixedRows_) --fixedRows_;
  if (focus.row > row)
    SetFocusCell({focus.row - 1, focus.col});
  else if (focus.row < row)
    SetFocusCell(focus);
  return true;
}

void GridCore::CreateRowCells(int row) {
  for (int col = 0; col < GetColumnCount(); ++col) CreateCell(cells_[row][col], row, col);
}

void GridCore::RemoveRow(int row) {
  auto& cells = cells_[row];
  for (int col = 0; col < static_cast<int>(cells.size()); ++col) EmptyCell(cells[col], row, col);
  cells_.erase(cells_.begin() + row);
  rows_.Erase(row);
  // Callers remove the last row or have cleared the selection: nothing below needs renaming.
  std::erase_if(selected_, [row](const CellId& c) { return c.row == row; });
  if (focus_.row == row) focus_ = {};
}

void GridCore::CreateCell(GridCell& cell, int row, int col) {
  cell = GridCell{};
  cell.font = defaultFont_;
  if (row > 0 && col > 0) {
    if (const GridCell* above = GetCell(row - 1, col)) cell.format = above->format;
  }
}

void GridCore::EmptyCell(GridCell& cell, int, int) { cell = GridCell{}; }

const GridCell* GridCore::GetCell(int row, int col) const {
  if (!IsValid(row, col)) return nullptr;
  return &cells_[row][col];
}

GridCell* GridCore::GetCell(int row, int col) {
  if (!IsValid(row, col)) return nullptr;
  return &cells_[row][col];
}

bool GridCore::SetItem(const GridItem& item) {
  GridCell* cell = GetCell(item.row, item.col);
  if (!cell) return false;
  if (item.mask & GridItem::kText) cell->text = item.text;
  if (item.mask & GridItem::kImage) cell->image = item.image;
  if (item.mask & GridItem::kParam) cell->param = item.param;
  if (item.mask & GridItem::kState) SetItemState(item.row, item.col, item.state);
  if (item.mask & GridItem::kBackColor) cell->backColor = item.backColor;
  if (item.mask & GridItem::kTextColor) cell->textColor = item.textColor;
  if (item.mask & GridItem::kFormat) cell->format = item.format;
  if (item.mask & GridItem::kFont) cell->font = item.font;
  return true;
}

bool GridCore::SetItemText(int row, int col, std::string_view text) {
  GridCell* cell = GetCell(row, col);
  if (!cell) return false;
  cell->text = text;
  return true;
}

std::string GridCore::GetItemText(int row, int col) const {
  const GridCell* cell = GetCell(row, col);
  return cell ? cell->text : std::string();
}

bool GridCore::SetItemState(int row, int col, unsigned state) {
  GridCell* cell = GetCell(row, col);
  if (!cell) return false;
  cell->state = state;
  if (state & GridCell::kSelected)
    selected_.insert({row, col});
  else
    selected_.erase({row, col});
  return true;
}

unsigned GridCore::GetItemState(int row, int col) const {
  const GridCell* cell = GetCell(row, col);
  return cell ? cell->state : 0;
}

bool GridCore::SetRowHeight(int row, int height) {
  if (row < 0 || row >= GetRowCount() || height < 0) return false;
  rows_.SetSize(row, height);
  return true;
}

bool GridCore::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= GetColumnCount() || width < 0) return false;
  cols_.SetSize(col, width);
  return true;
}

int GridCore::GetRowHeight(int row) const {
  return row >= 0 && row < GetRowCount() ? rows_.Size(row) : -1;
}

int GridCore::GetColumnWidth(int col) const {
  return col >= 0 && col < GetColumnCount() ? cols_.Size(col) : -1;
}

void GridCore::SetDefaultSizes(int rowHeight, int colWidth) {
  defaultRowHeight_ = rowHeight;
  defaultColWidth_ = colWidth;
}

void GridCore::SetDefaultFont(const GridFont& font) {
  for (auto& row : cells_)
    for (auto& cell : row)
      if (cell.font == defaultFont_) cell.font = font;
  defaultFont_ = font;
}

CellId GridCore::SetFocusCell(CellId cell) {
  const CellId previous = focus_;
  if (GridCell* old = GetCell(focus_.row, focus_.col)) old->state &= ~GridCell::kFocused;
  focus_ = IsValid(cell) ? cell : CellId{};
  if (GridCell* now = GetCell(focus_.row, focus_.col)) now->state |= GridCell::kFocused;
  return previous;
}

void GridCore::SetSelectedBit(CellId id, bool selected) {
  GridCell* cell = GetCell(id.row, id.col);
  if (!cell) return;
  if (selected)
    cell->state |= GridCell::kSelected;
  else
    cell->state &= ~GridCell::kSelected;
}

void GridCore::ClearSelection() {
  for (CellId cell : selected_) SetSelectedBit(cell, false);
  selected_.clear();
}

void GridCore::SelectRange(const CellRange& range) {
  ClearSelection();
  const int lastRow = std::min(range.maxRow, GetRowCount() - 1);
  const int lastCol = std::min(range.maxCol, GetColumnCount() - 1);
  for (int row = std::max(range.minRow, fixedRows_); row <= lastRow; ++row) {
    for (int col = std::max(range.minCol, fixedCols_); col <= lastCol; ++col) {
      SetSelectedBit({row, col}, true);
      selected_.insert(selected_.end(), {row, col});
    }
  }
}

void GridCore::SelectAllCells() {
  SelectRange({fixedRows_, fixedCols_, GetRowCount() - 1, GetColumnCount() - 1});
}

void GridCore::SelectFromAnchor(CellId cell, bool extend) {
  if (!extend) anchor_ = cell;
  SelectRange(Span(anchor_, cell));
}

CellRange GridCore::SelectedRange() const {
  if (selected_.empty()) return {};
  CellRange range{selected_.begin()->row, GetColumnCount(), selected_.rbegin()->row, -1};
  for (CellId cell : selected_) {
    range.minCol = std::min(range.minCol, cell.col);
    range.maxCol = std::max(range.maxCol, cell.col);
  }
  return range;
}

std::optional<std::string> GridCore::CopyText() const {
  const CellRange range = SelectedRange();
  if (!range.IsValid()) return std::nullopt;
  std::string text;
  for (int row = range.minRow; row <= range.maxRow; ++row) {
    for (int col = range.minCol; col <= range.maxCol; ++col) {
      if (IsSelected(row, col)) {
        const std::string& cellText = GetCell(row, col)->text;
        text += cellText.empty() ? std::string(" ") : QuoteCopiedField(cellText);
      }
      if (col != range.maxCol) text += '\t';
    }
    if (row != range.maxRow) text += '\n';
  }
  return text;
}

void GridCore::EmptySelectedCells() {
  for (CellId cell : selected_) {
    if (!IsWritable(cell.row, cell.col)) continue;
    GetCell(cell.row, cell.col)->text.clear();
    modified_ = true;
  }
}

void GridCore::DeleteContents() {
  if (selected_.contains(focus_)) return EmptySelectedCells();
  if (!IsWritable(focus_.row, focus_.col)) return;
  GetCell(focus_.row, focus_.col)->text.clear();
  modified_ = true;
}

bool GridCore::CanEmptySelection() const {
  return std::any_of(selected_.begin(), selected_.end(),
                     [this](CellId cell) { return IsWritable(cell.row, cell.col); });
}

bool GridCore::CanDeleteContents() const {
  return selected_.contains(focus_) ? CanEmptySelection() : IsWritable(focus_.row, focus_.col);
}

CellId GridCore::PasteTarget() const {
  if (IsValid(focus_)) return focus_;
  const CellRange range = SelectedRange();
  return range.IsValid() ? CellId{range.minRow, range.minCol} : CellId{};
}

bool GridCore::PasteText(std::string_view text, CellId target) {
  return PasteFields(ParsePastedText(text), target);
}

bool GridCore::PasteFields(const PastedRows& rows, CellId target) {
  if (!IsValid(target)) return false;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    for (int j = 0; j < static_cast<int>(rows[i].size()); ++j) {
      const CellId cell{target.row + i, target.col + j};
      // A read-only cell keeps its text; the field still takes its column.
      if (!IsWritable(cell.row, cell.col)) continue;
      GetCell(cell.row, cell.col)->text = rows[i][j];
      SetSelectedBit(cell, false);
      selected_.erase(cell);
      modified_ = true;
    }
  }
  return true;
}

}  // namespace hdmjm
