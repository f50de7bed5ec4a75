// The rules of the station and value checks: one small function each, and the one table that
// gives each its severity and its text.
#include <cmath>

#include "check_view.h"

namespace hdmjm {
namespace {

using Images = std::vector<TableImage>;

// Runs `visit(image)` on the images of the tables whose facts pass `keep`.
template <class Keep, class Visit>
void ForTables(const RoadView& road, Keep keep, Visit visit) {
  for (const TableImage& image : road.images)
    if (keep(*image.facts)) visit(image);
}
bool IsSegment(const TableFacts& facts) { return facts.stations.IsSegment(); }
bool IsInterval(const TableFacts& facts) { return facts.stations.IsInterval(); }
bool IsSlope(const TableFacts& facts) { return facts.table->IsSlope(); }

void SegmentOrder(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForTables(road, IsSegment, [&](const TableImage& image) {
    const int end = image.facts->stations.end;
    for (int row = 1; row < image.rows; ++row)
      if (!(image.At(row, end) > image.At(row - 1, end)))
        AddFinding(found, road, rule, *image.facts, row + 1, end,
                   {image.At(row, end), image.At(row - 1, end)});
  });
}

void SegmentStart(const RoadView& road, const CheckRule& rule, Findings& found) {
  if (!road.extent) return;
  ForTables(road, IsSegment, [&](const TableImage& image) {
    const int end = image.facts->stations.end;
    if (image.rows > 0 && !(image.At(0, end) > road.extent->start))
      AddFinding(found, road, rule, *image.facts, 1, end, {image.At(0, end), road.extent->start});
  });
}

// The last segment against the road's end: `direction` -1 stops short, +1 runs past.
void SegmentReach(const RoadView& road, const CheckRule& rule, Findings& found, int direction) {
  if (!road.extent) return;
  ForTables(road, IsSegment, [&](const TableImage& image) {
    const int end = image.facts->stations.end;
    if (image.rows == 0) return;
    const double last = image.At(image.rows - 1, end);
    if ((last - road.extent->end) * direction > kStationTolerance)
      AddFinding(found, road, rule, *image.facts, image.rows, end, {last, road.extent->end});
  });
}
void SegmentShort(const RoadView& road, const CheckRule& rule, Findings& found) {
  SegmentReach(road, rule, found, -1);
}
void SegmentPast(const RoadView& road, const CheckRule& rule, Findings& found) {
  SegmentReach(road, rule, found, +1);
}

void SegmentMissing(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForTables(road, IsSegment, [&](const TableImage& image) {
    if (image.rows == 0 && image.facts->needsRows)
      AddFinding(found, road, rule, *image.facts, 0, -1, {});
  });
}

void IntervalReversed(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForTables(road, IsInterval, [&](const TableImage& image) {
    const auto [start, end] = image.facts->stations;
    for (int row = 0; row < image.rows; ++row)
      if (!(image.At(row, end) > image.At(row, start)))
        AddFinding(found, road, rule, *image.facts, row + 1, end,
                   {image.At(row, start), image.At(row, end)});
  });
}

void IntervalOverlap(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForTables(road, IsInterval, [&](const TableImage& image) {
    const auto [start, end] = image.facts->stations;
    for (int row = 1; row < image.rows; ++row)
      if (image.At(row, start) < image.At(row - 1, end) - kStationTolerance)
        AddFinding(found, road, rule, *image.facts, row + 1, start,
                   {image.At(row, start), image.At(row - 1, end)});
  });
}

void IntervalOutside(const RoadView& road, const CheckRule& rule, Findings& found) {
  if (!road.extent) return;
  const auto [first, last] = *road.extent;
  ForTables(road, IsInterval, [&](const TableImage& image) {
    const auto [start, end] = image.facts->stations;
    for (int row = 0; row < image.rows; ++row) {
      const double from = image.At(row, start), to = image.At(row, end);
      const bool before = from < first - kStationTolerance;
      if (before || to > last + kStationTolerance)
        AddFinding(found, road, rule, *image.facts, row + 1, before ? start : end,
                   {from, to, first, last});
    }
  });
}

void StationsInGaps(const RoadView& road, const CheckRule& rule, Findings& found) {
  if (road.gaps.empty()) return;
  ForTables(
      road, [](const TableFacts& f) { return f.stations.end >= 0; },
      [&](const TableImage& image) {
        for (int row = 0; row < image.rows; ++row)
          for (int column : {image.facts->stations.start, image.facts->stations.end}) {
            if (column < 0) continue;
            const double station = image.At(row, column);
            for (const ChainGap& gap : road.gaps)
              if (station > gap.left + kStationTolerance && station < gap.right - kStationTolerance)
                AddFinding(found, road, rule, *image.facts, row + 1, column,
                           {station, gap.left, gap.right});
          }
      });
}

// Runs `visit(segment, row)` on every segment in use of every slope table whose levels are not
// all plain.
template <class Visit>
void ForSlopeSegments(const RoadView& road, Visit visit) {
  ForTables(road, IsSlope, [&](const TableImage& image) {
    if (image.levelsPlain) return;
    int row = 0;
    for (const SlopeSegment& segment :
         SlopeSegmentsOf(road.record, *image.facts->table, image.facts->side))
      visit(*image.facts, segment, ++row);
  });
}

void SlopeLevelCount(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForSlopeSegments(road, [&](const TableFacts& facts, const SlopeSegment& segment, int row) {
    if (segment.levelCount < 1 || segment.levelCount > kMaxSlopeLevels)
      AddFinding(found, road, rule, facts, row, facts.table->ColumnIndex(kLeft, "边坡总级数"),
                 {static_cast<double>(segment.levelCount)});
  });
}

// A level's height limit is its own vertical height (the preview stacks them): above zero, but
// for a cut's negative last one, the radius of the arc at its top.
void SlopeHeights(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForSlopeSegments(road, [&](const TableFacts& facts, const SlopeSegment& segment, int row) {
    const int levels = LevelsInUse(segment);
    const bool cut = facts.table->BaseName() == kCutSlopeTable;
    for (int level = 0; level < levels; ++level) {
      const double height = segment.levels[level].maxHeight;
      if (height > 0 || (cut && level == levels - 1 && height < 0)) continue;
      AddFinding(found, road, rule, facts, row, LevelColumn(*facts.table, level, "级最大高度"),
                 {level + 1.0, height});
    }
  });
}

// A level field that must not be negative.
void NegativeLevelField(const RoadView& road, const CheckRule& rule, Findings& found,
                        double SlopeLevel::*field, std::string_view suffix) {
  ForSlopeSegments(road, [&](const TableFacts& facts, const SlopeSegment& segment, int row) {
    for (int level = 0; level < LevelsInUse(segment); ++level)
      if (segment.levels[level].*field < 0)
        AddFinding(found, road, rule, facts, row, LevelColumn(*facts.table, level, suffix),
                   {level + 1.0, segment.levels[level].*field});
  });
}
void SlopeRatio(const RoadView& road, const CheckRule& rule, Findings& found) {
  NegativeLevelField(road, rule, found, &SlopeLevel::ratio, "级边坡系数");
}
void SlopeBerm(const RoadView& road, const CheckRule& rule, Findings& found) {
  NegativeLevelField(road, rule, found, &SlopeLevel::bermWidth, "级平台宽度");
}

// Size columns below zero, of the ditch tables (`ditch`) or of the others.
void NegativeSizes(const RoadView& road, const CheckRule& rule, Findings& found, bool ditch) {
  ForTables(
      road, [ditch](const TableFacts& f) { return f.ditch == ditch && !IsSlope(f); },
      [&](const TableImage& image) {
        if (image.noneNegative) return;
        for (int row = 0; row < image.rows; ++row)
          for (int column : image.facts->sizes)
            if (image.At(row, column) < 0 && std::isfinite(image.At(row, column)))
              AddFinding(found, road, rule, *image.facts, row + 1, column, {image.At(row, column)});
      });
}
void DitchSizes(const RoadView& road, const CheckRule& rule, Findings& found) {
  NegativeSizes(road, rule, found, true);
}
void OtherSizes(const RoadView& road, const CheckRule& rule, Findings& found) {
  NegativeSizes(road, rule, found, false);
}

void DitchRadius(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForTables(
      road, [](const TableFacts& f) { return !f.radiusWidths.empty(); },
      [&](const TableImage& image) {
        const TableFacts& facts = *image.facts;
        for (int row = 0; row < image.rows; ++row)
          for (int width : facts.radiusWidths) {
            const double radius = image.At(row, facts.radius);
            if (width < 0 || !RadiusBelowHalfWidth(radius, image.At(row, width))) continue;
            AddFinding(found, road, rule, facts, row + 1, facts.radius,
                       {radius, image.At(row, width)});
            break;
          }
      });
}

void ShareSums(const RoadView& road, const CheckRule& rule, Findings& found) {
  ForTables(
      road, [](const TableFacts& f) { return !f.shares.empty(); },
      [&](const TableImage& image) {
        for (int row = 0; row < image.rows; ++row) {
          double sum = 0;
          for (int column : image.facts->shares) sum += image.At(row, column);
          if (!(std::abs(sum - 100) <= 0.01))
            AddFinding(found, road, rule, *image.facts, row + 1, image.facts->shares[0], {sum});
        }
      });
}

void NonFinite(const RoadView& road, const CheckRule& rule, Findings& found) {
  for (const TableImage& image : road.images) {
    if (image.allFinite) continue;
    const TableFacts& facts = *image.facts;
    for (int row = 0; row < image.rows; ++row)
      for (int column : facts.reals)
        if (!std::isfinite(image.At(row, column)))
          AddFinding(found, road, rule, facts, row + 1, column, {image.At(row, column)});
  }
  constexpr std::pair<double SlopeLevel::*, std::string_view> kLevelFields[] = {
      {&SlopeLevel::ratio, "级边坡系数"},
      {&SlopeLevel::maxHeight, "级最大高度"},
      {&SlopeLevel::bermWidth, "级平台宽度"},
      {&SlopeLevel::bermSlope, "级平台横坡"}};
  ForSlopeSegments(road, [&](const TableFacts& facts, const SlopeSegment& segment, int row) {
    for (int level = 0; level < LevelsInUse(segment); ++level)
      for (const auto& [field, suffix] : kLevelFields)
        if (!std::isfinite(segment.levels[level].*field))
          AddFinding(found, road, rule, facts, row, LevelColumn(*facts.table, level, suffix),
                     {segment.levels[level].*field});
  });
  const TableDesc& table = ChainBreakTable();
  TableFacts breaks;
  breaks.table = &table;
  for (size_t i = 0; i < road.record.chainBreaks.size(); ++i) {
    const ChainBreakRow& row = road.record.chainBreaks[i];
    for (auto [value, name] :
         {std::pair{row.leftStation, "等号左里程数"}, std::pair{row.rightStation, "等号右里程数"}})
      if (!std::isfinite(value))
        AddFinding(found, road, rule, breaks, static_cast<int>(i) + 1,
                   table.ColumnIndex(kLeft, name), {value});
  }
}

constexpr Severity kError = Severity::Error;
constexpr Severity kWarning = Severity::Warning;

constexpr CheckRule kRules[] = {
    {"segment-order", kError, "分段终里程%1不大于上一行的%2", SegmentOrder},
    {"segment-start", kWarning, "第一段的终里程%1不在道路起点%2之后", SegmentStart},
    {"segment-short", kWarning, "最后一段止于%1, 未到道路终点%2", SegmentShort},
    {"segment-past", kWarning, "最后一段止于%1, 超出道路终点%2", SegmentPast},
    {"segment-missing", kError, "表中没有数据, 道路需要至少一行", SegmentMissing},
    {"interval-reversed", kError, "区间止于%2, 不在起点%1之后", IntervalReversed},
    {"interval-overlap", kWarning, "起始里程%1在上一行的终止里程%2之前 (重叠或次序颠倒)",
     IntervalOverlap},
    {"interval-outside", kWarning, "区间%1至%2超出道路范围%3至%4", IntervalOutside},
    {"chain-gap", kWarning, "里程%1落在断链%2至%3跳过的范围内", StationsInGaps},
    {"slope-level-count", kError, "边坡总级数%1不在1到30之间", SlopeLevelCount},
    {"slope-heights", kError, "第%1级限制高%2不是正数", SlopeHeights},
    {"slope-ratio", kError, "第%1级边坡系数%2为负", SlopeRatio},
    {"slope-berm", kError, "第%1级平台宽度%2为负", SlopeBerm},
    {"ditch-size", kError, "水沟尺寸%1为负", DitchSizes},
    {"ditch-radius", kError, "沟底半径%1小于半个水沟底宽%2", DitchRadius},
    {"class-shares", kError, "六类百分比之和为%1, 不是100", ShareSums},
    {"non-finite", kError, "数值%1不是有限数", NonFinite},
    {"negative-size", kError, "厚度或宽度%1为负", OtherSizes},
};

}  // namespace

std::span<const CheckRule> CheckRules() { return kRules; }

}  // namespace hdmjm
