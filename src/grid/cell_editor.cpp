#include "cell_editor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace hdmjm {

bool IsPageOrArrowKey(int key) {
  switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      return true;
    default:
      return false;
  }
}

bool IsNavigationKey(int key) {
  return IsPageOrArrowKey(key) || key == Qt::Key_Home || key == Qt::Key_End;
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

bool IsPageSwitchKey(const QKeyEvent& event) {
  if (!(event.modifiers() & Qt::ControlModifier)) return false;
  const int key = event.key();
  return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown;
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
