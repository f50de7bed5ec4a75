// The Access reader on the shared files: the Jet 4 sample value for value against the SQLite
// scheme it must read as, the real Access 97 and 2000 files, and damaged files of every kind.
#include "store/access_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "access_support.h"

namespace hdmjm {
namespace {

using test::Exact;

TEST(AccessFileTest, Jet4SampleReadsAsTheExpectedSchemeValueForValue) {
  test::ScratchDir dir;
  const std::string expected = test::ExpectedScheme(dir);
  AccessError error;
  auto file = AccessFile::Open(test::CopyJet(dir, test::kSampleJet4), error);
  ASSERT_TRUE(file) << AccessErrorText(error);
  EXPECT_EQ(file->Kind(), FileKind::Jet4);
  std::vector<std::string> names;
  for (const AccessTable& table : file->Tables()) {
    names.push_back(table.name);
    std::vector<std::string> columns;
    for (const AccessColumn& column : table.columns) columns.push_back(column.name);
    std::vector<std::string> expectedColumns;
    for (const auto& row :
         test::QuerySql(expected, "select name from pragma_table_info('" + table.name + "')"))
      expectedColumns.push_back(row[0]);
    EXPECT_EQ(columns, expectedColumns) << table.name;
    const test::ExactTable rows = test::AccessRows(*file, table);
    EXPECT_EQ(rows, test::SqliteRows(expected, table.name)) << table.name;
    EXPECT_EQ(rows.size(), table.rowCount) << table.name;
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, test::SqliteTables(expected));  // 平曲线要素 of another tool among them

  // The rows Access marked deleted stay away; the serial is Access's own numbering.
  EXPECT_EQ(file->FindTable("右侧沟")->rowCount, 3u);
  EXPECT_EQ(file->FindTable("左路堤边坡")->rowCount, 6u);
  const AccessColumn& serial = file->FindTable("断链表")->columns[0];
  EXPECT_TRUE(serial.type == JetType::Long && serial.autoNumber);
}

TEST(AccessFileTest, RealAccess97And2000FilesOpenWithTheirTypes) {
  struct Case {
    const char* file;
    FileKind kind;
    const char* table;
    std::size_t rows;
    std::vector<JetType> types;
    std::vector<std::string> firstRow;  // the date aside
  };
  const Case cases[] = {
      {test::kAccess97,
       FileKind::Jet3,
       "FPdev",
       8,
       {JetType::Long, JetType::Text, JetType::Text},
       {"int:1", "text:Michael Van Canneyt", "text:Michael@tfdec1.fys.kuleuven.ac.be"}},
      {test::kNotSchemeJet4,
       FileKind::Jet4,
       "Monitor_Authenticate",
       1,
       {JetType::Long, JetType::Decimal, JetType::Text, JetType::Decimal, JetType::Text,
        JetType::Boolean, JetType::Boolean, JetType::Boolean, JetType::Boolean, JetType::Boolean,
        JetType::DateTime, JetType::Text},
       {"int:1", "int:1234567890", "text:12345678", "int:33600", "text:nobody@sunnyline.co.za",
        "int:1", "int:1", "int:1", "int:1", "int:0"}},
  };
  for (const Case& c : cases) {
    test::ScratchDir dir;
    AccessError error;
    auto file = AccessFile::Open(test::CopyJet(dir, c.file), error);
    ASSERT_TRUE(file) << c.file << ": " << AccessErrorText(error);
    EXPECT_EQ(file->Kind(), c.kind);
    ASSERT_EQ(file->Tables().size(), 1u) << c.file;  // system tables are not listed
    const AccessTable* table = file->FindTable(c.table);
    ASSERT_TRUE(table) << c.file;
    std::vector<JetType> types;
    for (const AccessColumn& column : table->columns) types.push_back(column.type);
    EXPECT_EQ(types, c.types) << c.file;
    const test::ExactTable rows = test::AccessRows(*file, *table);
    ASSERT_EQ(rows.size(), c.rows) << c.file;
    EXPECT_EQ(std::vector<std::string>(rows[0].begin(), rows[0].begin() + c.firstRow.size()),
              c.firstRow)
        << c.file;
  }
}

// Every way a file can fail to be an Access file, or fail half-way through one, is a result
// that names its cause (and the table where the damage lies), never a crash.
TEST(AccessFileTest, MissingForeignTruncatedAndDamagedFilesAreNamedFailures) {
  test::ScratchDir dir;
  const std::string sample = test::ReadBytes(test::SharedJet(test::kSampleJet4));
  std::mt19937 random(7);
  std::string noise(50000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string jetNoise = sample.substr(0, 4096) + noise;
  test::RunSql(dir.File("sqlite.db"), {"create table t (a)"});
  std::filesystem::create_directory(dir.File("folder.mdb"));
  struct Case {
    std::string name;
    std::string bytes;  // the file's contents; none for the prepared ones
    AccessFault atOpen;
    const char* damagedTable;  // open succeeds, reading this table fails; the first still reads
  };
  const Case cases[] = {
      {"missing.mdb", {}, AccessFault::Missing, nullptr},
      {"folder.mdb", {}, AccessFault::Unreadable, nullptr},
      {"sqlite.db", {}, AccessFault::NotAccess, nullptr},
      {"empty.mdb", std::string(), AccessFault::NotAccess, nullptr},
      {"noise.mdb", noise, AccessFault::NotAccess, nullptr},
      {"jet-noise.mdb", jetNoise, AccessFault::Damaged, nullptr},
      {"header-only.mdb", sample.substr(0, 8192), AccessFault::Damaged, nullptr},
      {"no-catalogue.mdb", sample.substr(0, 200000), AccessFault::Damaged, nullptr},
      {"definition-cut.mdb", sample.substr(0, 300000), AccessFault::Damaged, nullptr},
      {"data-cut.mdb", sample.substr(0, 92 * 4096), AccessFault::None, "平曲线要素"},
  };
  for (const Case& c : cases) {
    if (!c.bytes.empty() || c.name == "empty.mdb") test::WriteBytes(dir.File(c.name), c.bytes);
    AccessError error;
    auto file = AccessFile::Open(dir.File(c.name), error);
    EXPECT_EQ(error.fault, c.atOpen) << c.name << ": " << AccessErrorText(error);
    EXPECT_EQ(bool(file), c.atOpen == AccessFault::None) << c.name;
    if (!file) continue;
    EXPECT_FALSE(file->ReadRows(file->Tables().front(), [](auto&) { return true; }).Failed());
    error = file->ReadRows(*file->FindTable(c.damagedTable), [](auto&) { return true; });
    EXPECT_EQ(error.fault, AccessFault::Damaged) << c.name;
    EXPECT_NE(AccessErrorText(error).find(c.damagedTable), std::string::npos);
  }
}

// Bytes changed at random anywhere in the file: each table either reads whole or fails as
// damaged, and nothing crashes or hangs.
TEST(AccessFileTest, RandomlyDamagedCopiesReadWholeOrFail) {
  test::ScratchDir dir;
  const std::string sample = test::ReadBytes(test::SharedJet(test::kSampleJet4));
  std::mt19937 random(11);
  std::uniform_int_distribution<std::size_t> at(0, sample.size() - 1);
  for (int copy = 0; copy < 60; ++copy) {
    std::string bytes = sample;
    for (int i = 0; i < 40; ++i) bytes[at(random)] = static_cast<char>(random());
    test::WriteBytes(dir.File("damaged.mdb"), bytes);
    AccessError error;
    auto file = AccessFile::Open(dir.File("damaged.mdb"), error);
    if (!file) {
      EXPECT_TRUE(error.fault == AccessFault::Damaged || error.fault == AccessFault::NotAccess);
      continue;
    }
    for (const AccessTable& table : file->Tables()) {
      std::size_t rows = 0;
      error = file->ReadRows(table, [&](auto&) { return ++rows, true; });
      EXPECT_TRUE(error.Failed() ? error.fault == AccessFault::Damaged ||
                                       error.fault == AccessFault::Unsupported
                                 : rows == table.rowCount);
    }
  }
}

TEST(AccessFileTest, FileKindIsToldByTheFirstBytes) {
  test::ScratchDir dir;
  test::RunSql(dir.File("sqlite.db"), {"create table t (a)"});
  test::WriteBytes(dir.File("ace.accdb"), std::string("\0\1\0\0Standard ACE DB\0\2\0\0\0", 24));
  test::WriteBytes(dir.File("empty"), "");
  const std::pair<std::filesystem::path, FileKind> cases[] = {
      {dir.File("sqlite.db"), FileKind::Sqlite},
      {test::SharedJet(test::kAccess97), FileKind::Jet3},
      {test::SharedJet(test::kSampleJet4), FileKind::Jet4},
      {dir.File("ace.accdb"), FileKind::Ace},
      {dir.File("empty"), FileKind::Unknown},
      {dir.File("missing"), FileKind::Missing},
      {dir.path(), FileKind::Directory},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(ProbeFile(path).kind, kind) << path;
}

}  // namespace
}  // namespace hdmjm
