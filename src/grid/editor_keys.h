// Key handling shared by the two in-place editors.
#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace hdmjm {

// A Tab or Shift+Tab press, which an editor must see before focus navigation does.
bool IsTabPress(const QEvent* event);
// Tab, Enter or Escape: the key itself; 0 for any other key.
int EndingKey(const QKeyEvent& event);
// The grid takes the focus back when a key ended editing; the editor disappears at once.
void HandFocusBack(QWidget& editor, QWidget& grid, int key);

}  // namespace hdmjm
