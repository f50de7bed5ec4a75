#include "inplaceedit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

#include "editor_keys.h"

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

int EndingKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return event.key();
    default:
      return 0;
  }
}

void HandFocusBack(QWidget& editor, QWidget& grid, int key) {
  if (key != 0) grid.setFocus(Qt::OtherFocusReason);
  editor.hide();
}

InPlaceEdit::InPlaceEdit(QWidget* parent, QWidget* grid, const QRect& rect, Qt::Alignment alignment,
                         int id, int row, int col, const QString& text, int firstKey)
    : QLineEdit(parent),
      grid_(grid),
      id_(id),
      row_(row),
      col_(col),
      initialText_(text),
      exitOnArrows_(firstKey != kMouseTrigger) {
  setAlignment(alignment | Qt::AlignVCenter);
  setFont(grid->font());
  setGeometry(rect);
  setText(text);
  connect(this, &QLineEdit::textChanged, this, &InPlaceEdit::GrowToText);
  show();
  setFocus(Qt::OtherFocusReason);
  ApplyFirstKey(*this, firstKey, false);
}

bool InPlaceEdit::event(QEvent* event) {
  // Tab would otherwise move the focus on before the editor sees it.
  if (IsTabPress(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QLineEdit::event(event);
}

void InPlaceEdit::keyPressEvent(QKeyEvent* event) {
  // Every key stays here, so that neither the grid nor the dialog acts on it as well.
  event->accept();
  const int key = event->key();
  if (exitOnArrows_ && IsPageOrArrowKey(key) && !(event->modifiers() & Qt::ControlModifier)) {
    Finish(key);
    return;
  }
  if (const int ending = EndingKey(*event)) {
    Finish(ending);
    return;
  }
  QLineEdit::keyPressEvent(event);
  event->accept();
}

void InPlaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) Finish(0);
}

void InPlaceEdit::Finish(int key) {
  if (ended_) return;
  ended_ = true;
  if (key == Qt::Key_Escape) setText(initialText_);
  const QString text = this->text();
  HandFocusBack(*this, *grid_, key);
  emit EditEnded(row_, col_, text, key);
  deleteLater();
}

void InPlaceEdit::GrowToText() {
  const int frame = 2 * (style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 2);
  const int needed = fontMetrics().horizontalAdvance(text()) + 5 + frame;
  if (needed <= width()) return;
  const int limit = parentWidget()->width() - x();
  if (limit > width()) resize(std::min(needed, limit), height());
}

}  // namespace hdmjm
