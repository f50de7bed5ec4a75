// The one description of the scheme database's parameter tables. Loading, saving, creating,
// copying between sides and dumping all walk this catalogue; no table has code of its own.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "coded_values.h"
#include "records.h"
#include "stored_value.h"

namespace hdmjm {

enum class TableScope {
  Scheme,  // 松方压实系数: one row for every road, no 道路名 column
  Road,    // one table for the whole road
  Side,    // one table per side, 左… and 右…
};

struct DataColumn {
  std::string name;  // database column name
  FieldKind kind;
  const CodeSet* codes = nullptr;  // the labels of a Code column; null for the other kinds
  int decimals = -1;               // -1: shown through FormatCellNumber; else fixed decimals
};

class TableDesc {
 public:
  virtual ~TableDesc() = default;

  std::string_view BaseName() const { return baseName_; }  // 侧沟; whole tables: their name
  TableScope Scope() const { return scope_; }
  // The database table: 左侧沟 / 右侧沟; tables without side ignore the argument.
  std::string Name(Side side) const;
  // The column definitions of the creation statement, 序号 and 道路名 included, as written.
  const std::vector<std::string>& ColumnDefinitions(Side side) const;
  // "create table NAME (def,def,...)".
  std::string CreateStatement(Side side) const;
  // Index of the first column that feeds the record: 2, or 1 for 松方压实系数.
  int FirstDataColumn() const { return scope_ == TableScope::Scheme ? 1 : 2; }
  // The columns from FirstDataColumn on, in column order, with the kind of field each feeds.
  const std::vector<DataColumn>& DataColumns(Side side) const;
  // Index among DataColumns of the column named `name`; -1 when the table has none.
  int ColumnIndex(Side side, std::string_view name) const;
  bool IsSlope() const { return isSlope_; }
  // 排水沟 and 天沟 gain 沟底半径 (their last column) when an older table lacks it.
  bool HasRadiusUpgrade() const { return hasRadiusUpgrade_; }
  // 用地面积汇总分段表: older tables lack the last column; its field then stays empty.
  bool LastColumnOptional() const { return lastColumnOptional_; }

  virtual int RowCount(const RoadSectionStore& store, Side side) const = 0;
  // Most rows the record can hold (slope tables: 300).
  virtual int Capacity() const;
  // Sets the row count; new rows are zero.
  virtual void Resize(RoadSectionStore& store, Side side, int rows) const = 0;
  // Gives back the room the rows grew into while they were read one by one.
  virtual void Fit(RoadSectionStore&, Side) const {}
  // How many data columns a row uses: all of them, but for a slope row 2 + 4 × its level count.
  virtual int ColumnsInUse(const RoadSectionStore& store, Side side, int row) const;
  // The data column whose value tells how many columns a row uses (a slope row's 边坡总级数),
  // -1 when every row uses all; and the most columns a row uses when that column holds at most
  // `greatest` in every row.
  virtual int CountColumn() const { return -1; }
  virtual int ColumnsAtMost(double greatest) const;
  // Field of data column `column` (0-based among DataColumns) of row `row`.
  virtual FieldValue Get(const RoadSectionStore& store, Side side, int row, int column) const = 0;
  // The real data columns `columns` of every row, row after row, appended to `out`: what Get
  // gives, read in one sweep (the checks read every value of every road).
  virtual void GetReals(const RoadSectionStore& store, Side side, std::span<const int> columns,
                        std::vector<double>& out) const;
  // The hash of row `row`'s fields in use (RowHasher), what Get gives, in one sweep: a save
  // compares every row of every road.
  virtual std::uint64_t HashRow(const RoadSectionStore& store, Side side, int row) const;
  virtual void Set(RoadSectionStore& store, Side side, int row, int column,
                   const FieldValue& value) const = 0;
  // The content of a table the database lacks (start and end: the road's stations).
  virtual void SetDefault(RoadSectionStore& store, Side side, double start, double end) const = 0;
  // Replaces the table of side `to` by a copy of side `from`.
  virtual void CopySide(RoadSectionStore& store, Side from, Side to) const = 0;
  // The rows of side `side`, each its values in use in column order: what ReplaceRows takes.
  std::vector<std::vector<FieldValue>> Rows(const RoadSectionStore& store, Side side) const;
  // Replaces the rows of side `side` by `rows`, each a value per data column in column order.
  // The new rows are built before the old ones go: when an allocation fails (std::bad_alloc
  // propagates) the table is as it was.
  virtual void ReplaceRows(RoadSectionStore& store, Side side,
                           const std::vector<std::vector<FieldValue>>& rows) const;

 protected:
  // Definitions of the columns from FirstDataColumn on; an empty right list means as left.
  TableDesc(std::string baseName, TableScope scope, std::vector<std::string> leftDefinitions,
            std::vector<std::string> rightDefinitions);
  // Names the data columns from the definitions, with the kind of field each feeds.
  void SetKinds(const std::vector<FieldKind>& kinds);
  // Gives data column `column` (both sides) the labels of its codes and its decimals.
  void SetDisplay(int column, const CodeSet* codes, int decimals);
  bool isSlope_ = false;
  bool hasRadiusUpgrade_ = false;
  bool lastColumnOptional_ = false;

 private:
  std::string baseName_;
  TableScope scope_;
  PerSide<std::vector<std::string>> definitions_;
  PerSide<std::vector<DataColumn>> dataColumns_;
};

// One table of one side in the order a road is loaded or saved, with the progress positions
// set after loading it (−1: none).
struct TableStep {
  const TableDesc* table;
  Side side;
  int progress[2];
};

const std::vector<TableStep>& LoadOrder();  // 43 steps
const std::vector<TableStep>& SaveOrder();  // 43 steps
// Each parameter table once, in load order; FindTable by base name (侧沟, 填方分类, ...), null
// if none.
const std::vector<const TableDesc*>& AllTables();
const TableDesc* FindTable(std::string_view baseName);
// 断链表: the road list and each road's stations, into the record's chainBreaks. It is read,
// and written only when a scheme file is made; it is none of the parameter tables.
const TableDesc& ChainBreakTable();

// Every table of the record with its content for a table the database lacks.
void SetDefaults(RoadSectionStore& record, RoadExtent extent);

// The tables by base name: a side table is named 左… / 右… + its base name. Code names a table
// only through these; FindTable of any of them finds its description.
inline constexpr std::string_view kCompactionTable = "松方压实系数";
inline constexpr std::string_view kFillClassTable = "填方分类";
inline constexpr std::string_view kLandAreaSegmentTable = "用地面积汇总分段表";
inline constexpr std::string_view kLandTypeTable = "用地类型表";
inline constexpr std::string_view kCutClassTable = "挖方分类";
inline constexpr std::string_view kAssocShoulderTable = "关联断面路肩拉直";
inline constexpr std::string_view kAssocCutFlattenTable = "关联断面路堑边坡推平";
inline constexpr std::string_view kAssocMedianDitchTable = "关联断面线间沟";
inline constexpr std::string_view kDitchGradeTable = "沟底坡";
inline constexpr std::string_view kOverfillWidthTable = "超填宽度表";
inline constexpr std::string_view kArcSlopeTable = "弧形边坡表";
inline constexpr std::string_view kTopsoilTable = "清表土厚度";
inline constexpr std::string_view kRetainingWallTable = "挡墙";
inline constexpr std::string_view kAutoFillTable = "低填路堤自动填平";
inline constexpr std::string_view kAutoFlattenTable = "低挖路堑自动推平";
inline constexpr std::string_view kAutoShoulderTable = "低填路堤自动加宽土路肩";
inline constexpr std::string_view kPavementTable = "路面厚度";
inline constexpr std::string_view kGroundInterpTable = "地面线内插宽";
inline constexpr std::string_view kWidthLimitTable = "横断面限制宽度";
inline constexpr std::string_view kLandWideningTable = "用地加宽";
inline constexpr std::string_view kEmbankmentSlopeTable = "路堤边坡";
inline constexpr std::string_view kCutSlopeTable = "路堑边坡";
inline constexpr std::string_view kEmbankmentDitchTable = "排水沟";
inline constexpr std::string_view kSideDitchTable = "侧沟";
inline constexpr std::string_view kInterceptDitchTable = "天沟";

inline constexpr std::string_view kChainBreakTable = "断链表";

// 挖方分类 without side is the older table a side's cut classes fall back to.
inline constexpr std::string_view kLegacyCutClassTable = kCutClassTable;
inline constexpr std::string_view kRadiusColumn = "沟底半径";
// The columns before the data: the row number, and the road (in all but 松方压实系数).
inline constexpr std::string_view kSerialColumn = "序号";
inline constexpr std::string_view kRoadColumn = "道路名";
// The road every scheme has; the road list shows it first.
inline constexpr std::string_view kMainLine = "主线";

}  // namespace hdmjm
