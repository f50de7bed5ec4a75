#include "inplaceedit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

namespace hdmjm {

InPlaceEdit::InPlaceEdit(QWidget* parent, QWidget* grid, const QRect& rect, Qt::Alignment alignment,
                         int id, int row, int col, const QString& text, int firstKey,
                         EditEndReport report)
    : QLineEdit(parent),
      CellEditor(*this, *grid, id, row, col, text, std::move(report)),
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
  if (IsTabPress(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QLineEdit::event(event);
}

void InPlaceEdit::keyPressEvent(QKeyEvent* event) {
  // The page switch goes on to the tab widget; the page change takes the focus and so ends the
  // edit, keeping its text.
  if (IsPageSwitchKey(*event)) {
    event->ignore();
    return;
  }
  // Every other key stays here, so that neither the grid nor the dialog acts on it as well.
  event->accept();
  if (PassHistoryKey(*event, isUndoAvailable(), isRedoAvailable())) return;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (EndsOn(*event, exitOnArrows_ && !ctrl)) return;
  QLineEdit::keyPressEvent(event);
  event->accept();
}

void InPlaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) EndEdit();
}

void InPlaceEdit::GrowToText() {
  const int frame = 2 * (style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 2);
  const int needed = fontMetrics().horizontalAdvance(text()) + 5 + frame;
  if (needed <= width()) return;
  const int limit = parentWidget()->width() - x();
  if (limit > width()) resize(std::min(needed, limit), height());
}

}  // namespace hdmjm
