// The scheme database's tables, each described once: its name, where it lives in the record,
// one line per column, and its content when the database lacks it.
#include <array>
#include <cmath>

#include "row_table.h"

namespace hdmjm {
namespace {

constexpr auto kRoadScope = TableScope::Road;
constexpr auto kSideScope = TableScope::Side;
using R = RoadSectionStore;

// 松方压实系数: one set of six coefficients for the whole scheme.
class CompactionTable : public ColumnsTable<CompactionFactors> {
 public:
  CompactionTable()
      : ColumnsTable(kCompactionTable, TableScope::Scheme,
                     {{" 松土 double precision", &CompactionFactors::looseSoil, nullptr, 3},
                      {" 普通土 double precision", &CompactionFactors::ordinarySoil, nullptr, 3},
                      {" 硬土 double precision", &CompactionFactors::hardSoil, nullptr, 3},
                      {" 软石 double precision", &CompactionFactors::softRock, nullptr, 3},
                      {" 次坚石 double precision", &CompactionFactors::subHardRock, nullptr, 3},
                      {" 坚石 double precision", &CompactionFactors::hardRock, nullptr, 3}}) {}
  int RowCount(const RoadSectionStore&, Side) const override { return 1; }
  int Capacity() const override { return 1; }
  void Resize(RoadSectionStore&, Side, int) const override {}
  FieldValue Get(const RoadSectionStore& store, Side, int, int column) const override {
    return GetMember(store.compaction, members_.at(column));
  }
  void Set(RoadSectionStore& store, Side, int, int column, const FieldValue& value) const override {
    SetMember(store.compaction, members_.at(column), value);
  }
  void SetDefault(RoadSectionStore& store, Side, double, double) const override {
    store.compaction = {1.23, 1.16, 1.09, 0.92, 0.92, 0.92};
  }
  void CopySide(RoadSectionStore&, Side, Side) const override {}
};

// 路堤边坡 / 路堑边坡: up to 300 segments; data column 0 is 分段终里程, 1 边坡总级数, then one
// column per field of each level. A row past the table's end reads as an empty segment and takes
// no value.
class SlopeTableDesc : public TableDesc {
 public:
  using Access = SlopeTable& (*)(RoadSectionStore&, Side);

  SlopeTableDesc(std::string_view name, Access access, std::array<SlopeLevel, 3> defaultLevels)
      : TableDesc(std::string(name), kSideScope, Definitions(), {}),
        access_(access),
        defaultLevels_(defaultLevels) {
    isSlope_ = true;
    std::vector<FieldKind> kinds{FieldKind::Real, FieldKind::Count};
    kinds.resize(ColumnsFor(kMaxSlopeLevels), FieldKind::Real);
    SetKinds(kinds);
  }

  int RowCount(const RoadSectionStore& store, Side side) const override {
    return Of(store, side).Count();
  }
  int Capacity() const override { return kMaxSlopeSegments; }
  void Resize(RoadSectionStore& store, Side side, int rows) const override {
    access_(store, side).rows.resize(std::clamp(rows, 0, kMaxSlopeSegments));
  }
  void Fit(RoadSectionStore& store, Side side) const override {
    access_(store, side).rows.shrink_to_fit();
  }
  int CountColumn() const override { return 1; }
  // A level count is kept as the whole number it starts with, within 0 to 30.
  int ColumnsAtMost(double greatest) const override {
    const double levels =
        std::isnan(greatest) ? 0 : std::clamp(std::trunc(greatest), 0.0, double{kMaxSlopeLevels});
    return ColumnsFor(static_cast<int>(levels));
  }
  int ColumnsInUse(const RoadSectionStore& store, Side side, int row) const override {
    return ColumnsFor(std::clamp(Of(store, side).At(row).levelCount, 0, kMaxSlopeLevels));
  }
  FieldValue Get(const RoadSectionStore& store, Side side, int row, int column) const override {
    const SlopeSegment& segment = Of(store, side).At(row);
    if (column == 0) return segment.endStation;
    if (column == 1) return segment.levelCount;
    const auto [level, field] = LevelField(column);
    return segment.levels[level].*kLevelFields[field].member;
  }
  std::uint64_t HashRow(const RoadSectionStore& store, Side side, int row) const override {
    const SlopeSegment& segment = Of(store, side).At(row);
    const int levels = std::clamp(segment.levelCount, 0, kMaxSlopeLevels);
    RowHasher hasher;
    hasher.Add(ColumnsFor(levels));
    hasher.Add(segment.endStation);
    hasher.Add(segment.levelCount);
    for (int level = 0; level < levels; ++level)
      for (const LevelColumn& field : kLevelFields) hasher.Add(segment.levels[level].*field.member);
    return hasher.Value();
  }
  void Set(RoadSectionStore& store, Side side, int row, int column,
           const FieldValue& value) const override {
    SlopeTable& table = access_(store, side);
    if (row < 0 || row >= table.Count()) return;
    SlopeSegment& segment = table.rows[row];
    if (column == 1) {
      segment.levelCount = IntOf(value);
      // Room for the levels in use at once, so that a load sets them without growing each time.
      segment.levels.MakeRoom(std::clamp(segment.levelCount, 0, kMaxSlopeLevels));
      return;
    }
    const double number = RealOf(value);
    if (column == 0) {
      segment.endStation = number;
      return;
    }
    const auto [level, field] = LevelField(column);
    segment.levels[level].*kLevelFields[field].member = number;
  }
  void SetDefault(RoadSectionStore& store, Side side, double, double end) const override {
    SlopeTable& table = access_(store, side);
    table.rows.assign(1, SlopeSegment{});
    SlopeSegment& segment = table.rows[0];
    segment.endStation = end;
    segment.levelCount = 3;
    segment.levels.AssignFirst(defaultLevels_);
  }
  void CopySide(RoadSectionStore& store, Side from, Side to) const override {
    if (from == to) return;
    access_(store, to).rows = access_(store, from).rows;
  }

 private:
  struct LevelColumn {
    std::string_view suffix;  // after the level's number: 1级边坡系数
    double SlopeLevel::*member;
  };
  static constexpr int kLevelColumn = 2;  // the first level's first column
  static constexpr LevelColumn kLevelFields[] = {{"级边坡系数", &SlopeLevel::ratio},
                                                 {"级最大高度", &SlopeLevel::maxHeight},
                                                 {"级平台宽度", &SlopeLevel::bermWidth},
                                                 {"级平台横坡", &SlopeLevel::bermSlope}};

  // The data columns a row of `levels` levels uses.
  static int ColumnsFor(int levels) {
    return kLevelColumn + static_cast<int>(std::size(kLevelFields)) * levels;
  }
  static std::pair<int, int> LevelField(int column) {
    const int fields = static_cast<int>(std::size(kLevelFields));
    return {(column - kLevelColumn) / fields, (column - kLevelColumn) % fields};
  }
  static std::vector<std::string> Definitions() {
    std::vector<std::string> definitions{"分段终里程 double precision", "边坡总级数 integer"};
    for (int n = 1; n <= kMaxSlopeLevels; ++n)
      for (const LevelColumn& field : kLevelFields)
        definitions.push_back(std::to_string(n).append(field.suffix).append(" double precision"));
    return definitions;
  }
  const SlopeTable& Of(const RoadSectionStore& store, Side side) const {
    return access_(const_cast<RoadSectionStore&>(store), side);
  }
  Access access_;
  std::array<SlopeLevel, 3> defaultLevels_;
};

template <class Row>
void Add(std::vector<std::unique_ptr<TableDesc>>& tables, std::string_view name, TableScope scope,
         typename RowTable<Row>::Access access, std::vector<TableColumn<Row>> columns,
         typename RowTable<Row>::MakeDefault makeDefault = nullptr, int flags = kPlain) {
  tables.push_back(
      std::make_unique<RowTable<Row>>(name, scope, access, std::move(columns), makeDefault, flags));
}

void AddWholeRoadTables(std::vector<std::unique_ptr<TableDesc>>& t) {
  t.push_back(std::make_unique<CompactionTable>());
  Add<FillClassRow>(t, kFillClassTable, kRoadScope, &Whole<&R::fillClasses>,
                    {{"分段终里程 double precision", &FillClassRow::endStation},
                     {"填料类型 INTEGER", &FillClassRow::material, &kFillMaterials}});
  // Created with a column for 备注 so remarks survive; older tables lack it.
  Add<LandAreaSegmentRow>(t, kLandAreaSegmentTable, kRoadScope, &Whole<&R::landAreaSegments>,
                          {{"分段终里程 double precision", &LandAreaSegmentRow::endStation},
                           {"备注 VARCHAR", &LandAreaSegmentRow::remark}},
                          nullptr, kOptionalLastColumn);
  Add<LandTypeRow>(t, kLandTypeTable, kRoadScope, &Whole<&R::landTypes>,
                   {{"分段终里程数 double", &LandTypeRow::endStation},
                    {"用地类型 varchar", &LandTypeRow::landType}});
  Add<CutClassRow>(t, kCutClassTable, kSideScope, &BySide<&R::cutClasses>,
                   {{"分段终里程 double", &CutClassRow::endStation},
                    {"I百分比 DOUBLE", &CutClassRow::classI},
                    {"II百分比 DOUBLE", &CutClassRow::classII},
                    {"III百分比  DOUBLE", &CutClassRow::classIII},
                    {"IV百分比  DOUBLE", &CutClassRow::classIV},
                    {"V百分比  DOUBLE", &CutClassRow::classV},
                    {"VI百分比  DOUBLE", &CutClassRow::classVI}},
                   [](double, double end) { return CutClassRow{end, 0, 0, 100, 0, 0, 0}; });
  Add<AssocShoulderRow>(t, kAssocShoulderTable, kRoadScope, &Whole<&R::assocShoulders>,
                        {{"分段起始里程 double", &AssocShoulderRow::startStation},
                         {"分段终止里程 double", &AssocShoulderRow::endStation},
                         {"水平距离 DOUBLE", &AssocShoulderRow::horizontalDistance},
                         {"高差  DOUBLE", &AssocShoulderRow::heightDifference}},
                        [](double start, double end) {
                          return AssocShoulderRow{start, end, 5, 1};
                        });
  Add<AssocCutFlattenRow>(t, kAssocCutFlattenTable, kRoadScope, &Whole<&R::assocCutFlattens>,
                          {{"分段起始里程 double", &AssocCutFlattenRow::startStation},
                           {"分段终止里程 double", &AssocCutFlattenRow::endStation},
                           {"水平距离 DOUBLE", &AssocCutFlattenRow::horizontalDistance}},
                          [](double start, double end) {
                            return AssocCutFlattenRow{start, end, 5};
                          });
  Add<AssocMedianDitchRow>(t, kAssocMedianDitchTable, kRoadScope, &Whole<&R::assocMedianDitches>,
                           {{"分段起始里程 double", &AssocMedianDitchRow::startStation},
                            {"分段终止里程 double", &AssocMedianDitchRow::endStation},
                            {"沟宽 DOUBLE", &AssocMedianDitchRow::width},
                            {"沟深 DOUBLE", &AssocMedianDitchRow::depth},
                            {"内边坡  DOUBLE", &AssocMedianDitchRow::innerSlope},
                            {"外边坡  DOUBLE", &AssocMedianDitchRow::outerSlope},
                            {"浆砌厚度  DOUBLE", &AssocMedianDitchRow::liningThickness},
                            {"沟底半径  DOUBLE", &AssocMedianDitchRow::bottomRadius}},
                           [](double start, double end) {
                             AssocMedianDitchRow row{start, end};
                             row.width = 1;
                             row.depth = 0.5;
                             row.liningThickness = 0.2;
                             return row;
                           });
}

void AddSegmentTables(std::vector<std::unique_ptr<TableDesc>>& t) {
  Add<DitchGradeRow>(t, kDitchGradeTable, kSideScope, &BySide<&R::ditchGrades>,
                     {{"起始里程 double", &DitchGradeRow::startStation},
                      {"起始高程 double precision", &DitchGradeRow::startElevation},
                      {"终止里程 double precision", &DitchGradeRow::endStation},
                      {"终止高程 double precision", &DitchGradeRow::endElevation}});
  Add<OverfillWidthRow>(t, kOverfillWidthTable, kSideScope, &BySide<&R::overfillWidths>,
                        {{"起始里程 double", &OverfillWidthRow::startStation},
                         {"起始宽度 double precision", &OverfillWidthRow::startWidth},
                         {"终止里程 double precision", &OverfillWidthRow::endStation},
                         {"终止宽度 double precision", &OverfillWidthRow::endWidth}});
  Add<ArcSlopeRow>(t, kArcSlopeTable, kSideScope, &BySide<&R::arcSlopes>,
                   {{"起始里程 double", &ArcSlopeRow::startStation},
                    {"起始半径 double precision", &ArcSlopeRow::startRadius},
                    {"终止里程 double precision", &ArcSlopeRow::endStation},
                    {"终止半径 double precision", &ArcSlopeRow::endRadius},
                    {"设置位置 INTEGER", &ArcSlopeRow::position, &kArcPositions}});
  Add<TopsoilRow>(t, kTopsoilTable, kSideScope, &BySide<&R::topsoil>,
                  {{"分段终里程 double", &TopsoilRow::endStation},
                   {"清表土厚度 double precision", &TopsoilRow::thickness},
                   {"清表土性质 INTEGER", &TopsoilRow::kind, &kTopsoilKinds}},
                  [](double, double end) {
                    return TopsoilRow{end, 0, 0};
                  });
  Add<RetainingWallRow>(t, kRetainingWallTable, kSideScope, &BySide<&R::retainingWalls>,
                        {{"起始里程 double", &RetainingWallRow::startStation},
                         {"起始支距 double precision", &RetainingWallRow::startOffset},
                         {"终点里程 double precision", &RetainingWallRow::endStation},
                         {"终止支距 double precision", &RetainingWallRow::endOffset}});
  const std::vector<TableColumn<StationRangeRow>> range{
      {"起始里程 double precision", &StationRangeRow::startStation},
      {"终点里程 double precision", &StationRangeRow::endStation}};
  Add<StationRangeRow>(t, kAutoFillTable, kSideScope, &BySide<&R::autoFillRanges>, range);
  Add<StationRangeRow>(t, kAutoFlattenTable, kSideScope, &BySide<&R::autoFlattenRanges>, range);
  Add<StationRangeRow>(t, kAutoShoulderTable, kSideScope, &BySide<&R::autoShoulderRanges>, range);
  Add<PavementRow>(t, kPavementTable, kSideScope, &BySide<&R::pavements>,
                   {{.definition = "分段终里程数 double",
                     .member = &PavementRow::endStation,
                     .rightDefinition = "分段终里程 double precision"},
                    {"车行道厚 double precision", &PavementRow::carriageway},
                    {"硬路肩厚 double precision", &PavementRow::hardShoulder},
                    {"土路肩厚 double precision", &PavementRow::earthShoulder}},
                   [](double, double end) {
                     return PavementRow{end, 0.5, 0.25, 0.1};
                   });
  Add<GroundInterpRow>(t, kGroundInterpTable, kSideScope, &BySide<&R::groundInterps>,
                       {{"分段终里程 double", &GroundInterpRow::endStation},
                        {"内插宽 double precision", &GroundInterpRow::width}},
                       [](double, double end) {
                         return GroundInterpRow{end, 100};
                       });
  Add<WidthLimitRow>(t, kWidthLimitTable, kSideScope, &BySide<&R::widthLimits>,
                     {{"分段终里程 double", &WidthLimitRow::endStation},
                      {"路基限宽 double precision", &WidthLimitRow::widthLimit}},
                     [](double, double end) {
                       return WidthLimitRow{end, 100};
                     });
  Add<LandWideningRow>(t, kLandWideningTable, kSideScope, &BySide<&R::landWidenings>,
                       {{"分段终里程 double", &LandWideningRow::endStation},
                        {"路堤加宽 double precision", &LandWideningRow::fillWidening},
                        {"路堑加宽 double precision", &LandWideningRow::cutWidening}});
  t.push_back(std::make_unique<SlopeTableDesc>(
      kEmbankmentSlopeTable, &BySide<&R::embankmentSlopes>,
      std::array<SlopeLevel, 3>{{{1.5, 8, 1, 0}, {1.75, 10, 1, 0}, {2, 100, 1, 0}}}));
  t.push_back(std::make_unique<SlopeTableDesc>(
      kCutSlopeTable, &BySide<&R::cutSlopes>,
      std::array<SlopeLevel, 3>{{{1, 8, 1, 0}, {1.25, 10, 1, 0}, {1.5, 100, 1, 0}}}));
}

void AddDitchTables(std::vector<std::unique_ptr<TableDesc>>& t) {
  using E = EmbankmentDitchRow;
  Add<E>(t, kEmbankmentDitchTable, kSideScope, &BySide<&R::embankmentDitches>,
         {{"坡脚墙 integer", &E::structure, &kDitchStructures},
          {"浆砌厚度 double precision", &E::liningThickness},
          {"起始里程 double precision", &E::startStation},
          {"起始护坡道宽 double precision", &E::startBermWidth},
          {"起始护坡道厚 double precision", &E::startBermThickness},
          {"起始水沟底宽 double precision", &E::startBottomWidth},
          {"起始水沟深 double precision", &E::startDepth},
          {"起始挡水堰宽 double precision", &E::startDikeWidth},
          {"起始挡水堰厚 double precision", &E::startDikeThickness},
          {"终止里程 double precision", &E::endStation},
          {"终止护坡道宽 double precision", &E::endBermWidth},
          {"终止护坡道厚 double precision", &E::endBermThickness},
          {"终止水沟底宽 double precision", &E::endBottomWidth},
          {"终止水沟深 double precision", &E::endDepth},
          {"终止挡水堰宽 double precision", &E::endDikeWidth},
          {"终止挡水堰厚 double precision", &E::endDikeThickness},
          {"内侧边坡 double precision", &E::innerSlope},
          {"外侧边坡 double precision", &E::outerSlope},
          {"挡水堰坡 double precision", &E::dikeSlope},
          {"沟底半径 double precision", &E::bottomRadius}},
         nullptr, kRadiusUpgrade);
  Add<SideDitchRow>(t, kSideDitchTable, kSideScope, &BySide<&R::sideDitches>,
                    {{"分段终里程 double", &SideDitchRow::endStation},
                     {"水沟底宽 double precision", &SideDitchRow::bottomWidth},
                     {"沟深 double precision", &SideDitchRow::depth},
                     {.definition = "左侧边坡 double precision",
                      .member = &SideDitchRow::slope1,
                      .rightDefinition = "内侧边坡 double precision"},
                     {.definition = "右侧边坡 double precision",
                      .member = &SideDitchRow::slope2,
                      .rightDefinition = "外侧边坡 double precision"},
                     {"浆砌厚度 double precision", &SideDitchRow::liningThickness},
                     {"沟底半径 double precision", &SideDitchRow::bottomRadius}},
                    [](double, double end) { return SideDitchRow{end, 0.3, 0.4, 0.6, 1, 1, 0}; });
  using I = InterceptDitchRow;
  Add<I>(t, kInterceptDitchTable, kSideScope, &BySide<&R::interceptDitches>,
         {{"分段起里程 double", &I::startStation},
          {"起始边距 double precision", &I::startEdgeDistance},
          {"起始水沟深 double precision", &I::startDepth},
          {"起始水沟底宽 double precision", &I::startBottomWidth},
          {"分段终里程 double", &I::endStation},
          {"终止边距 double precision", &I::endEdgeDistance},
          {"终止水沟深 double precision", &I::endDepth},
          {"终止水沟底宽 double precision", &I::endBottomWidth},
          {"内侧边坡 double precision", &I::innerSlope},
          {"外侧边坡 double precision", &I::outerSlope},
          {"浆砌厚度 double precision", &I::liningThickness},
          {"沟底半径 double precision", &I::bottomRadius}},
         nullptr, kRadiusUpgrade);
}

}  // namespace

std::vector<std::unique_ptr<TableDesc>> ParameterTables() {
  std::vector<std::unique_ptr<TableDesc>> tables;
  AddWholeRoadTables(tables);
  AddSegmentTables(tables);
  AddDitchTables(tables);
  return tables;
}

std::unique_ptr<TableDesc> ChainBreakTableDesc() {
  return std::make_unique<RowTable<ChainBreakRow>>(
      kChainBreakTable, kRoadScope, &Whole<&R::chainBreaks>,
      std::vector<TableColumn<ChainBreakRow>>{
          {"等号左里程冠号 VARCHAR", &ChainBreakRow::leftPrefix},
          {"等号左里程数 double", &ChainBreakRow::leftStation},
          {"等号右里程冠号 VARCHAR", &ChainBreakRow::rightPrefix},
          {"等号右里程数 double", &ChainBreakRow::rightStation}});
}

}  // namespace hdmjm
