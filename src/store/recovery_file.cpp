#include "recovery_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <new>

#include "scheme_tables.h"

namespace hdmjm {
namespace {

namespace fs = std::filesystem;

// Raise when the layout below changes: an older program then takes a newer file as damaged.
constexpr int kFormat = 1;
constexpr std::string_view kSuffix = ".恢复";
constexpr std::string_view kJournal = "-journal";

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS scheme (format INTEGER NOT NULL, path TEXT NOT NULL, "
    "size INTEGER NOT NULL, modified INTEGER NOT NULL, changes INTEGER NOT NULL, "
    "written INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS edited (id INTEGER PRIMARY KEY, road TEXT NOT NULL, "
    "name TEXT NOT NULL, rows INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS cells (edited INTEGER NOT NULL, row INTEGER NOT NULL, "
    "col INTEGER NOT NULL, value, PRIMARY KEY (edited, row, col)) WITHOUT ROWID",
};

struct DbClose {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;

struct StatementFinalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalize>;

// Failures end the work at once: the first one is what the caller is told.
class Failure {
 public:
  explicit Failure(std::string text) : text_(std::move(text)) {}
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

void Check(sqlite3* db, int rc) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) throw Failure(sqlite3_errmsg(db));
}

Statement Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  Check(db, sqlite3_prepare_v2(db, sql, -1, &statement, nullptr));
  return Statement(statement);
}

void Execute(sqlite3* db, const char* sql) {
  Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

void BindText(sqlite3_stmt* statement, int parameter, const std::string& text) {
  sqlite3_bind_text(statement, parameter, text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
}

void BindField(sqlite3_stmt* statement, int parameter, const FieldValue& value) {
  if (const auto* real = std::get_if<double>(&value))
    sqlite3_bind_double(statement, parameter, *real);
  else if (const auto* whole = std::get_if<int>(&value))
    sqlite3_bind_int64(statement, parameter, *whole);
  else
    BindText(statement, parameter, std::get<std::string>(value));
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text ? std::string(text, sqlite3_column_bytes(statement, column)) : std::string();
}

// A value of a column of kind `kind`, exactly as written: a value of another storage class is
// damage, not something to convert.
std::optional<FieldValue> ReadField(sqlite3_stmt* statement, int column, FieldKind kind) {
  const int type = sqlite3_column_type(statement, column);
  switch (kind) {
    case FieldKind::Real:
      if (type == SQLITE_FLOAT) return sqlite3_column_double(statement, column);
      break;
    case FieldKind::Code:
    case FieldKind::Count: {
      const std::int64_t value = sqlite3_column_int64(statement, column);
      if (type == SQLITE_INTEGER && value >= INT32_MIN && value <= INT32_MAX)
        return static_cast<int>(value);
      break;
    }
    case FieldKind::Text:
      if (type == SQLITE_TEXT) return ColumnText(statement, column);
      break;
  }
  return std::nullopt;
}

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             fs::file_time_type::clock::now().time_since_epoch())
      .count();
}

// The header's file change counter, which every committed write transaction raises.
std::uint32_t ChangeCounter(const fs::path& path) {
  unsigned char bytes[28] = {};
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file || std::fread(bytes, 1, sizeof bytes, file.get()) != sizeof bytes) return 0;
  return std::uint32_t{bytes[24]} << 24 | std::uint32_t{bytes[25]} << 16 |
         std::uint32_t{bytes[26]} << 8 | bytes[27];
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) absolute = fs::absolute(path, error).lexically_normal();
  return absolute.string();
}

// File names keep to what every file system takes.
std::string PlainName(std::string_view name) {
  std::string plain;
  for (char c : name)
    plain += std::string_view("/\\:*?\"<>|").find(c) == std::string_view::npos &&
                     static_cast<unsigned char>(c) >= 0x20
                 ? c
                 : '_';
  return plain;
}

const TableDesc* TableNamed(std::string_view name, Side& side) {
  for (const auto& [table, tableSide] : RecoveredTables())
    if (table->Name(tableSide) == name) {
      side = tableSide;
      return table;
    }
  return nullptr;
}

// Whether a row holds the values a row of `table` uses: every column, but on a slope row the
// end station, the level count and the fields of that many levels.
bool WholeRow(const TableDesc& table, Side side, const std::vector<FieldValue>& row) {
  const size_t columns = table.DataColumns(side).size();
  if (!table.IsSlope()) return row.size() == columns;
  constexpr size_t kBeforeLevels = 2;
  if (row.size() < kBeforeLevels) return false;
  const int levels = std::get<int>(row[1]);
  const size_t perLevel = (columns - kBeforeLevels) / kMaxSlopeLevels;
  return levels >= 0 && levels <= kMaxSlopeLevels &&
         row.size() == kBeforeLevels + perLevel * static_cast<size_t>(levels);
}

fs::path JournalOf(const fs::path& path) { return fs::path(path.string() + std::string(kJournal)); }

}  // namespace

RecoveryPlaces RecoveryPlacesFor(const std::string& scheme, const fs::path& dataFolder,
                                 const std::string& user) {
  const fs::path absolute = AbsolutePath(scheme);
  const std::string owner = user.empty() ? std::string() : "." + PlainName(user);
  // FNV-1a: the same folder gives the same name in every build of the program.
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : absolute.parent_path().string()) hash = (hash ^ c) * 0x100000001b3u;
  char folderHash[17];
  std::snprintf(folderHash, sizeof folderHash, "%016llx", static_cast<unsigned long long>(hash));
  const fs::path beside =
      absolute.parent_path() / (absolute.filename().string() + owner + std::string(kSuffix));
  if (dataFolder.empty()) return {beside, beside};  // no folder of the user's own
  return {beside, dataFolder / "recovery" /
                      (absolute.filename().string() + "-" + folderHash + std::string(kSuffix))};
}

SchemeIdentity IdentifyScheme(const std::string& path) {
  SchemeIdentity identity{AbsolutePath(path)};
  std::error_code error;
  const auto size = fs::file_size(identity.path, error);
  if (error) return identity;
  const auto modified = fs::last_write_time(identity.path, error);
  if (error) return identity;
  identity.size = static_cast<std::int64_t>(size);
  identity.modified =
      std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
  identity.changeCount = ChangeCounter(identity.path);
  return identity;
}

std::vector<std::pair<const TableDesc*, Side>> RecoveredTables() {
  std::vector<std::pair<const TableDesc*, Side>> tables;
  for (const TableDesc* table : AllTables()) {
    tables.emplace_back(table, kLeft);
    if (table->Scope() == TableScope::Side) tables.emplace_back(table, kRight);
  }
  tables.emplace_back(&ChainBreakTable(), kLeft);
  return tables;
}

std::vector<std::uint64_t> TableBaseline::Fingerprint(const RoadSectionStore& record) {
  std::vector<std::uint64_t> hashes;
  for (const auto& [table, side] : RecoveredTables())
    hashes.push_back(HashTable(*table, record, side));
  return hashes;
}

void TableBaseline::Take(const RoadSectionStore& record) { hashes_ = Fingerprint(record); }

RoadEdits TableBaseline::EditsOf(const RoadSectionStore& record) const {
  return EditsOf(record, Fingerprint(record));
}

RoadEdits TableBaseline::EditsOf(const RoadSectionStore& record,
                                 const std::vector<std::uint64_t>& now) const {
  RoadEdits edits{record.roadName, {}};
  const auto tables = RecoveredTables();
  for (size_t i = 0; i < tables.size(); ++i) {
    if (i < hashes_.size() && hashes_[i] == now[i]) continue;
    const auto [table, side] = tables[i];
    edits.tables.push_back(TableEdit{table, side, table->Rows(record, side)});
  }
  return edits;
}

bool RecoveryFile::Exists() const {
  std::error_code error;
  return fs::exists(path_, error);
}

bool RecoveryFile::Write(const SchemeIdentity& scheme, std::span<const RoadEdits> roads, bool whole,
                         std::string* error) {
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  const Db db(raw);
  try {
    Check(db.get(), rc);
    sqlite3_busy_timeout(db.get(), 2000);
    Execute(db.get(), "BEGIN IMMEDIATE");
    try {
      for (const char* statement : kSchema) Execute(db.get(), statement);
      Execute(db.get(), "DELETE FROM scheme");
      if (whole) Execute(db.get(), "DELETE FROM cells; DELETE FROM edited");
      const Statement head = Prepare(db.get(), "INSERT INTO scheme VALUES (?, ?, ?, ?, ?, ?)");
      sqlite3_bind_int(head.get(), 1, kFormat);
      BindText(head.get(), 2, scheme.path);
      sqlite3_bind_int64(head.get(), 3, scheme.size);
      sqlite3_bind_int64(head.get(), 4, scheme.modified);
      sqlite3_bind_int64(head.get(), 5, scheme.changeCount);
      sqlite3_bind_int64(head.get(), 6, Now());
      Check(db.get(), sqlite3_step(head.get()));

      const Statement dropCells = Prepare(
          db.get(), "DELETE FROM cells WHERE edited IN (SELECT id FROM edited WHERE road = ?)");
      const Statement dropTables = Prepare(db.get(), "DELETE FROM edited WHERE road = ?");
      const Statement table =
          Prepare(db.get(), "INSERT INTO edited (road, name, rows) VALUES (?, ?, ?)");
      const Statement cell = Prepare(db.get(), "INSERT INTO cells VALUES (?, ?, ?, ?)");
      for (const RoadEdits& road : roads) {
        for (sqlite3_stmt* drop : {dropCells.get(), dropTables.get()}) {
          BindText(drop, 1, road.road);
          Check(db.get(), sqlite3_step(drop));
          sqlite3_reset(drop);
        }
        for (const TableEdit& edit : road.tables) {
          BindText(table.get(), 1, road.road);
          BindText(table.get(), 2, edit.table->Name(edit.side));
          sqlite3_bind_int64(table.get(), 3, static_cast<std::int64_t>(edit.rows.size()));
          Check(db.get(), sqlite3_step(table.get()));
          sqlite3_reset(table.get());
          const std::int64_t id = sqlite3_last_insert_rowid(db.get());
          for (size_t row = 0; row < edit.rows.size(); ++row)
            for (size_t column = 0; column < edit.rows[row].size(); ++column) {
              sqlite3_bind_int64(cell.get(), 1, id);
              sqlite3_bind_int64(cell.get(), 2, static_cast<std::int64_t>(row));
              sqlite3_bind_int64(cell.get(), 3, static_cast<std::int64_t>(column));
              BindField(cell.get(), 4, edit.rows[row][column]);
              Check(db.get(), sqlite3_step(cell.get()));
              sqlite3_reset(cell.get());
            }
        }
      }
      Execute(db.get(), "COMMIT");
    } catch (const Failure&) {
      sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
    return true;
  } catch (const Failure& failure) {
    if (error) *error = failure.Text();
    return false;
  }
}

RecoveryRead RecoveryFile::Read(const SchemeIdentity& scheme) const {
  RecoveryRead read;
  if (!Exists()) return read;
  read.state = RecoveryRead::State::Damaged;
  sqlite3* raw = nullptr;
  // Read-write, so that a journal left by a killed write is rolled back.
  const int rc = sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  const Db db(raw);
  try {
    Check(db.get(), rc);
    sqlite3_busy_timeout(db.get(), 2000);
    const Statement integrity = Prepare(db.get(), "PRAGMA quick_check");
    Check(db.get(), sqlite3_step(integrity.get()));
    if (ColumnText(integrity.get(), 0) != "ok") throw Failure(ColumnText(integrity.get(), 0));

    const Statement head =
        Prepare(db.get(), "SELECT format, path, size, modified, changes, written FROM scheme");
    if (sqlite3_step(head.get()) != SQLITE_ROW) throw Failure("no scheme recorded");
    if (sqlite3_column_int(head.get(), 0) != kFormat) throw Failure("unknown format");
    const SchemeIdentity recorded{ColumnText(head.get(), 1), sqlite3_column_int64(head.get(), 2),
                                  sqlite3_column_int64(head.get(), 3),
                                  static_cast<std::uint32_t>(sqlite3_column_int64(head.get(), 4))};
    read.written = sqlite3_column_int64(head.get(), 5);

    const Statement cells = Prepare(db.get(),
                                    "SELECT e.id, e.road, e.name, e.rows, c.row, c.col, c.value "
                                    "FROM edited AS e LEFT JOIN cells AS c ON c.edited = e.id "
                                    "ORDER BY e.road, e.id, c.row, c.col");
    std::int64_t current = -1;
    std::vector<std::int64_t> declared;  // each table's row count as recorded
    int step;
    while ((step = sqlite3_step(cells.get())) == SQLITE_ROW) {
      const std::int64_t id = sqlite3_column_int64(cells.get(), 0);
      if (id != current) {
        current = id;
        const std::string road = ColumnText(cells.get(), 1);
        if (read.roads.empty() || read.roads.back().road != road) read.roads.push_back({road, {}});
        TableEdit edit;
        edit.table = TableNamed(ColumnText(cells.get(), 2), edit.side);
        if (!edit.table) throw Failure("table " + ColumnText(cells.get(), 2));
        read.roads.back().tables.push_back(std::move(edit));
        declared.push_back(sqlite3_column_int64(cells.get(), 3));
      }
      if (sqlite3_column_type(cells.get(), 4) == SQLITE_NULL) continue;  // a table of no rows
      TableEdit& edit = read.roads.back().tables.back();
      const std::int64_t row = sqlite3_column_int64(cells.get(), 4);
      const std::int64_t column = sqlite3_column_int64(cells.get(), 5);
      const auto& columns = edit.table->DataColumns(edit.side);
      // Cells come in order: rows from the first on, each row's values from its first column
      // on, without a gap.
      const auto rows = static_cast<std::int64_t>(edit.rows.size());
      if (row == rows && column == 0 && rows < edit.table->Capacity()) edit.rows.emplace_back();
      if (edit.rows.empty() || row != static_cast<std::int64_t>(edit.rows.size()) - 1 ||
          column != static_cast<std::int64_t>(edit.rows.back().size()) ||
          column >= static_cast<std::int64_t>(columns.size()))
        throw Failure("cell of " + edit.table->Name(edit.side));
      const std::optional<FieldValue> value = ReadField(cells.get(), 6, columns[column].kind);
      if (!value) throw Failure("value of " + edit.table->Name(edit.side));
      edit.rows.back().push_back(*value);
    }
    Check(db.get(), step);
    size_t table = 0;
    for (const RoadEdits& road : read.roads)
      for (const TableEdit& edit : road.tables) {
        bool whole = static_cast<std::int64_t>(edit.rows.size()) == declared[table++];
        for (const auto& row : edit.rows) whole = whole && WholeRow(*edit.table, edit.side, row);
        if (!whole) throw Failure("rows of " + edit.table->Name(edit.side));
      }

    if (recorded.path != scheme.path) {
      read.state = RecoveryRead::State::OtherScheme;
      read.detail = recorded.path;
    } else if (recorded == scheme || read.written > scheme.modified) {
      read.state = RecoveryRead::State::Newer;
    } else {
      read.state = RecoveryRead::State::Older;
    }
    if (read.state != RecoveryRead::State::Newer) read.roads.clear();  // never applied
  } catch (const Failure& failure) {
    read.detail = failure.Text();
    read.roads.clear();
  }
  return read;
}

bool RecoveryFile::Remove() {
  std::error_code error;
  fs::remove(JournalOf(path_), error);
  fs::remove(path_, error);
  return !fs::exists(path_, error) && !fs::exists(JournalOf(path_), error);
}

std::optional<fs::path> RecoveryFile::SetAside(std::string_view label) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M", &local);
  const std::string base = path_.string() + "." + std::string(label) + "-" + stamp;
  std::error_code error;
  fs::path target = base;
  for (int n = 2; fs::exists(target, error); ++n) target = base + "-" + std::to_string(n);
  fs::rename(path_, target, error);
  if (error) return std::nullopt;
  // A journal left by a killed write belongs to the file: it goes with it.
  if (fs::exists(JournalOf(path_), error)) fs::rename(JournalOf(path_), JournalOf(target), error);
  return target;
}

std::vector<std::string> ApplyEdits(std::span<const RoadEdits> roads, RoadRecordList& records) {
  std::vector<std::string> missing;
  for (const RoadEdits& road : roads) {
    const auto record =
        std::ranges::find_if(records, [&](const auto& r) { return r && r->roadName == road.road; });
    if (record == records.end()) {
      missing.push_back(road.road);
      continue;
    }
    for (const TableEdit& edit : road.tables) {
      try {
        if (edit.table->Scope() != TableScope::Scheme) {
          edit.table->ReplaceRows(**record, edit.side, edit.rows);
          continue;
        }
        for (auto& each : records)
          if (each) edit.table->ReplaceRows(*each, edit.side, edit.rows);
      } catch (const std::bad_alloc&) {
        // No room for the rows: the table stays as loaded.
      }
    }
  }
  return missing;
}

}  // namespace hdmjm
