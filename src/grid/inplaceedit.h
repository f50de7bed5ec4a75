// The one-cell edit box that the grid places over a cell while it is edited.
#pragma once

#include <QLineEdit>

#include "cell_editor.h"

namespace hdmjm {

class InPlaceEdit : public QLineEdit, public CellEditor {
  Q_OBJECT

 public:
  // `parent` is the grid's viewport; `grid` takes the keyboard focus back when a key ends editing.
  InPlaceEdit(QWidget* parent, QWidget* grid, const QRect& rect, Qt::Alignment alignment, int id,
              int row, int col, const QString& text, int firstKey, EditEndReport report);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  QString CurrentText() const override { return text(); }
  void ShowText(const QString& text) override { setText(text); }

 private:
  void GrowToText();

  bool exitOnArrows_;  // off when editing began with the mouse: the arrows move the caret
};

}  // namespace hdmjm
