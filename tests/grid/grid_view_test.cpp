// The window-free view: where the cells lie for a scroll position, what revealing a cell, paging
// and the wheel scroll to, and where each key moves the focus.
#include <gtest/gtest.h>

#include "grid/grid_navigation.h"

namespace hdmjm {
namespace {

// One heading of 25 pixels, then rows of 20 with an empty one (3) and a taller one (4): the
// ordinary rows start at 25, 45, 65, 65, 95, 115, 135 and end at 155.
Extents Rows() {
  Extents rows;
  for (int size : {25, 20, 20, 0, 30, 20, 20, 20}) rows.Insert(rows.Count(), size);
  return rows;
}

TEST(GridAxisView, ScreenPositionsFollowTheScrollAndSkipEmptyRows) {
  const Extents rows = Rows();
  struct Case {
    int scroll, first, screenStartOf4, indexAt50, cellsEnd;
    std::vector<int> onScreen;
  };
  for (const Case& c : {Case{0, 1, 65, 2, 100, {0, 1, 2, 3, 4, 5}},
                        Case{30, 3, 25, 4, 100, {0, 3, 4, 5, 6, 7}},  // the empty row is first
                        Case{200, 7, -1, -1, 45, {0, 7}}}) {
    const GridAxis axis{rows, 1, 100, c.scroll, 145, 75};
    EXPECT_EQ(axis.First(), c.first) << c.scroll;
    EXPECT_EQ(axis.ScreenStart(4).value_or(-1), c.screenStartOf4) << c.scroll;
    EXPECT_EQ(axis.IndexAt(50), c.indexAt50) << c.scroll;
    EXPECT_EQ(axis.CellsEnd(), c.cellsEnd) << c.scroll;
    EXPECT_EQ(axis.OnScreen(), c.onScreen) << c.scroll;
  }
}

TEST(GridAxisView, ScrollPositionsToRevealPageWheelAndRange) {
  const Extents rows = Rows();
  const GridAxis top{rows, 1, 100, 0, 145, 75};
  const GridAxis down = top.ScrolledTo(70);  // rows 5, 6, 7 on screen
  struct Case {
    const char* what;
    std::optional<int> position, expected;
  };
  for (const Case& c : {
           Case{"a visible row", top.Revealing(2), std::nullopt},
           Case{"a heading", top.Revealing(0), std::nullopt},
           Case{"the last row, at the bottom", top.Revealing(7), 70},
           Case{"a row above the view, at the top", down.Revealing(1), 0},
           Case{"three rows a notch", top.Wheeled(-1, 3), 40},
           Case{"back past the top", down.Wheeled(2, 3), 0},
           Case{"two pages a notch, kept in range", top.Wheeled(-2, -1), 145},
           Case{"one page", top.Paged(1).scroll, 75},
           Case{"the range with slack", top.RangeMax(90), 145},
       }) {
    EXPECT_EQ(c.position, c.expected) << c.what;
  }
  EXPECT_EQ((GridAxis{rows, 1, 155, 0, 0, 130}.RangeMax(90)), 0);
  EXPECT_EQ((GridAxis{rows, 1, 20, 0, 0, 0}.RangeMax(90)), 0);  // the heading fills the view
}

TEST(GridViewCells, RectanglesAndHitsOfCellsAndResizeBorders) {
  const Extents rows = Rows();
  Extents cols;
  cols.Resize(4, 50);
  const GridView view{{rows, 1, 100, 30, 145, 75}, {cols, 1, 120, 0, 0, 0}};
  EXPECT_EQ(view.CellRect({4, 2}), (GridRect{100, 25, 50, 30}));
  EXPECT_EQ(view.CellRect({1, 2}), std::nullopt);  // scrolled away
  EXPECT_EQ(view.CellRect({8, 0}), std::nullopt);
  EXPECT_EQ(view.CellAt(60, 30), (CellId{4, 1}));
  EXPECT_EQ(view.CellAt(60, 10), (CellId{0, 1}));
  EXPECT_EQ(view.CellAt(210, 10), CellId{});
  EXPECT_EQ(view.ColumnBorderAt(102, 10, 3), 1);
  EXPECT_EQ(view.ColumnBorderAt(102, 30, 3), -1);  // below the headings
  EXPECT_EQ(view.RowBorderAt(20, 53, 3), 4);
  EXPECT_EQ(view.RowBorderAt(60, 53, 3), -1);
}

TEST(GridKeys, MovesAsKeyboardNavigationData) {
  Extents rows;
  rows.Resize(30, 20);
  rows.SetSize(3, 40);
  Extents cols;
  cols.Resize(5, 70);
  // 180 pixels of ordinary rows show; a page scrolls eight of them, the tall row 3 among them.
  const GridAxis top{rows, 1, 200, 0, 510, 180};
  struct Case {
    CellId start;
    int scroll;
    GridKey key;
    unsigned modifiers;
    std::optional<CellId> expected;
    std::optional<int> scrollTo = std::nullopt;
    bool extend = false;
  };
  constexpr unsigned kShift = kShiftHeld;
  constexpr unsigned kCtrl = kCtrlHeld;
  for (const Case& c : {
           Case{{1, 1}, 0, GridKey::Left, 0, CellId{1, 1}},
           Case{{1, 1}, 0, GridKey::Up, kCtrl, CellId{1, 1}},
           Case{{1, 1}, 0, GridKey::Down, kShift, CellId{2, 1}, std::nullopt, true},
           Case{{0, 2}, 0, GridKey::Up, 0, CellId{1, 2}},  // from a heading into the cells
           Case{{2, 4}, 0, GridKey::Right, 0, CellId{2, 4}},
           Case{{29, 3}, 0, GridKey::Down, 0, CellId{29, 3}},
           Case{{1, 4}, 0, GridKey::Tab, 0, CellId{2, 1}},
           Case{{2, 1}, 0, GridKey::Tab, kShift, CellId{1, 4}},
           Case{{2, 1}, 0, GridKey::Backtab, kShift, CellId{1, 4}},
           Case{{29, 4}, 0, GridKey::Tab, 0, CellId{29, 4}},
           Case{{1, 1}, 0, GridKey::Backtab, 0, CellId{1, 1}},
           Case{{5, 2}, 0, GridKey::PageDown, 0, CellId{13, 2}, 180},
           Case{{13, 2}, 180, GridKey::PageUp, 0, CellId{5, 2}, 0},
           Case{{25, 2}, 510, GridKey::PageDown, 0, CellId{29, 2}, 510},
           Case{{5, 2}, 0, GridKey::PageUp, 0, CellId{1, 2}, 0},
           Case{{14, 3}, 180, GridKey::Home, kCtrl, CellId{1, 3}, 0},
           Case{{5, 3}, 0, GridKey::End, 0, CellId{29, 3}, 510},
           Case{{5, 3}, 0, GridKey::Tab, kCtrl, std::nullopt},
           Case{{5, 3}, 0, GridKey::PageDown, kCtrl, std::nullopt},
           Case{{5, 3}, 0, GridKey::Other, 0, std::nullopt},  // Enter belongs to the dialog
           Case{{-1, -1}, 0, GridKey::Down, 0, std::nullopt},
       }) {
    const GridView view{top.ScrolledTo(c.scroll), {cols, 1, 420, 0, 0, 0}};
    const auto move = MoveByKey(view, c.start, c.key, c.modifiers);
    const std::string row = std::to_string(c.start.row) + "," + std::to_string(c.start.col) +
                            " key " + std::to_string(static_cast<int>(c.key));
    ASSERT_EQ(move.has_value(), c.expected.has_value()) << row;
    if (!move) continue;
    EXPECT_EQ(move->focus, *c.expected) << row;
    EXPECT_EQ(move->rowScroll, c.scrollTo) << row;
    EXPECT_EQ(move->extend, c.extend) << row;
  }
}

}  // namespace
}  // namespace hdmjm
