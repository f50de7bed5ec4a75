#include "scheme.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "catalogue.h"
#include "database_file.h"
#include "messages.h"
#include "scheme_reader.h"
#include "scheme_writer.h"

namespace hdmjm {
namespace {

constexpr int kProblemLinesShown = 20;

// The road list's entry of a road: 主线 shows no stations.
RoadEntry EntryOf(const RoadSectionStore& record) {
  RoadEntry entry{record.roadName, {}, {}, 0, 0};
  const auto extent = RoadExtentOf(record.chainBreaks);
  if (record.roadName == kMainLine || !extent) return entry;
  entry.startPrefix = record.chainBreaks.front().leftPrefix;
  entry.endPrefix = record.chainBreaks.back().rightPrefix;
  entry.startStation = extent->start;
  entry.endStation = extent->end;
  return entry;
}

std::vector<RoadSectionStore*> Pointers(const RoadRecordList& records) {
  std::vector<RoadSectionStore*> pointers;
  for (const auto& record : records) pointers.push_back(record.get());
  return pointers;
}

}  // namespace

std::string ChangeWords(const TableConflict& conflict) {
  return messages::OtherSaveChanged(conflict.diff.added, conflict.diff.removed,
                                    conflict.diff.changed, conflict.replaced);
}

SchemeStore::SchemeStore(const Services& services) : services_(services), connection_(services) {}

SchemeStore::~SchemeStore() = default;

void SchemeStore::ShowOpenFailure(const SourceFailure& failure) {
  std::string text(messages::kConnectFailed);
  if (failure.cause != FailureCause::Other && failure.cause != FailureCause::None)
    text.append("\n").append(CauseMessage(failure.cause, failure.detail));
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

bool SchemeStore::Open(const std::string& path) { return OpenRoads(path, nullptr); }

bool SchemeStore::OpenRoad(const std::string& path, const std::string& road) {
  return OpenRoads(path, &road);
}

// The records of the roads 断链表 lists (or of `onlyRoad` alone) with their chain breaks, and
// the road list in its order, the records in the same.
bool SchemeStore::ReadRoadList(TableSource& source, const ColumnCatalogue& catalogue,
                               const std::string* onlyRoad) {
  if (onlyRoad) {
    records_.push_back(std::make_unique<RoadSectionStore>());
    records_.back()->roadName = *onlyRoad;
  }
  if (!ReadChainBreaks(source, catalogue, records_, !onlyRoad)) return false;
  std::unordered_map<std::string, std::unique_ptr<RoadSectionStore>> byName;
  for (auto& record : records_) {
    roads_.push_back(EntryOf(*record));
    byName.emplace(record->roadName, std::move(record));
  }
  SortRoadList(roads_);
  records_.clear();
  for (const RoadEntry& road : roads_) records_.push_back(std::move(byName[road.name]));
  return true;
}

bool SchemeStore::OpenInGroups(const std::string& path, std::size_t valuesPerGroup,
                               const RoadGroupSink& each) {
  const Grouping grouping{valuesPerGroup, each};
  return OpenRoads(path, nullptr, &grouping);
}

namespace {

// Roads in road-list order, cut into groups of about `values` stored values each: one pass over
// each table's road names counts them (a row as its table's data columns).
std::vector<std::size_t> GroupEnds(TableSource& source, const ColumnCatalogue& catalogue,
                                   const RoadRecordList& records, std::size_t values) {
  std::unordered_map<std::string, std::size_t> at;
  for (std::size_t i = 0; i < records.size(); ++i) at.emplace(records[i]->roadName, i);
  std::vector<std::size_t> counts(records.size(), 0);
  for (const TableStep& step : LoadOrder()) {
    const auto found = catalogue.find(step.table->Name(step.side));
    if (step.table->Scope() == TableScope::Scheme || found == catalogue.end()) continue;
    const int road = FindColumn(found->second, kRoadColumn);
    if (road < 0) continue;
    const std::size_t columns = step.table->DataColumns(step.side).size();
    source.ReadRows(found->first, {found->second[road]}, {}, [&](const auto& row) {
      const auto* name = std::get_if<std::string>(&row[0]);
      if (const auto index = name ? at.find(*name) : at.end(); index != at.end())
        counts[index->second] += columns;
    });
  }
  std::vector<std::size_t> ends;
  std::size_t sum = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (sum > 0 && sum + counts[i] > values) {
      ends.push_back(i);
      sum = 0;
    }
    sum += counts[i];
  }
  ends.push_back(records.size());
  return ends;
}

}  // namespace

void SchemeStore::ReadInGroups(TableSource& source, const ColumnCatalogue& catalogue,
                               const Grouping& grouping) {
  const std::vector<std::size_t> ends =
      GroupEnds(source, catalogue, records_, grouping.valuesPerGroup);
  // The upgrades an open makes, made once for every road: a group's reading would make them for
  // its own roads only.
  ColumnCatalogue columns = catalogue;
  std::vector<std::string> names;
  for (const auto& record : records_) names.push_back(record->roadName);
  bool upgraded = false;
  for (const TableStep& step : LoadOrder()) {
    const auto found = columns.find(step.table->Name(step.side));
    if (step.table->HasRadiusUpgrade() && found != columns.end() &&
        FindColumn(found->second, step.table->DataColumns(step.side).back().name) < 0)
      upgraded = source.AddRadiusColumn(found->first, names) || upgraded;
  }
  if (upgraded && !source.ReadCatalogue(columns)) columns = catalogue;
  RoadRecordList all = std::move(records_);
  std::vector<std::unique_ptr<RoadSectionStore>> told;  // each road's name and load problems
  ReadStop firstStop;
  std::size_t begin = 0;
  for (std::size_t end : ends) {
    RoadRecordList group;
    for (std::size_t i = begin; i < end; ++i) group.push_back(std::move(all[i]));
    begin = end;
    const ReadStop stop = ReadTables(source, services_, columns, Pointers(group));
    if (firstStop.cause == FailureCause::None) firstStop = stop;
    for (const auto& record : group) {
      told.push_back(std::make_unique<RoadSectionStore>());
      told.back()->roadName = record->roadName;
      told.back()->loadProblems = record->loadProblems;
    }
    grouping.each(group);
  }
  source.Finish();
  if (firstStop.cause != FailureCause::None)
    services_.messages->Show(CauseMessage(firstStop.cause, firstStop.detail));
  ShowLoadProblems(Pointers(told));
}

bool SchemeStore::OpenRoads(const std::string& path, const std::string* onlyRoad,
                            const Grouping* grouping) {
  roads_.clear();
  records_.clear();
  connected_ = false;
  readOnly_ = false;
  kind_ = FileKind::Unknown;
  SourceFailure failure;
  const std::unique_ptr<TableSource> source = OpenTableSource(path, connection_, failure);
  if (!source) {
    ShowOpenFailure(failure);
    return false;
  }
  connected_ = true;
  kind_ = source->Kind();
  readOnly_ = source->ReadOnly();
  // The source ends its reading when it goes.
  const auto fail = [&](const std::string& message) {
    roads_.clear();
    records_.clear();
    if (!message.empty()) services_.messages->Show(message);
    return false;
  };
  ColumnCatalogue catalogue;
  if (!source->ReadCatalogue(catalogue) || !ReadRoadList(*source, catalogue, onlyRoad)) {
    failure = source->LastFailure();
    return fail(CauseMessage(failure.cause, failure.detail));
  }
  if (!HoldsScheme(catalogue)) return fail(CauseMessage(FailureCause::NotScheme, {}));
  if (roads_.empty()) return fail({});
  for (auto& record : records_) record->databasePath = path;
  if (grouping) {
    ReadInGroups(*source, catalogue, *grouping);
    return true;
  }
  const std::vector<RoadSectionStore*> loading = Pointers(records_);
  const ReadStop stop = ReadTables(*source, services_, catalogue, loading);
  source->Finish();
  if (stop.cause != FailureCause::None)
    services_.messages->Show(CauseMessage(stop.cause, stop.detail));
  ShowLoadProblems(loading);
  return true;
}

bool SchemeStore::ReadOnly() const { return connected_ && readOnly_; }

SaveReport SchemeStore::Save(const RoadRecordList& records) {
  SaveReport report = SaveQuietly(records);
  if (!records.empty()) ShowSaveReport(records.front()->databasePath, report);
  return report;
}

SaveReport SchemeStore::SaveQuietly(const RoadRecordList& records) {
  return SaveQuietly(Pointers(records));
}

SaveReport SchemeStore::SaveQuietly(std::span<RoadSectionStore* const> records) {
  SaveReport report;
  // Each record goes to the database it was loaded from: normally one file for all.
  std::string path;
  std::unique_ptr<SchemeWriter> writer;
  FailureCause stop = FailureCause::None;
  std::string stopDetail;
  const auto stopWith = [&](const AdoError& error) {
    stop = WriteFailureCause(error, path, stopDetail);
  };
  // The file system is asked before each transaction: a write it refuses half-way would leave
  // a journal behind that only a writable file can take back.
  const auto refused = [&] {
    const WriteCheck check = CheckWritable(path);
    if (check.cause == FailureCause::None) return false;
    stop = check.cause;
    stopDetail = check.detail;
    return true;
  };
  const auto useDatabase = [&](const std::string& wanted) {
    if (writer && path == wanted) return;
    path = wanted;
    stop = FailureCause::None;
    writer = std::make_unique<SchemeWriter>(connection_);
    if (IsAccessKind(ProbeFile(path).kind)) {
      stop = FailureCause::ReadOnly;
      stopDetail = messages::kAccessNotWritten;
    } else if (refused()) {
    } else if (!connection_.Open(path))
      stopWith(connection_.LastError());
    else if (!writer->Prepare())
      stopWith(writer->LastError());
  };
  const int count = static_cast<int>(records.size());
  services_.progress->SetProgress(0);
  bool failed = false;
  for (int i = 0; i < count; ++i) {
    RoadSectionStore& record = *records[i];
    if (!record.LoadedWhole()) {
      report.unsaved.push_back({record.roadName, FailureCause::None, {}});
      services_.progress->SetProgress((i + 1) * 100 / count);
      continue;
    }
    useDatabase(record.databasePath);
    const bool saved =
        stop == FailureCause::None && writer->SaveRoad(record, [&] { return !refused(); });
    if (stop != FailureCause::None) {
      // A lock that outlasted the wait, a read-only file, a full disk: no use trying each road.
      report.unsaved.push_back({record.roadName, stop, stopDetail});
      failed = true;
    } else if (saved) {
      if (writer->Conflicts().empty()) report.saved.push_back(record.roadName);
      report.conflicts.insert(report.conflicts.end(), writer->Conflicts().begin(),
                              writer->Conflicts().end());
    } else {
      std::string detail;
      const FailureCause cause = WriteFailureCause(writer->LastError(), path, detail);
      report.unsaved.push_back({record.roadName, cause, detail});
      failed = true;
      if (StopsEverything(cause)) {
        stop = cause;
        stopDetail = detail;
      }
    }
    services_.progress->SetProgress((i + 1) * 100 / count);
  }
  // After a failure the next save starts on a fresh connection: the engine's connection may
  // keep what it met (a file it could not write, a journal it could not make).
  if (failed) {
    writer.reset();
    connection_.Release();
  }
  return report;
}

bool SchemeStore::ReadTheirs(const std::string& path, const TableConflict& conflict,
                             RoadSectionStore& into, RowHashes& hashes) {
  if (!connection_.Open(path) || !connection_.Execute("BEGIN")) return false;
  ColumnCatalogue catalogue;
  bool read = ReadColumnCatalogue(connection_, catalogue);
  const auto columns = catalogue.find(conflict.table);
  read = read && columns != catalogue.end();
  if (read) {
    RoadRows rows(connection_, TableStep{conflict.desc, conflict.side, {-1, -1}}, columns->second);
    read = rows.Prepared() && rows.Read(conflict.road, into, hashes);
  }
  connection_.Execute("COMMIT");
  return read;
}

bool SchemeStore::KeepTheirs(RoadSectionStore& record, const TableConflict& conflict) {
  // Read into a copy of the table first: the record changes only when the read succeeds.
  const auto copy = std::make_unique<RoadSectionStore>();
  RoadSectionStore& theirs = *copy;
  theirs.compaction = record.compaction;
  RowHashes hashes;
  if (!ReadTheirs(record.databasePath, conflict, theirs, hashes)) {
    const AdoError& error = connection_.LastError();
    services_.messages->Show(messages::TheirsNotRead(
        conflict.road, conflict.table,
        error.code != 0 ? CauseMessage(CauseOf(error), error.text) : conflict.table));
    return false;
  }
  const TableDesc& table = *conflict.desc;
  if (hashes.empty()) {
    // No rows: the table shows what a load shows then.
    const RoadExtent extent = RoadExtentOf(record.chainBreaks).value_or(RoadExtent{});
    table.SetDefault(theirs, conflict.side, extent.start, extent.end);
  }
  table.ReplaceRows(record, conflict.side, table.Rows(theirs, conflict.side));
  record.stored.tables[{conflict.desc, conflict.side}] = std::move(hashes);
  return true;
}

void SchemeStore::KeepMine(RoadSectionStore& record, const TableConflict& conflict) {
  record.stored.tables[{conflict.desc, conflict.side}] = conflict.observed;
}

SchemeChanges SchemeStore::FindChanges(const RoadRecordList& records) {
  return FindChanges(Pointers(records));
}

SchemeChanges SchemeStore::FindChanges(std::span<RoadSectionStore* const> records) {
  SchemeChanges changes;
  if (records.empty()) return changes;
  const std::string path = records.front()->databasePath;
  const FileIdentity file = IdentifyFile(path);
  for (const RoadSectionStore* record : records)
    if (record->stored.path == path && record->stored.inode != 0 &&
        (record->stored.device != file.device || record->stored.inode != file.inode))
      changes.replaced = true;
  // What the file holds, read as an open reads it, into records of the same roads that keep
  // only the hashes of the rows: a large scheme is not held twice.
  RoadRecordList now;
  std::vector<RoadSectionStore*> reading;
  for (const RoadSectionStore* record : records) {
    now.push_back(std::make_unique<RoadSectionStore>());
    now.back()->roadName = record->roadName;
    now.back()->databasePath = path;
    reading.push_back(now.back().get());
  }
  SourceFailure failure;
  const std::unique_ptr<TableSource> source = OpenTableSource(path, connection_, failure);
  ColumnCatalogue catalogue;
  if (!source || !source->ReadCatalogue(catalogue)) return changes;
  NoProgress quiet;
  const ReadStop stop = ReadStoredRows(
      *source, Services{services_.messages, services_.trace, &quiet}, catalogue, reading);
  source->Finish();
  if (stop.cause != FailureCause::None) return changes;
  const auto scratch = std::make_unique<RoadSectionStore>();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& remembered = records[i]->stored;
    if (remembered.path != path || remembered.road != records[i]->roadName) continue;
    const auto& held = now[i]->stored.tables;
    // A table that held no rows and now holds the defaults the record showed is no change.
    const auto changed = [&](const auto& table) {
      const auto found = held.find(table.first);
      if (found == held.end()) return true;
      if (found->second == table.second) return false;
      return !table.second.empty() ||
             found->second !=
                 DefaultRowHashes(*table.first.first, table.first.second, *records[i], *scratch);
    };
    if (std::any_of(remembered.tables.begin(), remembered.tables.end(), changed))
      changes.roads.push_back(records[i]->roadName);
  }
  return changes;
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
      services_.messages->Show(messages::NotWholeNotSaved(messages::NameList(roads)));
    else
      services_.messages->Show(CauseMessage(cause, detail) + "\n(" + messages::NameList(roads) +
                               ")");
  }
  if (!report.conflicts.empty()) {
    std::string lines(messages::kConflictsHeading);
    for (const TableConflict& conflict : report.conflicts)
      lines += "\n" + messages::ConflictLine(conflict.road, conflict.table, ChangeWords(conflict));
    services_.messages->Show(lines);
  }
  std::vector<std::string> unsavedRoads;
  for (const auto& unsaved : report.unsaved) unsavedRoads.push_back(unsaved.road);
  // A road with a conflict had its other tables written: it is not among the roads unchanged.
  std::string summary = !unsavedRoads.empty()       ? messages::NotSaved(path, unsavedRoads)
                        : !report.conflicts.empty() ? messages::TablesLeft(path)
                                                    : messages::Saved(path);
  if (!unsavedRoads.empty() && !report.conflicts.empty())
    summary += "\n" + messages::TablesLeft(path);
  services_.messages->Show(summary);
}

bool SchemeStore::Create(const std::string& path, const RoadRecordList& records) {
  for (const auto& record : records) record->databasePath = path;
  bool written = connection_.Create(path);
  AdoError error = connection_.LastError();
  if (written) {
    SchemeWriter chainBreaks(connection_, {TableStep{&ChainBreakTable(), kLeft, {-1, -1}}});
    written = chainBreaks.Prepare();
    for (const auto& record : records) written = written && chainBreaks.SaveRoad(*record);
    error = chainBreaks.LastError();
  }
  if (!written) {
    services_.messages->Show(CauseMessage(CauseOf(error), error.text));
    return false;
  }
  const SaveReport report = SaveQuietly(records);
  if (!report.AllSaved()) ShowSaveReport(path, report);
  return report.AllSaved();
}

bool LoadRoad(RoadSectionStore& record, const std::string& path, const std::string& road,
              const Services& services) {
  // Copies: the caller may pass the record's own path and name.
  const std::string file = path;
  const std::string name = road;
  SchemeStore scheme(services);
  scheme.OpenRoad(file, name);
  RoadRecordList records = scheme.TakeRecords();
  if (!records.empty()) {
    record = std::move(*records.front());
    return true;
  }
  // Nothing could be read: the road as a scheme without its tables shows it.
  record = RoadSectionStore{};
  record.databasePath = file;
  record.roadName = name;
  SetDefaults(record, {});
  return true;
}

bool SaveRoad(RoadSectionStore& record, const std::string& path, const std::string& road,
              const Services& services) {
  record.databasePath = path;
  record.roadName = road;
  RoadSectionStore* const one[] = {&record};
  return SchemeStore(services).SaveQuietly(one).AllSaved();
}

}  // namespace hdmjm
