// The grid's keys and in-place editing: moves by key through the window-free rules, the
// clipboard, Delete, undo and redo keys, and editors opened over a cell and their end reports.
#include <QKeyEvent>

#include "gridctrl.h"
#include "inplaceedit.h"
#include "inplacelist.h"

namespace hdmjm {

bool CGridCtrl::focusNextPrevChild(bool next) {
  // Tab moves between cells while there is a focus cell.
  if (core_.IsValid(GetFocusCell())) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
  if (const HistoryKey history = HistoryKeyOf(*event); history != HistoryKey::None && undoStack_)
    return StepHistory(history == HistoryKey::Undo);
  const CellId focus = GetFocusCell();
  if (!core_.IsValid(focus)) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  const int key = event->key();
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (IsPageSwitchKey(*event)) {
    event->ignore();  // on to the tab widget around the grid
    return;
  }
  if (ctrl && key == Qt::Key_A) return OnEditSelectAll();
  if (ctrl && key == Qt::Key_C) return OnEditCopy();
  if (ctrl && key == Qt::Key_V) return OnEditPaste();
  if (ctrl && key == Qt::Key_X) return OnEditCut();
  if (key == Qt::Key_Delete) return OnEditDelete();
  if (MoveFocusByKey(key, event->modifiers())) return;
  // Enter and Escape belong to the dialog.
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  if (!ctrl && mouseMode_ == MouseMode::Nothing) {
    if (key == Qt::Key_Backspace) return OnEditCell(focus.row, focus.col, key);
    const QList<uint> characters = event->text().toUcs4();
    if (!characters.isEmpty() && QChar::isPrint(characters.front()))
      return OnEditCell(focus.row, focus.col, static_cast<int>(characters.front()));
  }
  QAbstractScrollArea::keyPressEvent(event);
}

bool CGridCtrl::MoveFocusByKey(int key, Qt::KeyboardModifiers modifiers) {
  const CellId focus = GetFocusCell();
  const auto move = MoveByKey(View(), focus, ToGridKey(key), ToGridModifiers(modifiers));
  if (!move) return false;
  ScrollTo(verticalScrollBar(), move->rowScroll);
  if (move->focus != focus) {
    core_.SelectFromAnchor(move->focus, move->extend);
    FocusCell(move->focus);
  }
  EnsureVisible(move->focus.row, move->focus.col);
  viewport()->update();
  return true;
}

void CGridCtrl::EndOpenEditor() {
  if (editor_) cellEditor_->EndEdit();
}

void CGridCtrl::OnEditCell(int row, int col, int key) {
  if (!editable_ || editor_) return;
  if (!core_.IsValid(row, col) || core_.IsReadOnly(row, col)) return;
  if (!EnsureVisible(row, col)) return;
  emit EditBegin(row, col);
  const unsigned format = core_.GetCell(row, col)->format;
  const Qt::Alignment alignment = (format & kDtRight)    ? Qt::AlignRight
                                  : (format & kDtCenter) ? Qt::AlignHCenter
                                                         : Qt::AlignLeft;
  CreateInPlaceEditor(GetCellRect(row, col), alignment, kInPlaceEditorId, row, col,
                      GetItemText(row, col), key);
}

void CGridCtrl::CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id, int row,
                                    int col, const QString& text, int key) {
  OpenInPlaceEdit(rect, alignment, id, row, col, text, key);
}

InPlaceEdit* CGridCtrl::OpenInPlaceEdit(const QRect& rect, Qt::Alignment alignment, int id, int row,
                                        int col, const QString& text, int key) {
  auto* edit =
      new InPlaceEdit(viewport(), this, rect, alignment, id, row, col, text, key, EndReport());
  Adopt(edit, edit);
  return edit;
}

InPlaceList* CGridCtrl::OpenInPlaceList(const QRect& rect, bool editable, int id, int row, int col,
                                        const QString& text, const QStringList& items, int key) {
  auto* list = new InPlaceList(viewport(), this, rect, editable, id, row, col, text, items, key,
                               EndReport());
  Adopt(list, list);
  return list;
}

EditEndReport CGridCtrl::EndReport() {
  return [this](int row, int col, const QString& text, int key) {
    OnEndInPlaceEdit(row, col, text, key);
  };
}

void CGridCtrl::Adopt(QWidget* editor, CellEditor* cellEditor) {
  editor_ = editor;
  cellEditor_ = cellEditor;
}

void CGridCtrl::OnEndInPlaceEdit(int row, int col, const QString& text, int key) {
  editor_ = nullptr;
  cellEditor_ = nullptr;
  if (!core_.IsValid(row, col)) return;
  // Escape leaves the cell as it was: nothing to store, and nothing for a derived grid to learn
  // from the text.
  const bool stores = key != Qt::Key_Escape;
  GridEdit edit = StartEdit(GridEditKind::Edited, {row, col});
  const TextSnapshot before = stores ? SnapshotTexts(core_) : TextSnapshot();
  if (stores) {
    if (text != GetItemText(row, col)) SetModified(true);
    OnEndEditCell(row, col, text);
  }
  viewport()->update();
  emit EditEnd(row, col);
  if (stores) ReportEdit(std::move(edit), before);
  if (!IsNavigationKey(key)) return;
  MoveFocusByKey(key, Qt::NoModifier);
  const CellId focus = GetFocusCell();
  OnEditCell(focus.row, focus.col, key);
}

void CGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
  SetItemText(row, col, text);
}

}  // namespace hdmjm
