#include "ado.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <source_location>
#include <string_view>

#include "database_file.h"

namespace hdmjm {
namespace {

constexpr std::string_view kConnectionOpenError = ":( 连接数据库发生错误: %s\n";
constexpr std::string_view kConnectionCloseError = ":( 关闭数据库发生错误: %s\n";
constexpr std::string_view kExecuteError = ":( 执行语句发生错误: %s\n";
constexpr std::string_view kConnectionClosedText = "the connection is not open";
constexpr std::string_view kFileExistsText = "the file exists already";
constexpr int kBusyWaitMilliseconds = 2000;

void TraceLine(const Services& services, std::string_view format, std::string_view text,
               const std::source_location& where = std::source_location::current()) {
  std::string line(format);
  if (auto at = line.find("%s"); at != std::string::npos) line.replace(at, 2, text);
  services.trace->Write(line, where);
}

// One open period of a connection. Statements prepared during it stop working when it ends.
struct Link {
  sqlite3* db = nullptr;
  bool live = true;
};

bool SameFile(const std::string& path, dev_t device, ino_t inode) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

// The column's value is asked for once and then read: each column call would look the row up
// again.
void ColumnInto(sqlite3_stmt* statement, int column, AdoValue& into) {
  sqlite3_value* value = sqlite3_column_value(statement, column);
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      into = static_cast<std::int64_t>(sqlite3_value_int64(value));
      return;
    case SQLITE_FLOAT:
      into = sqlite3_value_double(value);
      return;
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
      const auto bytes = static_cast<std::size_t>(sqlite3_value_bytes(value));
      if (auto* held = std::get_if<std::string>(&into))
        held->assign(text, bytes);
      else
        into = std::string(text, bytes);
      return;
    }
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(value));
      into = AdoBlob{{bytes, bytes + sqlite3_value_bytes(value)}};
      return;
    }
    default:
      into = nullptr;
  }
}

// Texts and blobs are copied: the value may be a temporary.
int BindValue(sqlite3_stmt* statement, int parameter, const AdoValue& value) {
  struct Binder {
    sqlite3_stmt* s;
    int p;
    int operator()(std::monostate) const { return sqlite3_bind_null(s, p); }
    int operator()(std::nullptr_t) const { return sqlite3_bind_null(s, p); }
    int operator()(std::int64_t v) const { return sqlite3_bind_int64(s, p, v); }
    int operator()(double v) const { return sqlite3_bind_double(s, p, v); }
    int operator()(const std::string& v) const {
      return sqlite3_bind_text(s, p, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    int operator()(const AdoBlob& v) const {
      if (v.bytes.empty()) return sqlite3_bind_zeroblob(s, p, 0);
      return sqlite3_bind_blob(s, p, v.bytes.data(), static_cast<int>(v.bytes.size()),
                               SQLITE_TRANSIENT);
    }
  };
  return std::visit(Binder{statement, parameter}, value);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// AdoConnection

struct AdoConnection::Handle {
  sqlite3* db = nullptr;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  bool created = false;        // made by Create: no header to check yet
  std::shared_ptr<Link> link;  // set while the connection is open

  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  // Statements still held keep the engine's connection alive until they go.
  ~Handle() { sqlite3_close_v2(db); }
};

AdoConnection::AdoConnection(const Services& services) : services_(services) {}

AdoConnection::~AdoConnection() { Close(); }

void AdoConnection::Failed(const AdoError& error) { lastError_ = error; }

bool AdoConnection::Open(const std::string& path) {
  Close();
  // The engine's connection of the last open is reused while it still refers to the same file.
  // One the engine could open for reading only is opened again, so that a file made writable
  // since is written.
  if (handle_ && handle_->path == path && SameFile(path, handle_->device, handle_->inode) &&
      sqlite3_db_readonly(handle_->db, "main") != 1) {
    handle_->link = std::make_shared<Link>(Link{handle_->db});
    return true;
  }
  handle_.reset();
  auto handle = std::make_unique<Handle>();
  handle->path = path;
  const int rc = sqlite3_open_v2(path.c_str(), &handle->db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  return Opened(std::move(handle), rc);
}

bool AdoConnection::Create(const std::string& path) {
  Close();
  handle_.reset();
  std::error_code error;
  if (std::filesystem::exists(path, error) || error) {
    Failed({SQLITE_CANTOPEN, std::string(kFileExistsText)});
    TraceLine(services_, kConnectionOpenError, kFileExistsText);
    return false;
  }
  auto handle = std::make_unique<Handle>();
  handle->path = path;
  handle->created = true;
  const int rc =
      sqlite3_open_v2(path.c_str(), &handle->db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  return Opened(std::move(handle), rc);
}

bool AdoConnection::Opened(std::unique_ptr<Handle> handle, int rc) {
  AdoError fault;
  if (rc != SQLITE_OK) {
    fault = {rc & 0xff, handle->db ? sqlite3_errmsg(handle->db) : sqlite3_errstr(rc)};
  } else {
    sqlite3_busy_timeout(handle->db, kBusyWaitMilliseconds);
    if (!handle->created) fault = DatabaseFault(handle->db, handle->path);
  }
  if (fault.code != 0) {
    Failed(fault);
    TraceLine(services_, kConnectionOpenError, fault.text);
    return false;
  }
  struct stat info;
  if (::stat(handle->path.c_str(), &info) == 0) {
    handle->device = info.st_dev;
    handle->inode = info.st_ino;
  }
  handle->created = false;
  handle->link = std::make_shared<Link>(Link{handle->db});
  handle_ = std::move(handle);
  return true;
}

void AdoConnection::Close() {
  if (!IsOpen()) return;
  sqlite3* db = handle_->db;
  // Nothing stays active across a close: statements are stopped and a transaction rolled back.
  for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s))
    if (sqlite3_stmt_busy(s)) sqlite3_reset(s);
  if (InTransaction() && sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
    TraceLine(services_, kConnectionCloseError, sqlite3_errmsg(db));
  handle_->link->live = false;
  handle_->link.reset();
}

void AdoConnection::Release() {
  Close();
  handle_.reset();
}

bool AdoConnection::IsOpen() const { return handle_ && handle_->link; }

bool AdoConnection::IsReadOnly() const {
  return IsOpen() && sqlite3_db_readonly(handle_->db, "main") == 1;
}

bool AdoConnection::InTransaction() const {
  return IsOpen() && !sqlite3_get_autocommit(handle_->db);
}

bool AdoConnection::Execute(const std::string& statement) {
  if (!IsOpen()) {
    Failed({SQLITE_MISUSE, std::string(kConnectionClosedText)});
    TraceLine(services_, kExecuteError, kConnectionClosedText);
    return false;
  }
  const std::string sql = MapDialect(statement);
  if (sqlite3_exec(handle_->db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  Failed({sqlite3_errcode(handle_->db) & 0xff, sqlite3_errmsg(handle_->db),
          sqlite3_system_errno(handle_->db)});
  TraceLine(services_, kExecuteError, sqlite3_errmsg(handle_->db));
  return false;
}

// ---------------------------------------------------------------------------------------------
// AdoStatement

struct AdoStatement::State {
  AdoConnection& connection;
  std::shared_ptr<Link> link;
  sqlite3_stmt* statement = nullptr;

  explicit State(AdoConnection& c) : connection(c) {}
  bool Live() const { return statement && link && link->live; }
  void Fail(int code, const std::string& text, int systemError = 0) {
    connection.Failed({code & 0xff, text, systemError});
    TraceLine(connection.services_, kExecuteError, text);
  }
  void FailFromEngine() {
    Fail(sqlite3_errcode(link->db), sqlite3_errmsg(link->db), sqlite3_system_errno(link->db));
  }
};

AdoStatement::AdoStatement(AdoConnection& connection, const std::string& statement)
    : state_(std::make_unique<State>(connection)) {
  if (!connection.IsOpen()) {
    state_->Fail(SQLITE_MISUSE, std::string(kConnectionClosedText));
    return;
  }
  state_->link = connection.handle_->link;
  const std::string sql = MapDialect(statement);
  if (sqlite3_prepare_v2(state_->link->db, sql.c_str(), -1, &state_->statement, nullptr) !=
      SQLITE_OK) {
    state_->FailFromEngine();
    sqlite3_finalize(state_->statement);
    state_->statement = nullptr;
  }
}

AdoStatement::~AdoStatement() { sqlite3_finalize(state_->statement); }

bool AdoStatement::Prepared() const { return state_->statement != nullptr; }

void AdoStatement::Bind(int parameter, const AdoValue& value) {
  if (!state_->Live()) return;
  if (BindValue(state_->statement, parameter, value) != SQLITE_OK) state_->FailFromEngine();
}

AdoStatement::Step AdoStatement::Next() {
  if (!state_->Live()) {
    state_->Fail(SQLITE_MISUSE, std::string(kConnectionClosedText));
    return Step::Failed;
  }
  const int rc = sqlite3_step(state_->statement);
  if (rc == SQLITE_ROW) return Step::Row;
  if (rc == SQLITE_DONE) return Step::Done;
  state_->FailFromEngine();
  sqlite3_reset(state_->statement);
  return Step::Failed;
}

bool AdoStatement::Run() {
  Step step = Next();
  while (step == Step::Row) step = Next();
  Reset();
  return step == Step::Done;
}

void AdoStatement::Reset() {
  if (!state_->statement) return;
  sqlite3_reset(state_->statement);
  sqlite3_clear_bindings(state_->statement);
}

AdoValue AdoStatement::Value(int column) const {
  if (!state_->Live() || column < 0 || column >= sqlite3_column_count(state_->statement))
    return std::monostate{};
  AdoValue value;
  ColumnInto(state_->statement, column, value);
  return value;
}

void AdoStatement::ValuesInto(std::vector<AdoValue>& values) const {
  const int count = state_->Live() ? sqlite3_column_count(state_->statement) : 0;
  for (int column = 0; column < static_cast<int>(values.size()); ++column)
    if (column < count)
      ColumnInto(state_->statement, column, values[column]);
    else
      values[column] = std::monostate{};
}

}  // namespace hdmjm
