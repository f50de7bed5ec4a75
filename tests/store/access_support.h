// The shared Access test files, and values compared exactly: each as its type and its bits.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <bit>
#include <cstdio>
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
  std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return copy;
}

// "int:5", "real:<bits>", "text:abc", "null", "blob:<size>".
inline std::string Exact(const AdoValue& value) {
  if (const auto* i = std::get_if<std::int64_t>(&value)) return "int:" + std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value))
    return "real:" + std::to_string(std::bit_cast<std::uint64_t>(*d));
  if (const auto* s = std::get_if<std::string>(&value)) return "text:" + *s;
  if (const auto* b = std::get_if<AdoBlob>(&value)) {
    std::string hex = "blob:";
    for (unsigned char c : b->bytes)
      hex += "0123456789abcdef"[c >> 4] + std::string(1, "0123456789abcdef"[c & 15]);
    return hex;
  }
  return std::holds_alternative<std::nullptr_t>(value) ? "null" : "empty";
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

// Every row of a SQLite table in rowid order, exactly as stored.
inline ExactTable SqliteRows(const std::string& path, const std::string& table) {
  ExactTable rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  const std::string query = "select * from \"" + table + "\" order by rowid";
  if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) != SQLITE_OK)
    ADD_FAILURE() << query << ": " << sqlite3_errmsg(db);
  while (statement && sqlite3_step(statement) == SQLITE_ROW) {
    rows.emplace_back();
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
      switch (sqlite3_column_type(statement, c)) {
        case SQLITE_INTEGER:
          rows.back().push_back(Exact(std::int64_t{sqlite3_column_int64(statement, c)}));
          break;
        case SQLITE_FLOAT:
          rows.back().push_back(Exact(sqlite3_column_double(statement, c)));
          break;
        case SQLITE_NULL:
          rows.back().push_back("null");
          break;
        default:
          rows.back().push_back(Exact(std::string(text)));
      }
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

// The SQLite scheme the Jet 4 sample must read as, built from its SQL.
inline std::string ExpectedScheme(const ScratchDir& dir) {
  const std::string path = dir.File("expected.db");
  RunSql(path, {ReadBytes(SharedJet("示例方案.expected.sql"))});
  return path;
}

inline std::vector<std::string> SqliteTables(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& row : QuerySql(path,
                                  "select name from sqlite_master where type = 'table' and "
                                  "name <> 'sqlite_sequence' order by name"))
    names.push_back(row[0]);
  return names;
}

}  // namespace hdmjm::test
