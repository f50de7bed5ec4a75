// The Access reader on the shared files: the Jet 4 sample value for value against the SQLite
// scheme it must read as, the real Access 97 and 2000 files, and damaged files of every kind.
#include "store/access_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "access_support.h"

namespace hdmjm {
namespace {

TEST(AccessFileTest, Jet4SampleReadsAsTheExpectedSchemeValueForValue) {
  test::ScratchDir dir;
  const std::string expected = test::ExpectedScheme(dir);
  AccessError error;
  auto file = AccessFile::Open(test::CopyJet(dir, test::kSampleJet4), error);
  ASSERT_TRUE(file) << AccessErrorText(error);
  EXPECT_EQ(file->Kind(), FileKind::Jet4);
  test::ExactTable names;
  for (const AccessTable& table : file->Tables()) {
    names.push_back({table.name});
    test::ExactTable columns;
    for (const AccessColumn& column : table.columns) columns.push_back({column.name});
    EXPECT_EQ(columns,
              test::QuerySql(expected, "select name from pragma_table_info('" + table.name + "')"));
    const test::ExactTable rows = test::AccessRows(*file, table);
    EXPECT_EQ(rows, test::ExactRows(expected, table.name)) << table.name;
    EXPECT_EQ(rows.size(), table.rowCount) << table.name;
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, test::SqliteTables(expected));  // 平曲线要素 of another tool among them

  const AccessColumn& serial = file->FindTable("断链表")->columns[0];
  EXPECT_TRUE(serial.type == JetType::Long && serial.autoNumber);
}

// Their values: see the conversion's test.
TEST(AccessFileTest, RealAccess97And2000FilesOpen) {
  const std::tuple<const char*, FileKind, const char*, std::size_t> cases[] = {
      {test::kAccess97, FileKind::Jet3, "fpdev", 8},
      {test::kNotSchemeJet4, FileKind::Jet4, "MONITOR_AUTHENTICATE", 1},
  };
  for (const auto& [name, kind, table, rows] : cases) {
    test::ScratchDir dir;
    AccessError error;
    auto file = AccessFile::Open(test::CopyJet(dir, name), error);
    ASSERT_TRUE(file) << name << ": " << AccessErrorText(error);
    EXPECT_EQ(file->Kind(), kind);
    ASSERT_EQ(file->Tables().size(), 1u) << name;  // no system table
    EXPECT_EQ(file->FindTable(table), &file->Tables()[0]) << name;
    EXPECT_EQ(test::AccessRows(*file, file->Tables()[0]).size(), rows) << name;
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
      {"ace-header.accdb", std::string("\0\1\0\0Standard ACE DB\0\2", 21), AccessFault::Damaged,
       nullptr},
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

}  // namespace
}  // namespace hdmjm
