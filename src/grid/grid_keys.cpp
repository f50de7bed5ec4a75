// The grid's keys, in-place editing and clipboard: moves by key through the window-free rules,
// editors opened over a cell and their end reports, and copy, cut and paste, every change of a
// cell reaching the owner through the end-edit path.
#include <QClipboard>
#include <QGuiApplication>
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
  if (key == Qt::Key_Delete) {
    if (editable_ && !core_.IsReadOnly(focus.row, focus.col)) {
      ReportChanges([&] { SetItemText(focus.row, focus.col, QString()); });
      SetModified(true);
    }
    return;
  }
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
  if (key != Qt::Key_Escape) {
    if (text != GetItemText(row, col)) SetModified(true);
    OnEndEditCell(row, col, text);
  }
  viewport()->update();
  emit EditEnd(row, col);
  if (!IsNavigationKey(key)) return;
  MoveFocusByKey(key, Qt::NoModifier);
  const CellId focus = GetFocusCell();
  OnEditCell(focus.row, focus.col, key);
}

void CGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
  SetItemText(row, col, text);
}

void CGridCtrl::OnEditCopy() {
  if (const auto text = core_.CopyText())
    QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
}

void CGridCtrl::OnEditCut() {
  if (!editable_) return;
  OnEditCopy();
  ReportChanges([this] { core_.EmptySelectedCells(); });
  viewport()->update();
}

void CGridCtrl::OnEditPaste() {
  if (!editable_) return;
  const CellId target = core_.PasteTarget();
  if (!core_.IsValid(target) || core_.IsReadOnly(target.row, target.col)) return;
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  ReportChanges([&] { core_.PasteText(text, target); });
  viewport()->update();
}

void CGridCtrl::ReportChanges(const std::function<void()>& change) {
  std::vector<std::string> before;
  before.reserve(static_cast<size_t>(GetRowCount()) * GetColumnCount());
  for (int row = 0; row < GetRowCount(); ++row)
    for (int col = 0; col < GetColumnCount(); ++col) before.push_back(core_.GetItemText(row, col));
  change();
  size_t index = 0;
  for (int row = 0; row < GetRowCount(); ++row) {
    for (int col = 0; col < GetColumnCount(); ++col, ++index) {
      const std::string& text = core_.GetItemText(row, col);
      if (index < before.size() && text == before[index]) continue;
      OnEndEditCell(row, col, QString::fromStdString(text));
      emit EditEnd(row, col);
    }
  }
}

void CGridCtrl::OnEditSelectAll() {
  core_.SelectAllCells();
  viewport()->update();
}

}  // namespace hdmjm
