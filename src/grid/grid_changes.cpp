// The grid's one change path: copy, cut, paste and Delete, each change of cell texts a user
// makes reported to the owner whole, the rows a paste needs asked of the owner's table, and a
// reported change applied backwards or forwards again.
#include <QClipboard>
#include <QGuiApplication>
#include <QUndoStack>
#include <algorithm>

#include "gridctrl.h"

namespace hdmjm {

void CGridCtrl::SetTable(GridTable table) {
  core_.SetAppendRowCount(table.appendRows);
  table_ = std::move(table);
}

void CGridCtrl::SetUndoStack(QUndoStack* stack) { undoStack_ = stack; }

void CGridCtrl::OnEditCopy() {
  if (const auto text = core_.CopyText())
    QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
}

void CGridCtrl::OnEditCut() {
  if (!editable_) return;
  OnEditCopy();
  ReportChanges(StartEdit(GridEditKind::Cut, GetFocusCell()),
                [this] { core_.EmptySelectedCells(); });
  viewport()->update();
}

void CGridCtrl::OnEditDelete() {
  if (!editable_) return;
  ReportChanges(StartEdit(GridEditKind::Deleted, GetFocusCell()),
                [this] { core_.DeleteContents(); });
  viewport()->update();
}

void CGridCtrl::OnEditPaste() {
  if (!editable_) return;
  CellId target = core_.PasteTarget();
  if (!core_.IsValid(target)) return;
  // A paste on the append row adds rows; on a table row it needs a cell it may write.
  const bool onTable = target.row < core_.TableEnd();
  if (onTable && core_.IsReadOnly(target.row, target.col)) return;
  const PastedRows lines = ParsePastedText(QGuiApplication::clipboard()->text().toStdString());
  if (lines.empty()) return;
  target.row = std::min(target.row, core_.TableEnd());
  const int rows = GetTableRowCount();
  const int room = table_.room < 0 ? -1 : std::max(0, table_.room - rows);
  const PasteRows plan =
      PlanPasteRows(static_cast<int>(lines.size()), target.row, core_.TableEnd(), room);
  GridEdit edit =
      StartEdit(GridEditKind::Pasted, core_.IsValid(GetFocusCell()) ? GetFocusCell() : target);
  ResizeTable(rows + plan.added);
  // Rows the owner did not add leave their lines out as well.
  const int leftOut = plan.leftOut + std::max(0, rows + plan.added - GetTableRowCount());
  ReportChanges(std::move(edit), [&] { core_.PasteFields(lines, target); });
  viewport()->update();
  if (leftOut > 0) emit PasteLeftOut(leftOut);
}

void CGridCtrl::OnEditSelectAll() {
  core_.SelectAllCells();
  viewport()->update();
}

GridEdit CGridCtrl::StartEdit(GridEditKind kind, CellId focus) const {
  GridEdit edit;
  edit.kind = kind;
  edit.focus = focus;
  edit.tableRowsBefore = GetTableRowCount();
  return edit;
}

void CGridCtrl::ReportChanges(GridEdit edit, const std::function<void()>& change) {
  const TextSnapshot before = SnapshotTexts(core_);
  change();
  for (const CellChange& changed : ChangesSince(before, core_)) {
    OnEndEditCell(changed.cell.row, changed.cell.col, QString::fromStdString(changed.after));
    emit EditEnd(changed.cell.row, changed.cell.col);
  }
  ReportEdit(std::move(edit), before);
}

void CGridCtrl::ReportEdit(GridEdit edit, const TextSnapshot& before) {
  edit.cells = ChangesSince(before, core_);
  edit.tableRowsAfter = GetTableRowCount();
  if (edit.IsEmpty()) return;
  SetModified(true);
  emit CellsEdited(edit);
}

void CGridCtrl::ResizeTable(int rows) {
  rows = std::max(rows, 0);
  if (rows == GetTableRowCount()) return;
  const CellId focus = GetFocusCell();
  if (table_.resize) {
    table_.resize(rows);
  } else {
    // Empty rows above the append rows, or at the grid's end when there are none.
    const auto end = [this] { return core_.GetAppendRowCount() > 0 ? core_.TableEnd() : -1; };
    while (GetTableRowCount() < rows && InsertRow(QString(), end()) >= 0) {
    }
    while (GetTableRowCount() > rows && DeleteRow(core_.TableEnd() - 1)) {
    }
  }
  if (core_.IsValid(focus)) FocusCell(focus);
}

void CGridCtrl::ApplyEdit(const GridEdit& edit, bool forwards) {
  if (editor_) cellEditor_->Cancel();
  if (forwards) ResizeTable(edit.tableRowsAfter);
  ApplyChanges(core_, edit.cells, forwards);
  if (!forwards) ResizeTable(edit.tableRowsBefore);
  SetModified(true);
  if (core_.IsValid(edit.focus)) {
    core_.SelectFromAnchor(edit.focus, false);
    FocusCell(edit.focus);
    EnsureVisible(edit.focus.row, edit.focus.col);
  }
  Changed();
}

void CGridCtrl::StepHistory(bool back) {
  if (!undoStack_) return;
  // An open editor ends first: its text is the newest change, before any the history holds.
  if (editor_) {
    setFocus(Qt::OtherFocusReason);
    EndOpenEditor();
  }
  if (back)
    undoStack_->undo();
  else
    undoStack_->redo();
}

}  // namespace hdmjm
