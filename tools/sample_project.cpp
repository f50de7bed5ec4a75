#include "sample_project.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "store/catalogue.h"
#include "store/codec.h"
#include "store/project_paths.h"
#include "store/records.h"
#include "store/scheme.h"
#include "tool_messages.h"

namespace hdmjm::tool {
namespace {

struct ChainBreakSeed {
  const char* road;
  const char* leftPrefix;
  double left;
  const char* rightPrefix;
  double right;
};

// 断链表 in table order. 主线 is not found first and the other two are not in station order, so
// the road list (主线, 连接线, 匝道A) shows its ordering. Each row is a station equation: 主线's
// first row is its start, its last its end, and between them a long chain, K2+481.562 being
// the same place as K2+460.
constexpr ChainBreakSeed kChainBreaks[] = {
    {"匝道A", "AK", 1200, "AK", 1685.3},  {"主线", "K", 0, "K", 0},
    {"主线", "K", 2481.562, "K", 2460},   {"主线", "K", 5320.8, "K", 5320.8},
    {"连接线", "LK", 350, "LK", 1280.75},
};

SlopeSegment Slope(double endStation, std::vector<SlopeLevel> levels) {
  SlopeSegment segment;
  segment.endStation = endStation;
  segment.levelCount = static_cast<int>(levels.size());
  segment.levels.AssignFirst(levels);
  return segment;
}

// Parameters of a road from `start` to `end`: the defaults everywhere, then segment rows as a
// designer enters them (stations rounded to the metre, the last segment ending at the road's end).
void FillRoad(RoadSectionStore& road, double start, double end, bool mainLine) {
  SetDefaults(road, {start, end});
  auto at = [&](double share) { return std::round(start + share * (end - start)); };
  const double wide = mainLine ? 1.0 : 0.6;

  road.widthLimits[kLeft] = {{at(0.4), 45 * wide}, {end, 60 * wide}};
  road.widthLimits[kRight] = {{at(0.4), 45 * wide}, {at(0.7), 52.5 * wide}, {end, 60 * wide}};
  road.landWidenings[kLeft] = {{at(0.5), 1, 2}, {end, 1, 1}};
  road.landWidenings[kRight] = {{end, 1, 2}};
  road.groundInterps[kLeft] = {{end, 60}};
  road.groundInterps[kRight] = {{end, 60}};
  road.topsoil[kLeft] = {{at(0.3), 0.3, 0}, {at(0.45), 1.2, 1}, {end, 0.3, 0}};
  road.topsoil[kRight] = {{at(0.45), 0.3, 0}, {end, 0.2, 0}};
  for (Side side : {kLeft, kRight}) {
    road.pavements[side] = mainLine ? std::vector<PavementRow>{{end, 0.74, 0.74, 0.3}}
                                    : std::vector<PavementRow>{{end, 0.56, 0.56, 0.2}};
    road.embankmentSlopes[side].rows = {
        Slope(at(0.5), {{1.5, 8, 2, 4}, {1.75, 8, 2, 4}, {2, 100, 0, 0}}),
        Slope(end, {{1.5, 8, 1.5, 4}, {1.75, 100, 0, 0}})};
    road.cutSlopes[side].rows = {
        Slope(at(0.35), {{0.75, 10, 2, 4}, {1, 10, 2, 4}, {1.25, 10, 2, 4}, {1.5, 100, 0, 0}}),
        Slope(end, {{1, 8, 2, 4}, {1.25, 100, 0, 0}})};
    road.cutClasses[side] = {{at(0.35), 10, 20, 40, 20, 10, 0}, {end, 0, 0, 60, 30, 10, 0}};
  }
  // 侧沟: end, lining, bottom width, depth, the two side slopes, bottom radius.
  road.sideDitches[kLeft] = {{at(0.6), 0.3, 0.6, 0.6, 1, 1, 0}, {end, 0.3, 0.4, 0.6, 1, 0.5, 0.2}};
  road.sideDitches[kRight] = {{end, 0.3, 0.6, 0.8, 1, 1, 0}};
  // 排水沟: a ditch behind a dike and a berm on the left, a toe wall on the right. The table
  // holds a ditch's bottom width in its 水沟深 columns and its depth in 水沟底宽, as the page
  // shows them: 0.6 wide and 0.8 deep on the left, 0.4 wide and 0.6 deep with a 0.2 bottom
  // radius on the right.
  road.embankmentDitches[kLeft] = {
      {start, at(0.5), 1, 0.3, 1, 1, 0.5, 0.5, 2, 2, 0.3, 0.3, 0.8, 0.8, 0.6, 0.6, 1, 1, 1.5, 0}};
  road.embankmentDitches[kRight] = {
      {at(0.5), end, 0, 0.3, 0, 0, 0, 0, 1, 1, 0.3, 0.3, 0.6, 0.6, 0.4, 0.4, 1, 1, 0, 0.2}};
  road.interceptDitches[kLeft] = {{at(0.2), at(0.35), 5, 0.6, 0.5, 5, 0.6, 0.5, 1, 1, 0.3, 0}};
  road.fillClasses = {{at(0.3), 0}, {at(0.6), 1}, {end, 0}};
  road.landTypes = {{at(0.25), "水田"}, {at(0.7), "旱地"}, {end, "林地"}};
  road.landAreaSegments = {{at(0.5), "一标段"}, {end, "二标段"}};
  road.ditchGrades[kLeft] = {{at(0.6), 102.35, end, 98.6}};
  road.autoFillRanges[kLeft] = {{at(0.05), at(0.12)}};
  if (!mainLine) return;
  road.retainingWalls[kLeft] = {{at(0.42), at(0.42) + 80, 5.5, 6}};
  road.arcSlopes[kRight] = {{at(0.1), at(0.1) + 60, 10, 20, 1}};
  road.overfillWidths[kLeft] = {{at(0.8), at(0.8) + 120, 0.5, 0.5}};
}

// The roads in the order 断链表 first names them, each with its rows of it and its parameters.
RoadRecordList SampleRoads() {
  RoadRecordList roads;
  for (const ChainBreakSeed& seed : kChainBreaks) {
    const auto same = [&](const auto& road) { return road->roadName == seed.road; };
    auto found = std::find_if(roads.begin(), roads.end(), same);
    if (found == roads.end()) {
      roads.push_back(std::make_unique<RoadSectionStore>());
      roads.back()->roadName = seed.road;
      found = std::prev(roads.end());
    }
    (*found)->chainBreaks.push_back({seed.left, seed.right, seed.leftPrefix, seed.rightPrefix});
  }
  for (auto& road : roads) {
    const RoadExtent extent = *RoadExtentOf(road->chainBreaks);
    FillRoad(*road, extent.start, extent.end, road->roadName == kMainLine);
  }
  return roads;
}

}  // namespace

bool WriteSampleProject(const std::filesystem::path& dir, const Services& services) {
  const ProjectPaths paths{ProjectFolderOf(dir).string(), kSampleScheme};
  const std::string database = SchemeDatabasePath(paths);
  UserMessages& messages = *services.messages;
  std::error_code error;
  if (std::filesystem::exists(database, error)) {
    messages.Show(Format(kExistsMessage, database));
    return false;
  }
  std::filesystem::create_directories(DataFolder(paths), error);
  if (error) {
    messages.Show(Format(kNotWrittenMessage, DataFolder(paths)) + " " + error.message());
    return false;
  }
  const std::filesystem::path projectFile = ProjectFile(paths.projectFolder);
  if (!WriteTextFile(projectFile, std::string(kSampleScheme) + "\n")) {
    messages.Show(Format(kNotWrittenMessage, projectFile.string()));
    return false;
  }
  if (SchemeStore(services).Create(database, SampleRoads())) return true;
  messages.Show(Format(kNotWrittenMessage, database));
  return false;
}

}  // namespace hdmjm::tool
