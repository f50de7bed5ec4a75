// The one-cell drop-down list that the typed grid places over a coded cell while it is edited.
#pragma once

#include <QComboBox>
#include <QStringList>

#include "cell_editor.h"

namespace hdmjm {

class InPlaceList : public QComboBox, public CellEditor {
  Q_OBJECT

 public:
  static constexpr int kVisibleLines = 4;

  // `editable`: typing allowed besides choosing. `parent` is the grid's viewport; `grid` takes the
  // keyboard focus back when a key ends editing.
  InPlaceList(QWidget* parent, QWidget* grid, const QRect& rect, bool editable, int id, int row,
              int col, const QString& text, const QStringList& items, int firstKey,
              EditEndReport report);

  void showPopup() override;
  void hidePopup() override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  QString CurrentText() const override { return currentText(); }
  void ShowText(const QString& text) override;

 private:
  // An item chosen in the open list (Enter or a click) ends editing at once; an item reached with
  // the arrows in the closed box does not.
  void OnActivated();

  bool popupChoosing_ = false;  // the list is open, or has just closed and may report a choice
};

}  // namespace hdmjm
