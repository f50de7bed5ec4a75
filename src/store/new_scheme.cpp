#include "new_scheme.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

namespace hdmjm {
namespace {

constexpr const char* kCreateStatements =
    "CREATE TABLE 断链表 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 TEXT, "
    "等号左里程冠号 TEXT, 等号左里程数 REAL, 等号右里程冠号 TEXT, 等号右里程数 REAL);"
    "INSERT INTO 断链表 (道路名, 等号左里程冠号, 等号左里程数, 等号右里程冠号, 等号右里程数) "
    "VALUES ('主线', 'K', 0, 'K', 0);";

// The engine's own reason, or an empty text when it succeeded.
std::string WriteScheme(const std::string& path) {
  sqlite3* raw = nullptr;
  const int opened =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
  if (opened != SQLITE_OK) return raw ? sqlite3_errmsg(raw) : sqlite3_errstr(opened);
  char* error = nullptr;
  if (sqlite3_exec(raw, kCreateStatements, nullptr, nullptr, &error) == SQLITE_OK) return {};
  std::string reason = error ? error : sqlite3_errmsg(raw);
  sqlite3_free(error);
  return reason;
}

}  // namespace

bool CreateEmptyScheme(const std::string& path, UserMessages& messages) {
  const std::filesystem::path file(path);
  std::error_code error;
  if (std::filesystem::exists(file, error)) {
    messages.Show(path + "已存在!");
    return false;
  }
  std::filesystem::create_directories(file.parent_path(), error);
  std::string reason = error ? error.message() : WriteScheme(path);
  if (reason.empty()) return true;
  std::filesystem::remove(file, error);  // no half-made scheme stays behind
  messages.Show("无法创建方案数据库" + path + "! " + reason);
  return false;
}

}  // namespace hdmjm
