#include "ado.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cctype>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <source_location>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace hdmjm {
namespace {

constexpr std::string_view kConnectionOpenError = ":( 连接数据库发生错误: %s\n";
constexpr std::string_view kConnectionCloseError = ":( 关闭数据库发生错误: %s\n";
constexpr std::string_view kOpenSchemaError = ":( OpenSchema方法发生错误: %s\n";
constexpr std::string_view kBeginTransError = ":( BeginTrans发生错误: %s\n";
constexpr std::string_view kCommitTransError = ":( CommitTrans发生错误: %s\n";
constexpr std::string_view kRollbackTransError = ":( RollbackTrans发生错误: %s\n";
constexpr std::string_view kRecordsetOpenError = ":( 打开记录集发生错误: %s\n";
constexpr std::string_view kRecordsetCloseError = ":( 关闭记录集发生错误: %s\n";
constexpr std::string_view kAddNewError = ":( AddNew发生错误: %s\n";
constexpr std::string_view kUpdateError = ":( Update发生错误: %s\n";
constexpr std::string_view kMoveFirstError = ":( MoveFirst发生错误: %s\n";
constexpr std::string_view kMoveLastError = ":( MoveLast发生错误: %s\n";
constexpr std::string_view kMoveNextError = ":( MoveNext发生错误: %s\n";
constexpr std::string_view kIsEofError = ":( IsEOF发生错误: %s\n";
constexpr std::string_view kRecordCountError = ":( GetRecordCount发生错误: %s\n";
constexpr std::string_view kFieldsError = ":( GetFields发生错误: %s\n";
constexpr std::string_view kFieldNameError = ":( GetFieldName发生错误: %s\n";
constexpr std::string_view kFieldAccessError = ":( 字段访问失败: %s\n";
constexpr std::string_view kExecuteError = ":( 执行语句发生错误: %s\n";

constexpr std::string_view kDisconnectedText = "数据库可能已经断开,\r\n请重新连接、然后重试.";
constexpr std::string_view kDisconnectedTitle = "提示";

constexpr std::string_view kConnectionClosedText = "the connection is not open";
constexpr std::string_view kRecordsetClosedText =
    "operation is not allowed when the recordset is closed";
constexpr std::string_view kNoCurrentRowText = "there is no current row";
constexpr std::string_view kNotUpdatableText = "the rows of this statement cannot be updated";
constexpr std::string_view kDiscardedRowText = "a row put but not updated was discarded";

// The column catalogue: every column of every ordinary table, by table and position.
constexpr const char* kColumnCatalogue =
    "SELECT m.name AS TABLE_NAME, p.name AS COLUMN_NAME, p.cid + 1 AS ORDINAL_POSITION "
    "FROM sqlite_master AS m JOIN pragma_table_info(m.name) AS p "
    "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
    "ORDER BY m.name, p.cid";

// Large enough for "%.8f" of any double: 309 integer digits, sign, point and 8 decimals.
constexpr std::size_t kRealTextSize = 330;

std::string FillIn(std::string_view format, std::string_view text) {
  std::string line(format);
  if (auto at = line.find("%s"); at != std::string::npos) line.replace(at, 2, text);
  return line;
}

void TraceLine(const Services& services, std::string_view format, std::string_view text,
               const std::source_location& where = std::source_location::current()) {
  services.trace->Write(FillIn(format, text), where);
}

std::string RealText(double value) {
  // to_chars with a precision prints exactly what printf prints in the C locale.
  char buffer[kRealTextSize];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 8).ptr;
  return std::string(buffer, end);
}

int LowBits(std::int64_t value) { return static_cast<std::int32_t>(value); }

// What atoi makes of a real's "%.8f" text. Below 2^19 the rounded value keeps the integer part
// of the text; beyond, the text itself is read.
int AtoiOfReal(double value) {
  if (std::fabs(value) < 0x1p19) return static_cast<int>(std::trunc(RoundTo8Decimals(value)));
  return std::atoi(RealText(value).c_str());
}

bool IsNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

bool StartsWithWord(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
  const std::size_t end = at + word.size();
  return end == text.size() || !IsNameChar(text[end]);
}

std::size_t SkipSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

// Index past the quoted name or literal that starts at `at`.
std::size_t SkipQuoted(std::string_view text, std::size_t at) {
  const char close = text[at] == '[' ? ']' : text[at];
  const auto end = text.find(close, at + 1);
  return end == std::string_view::npos ? text.size() : end + 1;
}

bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`' || c == '['; }

// A bare name that starts with a digit, such as 1级边坡系数: the engine reads a number there.
// No number holds a byte beyond ASCII, so such a run is a name.
std::size_t DigitNameEnd(std::string_view text, std::size_t at) {
  if (!std::isdigit(static_cast<unsigned char>(text[at]))) return at;
  std::size_t end = at;
  bool wide = false;
  for (; end < text.size() && IsNameChar(text[end]); ++end)
    wide = wide || static_cast<unsigned char>(text[end]) >= 0x80;
  return wide ? end : at;
}

// The program's Jet SQL for SQLite: "INTEGER identity" numbers itself, names that start with
// a digit are quoted. Quoted names and literals are copied untouched.
std::string MapDialect(std::string_view statement) {
  std::string mapped;
  mapped.reserve(statement.size() + 32);
  std::size_t at = 0;
  while (at < statement.size()) {
    const char c = statement[at];
    if (IsQuote(c)) {
      const std::size_t end = SkipQuoted(statement, at);
      mapped.append(statement.substr(at, end - at));
      at = end;
      continue;
    }
    const bool wordStart = at == 0 || !IsNameChar(statement[at - 1]);
    if (const std::size_t end = wordStart ? DigitNameEnd(statement, at) : at; end > at) {
      mapped += QuoteName(statement.substr(at, end - at));
      at = end;
      continue;
    }
    if (wordStart && StartsWithWord(statement, at, "integer")) {
      const std::size_t next = SkipSpace(statement, at + 7);
      if (next > at + 7 && StartsWithWord(statement, next, "identity")) {
        mapped += "INTEGER PRIMARY KEY AUTOINCREMENT";
        at = next + 8;
        continue;
      }
    }
    mapped += c;
    ++at;
  }
  return mapped;
}

struct SelectAll {
  std::string table;     // as written in the statement
  std::size_t star = 0;  // where "*" stands
};

// "select * from NAME ...": the table the rows come from, so that rows can be written back.
std::optional<SelectAll> ParseSelectAll(std::string_view statement) {
  std::size_t at = SkipSpace(statement, 0);
  if (!StartsWithWord(statement, at, "select")) return std::nullopt;
  at = SkipSpace(statement, at + 6);
  if (at >= statement.size() || statement[at] != '*') return std::nullopt;
  const std::size_t star = at;
  at = SkipSpace(statement, at + 1);
  if (!StartsWithWord(statement, at, "from")) return std::nullopt;
  const std::size_t nameStart = SkipSpace(statement, at + 4);
  if (nameStart == at + 4 || nameStart >= statement.size()) return std::nullopt;
  std::size_t nameEnd = nameStart;
  if (IsQuote(statement[nameStart])) {
    nameEnd = SkipQuoted(statement, nameStart);
  } else {
    while (nameEnd < statement.size() &&
           (IsNameChar(statement[nameEnd]) || statement[nameEnd] == '.'))  // main.T
      ++nameEnd;
  }
  if (nameEnd == nameStart) return std::nullopt;
  const std::size_t after = SkipSpace(statement, nameEnd);
  if (after < statement.size() && statement[after] == ',') return std::nullopt;  // a join
  return SelectAll{std::string(statement.substr(nameStart, nameEnd - nameStart)), star};
}

std::uint32_t BigEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

// Checks the 100-byte header of a database file: nothing when it looks sound, otherwise the
// engine's words for the fault.
std::optional<std::string> HeaderFault(const std::string& path) {
  unsigned char header[100];
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (in.gcount() < static_cast<std::streamsize>(sizeof header) ||
      std::memcmp(header, "SQLite format 3", 16) != 0)
    return sqlite3_errstr(SQLITE_NOTADB);
  std::uint32_t pageSize = BigEndian(header + 16, 2);
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) return sqlite3_errstr(SQLITE_NOTADB);
  const std::uint32_t changeCounter = BigEndian(header + 24, 4);
  const std::uint32_t pageCount = BigEndian(header + 28, 4);
  const std::uint32_t validFor = BigEndian(header + 92, 4);
  if (pageCount > 0 && changeCounter == validFor) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size < std::uintmax_t{pageCount} * pageSize) return sqlite3_errstr(SQLITE_CORRUPT);
  }
  return std::nullopt;
}

// Reads the whole schema table so that a damaged file fails now rather than at a query.
std::optional<std::string> SchemaFault(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT * FROM sqlite_master", -1, &statement, nullptr);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) rc = sqlite3_step(statement);
  std::optional<std::string> fault;
  if (rc != SQLITE_DONE) fault = sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  return fault;
}

// One open period of a connection. Results made during it stop working when it ends.
struct Link {
  sqlite3* db = nullptr;
  bool live = true;
};

bool SameFile(const std::string& path, dev_t device, ino_t inode) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

AdoValue ColumnValue(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
      return static_cast<std::int64_t>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
      return sqlite3_column_double(statement, column);
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return std::string(text, sqlite3_column_bytes(statement, column));
    }
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
      return AdoBlob{{bytes, bytes + sqlite3_column_bytes(statement, column)}};
    }
    default:
      return nullptr;
  }
}

// The number that converting a field's text would give, taken from the stored value:
// fromReal for a real (whose text is "%.8f"), fromText for a text.
template <class Number, class FromReal, class FromText>
Number FieldNumber(sqlite3_stmt* row, int column, FromReal fromReal, FromText fromText) {
  switch (sqlite3_column_type(row, column)) {
    case SQLITE_FLOAT:
      return fromReal(sqlite3_column_double(row, column));
    case SQLITE_INTEGER:
      return LowBits(sqlite3_column_int64(row, column));
    case SQLITE_TEXT:
      return fromText(reinterpret_cast<const char*>(sqlite3_column_text(row, column)));
    default:  // NULL reads "NULL", a blob "UN_KNOW": no number in either
      return 0;
  }
}

int BindValue(sqlite3_stmt* statement, int parameter, const AdoValue& value,
              sqlite3_destructor_type keep = SQLITE_STATIC) {
  struct Binder {
    sqlite3_stmt* s;
    int p;
    sqlite3_destructor_type keep;
    int operator()(std::monostate) const { return sqlite3_bind_null(s, p); }
    int operator()(std::nullptr_t) const { return sqlite3_bind_null(s, p); }
    int operator()(std::int64_t v) const { return sqlite3_bind_int64(s, p, v); }
    int operator()(double v) const { return sqlite3_bind_double(s, p, v); }
    int operator()(const std::string& v) const {
      return sqlite3_bind_text(s, p, v.data(), static_cast<int>(v.size()), keep);
    }
    int operator()(const AdoBlob& v) const {
      if (v.bytes.empty()) return sqlite3_bind_zeroblob(s, p, 0);
      return sqlite3_bind_blob(s, p, v.bytes.data(), static_cast<int>(v.bytes.size()), keep);
    }
  };
  return std::visit(Binder{statement, parameter, keep}, value);
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string VariantToText(const AdoValue& value) {
  struct Text {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(std::nullptr_t) const { return "NULL"; }
    std::string operator()(std::int64_t v) const { return std::to_string(LowBits(v)); }
    std::string operator()(double v) const { return RealText(v); }
    std::string operator()(const std::string& v) const { return v; }
    std::string operator()(const AdoBlob&) const { return "UN_KNOW"; }
  };
  return std::visit(Text{}, value);
}

double RoundTo8Decimals(double value) {
  if (std::isnan(value)) return std::copysign(std::numeric_limits<double>::quiet_NaN(), value);
  if (std::isinf(value)) return value;
  const double scaled = value * 1e8;
  // Below 2^46 the product is within 2^-8 of the exact one, so unless it lies near a tie the
  // nearest integer is the one printf rounds to, and the division is the nearest double.
  if (std::fabs(scaled) < 0x1p46) {
    const double fraction = std::fabs(scaled - std::trunc(scaled));
    if (std::fabs(fraction - 0.5) > 0.05) return std::nearbyint(scaled) / 1e8;
  }
  const std::string text = RealText(value);
  double parsed = 0;
  std::from_chars(text.data(), text.data() + text.size(), parsed);
  return parsed;
}

// A result of the engine: a prepared statement stepped one row at a time, and the writes the
// caller puts into it.
class AdoResult {
 public:
  enum class Pending { None, NewRow, CurrentRow };

  AdoResult() = default;
  AdoResult(const AdoResult&) = delete;
  AdoResult& operator=(const AdoResult&) = delete;
  ~AdoResult() {
    Finish();
    DropWriters();
  }

  bool IsOpen() const { return select_ != nullptr && link_ && link_->live; }
  bool OnRow() const { return onRow_; }
  bool Writable() const { return !table_.empty(); }
  int FieldCount() const { return static_cast<int>(names_.size()); }
  const std::string& FieldName(int index) const { return names_[index]; }
  int Column(int index) const { return index + hidden_; }
  sqlite3_stmt* Select() const { return select_; }
  const char* ErrorText() const { return sqlite3_errmsg(link_->db); }
  int FindField(const std::string& name) const {
    for (int i = 0; i < FieldCount(); ++i)
      if (sqlite3_stricmp(names_[i].c_str(), name.c_str()) == 0) return i;
    return -1;
  }

  // Prepares `sql` on the link; hiddenColumns leading columns are kept from the caller.
  bool Prepare(const std::shared_ptr<Link>& link, const std::string& sql, int hiddenColumns) {
    Finish();
    if (writersDb_ != link->db) DropWriters();
    writersDb_ = link->db;
    link_ = link;
    if (sqlite3_prepare_v2(link->db, sql.c_str(), -1, &select_, nullptr) != SQLITE_OK || !select_) {
      sqlite3_finalize(select_);
      select_ = nullptr;
      return false;
    }
    hidden_ = hiddenColumns;
    for (int i = hidden_; i < sqlite3_column_count(select_); ++i)
      names_.emplace_back(sqlite3_column_name(select_, i));
    return true;
  }
  void SetTable(std::string table) { table_ = std::move(table); }

  // SQLITE_ROW or SQLITE_DONE, or the engine's error code.
  int Step() {
    const int rc = sqlite3_step(select_);
    onRow_ = rc == SQLITE_ROW;
    return rc;
  }
  int Restart() {
    sqlite3_reset(select_);
    return Step();
  }

  void Finish() {
    sqlite3_finalize(select_);
    select_ = nullptr;
    link_.reset();
    names_.clear();
    table_.clear();
    hidden_ = 0;
    onRow_ = false;
    ClearPending();
  }

  Pending PendingKind() const { return pending_; }
  void StartNewRow() {
    pending_ = Pending::NewRow;
    puts_.clear();
  }
  // A put into the current row starts an edit of it (rows of a select with its rowid only).
  void Put(int index, const AdoValue& value) {
    if (pending_ == Pending::None) {
      if (!onRow_) return;
      pending_ = Pending::CurrentRow;
      editedRowid_ = hidden_ ? sqlite3_column_int64(select_, 0) : 0;
    }
    // Puts come in column order; keep them sorted by index so writes bind them in that order.
    auto at = std::lower_bound(puts_.begin(), puts_.end(), index,
                               [](const auto& put, int i) { return put.first < i; });
    if (at != puts_.end() && at->first == index) at->second = value;
    else puts_.insert(at, {index, value});
  }

  // Writes the pending row; the row is dropped either way. On failure `error` says why.
  bool WritePending(std::string& error) {
    if (pending_ == Pending::None) return true;
    const bool written = pending_ == Pending::NewRow ? Insert(error) : UpdateRow(error);
    ClearPending();
    return written;
  }

 private:
  void ClearPending() {
    pending_ = Pending::None;
    puts_.clear();
  }

  void DropWriters() {
    for (auto& [key, statement] : writers_) sqlite3_finalize(statement);
    writers_.clear();
    lastWriter_ = nullptr;
    writersDb_ = nullptr;
  }

  // The prepared write of this kind for the columns put, prepared once. Saving writes thousands
  // of rows with the same columns, so the last writer is checked before anything is built.
  template <class MakeSql>
  sqlite3_stmt* Writer(char kind, MakeSql makeSql, std::string& error) {
    const auto samePuts = [&](const WriterKey& key) {
      const auto& [keyKind, keyTable, keyIndices] = key;
      if (keyKind != kind || keyIndices.size() != puts_.size() || keyTable != table_) return false;
      for (std::size_t i = 0; i < puts_.size(); ++i)
        if (keyIndices[i] != puts_[i].first) return false;
      return true;
    };
    if (lastWriter_ && samePuts(lastWriter_->first)) return lastWriter_->second;
    WriterKey key{kind, table_, {}};
    for (const auto& put : puts_) std::get<2>(key).push_back(put.first);
    auto found = writers_.find(key);
    if (found == writers_.end()) {
      sqlite3_stmt* statement = nullptr;
      const std::string sql = makeSql();
      if (sqlite3_prepare_v2(link_->db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(link_->db);
        sqlite3_finalize(statement);
        return nullptr;
      }
      found = writers_.emplace(std::move(key), statement).first;
    }
    lastWriter_ = &*found;
    return found->second;
  }

  // The quoted names of the fields put, each followed by `after`, separated by commas.
  std::string PutList(std::string_view after) const {
    std::string list;
    for (const auto& [index, value] : puts_) {
      if (!list.empty()) list += ',';
      list += QuoteName(names_[index]);
      list += after;
    }
    return list;
  }

  // Binds the values put (then `rowid`, when given) and runs the statement.
  bool Run(sqlite3_stmt* statement, const std::optional<std::int64_t>& rowid, std::string& error) {
    int parameter = 1;
    int rc = SQLITE_OK;
    for (const auto& [index, value] : puts_)
      if (rc == SQLITE_OK) rc = BindValue(statement, parameter++, value);
    if (rc == SQLITE_OK && rowid) rc = sqlite3_bind_int64(statement, parameter, *rowid);
    if (rc == SQLITE_OK) rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) error = sqlite3_errmsg(link_->db);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return rc == SQLITE_DONE;
  }

  bool Insert(std::string& error) {
    if (table_.empty()) {
      error = kNotUpdatableText;
      return false;
    }
    sqlite3_stmt* statement = Writer(
        'I',
        [&] {
          std::string sql = "INSERT INTO " + table_;
          if (puts_.empty()) return sql + " DEFAULT VALUES";
          std::string marks(2 * puts_.size() - 1, ',');
          for (std::size_t i = 0; i < marks.size(); i += 2) marks[i] = '?';
          return sql + " (" + PutList("") + ") VALUES (" + marks + ")";
        },
        error);
    return statement && Run(statement, std::nullopt, error);
  }

  bool UpdateRow(std::string& error) {
    if (table_.empty() || !hidden_) {
      error = kNotUpdatableText;
      return false;
    }
    if (puts_.empty()) return true;
    sqlite3_stmt* statement = Writer(
        'U', [&] { return "UPDATE " + table_ + " SET " + PutList("=?") + " WHERE rowid=?"; },
        error);
    return statement && Run(statement, editedRowid_, error);
  }

  std::shared_ptr<Link> link_;
  sqlite3_stmt* select_ = nullptr;
  int hidden_ = 0;                  // 1 when column 0 is the rowid added for writing back
  std::string table_;               // where written rows go; empty when unknown
  std::vector<std::string> names_;  // the fields the caller sees
  bool onRow_ = false;

  Pending pending_ = Pending::None;
  std::vector<std::pair<int, AdoValue>> puts_;  // field index → value, in column order
  std::int64_t editedRowid_ = 0;

  sqlite3* writersDb_ = nullptr;
  // Kind of write, table and the field indices put.
  using WriterKey = std::tuple<char, std::string, std::vector<int>>;
  std::map<WriterKey, sqlite3_stmt*> writers_;
  const std::pair<const WriterKey, sqlite3_stmt*>* lastWriter_ = nullptr;
};

void AdoResultDeleter::operator()(AdoResult* result) const { delete result; }

// ---------------------------------------------------------------------------------------------
// AdoConnection

struct AdoConnection::Handle {
  sqlite3* db = nullptr;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  std::shared_ptr<Link> link;  // set while the connection is open

  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  // Statements still held by results keep the engine's connection alive until they go.
  ~Handle() { sqlite3_close_v2(db); }
};

AdoConnection::AdoConnection(const Services& services) : services_(services) {}

AdoConnection::~AdoConnection() { Close(); }

std::string AdoConnection::PathFromConnectionString(const std::string& connectionString) {
  constexpr std::string_view kKey = "data source=";
  std::string lower = connectionString;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto at = lower.find(kKey);
  if (at == std::string::npos) return {};
  std::string path = connectionString.substr(at + kKey.size());
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = path.substr(1, path.size() - 2);
  return path;
}

bool AdoConnection::Open(const std::string& connectionString, int) {
  Close();
  const std::string path = PathFromConnectionString(connectionString);
  // Loading opens a connection per table: the engine's connection of the last open is kept
  // and reused while it still refers to the same file. One the engine could open for reading
  // only is opened again, so that a file made writable since is written.
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
  std::optional<std::string> fault;
  if (rc != SQLITE_OK) {
    fault = handle->db ? sqlite3_errmsg(handle->db) : sqlite3_errstr(rc);
  } else {
    sqlite3_busy_timeout(handle->db, 2000);
    fault = SchemaFault(handle->db);
    if (!fault) fault = HeaderFault(path);
  }
  if (fault) {
    int code = rc != SQLITE_OK ? rc : (handle->db ? sqlite3_errcode(handle->db) : rc);
    if (code == SQLITE_OK)
      code = *fault == sqlite3_errstr(SQLITE_CORRUPT) ? SQLITE_CORRUPT : SQLITE_NOTADB;
    Failed(code & 0xff, *fault);
    TraceLine(services_, kConnectionOpenError, *fault);
    return false;
  }
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) {
    handle->device = info.st_dev;
    handle->inode = info.st_ino;
  }
  handle->link = std::make_shared<Link>(Link{handle->db});
  handle_ = std::move(handle);
  return true;
}

void AdoConnection::Close() {
  if (!IsOpen()) return;
  sqlite3* db = handle_->db;
  // Nothing stays active across a close: cursors are stopped and a transaction rolled back.
  for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s))
    if (sqlite3_stmt_busy(s)) sqlite3_reset(s);
  if (InTransaction() && sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
    TraceLine(services_, kConnectionCloseError, sqlite3_errmsg(db));
  handle_->link->live = false;
  handle_->link.reset();
}

bool AdoConnection::IsOpen() const { return handle_ && handle_->link; }

sqlite3* AdoConnection::GetConnection() const { return IsOpen() ? handle_->db : nullptr; }

bool AdoConnection::IsReadOnly() const {
  return IsOpen() && sqlite3_db_readonly(handle_->db, "main") == 1;
}

bool AdoConnection::InTransaction() const {
  return IsOpen() && !sqlite3_get_autocommit(handle_->db);
}

AdoResultPtr AdoConnection::OpenSchema(int schemaKind) {
  if (!IsOpen()) {
    TraceLine(services_, kOpenSchemaError, kConnectionClosedText);
    return nullptr;
  }
  if (schemaKind != adSchemaColumns) {
    TraceLine(services_, kOpenSchemaError,
              "schema kind " + std::to_string(schemaKind) + " is not supported");
    return nullptr;
  }
  AdoResultPtr result(new AdoResult);
  if (!result->Prepare(handle_->link, kColumnCatalogue, 0)) {
    TraceLine(services_, kOpenSchemaError, sqlite3_errmsg(handle_->db));
    return nullptr;
  }
  const int rc = result->Step();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    TraceLine(services_, kOpenSchemaError, sqlite3_errmsg(handle_->db));
    return nullptr;
  }
  return result;
}

bool AdoConnection::Execute(const std::string& statement) {
  if (!IsOpen()) return false;
  const std::string sql = MapDialect(statement);
  if (sqlite3_exec(handle_->db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  services_.messages->Show(sqlite3_errmsg(handle_->db));
  return false;
}

bool AdoConnection::ExecuteQuietly(const std::string& statement) {
  if (!IsOpen()) {
    Failed(SQLITE_MISUSE, std::string(kConnectionClosedText));
    TraceLine(services_, kExecuteError, kConnectionClosedText);
    return false;
  }
  const std::string sql = MapDialect(statement);
  if (sqlite3_exec(handle_->db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  Failed(sqlite3_errcode(handle_->db) & 0xff, sqlite3_errmsg(handle_->db),
         sqlite3_system_errno(handle_->db));
  TraceLine(services_, kExecuteError, sqlite3_errmsg(handle_->db));
  return false;
}

bool AdoConnection::RunTransactionStatement(const char* sql, std::string_view traceFormat) {
  if (!IsOpen()) {
    TraceLine(services_, traceFormat, kConnectionClosedText);
    return false;
  }
  if (sqlite3_exec(handle_->db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  TraceLine(services_, traceFormat, sqlite3_errmsg(handle_->db));
  return false;
}

bool AdoConnection::BeginTrans() { return RunTransactionStatement("BEGIN", kBeginTransError); }
bool AdoConnection::CommitTrans() { return RunTransactionStatement("COMMIT", kCommitTransError); }
bool AdoConnection::RollbackTrans() {
  return RunTransactionStatement("ROLLBACK", kRollbackTransError);
}

// ---------------------------------------------------------------------------------------------
// AdoRecordset

AdoRecordset::AdoRecordset(const Services& services) : services_(services) {}

AdoRecordset::~AdoRecordset() { Close(); }

void AdoRecordset::SetConnection(AdoConnection* connection) { connection_ = connection; }

int AdoRecordset::Open(const std::string& statement, int, int, int) {
  if (!connection_) return -1;
  Close();
  if (!connection_->IsOpen()) {
    TraceLine(services_, kRecordsetOpenError, kConnectionClosedText);
    return -1;
  }
  if (!result_) result_.reset(new AdoResult);
  const auto& link = connection_->handle_->link;
  const std::string sql = MapDialect(statement);
  // Rows of "select * from T" can be written back: the rowid rides along unseen.
  const auto selectAll = ParseSelectAll(sql);
  bool prepared = false;
  if (selectAll) {
    std::string withRowid = sql;
    withRowid.insert(selectAll->star, "rowid, ");
    prepared = result_->Prepare(link, withRowid, 1);
  }
  if (!prepared && !result_->Prepare(link, sql, 0)) {
    TraceLine(services_, kRecordsetOpenError, sqlite3_errmsg(link->db));
    return -1;
  }
  if (selectAll) result_->SetTable(selectAll->table);
  const int rc = result_->Step();
  if (rc == SQLITE_ROW) return 1;
  if (rc == SQLITE_DONE) return 0;
  TraceLine(services_, kRecordsetOpenError, result_->ErrorText());
  result_->Finish();
  return -1;
}

void AdoRecordset::Close() {
  if (!result_ || !result_->Select()) return;
  if (result_->PendingKind() != AdoResult::Pending::None)
    TraceLine(services_, kRecordsetCloseError, kDiscardedRowText);
  result_->Finish();
}

void AdoRecordset::Attach(AdoResultPtr result) {
  Close();
  result_ = std::move(result);
}

bool AdoRecordset::Usable(std::string_view traceFormat, const std::source_location& where) {
  if (!result_) return false;
  if (result_->IsOpen()) return true;
  TraceLine(services_, traceFormat, kRecordsetClosedText, where);
  return false;
}

// A move first writes a row that was put but not updated, as the cursor leaves it.
void AdoRecordset::WriteBeforeMove() {
  std::string error;
  if (!result_->WritePending(error)) TraceLine(services_, kUpdateError, error);
}

bool AdoRecordset::Moved(int rc, std::string_view traceFormat, const std::source_location& where) {
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
  TraceLine(services_, traceFormat, result_->ErrorText(), where);
  return false;
}

bool AdoRecordset::MoveFirst() {
  if (!Usable(kMoveFirstError)) return false;
  WriteBeforeMove();
  return Moved(result_->Restart(), kMoveFirstError);
}

bool AdoRecordset::MoveLast() {
  if (!Usable(kMoveLastError)) return false;
  WriteBeforeMove();
  // Count the rows, then step again onto the last one so that the cursor stands on it.
  int rows = 0;
  int rc = result_->Restart();
  for (; rc == SQLITE_ROW; rc = result_->Step()) ++rows;
  if (rc != SQLITE_DONE) return Moved(rc, kMoveLastError);
  if (rows == 0) return true;
  rc = result_->Restart();
  for (int row = 1; row < rows && rc == SQLITE_ROW; ++row) rc = result_->Step();
  return Moved(rc, kMoveLastError);
}

bool AdoRecordset::MoveNext() {
  if (!Usable(kMoveNextError)) return false;
  if (!result_->OnRow()) {
    TraceLine(services_, kMoveNextError, kNoCurrentRowText);
    return false;
  }
  WriteBeforeMove();
  return Moved(result_->Step(), kMoveNextError);
}

bool AdoRecordset::IsEOF() {
  // A failing end test reports the end, so that no walk over the rows can run forever.
  if (!Usable(kIsEofError)) return true;
  return !result_->OnRow();
}

int AdoRecordset::GetRecordCount() {
  if (!Usable(kRecordCountError)) return 0;
  int count = 0;
  if (!MoveFirst()) return 0;
  while (!IsEOF()) {
    ++count;
    if (!MoveNext()) break;
  }
  return count;
}

int AdoRecordset::GetFieldsCount() {
  if (!Usable(kFieldsError)) return -1;
  return result_->FieldCount();
}

std::string AdoRecordset::GetFieldName(int index) {
  if (!Usable(kFieldsError)) return {};
  if (index < 0 || index >= result_->FieldCount()) {
    TraceLine(services_, kFieldNameError,
              "field index " + std::to_string(index) + " is out of range");
    return {};
  }
  return result_->FieldName(index);
}

bool AdoRecordset::Readable() {
  if (!result_ || !result_->IsOpen()) {
    services_.messages->Show(std::string(kDisconnectedText), std::string(kDisconnectedTitle),
                             UserMessages::Icon::Information);
    return false;
  }
  return result_->OnRow();
}

bool AdoRecordset::ReadableField(int index) {
  return Readable() && index >= 0 && index < result_->FieldCount();
}

bool AdoRecordset::GetCollect(int index, std::string& text) {
  if (!ReadableField(index)) return false;
  sqlite3_stmt* row = result_->Select();
  const int column = result_->Column(index);
  if (sqlite3_column_type(row, column) == SQLITE_TEXT) {
    text.assign(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                sqlite3_column_bytes(row, column));
  } else {
    text = VariantToText(ColumnValue(row, column));
  }
  return true;
}

bool AdoRecordset::GetCollect(const std::string& fieldName, std::string& text) {
  if (!Readable()) return false;
  const int index = result_->FindField(fieldName);
  if (index < 0) {
    TraceLine(services_, kFieldAccessError, "no field named " + fieldName);
    return false;
  }
  return GetCollect(index, text);
}

bool AdoRecordset::GetValue(const std::string& fieldName, AdoValue& value) {
  if (!Readable()) return false;
  const int index = result_->FindField(fieldName);
  if (index < 0) {
    TraceLine(services_, kFieldAccessError, "no field named " + fieldName);
    return false;
  }
  value = ColumnValue(result_->Select(), result_->Column(index));
  return true;
}

bool AdoRecordset::GetReal(int index, double& value) {
  if (!ReadableField(index)) return false;
  value = FieldNumber<double>(
      result_->Select(), result_->Column(index), [](double real) { return RoundTo8Decimals(real); },
      [](const char* text) { return std::atof(text); });
  return true;
}

bool AdoRecordset::GetInt(int index, int& value) {
  if (!ReadableField(index)) return false;
  value = FieldNumber<int>(
      result_->Select(), result_->Column(index), [](double real) { return AtoiOfReal(real); },
      [](const char* text) { return std::atoi(text); });
  return true;
}

void AdoRecordset::PutCollect(int index, const AdoValue& value) {
  // An older table may lack the column: the put is dropped, as the program expects.
  if (!result_ || !result_->IsOpen() || index < 0 || index >= result_->FieldCount()) return;
  result_->Put(index, value);
}

bool AdoRecordset::AddNew() {
  if (!Usable(kAddNewError)) return false;
  if (!result_->Writable()) {
    TraceLine(services_, kAddNewError, kNotUpdatableText);
    return false;
  }
  std::string error;
  const bool written = result_->WritePending(error);
  // The new row starts even when the previous one failed, so that the puts that follow never
  // land in the row the cursor stands on.
  result_->StartNewRow();
  if (!written) TraceLine(services_, kAddNewError, error);
  return written;
}

bool AdoRecordset::Update() {
  if (!Usable(kUpdateError)) return false;
  std::string error;
  if (result_->WritePending(error)) return true;
  TraceLine(services_, kUpdateError, error);
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
    connection.Failed(code & 0xff, text, systemError);
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
  // Texts and blobs are copied: the value may be a temporary.
  if (BindValue(state_->statement, parameter, value, SQLITE_TRANSIENT) != SQLITE_OK)
    state_->FailFromEngine();
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

int AdoStatement::ColumnCount() const {
  return state_->statement ? sqlite3_column_count(state_->statement) : 0;
}

std::string AdoStatement::ColumnName(int column) const {
  if (column < 0 || column >= ColumnCount()) return {};
  const char* name = sqlite3_column_name(state_->statement, column);
  return name ? name : "";
}

AdoValue AdoStatement::Value(int column) const {
  if (!state_->Live() || column < 0 || column >= ColumnCount()) return std::monostate{};
  return ColumnValue(state_->statement, column);
}

}  // namespace hdmjm
