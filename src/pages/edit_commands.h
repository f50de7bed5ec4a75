// Every change a designer makes on a page as one step of the road's history: the texts the
// page's grids reported, or what an action (a row button, "录入参数", a copy, the settings page's
// buttons) changed in the page's grids, its own state and tables of the record. A step is done
// again or undone on the page where it was made, shown in its sheet when that sheet is in front;
// when the page is gone, on a page made for the moment and committed at once.
//
// Also the table each page states to its grids: the rows a paste may add, made as the page's
// insert button makes them, and the row buttons offered in the grids' context menus.
#pragma once

#include <QString>
#include <QUndoCommand>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/gridctrl.h"
#include "pages/property_page.h"
#include "store/catalogue.h"

class QPushButton;

namespace hdmjm {

struct PageEntry;

// One table of a record, named by its catalogue name and side.
struct TableRef {
  std::string_view table;
  Side side = kLeft;
};

// A table of the record as values, to put back whole.
struct TableSnapshot {
  const TableDesc* table = nullptr;
  Side side = kLeft;
  std::vector<std::vector<FieldValue>> rows;  // each row's values in use, in column order

  static TableSnapshot Capture(const RoadSectionStore& record, const TableDesc& table, Side side);
  void Restore(RoadSectionStore& record) const;
  friend bool operator==(const TableSnapshot&, const TableSnapshot&) = default;
};

// A page's grids, in the order the page made them: the index a step names a grid by.
std::vector<CGridCtrl*> PageGrids(const PropertyPage& page);

// Every text of a grid and the rows of its table, to tell afterwards what an action changed.
struct GridTexts {
  int tableRows = 0;
  int fixedRows = 0;
  int columns = 0;
  std::vector<QString> texts;  // row by row
  CellId focus;

  static GridTexts Of(const CGridCtrl& grid);
  int Rows() const { return columns > 0 ? static_cast<int>(texts.size()) / columns : 0; }
};
// The change that turns a grid holding `from` into one holding `to`: the table made `to`'s
// length, then every cell that differs, or lies in a row only `to` has, given its text.
GridEdit EditBetween(const GridTexts& from, const GridTexts& to);

// One grid's part of a step: the grid's own report (`backward` unset), or the two edits that
// lead from the state before to the state after and back.
struct GridStep {
  int grid = 0;
  GridEdit forward;
  std::optional<GridEdit> backward;
};

class PageCommand : public QUndoCommand {
 public:
  PageCommand(const PropertyPage& page, const QString& text);

  std::vector<GridStep> grids;
  std::vector<TableSnapshot> before, after;
  QVariant stateBefore, stateAfter;

  void undo() override { Apply(false); }
  // Pushing a command does it; it was done already, when the designer made the change.
  void redo() override {
    if (!std::exchange(pushed_, false)) Apply(true);
  }

 private:
  void Apply(bool forwards);
  void ApplyToPage(PropertyPage& page, bool forwards) const;
  bool NeedsPage() const { return !grids.empty() || stateBefore.isValid(); }

  PageContext context_;
  std::shared_ptr<const PageEntry> entry_;
  QString className_;
  int road_;
  bool pushed_ = true;
};

// Runs `change`, a designer's action on `page`, and records as one step what it changed in the
// page's grids, its own state and `tables` of the record the page shows. An action within
// another, or within the doing of a step, is part of that one.
void RecordChange(PropertyPage& page, const QString& text, std::span<const TableRef> tables,
                  const std::function<void()>& change);
void RecordChange(PropertyPage& page, const QString& text, const std::function<void()>& change);

// Gives the page's grids its road's history, once the page shows a road.
void AttachHistory(PropertyPage& page);
// Makes each change the page's grids report a step of the history, and tells the designer of
// lines a paste left out. Once per page.
void WatchGrids(PropertyPage& page);

// Makes the table of `grid` `rows` rows long as the page's insert button makes rows on the
// append row (a copy of the last row, numbered) and its delete button removes the last ones.
void ResizeGridTable(CGridCtrl& grid, int rows);
// States a page grid's table: one append row, at most `room` rows (negative: no bound), and
// rows made as ResizeGridTable makes them.
void SetPageTable(CGridCtrl& grid, int room = -1);

// Offers the row buttons `insert` and `remove` in the grid's context menu with their captions,
// enabled as they act on the focus row: inserting on any row while the table has room (`room`
// rows; negative: no bound), deleting on a table row.
void AddRowActions(CGridCtrl& grid, QPushButton* insert, QPushButton* remove, int room = -1);

// "<n> lines of the clipboard found no row".
QString PasteLeftOutMessage(int lines);

}  // namespace hdmjm
