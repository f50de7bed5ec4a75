// Where a key moves the grid's focus, free of any window.
#pragma once

#include <optional>

#include "grid_geometry.h"

namespace hdmjm {

enum class GridKey { Other, Left, Right, Up, Down, Tab, Backtab, PageUp, PageDown, Home, End };
inline constexpr unsigned kShiftHeld = 0x1;
inline constexpr unsigned kCtrlHeld = 0x2;

// Ctrl with Tab, Shift+Tab, Page Up or Page Down switches the pages of the tab widget around a
// grid; the grid and its editors leave these keys to it.
bool IsPageSwitch(GridKey key, unsigned modifiers);

struct KeyMove {
  CellId focus;                                 // the new focus cell, perhaps the old one
  std::optional<int> rowScroll = std::nullopt;  // the vertical scroll position the key sets first
  bool extend = false;  // the selection extends from the anchor (Shift, not with Tab)
};

// The move a key makes from the focus cell `from`: the arrows stay inside the ordinary cells, Tab
// and Shift+Tab wrap across rows, the page keys move the focus by the rows they scroll (to the
// first or last row when nothing scrolls), Home and End go to the first and last row, Ctrl
// changing none of them. Nothing for a key the grid leaves to others or without a focus cell.
std::optional<KeyMove> MoveByKey(const GridView& view, CellId from, GridKey key,
                                 unsigned modifiers);

}  // namespace hdmjm
