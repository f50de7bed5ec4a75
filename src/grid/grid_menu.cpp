// The grid's context menu: its own entries (undo, redo, cut, copy, paste, delete contents) with
// their standard shortcuts, each enabled where it can act, then the owner's row operations.
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QUndoStack>
#include <utility>

#include "gridctrl.h"

namespace hdmjm {

void CGridCtrl::CreateEditActions() {
  struct Entry {
    QString caption;
    QKeySequence::StandardKey keys;
    void (CGridCtrl::*run)();
    bool (CGridCtrl::*enabled)() const;
  };
  const Entry entries[] = {
      {QStringLiteral("撤销"), QKeySequence::Undo, &CGridCtrl::OnEditUndo, &CGridCtrl::CanUndo},
      {QStringLiteral("重做"), QKeySequence::Redo, &CGridCtrl::OnEditRedo, &CGridCtrl::CanRedo},
      {QStringLiteral("剪切"), QKeySequence::Cut, &CGridCtrl::OnEditCut, &CGridCtrl::CanCut},
      {QStringLiteral("复制"), QKeySequence::Copy, &CGridCtrl::OnEditCopy, &CGridCtrl::CanCopy},
      {QStringLiteral("粘贴"), QKeySequence::Paste, &CGridCtrl::OnEditPaste, &CGridCtrl::CanPaste},
      {QStringLiteral("删除内容"), QKeySequence::Delete, &CGridCtrl::OnEditDelete,
       &CGridCtrl::CanDelete},
  };
  for (const Entry& entry : entries) {
    auto* action = new QAction(entry.caption, this);
    // Shown beside the caption; the keys themselves reach the grid as key presses.
    action->setShortcuts(entry.keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, [this, run = entry.run] { (this->*run)(); });
    editActions_.emplace_back(action, entry.enabled);
  }
}

void CGridCtrl::AddRowAction(QAction* action) { rowActions_.append(action); }

std::unique_ptr<QMenu> CGridCtrl::CreateContextMenu() {
  const CellId focus = GetFocusCell();
  emit ContextMenuAboutToShow(focus.row, focus.col);
  auto menu = std::make_unique<QMenu>(this);
  for (const auto& [action, enabled] : editActions_) {
    action->setEnabled((this->*enabled)());
    menu->addAction(action);
  }
  bool separated = false;
  for (const QPointer<QAction>& action : rowActions_) {
    if (!action) continue;
    if (!std::exchange(separated, true)) menu->addSeparator();
    menu->addAction(action);
  }
  return menu;
}

void CGridCtrl::contextMenuEvent(QContextMenuEvent* event) {
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Mouse) {
    FocusForMenu(GetCellFromPt(event->pos()));
  } else {
    const QRect cell = GetCellRect(GetFocusCell().row, GetFocusCell().col);
    if (cell.isValid()) at = viewport()->mapToGlobal(cell.center());
  }
  CreateContextMenu()->exec(at);
}

void CGridCtrl::FocusForMenu(CellId cell) {
  if (!core_.IsValid(cell) || core_.IsFixed(cell.row, cell.col) ||
      core_.IsSelected(cell.row, cell.col))
    return;
  EndOpenEditor();
  setFocus(Qt::MouseFocusReason);
  core_.SelectFromAnchor(cell, false);
  FocusCell(cell);
  viewport()->update();
}

bool CGridCtrl::CanUndo() const { return undoStack_ && undoStack_->canUndo(); }

bool CGridCtrl::CanRedo() const { return undoStack_ && undoStack_->canRedo(); }

bool CGridCtrl::CanCut() const { return editable_ && core_.CanEmptySelection(); }

bool CGridCtrl::CanCopy() const { return !core_.SelectedCells().empty(); }

bool CGridCtrl::CanDelete() const { return editable_ && core_.CanDeleteContents(); }

bool CGridCtrl::CanPaste() const {
  const CellId target = core_.PasteTarget();
  if (!editable_ || !core_.IsValid(target) || QGuiApplication::clipboard()->text().isEmpty())
    return false;
  if (target.row < core_.TableEnd()) return !core_.IsReadOnly(target.row, target.col);
  // On the append row a paste adds rows, where the table has room for them.
  return table_.room < 0 || GetTableRowCount() < table_.room;
}

}  // namespace hdmjm
