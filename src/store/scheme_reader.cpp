#include "scheme_reader.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>

#include "database_file.h"

namespace hdmjm {
namespace {

// Notes why a road did not load whole; one line per table, the first reason found.
void Problem(RoadSectionStore& record, const std::string& table, const std::string& reason) {
  const std::string head = "表" + table + ": ";
  for (const std::string& line : record.loadProblems)
    if (line.compare(0, head.size(), head) == 0) return;
  record.loadProblems.push_back(head + reason);
}

// Sets row `row` of the table from `values` (at[c]: where data column c stands among them, -1
// when the file lacks it), each value as the record keeps it, data columns from `end` on aside.
// `problem(c, why)` hears of every column set (`why` empty when the value was kept exactly)
// and, with a null `why`, of a value beyond a slope row's levels, which is not kept.
template <class Problem>
void DecodeRow(const TableDesc& table, Side side, RoadSectionStore& record, int row,
               const std::vector<AdoValue>& values, const std::vector<int>& at, Problem&& problem,
               std::size_t end = std::numeric_limits<std::size_t>::max()) {
  static const AdoValue kAbsent;
  const auto& data = table.DataColumns(side);
  const int columns = static_cast<int>(std::min(data.size(), end));
  std::string why;
  // The columns in use follow from the row's count column where it has one (a slope row's
  // 边坡总级数), which comes before the columns it counts.
  const int countColumn = table.CountColumn();
  int inUse = table.ColumnsInUse(record, side, row);
  for (int c = 0; c < columns; ++c) {
    const AdoValue& value = at[c] >= 0 ? values[at[c]] : kAbsent;
    if (c >= inUse) {
      if (!IsNull(value)) problem(c, nullptr);
      continue;
    }
    table.Set(record, side, row, c, KeepStored(value, data[c].kind, why));
    problem(c, &why);
    if (c == countColumn) inUse = table.ColumnsInUse(record, side, row);
  }
}

// Where each data column of a table stands in the select list, and the columns the table has
// beyond them. Data columns no row can use (levels above every slope row's count) are only
// looked at for a value, last in the list.
struct SelectList {
  std::vector<std::string> names;
  std::size_t end = 0;                              // the data columns from here are looked at
  std::vector<int> lookedAt;                        // those the table has, in list order
  std::vector<int> at;                              // per data column; -1 when missing
  std::vector<std::string> typeProblems;            // per data column; empty when it can feed
  std::vector<std::pair<int, std::string>> extras;  // position, column name
  std::string missing;                              // the data columns the table lacks
};

class SchemeReader {
 public:
  // `keepRows` false: of each table the records keep only the hashes of the file's rows.
  SchemeReader(TableSource& source, const Services& services, const ColumnCatalogue& catalogue,
               const std::vector<RoadSectionStore*>& records, bool keepRows)
      : source_(source),
        services_(services),
        catalogue_(catalogue),
        records_(records),
        keepRows_(keepRows),
        counts_(records_.size()),
        hashes_(keepRows ? 0 : records_.size()) {
    for (size_t i = 0; i < records_.size(); ++i) byName_.emplace(records_[i]->roadName, i);
  }

  ReadStop ReadAll() {
    const FileIdentity file =
        records_.empty() ? FileIdentity{} : IdentifyFile(records_.front()->databasePath);
    for (RoadSectionStore* record : records_)
      record->stored = {record->databasePath, record->roadName, file.device, file.inode, {}};
    services_.progress->SetProgress(0);
    for (const TableStep& step : LoadOrder()) {
      if (stop_.cause == FailureCause::None) ReadTable(*step.table, step.side);
      if (stop_.cause != FailureCause::None) Unread(*step.table, step.side);
      for (RoadSectionStore* record : records_)
        if (keepRows_)
          step.table->Fit(*record, step.side);
        else if (step.table->Scope() != TableScope::Scheme)
          step.table->Resize(*record, step.side, 0);
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
    const SourceFailure failure = source_.LastFailure();
    AllRoads(table, "读取失败: " + failure.detail);
    if (StopsEverything(failure.cause)) stop_ = failure;
  }

  // Older 排水沟 and 天沟 tables gain 沟底半径, 0 in the listed roads' rows. Where it cannot be
  // added the record holds 0 all the same, and saving adds it.
  void UpgradeRadius(const std::string& table, std::vector<std::string>& columns) {
    std::vector<std::string> roads;
    for (const RoadSectionStore* record : records_) roads.push_back(record->roadName);
    if (source_.AddRadiusColumn(table, roads)) columns.push_back(std::string(kRadiusColumn));
  }

  // 道路名 (but in 松方压实系数), the data columns the table has, then any column it has beyond.
  SelectList Select(const TableDesc& table, Side side, const std::string& name,
                    const std::vector<std::string>& columns, int serial, int road) {
    SelectList select;
    select.end = ColumnsInUseAtMost(table, side, name, columns);
    std::vector<int> used(columns.size(), 0);
    std::vector<int> lookedAt;  // the file's columns of select.lookedAt
    int position = 0;
    const auto add = [&](int column) {
      select.names.push_back(columns[column]);
      used[column] = 1;
      return position++;
    };
    if (serial >= 0) used[serial] = 1;
    if (road >= 0) add(road);
    const auto& data = table.DataColumns(side);
    const int last = static_cast<int>(data.size()) - 1;
    select.at.assign(data.size(), -1);
    select.typeProblems.resize(data.size());
    for (int c = 0; c <= last; ++c) {
      const int column = FindColumn(columns, data[c].name);
      if (column >= 0 && static_cast<std::size_t>(c) >= select.end) {
        used[column] = 1;
        select.lookedAt.push_back(c);
        lookedAt.push_back(column);
      } else if (column >= 0) {
        select.at[c] = add(column);
        select.typeProblems[c] = source_.ColumnProblem(name, columns[column], data[c].kind);
      } else if (c != last || !(table.HasRadiusUpgrade() || table.LastColumnOptional()))
        select.missing += (select.missing.empty() ? "" : "、") + data[c].name;
    }
    for (size_t column = 0; column < columns.size(); ++column)
      if (!used[column]) select.extras.push_back({add(static_cast<int>(column)), columns[column]});
    for (int column : lookedAt) select.names.push_back(columns[column]);
    return select;
  }

  // How many data columns the table's rows use at most, as far as the file tells it without
  // reading them: a slope table's greatest 边坡总级数 bounds its rows' levels.
  std::size_t ColumnsInUseAtMost(const TableDesc& table, Side side, const std::string& name,
                                 const std::vector<std::string>& columns) {
    const auto& data = table.DataColumns(side);
    const int count = table.CountColumn();
    const int column = count >= 0 ? FindColumn(columns, data[count].name) : -1;
    const std::optional<double> greatest =
        column >= 0 ? source_.Greatest(name, columns[column]) : std::nullopt;
    if (!greatest) return data.size();
    return static_cast<std::size_t>(std::max(count + 1, table.ColumnsAtMost(*greatest)));
  }

  void ReadTable(const TableDesc& table, Side side) {
    const std::string name = TableName(table, side);
    const bool scheme = table.Scope() == TableScope::Scheme;
    std::fill(counts_.begin(), counts_.end(), 0);
    for (RowHashes& hashes : hashes_) hashes.clear();
    if (!scheme)
      for (RoadSectionStore* record : records_) table.Resize(*record, side, 0);
    const auto found = catalogue_.find(name);
    if (found == catalogue_.end()) {
      // The file holds no rows of it: a save by another program that makes it is then seen.
      if (name == table.Name(side)) RememberStored(table, side);
      return Defaults(table, side, false);
    }
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
    const SelectList select = Select(table, side, name, columns, serial, road);
    if (!select.missing.empty()) AllRoads(name, "缺少列" + select.missing);
    if (serial < 0 && !scheme) AllRoads(name, "缺少列" + std::string(kSerialColumn));
    const std::string order = serial >= 0 ? columns[serial] : std::string();
    // A road's rows mostly follow one another: the last road found is asked first.
    std::string lastName;
    auto last = byName_.end();
    const bool read = source_.ReadRows(
        name, select.names, order,
        [&](const std::vector<AdoValue>& row) {
          if (scheme) {
            for (size_t i = 0; i < records_.size(); ++i) ReadRow(row, table, side, name, i, select);
            return;
          }
          const auto* text = std::get_if<std::string>(&row[0]);
          if (!text) return;  // a NULL 道路名 is no road
          if (last == byName_.end() || *text != lastName) {
            last = byName_.find(*text);
            lastName = *text;
          }
          if (last != byName_.end()) ReadRow(row, table, side, name, last->second, select);
        },
        select.lookedAt.size());
    if (!read)
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
      record.stored.tables[{&table, side}] =
          keepRows_ ? HashRows(table, record, side, rows) : std::move(hashes_[i]);
    }
  }

  void ReadRow(const std::vector<AdoValue>& values, const TableDesc& table, Side side,
               const std::string& name, size_t road, const SelectList& select) {
    RoadSectionStore& record = *records_[road];
    const bool scheme = table.Scope() == TableScope::Scheme;
    const int row = scheme ? 0 : counts_[road];
    ++counts_[road];
    if (!scheme && row >= table.Capacity()) {
      Problem(record, name, "行数超过" + std::to_string(table.Capacity()));
      return;
    }
    // Without the rows kept, each row is decoded into the first, hashed, and let go.
    const int at = keepRows_ ? row : 0;
    if (!scheme && table.RowCount(record, side) <= at) table.Resize(record, side, at + 1);
    const auto& data = table.DataColumns(side);
    const auto where = [row] {
      std::string text("第");
      return text.append(std::to_string(row + 1)).append("行");
    };
    // Levels beyond a slope row's count are not kept: a value there would be lost.
    const auto beyond = [&](int c) {
      Problem(record, name, where() + "列" + data[c].name + "在边坡总级数之外却有数值");
    };
    DecodeRow(
        table, side, record, at, values, select.at,
        [&](int c, const std::string* why) {
          if (!why) return beyond(c);
          const std::string& problem = why->empty() ? select.typeProblems[c] : *why;
          if (!problem.empty())
            Problem(record, name, where() + "列" + data[c].name + ": " + problem);
        },
        select.end);
    if (!select.lookedAt.empty())
      if (const auto* first = std::get_if<std::int64_t>(&values.back());
          first && *first >= 0 && *first < static_cast<std::int64_t>(select.lookedAt.size()))
        beyond(select.lookedAt[static_cast<std::size_t>(*first)]);
    for (const auto& [column, extraName] : select.extras)
      if (!IsNull(values[column]))
        Problem(record, name, "列" + extraName + "不在表的定义中, 其值无法保存");
    if (!keepRows_) hashes_[road].push_back(table.HashRow(record, side, at));
  }

  TableSource& source_;
  const Services& services_;
  const ColumnCatalogue& catalogue_;
  const std::vector<RoadSectionStore*>& records_;
  const bool keepRows_;
  std::unordered_map<std::string, size_t> byName_;
  std::vector<int> counts_;        // rows read per road of the current table
  std::vector<RowHashes> hashes_;  // without the rows kept: their hashes, per road
  ReadStop stop_;
};

}  // namespace

bool ReadChainBreaks(TableSource& source, const ColumnCatalogue& catalogue, RoadRecordList& records,
                     bool addRoads) {
  const auto found = catalogue.find(std::string(kChainBreakTable));
  if (found == catalogue.end()) return true;
  const auto& columns = found->second;
  const int road = FindColumn(columns, kRoadColumn);
  if (road < 0) return true;
  const TableDesc& table = ChainBreakTable();
  const auto& data = table.DataColumns(kLeft);
  std::vector<std::string> list{columns[road]};
  for (const DataColumn& column : data) {
    const int at = FindColumn(columns, column.name);
    list.push_back(at < 0 ? std::string() : columns[at]);
  }
  std::unordered_map<std::string, RoadSectionStore*> byName;  // null: a road not read
  for (const auto& record : records) byName.emplace(record->roadName, record.get());
  const auto readRow = [&](const std::vector<AdoValue>& values) {
    const AdoValue& name = values[0];
    if (IsNull(name)) return;
    auto [entry, added] = byName.try_emplace(VariantToText(name), nullptr);
    if (added && addRoads) {
      records.push_back(std::make_unique<RoadSectionStore>());
      records.back()->roadName = entry->first;
      entry->second = records.back().get();
    }
    if (!entry->second) return;
    RoadSectionStore& record = *entry->second;
    const int row = table.RowCount(record, kLeft);
    table.Resize(record, kLeft, row + 1);
    for (int c = 0; c < static_cast<int>(data.size()); ++c)
      table.Set(record, kLeft, row, c, NearestField(values[c + 1], data[c].kind));
  };
  // In the order the file keeps them, by 序号 where the table numbers its rows.
  const int serial = FindColumn(columns, kSerialColumn);
  return source.ReadRows(std::string(kChainBreakTable), list,
                         serial < 0 ? std::string() : columns[serial], readRow);
}

void SortRoadList(std::vector<RoadEntry>& roadList) {
  const int count = static_cast<int>(roadList.size());
  for (int i = 1; i < count; ++i)
    if (roadList[i].name == kMainLine) std::swap(roadList[0], roadList[i]);
  for (int i = 1; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (roadList[i].startStation > roadList[j].startStation) std::swap(roadList[i], roadList[j]);
}

RoadRows::RoadRows(AdoConnection& connection, const TableStep& step,
                   const std::vector<std::string>& columns)
    : step_(step) {
  const TableDesc& table = *step.table;
  const bool scheme = table.Scope() == TableScope::Scheme;
  std::string list;
  int position = 0;
  for (const DataColumn& column : table.DataColumns(step.side)) {
    const int found = FindColumn(columns, column.name);
    at_.push_back(found < 0 ? -1 : position++);
    if (found >= 0) list += (list.empty() ? "" : ", ") + QuoteName(columns[found]);
  }
  const int serial = FindColumn(columns, kSerialColumn);
  select_ = std::make_unique<AdoStatement>(
      connection, "SELECT " + (list.empty() ? std::string("NULL") : list) + " FROM " +
                      QuoteName(table.Name(step.side)) +
                      (scheme ? "" : " WHERE " + QuoteName(kRoadColumn) + " = ?") +
                      (serial < 0 ? "" : " ORDER BY " + QuoteName(columns[serial])));
}

RoadRows::~RoadRows() = default;

bool RoadRows::Prepared() const { return select_->Prepared(); }

bool RoadRows::Read(const std::string& road, RoadSectionStore& record, RowHashes& hashes) {
  const TableDesc& table = *step_.table;
  const Side side = step_.side;
  const bool scheme = table.Scope() == TableScope::Scheme;
  if (!scheme) {
    table.Resize(record, side, 0);
    select_->Bind(1, road);
  }
  std::vector<AdoValue> values(at_.size());
  int count = 0, beyond = 0;
  AdoStatement::Step step;
  while ((step = select_->Next()) == AdoStatement::Step::Row) {
    const int row = scheme ? 0 : count;
    ++count;
    if (!scheme && row >= table.Capacity()) {
      ++beyond;
      continue;
    }
    if (!scheme) table.Resize(record, side, row + 1);
    select_->ValuesInto(values);
    DecodeRow(table, side, record, row, values, at_, [](int, const std::string*) {});
  }
  select_->Reset();
  if (step != AdoStatement::Step::Done) return false;
  hashes = HashRows(table, record, side, count > 0 ? table.RowCount(record, side) : 0);
  // Rows past the record's room cannot be held: they count as rows no record remembers.
  hashes.insert(hashes.end(), static_cast<std::size_t>(beyond), 0);
  return true;
}

ReadStop ReadTables(TableSource& source, const Services& services, const ColumnCatalogue& catalogue,
                    const std::vector<RoadSectionStore*>& records) {
  return SchemeReader(source, services, catalogue, records, true).ReadAll();
}

ReadStop ReadStoredRows(TableSource& source, const Services& services,
                        const ColumnCatalogue& catalogue,
                        const std::vector<RoadSectionStore*>& records) {
  return SchemeReader(source, services, catalogue, records, false).ReadAll();
}

}  // namespace hdmjm
