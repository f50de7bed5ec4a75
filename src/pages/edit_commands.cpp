#include "pages/edit_commands.h"

#include <QAction>
#include <QPushButton>
#include <algorithm>
#include <new>
#include <utility>

#include "pages/page_entry.h"
#include "pages/qt_text.h"
#include "pages/table_binding.h"

namespace hdmjm {
namespace {

constexpr std::string_view kTypedText = "输入";

RoadHistory& HistoryOf(const PropertyPage& page) { return page.Context().session.History(); }

QUndoStack* StackOf(const PropertyPage& page) {
  return page.FilledRecord() ? HistoryOf(page).Stack(page.FilledRoad()) : nullptr;
}

std::vector<TableSnapshot> Capture(const RoadSectionStore& record,
                                   std::span<const TableRef> tables) {
  std::vector<TableSnapshot> images;
  for (const TableRef& ref : tables) {
    const TableDesc* table = FindTable(ref.table);
    Q_ASSERT_X(table, "Capture", "a table the catalogue lacks");
    if (table) images.push_back(TableSnapshot::Capture(record, *table, ref.side));
  }
  return images;
}

// Keeps the images that changed, in both lists alike.
void KeepChanged(std::vector<TableSnapshot>& before, std::vector<TableSnapshot>& after) {
  std::vector<TableSnapshot> keptBefore, keptAfter;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) continue;
    keptBefore.push_back(std::move(before[i]));
    keptAfter.push_back(std::move(after[i]));
  }
  before = std::move(keptBefore);
  after = std::move(keptAfter);
}

}  // namespace

TableSnapshot TableSnapshot::Capture(const RoadSectionStore& record, const TableDesc& table,
                                     Side side) {
  return TableSnapshot{&table, side, table.Rows(record, side)};
}

void TableSnapshot::Restore(RoadSectionStore& record) const {
  if (!table) return;
  try {
    table->ReplaceRows(record, side, rows);
  } catch (const std::bad_alloc&) {
    // The table stays as it was; the step that wanted it back cannot be done.
  }
}

std::vector<CGridCtrl*> PageGrids(const PropertyPage& page) {
  const QList<CGridCtrl*> grids = page.findChildren<CGridCtrl*>();
  return {grids.begin(), grids.end()};
}

GridTexts GridTexts::Of(const CGridCtrl& grid) {
  GridTexts state{grid.GetTableRowCount(),
                  grid.GetFixedRowCount(),
                  grid.GetColumnCount(),
                  {},
                  grid.GetFocusCell()};
  state.texts.reserve(static_cast<size_t>(grid.GetRowCount()) * state.columns);
  for (int row = 0; row < grid.GetRowCount(); ++row)
    for (int col = 0; col < state.columns; ++col) state.texts.push_back(grid.GetItemText(row, col));
  return state;
}

GridEdit EditBetween(const GridTexts& from, const GridTexts& to) {
  GridEdit edit;
  edit.focus = to.focus;
  edit.tableRowsBefore = from.tableRows;
  edit.tableRowsAfter = to.tableRows;
  const bool sameColumns = from.columns == to.columns;
  for (int row = 0; row < to.Rows(); ++row) {
    // The row of `from` that stands where `row` stands once the table has `to`'s length: the
    // same heading or table row, or the same row below the table; none for a row only `to` has.
    const int tableRow = row - to.fixedRows;
    int source = row;
    if (tableRow >= to.tableRows)
      source = row - to.tableRows + from.tableRows;
    else if (tableRow >= from.tableRows)
      source = -1;
    const bool held = sameColumns && source >= 0 && source < from.Rows();
    for (int col = 0; col < to.columns; ++col) {
      const QString& text = to.texts[static_cast<size_t>(row) * to.columns + col];
      if (held && from.texts[static_cast<size_t>(source) * from.columns + col] == text) continue;
      edit.cells.push_back({{row, col}, std::string(), text.toStdString()});
    }
  }
  return edit;
}

PageCommand::PageCommand(const PropertyPage& page, const QString& text)
    : QUndoCommand(text),
      context_(page.Context()),
      entry_(page.Entry()),
      className_(page.objectName()),
      road_(page.FilledRoad()) {}

void PageCommand::Apply(bool forwards) {
  SchemeSession& session = context_.session;
  RoadSectionStore* record = session.Record(road_);
  if (!record) return;
  RoadHistory& history = session.History();
  const RoadHistory::BusyScope busy(history);
  PropertyPage* page = history.FindPage(className_.toStdString(), record, true);
  // The page is gone with its sheet: one made for the moment, from the record as it is now,
  // commits the step.
  std::unique_ptr<PropertyPage> transient;
  if (!page && NeedsPage() && entry_ && session.CurrentRecord() == record) {
    transient = entry_->create(*entry_, context_);
    transient->Initialize();
    if (transient->FilledRecord() == record) page = transient.get();
  }
  if (page) ApplyToPage(*page, forwards);
  for (const TableSnapshot& image : forwards ? after : before) {
    image.Restore(*record);
    for (PropertyPage* showing : history.PagesShowing(record, *image.table, image.side, page))
      showing->Refill();
  }
  if (page && page == transient.get()) page->Commit();
}

void PageCommand::ApplyToPage(PropertyPage& page, bool forwards) const {
  const std::vector<CGridCtrl*> pageGrids = PageGrids(page);
  const auto apply = [&](const GridStep& step) {
    if (step.grid >= static_cast<int>(pageGrids.size())) return;
    if (step.backward)
      pageGrids[step.grid]->ApplyEdit(forwards ? step.forward : *step.backward, true);
    else
      pageGrids[step.grid]->ApplyEdit(step.forward, forwards);
  };
  if (forwards)
    std::ranges::for_each(grids, apply);
  else
    std::for_each(grids.rbegin(), grids.rend(), apply);
  if (stateBefore.isValid()) page.RestoreHistoryState(forwards ? stateAfter : stateBefore);
  // The keyboard goes back to the grid where the change was made, when it shows.
  if (!grids.empty() && grids.front().grid < static_cast<int>(pageGrids.size())) {
    CGridCtrl* grid = pageGrids[grids.front().grid];
    if (grid->isVisible()) grid->setFocus(Qt::OtherFocusReason);
  }
}

void RecordChange(PropertyPage& page, const QString& text, std::span<const TableRef> tables,
                  const std::function<void()>& change) {
  RoadHistory& history = HistoryOf(page);
  QUndoStack* stack = StackOf(page);
  if (!stack || history.Busy()) return change();
  const RoadHistory::BusyScope busy(history);
  const RoadSectionStore& record = *page.FilledRecord();
  const std::vector<CGridCtrl*> grids = PageGrids(page);
  std::vector<GridTexts> texts;
  for (const CGridCtrl* grid : grids) texts.push_back(GridTexts::Of(*grid));
  auto command = std::make_unique<PageCommand>(page, text);
  command->stateBefore = page.HistoryState();
  command->before = Capture(record, tables);

  change();

  if (page.FilledRecord() != &record) return;  // the records were replaced meanwhile
  for (size_t i = 0; i < grids.size(); ++i) {
    const GridTexts now = GridTexts::Of(*grids[i]);
    if (now.texts == texts[i].texts && now.tableRows == texts[i].tableRows) continue;
    command->grids.push_back(
        {static_cast<int>(i), EditBetween(texts[i], now), EditBetween(now, texts[i])});
  }
  command->stateAfter = page.HistoryState();
  if (command->stateAfter == command->stateBefore) command->stateBefore = command->stateAfter = {};
  command->after = Capture(record, tables);
  KeepChanged(command->before, command->after);
  if (command->grids.empty() && command->before.empty() && !command->stateBefore.isValid()) return;
  stack->push(command.release());
}

void RecordChange(PropertyPage& page, const QString& text, const std::function<void()>& change) {
  RecordChange(page, text, {}, change);
}

void AttachHistory(PropertyPage& page) {
  QUndoStack* stack = StackOf(page);
  for (CGridCtrl* grid : PageGrids(page)) grid->SetUndoStack(stack);
}

void WatchGrids(PropertyPage& page) {
  HistoryOf(page).AddPage(page);
  const std::vector<CGridCtrl*> grids = PageGrids(page);
  for (int index = 0; index < static_cast<int>(grids.size()); ++index) {
    QObject::connect(grids[index], &CGridCtrl::CellsEdited, &page,
                     [&page, index](const GridEdit& edit) {
                       QUndoStack* stack = StackOf(page);
                       if (!stack || HistoryOf(page).Busy()) return;
                       auto command = std::make_unique<PageCommand>(page, ToQString(kTypedText));
                       command->grids.push_back({index, edit, std::nullopt});
                       stack->push(command.release());
                     });
    QObject::connect(grids[index], &CGridCtrl::PasteLeftOut, &page, [&page](int lines) {
      page.Context().messages.Show(PasteLeftOutMessage(lines).toStdString());
    });
  }
}

void ResizeGridTable(CGridCtrl& grid, int rows) {
  // As the buttons do it: on the append row, and on the table's last row.
  while (grid.GetTableRowCount() < rows) {
    grid.SetFocusCell(grid.GetRowCount() - grid.GetAppendRowCount(), 1);
    if (InsertGridRow(grid) < 0) return;
  }
  while (grid.GetTableRowCount() > rows) {
    grid.SetFocusCell(grid.GetRowCount() - grid.GetAppendRowCount() - 1, 1);
    if (DeleteGridRow(grid) < 0) return;
  }
}

void SetPageTable(CGridCtrl& grid, int room) {
  grid.SetTable({1, room, [&grid](int rows) { ResizeGridTable(grid, rows); }});
}

void AddRowActions(CGridCtrl& grid, QPushButton* insert, QPushButton* remove, int room) {
  const auto action = [&grid](QPushButton* button) {
    auto* rowAction = new QAction(button->text(), &grid);
    QObject::connect(rowAction, &QAction::triggered, button, &QPushButton::click);
    grid.AddRowAction(rowAction);
    return rowAction;
  };
  QAction* inserting = action(insert);
  QAction* removing = action(remove);
  QObject::connect(
      &grid, &CGridCtrl::ContextMenuAboutToShow, inserting,
      [&grid, inserting, removing, room](int row, int) {
        const int rows = grid.GetTableRowCount();
        inserting->setEnabled(row >= grid.GetFixedRowCount() && (room < 0 || rows < room));
        removing->setEnabled(row >= grid.GetFixedRowCount() &&
                             row < grid.GetFixedRowCount() + rows);
      });
}

QString PasteLeftOutMessage(int lines) {
  return QStringLiteral("表格的行数已达上限, 剪贴板中有%1行未能粘贴!").arg(lines);
}

}  // namespace hdmjm
