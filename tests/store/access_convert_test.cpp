// Converting Access files into new SQLite files: every table with every value as stored, the
// Access file untouched, and nothing left behind when the conversion cannot finish.
#include "store/access_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "access_support.h"

namespace hdmjm {
namespace {

TEST(AccessConvertTest, TheSampleBecomesTheExpectedSchemeWithEveryTable) {
  test::ScratchDir dir;
  test::Recorders recorders;
  const std::string expected = test::ExpectedScheme(dir);
  const std::string access = test::CopyJet(dir, test::kSampleJet4);
  const std::string output = dir.File("converted.mdb");
  const ConversionResult result = ConvertAccessFile(access, output, recorders.services());
  ASSERT_TRUE(result.Converted()) << result.message;
  EXPECT_EQ(test::SqliteTables(output), test::SqliteTables(expected));
  for (const auto& table : test::SqliteTables(expected))
    EXPECT_EQ(test::ExactRows(output, table[0]), test::ExactRows(expected, table[0])) << table[0];
  EXPECT_EQ(test::ReadBytes(access), test::ReadBytes(test::SharedJet(test::kSampleJet4)));
  // Access's autonumber numbers on as the store's own serial does.
  test::RunSql(output, {"insert into 断链表 (道路名) values ('新路')"});
  EXPECT_EQ(test::QuerySql(output, "select max(序号) from 断链表"), test::ExactTable{{"5"}});
  const std::vector<int>& positions = recorders.progress.positions;
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_GT(positions.size(), result.tables);
  EXPECT_EQ(positions.back(), 100);
}

TEST(AccessConvertTest, OtherAccessFilesKeepTheirTypesAndValues) {
  test::ScratchDir dir;
  test::Recorders recorders;
  const std::string jet3 = dir.File("jet3.db"), jet4 = dir.File("jet4.db");
  ASSERT_TRUE(ConvertAccessFile(test::CopyJet(dir, test::kAccess97), jet3, recorders.services())
                  .Converted());
  ASSERT_TRUE(
      ConvertAccessFile(test::CopyJet(dir, test::kNotSchemeJet4), jet4, recorders.services())
          .Converted());
  EXPECT_EQ(test::ExactRows(jet3, "FPdev", "where id = 6"),
            (test::ExactTable{{"integer:6", "text:Jonas Maebe", "text:jmaebe@mail.dma.be"}}));
  EXPECT_EQ(test::ExactRows(jet4, "Monitor_Authenticate"),
            (test::ExactTable{{"integer:1", "integer:1234567890", "text:12345678", "integer:33600",
                               "text:nobody@sunnyline.co.za", "integer:1", "integer:1", "integer:1",
                               "integer:1", "integer:0", "text:2000-06-17 20:36:24",
                               "text:Example Circuit Added For Monitor Example To Potential New "
                               "Clients"}}));
}

TEST(AccessConvertTest, FailuresLeaveNoFileBehindAndNeverReplaceOne) {
  test::ScratchDir dir;
  test::Recorders recorders;
  const std::string sample = test::ReadBytes(test::SharedJet(test::kSampleJet4));
  test::WriteBytes(dir.File("truncated.mdb"), sample.substr(0, 300000));
  test::WriteBytes(dir.File("taken.db"), "someone else's");
  using Outcome = ConversionResult::Outcome;
  const std::tuple<std::string, std::string, Outcome> cases[] = {
      {test::CopyJet(dir, test::kSampleJet4), dir.File("taken.db"), Outcome::OutputExists},
      {dir.File("truncated.mdb"), dir.File("out.db"), Outcome::InputFailed},
      {dir.File(test::kSampleJet4), dir.File("no-folder/out.db"), Outcome::WriteFailed},
  };
  for (const auto& [access, output, outcome] : cases) {
    const ConversionResult result = ConvertAccessFile(access, output, recorders.services());
    EXPECT_EQ(result.outcome, outcome) << output;
    EXPECT_NE(result.message.find(outcome == Outcome::InputFailed ? access : output),
              std::string::npos)
        << result.message;
  }
  EXPECT_EQ(test::ReadBytes(dir.File("taken.db")), "someone else's");
  const auto left = std::filesystem::directory_iterator(dir.path());
  EXPECT_EQ(std::distance(begin(left), end(left)), 3);  // the three files of the cases alone
}

TEST(AccessConvertTest, DatesReadAsTheCalendarDoes) {
  const std::pair<double, std::optional<std::string>> cases[] = {
      {0, "1899-12-30 00:00:00"},
      {36694.5, "2000-06-17 12:00:00"},
      {-1.25, "1899-12-29 06:00:00"},    // the fraction is the time, also before 1899-12-30
      {-657434, "0100-01-01 00:00:00"},  // the first and the last day Access keeps
      {2958465.999, "9999-12-31 23:58:33.600"},
      {45000.25 + 2.0 / 86400000, "2023-03-15 06:00:00.002"},
      {1.0 - 0.1 / 86400000, "1899-12-31 00:00:00"},  // rounds up into the next day
      {std::nan(""), std::nullopt},
  };
  for (const auto& [days, text] : cases) EXPECT_EQ(JetDateText(days), text) << days;
}

}  // namespace
}  // namespace hdmjm
