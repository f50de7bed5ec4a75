// The strip view's picture of a road as data: one band per table and side, each a list of
// pieces along the stations (a segment from the previous end to its own, or an interval), with
// the value that matters most for the table and whether a finding names its row.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/station_checks.h"

namespace hdmjm {

struct StripPiece {
  double from = 0;
  double to = 0;
  int row = 0;  // counted from 1
  std::string text;
  bool flagged = false;
};

enum class BandGroup { Left, Right, WholeRoad };

struct StripBand {
  const TableDesc* table = nullptr;
  Side side = kLeft;
  BandGroup group = BandGroup::Left;
  int endColumn = -1;  // the data column a click puts the focus on
  std::vector<StripPiece> pieces;
};

struct ChainMark {
  double left = 0;
  double right = 0;
  std::string text;  // "K2+481.562=K2+460"
};

struct StripRoad {
  std::string name;
  std::string prefix;  // of the stations on the axis, "K"
  std::optional<RoadExtent> extent;
  std::vector<ChainMark> breaks;
  std::vector<StripBand> bands;
  double low = 0;  // every station shown lies between
  double high = 0;
};

// The bands of every table with stations: the left side's, the right side's, the whole road's.
StripRoad BuildStripRoad(const RoadSectionStore& record, const Findings& findings);

// "K1+200.5": the station with its prefix, metres after the kilometre.
std::string StationText(const std::string& prefix, double station);

}  // namespace hdmjm
