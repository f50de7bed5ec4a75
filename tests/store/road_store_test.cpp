// Loading and saving a road through the table catalogue, on databases built here from SQL.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/catalogue.h"
#include "store/records.h"
#include "store/scheme.h"
#include "test_support.h"

namespace hdmjm {
namespace {

using test::QuerySql;
using test::Recorders;
using test::RunSql;
using test::ScratchDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using test::ChainBreakRowSql;
constexpr const char* kChainBreakTable = test::kChainBreakTableSql;

class RoadStoreTest : public ::testing::Test {
 protected:
  RoadStoreTest() : db_(dir_.File("scheme.mdb")) {}

  // A database with 主线 running from 100 to 2500 and nothing else.
  void MakeScheme(std::initializer_list<std::string> more = {}) {
    RunSql(db_, {kChainBreakTable, ChainBreakRowSql("主线", 100, 1200),
                 ChainBreakRowSql("主线", 1250, 2500)});
    for (const auto& statement : more) RunSql(db_, {statement});
  }

  std::unique_ptr<RoadSectionStore> Load(const std::string& road = "主线") {
    auto store = std::make_unique<RoadSectionStore>();
    store->databasePath = db_;
    store->roadName = road;
    LoadRoad(*store, db_, road, recorders_.services());
    return store;
  }

  ScratchDir dir_;
  std::string db_;
  Recorders recorders_;
};

// Fills every table of a record with rows derived from `seed`, so two records differ.
void FillEveryTable(RoadSectionStore& store, double seed) {
  for (const TableDesc* table : AllTables()) {
    for (Side side : {kLeft, kRight}) {
      const int rows = table->IsSlope() ? 3 : 2;
      table->Resize(store, side, rows);
      for (int row = 0; row < table->RowCount(store, side); ++row) {
        const auto& columns = table->DataColumns(side);
        if (table->IsSlope()) table->Set(store, side, row, 1, 1 + row);
        for (int c = 0; c < table->ColumnsInUse(store, side, row); ++c) {
          if (table->IsSlope() && c == 1) continue;
          const double value = seed + side * 1000 + row * 10 + c + 0.125;
          switch (columns[c].kind) {
            case FieldKind::Real:
              table->Set(store, side, row, c, value);
              break;
            case FieldKind::Code:
              table->Set(store, side, row, c, (row + c) % 2);
              break;
            case FieldKind::Count:
              break;  // the level count, set above
            case FieldKind::Text:
              table->Set(store, side, row, c, "备注'" + std::to_string(row));
              break;
          }
        }
      }
    }
  }
}

void ExpectSameTables(const RoadSectionStore& a, const RoadSectionStore& b) {
  for (const TableDesc* table : AllTables()) {
    for (Side side : {kLeft, kRight}) {
      ASSERT_EQ(table->RowCount(a, side), table->RowCount(b, side)) << table->Name(side);
      for (int row = 0; row < table->RowCount(a, side); ++row) {
        ASSERT_EQ(table->ColumnsInUse(a, side, row), table->ColumnsInUse(b, side, row));
        for (int c = 0; c < table->ColumnsInUse(a, side, row); ++c)
          EXPECT_EQ(table->Get(a, side, row, c), table->Get(b, side, row, c))
              << table->Name(side) << " row " << row << " column " << c;
      }
    }
  }
}

TEST_F(RoadStoreTest, SavingThenLoadingGivesBackTheSameRecord) {
  MakeScheme();
  RoadSectionStore original;
  original.databasePath = db_;
  FillEveryTable(original, 10);
  ASSERT_TRUE(SaveRoad(original, db_, "主线", recorders_.services()));
  auto loaded = Load();
  ExpectSameTables(original, *loaded);
  EXPECT_TRUE(recorders_.messages.texts.empty());
  // The forced top level reaches the record itself.
  EXPECT_EQ(original.embankmentSlopes[kLeft].rows[2].levels[2].maxHeight, 100);
  EXPECT_EQ(original.cutSlopes[kRight].rows[0].levels[0].maxHeight, 100);
}

TEST_F(RoadStoreTest, FirstSaveCreatesEveryTableWithItsColumnsAndSecondSaveCreatesNothing) {
  MakeScheme();
  auto store = Load();
  ASSERT_TRUE(SaveRoad(*store, db_, "主线", recorders_.services()));
  for (const TableStep& step : SaveOrder()) {
    const auto name = step.table->Name(step.side);
    const auto columns = QuerySql(db_, "select name from pragma_table_info('" + name + "')");
    const auto& definitions = step.table->ColumnDefinitions(step.side);
    ASSERT_EQ(columns.size(), definitions.size()) << name;
    EXPECT_EQ(columns[0][0], "序号") << name;
  }
  const auto tables = QuerySql(db_,
                               "select count(*) from sqlite_master where type='table' and "
                               "name not like 'sqlite_%'");
  EXPECT_EQ(tables[0][0], std::to_string(SaveOrder().size() + 1));
  const auto slope = QuerySql(db_, "select name from pragma_table_info('左路堤边坡')");
  ASSERT_EQ(slope.size(), 124u);
  EXPECT_EQ(slope[4][0], "1级边坡系数");
  EXPECT_EQ(slope[123][0], "30级平台横坡");
  EXPECT_EQ(QuerySql(db_, "select name from pragma_table_info('用地面积汇总分段表')")[3][0],
            "备注");

  ASSERT_TRUE(SaveRoad(*store, db_, "主线", recorders_.services()));
  EXPECT_EQ(QuerySql(db_,
                     "select count(*) from sqlite_master where type='table' and "
                     "name not like 'sqlite_%'")[0][0],
            tables[0][0]);
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟")[0][0], "1");
}

TEST_F(RoadStoreTest, MissingTablesGetTheDefaultsWithTheRoadsStations) {
  MakeScheme();
  auto store = Load();
  EXPECT_EQ(store->compaction, (CompactionFactors{1.23, 1.16, 1.09, 0.92, 0.92, 0.92}));
  for (Side side : {kLeft, kRight}) {
    EXPECT_THAT(store->cutClasses[side], ElementsAre(CutClassRow{2500, 0, 0, 100, 0, 0, 0}));
    EXPECT_THAT(store->topsoil[side], ElementsAre(TopsoilRow{2500, 0, 0}));
    EXPECT_THAT(store->pavements[side], ElementsAre(PavementRow{2500, 0.5, 0.25, 0.1}));
    EXPECT_THAT(store->groundInterps[side], ElementsAre(GroundInterpRow{2500, 100}));
    EXPECT_THAT(store->widthLimits[side], ElementsAre(WidthLimitRow{2500, 100}));
    EXPECT_THAT(store->sideDitches[side], ElementsAre(SideDitchRow{2500, 0.3, 0.4, 0.6, 1, 1, 0}));
    ASSERT_EQ(store->embankmentSlopes[side].Count(), 1);
    const auto& fill = store->embankmentSlopes[side].rows[0];
    EXPECT_EQ(fill.endStation, 2500);
    EXPECT_EQ(fill.levelCount, 3);
    EXPECT_EQ(fill.levels[1], (SlopeLevel{1.75, 10, 1, 0}));
    EXPECT_EQ(store->cutSlopes[side].rows[0].levels[2], (SlopeLevel{1.5, 100, 1, 0}));
    EXPECT_TRUE(store->landWidenings[side].empty());
    EXPECT_TRUE(store->embankmentDitches[side].empty());
    EXPECT_TRUE(store->retainingWalls[side].empty());
  }
  EXPECT_THAT(store->assocShoulders, ElementsAre(AssocShoulderRow{100, 2500, 5, 1}));
  EXPECT_THAT(store->assocCutFlattens, ElementsAre(AssocCutFlattenRow{100, 2500, 5}));
  ASSERT_EQ(store->assocMedianDitches.size(), 1u);
  EXPECT_EQ(store->assocMedianDitches[0], (AssocMedianDitchRow{100, 2500, 0.2, 1, 0.5, 0, 0, 0}));
  EXPECT_TRUE(store->fillClasses.empty());
  const auto& positions = recorders_.progress.positions;
  EXPECT_EQ(positions.front(), 0);
  EXPECT_EQ(positions.back(), 100);
  EXPECT_THAT(positions, ::testing::Each(::testing::AllOf(::testing::Ge(0), ::testing::Le(100))));
}

TEST_F(RoadStoreTest, EachSideIsReadByItsOwnColumnNames) {
  MakeScheme(
      {"create table 左路面厚度 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程数 double, "
       "车行道厚 double, 硬路肩厚 double, 土路肩厚 double)",
       "create table 右路面厚度 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
       "车行道厚 double, 硬路肩厚 double, 土路肩厚 double)",
       "insert into 左路面厚度 (道路名, 分段终里程数, 车行道厚, 硬路肩厚, 土路肩厚) values "
       "('主线', 900, 0.7, 0.3, 0.2)",
       "insert into 右路面厚度 (道路名, 分段终里程, 车行道厚, 硬路肩厚, 土路肩厚) values "
       "('主线', 800, 0.6, 0.35, 0.15)",
       "create table 右侧沟 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
       "水沟底宽 double, 沟深 double, 内侧边坡 double, 外侧边坡 double, 浆砌厚度 double, "
       "沟底半径 double)",
       "insert into 右侧沟 (道路名, 分段终里程, 水沟底宽, 沟深, 内侧边坡, 外侧边坡, 浆砌厚度, "
       "沟底半径) values ('主线', 700, 0.5, 0.8, 1.5, 0.75, 0.25, 0.1)"});
  auto store = Load();
  EXPECT_THAT(store->pavements[kLeft], ElementsAre(PavementRow{900, 0.7, 0.3, 0.2}));
  EXPECT_THAT(store->pavements[kRight], ElementsAre(PavementRow{800, 0.6, 0.35, 0.15}));
  EXPECT_THAT(store->sideDitches[kRight],
              ElementsAre(SideDitchRow{700, 0.25, 0.5, 0.8, 1.5, 0.75, 0.1}));
  // The left side ditch has no table: its default row.
  EXPECT_THAT(store->sideDitches[kLeft], ElementsAre(SideDitchRow{2500, 0.3, 0.4, 0.6, 1, 1, 0}));
}

TEST_F(RoadStoreTest, CutClassificationFallsBackToTheSidelessTableAndSavesPerSide) {
  MakeScheme(
      {"create table 挖方分类 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
       "I百分比 double, II百分比 double, III百分比 double, IV百分比 double, V百分比 double, "
       "VI百分比 double)",
       "insert into 挖方分类 (道路名, 分段终里程, I百分比, II百分比, III百分比, IV百分比, "
       "V百分比, VI百分比) values ('主线', 2000, 10, 20, 30, 40, 0, 0)"});
  auto store = Load();
  const CutClassRow expected{2000, 10, 20, 30, 40, 0, 0};
  EXPECT_THAT(store->cutClasses[kLeft], ElementsAre(expected));
  EXPECT_THAT(store->cutClasses[kRight], ElementsAre(expected));
  ASSERT_TRUE(SaveRoad(*store, db_, "主线", recorders_.services()));
  EXPECT_EQ(QuerySql(db_, "select 分段终里程 from 左挖方分类")[0][0], "2000.0");
  EXPECT_EQ(QuerySql(db_, "select count(*) from 右挖方分类")[0][0], "1");
  EXPECT_EQ(QuerySql(db_, "select count(*) from 挖方分类")[0][0], "1");
}

constexpr const char* kOldInterceptDitch =
    "create table 左天沟 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段起里程 double, 起始边距 "
    "double, "
    "起始水沟深 double, 起始水沟底宽 double, 分段终里程 double, 终止边距 double, 终止水沟深 "
    "double, "
    "终止水沟底宽 double, 内侧边坡 double, 外侧边坡 double, 浆砌厚度 double)";

TEST_F(RoadStoreTest, ReadInGroupsAnOlderDitchTableGainsTheRadiusColumnForEveryRoad) {
  MakeScheme({kOldInterceptDitch, ChainBreakRowSql("支线", 0, 10),
              "insert into 左天沟 (道路名, 分段起里程) values ('主线', 100), ('支线', 5)"});
  std::vector<std::string> names;
  ASSERT_TRUE(SchemeStore(recorders_.services()).OpenInGroups(db_, 1, [&](auto& group) {
    for (const auto& record : group) {
      names.push_back(record->roadName);
      EXPECT_TRUE(record->LoadedWhole()) << record->roadName;
    }
  }));
  EXPECT_EQ(names, (std::vector<std::string>{"主线", "支线"}));  // a group each
  EXPECT_EQ(QuerySql(db_, "select 道路名, 沟底半径 from 左天沟 order by 道路名"),
            (std::vector<std::vector<std::string>>{{"主线", "0.0"}, {"支线", "0.0"}}));
  EXPECT_TRUE(recorders_.messages.texts.empty());
}

TEST_F(RoadStoreTest, AnOlderDitchTableGainsTheRadiusColumnOnLoad) {
  MakeScheme(
      {kOldInterceptDitch,
       "insert into 左天沟 (道路名, 分段起里程, 起始边距, 起始水沟深, 起始水沟底宽, 分段终里程, "
       "终止边距, 终止水沟深, 终止水沟底宽, 内侧边坡, 外侧边坡, 浆砌厚度) values "
       "('主线', 100, 2, 0.5, 0.4, 900, 2, 0.5, 0.4, 1, 1, 0.3)",
       "insert into 左天沟 (道路名, 分段起里程, 浆砌厚度) values ('支线', 5, 0.2)"});
  auto store = Load();
  ASSERT_EQ(store->interceptDitches[kLeft].size(), 1u);
  EXPECT_EQ(store->interceptDitches[kLeft][0].liningThickness, 0.3);
  EXPECT_EQ(store->interceptDitches[kLeft][0].bottomRadius, 0);
  const auto columns = QuerySql(db_, "select name from pragma_table_info('左天沟')");
  ASSERT_EQ(columns.size(), 14u);
  EXPECT_EQ(columns[13][0], "沟底半径");
  EXPECT_EQ(QuerySql(db_, "select 沟底半径 from 左天沟 where 道路名='主线'")[0][0], "0.0");
  // A second load finds the column and alters nothing.
  Load();
  EXPECT_EQ(QuerySql(db_, "select count(*) from pragma_table_info('左天沟')")[0][0], "14");
  EXPECT_TRUE(recorders_.messages.texts.empty());
}

TEST_F(RoadStoreTest, AnOlderDitchTableGainsTheRadiusColumnOnSave) {
  MakeScheme({kOldInterceptDitch,
              "create table 右排水沟 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 坡脚墙 integer, "
              "浆砌厚度 double, 起始里程 double, 起始护坡道宽 double, 起始护坡道厚 double, "
              "起始水沟底宽 double, 起始水沟深 double, 起始挡水堰宽 double, 起始挡水堰厚 double, "
              "终止里程 double, 终止护坡道宽 double, 终止护坡道厚 double, 终止水沟底宽 double, "
              "终止水沟深 double, 终止挡水堰宽 double, 终止挡水堰厚 double, 内侧边坡 double, "
              "外侧边坡 double, 挡水堰坡 double)"});
  RoadSectionStore store;
  store.databasePath = db_;
  store.interceptDitches[kLeft] = {InterceptDitchRow{0, 50, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0.5}};
  ASSERT_TRUE(SaveRoad(store, db_, "主线", recorders_.services()));
  EXPECT_EQ(QuerySql(db_, "select 沟底半径 from 左天沟")[0][0], "0.5");
  EXPECT_EQ(QuerySql(db_, "select name from pragma_table_info('右排水沟')").back()[0], "沟底半径");
}

TEST_F(RoadStoreTest, ARoadNameWithAnApostropheLoadsAndSavesLikeAnyOther) {
  const std::string road = "O'Brien路";
  RunSql(db_, {kChainBreakTable,
               "insert into 断链表 (道路名, 等号左里程数, 等号右里程数) values "
               "('O''Brien路', 0, 800)"});
  RoadSectionStore store;
  store.databasePath = db_;
  store.widthLimits[kLeft] = {WidthLimitRow{300, 12}, WidthLimitRow{800, 14}};
  ASSERT_TRUE(SaveRoad(store, db_, road, recorders_.services()));
  ASSERT_TRUE(SaveRoad(store, db_, road, recorders_.services()));
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左横断面限制宽度")[0][0], "2");
  EXPECT_EQ(QuerySql(db_, "select 道路名 from 左横断面限制宽度")[0][0], road);
  auto loaded = Load(road);
  EXPECT_THAT(loaded->widthLimits[kLeft],
              ElementsAre(WidthLimitRow{300, 12}, WidthLimitRow{800, 14}));
  EXPECT_THAT(loaded->widthLimits[kRight], ElementsAre(WidthLimitRow{800, 100}));
}

TEST_F(RoadStoreTest, AFailedSaveLeavesTheRoadsPreviousRowsAndIsReported) {
  MakeScheme();
  RoadSectionStore first;
  first.databasePath = db_;
  first.widthLimits[kLeft] = {WidthLimitRow{2500, 30}};
  first.sideDitches[kRight] = {SideDitchRow{2500, 0.3, 0.4, 0.6, 1, 1, 0}};
  ASSERT_TRUE(SaveRoad(first, db_, "主线", recorders_.services()));
  // The last table written refuses every new row.
  RunSql(db_, {"create trigger refuse before insert on 右清表土厚度 begin "
               "select raise(abort, 'disk is full'); end"});
  RoadSectionStore second;
  second.databasePath = db_;
  second.widthLimits[kLeft] = {WidthLimitRow{1000, 11}, WidthLimitRow{2500, 12}};
  second.topsoil[kRight] = {TopsoilRow{2500, 0.3, 1}};
  EXPECT_FALSE(SaveRoad(second, db_, "主线", recorders_.services()));
  EXPECT_THAT(QuerySql(db_, "select 路基限宽 from 左横断面限制宽度"),
              ElementsAre(ElementsAre("30.0")));
  EXPECT_EQ(QuerySql(db_, "select count(*) from 右侧沟")[0][0], "1");
  EXPECT_FALSE(recorders_.trace.lines.empty());
}

TEST_F(RoadStoreTest, SavingALaterRoadKeepsOtherRoadsRowsAndOneCoefficientRow) {
  RunSql(db_,
         {kChainBreakTable, ChainBreakRowSql("主线", 0, 900), ChainBreakRowSql("支线", 0, 400)});
  RoadSectionStore main, branch;
  main.databasePath = branch.databasePath = db_;
  main.compaction = {1, 2, 3, 4, 5, 6};
  branch.compaction = {6, 5, 4, 3, 2, 1};
  main.sideDitches[kLeft] = {SideDitchRow{900, 0.3, 0.4, 0.6, 1, 1, 0}};
  ASSERT_TRUE(SaveRoad(main, db_, "主线", recorders_.services()));
  ASSERT_TRUE(SaveRoad(branch, db_, "支线", recorders_.services()));
  EXPECT_EQ(QuerySql(db_, "select count(*) from 松方压实系数")[0][0], "1");
  EXPECT_EQ(QuerySql(db_, "select 松土 from 松方压实系数")[0][0], "6.0");
  EXPECT_EQ(QuerySql(db_, "select 道路名 from 左侧沟")[0][0], "主线");
  EXPECT_EQ(Load("主线")->compaction, branch.compaction);
}

TEST_F(RoadStoreTest, SlopeRowsUseOnlyTheirLevelsAndKeepTheRestInMemory) {
  MakeScheme();
  RoadSectionStore store;
  store.databasePath = db_;
  SlopeTable& cut = store.cutSlopes[kLeft];
  cut.rows.resize(2);
  cut.rows[0].endStation = 800;
  cut.rows[0].levelCount = 2;
  cut.rows[0].levels[0] = {1, 8, 2, 4};
  cut.rows[0].levels[1] = {1.25, 8, 0, 0};
  cut.rows[0].levels[2] = {9, 9, 9, 9};  // not in use
  cut.rows[1].endStation = 2500;
  cut.rows[1].levelCount = 0;
  // A negative last height is a cut's arc radius: kept; on an embankment it becomes 100.
  store.cutSlopes[kRight] = cut;
  store.cutSlopes[kRight].rows[0].levels[1].maxHeight = -2;
  store.embankmentSlopes[kRight] = store.cutSlopes[kRight];
  ASSERT_TRUE(SaveRoad(store, db_, "主线", recorders_.services()));
  EXPECT_EQ(Load()->cutSlopes[kRight].rows[0].levels[1].maxHeight, -2);
  EXPECT_EQ(Load()->embankmentSlopes[kRight].rows[0].levels[1].maxHeight, 100);
  EXPECT_EQ(cut.rows[0].levels[1].maxHeight, 100);
  EXPECT_EQ(cut.rows[0].levels[2], (SlopeLevel{9, 9, 9, 9}));
  const auto saved = QuerySql(db_,
                              "select 边坡总级数, \"2级最大高度\", \"3级边坡系数\" from 左路堑边坡 "
                              "order by 序号");
  EXPECT_THAT(saved,
              ElementsAre(ElementsAre("2", "100.0", "NULL"), ElementsAre("0", "NULL", "NULL")));
  auto loaded = Load();
  EXPECT_EQ(loaded->cutSlopes[kLeft].Count(), 2);
  EXPECT_EQ(loaded->cutSlopes[kLeft].rows[0].levels[0], (SlopeLevel{1, 8, 2, 4}));
  EXPECT_EQ(loaded->cutSlopes[kLeft].rows[1].levelCount, 0);
}

// A segment holds only the levels it was given: one past them reads as zero, equality counts
// missing levels as zero ones, the level count alone drops none, and a load holds those in use.
TEST_F(RoadStoreTest, SlopeSegmentsHoldOnlyTheirLevels) {
  const SlopeLevel a{1, 8, 2, 4}, b{1.5, 100, 1, 0};
  const SlopeSegment two = test::MakeSlopeSegment(800, {a, b});
  EXPECT_EQ(two.levels[2], SlopeLevel{});
  const std::pair<SlopeLevels, bool> comparisons[] = {
      {{a, b}, true}, {{a, b, {}, {}}, true}, {{a}, false}, {{a, b, {0, 0, 0, 1}}, false}};
  for (const auto& [levels, equal] : comparisons)
    EXPECT_EQ(std::pair(levels == two.levels, two.levels == levels), std::pair(equal, equal));
  MakeScheme();
  const TableDesc& cuts = *FindTable(kCutSlopeTable);
  RoadSectionStore store;
  store.cutSlopes[kLeft].rows = {test::MakeSlopeSegment(800, {a, b, a, b, a})};
  for (int count : {3, 5, 2}) cuts.Set(store, kLeft, 0, 1, count);
  EXPECT_EQ(store.cutSlopes[kLeft].rows[0].levels[4], a);
  ASSERT_TRUE(SaveRoad(store, db_, "主线", recorders_.services()));
  EXPECT_EQ(Load()->cutSlopes[kLeft].rows[0].levels.Held(), 2);
}

TEST_F(RoadStoreTest, RowsBeyondTheRecordsRoomAreLeftOutTheDesignerIsToldAndTheRoadIsNotSaved) {
  MakeScheme();
  RoadSectionStore store;
  store.databasePath = db_;
  ASSERT_TRUE(SaveRoad(store, db_, "主线", recorders_.services()));
  std::string insert = "insert into 左路堤边坡 (道路名, 分段终里程, 边坡总级数) values ";
  for (int i = 0; i < 305; ++i)
    insert += (i ? ",('主线'," : "('主线',") + std::to_string(i) + ", 1)";
  RunSql(db_, {"delete from 左路堤边坡", insert,
               "insert into 右路堑边坡 (道路名, 分段终里程, 边坡总级数, \"30级平台横坡\") values "
               "('主线', 10, 45, 7)",
               "insert into 右路堑边坡 (道路名, 分段终里程, 边坡总级数) values ('主线', 20, -3)"});
  auto loaded = Load();
  EXPECT_EQ(loaded->embankmentSlopes[kLeft].Count(), kMaxSlopeSegments);
  EXPECT_EQ(loaded->embankmentSlopes[kLeft].rows[299].endStation, 299);
  ASSERT_EQ(loaded->cutSlopes[kRight].Count(), 2);
  EXPECT_EQ(loaded->cutSlopes[kRight].rows[0].levelCount, 30);
  EXPECT_EQ(loaded->cutSlopes[kRight].rows[0].levels[29].bermSlope, 7);
  EXPECT_EQ(loaded->cutSlopes[kRight].rows[1].levelCount, 0);
  // One box names both tables; the road did not load whole and is not saved.
  ASSERT_EQ(recorders_.messages.texts.size(), 1u);
  EXPECT_THAT(recorders_.messages.texts[0], HasSubstr("道路主线, 表左路堤边坡: 行数超过300"));
  EXPECT_THAT(recorders_.messages.texts[0], HasSubstr("表右路堑边坡: 第1行列边坡总级数"));
  EXPECT_FALSE(loaded->LoadedWhole());
  EXPECT_FALSE(SaveRoad(*loaded, db_, "主线", recorders_.services()));
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左路堤边坡")[0][0], "305");
}

TEST_F(RoadStoreTest, RemarksSurviveInANewLandAreaTableAndAreDroppedByAnOlderOne) {
  MakeScheme();
  RoadSectionStore store;
  store.databasePath = db_;
  store.landAreaSegments = {LandAreaSegmentRow{1200, "征地'一"}, LandAreaSegmentRow{2500, ""}};
  ASSERT_TRUE(SaveRoad(store, db_, "主线", recorders_.services()));
  EXPECT_THAT(Load()->landAreaSegments,
              ElementsAre(LandAreaSegmentRow{1200, "征地'一"}, LandAreaSegmentRow{2500, ""}));

  const std::string old = dir_.File("old.mdb");
  RunSql(old, {kChainBreakTable, ChainBreakRowSql("主线", 0, 10),
               "create table 用地面积汇总分段表 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, "
               "分段终里程 double precision)"});
  store.databasePath = old;
  ASSERT_TRUE(SaveRoad(store, old, "主线", recorders_.services()));
  RoadSectionStore reloaded;
  reloaded.databasePath = old;
  LoadRoad(reloaded, old, "主线", recorders_.services());
  EXPECT_THAT(reloaded.landAreaSegments,
              ElementsAre(LandAreaSegmentRow{1200, ""}, LandAreaSegmentRow{2500, ""}));
}

TEST_F(RoadStoreTest, AMissingDatabaseLoadsDefaultsAndSavesNothing) {
  RoadSectionStore store;
  store.databasePath = dir_.File("missing.mdb");
  EXPECT_TRUE(LoadRoad(store, store.databasePath, "主线", recorders_.services()));
  EXPECT_EQ(store.widthLimits[kLeft].size(), 1u);
  EXPECT_EQ(recorders_.messages.texts.front(), "连接数据库失败!");
  EXPECT_FALSE(SaveRoad(store, store.databasePath, "主线", recorders_.services()));
  EXPECT_FALSE(std::filesystem::exists(store.databasePath));
}

}  // namespace
}  // namespace hdmjm
