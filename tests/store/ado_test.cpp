// The access layer over SQLite: connection states, statements, the program's SQL dialect.
#include "store/ado.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace hdmjm {
namespace {

using test::QuerySql;
using test::Recorders;
using test::RunSql;
using ::testing::ElementsAre;
using ::testing::StartsWith;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kSideDitch =
    "create table 左侧沟 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 VARCHAR, "
    "分段终里程 double, 水沟底宽 double precision)";

class AdoTest : public ::testing::Test {
 protected:
  bool Open() { return connection_.IsOpen() || connection_.Open(db_); }
  // The texts of one column of a query's rows.
  std::vector<std::string> Column(const std::string& query, int index) {
    std::vector<std::string> values;
    if (!Open()) return values;
    AdoStatement statement(connection_, query);
    while (statement.Next() == AdoStatement::Step::Row)
      values.push_back(VariantToText(statement.Value(index)));
    return values;
  }

  test::ScratchDir dir_;
  std::string db_ = dir_.File("scheme.mdb");
  Recorders recorders_;
  AdoConnection connection_{recorders_.services()};
};

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
  for (const auto& path : {missing, text, truncated, damaged, dir_.path().string()}) {
    Recorders recorders;
    AdoConnection connection(recorders.services());
    EXPECT_FALSE(connection.Open(path)) << path;
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
  EXPECT_THAT(Column("select * from 左侧沟", 1), ElementsAre("新"));
  connection_.Close();
  RunSql(db_, {"insert into 左侧沟 (道路名) values ('又')"});  // someone else writes meanwhile
  EXPECT_THAT(Column("select * from 左侧沟 order by 序号", 1), ElementsAre("新", "又"));
  connection_.Close();
  std::filesystem::remove(db_);
  EXPECT_FALSE(connection_.Open(db_));
  EXPECT_EQ(recorders_.trace.lines.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(db_));
}

TEST_F(AdoTest, ClosingTheConnectionStopsItsStatementsAndRollsBackAnOpenTransaction) {
  RunSql(db_, {kSideDitch, "insert into 左侧沟 (道路名) values ('a'), ('b')"});
  ASSERT_TRUE(Open());
  AdoStatement rows(connection_, "select * from 左侧沟");
  ASSERT_EQ(rows.Next(), AdoStatement::Step::Row);
  ASSERT_TRUE(connection_.Execute("BEGIN"));
  ASSERT_TRUE(connection_.Execute("delete from 左侧沟"));
  connection_.Close();
  RunSql(db_, {"insert into 左侧沟 (道路名) values ('c')"});  // no lock is left behind
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟"), (Rows{{"3"}}));
  EXPECT_EQ(rows.Next(), AdoStatement::Step::Failed);
  EXPECT_EQ(rows.Value(1), AdoValue{});
  EXPECT_TRUE(recorders_.messages.texts.empty());
}

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
  EXPECT_TRUE(recorders_.trace.lines.empty());
  // A failure is a trace line and the connection's last error, never a message box.
  EXPECT_FALSE(connection_.Execute("delete from 缺少的表"));
  EXPECT_EQ(connection_.LastError().text, "no such table: 缺少的表");
  EXPECT_THAT(recorders_.trace.lines,
              ElementsAre(":( 执行语句发生错误: no such table: 缺少的表\n"));
  EXPECT_TRUE(recorders_.messages.texts.empty());
}

TEST_F(AdoTest, CreateMakesANewDatabaseAndNeverTakesAnExistingFile) {
  ASSERT_TRUE(connection_.Create(db_));
  ASSERT_TRUE(connection_.Execute(kSideDitch));
  connection_.Close();
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟"), (Rows{{"0"}}));
  EXPECT_FALSE(connection_.Create(db_));
  EXPECT_EQ(connection_.LastError().code, SQLITE_CANTOPEN);
  EXPECT_EQ(recorders_.trace.lines.size(), 1u);
}

}  // namespace
}  // namespace hdmjm
