// Where the grid's cells lie on screen for given sizes and scroll positions, free of any window:
// the cells on screen, cell rectangles, hit-testing of cells and of resize borders, and the
// scroll positions and ranges. The widget reads its scroll bars into these values and sets what
// they compute.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "grid_core.h"

namespace hdmjm {

// One direction of the view: the rows under the vertical scroll bar, or the columns under the
// horizontal one. The view shows the fixed indices, then the ordinary ones from the first that
// starts at or after the scroll position.
struct GridAxis {
  const Extents& extents;
  int fixed = 0;
  int viewLength = 0;  // pixels of the viewport along this direction
  int scroll = 0;      // the scroll bar's position, maximum and page step
  int scrollMax = 0;
  int pageStep = 0;

  int Count() const { return extents.Count(); }
  int FixedLength() const { return extents.Start(fixed); }
  int VisibleLength() const { return viewLength - FixedLength(); }
  bool InFixed(int position) const { return position >= 0 && position < FixedLength(); }
  // The first ordinary index on screen; Count() when there is none.
  int First() const {
    if (Count() <= fixed) return Count();
    return std::clamp(extents.FirstStartingAt(FixedLength() + scroll), fixed, Count() - 1);
  }
  // Where the index starts on screen; nothing when it is scrolled away.
  std::optional<int> ScreenStart(int index) const {
    if (index < fixed) return extents.Start(index);
    const int first = First();
    if (index < first || index >= Count()) return std::nullopt;
    return FixedLength() + extents.Start(index) - extents.Start(first);
  }
  // The index under a screen position, -1 outside the cells.
  int IndexAt(int position) const {
    if (position < 0) return -1;
    if (position < FixedLength()) return extents.IndexAt(position);
    return extents.IndexAt(position - FixedLength() + extents.Start(First()));
  }
  // The fixed indices and the ordinary ones that start inside the view.
  std::vector<int> OnScreen() const {
    std::vector<int> indices;
    for (int i = 0; i < fixed && i < Count(); ++i) indices.push_back(i);
    int position = FixedLength();
    for (int i = First(); i < Count() && position < viewLength; ++i) {
      indices.push_back(i);
      position += extents.Size(i);
    }
    return indices;
  }
  // The screen position where the cells end.
  int CellsEnd() const {
    const auto indices = OnScreen();
    if (indices.empty()) return 0;
    return std::min(viewLength, *ScreenStart(indices.back()) + extents.Size(indices.back()));
  }
  // The index on screen whose far edge lies within `range` pixels of `position`, or -1.
  int BorderNear(int position, int range) const {
    for (int index : OnScreen()) {
      if (std::abs(position - *ScreenStart(index) - extents.Size(index)) <= range) return index;
    }
    return -1;
  }

  // Scroll positions to set; the scroll bar keeps them inside its range.
  int PositionOf(int index) const { return extents.Start(index) - FixedLength(); }
  // Moves the first ordinary index on screen by `indices`; nothing without ordinary indices.
  std::optional<int> ScrolledBy(int indices) const {
    if (Count() <= fixed) return std::nullopt;
    return PositionOf(std::clamp(First() + indices, fixed, Count() - 1));
  }
  // The least scroll that shows the index whole where it fits; nothing when none is needed.
  std::optional<int> Revealing(int index) const {
    if (index < fixed || index >= Count()) return std::nullopt;
    const int first = First();
    if (index < first) return PositionOf(index);
    if (*ScreenStart(index) + extents.Size(index) <= viewLength) return std::nullopt;
    const int top = extents.FirstStartingAt(extents.Start(index + 1) - VisibleLength());
    return PositionOf(std::clamp(top, first, index));
  }
  // The view scrolled to `position`, kept inside the range as the scroll bar keeps it.
  GridAxis ScrolledTo(int position) const {
    GridAxis scrolled = *this;
    scrolled.scroll = std::clamp(position, 0, std::max(0, scrollMax));
    return scrolled;
  }
  // Pages forward (1) or back (-1).
  GridAxis Paged(int direction) const { return ScrolledTo(scroll + direction * pageStep); }
  // Where wheel notches scroll (forward ones go back): `lines` indices a notch, or a page when
  // negative.
  std::optional<int> Wheeled(int notches, int lines) const {
    if (lines < 0) return ScrolledTo(scroll - notches * pageStep).scroll;
    return ScrolledBy(-notches * lines);
  }
  // The scroll maximum: the ordinary extent beyond the view plus `slack`, or 0 when it fits.
  int RangeMax(int slack) const {
    const int extent = extents.Start(Count()) - FixedLength();
    if (VisibleLength() <= 0 || extent <= VisibleLength()) return 0;
    return extent + slack - VisibleLength();
  }
};

struct GridRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const GridRect&, const GridRect&) = default;
};

// Both directions of the view.
struct GridView {
  GridAxis rows;
  GridAxis cols;

  bool IsValid(CellId cell) const {
    return cell.row >= 0 && cell.row < rows.Count() && cell.col >= 0 && cell.col < cols.Count();
  }
  // The cell's rectangle, grid line included; nothing when it is invalid or scrolled away.
  std::optional<GridRect> CellRect(CellId cell) const {
    if (!IsValid(cell)) return std::nullopt;
    const auto y = rows.ScreenStart(cell.row);
    const auto x = cols.ScreenStart(cell.col);
    if (!x || !y) return std::nullopt;
    return GridRect{*x, *y, cols.extents.Size(cell.col), rows.extents.Size(cell.row)};
  }
  // The cell under a screen point; (-1, -1) beyond the cells.
  CellId CellAt(int x, int y) const {
    const int row = rows.IndexAt(y);
    const int col = cols.IndexAt(x);
    return row < 0 || col < 0 ? CellId{} : CellId{row, col};
  }
  // The column whose right border the point is near inside the heading rows, or -1.
  int ColumnBorderAt(int x, int y, int range) const {
    return rows.InFixed(y) ? cols.BorderNear(x, range) : -1;
  }
  // The row whose bottom border the point is near inside the heading columns, or -1.
  int RowBorderAt(int x, int y, int range) const {
    return cols.InFixed(x) ? rows.BorderNear(y, range) : -1;
  }
};

}  // namespace hdmjm
