// hdmjm-tool: writes a sample project, dumps a scheme database as JSON, loads and saves every
// road of a scheme as confirming the main sheet without edits does, converts an Access scheme
// into a new scheme database, or checks its stations. What a person should read goes to stderr;
// the database layer's trace lines join it only with --verbose.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "sample_project.h"
#include "store/catalogue.h"
#include "store/file_kind.h"
#include "store/project_paths.h"
#include "store/records.h"
#include "store/scheme.h"
#include "store/scheme_convert.h"
#include "store/station_checks.h"
#include "tool_messages.h"

namespace hdmjm::tool {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kExitOk = 0;
constexpr int kExitNothingDone = 1;  // the database did not open, is no scheme, or has no roads
constexpr int kExitUsage = 2;
constexpr int kExitNotAllSaved = 3;  // resave: some roads not saved; dump: some not read whole
constexpr int kExitFindings = 4;     // check: the checks found something
constexpr char kSynopsis[] =
    "hdmjm-tool [--verbose] sample DIR | dump DB | resave DB | convert ACCESS OUT | "
    "check DB [--road NAME] [--json]";
constexpr std::string_view kVerboseFlag = "--verbose";

// What --help prints; the manual page is made from it.
std::string Help() {
  const std::string project = ProjectFolderOf("DIR").string();
  const std::string workdir = WorkdirFile({}).string();
  return std::string("Usage: ") + kSynopsis +
         "\n  or:  hdmjm-tool --help | --version\n"
         "hdmjm 的命令行工具: 只用数据层处理方案数据库, 不需要显示器。\n\n"
         "Commands:\n"
         "  sample DIR   在 " +
         project + " 下写一个完整的示例项目 (方案 " + kSampleScheme + "), 并输出 DIR 的 " +
         workdir + " 记号 (空格写作 \"" + WorkdirToken(" ") +
         "\")。\n"
         "  dump DB      像 hdmjm 那样打开方案, 以 JSON 输出每条道路的各个表。\n"
         "               DB 也可以是 Access 数据库 (Access 97 或 2000-2003 的 .mdb)。\n"
         "  resave DB    打开方案并重新存入每条道路, 如同不作修改按\"确定\"。\n"
         "               Access 数据库只读取, 不重新存入: 请先用 convert 转换。\n"
         "               其他程序在读入之后存入的表从不被覆盖: 它作为冲突报告, 不写入。\n"
         "  convert ACCESS OUT\n"
         "               把 Access 数据库 ACCESS 转换为新的方案数据库 OUT: 每个表 (也包括其他\n"
         "               程序的表)、每列及其类型、每行、每个值都原样保留, 空值仍为空值; 再补上\n"
         "               缺少的表和索引, 如同第一次存入。ACCESS 不被改动; OUT 已存在时不转换。\n"
         "  check DB     检查每条道路 (--road NAME: 只查这条) 的各表与道路里程是否相符、数值是否\n"
         "               可能, 每处一行输出 (--json: 以 JSON 输出)。\n\n"
         "Options:\n"
         "  --verbose    同时在 stderr 输出数据库层的跟踪行 (以 \"trace: \" 开头)。\n"
         "  -h, --help   显示本帮助并退出。\n"
         "  --version    显示版本并退出。\n\n"
         "Exit status:\n"
         "  0  完成 (check: 没有发现问题)。\n"
         "  1  什么也没做: 文件打不开、读道路表时被锁住、不是方案数据库, 没有道路, 或没有\n"
         "     --road 所指的道路; resave 的是 Access 数据库; convert 未能转换 (OUT 已存在,\n"
         "     或读写失败)。\n"
         "  2  参数错误。\n"
         "  3  resave 有道路未能存入 (或有表因冲突未写入), 或 dump / check 处理了未能完整\n"
         "     读入的道路。\n"
         "  4  check 发现了问题 (错误或警告)。\n";
}

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

// Opens the scheme; an empty road list is said as the settings page says it.
bool OpenScheme(SchemeStore& scheme, const std::string& database, const Services& services) {
  if (scheme.Open(database)) return true;
  if (scheme.Connected()) services.messages->Show(std::string(messages::kNoRoads));
  return false;
}

// Texts from older databases may not be UTF-8; they are shown, not allowed to abort the dump.
std::string DumpText(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

// The text of `json` as a value `depth` levels deep in the document: its lines after the first
// indented two spaces per level, as dumping the whole document would write them.
std::string Nested(const Json& json, int depth) {
  const std::string text = DumpText(json);
  const std::string indent(2 * depth, ' ');
  std::string nested;
  nested.reserve(text.size());
  for (char c : text) {
    nested += c;
    if (c == '\n') nested += indent;
  }
  return nested;
}

// One road, an element of "roads", written table by table: memory holds one table's text.
void WriteRoad(std::ostream& out, const RoadSectionStore& road) {
  const std::string key(6, ' '), table(8, ' ');
  const auto extent = RoadExtentOf(road.chainBreaks);
  out << "{\n"
      << key << "\"name\": " << Nested(Json(road.roadName), 3) << ",\n"
      << key << "\"start\": " << Nested(extent ? Json(extent->start) : Json(nullptr), 3) << ",\n"
      << key << "\"end\": " << Nested(extent ? Json(extent->end) : Json(nullptr), 3) << ",\n"
      << key << "\"chainBreaks\": "
      << Nested(TableJson(road, TableStep{&ChainBreakTable(), kLeft, {-1, -1}}), 3) << ",\n"
      << key << "\"tables\": {";
  const char* separator = "\n";
  for (const TableStep& step : LoadOrder()) {
    out << separator << table << Nested(Json(step.table->Name(step.side)), 4) << ": "
        << Nested(TableJson(road, step), 4);
    separator = ",\n";
  }
  out << "\n" << key << "}\n    }";
}

// Roads are read a group of about this many stored values at a time (some tens of megabytes).
constexpr std::size_t kDumpValuesPerGroup = 1'500'000;

// The document {"database": ..., "roads": [...]} written one road at a time, each group of roads
// read only when the one before is written, so that memory holds one group of records; the text
// is the same as dumping the whole document at once.
int Dump(const std::string& database, const Services& services) {
  SchemeStore scheme(services);
  bool begun = false, any = false, whole = true;
  const auto begin = [&] {
    if (!begun)
      std::cout << "{\n  \"database\": " << DumpText(Json(database)) << ",\n  \"roads\": [";
    begun = true;
  };
  const auto each = [&](RoadRecordList& group) {
    begin();
    for (auto& record : group) {
      whole = whole && record->LoadedWhole();
      std::cout << (any ? "," : "") << "\n    ";
      WriteRoad(std::cout, *record);
      any = true;
      record.reset();
    }
  };
  if (!scheme.OpenInGroups(database, kDumpValuesPerGroup, each)) {
    if (scheme.Connected()) services.messages->Show(std::string(messages::kNoRoads));
    return kExitNothingDone;
  }
  begin();
  std::cout << (any ? "\n  ]" : "]") << "\n}\n";
  return whole ? kExitOk : kExitNotAllSaved;
}

// Saves every road as the main sheet's OK does: a road that did not load whole is not saved.
int Resave(const std::string& database, const Services& services) {
  if (IsAccessKind(ProbeFile(database).kind)) {
    services.messages->Show(database +
                            "是 Access 数据库, 只读取, 不重新存入。请用 hdmjm-tool convert " +
                            database + " OUT 把它转换为方案数据库。");
    return kExitNothingDone;
  }
  SchemeStore scheme(services);
  if (!OpenScheme(scheme, database, services)) return kExitNothingDone;
  RoadRecordList records = scheme.TakeRecords();
  return scheme.Save(records).AllSaved() ? kExitOk : kExitNotAllSaved;
}

// A new scheme database from an Access scheme; the Access file is only read.
int Convert(const std::string& access, const std::string& output, const Services& services) {
  const ConversionResult result = ConvertScheme(access, output, services);
  if (!result.Converted()) {
    services.messages->Show(result.message);
    return kExitNothingDone;
  }
  services.messages->Show("已将" + access + "转换为" + output + ": " +
                          std::to_string(result.tables) + "个表, " + std::to_string(result.rows) +
                          "行。");
  return kExitOk;
}

Json FindingJson(const Finding& finding) {
  Json json = Json::object();
  json["road"] = finding.road;
  json["table"] = TableNameOf(finding);
  json["row"] = finding.row;
  json["column"] = ColumnNameOf(finding);
  json["severity"] = finding.GetSeverity() == Severity::Error ? "error" : "warning";
  json["rule"] = finding.rule->name;
  json["values"] =
      std::vector<double>(finding.values.begin(), finding.values.begin() + finding.valueCount);
  json["text"] = FindingText(finding);
  return json;
}

// The findings of every road, or of the road `only`: a line each, or one JSON document.
int Check(const std::string& database, const std::string* only, bool json,
          const Services& services) {
  SchemeStore scheme(services);
  if (!OpenScheme(scheme, database, services)) return kExitNothingDone;
  RoadRecordList records = scheme.TakeRecords();
  if (only) std::erase_if(records, [&](const auto& record) { return record->roadName != *only; });
  if (records.empty()) {
    services.messages->Show("方案中没有道路" + *only + "。");
    return kExitNothingDone;
  }
  Findings findings;
  bool whole = true;
  for (const auto& record : records) {
    whole = whole && record->LoadedWhole();
    for (Finding& finding : CheckRoad(*record)) findings.push_back(std::move(finding));
  }
  if (json) {
    Json document = Json::object();
    document["database"] = database;
    Json list = Json::array();
    for (const Finding& finding : findings) list.push_back(FindingJson(finding));
    document["findings"] = std::move(list);
    document["errors"] = CountOf(findings, Severity::Error);
    document["warnings"] = CountOf(findings, Severity::Warning);
    std::cout << DumpText(document) << '\n';
  } else {
    for (const Finding& finding : findings) std::cout << FindingLine(finding) << '\n';
  }
  if (!findings.empty()) return kExitFindings;
  return whole ? kExitOk : kExitNotAllSaved;
}

// check DB [--road NAME] [--json], the options in any order.
int CheckCommand(const std::vector<std::string>& args, const Services& services) {
  std::optional<std::string> road;
  bool json = false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--json" && !json) {
      json = true;
    } else if (args[i] == "--road" && !road && i + 1 < args.size()) {
      road = args[++i];
    } else {
      std::cerr << "usage: " << kSynopsis << '\n';
      return kExitUsage;
    }
  }
  return Check(args[1], road ? &*road : nullptr, json, services);
}

int Sample(const std::string& dir, const Services& services) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::absolute(dir, error);
  if (error || !WriteSampleProject(folder, services)) return kExitNothingDone;
  std::cout << WorkdirToken(folder.string()) << '\n';
  return kExitOk;
}

}  // namespace
}  // namespace hdmjm::tool

int main(int argc, char** argv) {
  using namespace hdmjm::tool;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << Help();
    return kExitOk;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << "hdmjm-tool " << HDMJM_VERSION << '\n';
    return kExitOk;
  }
  const bool verbose = !args.empty() && args.front() == kVerboseFlag;
  if (verbose) args.erase(args.begin());
  hdmjm::SilentTrace silent;
  hdmjm::Services services = hdmjm::DefaultServices();
  if (!verbose) services.trace = &silent;
  if (args.size() == 3 && args[0] == "convert") return Convert(args[1], args[2], services);
  if (args.size() >= 2 && args[0] == "check") return CheckCommand(args, services);
  if (args.size() != 2) {
    std::cerr << "usage: " << kSynopsis << '\n';
    return kExitUsage;
  }
  const std::string& command = args[0];
  const std::string& argument = args[1];
  if (command == "sample") return Sample(argument, services);
  if (command == "dump") return Dump(argument, services);
  if (command == "resave") return Resave(argument, services);
  std::cerr << "usage: " << kSynopsis << '\n';
  return kExitUsage;
}
