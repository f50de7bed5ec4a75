// What a table's columns mean along the road, read from the catalogue's column names: which
// tables are segment tables (keyed by the end station of each segment) and which are interval
// tables (a start and an end station per row), and the ditch-bottom radius rule of the ditch
// tables. The checks, the strip view and the ditch pages all ask here.
#pragma once

#include <span>
#include <string_view>

#include "catalogue.h"

namespace hdmjm {

// Data columns (indices among DataColumns) of a table's stations; -1 where it has none.
struct StationColumns {
  int start = -1;  // 起始里程, 分段起里程, 分段起始里程
  int end = -1;    // 分段终里程, 分段终里程数, 终止里程, 终点里程, ...
  bool IsSegment() const { return start < 0 && end >= 0; }
  bool IsInterval() const { return start >= 0 && end >= 0; }
};
StationColumns StationColumnsOf(const TableDesc& table, Side side);

// The widths (data column names) whose half a ditch's bottom radius (沟底半径) must reach; empty
// for a table without the rule. 排水沟 holds a ditch's bottom width in its 水沟深 columns, as its
// page shows them.
std::span<const std::string_view> RadiusWidthColumns(const TableDesc& table);

// The radius rule: a radius more than 0.001 away from 0 (a flat bottom is never tested) that is
// smaller than half of the width.
bool RadiusBelowHalfWidth(double radius, double width);

}  // namespace hdmjm
