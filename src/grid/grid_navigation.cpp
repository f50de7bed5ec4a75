#include "grid_navigation.h"

#include <algorithm>
#include <cstdlib>

namespace hdmjm {
namespace {

// The row a page key reaches from `from`, and the scroll position it sets.
KeyMove PageMove(const GridAxis& rows, CellId from, int direction) {
  const GridAxis paged = rows.Paged(direction);
  const int scrolled = std::abs(paged.First() - rows.First());
  const int limit = direction > 0 ? rows.Count() - 1 : rows.fixed;
  const int row = scrolled == 0   ? limit
                  : direction > 0 ? std::min(from.row + scrolled, limit)
                                  : std::max(from.row - scrolled, limit);
  return {{row, from.col}, paged.scroll};
}

KeyMove Move(const GridView& view, CellId from, GridKey key) {
  const int firstRow = view.rows.fixed;
  const int firstCol = view.cols.fixed;
  const int lastRow = view.rows.Count() - 1;
  const int lastCol = view.cols.Count() - 1;
  switch (key) {
    case GridKey::Down:
      return {{std::min(from.row + 1, lastRow), from.col}};
    case GridKey::Up:
      return {{std::max(from.row - 1, firstRow), from.col}};
    case GridKey::Right:
      return {{from.row, std::min(from.col + 1, lastCol)}};
    case GridKey::Left:
      return {{from.row, std::max(from.col - 1, firstCol)}};
    case GridKey::Tab:
      if (from.col < lastCol) return {{from.row, from.col + 1}};
      return {from.row < lastRow ? CellId{from.row + 1, firstCol} : from};
    case GridKey::Backtab:
      if (from.col > firstCol) return {{from.row, from.col - 1}};
      return {from.row > firstRow ? CellId{from.row - 1, lastCol} : from};
    case GridKey::PageDown:
      return PageMove(view.rows, from, 1);
    case GridKey::PageUp:
      return PageMove(view.rows, from, -1);
    case GridKey::Home:
      return {{firstRow, from.col}, 0};
    case GridKey::End:
      return {{lastRow, from.col}, view.rows.scrollMax};
    default:
      return {};
  }
}

}  // namespace

bool IsPageSwitch(GridKey key, unsigned modifiers) {
  if (!(modifiers & kCtrlHeld)) return false;
  return key == GridKey::Tab || key == GridKey::Backtab || key == GridKey::PageUp ||
         key == GridKey::PageDown;
}

std::optional<KeyMove> MoveByKey(const GridView& view, CellId from, GridKey key,
                                 unsigned modifiers) {
  if (IsPageSwitch(key, modifiers) || !view.IsValid(from)) return std::nullopt;
  if (key == GridKey::Tab && (modifiers & kShiftHeld)) key = GridKey::Backtab;
  KeyMove move = Move(view, from, key);
  if (!view.IsValid(move.focus)) return std::nullopt;
  move.extend = (modifiers & kShiftHeld) && key != GridKey::Tab && key != GridKey::Backtab;
  return move;
}

}  // namespace hdmjm
