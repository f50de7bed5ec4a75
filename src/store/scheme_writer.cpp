#include "scheme_writer.h"

#include <algorithm>

#include "database_file.h"
#include "scheme_reader.h"

namespace hdmjm {
namespace {

std::string IndexStatement(const std::string& table) {
  return "CREATE INDEX IF NOT EXISTS " + QuoteName(table + "_道路名_序号") + " ON " +
         QuoteName(table) + " (" + QuoteName(kRoadColumn) + ", " + QuoteName(kSerialColumn) + ")";
}

}  // namespace

struct SchemeWriter::TableWrite {
  TableStep step;
  std::vector<std::string> fileColumns;  // the table's columns in the file
  bool created = false;  // made by this save: whatever the records remember, it is empty
  // The statements, prepared when the table is first compared or written: most saves touch a
  // few tables of a few roads.
  std::unique_ptr<AdoStatement> erase;
  std::unique_ptr<AdoStatement> insert;
  std::vector<int> columns;        // data columns written, in order
  std::unique_ptr<RoadRows> rows;  // what the file holds of a road, before it is written
};

SchemeWriter::SchemeWriter(AdoConnection& connection, std::vector<TableStep> steps)
    : connection_(connection), steps_(std::move(steps)) {}

SchemeWriter::~SchemeWriter() = default;

// BEGIN IMMEDIATE takes the write lock at once, so a lock held elsewhere fails here, before
// anything is written.
template <class Work>
bool SchemeWriter::InTransaction(Work work) {
  lastError_ = {};
  if (connection_.Execute("BEGIN IMMEDIATE")) {
    if (work() && connection_.Execute("COMMIT")) return true;
    lastError_ = connection_.LastError();
    // Some failures (a full disk) have already rolled the transaction back.
    if (connection_.InTransaction()) connection_.Execute("ROLLBACK");
    return false;
  }
  lastError_ = connection_.LastError();
  return false;
}

bool SchemeWriter::Prepare() {
  return InTransaction([&] { return PrepareTables(); });
}

bool SchemeWriter::PrepareTables() {
  ColumnCatalogue catalogue;
  if (!ReadColumnCatalogue(connection_, catalogue)) return false;
  for (const TableStep& step : steps_)
    if (!PrepareTable(step, catalogue)) return false;
  const bool writesChainBreaks =
      std::any_of(steps_.begin(), steps_.end(),
                  [](const TableStep& step) { return step.table == &ChainBreakTable(); });
  if (writesChainBreaks || !catalogue.contains(ChainBreakTable().Name(kLeft))) return true;
  if (!PrepareTable(TableStep{&ChainBreakTable(), kLeft, {-1, -1}}, catalogue)) return true;
  listing_ = std::make_unique<TableWrite>(std::move(writes_.back()));
  writes_.pop_back();
  return true;
}

bool SchemeWriter::PrepareTable(const TableStep& step, ColumnCatalogue& catalogue) {
  const TableDesc& table = *step.table;
  const std::string name = table.Name(step.side);
  auto found = catalogue.find(name);
  const bool created = found == catalogue.end();
  if (created) {
    if (!connection_.Execute(table.CreateStatement(step.side))) return false;
    std::vector<std::string> names{std::string(kSerialColumn)};
    if (table.Scope() != TableScope::Scheme) names.emplace_back(kRoadColumn);
    for (const DataColumn& column : table.DataColumns(step.side)) names.push_back(column.name);
    found = catalogue.emplace(name, std::move(names)).first;
  }
  auto& columns = found->second;
  const auto& data = table.DataColumns(step.side);
  if (table.HasRadiusUpgrade() && FindColumn(columns, data.back().name) < 0) {
    if (!connection_.Execute("ALTER TABLE " + QuoteName(name) + " ADD " + QuoteName(kRadiusColumn) +
                             " DOUBLE"))
      return false;
    columns.push_back(std::string(kRadiusColumn));
  }
  TableWrite write;
  write.step = step;
  write.fileColumns = columns;
  write.created = created;
  writes_.push_back(std::move(write));
  return true;
}

bool SchemeWriter::Ready(TableWrite& write) {
  if (write.rows) return true;
  const TableDesc& table = *write.step.table;
  const std::string name = table.Name(write.step.side);
  const bool scheme = table.Scope() == TableScope::Scheme;
  const auto& columns = write.fileColumns;
  if (!scheme && FindColumn(columns, kRoadColumn) >= 0 && FindColumn(columns, kSerialColumn) >= 0 &&
      !connection_.Execute(IndexStatement(name)))
    return false;
  const auto& data = table.DataColumns(write.step.side);
  const int last = static_cast<int>(data.size()) - 1;
  std::string names = QuoteName(scheme ? kSerialColumn : kRoadColumn);
  std::string marks = "?";
  write.columns.clear();
  for (int c = 0; c <= last; ++c) {
    const int column = FindColumn(columns, data[c].name);
    // An older 用地面积汇总分段表 has no 备注: the remark is not stored there.
    if (c == last && table.LastColumnOptional() && column < 0) continue;
    names += ", " + QuoteName(column >= 0 ? columns[column] : data[c].name);
    marks += ", ?";
    write.columns.push_back(c);
  }
  write.erase = std::make_unique<AdoStatement>(
      connection_, "DELETE FROM " + QuoteName(name) +
                       (scheme ? "" : " WHERE " + QuoteName(kRoadColumn) + " = ?"));
  write.insert = std::make_unique<AdoStatement>(
      connection_, "INSERT INTO " + QuoteName(name) + " (" + names + ") VALUES (" + marks + ")");
  auto rows = std::make_unique<RoadRows>(connection_, write.step, columns);
  if (!write.erase->Prepared() || !write.insert->Prepared() || !rows->Prepared()) return false;
  write.rows = std::move(rows);
  return true;
}

bool SchemeWriter::SaveRoad(RoadSectionStore& record, const std::function<bool()>& mayWrite) {
  conflicts_.clear();
  lastError_ = {};
  const bool known =
      record.stored.path == record.databasePath && record.stored.road == record.roadName;
  // What the record would write, table by table, and what the file held of it at the load or
  // the last save; a road whose every table is as remembered needs no transaction.
  std::vector<RowHashes> wanted;
  std::vector<const RowHashes*> remembered;
  bool edited = !known;
  for (const TableWrite& write : writes_) {
    const TableStep& step = write.step;
    SetLastLevelHeights(*step.table, step.side, record);
    wanted.push_back(HashRows(*step.table, record, step.side));
    const RowHashes* stored = nullptr;
    if (known && !write.created) {
      const auto found = record.stored.tables.find({step.table, step.side});
      if (found != record.stored.tables.end()) stored = &found->second;
    }
    remembered.push_back(stored);
    edited = edited || !stored || *stored != wanted.back();
  }
  if (!edited) {
    const FileIdentity file = IdentifyFile(record.databasePath);
    record.stored.device = file.device;
    record.stored.inode = file.inode;
    return true;
  }
  if (mayWrite && !mayWrite()) return false;
  FileIdentity file;
  std::vector<std::pair<const TableWrite*, RowHashes>> written;
  std::vector<TableConflict> conflicts;
  bool replaced = false;
  const bool saved = InTransaction([&] {
    written.clear();
    conflicts.clear();
    // Under the write lock the file at the path is the one written.
    file = IdentifyFile(record.databasePath);
    replaced = known && record.stored.inode != 0 &&
               (file.device != record.stored.device || file.inode != record.stored.inode);
    if (!known && !ListRoad(record)) return false;
    for (std::size_t i = 0; i < writes_.size(); ++i) {
      TableWrite& write = writes_[i];
      const TableStep& step = write.step;
      const RowHashes& hashes = wanted[i];
      if (remembered[i] && *remembered[i] == hashes) continue;
      if (!Ready(write)) return false;
      if (remembered[i]) {
        const RowHashes& before = *remembered[i];
        if (!scratch_) scratch_ = std::make_unique<RoadSectionStore>();
        RowHashes now;
        if (!write.rows->Read(record.roadName, *scratch_, now)) return false;
        step.table->Resize(*scratch_, step.side, 0);
        // The file holds what the record would write (松方压实系数 written with an earlier road,
        // or the same edit made elsewhere): nothing to write, nothing lost.
        if (now == hashes) {
          written.emplace_back(&write, hashes);
          continue;
        }
        // Where the file held no rows the record showed the table's defaults: the base of an
        // edit, and what another program's save of the unedited table writes as well.
        const RowHashes base = before.empty() && !now.empty()
                                   ? DefaultRowHashes(*step.table, step.side, record, *scratch_)
                                   : before;
        if (before.empty() && hashes == base) continue;  // unedited: their rows stay
        const bool unknown = before == kUnknownRows;
        if (replaced || unknown || now != base) {
          conflicts.push_back({record.roadName, step.table->Name(step.side), step.table, step.side,
                               unknown ? RowDiff{} : DiffRows(base, now), replaced || unknown,
                               std::move(now)});
          continue;
        }
      }
      if (!WriteTable(write, record)) return false;
      written.emplace_back(&write, hashes);
    }
    return true;
  });
  if (!saved) return false;
  if (!known) record.stored = {record.databasePath, record.roadName, 0, 0, {}};
  record.stored.device = file.device;
  record.stored.inode = file.inode;
  for (auto& [write, hashes] : written)
    record.stored.tables[{write->step.table, write->step.side}] = std::move(hashes);
  // After a replacement no file state is what the designer's edit was based on.
  for (const TableConflict& conflict : conflicts)
    if (conflict.replaced) record.stored.tables[{conflict.desc, conflict.side}] = kUnknownRows;
  conflicts_ = std::move(conflicts);
  return true;
}

bool SchemeWriter::ListRoad(const RoadSectionStore& record) {
  if (!listing_ || record.chainBreaks.empty()) return true;
  // A 断链表 without the chain-break columns cannot list a road: such a road is saved unlisted.
  if (!Ready(*listing_)) return true;
  if (!scratch_) scratch_ = std::make_unique<RoadSectionStore>();
  RowHashes listed;
  if (!listing_->rows->Read(record.roadName, *scratch_, listed)) return false;
  ChainBreakTable().Resize(*scratch_, kLeft, 0);
  return !listed.empty() || WriteTable(*listing_, record);
}

bool SchemeWriter::WriteTable(TableWrite& write, const RoadSectionStore& record) {
  const TableDesc& table = *write.step.table;
  const Side side = write.step.side;
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
      values[i + 1] = c < inUse ? ToStored(table.Get(record, side, row, c)) : AdoValue(nullptr);
    }
    for (size_t i = 0; i < values.size(); ++i)
      write.insert->Bind(static_cast<int>(i) + 1, values[i]);
    if (!write.insert->Run()) return false;
  }
  return true;
}

}  // namespace hdmjm
