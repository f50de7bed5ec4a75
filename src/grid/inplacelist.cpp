#include "inplacelist.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

#include "editor_keys.h"
#include "inplaceedit.h"

namespace hdmjm {

InPlaceList::InPlaceList(QWidget* parent, QWidget* grid, const QRect& rect, bool editable, int id,
                         int row, int col, const QString& text, const QStringList& items,
                         int firstKey)
    : QComboBox(parent), grid_(grid), id_(id), row_(row), col_(col), initialText_(text) {
  setFont(grid->font());
  setEditable(editable);
  if (editable) {
    // Typed text stays as typed: no completion, and Enter adds nothing to the list.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
  }
  setMaxVisibleItems(kVisibleLines);
  addItems(items);

  const QFontMetrics metrics(font());
  int widest = 0;
  for (const QString& item : items) widest = std::max(widest, metrics.horizontalAdvance(item));
  const int width = widest + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                    2 * metrics.horizontalAdvance(QLatin1Char(' '));
  QRect area = rect;
  if (area.width() < width) area.setWidth(width);
  view()->setMinimumWidth(width);
  setGeometry(area);

  const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  setCurrentIndex(index);
  if (index < 0 && editable) setEditText(text);
  show();
  setFocus(Qt::OtherFocusReason);
  if (editable) ApplyFirstKey(*lineEdit(), firstKey, true);
}

bool InPlaceList::event(QEvent* event) {
  if (IsTabPress(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QComboBox::event(event);
}

void InPlaceList::keyPressEvent(QKeyEvent* event) {
  event->accept();
  const int key = event->key();
  if (IsPageOrArrowKey(key) && (event->modifiers() & Qt::ControlModifier)) {
    Finish(key);
    return;
  }
  if (const int ending = EndingKey(*event)) {
    Finish(ending);
    return;
  }
  QComboBox::keyPressEvent(event);
  event->accept();
}

void InPlaceList::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // The open list takes the focus for a while; that is still editing.
  if (event->reason() != Qt::PopupFocusReason) Finish(0);
}

void InPlaceList::Finish(int key) {
  if (ended_) return;
  ended_ = true;
  const QString text = key == Qt::Key_Escape ? initialText_ : currentText();
  if (key == Qt::Key_Escape && isEditable()) setEditText(initialText_);
  HandFocusBack(*this, *grid_, key);
  emit EditEnded(row_, col_, text, key);
  deleteLater();
}

}  // namespace hdmjm
