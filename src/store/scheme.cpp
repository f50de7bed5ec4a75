#include "scheme.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <unordered_map>

#include "catalogue.h"
#include "messages.h"

namespace hdmjm {
namespace {

constexpr std::string_view kSerialColumn = "序号";
constexpr std::string_view kRoadColumn = "道路名";
constexpr std::string_view kMainLine = "主线";
constexpr int kProblemLinesShown = 20;

// Table → its column names in order, read once per open and once per save.
using ColumnCatalogue = std::map<std::string, std::vector<std::string>>;

bool ReadCatalogue(AdoConnection& connection, ColumnCatalogue& catalogue) {
  catalogue.clear();
  AdoStatement statement(connection,
                         "SELECT m.name, p.name FROM sqlite_master AS m "
                         "JOIN pragma_table_xinfo(m.name) AS p WHERE m.type = 'table' "
                         "AND p.hidden <> 1 ORDER BY m.name, p.cid");
  if (!statement.Prepared()) return false;
  AdoStatement::Step step;
  while ((step = statement.Next()) == AdoStatement::Step::Row)
    catalogue[VariantToText(statement.Value(0))].push_back(VariantToText(statement.Value(1)));
  return step == AdoStatement::Step::Done;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// 分段终里程 and 分段终里程数 name the same field: the catalogue itself spells it both ways.
std::string_view OtherSpelling(std::string_view name) {
  if (name == "分段终里程") return "分段终里程数";
  if (name == "分段终里程数") return "分段终里程";
  return {};
}

int FindColumn(const std::vector<std::string>& columns, std::string_view name) {
  for (size_t i = 0; i < columns.size(); ++i)
    if (SameName(columns[i], name)) return static_cast<int>(i);
  const std::string_view other = OtherSpelling(name);
  if (other.empty()) return -1;
  for (size_t i = 0; i < columns.size(); ++i)
    if (SameName(columns[i], other)) return static_cast<int>(i);
  return -1;
}

bool IsNull(const AdoValue& value) {
  return std::holds_alternative<std::monostate>(value) ||
         std::holds_alternative<std::nullptr_t>(value);
}

// The value as the record keeps a field of `kind`. False, with the reason, when the record
// cannot keep it exactly; `out` then holds the nearest the record can show.
// A stored value as the designer would read it: integers whole, reals in full.
std::string ValueText(const AdoValue& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return std::to_string(*integer);
  if (const auto* real = std::get_if<double>(&value)) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", *real);
    return text;
  }
  return VariantToText(value);
}

bool Keep(const AdoValue& value, FieldKind kind, FieldValue& out, std::string& why) {
  const bool isLevelCount = kind == FieldKind::Count;
  if (kind == FieldKind::Text) {
    if (IsNull(value))
      out = std::string();
    else if (const auto* text = std::get_if<std::string>(&value))
      out = *text;
    else {
      out = VariantToText(value);
      why = "文本列中有非文本值" + ValueText(value);
      return false;
    }
    return true;
  }
  if (IsNull(value)) {
    out = kind == FieldKind::Real ? FieldValue(0.0) : FieldValue(0);
    return true;
  }
  if (const auto* text = std::get_if<std::string>(&value)) {
    out = kind == FieldKind::Real ? FieldValue(0.0) : FieldValue(0);
    why = "数值列中有文本'" + *text + "'";
    return false;
  }
  if (std::holds_alternative<AdoBlob>(value)) {
    out = kind == FieldKind::Real ? FieldValue(0.0) : FieldValue(0);
    why = "数值列中有二进制数据";
    return false;
  }
  if (kind == FieldKind::Real) {
    if (const auto* real = std::get_if<double>(&value)) {
      out = *real;
      return true;
    }
    const std::int64_t integer = std::get<std::int64_t>(value);
    out = static_cast<double>(integer);
    if (static_cast<std::int64_t>(static_cast<double>(integer)) == integer) return true;
    why = "整数" + std::to_string(integer) + "超出实数的精度";
    return false;
  }
  // A code, or a slope row's level count.
  double number = 0;
  if (const auto* real = std::get_if<double>(&value))
    number = *real;
  else
    number = static_cast<double>(std::get<std::int64_t>(value));
  const double low = isLevelCount ? 0 : std::numeric_limits<int>::min();
  const double high = isLevelCount ? kMaxSlopeLevels : std::numeric_limits<int>::max();
  out = static_cast<int>(std::clamp(std::isnan(number) ? 0.0 : std::trunc(number), low, high));
  const bool integral = std::holds_alternative<std::int64_t>(value) || number == std::trunc(number);
  if (integral && number >= low && number <= high) return true;
  why = (isLevelCount ? "边坡总级数" : "代码") + ValueText(value) + "超出" +
        (isLevelCount ? "0到" + std::to_string(kMaxSlopeLevels) : std::string("整数")) + "的范围";
  return false;
}

// Notes why a road did not load whole; one line per table, the first reason found.
void Problem(RoadSectionStore& record, const std::string& table, const std::string& reason) {
  const std::string head = "表" + table + ": ";
  for (const std::string& line : record.loadProblems)
    if (line.compare(0, head.size(), head) == 0) return;
  record.loadProblems.push_back(head + reason);
}

bool StopsEverything(FailureCause cause) {
  return cause != FailureCause::None && cause != FailureCause::Other;
}

std::string RoadStartList(const std::vector<std::string>& roads) {
  std::string list;
  for (const std::string& road : roads) list += (list.empty() ? "" : "、") + road;
  return list;
}

// A table's rows of one road as bytes: the row count, then each row's fields in use, reals by
// their bits. Two records encode the same exactly when saving them would write the same values.
template <class T>
void Append(std::string& image, const T& value) {
  image.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string TableImage(const TableDesc& table, const RoadSectionStore& record, Side side,
                       int rows) {
  std::string image;
  Append(image, rows);
  for (int row = 0; row < rows; ++row) {
    const int inUse = table.ColumnsInUse(record, side, row);
    Append(image, inUse);
    for (int c = 0; c < inUse; ++c) {
      const FieldValue value = table.Get(record, side, row, c);
      image += static_cast<char>(value.index());
      if (const auto* real = std::get_if<double>(&value))
        Append(image, *real);
      else if (const auto* code = std::get_if<int>(&value))
        Append(image, *code);
      else {
        const std::string& text = std::get<std::string>(value);
        Append(image, text.size());
        image += text;
      }
    }
  }
  return image;
}

std::string TableImage(const TableDesc& table, const RoadSectionStore& record, Side side) {
  return TableImage(table, record, side, table.RowCount(record, side));
}

// ---------------------------------------------------------------------------------------------
// Reading: each table once for all roads, its rows dispatched to their road in 序号 order.

class SchemeReader {
 public:
  SchemeReader(AdoConnection& connection, const Services& services,
               const ColumnCatalogue& catalogue, std::vector<RoadSectionStore*> records)
      : connection_(connection),
        services_(services),
        catalogue_(catalogue),
        records_(std::move(records)),
        counts_(records_.size()) {
    for (size_t i = 0; i < records_.size(); ++i) byName_.emplace(records_[i]->roadName, i);
  }

  void ReadAll() {
    for (RoadSectionStore* record : records_)
      record->stored = {record->databasePath, record->roadName, {}};
    services_.progress->SetProgress(0);
    for (const TableStep& step : LoadOrder()) {
      if (stop_ == FailureCause::None) ReadTable(*step.table, step.side);
      if (stop_ != FailureCause::None) Unread(*step.table, step.side);
      for (int position : step.progress)
        if (position >= 0) services_.progress->SetProgress(position);
    }
  }
  FailureCause Stop() const { return stop_; }
  const std::string& StopDetail() const { return stopDetail_; }

 private:
  std::string TableName(const TableDesc& table, Side side) const {
    std::string name = table.Name(side);
    if (table.BaseName() == kLegacyCutClassTable && !catalogue_.count(name))
      name = kLegacyCutClassTable;
    return name;
  }

  void AllRoads(const std::string& table, const std::string& reason) {
    for (RoadSectionStore* record : records_) Problem(*record, table, reason);
  }

  void Defaults(const TableDesc& table, Side side, bool onlyUnread) {
    for (size_t i = 0; i < records_.size(); ++i) {
      if (onlyUnread && counts_[i] > 0) continue;
      double start = 0, end = 0;
      if (!records_[i]->chainBreaks.empty()) {
        start = records_[i]->chainBreaks.front().leftStation;
        end = records_[i]->chainBreaks.back().rightStation;
      }
      table.SetDefault(*records_[i], side, start, end);
    }
  }

  // After a failure that stops the open, the tables not read show their defaults and no road
  // counts as loaded whole.
  void Unread(const TableDesc& table, Side side) {
    const std::string name = TableName(table, side);
    AllRoads(name, CauseMessage(stop_, stopDetail_));
    std::fill(counts_.begin(), counts_.end(), 0);
    Defaults(table, side, false);
  }

  void Failed(const std::string& table) {
    const AdoError& error = connection_.LastError();
    AllRoads(table, "读取失败: " + error.text);
    const FailureCause cause = CauseOf(error);
    if (StopsEverything(cause)) {
      stop_ = cause;
      stopDetail_ = error.text;
    }
  }

  // Older 排水沟 and 天沟 tables gain 沟底半径, 0 in the listed roads' rows.
  void UpgradeRadius(const std::string& table, std::vector<std::string>& columns) {
    if (!connection_.ExecuteQuietly("ALTER TABLE " + QuoteName(table) + " ADD " +
                                    QuoteName(kRadiusColumn) + " DOUBLE"))
      return;  // the record holds 0 all the same; saving adds the column
    columns.push_back(std::string(kRadiusColumn));
    AdoStatement zero(connection_, "UPDATE " + QuoteName(table) + " SET " +
                                       QuoteName(kRadiusColumn) + " = 0 WHERE " +
                                       QuoteName(kRoadColumn) + " = ?");
    for (const RoadSectionStore* record : records_) {
      zero.Bind(1, record->roadName);
      zero.Run();
    }
  }

  void ReadTable(const TableDesc& table, Side side) {
    const std::string name = TableName(table, side);
    const bool scheme = table.Scope() == TableScope::Scheme;
    std::fill(counts_.begin(), counts_.end(), 0);
    if (!scheme)
      for (RoadSectionStore* record : records_) table.Resize(*record, side, 0);
    const auto found = catalogue_.find(name);
    if (found == catalogue_.end()) {
      Defaults(table, side, false);
      return;
    }
    std::vector<std::string> columns = found->second;
    const auto& data = table.DataColumns(side);
    const int last = static_cast<int>(data.size()) - 1;
    if (table.HasRadiusUpgrade() && FindColumn(columns, data[last].name) < 0)
      UpgradeRadius(name, columns);

    // The select list: 道路名, the data columns the table has, then any column it has beyond.
    std::vector<int> used(columns.size(), 0);
    std::string list;
    int position = 0;
    const auto select = [&](int column) {
      list += (list.empty() ? "" : ", ") + QuoteName(columns[column]);
      used[column] = 1;
      return position++;
    };
    const int serial = FindColumn(columns, kSerialColumn);
    if (serial >= 0) used[serial] = 1;
    if (!scheme) {
      const int road = FindColumn(columns, kRoadColumn);
      if (road < 0) {
        AllRoads(name, "缺少列" + std::string(kRoadColumn));
        Defaults(table, side, false);
        return;
      }
      select(road);
    }
    std::vector<int> at(data.size(), -1);
    std::string missing;
    for (int c = 0; c <= last; ++c) {
      const int column = FindColumn(columns, data[c].name);
      if (column >= 0)
        at[c] = select(column);
      else if (c == last && (table.HasRadiusUpgrade() || table.LastColumnOptional()))
        continue;
      else
        missing += (missing.empty() ? "" : "、") + data[c].name;
    }
    if (!missing.empty()) AllRoads(name, "缺少列" + missing);
    if (serial < 0 && !scheme) AllRoads(name, "缺少列" + std::string(kSerialColumn));
    std::vector<std::pair<int, std::string>> extras;  // position in the select list, name
    for (size_t column = 0; column < columns.size(); ++column)
      if (!used[column]) extras.push_back({select(static_cast<int>(column)), columns[column]});
    if (list.empty()) list = "NULL";
    const std::string order = serial >= 0 ? " ORDER BY " + QuoteName(columns[serial]) : "";
    AdoStatement rows(connection_, "SELECT " + list + " FROM " + QuoteName(name) + order);
    if (!rows.Prepared()) {
      Failed(name);
      Defaults(table, side, false);
      return;
    }
    AdoStatement::Step step;
    while ((step = rows.Next()) == AdoStatement::Step::Row) {
      if (scheme) {
        for (size_t i = 0; i < records_.size(); ++i)
          ReadRow(rows, table, side, name, i, at, extras);
        continue;
      }
      const AdoValue road = rows.Value(0);
      const auto* roadName = std::get_if<std::string>(&road);
      if (!roadName) continue;  // a NULL 道路名 is no road
      const auto target = byName_.find(*roadName);
      if (target == byName_.end()) continue;
      ReadRow(rows, table, side, name, target->second, at, extras);
    }
    if (step == AdoStatement::Step::Failed)
      Failed(name);
    else if (name == table.Name(side))
      RememberStored(table, side);
    Defaults(table, side, true);
  }

  // What the file holds of the table for each road, before roads without rows get defaults.
  void RememberStored(const TableDesc& table, Side side) {
    for (size_t i = 0; i < records_.size(); ++i) {
      RoadSectionStore& record = *records_[i];
      const int rows = counts_[i] > 0 ? table.RowCount(record, side) : 0;
      record.stored.tables[{&table, side}] = TableImage(table, record, side, rows);
    }
  }

  void ReadRow(const AdoStatement& rows, const TableDesc& table, Side side, const std::string& name,
               size_t road, const std::vector<int>& at,
               const std::vector<std::pair<int, std::string>>& extras) {
    RoadSectionStore& record = *records_[road];
    const bool scheme = table.Scope() == TableScope::Scheme;
    const int row = scheme ? 0 : counts_[road];
    ++counts_[road];
    if (!scheme) {
      if (row >= table.Capacity()) {
        Problem(record, name, "行数超过" + std::to_string(table.Capacity()));
        return;
      }
      table.Resize(record, side, row + 1);
    }
    const auto& data = table.DataColumns(side);
    const std::string where = "第" + std::to_string(row + 1) + "行";
    for (int c = 0; c < static_cast<int>(data.size()); ++c) {
      const AdoValue value = at[c] >= 0 ? rows.Value(at[c]) : AdoValue{};
      if (c >= table.ColumnsInUse(record, side, row)) {
        // Levels beyond a slope row's count are not kept: a value there would be lost.
        if (!IsNull(value))
          Problem(record, name, where + "列" + data[c].name + "在边坡总级数之外却有数值");
        continue;
      }
      FieldValue field;
      std::string why;
      if (!Keep(value, data[c].kind, field, why))
        Problem(record, name, where + "列" + data[c].name + ": " + why);
      table.Set(record, side, row, c, field);
    }
    for (const auto& [column, extraName] : extras)
      if (!IsNull(rows.Value(column)))
        Problem(record, name, "列" + extraName + "不在表的定义中, 其值无法保存");
  }

  AdoConnection& connection_;
  const Services& services_;
  const ColumnCatalogue& catalogue_;
  std::vector<RoadSectionStore*> records_;
  std::unordered_map<std::string, size_t> byName_;
  std::vector<int> counts_;  // rows read per road of the current table
  FailureCause stop_ = FailureCause::None;
  std::string stopDetail_;
};

// The rows of 断链表 per road name (NULL names left out), in table order, and the names in
// the order first found.
struct ChainBreaks {
  std::vector<std::string> names;
  std::map<std::string, std::vector<ChainBreakRow>> rows;
};

double Number(const AdoValue& value) {
  if (const auto* real = std::get_if<double>(&value)) return *real;
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return static_cast<double>(*integer);
  if (const auto* text = std::get_if<std::string>(&value)) return std::atof(text->c_str());
  return 0;
}

std::string Text(const AdoValue& value) { return IsNull(value) ? "" : VariantToText(value); }

bool ReadChainBreakTable(AdoConnection& connection, const ColumnCatalogue& catalogue,
                         ChainBreaks& breaks) {
  const auto found = catalogue.find(std::string(kChainBreakTable));
  if (found == catalogue.end()) return true;
  const auto& columns = found->second;
  const int road = FindColumn(columns, kRoadColumn);
  if (road < 0) return true;
  const char* fields[] = {"等号左里程冠号", "等号左里程数", "等号右里程冠号", "等号右里程数"};
  std::string list = QuoteName(columns[road]);
  int at[4];
  for (int i = 0; i < 4; ++i) {
    const int column = FindColumn(columns, fields[i]);
    at[i] = column < 0 ? -1 : i + 1;
    list += ", " + (column < 0 ? std::string("NULL") : QuoteName(columns[column]));
  }
  AdoStatement rows(connection, "SELECT " + list + " FROM " + QuoteName(kChainBreakTable));
  if (!rows.Prepared()) return false;
  AdoStatement::Step step;
  while ((step = rows.Next()) == AdoStatement::Step::Row) {
    const AdoValue name = rows.Value(0);
    if (IsNull(name)) continue;
    const std::string roadName = VariantToText(name);
    auto [entry, added] = breaks.rows.try_emplace(roadName);
    if (added) breaks.names.push_back(roadName);
    ChainBreakRow row;
    row.leftPrefix = Text(rows.Value(at[0] < 0 ? 1 : at[0]));
    row.leftStation = Number(rows.Value(at[1] < 0 ? 2 : at[1]));
    row.rightPrefix = Text(rows.Value(at[2] < 0 ? 3 : at[2]));
    row.rightStation = Number(rows.Value(at[3] < 0 ? 4 : at[3]));
    entry->second.push_back(std::move(row));
  }
  return step == AdoStatement::Step::Done;
}

// ---------------------------------------------------------------------------------------------
// Writing: per table one deletion and one insertion, prepared once and run for every road.

class SchemeWriter {
 public:
  explicit SchemeWriter(AdoConnection& connection) : connection_(connection) {}

  // Creates the missing tables, adds 沟底半径 where missing and an index on (道路名, 序号)
  // where missing, and prepares the statements. False when any of it fails.
  bool Prepare() {
    return InTransaction([&] { return PrepareTables(); });
  }

  // The road's rows of every table, in one transaction: they land whole or not at all. A table
  // whose rows are still those the file holds is left alone.
  bool SaveRoad(RoadSectionStore& record) {
    const bool known =
        record.stored.path == record.databasePath && record.stored.road == record.roadName;
    std::vector<std::pair<const TableWrite*, std::string>> written;
    const bool saved = InTransaction([&] {
      for (TableWrite& write : writes_) {
        const TableStep& step = *write.step;
        SetLastLevelHeights(*step.table, step.side, record);
        std::string image = TableImage(*step.table, record, step.side);
        if (known && !write.created) {
          const auto stored = record.stored.tables.find({step.table, step.side});
          if (stored != record.stored.tables.end() && stored->second == image) continue;
        }
        if (!WriteTable(write, record)) return false;
        written.emplace_back(&write, std::move(image));
      }
      return true;
    });
    if (!saved) return false;
    if (!known) record.stored = {record.databasePath, record.roadName, {}};
    for (auto& [write, image] : written)
      record.stored.tables[{write->step->table, write->step->side}] = std::move(image);
    return true;
  }

  // Why the last Prepare or SaveRoad failed.
  const AdoError& LastError() const { return lastError_; }

 private:
  struct TableWrite {
    const TableStep* step;
    std::unique_ptr<AdoStatement> erase;
    std::unique_ptr<AdoStatement> insert;
    std::vector<int> columns;  // data columns written, in order
    bool created = false;      // made by this save: whatever the records remember, it is empty
  };

  // BEGIN IMMEDIATE takes the write lock at once, so a lock held elsewhere fails here, before
  // anything is written.
  template <class Work>
  bool InTransaction(Work work) {
    lastError_ = {};
    if (connection_.ExecuteQuietly("BEGIN IMMEDIATE")) {
      if (work() && connection_.ExecuteQuietly("COMMIT")) return true;
      lastError_ = connection_.LastError();
      // Some failures (a full disk) have already rolled the transaction back.
      if (connection_.InTransaction()) connection_.ExecuteQuietly("ROLLBACK");
      return false;
    }
    lastError_ = connection_.LastError();
    return false;
  }

  bool PrepareTables() {
    ColumnCatalogue catalogue;
    if (!ReadCatalogue(connection_, catalogue)) return false;
    for (const TableStep& step : SaveOrder()) {
      const TableDesc& table = *step.table;
      const std::string name = table.Name(step.side);
      const bool scheme = table.Scope() == TableScope::Scheme;
      auto found = catalogue.find(name);
      const bool created = found == catalogue.end();
      if (created) {
        if (!connection_.ExecuteQuietly(table.CreateStatement(step.side))) return false;
        std::vector<std::string> created;
        created.push_back(std::string(scheme ? "序号" : kSerialColumn));
        if (!scheme) created.push_back(std::string(kRoadColumn));
        for (const DataColumn& column : table.DataColumns(step.side))
          created.push_back(column.name);
        found = catalogue.emplace(name, std::move(created)).first;
      }
      auto& columns = found->second;
      const auto& data = table.DataColumns(step.side);
      const int last = static_cast<int>(data.size()) - 1;
      if (table.HasRadiusUpgrade() && FindColumn(columns, data[last].name) < 0) {
        if (!connection_.ExecuteQuietly("ALTER TABLE " + QuoteName(name) + " ADD " +
                                        QuoteName(kRadiusColumn) + " DOUBLE"))
          return false;
        columns.push_back(std::string(kRadiusColumn));
      }
      if (!scheme && FindColumn(columns, kRoadColumn) >= 0 &&
          FindColumn(columns, kSerialColumn) >= 0 &&
          !connection_.ExecuteQuietly("CREATE INDEX IF NOT EXISTS " +
                                      QuoteName(name + "_道路名_序号") + " ON " + QuoteName(name) +
                                      " (" + QuoteName(kRoadColumn) + ", " +
                                      QuoteName(kSerialColumn) + ")"))
        return false;

      TableWrite write{&step, nullptr, nullptr, {}, created};
      std::string names = scheme ? QuoteName(kSerialColumn) : QuoteName(kRoadColumn);
      std::string marks = "?";
      for (int c = 0; c <= last; ++c) {
        // An older 用地面积汇总分段表 has no 备注: the remark is not stored there.
        if (c == last && table.LastColumnOptional() && FindColumn(columns, data[c].name) < 0)
          continue;
        const int column = FindColumn(columns, data[c].name);
        names += ", " + QuoteName(column >= 0 ? columns[column] : data[c].name);
        marks += ", ?";
        write.columns.push_back(c);
      }
      write.erase = std::make_unique<AdoStatement>(
          connection_, "DELETE FROM " + QuoteName(name) +
                           (scheme ? "" : " WHERE " + QuoteName(kRoadColumn) + " = ?"));
      write.insert =
          std::make_unique<AdoStatement>(connection_, "INSERT INTO " + QuoteName(name) + " (" +
                                                          names + ") VALUES (" + marks + ")");
      if (!write.erase->Prepared() || !write.insert->Prepared()) return false;
      writes_.push_back(std::move(write));
    }
    return true;
  }

  // The last level in use always reaches to the top of the slope; on a cut, a negative height
  // there is the radius of the arc that rounds the top, and stays.
  static void SetLastLevelHeights(const TableDesc& table, Side side, RoadSectionStore& record) {
    if (!table.IsSlope()) return;
    const int rows = table.RowCount(record, side);
    for (int row = 0; row < rows; ++row) {
      const int levels = std::get<int>(table.Get(record, side, row, 1));
      if (levels < 1) continue;
      const int height = 2 + 4 * (levels - 1) + 1;
      const bool arc = table.BaseName() == kCutSlopeTable &&
                       std::get<double>(table.Get(record, side, row, height)) < 0;
      if (!arc) table.Set(record, side, row, height, 100.0);
    }
  }

  static AdoValue ToAdo(const FieldValue& value) {
    return std::visit(
        [](const auto& v) -> AdoValue {
          using V = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<V, int>)
            return static_cast<std::int64_t>(v);
          else
            return v;
        },
        value);
  }

  bool WriteTable(TableWrite& write, RoadSectionStore& record) {
    const TableDesc& table = *write.step->table;
    const Side side = write.step->side;
    const bool scheme = table.Scope() == TableScope::Scheme;
    if (!scheme) write.erase->Bind(1, record.roadName);
    if (!write.erase->Run()) return false;
    std::vector<AdoValue> values(write.columns.size() + 1);
    const int rows = table.RowCount(record, side);
    for (int row = 0; row < rows; ++row) {
      values[0] = scheme ? AdoValue(std::int64_t{0}) : AdoValue(record.roadName);
      const int inUse = table.ColumnsInUse(record, side, row);
      for (size_t i = 0; i < write.columns.size(); ++i) {
        const int c = write.columns[i];
        values[i + 1] = c < inUse ? ToAdo(table.Get(record, side, row, c)) : AdoValue(nullptr);
      }
      for (size_t i = 0; i < values.size(); ++i)
        write.insert->Bind(static_cast<int>(i) + 1, values[i]);
      if (!write.insert->Run()) return false;
    }
    return true;
  }

  AdoConnection& connection_;
  std::vector<TableWrite> writes_;
  AdoError lastError_;
};

}  // namespace

FailureCause CauseOf(const AdoError& error) {
  // A write refused by the file system while the file was open shows as an I/O error.
  if ((error.code & 0xff) == SQLITE_IOERR) {
    if (error.systemError == EPERM || error.systemError == EACCES || error.systemError == EROFS)
      return FailureCause::ReadOnly;
    if (error.systemError == ENOSPC) return FailureCause::DiskFull;
  }
  switch (error.code & 0xff) {
    case SQLITE_OK:
      return FailureCause::None;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return FailureCause::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return FailureCause::ReadOnly;
    case SQLITE_FULL:
      return FailureCause::DiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
      return FailureCause::Damaged;
    case SQLITE_NOTADB:
      return FailureCause::NotScheme;
    default:
      return FailureCause::Other;
  }
}

std::string CauseMessage(FailureCause cause, const std::string& detail) {
  std::string text;
  switch (cause) {
    case FailureCause::Locked:
      text = "数据库正被其他程序使用(已锁定)。请关闭那个程序后再试。";
      break;
    case FailureCause::ReadOnly:
      text = "数据库文件是只读的，无法写入。";
      break;
    case FailureCause::DiskFull:
      text = "磁盘已满，无法写入数据库。";
      break;
    case FailureCause::Damaged:
      text = "数据库文件已损坏。";
      break;
    case FailureCause::NotScheme:
      text = "该文件不是方案数据库。";
      break;
    default:
      text = "数据库操作失败。";
      break;
  }
  return detail.empty() ? text : text + "\n详细信息: " + detail;
}

SchemeStore::SchemeStore(const Services& services) : services_(services), connection_(services) {}

SchemeStore::~SchemeStore() = default;

// Ends the open's read transaction; an upgrade that cannot be committed is given up (the records
// hold its values all the same, and saving makes it again).
void SchemeStore::EndRead() {
  if (!connection_.ExecuteQuietly("COMMIT")) connection_.ExecuteQuietly("ROLLBACK");
}

bool SchemeStore::Connect(const std::string& path) {
  if (!connection_.Open(ConnectionString(path))) return false;
  // A scheme of fifty roads is tens of megabytes: room for it in the page cache saves reading
  // pages again between tables and roads.
  connection_.ExecuteQuietly("PRAGMA cache_size = -65536");
  return true;
}

void SchemeStore::ShowOpenFailure() {
  const AdoError& error = connection_.LastError();
  const FailureCause cause = CauseOf(error);
  std::string text(messages::kConnectFailed);
  if (cause != FailureCause::Other && cause != FailureCause::None)
    text += "\n" + CauseMessage(cause, error.text);
  services_.messages->Show(text);
}

void SchemeStore::ShowLoadProblems(const std::vector<RoadSectionStore*>& records) {
  std::string lines;
  int shown = 0, more = 0;
  for (const RoadSectionStore* record : records)
    for (const std::string& problem : record->loadProblems) {
      if (shown++ < kProblemLinesShown)
        lines += "\n道路" + record->roadName + ", " + problem;
      else
        ++more;
    }
  if (lines.empty()) return;
  if (more > 0) lines += "\n…另有" + std::to_string(more) + "处";
  services_.messages->Show(std::string(messages::kNotWholeHeading) + lines);
}

bool SchemeStore::Open(const std::string& path) {
  roads_.clear();
  records_.clear();
  leftOut_ = 0;
  connected_ = false;
  return OpenRoads(path);
}

bool SchemeStore::OpenRoads(const std::string& path) {
  if (!Connect(path)) {
    ShowOpenFailure();
    return false;
  }
  connected_ = true;
  // One read transaction: every table is read from the same state of the file, and another
  // program cannot take the file for writing half-way through.
  connection_.ExecuteQuietly("BEGIN");
  ColumnCatalogue catalogue;
  ChainBreaks breaks;
  if (!ReadCatalogue(connection_, catalogue) ||
      !ReadChainBreakTable(connection_, catalogue, breaks)) {
    const AdoError error = connection_.LastError();
    connection_.ExecuteQuietly("ROLLBACK");
    services_.messages->Show(CauseMessage(CauseOf(error), error.text));
    return false;
  }
  const bool anyTable =
      std::any_of(AllTables().begin(), AllTables().end(), [&](const TableDesc* t) {
        return catalogue.count(t->Name(kLeft)) || catalogue.count(t->Name(kRight));
      });
  if (!catalogue.count(std::string(kChainBreakTable)) && !anyTable) {
    connection_.ExecuteQuietly("ROLLBACK");
    services_.messages->Show(CauseMessage(FailureCause::NotScheme, {}));
    return false;
  }
  for (const std::string& name : breaks.names) {
    if (static_cast<int>(roads_.size()) == kMaxRoads) {
      leftOut_ = breaks.names.size() - kMaxRoads;
      services_.messages->Show(messages::TooManyRoads(leftOut_, kMaxRoads));
      break;
    }
    RoadEntry entry{name, {}, {}, 0, 0};
    const auto& rows = breaks.rows[name];
    if (name != kMainLine && !rows.empty()) {
      entry.startPrefix = rows.front().leftPrefix;
      entry.startStation = rows.front().leftStation;
      entry.endPrefix = rows.back().rightPrefix;
      entry.endStation = rows.back().rightStation;
    }
    roads_.push_back(std::move(entry));
  }
  SortRoadList(roads_);
  if (roads_.empty()) {
    connection_.ExecuteQuietly("ROLLBACK");
    return false;
  }
  std::vector<RoadSectionStore*> loading;
  for (const RoadEntry& road : roads_) {
    auto record = std::make_unique<RoadSectionStore>(services_);
    record->databasePath = path;
    record->roadName = road.name;
    record->roadList = roads_;
    record->chainBreaks = breaks.rows[road.name];
    loading.push_back(record.get());
    records_.push_back(std::move(record));
  }
  SchemeReader reader(connection_, services_, catalogue, loading);
  reader.ReadAll();
  EndRead();
  if (reader.Stop() != FailureCause::None)
    services_.messages->Show(CauseMessage(reader.Stop(), reader.StopDetail()));
  ShowLoadProblems(loading);
  return true;
}

bool SchemeStore::ReadOnly() const { return connected_ && connection_.IsReadOnly(); }

void SchemeStore::LoadOne(RoadSectionStore& record) {
  record.loadProblems.clear();
  record.chainBreaks.clear();
  ColumnCatalogue catalogue;
  const bool opened = connection_.Open(ConnectionString(record.databasePath));
  if (!opened) services_.messages->Show(std::string(messages::kConnectFailed));
  if (opened) {
    connection_.ExecuteQuietly("BEGIN");
    ChainBreaks breaks;
    if (ReadCatalogue(connection_, catalogue) &&
        ReadChainBreakTable(connection_, catalogue, breaks))
      record.chainBreaks = breaks.rows[record.roadName];
  }
  SchemeReader reader(connection_, services_, catalogue, {&record});
  reader.ReadAll();
  if (opened) EndRead();
  ShowLoadProblems({&record});
}

bool SchemeStore::SaveOne(RoadSectionStore& record) {
  if (!connection_.Open(ConnectionString(record.databasePath))) {
    services_.messages->Show(std::string(messages::kConnectFailed));
    return false;
  }
  if (!record.LoadedWhole()) return false;
  SchemeWriter writer(connection_);
  return writer.Prepare() && writer.SaveRoad(record);
}

SaveReport SchemeStore::Save(const RoadRecords& records) {
  SaveReport report = SaveQuietly(records);
  if (!records.empty()) ShowSaveReport(records.front()->databasePath, report);
  return report;
}

SaveReport SchemeStore::SaveQuietly(const RoadRecords& records) {
  SaveReport report;
  // Each record goes to the database it was loaded from: normally one file for all.
  std::string path;
  std::unique_ptr<SchemeWriter> writer;
  FailureCause stop = FailureCause::None;
  std::string stopDetail;
  const auto stopWith = [&](const AdoError& error) {
    stop = CauseOf(error);
    if (stop == FailureCause::None) stop = FailureCause::Other;
    stopDetail = error.text;
  };
  const auto useDatabase = [&](const std::string& wanted) {
    if (writer && path == wanted) return;
    path = wanted;
    stop = FailureCause::None;
    writer = std::make_unique<SchemeWriter>(connection_);
    if (!connection_.Open(ConnectionString(path)))
      stopWith(connection_.LastError());
    else if (!writer->Prepare())
      stopWith(writer->LastError());
  };
  const int count = static_cast<int>(records.size());
  services_.progress->SetProgress(0);
  for (int i = 0; i < count; ++i) {
    RoadSectionStore& record = *records[i];
    if (!record.LoadedWhole()) {
      report.unsaved.push_back({record.roadName, FailureCause::None, {}});
      services_.progress->SetProgress((i + 1) * 100 / count);
      continue;
    }
    useDatabase(record.databasePath);
    if (stop != FailureCause::None) {
      // A lock that outlasted the wait, a read-only file, a full disk: no use trying each road.
      report.unsaved.push_back({record.roadName, stop, stopDetail});
    } else if (writer->SaveRoad(record)) {
      report.saved.push_back(record.roadName);
    } else {
      const AdoError& error = writer->LastError();
      FailureCause cause = CauseOf(error);
      if (cause == FailureCause::None) cause = FailureCause::Other;
      report.unsaved.push_back({record.roadName, cause, error.text});
      if (StopsEverything(cause)) {
        stop = cause;
        stopDetail = error.text;
      }
    }
    services_.progress->SetProgress((i + 1) * 100 / count);
  }
  return report;
}

void SchemeStore::ShowSaveReport(const std::string& path, const SaveReport& report) {
  // One box per cause, in the order the causes first came up, then the summary.
  std::vector<FailureCause> causes;
  for (const auto& unsaved : report.unsaved)
    if (std::find(causes.begin(), causes.end(), unsaved.cause) == causes.end())
      causes.push_back(unsaved.cause);
  for (FailureCause cause : causes) {
    std::vector<std::string> roads;
    std::string detail;
    for (const auto& unsaved : report.unsaved)
      if (unsaved.cause == cause) {
        roads.push_back(unsaved.road);
        if (detail.empty()) detail = unsaved.detail;
      }
    if (cause == FailureCause::None)
      services_.messages->Show(messages::NotWholeNotSaved(RoadStartList(roads)));
    else
      services_.messages->Show(CauseMessage(cause, detail) + "\n(" + RoadStartList(roads) + ")");
  }
  std::vector<std::string> unsavedRoads;
  for (const auto& unsaved : report.unsaved) unsavedRoads.push_back(unsaved.road);
  std::string summary =
      unsavedRoads.empty() ? messages::Saved(path) : messages::NotSaved(path, unsavedRoads);
  if (leftOut_ > 0) summary += messages::LeftOutRoads(leftOut_);
  services_.messages->Show(summary);
}

}  // namespace hdmjm
