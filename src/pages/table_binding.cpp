#include "pages/table_binding.h"

#include <new>

#include "grid/typedgridctrl.h"
#include "pages/qt_text.h"
#include "pages/suspect_cells.h"
#include "store/field_text.h"

namespace hdmjm {
namespace {

// The value a data column holds when no grid column shows it.
FieldValue EmptyField(const DataColumn& column) {
  switch (column.kind) {
    case FieldKind::Text:
      return std::string();
    case FieldKind::Code:
    case FieldKind::Count:
      return 0;
    case FieldKind::Real:
      break;
  }
  return 0.0;
}

}  // namespace

void ApplyCellTemplate(CGridCtrl& grid, int row) {
  GridItem item;
  item.mask = GridItem::kText | GridItem::kFormat;
  item.format = kCellFormat;
  item.row = row;
  for (int col = 0; col < grid.GetColumnCount(); ++col) {
    item.col = col;
    grid.SetItem(item);
  }
}

void RenumberRows(CGridCtrl& grid, int fromRow) {
  for (int row = std::max(fromRow, 1); row < grid.GetRowCount(); ++row)
    grid.SetItemText(row, 0, QString::number(row));
}

void LayOutGrid(CGridCtrl& grid, int tableRows, int columns, bool appendRowReadOnly) {
  grid.SetRowCount(0);  // a refill starts from fresh cells
  grid.SetRowCount(tableRows + 2);
  grid.SetFixedRowCount(1);
  grid.SetColumnCount(columns);
  grid.SetFixedColumnCount(1);
  grid.SetTextBkColor(QColor::fromRgb(kCellColor));
  grid.SetFixedBkColor(QColor::fromRgb(kFixedCellColor));
  for (int row = 0; row < tableRows + 2; ++row) ApplyCellTemplate(grid, row);
  if (appendRowReadOnly)
    for (int col = 0; col < columns; ++col)
      grid.SetItemState(tableRows + 1, col, GridCell::kReadOnly);
}

int InsertGridRow(CGridCtrl& grid, InsertFocus focus) {
  const CellId at = grid.GetFocusCell();
  if (at.row < 1 || grid.GetColumnCount() < 2) return -1;
  const int row = grid.InsertRow(QStringLiteral("NEW"), at.row);
  if (row < 0) return -1;
  ApplyCellTemplate(grid, row);
  RenumberRows(grid, row);
  for (int r = 1; r < grid.GetRowCount(); ++r) grid.SetRowHeight(r, kRowHeight);
  if (grid.GetRowCount() > 3) {
    // Directly above the append row the new row repeats the row above it, else the row it
    // displaced.
    const int source = row == grid.GetRowCount() - 2 ? row - 1 : row + 1;
    for (int col = 1; col < grid.GetColumnCount(); ++col)
      grid.SetItemText(row, col, grid.GetItemText(source, col));
  }
  grid.SetFocusCell(row, focus == InsertFocus::KeepColumn ? at.col : 1);
  grid.ResetScrollBars();
  grid.viewport()->update();
  return row;
}

int DeleteGridRow(CGridCtrl& grid) {
  const int row = grid.GetFocusCell().row;
  if (row < 1 || row >= grid.GetRowCount() - 1) return -1;
  grid.DeleteRow(row);
  RenumberRows(grid, row);
  grid.SetFocusCell(row, 1);
  grid.ResetScrollBars();
  grid.viewport()->update();
  return row;
}

TableBinding::TableBinding(const GridDesc& desc, Side side, CGridCtrl& grid, UserMessages& messages,
                           QObject* parent)
    : TableBinding(desc, side, grid, messages, FindTable(desc.table), parent) {}

TableBinding::TableBinding(const GridDesc& desc, Side side, CGridCtrl& grid, UserMessages& messages,
                           const TableDesc* table, QObject* parent)
    : QObject(parent), desc_(desc), side_(side), grid_(grid), messages_(messages), table_(table) {
  // A number cell is suspect when its text is not what it will be stored as.
  suspects_ = new SuspectCells(
      grid_,
      [this](int col, const std::string& text) -> std::optional<std::string> {
        const int field = FieldOf(col, side_);
        if (!table_ || field < 0) return std::nullopt;
        const DataColumn& column = table_->DataColumns(side_)[field];
        if (column.kind != FieldKind::Real && column.kind != FieldKind::Count) return std::nullopt;
        return FormatField(column, ParseField(column, text));
      },
      this);
  for (Side s : {kLeft, kRight}) {
    fields_[s].assign(desc_.columns.size() + 1, -1);
    for (size_t c = 0; c < desc_.columns.size(); ++c) {
      const GridColumn& column = desc_.columns[c];
      const std::string_view name =
          s == kRight && !column.rightField.empty() ? column.rightField : column.field;
      fields_[s][c + 1] = FieldIndex(name, s);
    }
  }
  OfferCodeLabels();
  if (const ClearingCode* rule = desc_.clearingCode) {
    codeColumn_ = Require(rule->field);
    for (std::string_view name : rule->cleared) clearedColumns_.push_back(Require(name));
    connect(&grid_, &CGridCtrl::EditEnd, this, &TableBinding::ApplyClearingCode);
  }
  // A grid fitted to its texts stays fitted as they are edited: a column widens to show a
  // longer text whole (a chosen code label, a longer number), and never narrows under the
  // designer's eyes.
  if (desc_.sizing == Sizing::Fitted)
    connect(&grid_, &CGridCtrl::EditEnd, this, [this](int, int col) {
      const int width = grid_.GetColumnWidth(col);
      if (grid_.AutoSizeColumn(col) && grid_.GetColumnWidth(col) < width)
        grid_.SetColumnWidth(col, width);
    });
}

void TableBinding::ApplyClearingCode(int row, int col) {
  const int field = FieldOf(col, side_);
  if (col != codeColumn_ || field < 0) return;
  const DataColumn& column = table_->DataColumns(side_)[field];
  if (grid_.GetItemText(row, col) != ToQString(FormatField(column, desc_.clearingCode->code)))
    return;
  for (int cleared : clearedColumns_)
    if (cleared > 0) grid_.SetItemText(row, cleared, QStringLiteral("0"));
  suspects_->MarkAll();
}

void TableBinding::OfferCodeLabels() {
  auto* typed = dynamic_cast<CTypedGridCtrl*>(&grid_);
  if (!typed || !table_) return;
  const auto& columns = table_->DataColumns(side_);
  for (int col = 1; col < static_cast<int>(fields_[side_].size()); ++col) {
    const int field = fields_[side_][col];
    if (field < 0 || !columns[field].codes) continue;
    ColumnChoices choices;
    for (std::string_view label : columns[field].codes->Labels())
      choices.items.append(ToQString(label));
    typed->SetColumnChoices(col, std::move(choices));
  }
}

void TableBinding::UseLandTypes(LandTypeList& list) {
  auto* typed = dynamic_cast<CTypedGridCtrl*>(&grid_);
  if (!typed) return;
  for (size_t c = 0; c < desc_.columns.size(); ++c) {
    if (desc_.columns[c].choices != Choices::LandTypes) continue;
    ColumnChoices choices;
    choices.editable = true;
    choices.load = [&list] {
      QStringList items;
      for (const std::string& item : list.Load()) items.append(ToQString(item));
      return items;
    };
    choices.learn = [&list](const QString& text) { list.Add(text.toStdString()); };
    typed->SetColumnChoices(static_cast<int>(c) + 1, std::move(choices));
  }
}

int TableBinding::TableRows() const { return std::max(grid_.GetRowCount() - 2, 0); }

int TableBinding::FieldOf(int gridColumn, Side side) const {
  const auto& fields = fields_[side];
  if (gridColumn < 0 || gridColumn >= static_cast<int>(fields.size())) return -1;
  return fields[gridColumn];
}

int TableBinding::FieldIndex(std::string_view name, Side side) const {
  if (!table_) return -1;
  const auto& columns = table_->DataColumns(side);
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == name) return static_cast<int>(i);
  return -1;
}

int TableBinding::Require(std::string_view field) {
  for (size_t c = 0; c < desc_.columns.size(); ++c)
    if (desc_.columns[c].field == field) return static_cast<int>(c) + 1;
  missingName_ = true;
  return -1;
}

bool TableBinding::IsResolved() const {
  if (!table_ || missingName_) return false;
  for (Side s : {kLeft, kRight})
    for (size_t c = 1; c < fields_[s].size(); ++c)
      if (fields_[s][c] < 0) return false;
  return true;
}

void TableBinding::Fill(const RoadSectionStore* record) {
  const int rows = table_ && record ? table_->RowCount(*record, side_) : 0;
  const int cols = static_cast<int>(desc_.columns.size()) + 1;
  LayOutGrid(grid_, rows, cols, desc_.appendRowReadOnly);

  grid_.SetItemText(0, 0, ToQString(desc_.numberHeader));
  for (int col = 1; col < cols; ++col)
    grid_.SetItemText(0, col, ToQString(desc_.columns[col - 1].header));
  const int wrapping = desc_.wrappingHeaders < 0 ? cols : std::min(desc_.wrappingHeaders, cols);
  GridItem header;
  header.mask = GridItem::kFormat;
  header.format = kWrappingHeaderFormat;
  for (header.col = 0; header.col < wrapping; ++header.col) grid_.SetItem(header);

  if (table_ && record) {
    const auto& columns = table_->DataColumns(side_);
    for (int row = 0; row < rows; ++row) {
      for (int col = 1; col < cols; ++col) {
        const int field = fields_[side_][col];
        if (field < 0) continue;
        grid_.SetItemText(
            row + 1, col,
            ToQString(FormatField(columns[field], table_->Get(*record, side_, row, field))));
      }
    }
  }
  RenumberRows(grid_, 1);
  ApplySizes();
  grid_.ResetScrollBars();
  grid_.SetFocusCell(1, 1);
  suspects_->Reset();
}

void TableBinding::ApplySizes() {
  const auto widths = [this] {
    for (int col = 0; col < static_cast<int>(desc_.columnWidths.size()); ++col)
      if (desc_.columnWidths[col] >= 0) grid_.SetColumnWidth(col, desc_.columnWidths[col]);
  };
  switch (desc_.sizing) {
    case Sizing::Fitted:
      grid_.AutoSize();
      break;
    case Sizing::FixedAfterFit:
      grid_.AutoSize();
      widths();
      for (int row = 0; row < grid_.GetRowCount(); ++row) grid_.SetRowHeight(row, kRowHeight);
      break;
    case Sizing::Fixed:
      widths();
      grid_.SetRowHeight(0, desc_.headerRowHeight);
      for (int row = 1; row < grid_.GetRowCount(); ++row) grid_.SetRowHeight(row, desc_.rowHeight);
      break;
  }
}

void TableBinding::InsertRow() {
  InsertGridRow(grid_, desc_.insertFocus);
  suspects_->MarkAll();
}

void TableBinding::DeleteRow() {
  DeleteGridRow(grid_);
  suspects_->MarkAll();
}

std::vector<FieldValue> TableBinding::ConvertRow(int gridRow, Side side) const {
  std::vector<FieldValue> values;
  if (!table_) return values;
  const auto& columns = table_->DataColumns(side);
  values.reserve(columns.size());
  for (const DataColumn& column : columns) values.push_back(EmptyField(column));
  for (int col = 1; col < grid_.GetColumnCount(); ++col) {
    const int field = FieldOf(col, side);
    if (field < 0) continue;
    values[field] = ParseField(columns[field], grid_.GetItemText(gridRow, col).toStdString());
  }
  return values;
}

bool TableBinding::WriteInto(RoadSectionStore& record, Side side, bool check) {
  if (!table_) return false;
  const std::string suspects = check ? SuspectMessage(suspects_->Untold()) : std::string();
  try {
    std::vector<std::vector<FieldValue>> rows;
    rows.reserve(TableRows());
    for (int row = 1; row <= TableRows(); ++row) {
      rows.push_back(ConvertRow(row, side));
      if (check && rowCheck_) rowCheck_(row - 1, rows.back());
    }
    table_->ReplaceRows(record, side, rows);
  } catch (const std::bad_alloc&) {
    messages_.Show(std::string(kMemoryError));
    return false;
  }
  if (!suspects.empty()) messages_.Show(suspects);
  return true;
}

QStringList TableBinding::FocusRowTexts() const {
  const int row = grid_.GetFocusCell().row;
  if (row < 1 || row > TableRows()) return {};
  QStringList texts;
  for (int col = 1; col < grid_.GetColumnCount(); ++col) texts.append(grid_.GetItemText(row, col));
  return texts;
}

}  // namespace hdmjm
