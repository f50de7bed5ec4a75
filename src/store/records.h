// The in-memory record of one road's standard cross-section parameters.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hdmjm {

enum Side : int { kLeft = 0, kRight = 1 };
template <class T>
using PerSide = std::array<T, 2>;

inline constexpr int kMaxSlopeSegments = 300;
inline constexpr int kMaxSlopeLevels = 30;

struct CompactionFactors {
  double looseSoil = 0;     // 松土
  double ordinarySoil = 0;  // 普通土
  double hardSoil = 0;      // 硬土
  double softRock = 0;      // 软石
  double subHardRock = 0;   // 次坚石
  double hardRock = 0;      // 坚石
  bool operator==(const CompactionFactors&) const = default;
};

struct WidthLimitRow {  // 横断面限制宽度
  double endStation = 0;
  double widthLimit = 0;
  bool operator==(const WidthLimitRow&) const = default;
};

struct LandWideningRow {  // 用地加宽
  double endStation = 0;
  double fillWidening = 0;  // 路堤加宽
  double cutWidening = 0;   // 路堑加宽
  bool operator==(const LandWideningRow&) const = default;
};

struct OverfillWidthRow {  // 超填宽度表
  double startStation = 0;
  double endStation = 0;
  double startWidth = 0;
  double endWidth = 0;
  bool operator==(const OverfillWidthRow&) const = default;
};

struct ArcSlopeRow {  // 弧形边坡表
  double startStation = 0;
  double endStation = 0;
  double startRadius = 0;
  double endRadius = 0;
  int position = 0;  // 设置位置
  bool operator==(const ArcSlopeRow&) const = default;
};

struct TopsoilRow {  // 清表土厚度
  double endStation = 0;
  double thickness = 0;
  int kind = 0;  // 清表土性质
  bool operator==(const TopsoilRow&) const = default;
};

struct GroundInterpRow {  // 地面线内插宽
  double endStation = 0;
  double width = 0;
  bool operator==(const GroundInterpRow&) const = default;
};

struct SlopeLevel {
  double ratio = 0;      // 边坡系数, m of 1:m
  double maxHeight = 0;  // 最大高度
  double bermWidth = 0;  // 平台宽度
  double bermSlope = 0;  // 平台横坡, percent
  bool operator==(const SlopeLevel&) const = default;
};

// The levels a slope segment holds, only as many as were written, so that a segment of 3 levels
// keeps 3 and not 30. A level past them reads as an all-zero level; writing one grows them.
// Equality treats the missing levels as zero levels: [a, b, c] equals [a, b, c, 0, 0].
class SlopeLevels {
 public:
  using value_type = SlopeLevel;
  using const_iterator = std::vector<SlopeLevel>::const_iterator;

  SlopeLevels() = default;
  SlopeLevels(std::initializer_list<SlopeLevel> levels) : held_(levels) {}

  // The levels held: at least those written, at least as many as room was made for.
  int Held() const { return static_cast<int>(held_.size()); }
  const SlopeLevel& operator[](int level) const {
    static const SlopeLevel kZero;
    return level >= 0 && level < Held() ? held_[level] : kZero;
  }
  SlopeLevel& operator[](int level) {
    if (level >= Held()) held_.resize(static_cast<std::size_t>(level) + 1);
    return held_[level];
  }
  // Holds at least `count` levels (zero levels added), in one allocation; never drops any.
  void MakeRoom(int count) {
    if (count > Held()) held_.resize(static_cast<std::size_t>(count));
  }
  // Writes `levels` as the first levels; those after them stay.
  void AssignFirst(std::span<const SlopeLevel> levels) {
    MakeRoom(static_cast<int>(levels.size()));
    std::copy(levels.begin(), levels.end(), held_.begin());
  }
  std::span<const SlopeLevel> Span() const { return held_; }
  const_iterator begin() const { return held_.begin(); }
  const_iterator end() const { return held_.end(); }

  bool operator==(const SlopeLevels& other) const {
    const auto& [shorter, longer] =
        Held() <= other.Held() ? std::pair{&held_, &other.held_} : std::pair{&other.held_, &held_};
    const auto middle = longer->begin() + static_cast<std::ptrdiff_t>(shorter->size());
    return std::equal(shorter->begin(), shorter->end(), longer->begin()) &&
           std::all_of(middle, longer->end(),
                       [](const SlopeLevel& l) { return l == SlopeLevel{}; });
  }

 private:
  std::vector<SlopeLevel> held_;
};

struct SlopeSegment {  // one row of 路堤边坡 / 路堑边坡
  double endStation = 0;
  int levelCount = 0;  // 边坡总级数, 0 to 30; the levels held may be more or fewer
  SlopeLevels levels;
  bool operator==(const SlopeSegment&) const = default;
};

// The segments of a slope table, as many as it holds (the pages and the loader keep them to
// kMaxSlopeSegments).
struct SlopeTable {
  std::vector<SlopeSegment> rows;
  int Count() const { return static_cast<int>(rows.size()); }
  // The segment at `index`, or an empty one past the end.
  const SlopeSegment& At(int index) const {
    static const SlopeSegment kEmpty;
    return index >= 0 && index < Count() ? rows[index] : kEmpty;
  }
};

struct SideDitchRow {  // 侧沟
  double endStation = 0;
  double liningThickness = 0;  // 浆砌厚度
  double bottomWidth = 0;      // 水沟底宽
  double depth = 0;            // 沟深
  double slope1 = 0;           // 左侧边坡 (left table) / 内侧边坡 (right table)
  double slope2 = 0;           // 右侧边坡 (left table) / 外侧边坡 (right table)
  double bottomRadius = 0;     // 沟底半径
  bool operator==(const SideDitchRow&) const = default;
};

struct EmbankmentDitchRow {  // 排水沟
  double startStation = 0;
  double endStation = 0;
  int structure = 0;  // 坡脚墙: 0 toe wall, 1 ditch, 2 shoulder ditch
  double liningThickness = 0;
  double startDikeWidth = 0;  // 挡水堰宽
  double endDikeWidth = 0;
  double startDikeThickness = 0;  // 挡水堰厚
  double endDikeThickness = 0;
  double startBermWidth = 0;  // 护坡道宽
  double endBermWidth = 0;
  double startBermThickness = 0;  // 护坡道厚
  double endBermThickness = 0;
  double startBottomWidth = 0;  // 水沟底宽
  double endBottomWidth = 0;
  double startDepth = 0;  // 水沟深
  double endDepth = 0;
  double innerSlope = 0;
  double outerSlope = 0;
  double dikeSlope = 0;  // 挡水堰坡
  double bottomRadius = 0;
  bool operator==(const EmbankmentDitchRow&) const = default;
};

struct InterceptDitchRow {  // 天沟
  double startStation = 0;
  double endStation = 0;
  double startEdgeDistance = 0;  // 起始边距
  double startDepth = 0;
  double startBottomWidth = 0;
  double endEdgeDistance = 0;
  double endDepth = 0;
  double endBottomWidth = 0;
  double innerSlope = 0;
  double outerSlope = 0;
  double liningThickness = 0;
  double bottomRadius = 0;
  bool operator==(const InterceptDitchRow&) const = default;
};

struct CutClassRow {  // 挖方分类, percent of the cut volume per class
  double endStation = 0;
  double classI = 0;
  double classII = 0;
  double classIII = 0;
  double classIV = 0;
  double classV = 0;
  double classVI = 0;
  bool operator==(const CutClassRow&) const = default;
};

struct PavementRow {  // 路面厚度
  double endStation = 0;
  double carriageway = 0;    // 车行道厚
  double hardShoulder = 0;   // 硬路肩厚
  double earthShoulder = 0;  // 土路肩厚
  bool operator==(const PavementRow&) const = default;
};

struct DitchGradeRow {  // 沟底坡
  double startStation = 0;
  double startElevation = 0;
  double endStation = 0;
  double endElevation = 0;
  bool operator==(const DitchGradeRow&) const = default;
};

struct RetainingWallRow {  // 挡墙
  double startStation = 0;
  double endStation = 0;   // 终点里程
  double startOffset = 0;  // 起始支距
  double endOffset = 0;
  bool operator==(const RetainingWallRow&) const = default;
};

struct StationRangeRow {  // the automatic-design ranges
  double startStation = 0;
  double endStation = 0;  // 终点里程
  bool operator==(const StationRangeRow&) const = default;
};

struct FillClassRow {  // 填方分类
  double endStation = 0;
  int material = 0;  // 填料类型: 0 earth, 1 rock
  bool operator==(const FillClassRow&) const = default;
};

struct LandAreaSegmentRow {  // 用地面积汇总分段表
  double endStation = 0;
  std::string remark;  // 备注
  bool operator==(const LandAreaSegmentRow&) const = default;
};

struct LandTypeRow {  // 用地类型表
  double endStation = 0;
  std::string landType;
  bool operator==(const LandTypeRow&) const = default;
};

struct AssocShoulderRow {  // 关联断面路肩拉直
  double startStation = 0;
  double endStation = 0;
  double horizontalDistance = 0;
  double heightDifference = 0;
  bool operator==(const AssocShoulderRow&) const = default;
};

struct AssocCutFlattenRow {  // 关联断面路堑边坡推平
  double startStation = 0;
  double endStation = 0;
  double horizontalDistance = 0;
  bool operator==(const AssocCutFlattenRow&) const = default;
};

struct AssocMedianDitchRow {  // 关联断面线间沟
  double startStation = 0;
  double endStation = 0;
  double liningThickness = 0;
  double width = 0;  // 沟宽
  double depth = 0;
  double innerSlope = 0;
  double outerSlope = 0;
  double bottomRadius = 0;
  bool operator==(const AssocMedianDitchRow&) const = default;
};

struct ChainBreakRow {      // one row of 断链表
  double leftStation = 0;   // 等号左里程数
  double rightStation = 0;  // 等号右里程数
  std::string leftPrefix;   // 等号左里程冠号
  std::string rightPrefix;  // 等号右里程冠号
  bool operator==(const ChainBreakRow&) const = default;
};

struct RoadEntry {
  std::string name;  // 道路名
  std::string startPrefix;
  std::string endPrefix;
  double startStation = 0;
  double endStation = 0;
};

struct RoadExtent {
  double start = 0;
  double end = 0;
};
// The first chain break's 等号左里程数 and the last one's 等号右里程数; nothing without rows.
std::optional<RoadExtent> RoadExtentOf(const std::vector<ChainBreakRow>& breaks);

class TableDesc;

// Every parameter table of one road with its chain-break rows, the file and road it belongs to,
// and what the scheme unit knows about how it was read: plain data.
class RoadSectionStore {
 public:
  std::vector<ChainBreakRow> chainBreaks;
  CompactionFactors compaction;
  PerSide<std::vector<WidthLimitRow>> widthLimits;             // 横断面限制宽度
  PerSide<std::vector<LandWideningRow>> landWidenings;         // 用地加宽
  PerSide<std::vector<OverfillWidthRow>> overfillWidths;       // 超填宽度表
  PerSide<std::vector<ArcSlopeRow>> arcSlopes;                 // 弧形边坡表
  PerSide<std::vector<TopsoilRow>> topsoil;                    // 清表土厚度
  PerSide<std::vector<GroundInterpRow>> groundInterps;         // 地面线内插宽
  PerSide<SlopeTable> embankmentSlopes;                        // 路堤边坡
  PerSide<SlopeTable> cutSlopes;                               // 路堑边坡
  PerSide<std::vector<SideDitchRow>> sideDitches;              // 侧沟
  PerSide<std::vector<EmbankmentDitchRow>> embankmentDitches;  // 排水沟
  PerSide<std::vector<InterceptDitchRow>> interceptDitches;    // 天沟
  std::vector<FillClassRow> fillClasses;                       // 填方分类
  PerSide<std::vector<CutClassRow>> cutClasses;                // 挖方分类
  std::vector<AssocShoulderRow> assocShoulders;                // 关联断面路肩拉直
  std::vector<AssocCutFlattenRow> assocCutFlattens;            // 关联断面路堑边坡推平
  std::vector<AssocMedianDitchRow> assocMedianDitches;         // 关联断面线间沟
  std::vector<LandAreaSegmentRow> landAreaSegments;            // 用地面积汇总分段表
  std::vector<LandTypeRow> landTypes;                          // 用地类型表
  PerSide<std::vector<PavementRow>> pavements;                 // 路面厚度
  PerSide<std::vector<DitchGradeRow>> ditchGrades;             // 沟底坡
  PerSide<std::vector<RetainingWallRow>> retainingWalls;       // 挡墙
  PerSide<std::vector<StationRangeRow>> autoFillRanges;        // 低填路堤自动填平
  PerSide<std::vector<StationRangeRow>> autoFlattenRanges;     // 低挖路堑自动推平
  PerSide<std::vector<StationRangeRow>> autoShoulderRanges;    // 低填路堤自动加宽土路肩

  std::string databasePath;
  std::string roadName;
  // Why the road did not load whole ("表左侧沟: 缺少列序号"), one line per table; empty when it
  // did. A road with any is never saved.
  std::vector<std::string> loadProblems;
  bool LoadedWhole() const { return loadProblems.empty(); }
  // What the database holds of each table of this road, as the scheme unit last read or wrote
  // it (one hash per row of the encoded values), with the file and road it belongs to and the
  // file's identity then (device and inode). Saving leaves a table alone while the record's rows
  // still hash the same, so an unedited table keeps its stored values exactly, and writes an
  // edited one only while the file still holds these rows; a table without an entry is always
  // written.
  struct StoredRows {
    std::string path;
    std::string road;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::map<std::pair<const TableDesc*, Side>, std::vector<std::uint64_t>> tables;
  };
  StoredRows stored;
};

// The roads of a scheme, each record owned once.
using RoadRecordList = std::vector<std::unique_ptr<RoadSectionStore>>;

inline std::optional<RoadExtent> RoadExtentOf(const std::vector<ChainBreakRow>& breaks) {
  if (breaks.empty()) return std::nullopt;
  return RoadExtent{breaks.front().leftStation, breaks.back().rightStation};
}

}  // namespace hdmjm
