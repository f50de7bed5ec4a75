// The road list and the stations read from 断链表.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/records.h"
#include "store/scheme.h"
#include "test_support.h"

namespace hdmjm {
namespace {

using test::Recorders;
using test::RunSql;
using test::ScratchDir;

constexpr const char* kTable =
    "create table 断链表 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 等号左里程冠号 VARCHAR, "
    "等号左里程数 double, 等号右里程冠号 VARCHAR, 等号右里程数 double, 备注 VARCHAR)";

std::string Row(const std::string& road, const std::string& prefix, double left, double right) {
  return "insert into 断链表 (道路名, 等号左里程冠号, 等号左里程数, 等号右里程冠号, 等号右里程数) "
         "values ('" +
         road + "', '" + prefix + "', " + std::to_string(left) + ", '" + prefix + "E', " +
         std::to_string(right) + ")";
}

std::vector<std::string> Names(const SchemeStore& scheme) {
  std::vector<std::string> names;
  for (const auto& entry : scheme.Roads()) names.push_back(entry.name);
  return names;
}

class ChainBreakTest : public ::testing::Test {
 protected:
  ScratchDir dir_;
  std::string db_ = dir_.File("scheme.mdb");
  Recorders recorders_;
  RoadSectionStore store_;
  SchemeStore scheme_{recorders_.services()};
};

TEST_F(ChainBreakTest, MainLineComesFirstAndTheOthersByStartStation) {
  RunSql(db_,
         {kTable, Row("A", "AK", 5000, 6000), Row("主线", "K", 0, 800), Row("B", "BK", 1200, 1500),
          Row("A", "AK", 6100, 7000), Row("主线", "K", 900, 3000)});
  ASSERT_TRUE(scheme_.Open(db_));
  EXPECT_THAT(Names(scheme_), ::testing::ElementsAre("主线", "B", "A"));
  const RoadEntry& a = scheme_.Roads()[2];
  EXPECT_EQ(a.startStation, 5000);
  EXPECT_EQ(a.endStation, 7000);
  EXPECT_EQ(a.startPrefix, "AK");
  EXPECT_EQ(a.endPrefix, "AKE");
  EXPECT_TRUE(scheme_.Roads()[0].startPrefix.empty());
}

TEST_F(ChainBreakTest, WithoutAMainLineTheFirstRoadFoundKeepsItsPlace) {
  RunSql(db_, {kTable, Row("C", "C", 900, 950), Row("B", "B", 500, 600), Row("A", "A", 100, 200)});
  ASSERT_TRUE(scheme_.Open(db_));
  EXPECT_THAT(Names(scheme_), ::testing::ElementsAre("C", "A", "B"));
}

TEST_F(ChainBreakTest, StationsComeFromTheFirstAndTheLastRowOfTheRoad) {
  RunSql(db_,
         {kTable, Row("主线", "K", 10, 800), Row("匝道", "Z", 0, 5), Row("主线", "K", 820, 2990)});
  ASSERT_TRUE(LoadRoad(store_, db_, "主线", recorders_.services()));
  const std::optional<RoadExtent> extent = RoadExtentOf(store_.chainBreaks);
  ASSERT_TRUE(extent);
  EXPECT_EQ(extent->start, 10);
  EXPECT_EQ(extent->end, 2990);
  ASSERT_EQ(store_.chainBreaks.size(), 2u);
  EXPECT_EQ(store_.chainBreaks[1].rightPrefix, "KE");

  ASSERT_TRUE(LoadRoad(store_, db_, "无此路", recorders_.services()));
  EXPECT_FALSE(RoadExtentOf(store_.chainBreaks));
}

TEST_F(ChainBreakTest, AnEmptyOrMissingTableGivesAnEmptyList) {
  RunSql(db_, {kTable});
  EXPECT_FALSE(scheme_.Open(db_));
  EXPECT_TRUE(scheme_.Roads().empty());
  EXPECT_FALSE(scheme_.Open(dir_.File("none.mdb")));
  EXPECT_EQ(recorders_.messages.texts, std::vector<std::string>{"连接数据库失败!"});
}

TEST_F(ChainBreakTest, TheListHoldsEveryRoadInStationOrder) {
  std::string insert = "insert into 断链表 (道路名, 等号左里程数, 等号右里程数) values ";
  for (int i = 0; i < 130; ++i)
    insert += (i ? ",('R" : "('R") + std::to_string(i) + "', " + std::to_string(500 - i) + ", 1)";
  RunSql(db_, {kTable, insert});
  ASSERT_TRUE(scheme_.Open(db_));
  ASSERT_EQ(scheme_.Roads().size(), 130u);
  EXPECT_EQ(scheme_.Roads()[0].name, "R0");  // no 主线: the first road stays first
  EXPECT_EQ(scheme_.Roads()[1].name, "R129");
  EXPECT_EQ(scheme_.Roads().back().name, "R1");
  EXPECT_TRUE(recorders_.messages.texts.empty());
}

TEST_F(ChainBreakTest, ARoadNameWithAnApostropheFindsItsRows) {
  RunSql(db_, {kTable, Row("D''Arc", "D", 40, 90)});
  EXPECT_TRUE(LoadRoad(store_, db_, "D'Arc", recorders_.services()));
  EXPECT_EQ(RoadExtentOf(store_.chainBreaks)->end, 90);
}

}  // namespace
}  // namespace hdmjm
