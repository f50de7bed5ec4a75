// Opens the page that shows a table with the focus on a row and column: a page of the main
// sheet in the main sheet, a page of a side sheet in that side sheet, run modally as its tab
// would run it. The findings window and the strip view open pages through it.
#pragma once

#include <functional>
#include <string>

#include "pages/property_page.h"

namespace hdmjm {

class PropertySheet;

class PageOpener {
 public:
  // `selectRoad(index)` makes a road current as the road box does; `mainSheet` may be null
  // (then the main sheet's pages cannot be opened).
  PageOpener(const PageContext& context, PropertySheet* mainSheet,
             std::function<void(int)> selectRoad);

  // Road `road`'s page of `table` of `side`, focus on row `row` (from 1) and data column
  // `column`. False when the road or a page of the table does not exist.
  bool Open(const std::string& road, const TableDesc& table, Side side, int row, int column);

 private:
  PageContext context_;
  PropertySheet* mainSheet_;
  std::function<void(int)> selectRoad_;
};

}  // namespace hdmjm
