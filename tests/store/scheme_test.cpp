// Opening and saving a whole scheme, on databases built here from SQL: every value comes back
// as stored, a road that did not load whole is never written, and failures are told plainly.
#include "store/scheme.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "store/catalogue.h"
#include "store/sql_dialect.h"
#include "test_support.h"

namespace hdmjm {
namespace {

using test::ChainBreakRowSql;
using test::ExactRows;
using test::QuerySql;
using test::Recorders;
using test::RunSql;
using test::ScratchDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kLeftSideDitch =
    "create table 左侧沟 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 VARCHAR, 分段终里程 "
    "double, "
    "水沟底宽 double, 沟深 double, 左侧边坡 double, 右侧边坡 double, 浆砌厚度 double, 沟底半径 "
    "double)";

std::string InsertSideDitch(const std::string& road, const std::string& values) {
  return "insert into 左侧沟 (道路名, 分段终里程, 水沟底宽, 沟深, 左侧边坡, 右侧边坡, 浆砌厚度, "
         "沟底半径) values (" +
         road + ", " + values + ")";
}

// Runs a step when the open reaches a progress position, once.
class ProgressHook : public Progress {
 public:
  void SetProgress(int percent) override {
    positions.push_back(percent);
    if (action && percent >= at) std::exchange(action, nullptr)();
  }
  std::vector<int> positions;
  int at = 0;
  std::function<void()> action;
};

// Another program's connection to the scheme, holding a lock while it lives.
class OtherProgram {
 public:
  explicit OtherProgram(const std::string& path) { sqlite3_open(path.c_str(), &db_); }
  ~OtherProgram() { sqlite3_close(db_); }
  int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
};

class SchemeTest : public ::testing::Test {
 protected:
  SchemeTest() : db_(dir_.File("scheme.mdb")) {}

  // 断链表 with the roads in order (主线 first, the others starting 1000 apart).
  void MakeRoads(const std::vector<std::string>& roads) {
    RunSql(db_, {test::kChainBreakTableSql});
    for (size_t i = 0; i < roads.size(); ++i)
      RunSql(db_, {ChainBreakRowSql(roads[i], 1000.0 * i, 1000.0 * i + 900)});
  }
  bool Open() {
    scheme_ = std::make_unique<SchemeStore>(services_);
    const bool opened = scheme_->Open(db_);
    records_ = scheme_->TakeRecords();
    return opened;
  }
  RoadSectionStore& Road(size_t index) { return *records_.at(index); }
  std::vector<std::string>& Messages() { return recorders_.messages.texts; }

  ScratchDir dir_;
  std::string db_;
  Recorders recorders_;
  ProgressHook progress_;
  Services services_{&recorders_.messages, &recorders_.trace, &progress_};
  std::unique_ptr<SchemeStore> scheme_;
  RoadRecordList records_;
};

TEST_F(SchemeTest, ValuesComeBackExactlyNullsReadAsEmptyOrZeroAndASaveOnlyWritesWhatChanged) {
  MakeRoads({"主线"});
  RunSql(db_,
         {kLeftSideDitch, InsertSideDitch("'主线'", "1e-9, 0.123456789012, NULL, 1, 1, 0.3, 0"),
          InsertSideDitch("'主线'", "2500, 0.5, 0.6, 1, 1, 0.3, 0.25"),
          "create table 用地类型表 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, "
          "分段终里程数 double, 用地类型 varchar)",
          "insert into 用地类型表 (道路名, 分段终里程数, 用地类型) values ('主线', 800, NULL), "
          "('主线', 2500, '水田')",
          // The left pavement spelled as the right one is: the same field.
          "create table 左路面厚度 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
          "车行道厚 double, 硬路肩厚 double, 土路肩厚 double)",
          "insert into 左路面厚度 (道路名, 分段终里程, 车行道厚, 硬路肩厚, 土路肩厚) values "
          "('主线', 1234.5678901234567, 0.7, 0.3, 0.2)"});
  const Rows before = ExactRows(db_, "左侧沟");
  const Rows landTypes = ExactRows(db_, "用地类型表");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(Road(0).LoadedWhole()) << Road(0).loadProblems.front();
  EXPECT_TRUE(Messages().empty());
  const SideDitchRow& first = Road(0).sideDitches[kLeft][0];
  EXPECT_EQ(first.endStation, 1e-9);
  EXPECT_EQ(first.bottomWidth, 0.123456789012);
  EXPECT_EQ(first.depth, 0);
  EXPECT_EQ(Road(0).landTypes[0].landType, "");
  EXPECT_EQ(Road(0).pavements[kLeft][0].endStation, 1234.5678901234567);
  // The open advances the progress from 0 to 100 and never back.
  EXPECT_EQ(progress_.positions.front(), 0);
  EXPECT_EQ(progress_.positions.back(), 100);
  EXPECT_GT(progress_.positions.size(), 30u);
  EXPECT_THAT(progress_.positions,
              ::testing::Each(::testing::AllOf(::testing::Ge(0), ::testing::Le(100))));

  // Unedited, every stored row stays exactly as it was: NULLs, numbering and all.
  const SaveReport report = scheme_->Save(records_);
  EXPECT_THAT(report.saved, ElementsAre("主线"));
  EXPECT_EQ(Messages().back(), "横断面标准数据已存入" + db_ + "中!");
  EXPECT_EQ(ExactRows(db_, "左侧沟"), before);
  EXPECT_EQ(ExactRows(db_, "用地类型表"), landTypes);
  // Tables the file lacked now hold the road's defaults.
  EXPECT_EQ(QuerySql(db_, "select count(*) from 右侧沟 where 道路名 = '主线'"), Rows{{"1"}});

  // An edited table is written whole, its NULL number as the 0 the program computed with; the
  // table beside it is left alone.
  Road(0).sideDitches[kLeft][1].depth = 0.65;
  ASSERT_TRUE(scheme_->Save(records_).AllSaved());
  Rows expected = ExactRows(db_, "左侧沟", "", false);
  EXPECT_EQ(expected[0][3], "real:0.0");
  EXPECT_EQ(expected[1][3], "real:0.65000000000000002");
  EXPECT_EQ(expected[0][1], before[0][2]);  // 1e-9 and 0.123456789012 to the last bit
  EXPECT_EQ(expected[0][2], before[0][3]);
  EXPECT_EQ(ExactRows(db_, "用地类型表"), landTypes);
  EXPECT_EQ(ExactRows(db_, "左路面厚度", "", false)[0][1], "real:1234.5678901234567");

  // Opened again, unedited: the edit came back and nothing is written.
  ASSERT_TRUE(Open());
  EXPECT_EQ(Road(0).sideDitches[kLeft][1].depth, 0.65);
  expected = ExactRows(db_, "左侧沟");
  ASSERT_TRUE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(ExactRows(db_, "左侧沟"), expected);
  // A table another program dropped meanwhile is made again with the road's rows.
  RunSql(db_, {"drop table 用地类型表"});
  ASSERT_TRUE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(QuerySql(db_, "select 分段终里程数, 用地类型 from 用地类型表"),
            (Rows{{"800.0", ""}, {"2500.0", "水田"}}));
  // The road's rows are found through an index made for them.
  EXPECT_EQ(QuerySql(db_,
                     "select count(*) from sqlite_master where type='index' and "
                     "tbl_name='左侧沟' and sql like '%道路名%序号%'"),
            Rows{{"1"}});
}

TEST_F(SchemeTest, RowsWithoutARoadNameAndRowsOfRoadsNotListedAreNeverTouched) {
  MakeRoads({"主线"});
  RunSql(db_, {"insert into 断链表 (道路名, 等号左里程数, 等号右里程数) values (NULL, 0, 10)",
               kLeftSideDitch, InsertSideDitch("NULL", "5, 1, 1, 1, 1, 1, 1"),
               InsertSideDitch("'旧路'", "6, 2, 2, 2, 2, 2, 2"),
               InsertSideDitch("'主线'", "900, 0.3, 0.4, 1, 1, 0.2, 0")});
  const Rows others = ExactRows(db_, "左侧沟", "where 道路名 is not '主线'");
  ASSERT_TRUE(Open());
  ASSERT_EQ(scheme_->Roads().size(), 1u);
  EXPECT_EQ(scheme_->Roads()[0].name, "主线");
  EXPECT_EQ(Road(0).sideDitches[kLeft].size(), 1u);
  ASSERT_TRUE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(ExactRows(db_, "左侧沟", "where 道路名 is not '主线'"), others);
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左横断面限制宽度 where 道路名 is not '主线'"),
            Rows{{"0"}});
}

TEST_F(SchemeTest, AValueTheRecordCannotKeepLeavesItsRoadUnsavedAndTheMessageSaysWhere) {
  MakeRoads({"主线", "A", "B"});
  RunSql(db_,
         {kLeftSideDitch, InsertSideDitch("'主线'", "900, 'abc', 0.4, 1, 1, 0.2, 0"),
          InsertSideDitch("'B'", "2900, '12abc', 0.4, 1, 1, 0.2, 0"),
          "create table 左清表土厚度 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
          "清表土厚度 double, 清表土性质 INTEGER)",
          "insert into 左清表土厚度 (道路名, 分段终里程, 清表土厚度, 清表土性质) values "
          "('A', 1900, 0.3, 99999999999)"});
  const Rows ditches = ExactRows(db_, "左侧沟");
  const Rows topsoil = ExactRows(db_, "左清表土厚度");
  ASSERT_TRUE(Open());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_THAT(Messages()[0], HasSubstr("道路主线, 表左侧沟: 第1行列水沟底宽: 数值列中有文本'abc'"));
  EXPECT_THAT(Messages()[0],
              HasSubstr("道路A, 表左清表土厚度: 第1行列清表土性质: 代码99999999999"));
  EXPECT_THAT(Messages()[0], HasSubstr("道路B, 表左侧沟"));
  for (size_t i = 0; i < 3; ++i) EXPECT_FALSE(Road(i).LoadedWhole()) << i;

  const SaveReport report = scheme_->Save(records_);
  EXPECT_TRUE(report.saved.empty());
  ASSERT_EQ(report.unsaved.size(), 3u);
  EXPECT_EQ(report.unsaved[0].cause, FailureCause::None);
  EXPECT_EQ(ExactRows(db_, "左侧沟"), ditches);
  EXPECT_EQ(ExactRows(db_, "左清表土厚度"), topsoil);
  EXPECT_THAT(Messages()[1], HasSubstr("为免丢失数据未重新存入"));
  EXPECT_THAT(Messages()[2], HasSubstr("未能存入" + db_ + "中: 主线、A、B"));
}

// A value past a slope row's levels would be lost: found whether it lies below the table's
// greatest level count or above it, where the open only looks whether anything is there.
TEST_F(SchemeTest, AValuePastASlopeRowsLevelsLeavesItsRoadUnsavedWhereverItLies) {
  MakeRoads({"主线", "A", "B", "C"});
  const TableDesc& fills = *FindTable("路堤边坡");
  const TableDesc& cuts = *FindTable("路堑边坡");
  const auto insert = [](const std::string& table, const std::string& road,
                         const std::string& count, const std::string& columns,
                         const std::string& values) {
    return "insert into " + table + " (道路名, 分段终里程, 边坡总级数" + columns + ") values ('" +
           road + "', 500, " + count + values + ")";
  };
  RunSql(db_, {MapDialect(fills.CreateStatement(kLeft)), MapDialect(cuts.CreateStatement(kRight)),
               insert("左路堤边坡", "主线", "5", ", \"5级边坡系数\"", ", 1.5"),
               insert("左路堤边坡", "A", "2", ", \"4级平台宽度\"", ", 2"),
               insert("左路堤边坡", "B", "1", ", \"30级平台横坡\"", ", 3"),
               // A count in words: every row is read, and the value past the levels still found.
               insert("右路堑边坡", "C", "'三'", ", \"2级边坡系数\"", ", 1"),
               insert("右路堑边坡", "主线", "4", ", \"4级边坡系数\"", ", 1")});
  ASSERT_TRUE(Open());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_THAT(Messages()[0], HasSubstr("道路A, 表左路堤边坡: 第1行列4级平台宽度在边坡总级数之外"));
  EXPECT_THAT(Messages()[0], HasSubstr("道路B, 表左路堤边坡: 第1行列30级平台横坡在边坡总级数之外"));
  EXPECT_THAT(Messages()[0], HasSubstr("道路C, 表右路堑边坡: 第1行列边坡总级数"));
  const std::vector<bool> whole = {true, false, false, false};
  for (size_t i = 0; i < whole.size(); ++i) EXPECT_EQ(Road(i).LoadedWhole(), whole[i]) << i;
  EXPECT_EQ(fills.Get(Road(0), kLeft, 0, fills.ColumnIndex(kLeft, "5级边坡系数")), FieldValue(1.5));
}

TEST_F(SchemeTest, ColumnsAreReadByNameAndATableMissingOneKeepsItsRoadsUnsaved) {
  MakeRoads({"主线"});
  RunSql(db_,
         {// 水沟底宽 is missing in the middle; 沟深 must still read as 沟深.
          "create table 左侧沟 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
          "沟深 double, 左侧边坡 double, 右侧边坡 double, 浆砌厚度 double, 沟底半径 double)",
          "insert into 左侧沟 (道路名, 分段终里程, 沟深, 左侧边坡, 右侧边坡, 浆砌厚度, 沟底半径) "
          "values ('主线', 900, 0.8, 1.5, 1.25, 0.2, 0.1)",
          // No 序号: six rows whose order cannot be told.
          "create table 右侧沟 (道路名 VARCHAR, 分段终里程 double, 水沟底宽 double, 沟深 double, "
          "内侧边坡 double, 外侧边坡 double, 浆砌厚度 double, 沟底半径 double)",
          "insert into 右侧沟 values ('主线', 100, 0.3, 0.4, 1, 1, 0.2, 0), "
          "('主线', 200, 0.3, 0.4, 1, 1, 0.2, 0), ('主线', 300, 0.3, 0.4, 1, 1, 0.2, 0), "
          "('主线', 400, 0.3, 0.4, 1, 1, 0.2, 0), ('主线', 500, 0.3, 0.4, 1, 1, 0.2, 0), "
          "('主线', 600, 0.3, 0.4, 1, 1, 0.2, 0)"});
  const Rows left = ExactRows(db_, "左侧沟");
  const Rows right = ExactRows(db_, "右侧沟");
  ASSERT_TRUE(Open());
  const SideDitchRow& ditch = Road(0).sideDitches[kLeft].at(0);
  EXPECT_EQ(ditch.depth, 0.8);
  EXPECT_EQ(ditch.bottomWidth, 0);
  EXPECT_EQ(ditch.slope2, 1.25);
  EXPECT_EQ(Road(0).sideDitches[kRight].size(), 6u);
  EXPECT_THAT(Road(0).loadProblems,
              ElementsAre("表左侧沟: 缺少列水沟底宽", "表右侧沟: 缺少列序号"));
  EXPECT_FALSE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(ExactRows(db_, "左侧沟"), left);
  EXPECT_EQ(ExactRows(db_, "右侧沟"), right);
  EXPECT_EQ(QuerySql(db_, "select count(*) from pragma_table_info('左侧沟')"), Rows{{"8"}});
}

TEST_F(SchemeTest, ATableThatFailsHalfWayThroughLeavesEveryRoadWithRowsThereUnsaved) {
  MakeRoads({"主线", "A"});
  // Reading A's row fails: an integer overflow computed as the rows are read.
  RunSql(db_, {kLeftSideDitch, InsertSideDitch("'主线'", "900, 0.3, 0.4, 1, 1, 0.2, 0"),
               InsertSideDitch("'A'", "1900, 0.3, 0.4, 1, 1, 0.2, 0"),
               "alter table 左侧沟 add column 检查 AS (CASE WHEN 道路名 = 'A' THEN "
               "abs(-9223372036854775807 - 1) END)"});
  const Rows before = ExactRows(db_, "左侧沟");
  ASSERT_TRUE(Open());
  for (size_t i = 0; i < 2; ++i)
    EXPECT_THAT(Road(i).loadProblems, ElementsAre("表左侧沟: 读取失败: integer overflow"));
  EXPECT_TRUE(scheme_->Save(records_).saved.empty());
  EXPECT_EQ(ExactRows(db_, "左侧沟"), before);
}

TEST_F(SchemeTest, ASaveFailingForTheThirdOfFiveRoadsKeepsItsRowsAndSavesTheOthers) {
  MakeRoads({"主线", "A", "B", "C", "D"});
  RunSql(db_, {kLeftSideDitch, InsertSideDitch("'B'", "2900, 0.3, 0.4, 1, 1, 0.2, 0"),
               "create table 左横断面限制宽度 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, "
               "分段终里程 double, 路基限宽 double)",
               "create trigger refuse before insert on 左横断面限制宽度 when new.道路名 = 'B' "
               "begin select raise(abort, 'refused'); end"});
  const Rows before = ExactRows(db_, "左侧沟");
  ASSERT_TRUE(Open());
  for (auto& record : records_) record->sideDitches[kLeft].at(0).bottomWidth = 0.75;
  const SaveReport report = scheme_->Save(records_);
  EXPECT_THAT(report.saved, ElementsAre("主线", "A", "C", "D"));
  ASSERT_EQ(report.unsaved.size(), 1u);
  EXPECT_EQ(report.unsaved[0].road, "B");
  EXPECT_EQ(report.unsaved[0].cause, FailureCause::Other);
  // B is written whole or not at all: its side ditch row keeps its old width.
  EXPECT_EQ(ExactRows(db_, "左侧沟", "where 道路名 = 'B'"), before);
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟 where 水沟底宽 = 0.75"), Rows{{"4"}});
  EXPECT_EQ(Road(2).sideDitches[kLeft][0].bottomWidth, 0.75);  // the record as edited
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_THAT(Messages()[0], HasSubstr("详细信息: refused"));
  EXPECT_THAT(Messages()[0], HasSubstr("(B)"));
  EXPECT_THAT(Messages()[1], HasSubstr("未能存入" + db_ + "中: B。"));

  // Once the file takes B, the next save writes B's edit; the roads saved before are left alone.
  RunSql(db_, {"drop trigger refuse"});
  const Rows others = ExactRows(db_, "左侧沟", "where 道路名 <> 'B'");
  ASSERT_TRUE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(QuerySql(db_, "select 水沟底宽 from 左侧沟 where 道路名 = 'B'"), Rows{{"0.75"}});
  EXPECT_EQ(ExactRows(db_, "左侧沟", "where 道路名 <> 'B'"), others);
}

TEST_F(SchemeTest, ALockThatOutlastsTheWaitFailsEveryRoadAtOnceAndTheNextSaveSucceeds) {
  MakeRoads({"主线", "A", "B"});
  ASSERT_TRUE(Open());
  {
    OtherProgram other(db_);
    ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    const SaveReport report = scheme_->Save(records_);
    EXPECT_TRUE(report.saved.empty());
    for (const auto& unsaved : report.unsaved) EXPECT_EQ(unsaved.cause, FailureCause::Locked);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0],
              "数据库正被其他程序使用(已锁定)。请关闭那个程序后再试。\n"
              "详细信息: database is locked\n(主线、A、B)");
    // One wait for the lock, not one per road.
    EXPECT_EQ(std::count_if(recorders_.trace.lines.begin(), recorders_.trace.lines.end(),
                            [](const std::string& line) {
                              return line.find("database is locked") != std::string::npos;
                            }),
              1);
  }
  EXPECT_TRUE(scheme_->Save(records_).AllSaved());
}

TEST_F(SchemeTest, ALockWantedWhileOpeningWaitsForTheOpenWhichReadsEveryRoadWhole) {
  MakeRoads({"主线", "A"});
  RunSql(db_, {kLeftSideDitch, InsertSideDitch("'A'", "1900, 0.3, 0.4, 1, 1, 0.2, 0")});
  OtherProgram other(db_);
  int rc = SQLITE_OK;
  progress_.at = 50;
  progress_.action = [&] { rc = other.Exec("BEGIN EXCLUSIVE"); };
  ASSERT_TRUE(Open());
  EXPECT_EQ(rc, SQLITE_BUSY);
  EXPECT_TRUE(Road(0).LoadedWhole());
  EXPECT_TRUE(Road(1).LoadedWhole());
  EXPECT_EQ(Road(1).sideDitches[kLeft][0].endStation, 1900);

  // A lock held before the open: nothing is read, and the designer is told why.
  ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
  Messages().clear();
  EXPECT_FALSE(Open());
  EXPECT_TRUE(scheme_->Roads().empty());
  ASSERT_FALSE(Messages().empty());
  EXPECT_THAT(Messages()[0], HasSubstr("已锁定"));
}

TEST_F(SchemeTest, AReadOnlyFileIsToldAsSuchNothingIsWrittenAndOnceWritableTheNextSaveWrites) {
  MakeRoads({"主线"});
  const auto quoted = "'" + db_ + "'";
  ::chmod(db_.c_str(), 0444);
  // Permissions do not stop root; the immutable flag does.
  const bool immutable = ::geteuid() == 0 && std::system(("chattr +i " + quoted).c_str()) == 0;
  if (::geteuid() == 0 && !immutable) GTEST_SKIP() << "no way to make the file read-only";
  ASSERT_TRUE(Open());
  const SaveReport report = scheme_->Save(records_);
  if (immutable) std::system(("chattr -i " + quoted).c_str());
  ASSERT_EQ(report.unsaved.size(), 1u);
  EXPECT_EQ(report.unsaved[0].cause, FailureCause::ReadOnly);
  EXPECT_THAT(Messages().at(0), HasSubstr("数据库文件是只读的"));
  EXPECT_EQ(QuerySql(db_, "select count(*) from sqlite_master"), Rows{{"1"}});

  // The designer makes the file writable and presses OK again: the road is saved.
  ::chmod(db_.c_str(), 0644);
  EXPECT_TRUE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟 where 道路名 = '主线'"), Rows{{"1"}});
}

TEST_F(SchemeTest, AFileWithoutTheSchemesTablesIsNoSchemeAndEveryRoadIsReadAndSaved) {
  RunSql(db_, {"create table 其他 (x)"});
  EXPECT_FALSE(Open());
  EXPECT_THAT(Messages().at(0), HasSubstr("该文件不是方案数据库"));

  const std::string other = dir_.File("many.mdb");
  RunSql(other, {test::kChainBreakTableSql, kLeftSideDitch});
  for (int i = 0; i < 55; ++i) {
    const std::string road = "'R" + std::to_string(i) + "'";
    RunSql(other, {ChainBreakRowSql("R" + std::to_string(i), i, i + 1),
                   InsertSideDitch(road, std::to_string(i) + ", 1, 1, 1, 1, 1, 1")});
  }
  db_ = other;
  Messages().clear();
  ASSERT_TRUE(Open());
  ASSERT_EQ(records_.size(), 55u);
  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(records_.back()->roadName, "R54");
  records_.back()->sideDitches[kLeft].at(0).depth = 7;
  EXPECT_TRUE(scheme_->Save(records_).AllSaved());
  EXPECT_EQ(QuerySql(other, "select 沟深 from 左侧沟 where 道路名 = 'R54'"), Rows{{"7.0"}});

  // Read a road at a time or all at once, each road comes once, in road-list order, as a whole
  // open reads it.
  for (const std::size_t values : {1, 100000}) {
    SCOPED_TRACE(values);
    std::vector<std::string> names;
    std::size_t largest = 0;
    const bool opened = SchemeStore(services_).OpenInGroups(other, values, [&](auto& group) {
      largest = std::max(largest, group.size());
      for (const auto& record : group) {
        EXPECT_EQ(record->sideDitches, Road(names.size()).sideDitches);
        names.push_back(record->roadName);
      }
    });
    ASSERT_TRUE(opened);
    ASSERT_EQ(names.size(), records_.size());
    EXPECT_EQ(names.back(), "R54");
    EXPECT_EQ(largest, values == 1 ? 1u : 55u);
  }
  EXPECT_EQ(Messages().size(), 1u);  // the save's, nothing from the reads
}

}  // namespace
}  // namespace hdmjm
