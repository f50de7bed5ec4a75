// The one-cell edit box that the grid places over a cell while it is edited.
#pragma once

#include <QLineEdit>
#include <QString>

class QLineEdit;

namespace hdmjm {

// The key code of an edit started with the mouse.
inline constexpr int kMouseTrigger = 1;
// The control id the grid gives its in-place editors.
inline constexpr int kInPlaceEditorId = 6789;

// Page Up, Page Down and the arrow keys: the keys that may end an edit.
bool IsPageOrArrowKey(int key);
// Those and Home and End: the keys after which the grid moves on and goes on editing.
bool IsNavigationKey(int key);
// Places the caret, or types the key, that opened an editor. `key` is kMouseTrigger, a Qt::Key
// or the code point of a typed character. A blank selects the text unless `blankTypes`.
void ApplyFirstKey(QLineEdit& edit, int key, bool blankTypes);

class InPlaceEdit : public QLineEdit {
  Q_OBJECT

 public:
  // `parent` is the grid's viewport; `grid` takes the keyboard focus back when a key ends editing.
  InPlaceEdit(QWidget* parent, QWidget* grid, const QRect& rect, Qt::Alignment alignment, int id,
              int row, int col, const QString& text, int firstKey);

  int Id() const { return id_; }
  int Row() const { return row_; }
  int Col() const { return col_; }
  bool ExitsOnArrows() const { return exitOnArrows_; }
  // Ends editing as losing the focus does.
  void EndEdit() { Finish(0); }

 signals:
  // Reported once: the cell, its final text and the key that ended editing (0: focus lost).
  void EditEnded(int row, int col, const QString& text, int key);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Finish(int key);
  void GrowToText();

  QWidget* grid_;
  int id_;
  int row_;
  int col_;
  QString initialText_;
  bool exitOnArrows_;
  bool ended_ = false;
};

}  // namespace hdmjm
