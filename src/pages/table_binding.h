// The binding of one grid to one table of the current road's record: the grid's layout, the
// fill, inserting and deleting rows, and the write-back. A page holds one binding per grid; the
// binding knows nothing of the page around it.
//
// Grid layout for a table of N rows and k grid columns: row 0 the headers, rows 1 to N the table
// rows, row N+1 the append row, numbered N+1 and never written back; column 0 the numbers.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "grid/gridctrl.h"
#include "store/catalogue.h"
#include "store/land_type_list.h"
#include "store/services.h"

namespace hdmjm {

class SuspectCells;

inline constexpr std::string_view kMemoryError = "分配内存出错!";
inline constexpr GridColor kCellColor = Rgb(255, 255, 224);
inline constexpr GridColor kFixedCellColor = Rgb(200, 200, 150);
// Every cell: centred, single line, ellipsis at the end.
inline constexpr unsigned kCellFormat =
    kDtCenter | kDtVCenter | kDtWordBreak | kDtSingleLine | kDtEndEllipsis;
inline constexpr unsigned kWrappingHeaderFormat = kCellFormat & ~kDtSingleLine;
inline constexpr int kRowHeight = 20;

// What a column's drop-down offers besides a code column's labels.
enum class Choices { Own, LandTypes };

// One grid column from column 1 on: its header and the catalogue data column it shows.
struct GridColumn {
  std::string_view header;
  std::string_view field;            // the data column's name in the left (or only) table
  std::string_view rightField = {};  // its name in the right table, where that differs
  Choices choices = Choices::Own;    // LandTypes: the project's land-use type list
};

enum class Sizing {
  Fitted,         // every column as wide as its widest text, every row as tall as its tallest
  FixedAfterFit,  // fitted, then the listed widths and every row kRowHeight high
  Fixed,          // the listed widths (-1 keeps a column's width), rowHeight and headerRowHeight
};

enum class InsertFocus { FirstColumn, KeepColumn };

// A code that empties other fields of its row: when a cell of data column `field` changes to
// the label of `code`, however it changed (typed, pasted, cut), the row's cells of `cleared` get
// 0. Columns go by the names the descriptor's columns give them (GridColumn::field).
struct ClearingCode {
  std::string_view field;
  int code;
  std::span<const std::string_view> cleared;
};

struct GridDesc {
  std::string_view table;  // the catalogue's base name (kXxxTable)
  std::span<const GridColumn> columns;
  std::string_view numberHeader = "序 号";
  bool typed = true;              // CTypedGridCtrl, or a plain CGridCtrl
  bool appendRowReadOnly = true;  // an editable append row is still never written back
  Sizing sizing = Sizing::Fitted;
  std::span<const int> columnWidths = {};  // from column 0 on
  int rowHeight = kRowHeight;              // Sizing::Fixed
  int headerRowHeight = kRowHeight;        // Sizing::Fixed
  int wrappingHeaders = 0;  // header cells from column 0 on whose text may wrap; -1: all
  InsertFocus insertFocus = InsertFocus::FirstColumn;
  const ClearingCode* clearingCode = nullptr;
  std::string_view insertCaption = "插入一行";
  std::string_view deleteCaption = "删除一行";
};

// The grid steps of every table grid, also for grids that show no catalogue table (the slope
// pages' segment and level grids).
// Every cell of `row` from the cell template: empty text, kCellFormat; the state is kept.
void ApplyCellTemplate(CGridCtrl& grid, int row);
// Column 0 of rows `fromRow` (at least 1) to the last: the row's index.
void RenumberRows(CGridCtrl& grid, int fromRow);
// The empty layout for `tableRows` rows and `columns` columns: fresh cells from the template, one
// fixed row and column, the two colours and, when asked, a read-only append row.
void LayOutGrid(CGridCtrl& grid, int tableRows, int columns, bool appendRowReadOnly);
// Inserts a copy of the focus row above it (on the append row: a copy of the row above it; on an
// empty table: a blank row) and gives it the focus. The new row, or -1 without a focus row.
int InsertGridRow(CGridCtrl& grid, InsertFocus focus = InsertFocus::FirstColumn);
// Deletes the focus row and renumbers; the deleted row, or -1 on the append row or without focus.
int DeleteGridRow(CGridCtrl& grid);

class TableBinding : public QObject {
  Q_OBJECT

 public:
  // Tests each converted row before it is stored (the ditch radius check); may change it.
  // `tableRow` counts from 0; `fields` holds a value per data column of the target table.
  using RowCheck = std::function<void(int tableRow, std::vector<FieldValue>& fields)>;

  TableBinding(const GridDesc& desc, Side side, CGridCtrl& grid, UserMessages& messages,
               QObject* parent = nullptr);
  // Binds to `table` rather than to the catalogue's table of the descriptor's name.
  TableBinding(const GridDesc& desc, Side side, CGridCtrl& grid, UserMessages& messages,
               const TableDesc* table, QObject* parent = nullptr);

  // Lets the land-use type columns offer `list` and teach it the types typed there.
  void UseLandTypes(LandTypeList& list);

  const GridDesc& Desc() const { return desc_; }
  const TableDesc& Table() const { return *table_; }
  Side TableSide() const { return side_; }
  CGridCtrl& Grid() const { return grid_; }
  // The rows the grid holds for the table: grid rows - 2 (0 before the first fill).
  int TableRows() const;

  // The data column (index among the table's DataColumns) that grid column `gridColumn` shows
  // on side `side`; -1 for the number column or a name the table lacks.
  int FieldOf(int gridColumn, Side side) const;
  // The data column named `name` of side `side`'s table; -1 when there is none.
  int FieldIndex(std::string_view name, Side side) const;
  // The grid column whose descriptor entry names data column `field` (GridColumn::field, the
  // left or only table's name), for a rule of the page that cannot do without it. A name no
  // column has gives -1 and leaves the binding unresolved.
  int Require(std::string_view field);
  // Every grid column names a data column of the table on both sides, and every required name a
  // grid column; a page whose names do not is a programming error, which this finds.
  bool IsResolved() const;

  // Shows the table of `record` (nothing but the empty layout for null).
  void Fill(const RoadSectionStore* record);
  // Inserts a copy of the focus row above it (on the append row: a copy of the last row below
  // the others; on an empty table: a blank row).
  void InsertRow();
  // Deletes the focus row; nothing on the append row.
  void DeleteRow();

  void SetRowCheck(RowCheck check) { rowCheck_ = std::move(check); }
  // Grid row `gridRow` (1 to TableRows()) as values of side `side`'s data columns.
  std::vector<FieldValue> ConvertRow(int gridRow, Side side) const;
  // Replaces side `side`'s table of `record` with the grid's rows (the write-back into the own
  // side, which tells the designer what number cells not holding a plain number became; copying
  // to the other side passes the other side and no check). The new rows are built
  // before the table is touched: on a failed allocation the designer is told and the table stays
  // as it was. False then.
  bool WriteInto(RoadSectionStore& record, Side side, bool check = true);
  bool WriteBack(RoadSectionStore& record) { return WriteInto(record, side_); }

  // The texts of columns 1 to k-1 of the focus row; empty when the focus is on no table row.
  QStringList FocusRowTexts() const;

 private:
  // A typed grid's code columns offer their labels.
  void OfferCodeLabels();
  void ApplySizes();
  void ApplyClearingCode(int row, int col);

  const GridDesc& desc_;
  Side side_;
  CGridCtrl& grid_;
  UserMessages& messages_;
  const TableDesc* table_;
  // Per side, the data column of each grid column (index 0: the number column, -1).
  PerSide<std::vector<int>> fields_;
  RowCheck rowCheck_;
  SuspectCells* suspects_;
  bool missingName_ = false;  // a required name found no column
  int codeColumn_ = -1;       // the clearing code's grid columns
  std::vector<int> clearedColumns_;
};

}  // namespace hdmjm
