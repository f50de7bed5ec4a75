// The shared Access test files, and values compared exactly: each as its type and its bits.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "store/access_file.h"
#include "test_support.h"

namespace hdmjm::test {

inline constexpr const char* kSampleJet4 = "示例方案.jet4.mdb";
inline constexpr const char* kNotSchemeJet4 = "not-a-scheme.jet4.mdb";
inline constexpr const char* kAccess97 = "access97.jet3.mdb";

inline std::filesystem::path SharedJet(const std::string& name) {
  return std::filesystem::path(HDMJM_SHARED_DIR) / "jet" / name;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A copy of a shared Access file in the scratch folder, never the original.
inline std::string CopyJet(const ScratchDir& dir, const std::string& name) {
  const std::string copy = dir.File(name);
  std::filesystem::copy_file(SharedJet(name), copy);
  return copy;
}

// A value as test::ExactRows shows a stored one: "integer:5", "real:0.30000000000000004", ...
inline std::string Exact(const AdoValue& value) {
  if (const auto* i = std::get_if<std::int64_t>(&value)) return "integer:" + std::to_string(*i);
  if (const auto* s = std::get_if<std::string>(&value)) return "text:" + *s;
  if (!std::holds_alternative<double>(value)) return "null";
  char* text = sqlite3_mprintf("%!.17g", std::get<double>(value));  // as the SQL printf writes it
  const std::string real = std::string("real:") + text;
  sqlite3_free(text);
  return real;
}

using ExactTable = std::vector<std::vector<std::string>>;

inline ExactTable AccessRows(AccessFile& file, const AccessTable& table) {
  ExactTable rows;
  const AccessError error = file.ReadRows(table, [&](const std::vector<AdoValue>& row) {
    rows.emplace_back();
    for (const AdoValue& value : row) rows.back().push_back(Exact(value));
    return true;
  });
  EXPECT_FALSE(error.Failed()) << AccessErrorText(error);
  return rows;
}

// The SQLite scheme the Jet 4 sample must read as, built from its SQL.
inline std::string ExpectedScheme(const ScratchDir& dir) {
  const std::string path = dir.File("expected.db");
  RunSql(path, {ReadBytes(SharedJet("示例方案.expected.sql"))});
  return path;
}

// The names of a SQLite file's tables, a row each.
inline ExactTable SqliteTables(const std::string& path) {
  return QuerySql(path,
                  "select name from sqlite_master where type = 'table' and "
                  "name <> 'sqlite_sequence' order by name");
}

}  // namespace hdmjm::test
