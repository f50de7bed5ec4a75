#include "catalogue.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace hdmjm {

namespace {

constexpr std::string_view kSerialDefinition = "序号 INTEGER identity";
constexpr std::string_view kRoadDefinition = "道路名 VARCHAR";

// The column name of a definition: its first word.
std::string ColumnName(std::string_view definition) {
  const auto begin = definition.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  const auto end = definition.find(' ', begin);
  return std::string(definition.substr(begin, end == std::string_view::npos ? end : end - begin));
}

std::vector<std::string> WithKeyColumns(TableScope scope, std::vector<std::string> data) {
  if (scope == TableScope::Scheme) return data;
  data.insert(data.begin(), {std::string(kSerialDefinition), std::string(kRoadDefinition)});
  return data;
}

}  // namespace

TableDesc::TableDesc(std::string baseName, TableScope scope, std::vector<std::string> left,
                     std::vector<std::string> right)
    : baseName_(std::move(baseName)), scope_(scope) {
  definitions_[kLeft] = WithKeyColumns(scope, std::move(left));
  definitions_[kRight] = right.empty() ? definitions_[kLeft] : WithKeyColumns(scope, std::move(right));
}

std::string TableDesc::Name(Side side) const {
  if (scope_ != TableScope::Side) return baseName_;
  return (side == kLeft ? "左" : "右") + baseName_;
}

const std::vector<std::string>& TableDesc::ColumnDefinitions(Side side) const {
  return definitions_[side];
}

std::string TableDesc::CreateStatement(Side side) const {
  std::string statement = "create table " + Name(side) + " " + "(";
  const auto& definitions = definitions_[side];
  for (size_t i = 0; i < definitions.size(); ++i) {
    if (i > 0) statement += ',';
    statement += definitions[i];
  }
  return statement + ")";
}

const std::vector<DataColumn>& TableDesc::DataColumns(Side side) const { return dataColumns_[side]; }

int TableDesc::Capacity() const { return 1 << 30; }

// Tables held in place (slopes, coefficients) allocate nothing here.
void TableDesc::ReplaceRows(RoadSectionStore& store, Side side,
                            const std::vector<std::vector<FieldValue>>& rows) const {
  const int count = std::min(static_cast<int>(rows.size()), Capacity());
  Resize(store, side, count);
  for (int row = 0; row < count; ++row)
    for (int column = 0; column < static_cast<int>(rows[row].size()); ++column)
      Set(store, side, row, column, rows[row][column]);
}

int TableDesc::ColumnsInUse(const RoadSectionStore&, Side side, int) const {
  return static_cast<int>(dataColumns_[side].size());
}

void TableDesc::SetKinds(const std::vector<FieldKind>& kinds) {
  for (Side side : {kLeft, kRight}) {
    const auto& definitions = definitions_[side];
    auto& columns = dataColumns_[side];
    columns.clear();
    for (size_t i = FirstDataColumn(); i < definitions.size(); ++i)
      columns.push_back({ColumnName(definitions[i]), kinds[i - FirstDataColumn()]});
  }
}

void TableDesc::SetCodes(std::string_view column, const CodeSet& codes) {
  bool found = false;
  for (auto& columns : dataColumns_)
    for (auto& c : columns)
      if (c.name == column && c.kind == FieldKind::Code) {
        c.codes = &codes;
        found = true;
      }
  if (!found) std::abort();  // the catalogue names a code column it does not have
}

void TableDesc::SetDecimals(int decimals) {
  for (auto& columns : dataColumns_)
    for (auto& c : columns) c.decimals = decimals;
}

namespace {

// A field of a row record: where it lives and what kind of value it holds.
template <class Row>
using Member = std::variant<double Row::*, int Row::*, std::string Row::*>;

template <class Row>
FieldKind KindOf(const Member<Row>& member) {
  return static_cast<FieldKind>(member.index());
}

template <class Row>
FieldValue GetMember(const Row& row, const Member<Row>& member) {
  return std::visit([&](auto pointer) -> FieldValue { return row.*pointer; }, member);
}

// Stores a value into a field, converting between the kinds as the program's text round trip
// would (a real into a code truncates toward zero).
template <class Row>
void SetMember(Row& row, const Member<Row>& member, const FieldValue& value) {
  std::visit(
      [&](auto pointer) {
        using T = std::remove_reference_t<decltype(row.*pointer)>;
        std::visit(
            [&](const auto& v) {
              using V = std::decay_t<decltype(v)>;
              if constexpr (std::is_same_v<T, V>) {
                row.*pointer = v;
              } else if constexpr (std::is_same_v<T, std::string>) {
                row.*pointer = std::to_string(v);
              } else if constexpr (std::is_same_v<V, std::string>) {
                row.*pointer = static_cast<T>(std::atof(v.c_str()));
              } else {
                row.*pointer = static_cast<T>(v);
              }
            },
            value);
      },
      member);
}

template <class Row>
using RowVector = std::vector<Row>;

// A table held as a vector of rows per side (whole-road tables ignore the side).
enum TableFlags { kPlain = 0, kRadiusUpgrade = 1, kOptionalLastColumn = 2 };

template <class Row>
class RowTable : public TableDesc {
 public:
  using Access = RowVector<Row>& (*)(RoadSectionStore&, Side);
  using MakeDefault = Row (*)(double start, double end);

  RowTable(std::string name, TableScope scope, std::vector<std::string> left,
           std::vector<std::string> right, Access access, std::vector<Member<Row>> members,
           MakeDefault makeDefault, int flags)
      : TableDesc(std::move(name), scope, std::move(left), std::move(right)),
        access_(access),
        members_(std::move(members)),
        makeDefault_(makeDefault) {
    hasRadiusUpgrade_ = flags & kRadiusUpgrade;
    lastColumnOptional_ = flags & kOptionalLastColumn;
    std::vector<FieldKind> kinds;
    for (const auto& m : members_) kinds.push_back(KindOf<Row>(m));
    SetKinds(kinds);
  }

  int RowCount(const RoadSectionStore& store, Side side) const override {
    return static_cast<int>(Of(store, side).size());
  }
  void Resize(RoadSectionStore& store, Side side, int rows) const override {
    access_(store, side).resize(std::max(rows, 0));
  }
  FieldValue Get(const RoadSectionStore& store, Side side, int row, int column) const override {
    return GetMember(Of(store, side).at(row), members_.at(column));
  }
  void Set(RoadSectionStore& store, Side side, int row, int column,
           const FieldValue& value) const override {
    SetMember(access_(store, side).at(row), members_.at(column), value);
  }
  void SetDefault(RoadSectionStore& store, Side side, double start, double end) const override {
    auto& rows = access_(store, side);
    rows.clear();
    if (makeDefault_) rows.push_back(makeDefault_(start, end));
  }
  void CopySide(RoadSectionStore& store, Side from, Side to) const override {
    if (from != to) access_(store, to) = access_(store, from);
  }
  void ReplaceRows(RoadSectionStore& store, Side side,
                   const std::vector<std::vector<FieldValue>>& rows) const override {
    RowVector<Row> fresh(rows.size());
    for (size_t row = 0; row < rows.size(); ++row)
      for (size_t column = 0; column < rows[row].size() && column < members_.size(); ++column)
        SetMember(fresh[row], members_[column], rows[row][column]);
    access_(store, side).swap(fresh);
  }

 private:
  const RowVector<Row>& Of(const RoadSectionStore& store, Side side) const {
    return access_(const_cast<RoadSectionStore&>(store), side);
  }
  Access access_;
  std::vector<Member<Row>> members_;
  MakeDefault makeDefault_;
};

// 路堤边坡 / 路堑边坡: a fixed room of 300 segments; data column 0 is 分段终里程, 1 边坡总级数,
// then four columns per level.
class SlopeTableDesc : public TableDesc {
 public:
  using Access = SlopeTable& (*)(RoadSectionStore&, Side);

  SlopeTableDesc(std::string_view name, Access access, std::array<SlopeLevel, 3> defaultLevels)
      : TableDesc(std::string(name), TableScope::Side, Definitions(), {}),
        access_(access),
        defaultLevels_(defaultLevels) {
    isSlope_ = true;
    std::vector<FieldKind> kinds{FieldKind::Real, FieldKind::Count};
    kinds.resize(2 + 4 * kMaxSlopeLevels, FieldKind::Real);
    SetKinds(kinds);
  }

  int RowCount(const RoadSectionStore& store, Side side) const override {
    return Of(store, side).count;
  }
  int Capacity() const override { return kMaxSlopeSegments; }
  void Resize(RoadSectionStore&, Side, int) const override;
  int ColumnsInUse(const RoadSectionStore& store, Side side, int row) const override {
    const int levels = std::clamp(Of(store, side).rows.at(row).levelCount, 0, kMaxSlopeLevels);
    return 2 + 4 * levels;
  }
  FieldValue Get(const RoadSectionStore& store, Side side, int row, int column) const override {
    const SlopeSegment& segment = Of(store, side).rows.at(row);
    if (column == 0) return segment.endStation;
    if (column == 1) return segment.levelCount;
    const SlopeLevel& level = segment.levels.at((column - 2) / 4);
    return level.*kLevelFields[(column - 2) % 4];
  }
  void Set(RoadSectionStore& store, Side side, int row, int column,
           const FieldValue& value) const override {
    SlopeSegment& segment = access_(store, side).rows.at(row);
    const double number = std::visit(
        [](const auto& v) -> double {
          if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>)
            return std::atof(v.c_str());
          else
            return v;
        },
        value);
    if (column == 0) segment.endStation = number;
    else if (column == 1) segment.levelCount = static_cast<int>(number);
    else segment.levels.at((column - 2) / 4).*kLevelFields[(column - 2) % 4] = number;
  }
  void SetDefault(RoadSectionStore& store, Side side, double, double end) const override {
    SlopeTable& table = access_(store, side);
    table.count = 1;
    SlopeSegment& segment = table.rows[0];
    segment.endStation = end;
    segment.levelCount = 3;
    std::copy(defaultLevels_.begin(), defaultLevels_.end(), segment.levels.begin());
  }
  void CopySide(RoadSectionStore& store, Side from, Side to) const override {
    if (from == to) return;
    const SlopeTable& source = access_(store, from);
    SlopeTable& target = access_(store, to);
    target.count = source.count;
    std::copy_n(source.rows.begin(), source.count, target.rows.begin());
  }

 private:
  static constexpr double SlopeLevel::*kLevelFields[4] = {
      &SlopeLevel::ratio, &SlopeLevel::maxHeight, &SlopeLevel::bermWidth, &SlopeLevel::bermSlope};

  static std::vector<std::string> Definitions() {
    std::vector<std::string> definitions{"分段终里程 double precision", "边坡总级数 integer"};
    for (int n = 1; n <= kMaxSlopeLevels; ++n) {
      const std::string number = std::to_string(n);
      for (const char* field : {"级边坡系数", "级最大高度", "级平台宽度", "级平台横坡"})
        definitions.push_back(number + field + " double precision");
    }
    return definitions;
  }
  const SlopeTable& Of(const RoadSectionStore& store, Side side) const {
    return access_(const_cast<RoadSectionStore&>(store), side);
  }
  Access access_;
  std::array<SlopeLevel, 3> defaultLevels_;
};

void SlopeTableDesc::Resize(RoadSectionStore& store, Side side, int rows) const {
  access_(store, side).count = std::clamp(rows, 0, kMaxSlopeSegments);
}

// 松方压实系数: one set of six coefficients for the whole scheme.
class CompactionTableDesc : public TableDesc {
 public:
  CompactionTableDesc()
      : TableDesc(std::string(kCompactionTable), TableScope::Scheme,
                  {"序号 INTEGER", " 松土 double precision", " 普通土 double precision",
                   " 硬土 double precision", " 软石 double precision", " 次坚石 double precision",
                   " 坚石 double precision"},
                  {}) {
    SetKinds(std::vector<FieldKind>(6, FieldKind::Real));
    SetDecimals(3);
  }
  int RowCount(const RoadSectionStore&, Side) const override { return 1; }
  int Capacity() const override { return 1; }
  void Resize(RoadSectionStore&, Side, int) const override {}
  FieldValue Get(const RoadSectionStore& store, Side, int, int column) const override {
    return store.compaction.*kFields.at(column);
  }
  void Set(RoadSectionStore& store, Side, int, int column, const FieldValue& value) const override {
    SetMember<CompactionFactors>(store.compaction, kFields.at(column), value);
  }
  void SetDefault(RoadSectionStore& store, Side, double, double) const override {
    store.compaction = {1.23, 1.16, 1.09, 0.92, 0.92, 0.92};
  }
  void CopySide(RoadSectionStore&, Side, Side) const override {}

 private:
  static constexpr std::array<double CompactionFactors::*, 6> kFields = {
      &CompactionFactors::looseSoil, &CompactionFactors::ordinarySoil,
      &CompactionFactors::hardSoil,  &CompactionFactors::softRock,
      &CompactionFactors::subHardRock, &CompactionFactors::hardRock};
};

// Where a table lives in the record.
#define HDMJM_SIDE(member) [](RoadSectionStore& s, Side side) -> auto& { return s.member[side]; }
#define HDMJM_WHOLE(member) [](RoadSectionStore& s, Side) -> auto& { return s.member; }

constexpr auto S = TableScope::Side;
constexpr auto R = TableScope::Road;

struct Catalogue {
  std::vector<std::unique_ptr<TableDesc>> owned;
  std::vector<const TableDesc*> tables;
  std::vector<TableStep> loadOrder;
  std::vector<TableStep> saveOrder;

  TableDesc* Own(std::unique_ptr<TableDesc> table) {
    owned.push_back(std::move(table));
    tables.push_back(owned.back().get());
    return owned.back().get();
  }

  template <class Row>
  TableDesc* Rows(std::string_view name, TableScope scope, std::vector<std::string> left,
                        std::vector<std::string> right, typename RowTable<Row>::Access access,
                        std::vector<Member<Row>> members,
                        typename RowTable<Row>::MakeDefault makeDefault = nullptr,
                        int flags = kPlain) {
    return Own(std::make_unique<RowTable<Row>>(std::string(name), scope, std::move(left),
                                               std::move(right), access, std::move(members),
                                               makeDefault, flags));
  }

  TableDesc* Find(std::string_view name) const {
    for (const auto& t : owned)
      if (t->BaseName() == name) return t.get();
    return nullptr;
  }

  Catalogue() {
    Own(std::make_unique<CompactionTableDesc>());
    Rows<FillClassRow>(kFillClassTable, R, {"分段终里程 double precision", "填料类型 INTEGER"}, {},
                       HDMJM_WHOLE(fillClasses),
                       {&FillClassRow::endStation, &FillClassRow::material});
    // Created with a column for 备注 so remarks survive; older tables lack it.
    Rows<LandAreaSegmentRow>(kLandAreaSegmentTable, R,
                             {"分段终里程 double precision", "备注 VARCHAR"}, {},
                             HDMJM_WHOLE(landAreaSegments),
                             {&LandAreaSegmentRow::endStation, &LandAreaSegmentRow::remark},
                             nullptr, kOptionalLastColumn);
    Rows<LandTypeRow>(kLandTypeTable, R, {"分段终里程数 double", "用地类型 varchar"}, {},
                      HDMJM_WHOLE(landTypes), {&LandTypeRow::endStation, &LandTypeRow::landType});
    Rows<CutClassRow>(
        kCutClassTable, S,
        {"分段终里程 double", "I百分比 DOUBLE", "II百分比 DOUBLE", "III百分比  DOUBLE",
         "IV百分比  DOUBLE", "V百分比  DOUBLE", "VI百分比  DOUBLE"},
        {}, HDMJM_SIDE(cutClasses),
        {&CutClassRow::endStation, &CutClassRow::classI, &CutClassRow::classII,
         &CutClassRow::classIII, &CutClassRow::classIV, &CutClassRow::classV,
         &CutClassRow::classVI},
        [](double, double end) { return CutClassRow{end, 0, 0, 100, 0, 0, 0}; });
    Rows<AssocShoulderRow>(
        kAssocShoulderTable, R,
        {"分段起始里程 double", "分段终止里程 double", "水平距离 DOUBLE", "高差  DOUBLE"}, {},
        HDMJM_WHOLE(assocShoulders),
        {&AssocShoulderRow::startStation, &AssocShoulderRow::endStation,
         &AssocShoulderRow::horizontalDistance, &AssocShoulderRow::heightDifference},
        [](double start, double end) { return AssocShoulderRow{start, end, 5, 1}; });
    Rows<AssocCutFlattenRow>(
        kAssocCutFlattenTable, R, {"分段起始里程 double", "分段终止里程 double", "水平距离 DOUBLE"},
        {}, HDMJM_WHOLE(assocCutFlattens),
        {&AssocCutFlattenRow::startStation, &AssocCutFlattenRow::endStation,
         &AssocCutFlattenRow::horizontalDistance},
        [](double start, double end) { return AssocCutFlattenRow{start, end, 5}; });
    Rows<AssocMedianDitchRow>(
        kAssocMedianDitchTable, R,
        {"分段起始里程 double", "分段终止里程 double", "沟宽 DOUBLE", "沟深 DOUBLE",
         "内边坡  DOUBLE", "外边坡  DOUBLE", "浆砌厚度  DOUBLE", "沟底半径  DOUBLE"},
        {}, HDMJM_WHOLE(assocMedianDitches),
        {&AssocMedianDitchRow::startStation, &AssocMedianDitchRow::endStation,
         &AssocMedianDitchRow::width, &AssocMedianDitchRow::depth,
         &AssocMedianDitchRow::innerSlope, &AssocMedianDitchRow::outerSlope,
         &AssocMedianDitchRow::liningThickness, &AssocMedianDitchRow::bottomRadius},
        [](double start, double end) {
          AssocMedianDitchRow row{start, end};
          row.width = 1;
          row.depth = 0.5;
          row.liningThickness = 0.2;
          return row;
        });
    Rows<DitchGradeRow>(kDitchGradeTable, S,
                        {"起始里程 double", "起始高程 double precision", "终止里程 double precision",
                         "终止高程 double precision"},
                        {}, HDMJM_SIDE(ditchGrades),
                        {&DitchGradeRow::startStation, &DitchGradeRow::startElevation,
                         &DitchGradeRow::endStation, &DitchGradeRow::endElevation});
    Rows<OverfillWidthRow>(kOverfillWidthTable, S,
                           {"起始里程 double", "起始宽度 double precision",
                            "终止里程 double precision", "终止宽度 double precision"},
                           {}, HDMJM_SIDE(overfillWidths),
                           {&OverfillWidthRow::startStation, &OverfillWidthRow::startWidth,
                            &OverfillWidthRow::endStation, &OverfillWidthRow::endWidth});
    Rows<ArcSlopeRow>(kArcSlopeTable, S,
                      {"起始里程 double", "起始半径 double precision", "终止里程 double precision",
                       "终止半径 double precision", "设置位置 INTEGER"},
                      {}, HDMJM_SIDE(arcSlopes),
                      {&ArcSlopeRow::startStation, &ArcSlopeRow::startRadius,
                       &ArcSlopeRow::endStation, &ArcSlopeRow::endRadius, &ArcSlopeRow::position});
    Rows<TopsoilRow>(kTopsoilTable, S,
                     {"分段终里程 double", "清表土厚度 double precision", "清表土性质 INTEGER"}, {},
                     HDMJM_SIDE(topsoil),
                     {&TopsoilRow::endStation, &TopsoilRow::thickness, &TopsoilRow::kind},
                     [](double, double end) { return TopsoilRow{end, 0, 0}; });
    Rows<RetainingWallRow>(kRetainingWallTable, S,
                           {"起始里程 double", "起始支距 double precision",
                            "终点里程 double precision", "终止支距 double precision"},
                           {}, HDMJM_SIDE(retainingWalls),
                           {&RetainingWallRow::startStation, &RetainingWallRow::startOffset,
                            &RetainingWallRow::endStation, &RetainingWallRow::endOffset});
    const std::vector<std::string> range{"起始里程 double precision", "终点里程 double precision"};
    const std::vector<Member<StationRangeRow>> rangeFields{&StationRangeRow::startStation,
                                                           &StationRangeRow::endStation};
    Rows<StationRangeRow>(kAutoFillTable, S, range, {}, HDMJM_SIDE(autoFillRanges), rangeFields);
    Rows<StationRangeRow>(kAutoFlattenTable, S, range, {}, HDMJM_SIDE(autoFlattenRanges),
                          rangeFields);
    Rows<StationRangeRow>(kAutoShoulderTable, S, range, {}, HDMJM_SIDE(autoShoulderRanges),
                          rangeFields);
    const std::vector<std::string> pavementRest{"车行道厚 double precision",
                                                "硬路肩厚 double precision",
                                                "土路肩厚 double precision"};
    auto pavementLeft = pavementRest, pavementRight = pavementRest;
    pavementLeft.insert(pavementLeft.begin(), "分段终里程数 double");
    pavementRight.insert(pavementRight.begin(), "分段终里程 double precision");
    Rows<PavementRow>(kPavementTable, S, pavementLeft, pavementRight, HDMJM_SIDE(pavements),
                      {&PavementRow::endStation, &PavementRow::carriageway,
                       &PavementRow::hardShoulder, &PavementRow::earthShoulder},
                      [](double, double end) { return PavementRow{end, 0.5, 0.25, 0.1}; });
    Rows<GroundInterpRow>(kGroundInterpTable, S, {"分段终里程 double", "内插宽 double precision"}, {},
                          HDMJM_SIDE(groundInterps),
                          {&GroundInterpRow::endStation, &GroundInterpRow::width},
                          [](double, double end) { return GroundInterpRow{end, 100}; });
    Rows<WidthLimitRow>(kWidthLimitTable, S, {"分段终里程 double", "路基限宽 double precision"},
                        {}, HDMJM_SIDE(widthLimits),
                        {&WidthLimitRow::endStation, &WidthLimitRow::widthLimit},
                        [](double, double end) { return WidthLimitRow{end, 100}; });
    Rows<LandWideningRow>(kLandWideningTable, S,
                          {"分段终里程 double", "路堤加宽 double precision",
                           "路堑加宽 double precision"},
                          {}, HDMJM_SIDE(landWidenings),
                          {&LandWideningRow::endStation, &LandWideningRow::fillWidening,
                           &LandWideningRow::cutWidening});
    Own(std::make_unique<SlopeTableDesc>(
        kEmbankmentSlopeTable, [](RoadSectionStore& s, Side side) -> SlopeTable& {
          return s.embankmentSlopes[side];
        },
        std::array<SlopeLevel, 3>{{{1.5, 8, 1, 0}, {1.75, 10, 1, 0}, {2, 100, 1, 0}}}));
    Own(std::make_unique<SlopeTableDesc>(
        kCutSlopeTable, [](RoadSectionStore& s, Side side) -> SlopeTable& { return s.cutSlopes[side]; },
        std::array<SlopeLevel, 3>{{{1, 8, 1, 0}, {1.25, 10, 1, 0}, {1.5, 100, 1, 0}}}));
    Rows<EmbankmentDitchRow>(
        kEmbankmentDitchTable, S,
        {"坡脚墙 integer", "浆砌厚度 double precision", "起始里程 double precision",
         "起始护坡道宽 double precision", "起始护坡道厚 double precision",
         "起始水沟底宽 double precision", "起始水沟深 double precision",
         "起始挡水堰宽 double precision", "起始挡水堰厚 double precision",
         "终止里程 double precision", "终止护坡道宽 double precision",
         "终止护坡道厚 double precision", "终止水沟底宽 double precision",
         "终止水沟深 double precision", "终止挡水堰宽 double precision",
         "终止挡水堰厚 double precision", "内侧边坡 double precision", "外侧边坡 double precision",
         "挡水堰坡 double precision", "沟底半径 double precision"},
        {}, HDMJM_SIDE(embankmentDitches),
        {&EmbankmentDitchRow::structure, &EmbankmentDitchRow::liningThickness,
         &EmbankmentDitchRow::startStation, &EmbankmentDitchRow::startBermWidth,
         &EmbankmentDitchRow::startBermThickness, &EmbankmentDitchRow::startBottomWidth,
         &EmbankmentDitchRow::startDepth, &EmbankmentDitchRow::startDikeWidth,
         &EmbankmentDitchRow::startDikeThickness, &EmbankmentDitchRow::endStation,
         &EmbankmentDitchRow::endBermWidth, &EmbankmentDitchRow::endBermThickness,
         &EmbankmentDitchRow::endBottomWidth, &EmbankmentDitchRow::endDepth,
         &EmbankmentDitchRow::endDikeWidth, &EmbankmentDitchRow::endDikeThickness,
         &EmbankmentDitchRow::innerSlope, &EmbankmentDitchRow::outerSlope,
         &EmbankmentDitchRow::dikeSlope, &EmbankmentDitchRow::bottomRadius},
        nullptr, kRadiusUpgrade);
    const std::vector<std::string> ditchHead{"分段终里程 double", "水沟底宽 double precision",
                                             "沟深 double precision"};
    const std::vector<std::string> ditchTail{"浆砌厚度 double precision",
                                             "沟底半径 double precision"};
    auto ditchLeft = ditchHead, ditchRight = ditchHead;
    ditchLeft.insert(ditchLeft.end(), {"左侧边坡 double precision", "右侧边坡 double precision"});
    ditchRight.insert(ditchRight.end(), {"内侧边坡 double precision", "外侧边坡 double precision"});
    ditchLeft.insert(ditchLeft.end(), ditchTail.begin(), ditchTail.end());
    ditchRight.insert(ditchRight.end(), ditchTail.begin(), ditchTail.end());
    Rows<SideDitchRow>(kSideDitchTable, S, ditchLeft, ditchRight, HDMJM_SIDE(sideDitches),
                       {&SideDitchRow::endStation, &SideDitchRow::bottomWidth, &SideDitchRow::depth,
                        &SideDitchRow::slope1, &SideDitchRow::slope2,
                        &SideDitchRow::liningThickness, &SideDitchRow::bottomRadius},
                       [](double, double end) { return SideDitchRow{end, 0.3, 0.4, 0.6, 1, 1, 0}; });
    Rows<InterceptDitchRow>(
        kInterceptDitchTable, S,
        {"分段起里程 double", "起始边距 double precision", "起始水沟深 double precision",
         "起始水沟底宽 double precision", "分段终里程 double", "终止边距 double precision",
         "终止水沟深 double precision", "终止水沟底宽 double precision",
         "内侧边坡 double precision", "外侧边坡 double precision", "浆砌厚度 double precision",
         "沟底半径 double precision"},
        {}, HDMJM_SIDE(interceptDitches),
        {&InterceptDitchRow::startStation, &InterceptDitchRow::startEdgeDistance,
         &InterceptDitchRow::startDepth, &InterceptDitchRow::startBottomWidth,
         &InterceptDitchRow::endStation, &InterceptDitchRow::endEdgeDistance,
         &InterceptDitchRow::endDepth, &InterceptDitchRow::endBottomWidth,
         &InterceptDitchRow::innerSlope, &InterceptDitchRow::outerSlope,
         &InterceptDitchRow::liningThickness, &InterceptDitchRow::bottomRadius},
        nullptr, kRadiusUpgrade);

    // The coded columns and their labels.
    Find(kFillClassTable)->SetCodes("填料类型", kFillMaterials);
    Find(kArcSlopeTable)->SetCodes("设置位置", kArcPositions);
    Find(kTopsoilTable)->SetCodes("清表土性质", kTopsoilKinds);
    Find(kEmbankmentDitchTable)->SetCodes("坡脚墙", kDitchStructures);

    // Load order, with the progress positions set after each table.
    const auto step = [&](std::vector<TableStep>& order, std::string_view name, Side side,
                          int p1 = -1, int p2 = -1) {
      order.push_back({Find(name), side, {p1, p2}});
    };
    const auto L = kLeft, Rt = kRight;
    auto& l = loadOrder;
    step(l, kCompactionTable, L);
    step(l, kFillClassTable, L, 2, 4);
    step(l, kLandAreaSegmentTable, L, 6, 8);
    step(l, kLandTypeTable, L, 10, 11);
    step(l, kCutClassTable, L, 12, 13);
    step(l, kCutClassTable, Rt, 12, 13);
    step(l, kAssocShoulderTable, L, 14, 15);
    step(l, kAssocCutFlattenTable, L, 15, 16);
    step(l, kAssocMedianDitchTable, L, 16, 17);
    const int leftMarks[][2] = {{18, 20}, {-1, -1}, {-1, -1}, {18, 20}, {-1, -1}, {-1, -1},
                                {-1, -1}, {-1, -1}, {22, 24}, {30, 32}, {34, 36}, {38, 40},
                                {42, 44}, {46, 48}, {50, 52}, {54, 56}, {58, 60}};
    const std::string_view leftTables[] = {kDitchGradeTable,   kOverfillWidthTable,     kArcSlopeTable,       kTopsoilTable,
                                kRetainingWallTable,     kAutoFillTable, kAutoFlattenTable,
                                kAutoShoulderTable, kPavementTable, kGroundInterpTable,
                                kWidthLimitTable, kLandWideningTable, kEmbankmentSlopeTable, kCutSlopeTable, kEmbankmentDitchTable,
                                kSideDitchTable, kInterceptDitchTable};
    for (int i = 0; i < 17; ++i) step(l, leftTables[i], L, leftMarks[i][0], leftMarks[i][1]);
    const int rightMarks[][2] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1},
                                 {-1, -1}, {-1, -1}, {62, 64}, {68, 70}, {74, 76}, {78, 80},
                                 {82, 84}, {86, 88}, {90, 92}, {94, 96}, {98, 100}};
    const std::string_view rightTables[] = {kDitchGradeTable, kOverfillWidthTable, kArcSlopeTable, kRetainingWallTable, kAutoFillTable,
                                 kAutoFlattenTable, kAutoShoulderTable, kTopsoilTable,
                                 kPavementTable, kGroundInterpTable, kWidthLimitTable, kLandWideningTable,
                                 kEmbankmentSlopeTable, kCutSlopeTable, kEmbankmentDitchTable, kSideDitchTable, kInterceptDitchTable};
    for (int i = 0; i < 17; ++i) step(l, rightTables[i], Rt, rightMarks[i][0], rightMarks[i][1]);

    auto& s = saveOrder;
    for (std::string_view name : {kFillClassTable, kCompactionTable, kLandAreaSegmentTable, kLandTypeTable})
      step(s, name, L);
    step(s, kCutClassTable, L);
    step(s, kCutClassTable, Rt);
    for (std::string_view name : {kAssocShoulderTable, kAssocCutFlattenTable, kAssocMedianDitchTable})
      step(s, name, L);
    const std::string_view sideSave[] = {kDitchGradeTable, kOverfillWidthTable, kArcSlopeTable, kRetainingWallTable, kAutoFillTable,
                              kAutoFlattenTable, kAutoShoulderTable, kPavementTable,
                              kGroundInterpTable, kWidthLimitTable, kLandWideningTable, kEmbankmentSlopeTable, kCutSlopeTable,
                              kEmbankmentDitchTable, kSideDitchTable, kInterceptDitchTable};
    step(s, kTopsoilTable, L);
    for (std::string_view name : sideSave) step(s, name, L);
    for (std::string_view name : sideSave) step(s, name, Rt);
    step(s, kTopsoilTable, Rt);

    // Each table once, in the order it is first loaded.
    tables.clear();
    for (const auto& t : loadOrder)
      if (std::find(tables.begin(), tables.end(), t.table) == tables.end())
        tables.push_back(t.table);
  }
};

#undef HDMJM_SIDE
#undef HDMJM_WHOLE

const Catalogue& TheCatalogue() {
  static const Catalogue catalogue;
  return catalogue;
}

}  // namespace

const std::vector<TableStep>& LoadOrder() { return TheCatalogue().loadOrder; }
const std::vector<TableStep>& SaveOrder() { return TheCatalogue().saveOrder; }
const std::vector<const TableDesc*>& AllTables() { return TheCatalogue().tables; }
const TableDesc* FindTable(std::string_view baseName) { return TheCatalogue().Find(baseName); }

}  // namespace hdmjm
