// hdmjm-tool: writes a sample project, dumps a scheme database as JSON, or loads and saves every
// road of a scheme as confirming the main sheet without edits does. What a person should read
// goes to stderr; the database layer's trace lines join it only with --verbose.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <variant>
#include <vector>

#include "sample_project.h"
#include "store/ado.h"
#include "store/catalogue.h"
#include "store/project_paths.h"
#include "store/records.h"
#include "tool_messages.h"

namespace hdmjm::tool {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr char kUsage[] = "usage: hdmjm-tool [--verbose] sample DIR | dump DB | resave DB";
constexpr std::string_view kVerboseFlag = "--verbose";

// Passes messages on and counts them, so a road whose loading said anything can be told apart.
class CountingMessages : public UserMessages {
 public:
  explicit CountingMessages(UserMessages& target) : target_(target) {}
  void Show(const std::string& text, const std::string& title, Icon icon) override {
    ++count_;
    target_.Show(text, title, icon);
  }
  int Count() const { return count_; }

 private:
  UserMessages& target_;
  int count_ = 0;
};

struct LoadedRoad {
  std::unique_ptr<RoadSectionStore> record;
  bool quiet;  // loading showed no message
};

// An opened scheme: one loaded record per road, whose messages pass through a counter.
class OpenedScheme {
 public:
  explicit OpenedScheme(const Services& services)
      : counted_(*services.messages), services_{&counted_, services.trace, services.progress} {}
  OpenedScheme(const OpenedScheme&) = delete;
  OpenedScheme& operator=(const OpenedScheme&) = delete;

  // What opening a scheme does: the road list from 断链表 on a record of its own, then one
  // record per road, loaded. False when the database does not open.
  bool Open(const std::string& database) {
    {
      AdoConnection probe(services_);
      if (!probe.Open(ConnectionString(database))) {
        services_.messages->Show(std::string(messages::kConnectFailed));
        return false;
      }
    }
    RoadSectionStore list(services_);
    list.BuildRoadList(database);
    if (list.roadList.empty()) services_.messages->Show(std::string(messages::kNoRoads));
    for (const RoadEntry& entry : list.roadList) {
      auto record = std::make_unique<RoadSectionStore>(services_);
      record->databasePath = database;
      record->roadName = entry.name;
      const int before = counted_.Count();
      record->LoadRoad(record->databasePath, record->roadName);
      roads_.push_back({std::move(record), counted_.Count() == before});
    }
    return true;
  }
  std::vector<LoadedRoad>& Roads() { return roads_; }

 private:
  CountingMessages counted_;
  Services services_;
  std::vector<LoadedRoad> roads_;
};

Json ToJson(const FieldValue& value) {
  return std::visit([](const auto& v) { return Json(v); }, value);
}

// The key of a level field: "3级平台宽度" → "平台宽度".
std::string LevelKey(const std::string& column) {
  static const std::string kLevel = "级";
  const auto at = column.find(kLevel);
  return at == std::string::npos ? column : column.substr(at + kLevel.size());
}

Json RowJson(const RoadSectionStore& road, const TableStep& step, int row) {
  const TableDesc& table = *step.table;
  const auto& columns = table.DataColumns(step.side);
  const int used =
      std::min<int>(table.ColumnsInUse(road, step.side, row), static_cast<int>(columns.size()));
  Json json = Json::object();
  if (!table.IsSlope()) {
    for (int c = 0; c < used; ++c)
      json[columns[c].name] = ToJson(table.Get(road, step.side, row, c));
    return json;
  }
  // 分段终里程, 边坡总级数, then four columns per level in use.
  for (int c = 0; c < 2 && c < used; ++c)
    json[columns[c].name] = ToJson(table.Get(road, step.side, row, c));
  Json levels = Json::array();
  for (int first = 2; first + 4 <= used; first += 4) {
    Json level = Json::object();
    for (int c = first; c < first + 4; ++c)
      level[LevelKey(columns[c].name)] = ToJson(table.Get(road, step.side, row, c));
    levels.push_back(std::move(level));
  }
  json["levels"] = std::move(levels);
  return json;
}

Json TableJson(const RoadSectionStore& road, const TableStep& step) {
  // 松方压实系数 is one set of coefficients, not a list of rows.
  if (step.table->Scope() == TableScope::Scheme) return RowJson(road, step, 0);
  Json rows = Json::array();
  const int count = step.table->RowCount(road, step.side);
  for (int row = 0; row < count; ++row) rows.push_back(RowJson(road, step, row));
  return rows;
}

Json RoadJson(RoadSectionStore& road) {
  Json json = Json::object();
  json["name"] = road.roadName;
  double start = 0, end = 0;
  const bool hasRows = road.ReadChainBreaks(road.databasePath, road.roadName, start, end);
  json["start"] = hasRows ? Json(start) : Json(nullptr);
  json["end"] = hasRows ? Json(end) : Json(nullptr);
  Json breaks = Json::array();
  for (const ChainBreakRow& row : road.chainBreaks) {
    breaks.push_back({{"等号左里程冠号", row.leftPrefix},
                      {"等号左里程数", row.leftStation},
                      {"等号右里程冠号", row.rightPrefix},
                      {"等号右里程数", row.rightStation}});
  }
  json["chainBreaks"] = std::move(breaks);
  Json tables = Json::object();
  for (const TableStep& step : LoadOrder())
    tables[step.table->Name(step.side)] = TableJson(road, step);
  json["tables"] = std::move(tables);
  return json;
}

int Dump(const std::string& database, const Services& services) {
  OpenedScheme scheme(services);
  if (!scheme.Open(database)) return kExitFailed;
  Json document = Json::object();
  document["database"] = database;
  document["roads"] = Json::array();
  for (LoadedRoad& road : scheme.Roads()) document["roads"].push_back(RoadJson(*road.record));
  // Texts from older databases may not be UTF-8; they are shown, not allowed to abort the dump.
  std::cout << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
  return kExitOk;
}

// Saves every road. A road whose loading reported a problem (rows that did not fit, a failed
// upgrade) is not saved: its record may hold less than the database, and saving would lose the
// rest.
int Resave(const std::string& database, const Services& services) {
  OpenedScheme scheme(services);
  if (!scheme.Open(database)) return kExitFailed;
  std::vector<std::string> unsaved;
  for (LoadedRoad& road : scheme.Roads()) {
    RoadSectionStore& record = *road.record;
    if (!road.quiet) {
      services.messages->Show(Format(kLoadTroubleMessage, record.roadName));
      unsaved.push_back(record.roadName);
    } else if (!record.SaveRoad(record.databasePath, record.roadName)) {
      unsaved.push_back(record.roadName);
    }
  }
  if (scheme.Roads().empty()) return kExitOk;
  services.messages->Show(unsaved.empty() ? messages::Saved(database)
                                          : messages::NotSaved(database, unsaved));
  return unsaved.empty() ? kExitOk : kExitFailed;
}

int Sample(const std::string& dir, const Services& services) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::absolute(dir, error);
  if (error || !WriteSampleProject(folder, services)) return kExitFailed;
  std::cout << WorkdirToken(folder.string()) << '\n';
  return kExitOk;
}

}  // namespace
}  // namespace hdmjm::tool

int main(int argc, char** argv) {
  using namespace hdmjm::tool;
  std::vector<std::string> args(argv + 1, argv + argc);
  const bool verbose = !args.empty() && args.front() == kVerboseFlag;
  if (verbose) args.erase(args.begin());
  hdmjm::SilentTrace silent;
  hdmjm::Services services = hdmjm::DefaultServices();
  if (!verbose) services.trace = &silent;
  if (args.size() != 2) {
    std::cerr << kUsage << '\n';
    return kExitUsage;
  }
  const std::string& command = args[0];
  const std::string& argument = args[1];
  if (command == "sample") return Sample(argument, services);
  if (command == "dump") return Dump(argument, services);
  if (command == "resave") return Resave(argument, services);
  std::cerr << kUsage << '\n';
  return kExitUsage;
}
