#include "store/station_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace hdmjm {
namespace {

// A road from 0 to 1000 with a chain break at 400 that skips to 420, every table as a new road
// gets it, and one row in the interval tables: nothing to find.
RoadSectionStore CleanRoad() {
  RoadSectionStore road;
  road.roadName = "主线";
  road.chainBreaks = {{0, 0, "K", "K"}, {400, 420, "K", "K"}, {1000, 1000, "K", "K"}};
  SetDefaults(road, {0, 1000});
  road.widthLimits[kLeft] = {{300, 20}, {1000, 25}};
  road.retainingWalls[kRight] = {{100, 200, 1, 1}, {200, 260, 1, 1}};
  road.embankmentDitches[kLeft] = {{0, 1000}};
  road.interceptDitches[kLeft] = {{100, 300}};
  road.interceptDitches[kLeft][0].startBottomWidth = 0.6;
  road.interceptDitches[kLeft][0].bottomRadius = 0.3;
  return road;
}

struct Case {
  const char* what;
  std::function<void(RoadSectionStore&)> change;
  const char* rule;  // "": nothing to find
  const char* table = "";
  int row = 0;
  const char* column = "";
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
SlopeSegment& Cut(RoadSectionStore& r, int row = 0) { return r.cutSlopes[kLeft].rows[row]; }

const Case kCases[] = {
    // Segment tables.
    {"equal ends", [](auto& r) { r.widthLimits[kLeft][0].endStation = 1000; }, "segment-order",
     "左横断面限制宽度", 2, "分段终里程"},
    {"a typo mid-table", [](auto& r) { r.widthLimits[kLeft][0].endStation = 3000; },
     "segment-order", "左横断面限制宽度", 2, "分段终里程"},
    {"first end at the start", [](auto& r) { r.widthLimits[kLeft][0].endStation = 0; },
     "segment-start", "左横断面限制宽度", 1, "分段终里程"},
    {"stops short", [](auto& r) { r.pavements[kLeft][0].endStation = 990; }, "segment-short",
     "左路面厚度", 1, "分段终里程数"},
    {"runs past", [](auto& r) { r.cutClasses[kRight][0].endStation = 1000.5; }, "segment-past",
     "右挖方分类", 1, "分段终里程"},
    {"reaches the end within a millimetre",
     [](auto& r) { r.cutClasses[kRight][0].endStation = 1000.0005; }, ""},
    {"no rows where a road needs them", [](auto& r) { r.groundInterps[kRight].clear(); },
     "segment-missing", "右地面线内插宽", 0, ""},
    {"no rows where a road may have none", [](auto& r) { r.landWidenings[kLeft].clear(); }, ""},
    // Interval tables.
    {"an interval ending where it starts",
     [](auto& r) { r.retainingWalls[kRight][1].endStation = 200; }, "interval-reversed", "右挡墙",
     2, "终点里程"},
    {"overlapping intervals", [](auto& r) { r.retainingWalls[kRight][1].startStation = 150; },
     "interval-overlap", "右挡墙", 2, "起始里程"},
    {"an interval past the end", [](auto& r) { r.embankmentDitches[kLeft][0].endStation = 1200; },
     "interval-outside", "左排水沟", 1, "终止里程"},
    {"a station in the skipped stations", [](auto& r) { r.widthLimits[kLeft][0].endStation = 410; },
     "chain-gap", "左横断面限制宽度", 1, "分段终里程"},
    {"a station on a break", [](auto& r) { r.widthLimits[kLeft][0].endStation = 420; }, ""},
    // Slopes.
    {"no levels", [](auto& r) { Cut(r).levelCount = 0; }, "slope-level-count", "左路堑边坡", 1,
     "边坡总级数"},
    {"a level of no height", [](auto& r) { Cut(r).levels[1].maxHeight = 0; }, "slope-heights",
     "左路堑边坡", 1, "2级最大高度"},
    {"a cut's arc radius last", [](auto& r) { Cut(r).levels[2].maxHeight = -2; }, ""},
    {"levels of equal heights", [](auto& r) { Cut(r).levels[1].maxHeight = 8; }, ""},
    {"a negative ratio", [](auto& r) { Cut(r).levels[0].ratio = -1; }, "slope-ratio", "左路堑边坡",
     1, "1级边坡系数"},
    {"a negative berm",
     [](auto& r) { r.embankmentSlopes[kRight].rows[0].levels[2].bermWidth = -1; }, "slope-berm",
     "右路堤边坡", 1, "3级平台宽度"},
    // Ditches and shares.
    {"a negative depth", [](auto& r) { r.sideDitches[kRight][0].depth = -0.6; }, "ditch-size",
     "右侧沟", 1, "沟深"},
    {"a radius below half the width",
     [](auto& r) { r.interceptDitches[kLeft][0].bottomRadius = 0.2; }, "ditch-radius", "左天沟", 1,
     "沟底半径"},
    {"shares off by more than 0.01", [](auto& r) { r.cutClasses[kLeft][0].classI = 0.02; },
     "class-shares", "左挖方分类", 1, "I百分比"},
    {"shares off by less", [](auto& r) { r.cutClasses[kLeft][0].classI = 0.005; }, ""},
    // Values no road can have.
    {"a NaN", [](auto& r) { r.pavements[kRight][0].hardShoulder = kNaN; }, "non-finite",
     "右路面厚度", 1, "硬路肩厚"},
    {"an infinite level", [](auto& r) { Cut(r).levels[0].bermSlope = INFINITY; }, "non-finite",
     "左路堑边坡", 1, "1级平台横坡"},
    {"a negative thickness", [](auto& r) { r.topsoil[kLeft][0].thickness = -0.3; }, "negative-size",
     "左清表土厚度", 1, "清表土厚度"},
};

TEST(StationChecks, EachRuleHoldsOnACleanRoadAndFindsItsFaultWhereItIs) {
  ASSERT_EQ(CheckRoad(CleanRoad()).size(), 0u);
  for (const Case& c : kCases) {
    RoadSectionStore road = CleanRoad();
    c.change(road);
    const Findings found = CheckRoad(road);
    if (!*c.rule) {
      EXPECT_EQ(found.size(), 0u) << c.what << ": " << (found.empty() ? "" : FindingLine(found[0]));
      continue;
    }
    if (found.size() != 1u) {
      ADD_FAILURE() << c.what << ": " << found.size() << " findings";
      continue;
    }
    EXPECT_EQ(found[0].rule->name, c.rule) << c.what << ": " << FindingLine(found[0]);
    EXPECT_EQ(TableNameOf(found[0]), c.table) << c.what;
    EXPECT_EQ(found[0].row, c.row) << c.what;
    EXPECT_EQ(ColumnNameOf(found[0]), c.column) << c.what;
  }
}

TEST(StationChecks, AFindingReadsAsOneLineWithItsValues) {
  RoadSectionStore road = CleanRoad();
  road.widthLimits[kLeft][1].endStation = 125;
  const Findings found = CheckRoad(road);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(FindingLine(found[0]),
            "主线 左横断面限制宽度 第2行 分段终里程: 错误: 分段终里程125不大于上一行的300");
  EXPECT_EQ(CountOf(found, Severity::Warning), 1);  // and it stops short of the end
}

}  // namespace
}  // namespace hdmjm
