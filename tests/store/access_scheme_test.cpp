// Access schemes through the scheme unit: read as the SQLite scheme they hold, never written,
// refused in plain words when they cannot be read, and converted in place on request.
#include <gtest/gtest.h>

#include "access_support.h"
#include "store/scheme.h"
#include "store/scheme_convert.h"
#include "store/scheme_tables.h"

namespace hdmjm {
namespace {

// Each road's name, chain breaks and every table, as the bytes that tell whether saving would
// write the same values.
std::vector<std::string> Images(const RoadRecordList& records) {
  std::vector<std::string> images;
  for (const auto& record : records) {
    images.push_back(record->roadName + (record->LoadedWhole() ? "" : " not whole"));
    images.push_back(TableImage(ChainBreakTable(), *record, kLeft));
    for (const TableStep& step : LoadOrder())
      images.push_back(TableImage(*step.table, *record, step.side));
  }
  return images;
}

TEST(AccessSchemeTest, TheJet4CopyLoadsAsItsSqliteSchemeReadOnlyAndIsNeverWritten) {
  test::ScratchDir dir;
  test::Recorders access, sqlite;
  const std::string path = test::CopyJet(dir, test::kSampleJet4);
  SchemeStore fromAccess(access.services()), fromSqlite(sqlite.services());
  ASSERT_TRUE(fromAccess.Open(path)) << ::testing::PrintToString(access.messages.texts);
  ASSERT_TRUE(fromSqlite.Open(test::ExpectedScheme(dir)));
  EXPECT_EQ(fromAccess.Kind(), FileKind::Jet4);
  EXPECT_TRUE(fromAccess.ReadOnly());
  EXPECT_TRUE(access.messages.texts.empty()) << access.messages.texts.front();
  const RoadRecordList records = fromAccess.TakeRecords();
  EXPECT_EQ(Images(records), Images(fromSqlite.TakeRecords()));
  // The bar moves table by table, as for an SQLite scheme.
  EXPECT_EQ(access.progress.positions, sqlite.progress.positions);
  EXPECT_EQ(access.progress.positions.back(), 100);

  const SaveReport report = fromAccess.Save(records);
  EXPECT_TRUE(report.saved.empty());
  EXPECT_EQ(report.unsaved.front().cause, FailureCause::ReadOnly);
  EXPECT_EQ(test::ReadBytes(path), test::ReadBytes(test::SharedJet(test::kSampleJet4)));
}

TEST(AccessSchemeTest, FilesThatHoldNoReadableSchemeAreRefusedInPlainWords) {
  test::ScratchDir dir;
  const std::string sample = test::ReadBytes(test::SharedJet(test::kSampleJet4));
  std::string noise(100000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 % 251);
  test::WriteBytes(dir.File("truncated.mdb"), sample.substr(0, 300000));
  test::WriteBytes(dir.File("noise.mdb"), noise);
  const std::pair<std::string, const char*> cases[] = {
      {test::CopyJet(dir, test::kNotSchemeJet4), "该文件不是方案数据库。"},
      {test::CopyJet(dir, test::kAccess97), "该文件不是方案数据库。"},
      {dir.File("truncated.mdb"), "数据库文件已损坏。"},
      {dir.File("noise.mdb"), "该文件不是方案数据库。"},
  };
  for (const auto& [path, words] : cases) {
    const std::string before = test::ReadBytes(path);
    test::Recorders recorders;
    SchemeStore scheme(recorders.services());
    EXPECT_FALSE(scheme.Open(path)) << path;
    EXPECT_NE(::testing::PrintToString(recorders.messages.texts).find(words), std::string::npos)
        << path << ": " << ::testing::PrintToString(recorders.messages.texts);
    EXPECT_EQ(test::ReadBytes(path), before) << path;
  }
}

TEST(AccessSchemeTest, AColumnFeedsAFieldOnlyWhenItsTypeCanHoldTheField) {
  const std::tuple<JetType, FieldKind, bool> cases[] = {
      {JetType::Single, FieldKind::Real, true},  {JetType::Boolean, FieldKind::Code, true},
      {JetType::Memo, FieldKind::Text, true},    {JetType::Text, FieldKind::Real, false},
      {JetType::Double, FieldKind::Text, false}, {JetType::Currency, FieldKind::Real, false}};
  for (const auto& [type, kind, holds] : cases)
    EXPECT_EQ(AccessTypeProblem(type, kind).empty(), holds) << int(type) << " " << int(kind);
}

// The Jet 4 copy with 路基限宽 (of both sides) declared a date: every table definition page
// holding it, its column entries (25 bytes each, after 12 bytes per index) then its names.
std::string WithWidthLimitsAsDates(std::string file) {
  const std::u16string wanted = u"路基限宽";
  const std::string name(reinterpret_cast<const char*>(wanted.data()), wanted.size() * 2);
  for (std::size_t page = 0; page + 4096 <= file.size(); page += 4096) {
    const auto at = [&](std::size_t offset, int bytes) {
      unsigned value = 0;
      for (int b = bytes - 1; b >= 0; --b) value = value * 256 + uint8_t(file[page + offset + b]);
      return value;
    };
    if (file[page] != 2 || file.substr(page, 4096).find(name) == std::string::npos) continue;
    const unsigned columns = at(45, 2), entries = 63 + 12 * at(51, 4);
    std::size_t names = entries + 25 * columns;
    for (unsigned c = 0; c < columns; names += 2 + at(names, 2), ++c)
      if (file.compare(page + names + 2, at(names, 2), name) == 0)
        file[page + entries + 25 * c] = 8;
  }
  return file;
}

TEST(AccessSchemeTest, AColumnOfATypeTheFieldCannotHoldKeepsEveryRoadWithRowsFromLoadingWhole) {
  test::ScratchDir dir;
  test::Recorders recorders;
  test::WriteBytes(dir.File("dates.mdb"),
                   WithWidthLimitsAsDates(test::ReadBytes(test::SharedJet(test::kSampleJet4))));
  SchemeStore scheme(recorders.services());
  ASSERT_TRUE(scheme.Open(dir.File("dates.mdb")));
  for (const auto& record : scheme.TakeRecords())
    EXPECT_EQ(
        record->loadProblems,
        (std::vector<std::string>{
            "表左横断面限制宽度: 第1行列路基限宽: Access 中的类型为日期/时间, 而本列只能存数值",
            "表右横断面限制宽度: 第1行列路基限宽: Access 中的类型为日期/时间, 而本列只能存数值"}))
        << record->roadName;
}

TEST(AccessSchemeTest, ConvertingInPlaceKeepsTheOriginalBesideTheSchemeOrChangesNothing) {
  test::ScratchDir dir;
  test::Recorders recorders;
  const std::string sample = test::ReadBytes(test::SharedJet(test::kSampleJet4));
  const std::filesystem::path scheme = dir.path() / "示例方案.mdb";
  test::WriteBytes(scheme, sample);
  test::WriteBytes(dir.path() / "示例方案.access.mdb", "an older original");
  const InPlaceConversion done = ConvertSchemeInPlace(scheme, recorders.services());
  ASSERT_TRUE(done.result.Converted()) << done.result.message;
  EXPECT_EQ(done.original, dir.path() / "示例方案.access2.mdb");
  EXPECT_EQ(test::ReadBytes(done.original), sample);
  EXPECT_EQ(test::ReadBytes(dir.path() / "示例方案.access.mdb"), "an older original");
  EXPECT_EQ(ProbeFile(scheme).kind, FileKind::Sqlite);
  const std::string expected = test::ExpectedScheme(dir);
  for (const auto& table : test::SqliteTables(expected))
    EXPECT_EQ(test::ExactRows(scheme, table[0]), test::ExactRows(expected, table[0])) << table[0];

  const std::filesystem::path cut = dir.path() / "cut.mdb";
  test::WriteBytes(cut, sample.substr(0, 300000));
  EXPECT_FALSE(ConvertSchemeInPlace(cut, recorders.services()).result.Converted());
  EXPECT_EQ(test::ReadBytes(cut), sample.substr(0, 300000));
  EXPECT_FALSE(std::filesystem::exists(AccessOriginalPath(cut)));
}

}  // namespace
}  // namespace hdmjm
