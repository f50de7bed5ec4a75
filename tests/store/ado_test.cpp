// The access layer over SQLite: connection states, cursors, field texts, typed writes.
#include "store/ado.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "test_support.h"

namespace hdmjm {
namespace {

using test::QuerySql;
using test::Recorders;
using test::RunSql;
using ::testing::ElementsAre;
using ::testing::StartsWith;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kDisconnected = "数据库可能已经断开,\r\n请重新连接、然后重试.";
constexpr const char* kSideDitch =
    "create table 左侧沟 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 VARCHAR, "
    "分段终里程 double, 水沟底宽 double precision)";

std::string ConnectionString(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

class AdoTest : public ::testing::Test {
 protected:
  bool Open() { return connection_.IsOpen() || connection_.Open(ConnectionString(db_)); }
  int OpenRows(const std::string& statement) {
    if (!Open()) return -2;
    recordset_.SetConnection(&connection_);
    return recordset_.Open(statement);
  }
  std::vector<std::string> Column(int index) {
    std::vector<std::string> values;
    std::string text;
    for (recordset_.MoveFirst(); !recordset_.IsEOF(); recordset_.MoveNext())
      if (recordset_.GetCollect(index, text)) values.push_back(text);
    return values;
  }
  void CloseBoth() {
    recordset_.Close();
    connection_.Close();
  }

  test::ScratchDir dir_;
  std::string db_ = dir_.File("scheme.mdb");
  Recorders recorders_;
  AdoConnection connection_{recorders_.services()};
  AdoRecordset recordset_{recorders_.services()};
};

// ---- connection ----------------------------------------------------------------------------

TEST_F(AdoTest, ConnectionIsOpenUntilClosedAndClosingTwiceDoesNothing) {
  RunSql(db_, {kSideDitch});
  ASSERT_TRUE(Open());
  EXPECT_TRUE(connection_.IsOpen());
  connection_.Close();
  EXPECT_FALSE(connection_.IsOpen());
  connection_.Close();
  EXPECT_FALSE(connection_.IsOpen());
  EXPECT_TRUE(recorders_.trace.lines.empty());
}

TEST_F(AdoTest, MissingForeignTruncatedAndDamagedFilesFailAtOpenWithOneTraceLine) {
  const std::string missing = dir_.File("missing.mdb"), text = dir_.File("text.mdb");
  std::ofstream(text) << std::string(200, 't');
  const std::string truncated = dir_.File("truncated.mdb"), damaged = dir_.File("damaged.mdb");
  RunSql(truncated, {kSideDitch,
                     "insert into 左侧沟 (道路名) with recursive n(i) as (select 1 union all "
                     "select i + 1 from n where i < 2000) select printf('%0200d', i) from n"});
  std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 2);
  RunSql(damaged, {kSideDitch});
  std::fstream(damaged, std::ios::in | std::ios::out | std::ios::binary).seekp(100)
      << std::string(900, '\xA5');
  for (const auto& path : {missing, text, truncated, damaged}) {
    Recorders recorders;
    AdoConnection connection(recorders.services());
    EXPECT_FALSE(connection.Open(ConnectionString(path))) << path;
    EXPECT_FALSE(connection.IsOpen());
    ASSERT_EQ(recorders.trace.lines.size(), 1u) << path;
    EXPECT_THAT(recorders.trace.lines[0], StartsWith(":( 连接数据库发生错误: "));
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(AdoTest, ReopeningFollowsTheFileAtThePath) {
  RunSql(db_, {kSideDitch, "insert into 左侧沟 (道路名) values ('旧')"});
  ASSERT_TRUE(Open());
  connection_.Close();
  const std::string other = dir_.File("other.mdb");
  RunSql(other, {kSideDitch, "insert into 左侧沟 (道路名) values ('新')"});
  std::filesystem::rename(other, db_);
  ASSERT_EQ(OpenRows("select * from 左侧沟"), 1);
  EXPECT_THAT(Column(1), ElementsAre("新"));
  CloseBoth();
  RunSql(db_, {"insert into 左侧沟 (道路名) values ('又')"});  // someone else writes meanwhile
  ASSERT_EQ(OpenRows("select * from 左侧沟 order by 序号"), 1);
  EXPECT_THAT(Column(1), ElementsAre("新", "又"));
  CloseBoth();
  std::filesystem::remove(db_);
  EXPECT_FALSE(connection_.Open(ConnectionString(db_)));
  EXPECT_EQ(recorders_.trace.lines.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(db_));
}

TEST_F(AdoTest, ClosingTheConnectionReleasesCursorsAndRollsBackAnOpenTransaction) {
  RunSql(db_, {kSideDitch, "insert into 左侧沟 (道路名) values ('a'), ('b')"});
  ASSERT_EQ(OpenRows("select * from 左侧沟"), 1);
  ASSERT_TRUE(connection_.BeginTrans());
  ASSERT_TRUE(connection_.Execute("delete from 左侧沟"));
  connection_.Close();
  RunSql(db_, {"insert into 左侧沟 (道路名) values ('c')"});  // no lock is left behind
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟"), (Rows{{"3"}}));
  std::string text;
  EXPECT_FALSE(recordset_.GetCollect(1, text));
  EXPECT_THAT(recorders_.messages.texts, ElementsAre(kDisconnected));
}

TEST_F(AdoTest, RollbackLeavesTheTableUnchangedAndCommitKeepsTheRows) {
  RunSql(db_, {kSideDitch, "insert into 左侧沟 (道路名) values ('a')"});
  ASSERT_TRUE(Open());
  ASSERT_TRUE(connection_.BeginTrans());
  ASSERT_TRUE(connection_.Execute("delete from 左侧沟"));
  ASSERT_TRUE(connection_.RollbackTrans());
  EXPECT_EQ(QuerySql(db_, "select 道路名 from 左侧沟"), (Rows{{"a"}}));
  ASSERT_TRUE(connection_.BeginTrans());
  ASSERT_TRUE(connection_.Execute("insert into 左侧沟 (道路名) values ('b')"));
  ASSERT_TRUE(connection_.CommitTrans());
  EXPECT_EQ(QuerySql(db_, "select 道路名 from 左侧沟 order by 序号"), (Rows{{"a"}, {"b"}}));
  EXPECT_FALSE(connection_.CommitTrans());  // none is open any more
  EXPECT_THAT(recorders_.trace.lines, ElementsAre(StartsWith(":( CommitTrans发生错误: ")));
}

// ---- statements ----------------------------------------------------------------------------

TEST_F(AdoTest, ExecuteRunsTheProgramsStatementsWithTheirNamesAndOrder) {
  RunSql(db_, {kSideDitch});
  ASSERT_TRUE(Open());
  ASSERT_TRUE(connection_.Execute(
      "create table 左路堤边坡 (序号 INTEGER identity,道路名 VARCHAR,分段终里程 double precision,"
      "边坡总级数 integer,1级边坡系数 double precision)"));
  for (const char* road : {"a", "b", "c"})
    ASSERT_TRUE(connection_.Execute(std::string("insert into 左路堤边坡 (道路名, 1级边坡系数) "
                                                "values ('") +
                                    road + "', 1.5)"));
  ASSERT_TRUE(connection_.Execute("delete from 左路堤边坡 where 道路名='c'"));
  ASSERT_TRUE(connection_.Execute("insert into 左路堤边坡 (道路名) values ('integer identity')"));
  ASSERT_TRUE(connection_.Execute("ALTER   TABLE   左路堤边坡   ADD  沟底半径   DOUBLE "));
  // The row number counts itself and never hands a number out twice; literals stay as written.
  EXPECT_EQ(QuerySql(db_, "select 序号, 道路名 from 左路堤边坡 order by 序号"),
            (Rows{{"1", "a"}, {"2", "b"}, {"4", "integer identity"}}));
  EXPECT_EQ(
      QuerySql(db_, "select name from pragma_table_info('左路堤边坡') order by cid"),
      (Rows{{"序号"}, {"道路名"}, {"分段终里程"}, {"边坡总级数"}, {"1级边坡系数"}, {"沟底半径"}}));
  EXPECT_TRUE(recorders_.messages.texts.empty());
  EXPECT_FALSE(connection_.Execute("delete from 缺少的表"));
  EXPECT_THAT(recorders_.messages.texts, ElementsAre("no such table: 缺少的表"));
  EXPECT_TRUE(recorders_.trace.lines.empty());
}

// ---- cursors -------------------------------------------------------------------------------

class AdoRowsTest : public AdoTest {
 protected:
  void SetUp() override {
    RunSql(db_, {kSideDitch,
                 "insert into 左侧沟 (道路名, 分段终里程) values ('主线', 100), "
                 "('主线', 200), ('匝道', 50), ('主线', 300)"});
  }
  static constexpr const char* kMainLine = "select * from 左侧沟 where 道路名='主线' ORDER by 序号";
};

TEST_F(AdoRowsTest, OpenTellsRowsFromNoRowsFromFailure) {
  EXPECT_EQ(recordset_.Open(kMainLine), -1);  // no connection bound
  EXPECT_TRUE(recorders_.trace.lines.empty());
  EXPECT_EQ(OpenRows(kMainLine), 1);
  EXPECT_EQ(OpenRows("select * from 左侧沟 where 道路名='无'"), 0);
  EXPECT_TRUE(recordset_.IsEOF());
  EXPECT_TRUE(recorders_.trace.lines.empty());
  EXPECT_EQ(OpenRows("select * from 右侧沟 where 道路名='主线'"), -1);
  EXPECT_THAT(recorders_.trace.lines,
              ElementsAre(":( 打开记录集发生错误: no such table: 右侧沟\n"));
}

TEST_F(AdoRowsTest, RecordCountWalksEveryRowAndLeavesTheCursorAtTheEnd) {
  ASSERT_EQ(OpenRows(kMainLine), 1);
  EXPECT_EQ(recordset_.GetRecordCount(), 3);
  EXPECT_TRUE(recordset_.IsEOF());
  EXPECT_THAT(Column(2), ElementsAre("100.00000000", "200.00000000", "300.00000000"));
  ASSERT_TRUE(recordset_.MoveLast());
  std::string text;
  ASSERT_TRUE(recordset_.GetCollect("分段终里程", text));
  EXPECT_EQ(text, "300.00000000");
  ASSERT_TRUE(recordset_.MoveNext());
  EXPECT_FALSE(recordset_.GetCollect(2, text));
  EXPECT_TRUE(recorders_.messages.texts.empty());
}

TEST_F(AdoRowsTest, FieldsAreTheTableColumnsAndReadsOutsideThemFail) {
  ASSERT_EQ(OpenRows(kMainLine), 1);
  ASSERT_EQ(recordset_.GetFieldsCount(), 4);
  EXPECT_EQ(recordset_.GetFieldName(0), "序号");
  std::string text = "kept";
  EXPECT_FALSE(recordset_.GetCollect(4, text));
  EXPECT_EQ(text, "kept");
  EXPECT_TRUE(recorders_.messages.texts.empty());
  EXPECT_TRUE(recorders_.trace.lines.empty());
  EXPECT_FALSE(recordset_.GetCollect("沟底半径", text));
  EXPECT_THAT(recorders_.trace.lines, ElementsAre(StartsWith(":( 字段访问失败: ")));
  recordset_.Close();
  EXPECT_FALSE(recordset_.GetCollect(0, text));
  EXPECT_THAT(recorders_.messages.texts, ElementsAre(kDisconnected));
  EXPECT_THAT(recorders_.messages.titles, ElementsAre("提示"));
  EXPECT_TRUE(recordset_.IsEOF());  // a walk over a closed recordset ends at once
}

// ---- field texts and numbers ---------------------------------------------------------------

TEST(VariantToTextTest, EachStorageClassHasItsText) {
  EXPECT_EQ(VariantToText(AdoValue{}), "");
  EXPECT_EQ(VariantToText(nullptr), "NULL");
  EXPECT_EQ(VariantToText(2.0), "2.00000000");
  EXPECT_EQ(VariantToText(std::int64_t{(1LL << 32) + 7}), "7");
  EXPECT_EQ(VariantToText(std::int64_t{0xFFFFFFFFLL}), "-1");
  EXPECT_EQ(VariantToText(std::string("主线")), "主线");
  EXPECT_EQ(VariantToText(AdoBlob{{1, 2}}), "UN_KNOW");
}

bool SameDouble(double a, double b) {
  return (std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b)) ||
         std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(AdoTest, NumbersReadAreWhatAtofAndAtoiMakeOfTheFieldText) {
  RunSql(db_, {"create table t (v)",
               "insert into t values (2.0), (-0.4999999999), (0.999999999), (123456.123456785), "
               "(-2.5e9), (1e20), (3e8 + 0.999999999), (7), (1099511627781), ('12.5abc'), (' 7'), "
               "(''), (NULL), (x'0102'), (9e999)"});
  ASSERT_EQ(OpenRows("select * from t"), 1);
  int rows = 0;
  for (; !recordset_.IsEOF(); recordset_.MoveNext(), ++rows) {
    std::string text;
    double real = -1;
    int integer = -1;
    ASSERT_TRUE(recordset_.GetCollect(0, text) && recordset_.GetReal(0, real) &&
                recordset_.GetInt(0, integer));
    EXPECT_TRUE(SameDouble(real, std::atof(text.c_str()))) << text;
    EXPECT_EQ(integer, std::atoi(text.c_str())) << text;
  }
  EXPECT_EQ(rows, 15);
}

double PrintedAndRead(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.8f", value);
  return std::atof(text);
}

TEST(RoundTo8DecimalsTest, EqualsPrintingWithEightDecimalsAndReadingBack) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-12, 22);
  std::uniform_int_distribution<std::int64_t> odd(0, 1LL << 40);
  int mismatches = 0;
  const auto check = [&](double value) {
    if (!SameDouble(RoundTo8Decimals(value), PrintedAndRead(value))) ++mismatches;
  };
  for (int i = 0; i < 600'000; ++i) {
    check(unit(random) * std::pow(10.0, exponent(random)));
    // Exact ties at the eighth decimal, and values just beside them.
    const double tie = static_cast<double>(2 * odd(random) + 1) / 512;
    for (double near : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300), -tie})
      check(near);
  }
  for (double special :
       std::initializer_list<double>{0.0, -0.0, 5e-324, 1.7976931348623157e308, HUGE_VAL, -HUGE_VAL,
                                     NAN, -NAN, 5e-9, 1.5e-8, 70368744177663.99})
    check(special);
  EXPECT_EQ(mismatches, 0);
}

// ---- writing -------------------------------------------------------------------------------

int StatementCount(sqlite3* db) {
  int count = 0;
  for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) ++count;
  return count;
}

TEST_F(AdoTest, NewRowsAreInsertedAsTypedValuesThroughOnePreparedInsert) {
  RunSql(db_, {"create table 左弧形边坡表 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 VARCHAR, "
               "起始里程 double, 设置位置 INTEGER)"});
  ASSERT_EQ(OpenRows("select * from 左弧形边坡表"), 0);
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(recordset_.AddNew());
    recordset_.PutCollect(1, std::string("O'Brien 主线"));
    recordset_.PutCollect(2, 1.5 * i);
    recordset_.PutCollect(3, std::int64_t{i});
    recordset_.PutCollect(4, 9.0);  // a column the table lacks
  }
  ASSERT_TRUE(recordset_.Update());
  EXPECT_EQ(StatementCount(connection_.GetConnection()), 2);  // the select and one insert
  CloseBoth();
  const Rows rows = QuerySql(db_,
                             "select 序号, typeof(道路名), 道路名, typeof(起始里程), 起始里程, "
                             "typeof(设置位置), 设置位置 from 左弧形边坡表 order by 序号");
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows[99], (std::vector<std::string>{"100", "text", "O'Brien 主线", "real", "148.5",
                                                "integer", "99"}));
  EXPECT_TRUE(recorders_.trace.lines.empty());
}

TEST_F(AdoRowsTest, PutIntoTheCurrentRowUpdatesOnlyThatRowAndOnlyTheColumnsPut) {
  ASSERT_EQ(OpenRows(kMainLine), 1);
  ASSERT_TRUE(recordset_.MoveNext());
  recordset_.PutCollect(3, 0.5);
  ASSERT_TRUE(recordset_.Update());
  ASSERT_TRUE(recordset_.MoveNext());
  recordset_.PutCollect(3, 0.25);
  ASSERT_TRUE(recordset_.MoveNext());  // leaving the row writes it
  CloseBoth();
  EXPECT_EQ(QuerySql(db_, "select 道路名, 分段终里程, 水沟底宽 from 左侧沟 order by 序号"),
            (Rows{{"主线", "100.0", "NULL"},
                  {"主线", "200.0", "0.5"},
                  {"匝道", "50.0", "NULL"},
                  {"主线", "300.0", "0.25"}}));
  EXPECT_TRUE(recorders_.trace.lines.empty());
}

TEST_F(AdoRowsTest, RowsOfOtherStatementsCannotBeWrittenAndSaySo) {
  RunSql(db_, {"create view 主线侧沟 as select * from 左侧沟 where 道路名='主线'"});
  for (const char* statement : {"select * from 主线侧沟", "select 道路名 from 左侧沟"}) {
    Recorders recorders;
    AdoRecordset recordset(recorders.services());
    ASSERT_TRUE(Open());
    recordset.SetConnection(&connection_);
    ASSERT_EQ(recordset.Open(statement), 1) << statement;
    recordset.PutCollect(0, std::string("改"));
    EXPECT_FALSE(recordset.Update());
    EXPECT_THAT(recorders.trace.lines, ElementsAre(StartsWith(":( Update发生错误: ")));
  }
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟 where 道路名='改'"), (Rows{{"0"}}));
}

// ---- column catalogue ----------------------------------------------------------------------

constexpr const char* kCatalogueFields[] = {"TABLE_NAME", "COLUMN_NAME", "ORDINAL_POSITION"};

TEST_F(AdoTest, ColumnCatalogueListsEveryColumnOfTheOrdinaryTablesInOrder) {
  RunSql(db_, {"create table 右挡墙 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 VARCHAR)",
               "create table 断链表 (道路名 VARCHAR, 等号左里程数 double)",
               "insert into 右挡墙 (道路名) values ('主线')"});  // fills sqlite_sequence
  ASSERT_TRUE(Open());
  recordset_.Attach(connection_.OpenSchema(adSchemaColumns));
  Rows catalogue;
  for (; !recordset_.IsEOF(); recordset_.MoveNext()) {
    std::vector<std::string> row(3);
    for (int i = 0; i < 3; ++i) recordset_.GetCollect(std::string(kCatalogueFields[i]), row[i]);
    catalogue.push_back(row);
  }
  EXPECT_EQ(catalogue, (Rows{{"右挡墙", "序号", "1"},
                             {"右挡墙", "道路名", "2"},
                             {"断链表", "道路名", "1"},
                             {"断链表", "等号左里程数", "2"}}));
  EXPECT_FALSE(connection_.OpenSchema(20));
  EXPECT_THAT(recorders_.trace.lines, ElementsAre(StartsWith(":( OpenSchema方法发生错误: ")));
}

}  // namespace
}  // namespace hdmjm
