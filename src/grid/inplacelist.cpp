#include "inplacelist.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <algorithm>

namespace hdmjm {

InPlaceList::InPlaceList(QWidget* parent, QWidget* grid, const QRect& rect, bool editable, int id,
                         int row, int col, const QString& text, const QStringList& items,
                         int firstKey, EditEndReport report)
    : QComboBox(parent), CellEditor(*this, *grid, id, row, col, text, std::move(report)) {
  setFont(grid->font());
  setEditable(editable);
  if (editable) {
    // Typed text stays as typed: no completion, and Enter adds nothing to the list.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->installEventFilter(this);
  }
  // The list drops below the cell, as a desktop combo box does, and shows kVisibleLines lines.
  setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  setMaxVisibleItems(kVisibleLines);
  addItems(items);

  const QFontMetrics metrics(font());
  int widest = 0;
  for (const QString& item : items) widest = std::max(widest, metrics.horizontalAdvance(item));
  widest = std::max(widest, metrics.horizontalAdvance(text));
  const int listWidth = widest + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                        2 * metrics.horizontalAdvance(QLatin1Char(' '));
  // The closed box shows its whole text beside the arrow, whatever room the style takes for
  // frame and arrow.
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const int boxWidth =
      style()
          ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(widest, rect.height()), this)
          .width();
  QRect area = rect;
  area.setWidth(std::max({rect.width(), listWidth, boxWidth}));
  view()->setMinimumWidth(listWidth);
  setGeometry(area);
  connect(this, &QComboBox::activated, this, &InPlaceList::OnActivated);

  ShowText(text);
  show();
  setFocus(Qt::OtherFocusReason);
  if (editable) ApplyFirstKey(*lineEdit(), firstKey, true);
}

void InPlaceList::ShowText(const QString& text) {
  const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  setCurrentIndex(index);
  if (index < 0 && isEditable()) setEditText(text);
}

bool InPlaceList::event(QEvent* event) {
  if (IsTabPress(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QComboBox::event(event);
}

void InPlaceList::keyPressEvent(QKeyEvent* event) {
  // Ctrl+Tab switches pages, as from the edit box; Ctrl with a page key keeps its meaning here.
  if (IsPageSwitchKey(*event) && IsTabPress(event)) {
    event->ignore();
    return;
  }
  event->accept();
  if (PassHistoryKey(*event, false, false)) return;
  // The page and arrow keys move within the list; with Ctrl they end editing.
  if (EndsOn(*event, event->modifiers() & Qt::ControlModifier)) return;
  QComboBox::keyPressEvent(event);
  event->accept();
}

bool InPlaceList::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lineEdit() || event->type() != QEvent::KeyPress)
    return QComboBox::eventFilter(watched, event);
  // The edit field undoes its own typing; past that, undo and redo are the grid's.
  const QLineEdit& field = *lineEdit();
  return PassHistoryKey(*static_cast<QKeyEvent*>(event), field.isUndoAvailable(),
                        field.isRedoAvailable()) ||
         QComboBox::eventFilter(watched, event);
}

void InPlaceList::showPopup() {
  popupChoosing_ = true;
  QComboBox::showPopup();
}

void InPlaceList::hidePopup() {
  QComboBox::hidePopup();
  // The open list reports a chosen item right after it closes; a close without a choice
  // (Escape, a click elsewhere) leaves the box editing.
  QTimer::singleShot(0, this, [this] { popupChoosing_ = false; });
}

void InPlaceList::OnActivated() {
  if (popupChoosing_) Finish(Qt::Key_Return);
}

void InPlaceList::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // The open list takes the focus for a while; that is still editing.
  if (event->reason() == Qt::PopupFocusReason || view()->isVisible()) return;
  EndEdit();
}

}  // namespace hdmjm
