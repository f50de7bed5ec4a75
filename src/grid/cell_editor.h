// What the two in-place editors share: the keys that open and end editing, and the end report
// to the grid.
#pragma once

#include <QString>
#include <functional>

#include "grid_navigation.h"

class QEvent;
class QKeyEvent;
class QLineEdit;
class QWidget;

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
// A Tab or Shift+Tab press, which an editor must see before focus navigation takes it.
bool IsTabPress(const QEvent* event);
// The key, and Shift and Ctrl, as the grid's key rules name them.
GridKey ToGridKey(int key);
unsigned ToGridModifiers(Qt::KeyboardModifiers modifiers);
// The keys that switch the pages of the tab widget around a grid (IsPageSwitch).
bool IsPageSwitchKey(const QKeyEvent& event);
// Undo (Ctrl+Z) and redo (Ctrl+Y, Ctrl+Shift+Z, and the platform's other bindings).
enum class HistoryKey { None, Undo, Redo };
HistoryKey HistoryKeyOf(const QKeyEvent& event);

// The cell, its final text and the key that ended editing (0: the focus was lost).
using EditEndReport = std::function<void(int row, int col, const QString& text, int key)>;

class CellEditor {
 public:
  // `self` is the editor widget; `grid` takes the keyboard focus back when a key ends editing.
  CellEditor(QWidget& self, QWidget& grid, int id, int row, int col, const QString& initialText,
             EditEndReport report);
  virtual ~CellEditor() = default;

  int Id() const { return id_; }
  int Row() const { return row_; }
  int Col() const { return col_; }
  // Ends editing as losing the focus does.
  void EndEdit() { Finish(0); }
  // Ends editing as Escape does: the cell keeps its text.
  void Cancel() { Finish(Qt::Key_Escape); }
  // Nothing is reported any more (the grid is going away).
  void Detach() { report_ = nullptr; }

 protected:
  virtual QString CurrentText() const = 0;
  virtual void ShowText(const QString& text) = 0;
  // Ends editing for Tab, Enter and Escape, and for the page and arrow keys when
  // `navigationEnds`; false for a key that stays with the editor.
  bool EndsOn(const QKeyEvent& event, bool navigationEnds);
  // Hands an undo or redo key to the grid, which ends editing and steps its history, when the
  // editor has nothing of its own to undo (`canUndo`) or redo (`canRedo`); false when the key
  // stays with the editor.
  bool PassHistoryKey(const QKeyEvent& event, bool canUndo, bool canRedo);
  // Reports once, Escape with the initial text back; the editor disappears and is deleted.
  void Finish(int key);

 private:
  QWidget& self_;
  QWidget& grid_;
  int id_;
  int row_;
  int col_;
  QString initialText_;
  EditEndReport report_;
  bool ended_ = false;
};

}  // namespace hdmjm
