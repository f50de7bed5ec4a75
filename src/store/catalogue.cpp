#include "catalogue.h"

#include <algorithm>
#include <memory>

#include "field_text.h"
#include "row_hash.h"
#include "row_table.h"

namespace hdmjm {
namespace {

// The column name of a definition: its first word.
std::string ColumnName(std::string_view definition) {
  const auto begin = definition.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  const auto end = definition.find(' ', begin);
  return std::string(definition.substr(begin, end == std::string_view::npos ? end : end - begin));
}

// 松方压实系数 numbers its one row itself; the other tables number theirs automatically.
std::vector<std::string> WithKeyColumns(TableScope scope, std::vector<std::string> data) {
  const std::string serial(kSerialColumn);
  if (scope == TableScope::Scheme) {
    data.insert(data.begin(), serial + " INTEGER");
    return data;
  }
  data.insert(data.begin(), {serial + " INTEGER identity", std::string(kRoadColumn) + " VARCHAR"});
  return data;
}

// One step of the load order with the progress positions set after it.
struct LoadStep {
  std::string_view table;
  Side side;
  int marks[2] = {-1, -1};
};

constexpr LoadStep kLoadSteps[] = {
    {kCompactionTable, kLeft},
    {kFillClassTable, kLeft, {2, 4}},
    {kLandAreaSegmentTable, kLeft, {6, 8}},
    {kLandTypeTable, kLeft, {10, 11}},
    {kCutClassTable, kLeft, {12, 13}},
    {kCutClassTable, kRight, {12, 13}},
    {kAssocShoulderTable, kLeft, {14, 15}},
    {kAssocCutFlattenTable, kLeft, {15, 16}},
    {kAssocMedianDitchTable, kLeft, {16, 17}},
    {kDitchGradeTable, kLeft, {18, 20}},
    {kOverfillWidthTable, kLeft},
    {kArcSlopeTable, kLeft},
    {kTopsoilTable, kLeft, {18, 20}},
    {kRetainingWallTable, kLeft},
    {kAutoFillTable, kLeft},
    {kAutoFlattenTable, kLeft},
    {kAutoShoulderTable, kLeft},
    {kPavementTable, kLeft, {22, 24}},
    {kGroundInterpTable, kLeft, {30, 32}},
    {kWidthLimitTable, kLeft, {34, 36}},
    {kLandWideningTable, kLeft, {38, 40}},
    {kEmbankmentSlopeTable, kLeft, {42, 44}},
    {kCutSlopeTable, kLeft, {46, 48}},
    {kEmbankmentDitchTable, kLeft, {50, 52}},
    {kSideDitchTable, kLeft, {54, 56}},
    {kInterceptDitchTable, kLeft, {58, 60}},
    {kDitchGradeTable, kRight},
    {kOverfillWidthTable, kRight},
    {kArcSlopeTable, kRight},
    {kRetainingWallTable, kRight},
    {kAutoFillTable, kRight},
    {kAutoFlattenTable, kRight},
    {kAutoShoulderTable, kRight},
    {kTopsoilTable, kRight},
    {kPavementTable, kRight, {62, 64}},
    {kGroundInterpTable, kRight, {68, 70}},
    {kWidthLimitTable, kRight, {74, 76}},
    {kLandWideningTable, kRight, {78, 80}},
    {kEmbankmentSlopeTable, kRight, {82, 84}},
    {kCutSlopeTable, kRight, {86, 88}},
    {kEmbankmentDitchTable, kRight, {90, 92}},
    {kSideDitchTable, kRight, {94, 96}},
    {kInterceptDitchTable, kRight, {98, 100}},
};

// The whole-road tables first, then 左清表土厚度, the other side tables of the left and of the
// right in this order, and 右清表土厚度 last.
constexpr std::pair<std::string_view, Side> kWholeRoadSaves[] = {
    {kFillClassTable, kLeft},     {kCompactionTable, kLeft},      {kLandAreaSegmentTable, kLeft},
    {kLandTypeTable, kLeft},      {kCutClassTable, kLeft},        {kCutClassTable, kRight},
    {kAssocShoulderTable, kLeft}, {kAssocCutFlattenTable, kLeft}, {kAssocMedianDitchTable, kLeft},
};
constexpr std::string_view kSideSaves[] = {
    kDitchGradeTable,   kOverfillWidthTable,   kArcSlopeTable,     kRetainingWallTable,
    kAutoFillTable,     kAutoFlattenTable,     kAutoShoulderTable, kPavementTable,
    kGroundInterpTable, kWidthLimitTable,      kLandWideningTable, kEmbankmentSlopeTable,
    kCutSlopeTable,     kEmbankmentDitchTable, kSideDitchTable,    kInterceptDitchTable,
};

struct Catalogue {
  std::vector<std::unique_ptr<TableDesc>> owned = ParameterTables();
  std::unique_ptr<TableDesc> chainBreaks = ChainBreakTableDesc();
  std::vector<const TableDesc*> tables;  // in the order first loaded
  std::vector<TableStep> loadOrder;
  std::vector<TableStep> saveOrder;

  const TableDesc* Find(std::string_view name) const {
    for (const auto& table : owned)
      if (table->BaseName() == name) return table.get();
    return nullptr;
  }

  Catalogue() {
    for (const LoadStep& step : kLoadSteps) {
      const TableDesc* table = Find(step.table);
      loadOrder.push_back({table, step.side, {step.marks[0], step.marks[1]}});
      if (std::find(tables.begin(), tables.end(), table) == tables.end()) tables.push_back(table);
    }
    const auto save = [&](std::string_view name, Side side) {
      saveOrder.push_back({Find(name), side, {-1, -1}});
    };
    for (const auto& [name, side] : kWholeRoadSaves) save(name, side);
    save(kTopsoilTable, kLeft);
    for (Side side : {kLeft, kRight})
      for (std::string_view name : kSideSaves) save(name, side);
    save(kTopsoilTable, kRight);
  }
};

const Catalogue& TheCatalogue() {
  static const Catalogue catalogue;
  return catalogue;
}

}  // namespace

TableDesc::TableDesc(std::string baseName, TableScope scope, std::vector<std::string> left,
                     std::vector<std::string> right)
    : baseName_(std::move(baseName)), scope_(scope) {
  definitions_[kLeft] = WithKeyColumns(scope, std::move(left));
  definitions_[kRight] =
      right.empty() ? definitions_[kLeft] : WithKeyColumns(scope, std::move(right));
}

std::string TableDesc::Name(Side side) const {
  if (scope_ != TableScope::Side) return baseName_;
  return (side == kLeft ? "左" : "右") + baseName_;
}

const std::vector<std::string>& TableDesc::ColumnDefinitions(Side side) const {
  return definitions_[side];
}

std::string TableDesc::CreateStatement(Side side) const {
  std::string statement = "create table " + Name(side) + " (";
  const auto& definitions = definitions_[side];
  for (size_t i = 0; i < definitions.size(); ++i) {
    if (i > 0) statement += ',';
    statement += definitions[i];
  }
  return statement + ")";
}

const std::vector<DataColumn>& TableDesc::DataColumns(Side side) const {
  return dataColumns_[side];
}

int TableDesc::ColumnIndex(Side side, std::string_view name) const {
  const auto& columns = dataColumns_[side];
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == name) return static_cast<int>(i);
  return -1;
}

int TableDesc::Capacity() const { return 1 << 30; }

void TableDesc::GetReals(const RoadSectionStore& store, Side side, std::span<const int> columns,
                         std::vector<double>& out) const {
  for (int row = 0, rows = RowCount(store, side); row < rows; ++row)
    for (int column : columns) out.push_back(RealOf(Get(store, side, row, column)));
}

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

int TableDesc::ColumnsAtMost(double) const { return static_cast<int>(dataColumns_[kLeft].size()); }

std::vector<std::vector<FieldValue>> TableDesc::Rows(const RoadSectionStore& store,
                                                     Side side) const {
  std::vector<std::vector<FieldValue>> rows(RowCount(store, side));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row)
    for (int c = 0; c < ColumnsInUse(store, side, row); ++c)
      rows[row].push_back(Get(store, side, row, c));
  return rows;
}

std::uint64_t TableDesc::HashRow(const RoadSectionStore& store, Side side, int row) const {
  RowHasher hasher;
  const int inUse = ColumnsInUse(store, side, row);
  hasher.Add(inUse);
  for (int c = 0; c < inUse; ++c)
    std::visit([&](const auto& value) { hasher.Add(value); }, Get(store, side, row, c));
  return hasher.Value();
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

void TableDesc::SetDisplay(int column, const CodeSet* codes, int decimals) {
  for (auto& columns : dataColumns_) {
    columns.at(column).codes = codes;
    columns.at(column).decimals = decimals;
  }
}

const std::vector<TableStep>& LoadOrder() { return TheCatalogue().loadOrder; }
const std::vector<TableStep>& SaveOrder() { return TheCatalogue().saveOrder; }
const std::vector<const TableDesc*>& AllTables() { return TheCatalogue().tables; }
const TableDesc* FindTable(std::string_view baseName) { return TheCatalogue().Find(baseName); }
const TableDesc& ChainBreakTable() { return *TheCatalogue().chainBreaks; }

void SetDefaults(RoadSectionStore& record, RoadExtent extent) {
  for (const TableStep& step : LoadOrder())
    step.table->SetDefault(record, step.side, extent.start, extent.end);
}

}  // namespace hdmjm
