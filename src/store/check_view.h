// What the check rules read of a road: the facts of every table that the catalogue's column
// names give (its stations, its size and share columns, its ditch radius), the road's extent and
// chain-break gaps, and each table's real values read once. Shared by the rules and CheckRoad.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "station_checks.h"
#include "table_roles.h"

namespace hdmjm {

inline constexpr double kStationTolerance = 0.001;  // metres

struct TableFacts {
  const TableDesc* table = nullptr;
  Side side = kLeft;
  StationColumns stations;
  std::vector<int> reals;         // the real data columns, in order
  std::vector<int> sizes;         // widths and thicknesses (and a ditch's depths)
  std::vector<int> shares;        // the percentages of a row that add up to 100
  int radius = -1;                // 沟底半径 of a ditch table
  std::vector<int> radiusWidths;  // the widths its half must reach
  bool ditch = false;             // has 沟底半径
  bool needsRows = false;         // a road without rows here gets default ones
};

// Every table of a road, each side once, slopes included; built once.
const std::vector<TableFacts>& AllTableFacts();

// The stations where a road's chain breaks skip stations: between a break's 等号左里程数 and
// its larger 等号右里程数. The first row's 等号左里程数 is the road's start and the last row's
// 等号右里程数 its end; the rows between are the breaks.
struct ChainGap {
  double left;
  double right;
};
std::vector<ChainGap> ChainGaps(const std::vector<ChainBreakRow>& breaks);

// One table's real values as the record holds them, row after row.
struct TableImage {
  const TableFacts* facts = nullptr;
  int rows = 0;
  std::vector<double> values;  // rows × facts->reals.size()
  std::vector<int> position;   // per data column: its place among the reals, -1 for others
  // A slope table whose every level is finite, of a level count from 1 to 30, not negative and
  // of a positive height (a cut's last may be its radius): no slope rule need read its levels.
  bool levelsPlain = true;
  bool allFinite = true;  // every value of `values`
  bool noneNegative = true;
  double At(int row, int column) const {
    return values[static_cast<size_t>(row) * facts->reals.size() + position[column]];
  }
};

struct RoadView {
  const RoadSectionStore& record;
  std::optional<RoadExtent> extent;
  std::vector<ChainGap> gaps;
  std::vector<TableImage> images;  // per AllTableFacts() entry; a slope table's holds its stations
};

// The segments of a slope table in use, and the levels of a segment in use: the one place the
// checks reach slope rows.
std::span<const SlopeSegment> SlopeSegmentsOf(const RoadSectionStore& record,
                                              const TableDesc& table, Side side);
int LevelsInUse(const SlopeSegment& segment);
// The data column of level `level` (from 0) named by `suffix` ("级最大高度").
int LevelColumn(const TableDesc& table, int level, std::string_view suffix);

void AddFinding(Findings& found, const RoadView& road, const CheckRule& rule,
                const TableFacts& facts, int row, int column, std::initializer_list<double> values);

}  // namespace hdmjm
