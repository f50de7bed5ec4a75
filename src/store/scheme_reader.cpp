#include "scheme_reader.h"

#include <algorithm>
#include <unordered_map>

namespace hdmjm {
namespace {

// Notes why a road did not load whole; one line per table, the first reason found.
void Problem(RoadSectionStore& record, const std::string& table, const std::string& reason) {
  const std::string head = "表" + table + ": ";
  for (const std::string& line : record.loadProblems)
    if (line.compare(0, head.size(), head) == 0) return;
  record.loadProblems.push_back(head + reason);
}

// Where each data column of a table stands in the select list, and the columns the table has
// beyond them.
struct SelectList {
  std::string text;
  std::vector<int> at;                              // per data column; -1 when missing
  std::vector<std::pair<int, std::string>> extras;  // position, column name
  std::string missing;                              // the data columns the table lacks
};

class SchemeReader {
 public:
  SchemeReader(AdoConnection& connection, const Services& services,
               const ColumnCatalogue& catalogue, const std::vector<RoadSectionStore*>& records)
      : connection_(connection),
        services_(services),
        catalogue_(catalogue),
        records_(records),
        counts_(records_.size()) {
    for (size_t i = 0; i < records_.size(); ++i) byName_.emplace(records_[i]->roadName, i);
  }

  ReadStop ReadAll() {
    for (RoadSectionStore* record : records_)
      record->stored = {record->databasePath, record->roadName, {}};
    services_.progress->SetProgress(0);
    for (const TableStep& step : LoadOrder()) {
      if (stop_.cause == FailureCause::None) ReadTable(*step.table, step.side);
      if (stop_.cause != FailureCause::None) Unread(*step.table, step.side);
      for (int position : step.progress)
        if (position >= 0) services_.progress->SetProgress(position);
    }
    return stop_;
  }

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
      const RoadExtent extent = RoadExtentOf(records_[i]->chainBreaks).value_or(RoadExtent{});
      table.SetDefault(*records_[i], side, extent.start, extent.end);
    }
  }

  // After a failure that stops the open, the tables not read show their defaults and no road
  // counts as loaded whole.
  void Unread(const TableDesc& table, Side side) {
    AllRoads(TableName(table, side), CauseMessage(stop_.cause, stop_.detail));
    std::fill(counts_.begin(), counts_.end(), 0);
    Defaults(table, side, false);
  }

  void Failed(const std::string& table) {
    const AdoError& error = connection_.LastError();
    AllRoads(table, "读取失败: " + error.text);
    if (const FailureCause cause = CauseOf(error); StopsEverything(cause))
      stop_ = {cause, error.text};
  }

  // Older 排水沟 and 天沟 tables gain 沟底半径, 0 in the listed roads' rows.
  void UpgradeRadius(const std::string& table, std::vector<std::string>& columns) {
    if (!connection_.Execute("ALTER TABLE " + QuoteName(table) + " ADD " +
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

  // 道路名 (but in 松方压实系数), the data columns the table has, then any column it has beyond.
  static SelectList Select(const TableDesc& table, Side side,
                           const std::vector<std::string>& columns, int serial, int road) {
    SelectList select;
    std::vector<int> used(columns.size(), 0);
    int position = 0;
    const auto add = [&](int column) {
      select.text += (select.text.empty() ? "" : ", ") + QuoteName(columns[column]);
      used[column] = 1;
      return position++;
    };
    if (serial >= 0) used[serial] = 1;
    if (road >= 0) add(road);
    const auto& data = table.DataColumns(side);
    const int last = static_cast<int>(data.size()) - 1;
    select.at.assign(data.size(), -1);
    for (int c = 0; c <= last; ++c) {
      const int column = FindColumn(columns, data[c].name);
      if (column >= 0)
        select.at[c] = add(column);
      else if (c != last || !(table.HasRadiusUpgrade() || table.LastColumnOptional()))
        select.missing += (select.missing.empty() ? "" : "、") + data[c].name;
    }
    for (size_t column = 0; column < columns.size(); ++column)
      if (!used[column]) select.extras.push_back({add(static_cast<int>(column)), columns[column]});
    if (select.text.empty()) select.text = "NULL";
    return select;
  }

  void ReadTable(const TableDesc& table, Side side) {
    const std::string name = TableName(table, side);
    const bool scheme = table.Scope() == TableScope::Scheme;
    std::fill(counts_.begin(), counts_.end(), 0);
    if (!scheme)
      for (RoadSectionStore* record : records_) table.Resize(*record, side, 0);
    const auto found = catalogue_.find(name);
    if (found == catalogue_.end()) return Defaults(table, side, false);
    std::vector<std::string> columns = found->second;
    const auto& data = table.DataColumns(side);
    if (table.HasRadiusUpgrade() && FindColumn(columns, data.back().name) < 0)
      UpgradeRadius(name, columns);
    const int serial = FindColumn(columns, kSerialColumn);
    const int road = scheme ? -1 : FindColumn(columns, kRoadColumn);
    if (!scheme && road < 0) {
      AllRoads(name, "缺少列" + std::string(kRoadColumn));
      return Defaults(table, side, false);
    }
    const SelectList select = Select(table, side, columns, serial, road);
    if (!select.missing.empty()) AllRoads(name, "缺少列" + select.missing);
    if (serial < 0 && !scheme) AllRoads(name, "缺少列" + std::string(kSerialColumn));
    const std::string order = serial >= 0 ? " ORDER BY " + QuoteName(columns[serial]) : "";
    AdoStatement rows(connection_, "SELECT " + select.text + " FROM " + QuoteName(name) + order);
    if (!rows.Prepared()) {
      Failed(name);
      return Defaults(table, side, false);
    }
    AdoStatement::Step step;
    while ((step = rows.Next()) == AdoStatement::Step::Row) {
      if (scheme) {
        for (size_t i = 0; i < records_.size(); ++i) ReadRow(rows, table, side, name, i, select);
        continue;
      }
      const AdoValue roadName = rows.Value(0);
      const auto* text = std::get_if<std::string>(&roadName);
      if (!text) continue;  // a NULL 道路名 is no road
      if (const auto target = byName_.find(*text); target != byName_.end())
        ReadRow(rows, table, side, name, target->second, select);
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
               size_t road, const SelectList& select) {
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
      const AdoValue value = select.at[c] >= 0 ? rows.Value(select.at[c]) : AdoValue{};
      if (c >= table.ColumnsInUse(record, side, row)) {
        // Levels beyond a slope row's count are not kept: a value there would be lost.
        if (!IsNull(value))
          Problem(record, name, where + "列" + data[c].name + "在边坡总级数之外却有数值");
        continue;
      }
      std::string why;
      table.Set(record, side, row, c, KeepStored(value, data[c].kind, why));
      if (!why.empty()) Problem(record, name, where + "列" + data[c].name + ": " + why);
    }
    for (const auto& [column, extraName] : select.extras)
      if (!IsNull(rows.Value(column)))
        Problem(record, name, "列" + extraName + "不在表的定义中, 其值无法保存");
  }

  AdoConnection& connection_;
  const Services& services_;
  const ColumnCatalogue& catalogue_;
  const std::vector<RoadSectionStore*>& records_;
  std::unordered_map<std::string, size_t> byName_;
  std::vector<int> counts_;  // rows read per road of the current table
  ReadStop stop_;
};

}  // namespace

bool ReadChainBreaks(AdoConnection& connection, const ColumnCatalogue& catalogue,
                     RoadRecordList& records, std::size_t room, std::vector<std::string>& leftOut) {
  const auto found = catalogue.find(std::string(kChainBreakTable));
  if (found == catalogue.end()) return true;
  const auto& columns = found->second;
  const int road = FindColumn(columns, kRoadColumn);
  if (road < 0) return true;
  const TableDesc& table = ChainBreakTable();
  const auto& data = table.DataColumns(kLeft);
  std::string list = QuoteName(columns[road]);
  for (const DataColumn& column : data) {
    const int at = FindColumn(columns, column.name);
    list += ", " + (at < 0 ? std::string("NULL") : QuoteName(columns[at]));
  }
  AdoStatement rows(connection, "SELECT " + list + " FROM " + QuoteName(kChainBreakTable));
  if (!rows.Prepared()) return false;
  std::unordered_map<std::string, RoadSectionStore*> byName;  // null: a road left out
  for (const auto& record : records) byName.emplace(record->roadName, record.get());
  AdoStatement::Step step;
  while ((step = rows.Next()) == AdoStatement::Step::Row) {
    const AdoValue name = rows.Value(0);
    if (IsNull(name)) continue;
    auto [entry, added] = byName.try_emplace(VariantToText(name), nullptr);
    if (added && records.size() < room) {
      records.push_back(std::make_unique<RoadSectionStore>());
      records.back()->roadName = entry->first;
      entry->second = records.back().get();
    } else if (added) {
      leftOut.push_back(entry->first);
    }
    if (!entry->second) continue;
    RoadSectionStore& record = *entry->second;
    const int row = table.RowCount(record, kLeft);
    table.Resize(record, kLeft, row + 1);
    for (int c = 0; c < static_cast<int>(data.size()); ++c)
      table.Set(record, kLeft, row, c, NearestField(rows.Value(c + 1), data[c].kind));
  }
  return step == AdoStatement::Step::Done;
}

void SortRoadList(std::vector<RoadEntry>& roadList) {
  const int count = static_cast<int>(roadList.size());
  for (int i = 1; i < count; ++i)
    if (roadList[i].name == kMainLine) std::swap(roadList[0], roadList[i]);
  for (int i = 1; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (roadList[i].startStation > roadList[j].startStation) std::swap(roadList[i], roadList[j]);
}

ReadStop ReadTables(AdoConnection& connection, const Services& services,
                    const ColumnCatalogue& catalogue,
                    const std::vector<RoadSectionStore*>& records) {
  return SchemeReader(connection, services, catalogue, records).ReadAll();
}

}  // namespace hdmjm
