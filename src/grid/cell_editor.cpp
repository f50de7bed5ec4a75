#include "cell_editor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>
#include <utility>

namespace hdmjm {

bool IsNavigationKey(int key) {
  const GridKey gridKey = ToGridKey(key);
  return gridKey != GridKey::Other && gridKey != GridKey::Tab && gridKey != GridKey::Backtab;
}

bool IsPageOrArrowKey(int key) {
  return IsNavigationKey(key) && key != Qt::Key_Home && key != Qt::Key_End;
}

void ApplyFirstKey(QLineEdit& edit, int key, bool blankTypes) {
  if (key == kMouseTrigger || key == Qt::Key_Return || key == Qt::Key_Enter) {
    edit.end(false);
    return;
  }
  if (key == Qt::Key_Backspace) {
    edit.end(false);
    edit.backspace();
    return;
  }
  edit.selectAll();
  const bool typed = key > kMouseTrigger && key < Qt::Key_Escape;  // a character's code point
  if (!typed || (key == ' ' && !blankTypes)) return;
  const char32_t character = static_cast<char32_t>(key);
  edit.insert(QString::fromUcs4(&character, 1));
}

bool IsTabPress(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

GridKey ToGridKey(int key) {
  static constexpr std::pair<int, GridKey> kKeys[] = {
      {Qt::Key_Left, GridKey::Left},     {Qt::Key_Right, GridKey::Right},
      {Qt::Key_Up, GridKey::Up},         {Qt::Key_Down, GridKey::Down},
      {Qt::Key_Tab, GridKey::Tab},       {Qt::Key_Backtab, GridKey::Backtab},
      {Qt::Key_PageUp, GridKey::PageUp}, {Qt::Key_PageDown, GridKey::PageDown},
      {Qt::Key_Home, GridKey::Home},     {Qt::Key_End, GridKey::End}};
  for (const auto& [qtKey, gridKey] : kKeys)
    if (qtKey == key) return gridKey;
  return GridKey::Other;
}

unsigned ToGridModifiers(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? kShiftHeld : 0) |
         (modifiers & Qt::ControlModifier ? kCtrlHeld : 0);
}

bool IsPageSwitchKey(const QKeyEvent& event) {
  return IsPageSwitch(ToGridKey(event.key()), ToGridModifiers(event.modifiers()));
}

HistoryKey HistoryKeyOf(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers =
      event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  if (event.matches(QKeySequence::Undo)) return HistoryKey::Undo;
  if (event.matches(QKeySequence::Redo)) return HistoryKey::Redo;
  if (event.key() == Qt::Key_Z && modifiers == Qt::ControlModifier) return HistoryKey::Undo;
  const bool redo =
      (event.key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
      (event.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier));
  return redo ? HistoryKey::Redo : HistoryKey::None;
}

CellEditor::CellEditor(QWidget& self, QWidget& grid, int id, int row, int col,
                       const QString& initialText, EditEndReport report)
    : self_(self),
      grid_(grid),
      id_(id),
      row_(row),
      col_(col),
      initialText_(initialText),
      report_(std::move(report)) {}

bool CellEditor::EndsOn(const QKeyEvent& event, bool navigationEnds) {
  const int key = event.key();
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      Finish(key);
      return true;
    default:
      if (!navigationEnds || !IsPageOrArrowKey(key)) return false;
      Finish(key);
      return true;
  }
}

bool CellEditor::PassHistoryKey(const QKeyEvent& event, bool canUndo, bool canRedo) {
  const HistoryKey key = HistoryKeyOf(event);
  if (key == HistoryKey::None || (key == HistoryKey::Undo ? canUndo : canRedo)) return false;
  QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text());
  QCoreApplication::sendEvent(&grid_, &copy);
  return true;
}

void CellEditor::Finish(int key) {
  if (ended_) return;
  ended_ = true;
  if (key == Qt::Key_Escape) ShowText(initialText_);
  const QString text = key == Qt::Key_Escape ? initialText_ : CurrentText();
  // The grid takes the focus first, so that the losing editor does not end a second time and
  // an editor the report opens keeps the focus.
  if (key != 0) grid_.setFocus(Qt::OtherFocusReason);
  self_.hide();
  if (report_) report_(row_, col_, text, key);
  self_.deleteLater();
}

}  // namespace hdmjm
