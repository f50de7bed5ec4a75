// The schemes the benchmarks open and save, and the plain per-road SQLite program they are
// measured against.
#include "bench_scheme.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "store/catalogue.h"
#include "store/project_paths.h"
#include "store/records.h"
#include "store/scheme.h"

namespace hdmjm::bench {
namespace {

using Database = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

std::string RoadName(int index) { return index == 0 ? "主线" : "道路" + std::to_string(index); }

Database OpenDatabase(const std::string& path, int flags = SQLITE_OPEN_READWRITE) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) Fail("cannot open " + path);
  return Database(db, sqlite3_close);
}

Statement Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
    Fail(sql + ": " + sqlite3_errmsg(db));
  return Statement(statement, sqlite3_finalize);
}

void Exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    Fail(sql + ": " + sqlite3_errmsg(db));
}

std::string TextAt(sqlite3_stmt* statement, int column) {
  const auto* text = sqlite3_column_text(statement, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

// How many data columns of the current row hold values: a slope row uses 4 per level.
int PlainColumnsInUse(const TableDesc& table, Side side, sqlite3_stmt* statement) {
  const int columns = static_cast<int>(table.DataColumns(side).size());
  if (!table.IsSlope()) return columns;
  const int levels = std::clamp(sqlite3_column_int(statement, 3), 0, kMaxSlopeLevels);
  return 2 + 4 * levels;
}

void ReadPlainTable(sqlite3_stmt* statement, const TableStep& step, PlainTable& table) {
  const auto& columns = step.table->DataColumns(step.side);
  const int first = step.table->FirstDataColumn();
  while (sqlite3_step(statement) == SQLITE_ROW) {
    ++table.rows;
    const int used = PlainColumnsInUse(*step.table, step.side, statement);
    for (int c = 0; c < used; ++c) {
      switch (columns[c].kind) {
        case FieldKind::Real:
          table.reals.push_back(sqlite3_column_double(statement, first + c));
          break;
        case FieldKind::Code:
        case FieldKind::Count:
          table.codes.push_back(sqlite3_column_int(statement, first + c));
          break;
        case FieldKind::Text:
          table.texts.push_back(TextAt(statement, first + c));
          break;
      }
    }
  }
  sqlite3_reset(statement);
}

// Every table of the road as full as `shape` says.
void FillEveryTable(RoadSectionStore& road, const SchemeShape& shape) {
  for (const TableStep& step : LoadOrder()) {
    const TableDesc& table = *step.table;
    table.SetDefault(road, step.side, 0, 0);
    if (table.Scope() == TableScope::Scheme) continue;
    const int rows = table.IsSlope() ? shape.slopeSegments : shape.rows;
    table.Resize(road, step.side, rows);
    const auto& columns = table.DataColumns(step.side);
    for (int row = 0; row < rows; ++row) {
      for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        FieldValue value;
        switch (columns[c].kind) {
          case FieldKind::Real:
            value = row * 10.0 + c * 0.25;
            break;
          case FieldKind::Code:
            value = row % 2;
            break;
          case FieldKind::Count:
            value = shape.slopeLevels;
            break;
          case FieldKind::Text:
            value = "第" + std::to_string(row + 1) + "段";
            break;
        }
        table.Set(road, step.side, row, c, value);
      }
    }
  }
}

}  // namespace

std::filesystem::path ScratchFolder() {
  static const std::filesystem::path folder = [] {
    auto path =
        std::filesystem::temp_directory_path() / ("hdmjm-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

namespace {

// The statements that read one road: its chain breaks and every table, in load order.
struct PlainReader {
  explicit PlainReader(sqlite3* db) : breaks(Prepare(db, "select * from 断链表 where 道路名=?")) {
    for (const TableStep& step : LoadOrder()) {
      const std::string name = step.table->Name(step.side);
      selects.push_back(
          step.table->Scope() == TableScope::Scheme
              ? Prepare(db, "select * from " + name)
              : Prepare(db, "select * from " + name + " where 道路名=? ORDER by 序号"));
    }
  }
  void Read(PlainRoad& road) {
    sqlite3_bind_text(breaks.get(), 1, road.name.c_str(), -1, SQLITE_STATIC);
    while (sqlite3_step(breaks.get()) == SQLITE_ROW)
      road.chainBreaks.push_back({TextAt(breaks.get(), 2), TextAt(breaks.get(), 4),
                                  sqlite3_column_double(breaks.get(), 3),
                                  sqlite3_column_double(breaks.get(), 5)});
    sqlite3_reset(breaks.get());
    road.tables.resize(LoadOrder().size());
    for (size_t t = 0; t < LoadOrder().size(); ++t) {
      if (LoadOrder()[t].table->Scope() != TableScope::Scheme)
        sqlite3_bind_text(selects[t].get(), 1, road.name.c_str(), -1, SQLITE_STATIC);
      ReadPlainTable(selects[t].get(), LoadOrder()[t], road.tables[t]);
    }
  }
  Statement breaks;
  std::vector<Statement> selects;
};

// The statements that write one table of a road: delete its rows, insert them again.
struct PlainWriter {
  PlainWriter(sqlite3* db, const TableStep& table)
      : step(table),
        scheme(step.table->Scope() == TableScope::Scheme),
        deletion(Prepare(
            db, "delete from " + step.table->Name(step.side) + (scheme ? "" : " where 道路名=?"))),
        insert(Prepare(db, InsertSql())) {}

  std::string InsertSql() const {
    std::string values = "?";
    const size_t columns =
        step.table->FirstDataColumn() + step.table->DataColumns(step.side).size();
    for (size_t c = 1; c < columns; ++c) values += ",?";
    return "insert into " + step.table->Name(step.side) + " values (" + values + ")";
  }

  void Write(sqlite3* db, const std::string& road, const PlainTable& table) {
    if (!scheme) sqlite3_bind_text(deletion.get(), 1, road.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(deletion.get()) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
    sqlite3_reset(deletion.get());
    const auto& columns = step.table->DataColumns(step.side);
    const int first = step.table->FirstDataColumn();
    sqlite3_stmt* row = insert.get();
    size_t real = 0, code = 0, text = 0;
    for (int r = 0; r < table.rows; ++r) {
      sqlite3_clear_bindings(row);  // 序号 NULL: numbered by the database; unused levels NULL
      if (scheme)
        sqlite3_bind_int(row, 1, 0);
      else
        sqlite3_bind_text(row, 2, road.c_str(), -1, SQLITE_STATIC);
      int used = static_cast<int>(columns.size());
      if (step.table->IsSlope()) used = 2 + 4 * std::clamp(table.codes[code], 0, kMaxSlopeLevels);
      for (int c = 0; c < used; ++c) {
        const int parameter = first + c + 1;
        switch (columns[c].kind) {
          case FieldKind::Real:
            sqlite3_bind_double(row, parameter, table.reals[real++]);
            break;
          case FieldKind::Code:
          case FieldKind::Count:
            sqlite3_bind_int(row, parameter, table.codes[code++]);
            break;
          case FieldKind::Text:
            sqlite3_bind_text(row, parameter, table.texts[text++].c_str(), -1, SQLITE_STATIC);
            break;
        }
      }
      if (sqlite3_step(row) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
      sqlite3_reset(row);
    }
  }

  TableStep step;
  bool scheme;
  Statement deletion, insert;
};

// Where a table stands in load order.
size_t LoadIndex(const TableStep& step) {
  const auto at = std::find_if(LoadOrder().begin(), LoadOrder().end(), [&](const TableStep& s) {
    return s.table == step.table && s.side == step.side;
  });
  return static_cast<size_t>(at - LoadOrder().begin());
}

}  // namespace

// The road list, each road's chain breaks and every table of every road, on one connection.
std::vector<PlainRoad> PlainOpen(const std::string& path) {
  Database db = OpenDatabase(path);
  std::vector<PlainRoad> roads;
  Statement names = Prepare(db.get(), "select 道路名 from 断链表");
  while (sqlite3_step(names.get()) == SQLITE_ROW) {
    std::string name = TextAt(names.get(), 0);
    if (std::none_of(roads.begin(), roads.end(), [&](const auto& r) { return r.name == name; }))
      roads.push_back({std::move(name), {}, {}});
  }
  PlainReader reader(db.get());
  for (PlainRoad& road : roads) reader.Read(road);
  return roads;
}

PlainRoad PlainOpenRoad(const std::string& path, const std::string& road) {
  Database db = OpenDatabase(path);
  PlainRoad read{road, {}, {}};
  PlainReader(db.get()).Read(read);
  return read;
}

// Per road one transaction: delete the road's rows of every table, insert its rows again.
void PlainSave(const std::string& path, const std::vector<PlainRoad>& roads) {
  Database db = OpenDatabase(path);
  std::vector<std::unique_ptr<PlainWriter>> writers;
  for (const TableStep& step : SaveOrder())
    writers.push_back(std::make_unique<PlainWriter>(db.get(), step));
  for (const PlainRoad& road : roads) {
    Exec(db.get(), "begin");
    for (auto& writer : writers)
      writer->Write(db.get(), road.name, road.tables[LoadIndex(writer->step)]);
    Exec(db.get(), "commit");
  }
}

void PlainSaveTable(const std::string& path, const PlainRoad& road, const TableStep& step) {
  Database db = OpenDatabase(path);
  PlainWriter writer(db.get(), step);
  Exec(db.get(), "begin");
  writer.Write(db.get(), road.name, road.tables[LoadIndex(step)]);
  Exec(db.get(), "commit");
}

// A scheme of `roads` roads, built once through the scheme unit; later calls return its path.
// Unless the shape keeps them, the indexes a save makes are dropped, so that both programs start
// from a file as older versions left it.
const std::string& SchemeOf(int roads, const SchemeShape& shape) {
  static std::map<std::pair<int, SchemeShape>, std::string> paths;
  auto& path = paths[{roads, shape}];
  if (!path.empty()) return path;
  const std::string file = (ScratchFolder() / ("scheme-" + std::to_string(paths.size()) + "-" +
                                               std::to_string(roads) + ".mdb"))
                               .string();
  {
    Database db = OpenDatabase(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    Exec(db.get(),
         "create table 断链表 (序号 INTEGER PRIMARY KEY AUTOINCREMENT, 道路名 TEXT, "
         "等号左里程冠号 TEXT, 等号左里程数 REAL, 等号右里程冠号 TEXT, 等号右里程数 REAL)");
    Statement insert = Prepare(db.get(), "insert into 断链表 values (NULL, ?, 'K', ?, 'K', ?)");
    for (int i = 0; i < roads; ++i) {
      const std::string name = RoadName(i);
      sqlite3_bind_text(insert.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
      // Every road holds the same rows (stations 0 to 1000): each reaches over them, as a
      // designer's roads reach over their tables' rows.
      sqlite3_bind_double(insert.get(), 2, 0);
      sqlite3_bind_double(insert.get(), 3, 5000.0 + i);
      if (sqlite3_step(insert.get()) != SQLITE_DONE) Fail(sqlite3_errmsg(db.get()));
      sqlite3_reset(insert.get());
    }
  }
  RoadSectionStore road;
  FillEveryTable(road, shape);
  road.databasePath = file;
  {
    // One road at a time through one unit: the records of a large scheme need not all be held.
    SchemeStore scheme(DefaultServices());
    RoadSectionStore* const one[] = {&road};
    for (int i = 0; i < roads; ++i) {
      road.roadName = RoadName(i);
      road.stored = {};
      if (!scheme.SaveQuietly(one).AllSaved()) Fail("save " + RoadName(i));
    }
  }
  if (shape.indexed) return path = file;
  Database db = OpenDatabase(file);
  std::vector<std::string> indexes;
  Statement names = Prepare(db.get(),
                            "select name from sqlite_master where type = 'index' and "
                            "sql is not null");
  while (sqlite3_step(names.get()) == SQLITE_ROW) indexes.push_back(TextAt(names.get(), 0));
  names.reset();
  for (const std::string& index : indexes) Exec(db.get(), "drop index \"" + index + "\"");
  path = file;
  return path;
}

// A fresh copy of the scheme of `roads` roads for one run.
std::string CopyOfScheme(int roads, const std::string& figure, const SchemeShape& shape) {
  const auto copy = ScratchFolder() / (figure + "-" + std::to_string(roads) + ".mdb");
  std::filesystem::copy_file(SchemeOf(roads, shape), copy,
                             std::filesystem::copy_options::overwrite_existing);
  return copy.string();
}

void WriteProject(const std::filesystem::path& base, const std::string& name, int roads,
                  const SchemeShape& shape) {
  const ProjectPaths paths{ProjectFolderOf(base).string(), name};
  std::filesystem::create_directories(DataFolder(paths));
  std::ofstream(ProjectFile(paths.projectFolder)) << name << "\n";
  std::filesystem::copy_file(SchemeOf(roads, shape), SchemeDatabasePath(paths),
                             std::filesystem::copy_options::overwrite_existing);
}

Resident ResidentSize() {
  Resident resident;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) resident.now = std::atol(line.c_str() + 6);
    if (line.rfind("VmHWM:", 0) == 0) resident.peak = std::atol(line.c_str() + 6);
  }
  return resident;
}
}  // namespace hdmjm::bench
