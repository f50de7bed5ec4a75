#include "app/strip_bands.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "store/field_text.h"
#include "store/table_roles.h"

namespace hdmjm {
namespace {

// The value each table's pieces show: the column that matters most to a designer reading it.
struct MainValue {
  std::string_view table;
  std::string_view column;
};
constexpr MainValue kMainValues[] = {
    {kWidthLimitTable, "路基限宽"},    {kLandWideningTable, "路堤加宽"},
    {kGroundInterpTable, "内插宽"},    {kPavementTable, "车行道厚"},
    {kTopsoilTable, "清表土厚度"},     {kEmbankmentSlopeTable, "边坡总级数"},
    {kCutSlopeTable, "边坡总级数"},    {kSideDitchTable, "水沟底宽"},
    {kEmbankmentDitchTable, "坡脚墙"}, {kInterceptDitchTable, "起始水沟底宽"},
    {kDitchGradeTable, "起始高程"},    {kRetainingWallTable, "起始支距"},
    {kOverfillWidthTable, "起始宽度"}, {kArcSlopeTable, "设置位置"},
    {kCutClassTable, "III百分比"},     {kFillClassTable, "填料类型"},
    {kLandTypeTable, "用地类型"},      {kLandAreaSegmentTable, "备注"},
    {kAssocShoulderTable, "水平距离"}, {kAssocCutFlattenTable, "水平距离"},
    {kAssocMedianDitchTable, "沟宽"},
};

int MainColumn(const TableDesc& table, Side side) {
  for (const MainValue& value : kMainValues)
    if (value.table == table.BaseName()) return table.ColumnIndex(side, value.column);
  return -1;
}

StripBand BandOf(const RoadSectionStore& record, const TableDesc& table, Side side, double start,
                 const std::set<std::tuple<const TableDesc*, Side, int>>& flagged) {
  StripBand band;
  band.table = &table;
  band.side = side;
  band.group = table.Scope() != TableScope::Side ? BandGroup::WholeRoad
               : side == kLeft                   ? BandGroup::Left
                                                 : BandGroup::Right;
  const StationColumns stations = StationColumnsOf(table, side);
  band.endColumn = stations.end;
  const int value = MainColumn(table, side);
  const auto& columns = table.DataColumns(side);
  double previous = start;
  for (int row = 0; row < table.RowCount(record, side); ++row) {
    StripPiece piece;
    piece.to = RealOf(table.Get(record, side, row, stations.end));
    piece.from =
        stations.start >= 0 ? RealOf(table.Get(record, side, row, stations.start)) : previous;
    previous = piece.to;
    piece.row = row + 1;
    if (value >= 0) piece.text = FormatField(columns[value], table.Get(record, side, row, value));
    piece.flagged =
        flagged.contains({&table, side, row + 1}) || flagged.contains({&table, side, 0});
    band.pieces.push_back(std::move(piece));
  }
  return band;
}

}  // namespace

std::string StationText(const std::string& prefix, double station) {
  station += 0.0;  // never "-0"
  const double kilometres = std::floor(station / 1000);
  const double metres = station - kilometres * 1000;
  std::string rest = FormatCellNumber(metres);
  if (const auto dot = rest.find('.'); dot != std::string::npos) {
    rest.erase(rest.find_last_not_of('0') + 1);
    if (rest.back() == '.') rest.pop_back();
  }
  const size_t whole = rest.find('.') == std::string::npos ? rest.size() : rest.find('.');
  if (whole < 3) rest.insert(0, 3 - whole, '0');
  return prefix + FormatFixed(kilometres, 0) + "+" + rest;
}

StripRoad BuildStripRoad(const RoadSectionStore& record, const Findings& findings) {
  StripRoad road;
  road.name = record.roadName;
  road.extent = RoadExtentOf(record.chainBreaks);
  road.prefix = record.chainBreaks.empty() || record.chainBreaks.front().leftPrefix.empty()
                    ? "K"
                    : record.chainBreaks.front().leftPrefix;
  for (size_t i = 1; i + 1 < record.chainBreaks.size(); ++i) {
    const ChainBreakRow& row = record.chainBreaks[i];
    road.breaks.push_back({row.leftStation, row.rightStation,
                           StationText(row.leftPrefix, row.leftStation) + "=" +
                               StationText(row.rightPrefix, row.rightStation)});
  }
  std::set<std::tuple<const TableDesc*, Side, int>> flagged;
  for (const Finding& finding : findings) flagged.emplace(finding.table, finding.side, finding.row);

  const double start = road.extent ? road.extent->start : 0;
  for (const TableDesc* table : AllTables()) {
    if (table->Scope() == TableScope::Scheme || StationColumnsOf(*table, kLeft).end < 0) continue;
    for (Side side : {kLeft, kRight}) {
      road.bands.push_back(BandOf(record, *table, side, start, flagged));
      if (table->Scope() != TableScope::Side) break;
    }
  }
  // What the view spans: the road and whatever lies beyond it.
  road.low = road.extent ? road.extent->start : 0;
  road.high = road.extent ? road.extent->end : 0;
  bool any = road.extent.has_value();
  for (const StripBand& band : road.bands)
    for (const StripPiece& piece : band.pieces)
      for (double station : {piece.from, piece.to}) {
        if (!std::isfinite(station)) continue;
        road.low = any ? std::min(road.low, station) : station;
        road.high = any ? std::max(road.high, station) : station;
        any = true;
      }
  if (road.high - road.low < 1) road.high = road.low + 1;
  return road;
}

}  // namespace hdmjm
