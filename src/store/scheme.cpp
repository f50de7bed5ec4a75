#include "scheme.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "catalogue.h"
#include "messages.h"
#include "scheme_reader.h"
#include "scheme_writer.h"

namespace hdmjm {
namespace {

constexpr int kProblemLinesShown = 20;

std::string RoadNameList(const std::vector<std::string>& roads) {
  std::string list;
  for (const std::string& road : roads) list += (list.empty() ? "" : "、") + road;
  return list;
}

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
    stop = CauseOf(error);
    if (stop == FailureCause::None) stop = FailureCause::Other;
    stopDetail = error.text;
  };
  const auto useDatabase = [&](const std::string& wanted) {
    if (writer && path == wanted) return;
    path = wanted;
    stop = FailureCause::None;
    writer = std::make_unique<SchemeWriter>(connection_);
    if (IsAccessKind(ProbeFile(path).kind)) {
      stop = FailureCause::ReadOnly;
      stopDetail = messages::kAccessNotWritten;
    } else if (!connection_.Open(path))
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
      services_.messages->Show(messages::NotWholeNotSaved(RoadNameList(roads)));
    else
      services_.messages->Show(CauseMessage(cause, detail) + "\n(" + RoadNameList(roads) + ")");
  }
  std::vector<std::string> unsavedRoads;
  for (const auto& unsaved : report.unsaved) unsavedRoads.push_back(unsaved.road);
  services_.messages->Show(unsavedRoads.empty() ? messages::Saved(path)
                                                : messages::NotSaved(path, unsavedRoads));
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
