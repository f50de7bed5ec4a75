// Recorders for the store's interfaces and a scratch database built from SQL in the test.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "store/records.h"
#include "store/services.h"

namespace hdmjm::test {

class RecordingMessages : public UserMessages {
 public:
  void Show(const std::string& text, const std::string& title, Icon) override {
    texts.push_back(text);
    titles.push_back(title);
  }
  // Questions are recorded among the texts; each takes the next scripted answer, or the default.
  int Choose(const std::string& text, const std::vector<std::string>&, int defaultButton,
             const std::string& title) override {
    Show(text, title, Icon::None);
    if (answers.empty()) return defaultButton;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<std::string> texts;
  std::vector<std::string> titles;
  std::vector<int> answers;
};

class RecordingTrace : public Trace {
 public:
  void Write(std::string_view line, const std::source_location&) override {
    lines.emplace_back(line);
  }
  std::vector<std::string> lines;
};

class RecordingProgress : public Progress {
 public:
  void SetProgress(int percent) override { positions.push_back(percent); }
  std::vector<int> positions;
};

struct Recorders {
  RecordingMessages messages;
  RecordingTrace trace;
  RecordingProgress progress;
  Services services() { return Services{&messages, &trace, &progress}; }
};

// A fresh folder under the test temp dir, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("hdmjm-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Creates (or extends) the database file at `path` by running the statements in order.
inline void RunSql(const std::string& path, std::initializer_list<std::string> statements) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  for (const auto& s : statements) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, s.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << s << ": " << (error ? error : "");
  }
  sqlite3_close(db);
}

// The rows of a query, each as its columns' text ("NULL" for null).
inline std::vector<std::vector<std::string>> QuerySql(const std::string& path,
                                                      const std::string& query) {
  std::vector<std::vector<std::string>> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << path;
    return rows;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, query.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << query << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return rows;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = sqlite3_column_text(stmt, i);
      row.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

// A slope segment ending at `station` with `levels` in use and held.
inline SlopeSegment MakeSlopeSegment(double station, const std::vector<SlopeLevel>& levels) {
  SlopeSegment segment;
  segment.endStation = station;
  segment.levelCount = static_cast<int>(levels.size());
  segment.levels.AssignFirst(levels);
  return segment;
}

// Every row of `table` (those matching `where`, in rowid order), each column as its type and
// exact value ("real:0.123456789012", "text:abc", "null"), so that a test sees a change of a
// value or of its type. 序号 is left out when `withSerial` is false.
inline std::vector<std::vector<std::string>> ExactRows(const std::string& path,
                                                       const std::string& table,
                                                       const std::string& where = "",
                                                       bool withSerial = true) {
  std::string list;
  for (const auto& column : QuerySql(path, "select name from pragma_table_info('" + table + "')")) {
    if (!withSerial && column[0] == "序号") continue;
    const std::string c = "\"" + column[0] + "\"";
    list += (list.empty() ? "" : ", ") + std::string("CASE typeof(") + c +
            ") WHEN 'real' THEN 'real:' || printf('%!.17g', " + c +
            ") WHEN 'null' THEN 'null' ELSE typeof(" + c + ") || ':' || " + c + " END";
  }
  return QuerySql(path, "select " + list + " from \"" + table + "\" " + where + " order by rowid");
}

// 断链表 as the fixtures write it, and one of its rows.
inline constexpr const char* kChainBreakTableSql =
    "create table 断链表 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 等号左里程冠号 VARCHAR, "
    "等号左里程数 double, 等号右里程冠号 VARCHAR, 等号右里程数 double)";
inline std::string ChainBreakRowSql(const std::string& road, double left, double right) {
  return "insert into 断链表 (道路名, 等号左里程冠号, 等号左里程数, 等号右里程冠号, 等号右里程数) "
         "values ('" +
         road + "', 'K', " + std::to_string(left) + ", 'K', " + std::to_string(right) + ")";
}

}  // namespace hdmjm::test
