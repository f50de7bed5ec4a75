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
  std::vector<std::string> texts;
  std::vector<std::string> titles;
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

// A slope segment ending at `station` with `levels` in use; its other level slots are zero.
inline SlopeSegment MakeSlopeSegment(double station, const std::vector<SlopeLevel>& levels) {
  SlopeSegment segment;
  segment.endStation = station;
  segment.levelCount = static_cast<int>(levels.size());
  std::copy(levels.begin(), levels.end(), segment.levels.begin());
  return segment;
}

}  // namespace hdmjm::test
