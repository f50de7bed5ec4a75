#include <algorithm>
#include <cstdlib>
#include <utility>

#include "catalogue.h"
#include "messages.h"
#include "records.h"

namespace hdmjm {

namespace {
constexpr const char* kMainLine = "主线";
const std::string kSelectChainBreaks = "select * from " + std::string(kChainBreakTable);
}  // namespace

bool RoadSectionStore::ReadChainBreaks(const std::string& path, const std::string& road,
                                       double& start, double& end) {
  if (!OpenStatement(path, kSelectChainBreaks + " where 道路名=" + SqlQuote(road))) return false;
  chainBreaks.clear();
  std::string text;
  const auto real = [&](const char* field) {
    text.clear();
    recordset_.GetCollect(field, text);
    return std::atof(text.c_str());
  };
  const auto string = [&](const char* field) {
    text.clear();
    recordset_.GetCollect(field, text);
    return text;
  };
  while (!recordset_.IsEOF()) {
    ChainBreakRow row;
    row.leftPrefix = string("等号左里程冠号");
    row.rightPrefix = string("等号右里程冠号");
    row.leftStation = real("等号左里程数");
    row.rightStation = real("等号右里程数");
    chainBreaks.push_back(std::move(row));
    if (!recordset_.MoveNext()) break;
  }
  recordset_.Close();
  connection_.Close();
  if (!chainBreaks.empty()) {
    start = chainBreaks.front().leftStation;
    end = chainBreaks.back().rightStation;
  }
  return true;
}

bool RoadSectionStore::BuildRoadList(const std::string& path) {
  if (!OpenStatement(path, kSelectChainBreaks)) return false;
  AdoValue value;
  std::size_t leftOut = 0;
  while (!recordset_.IsEOF()) {
    value = nullptr;
    recordset_.GetValue("道路名", value);
    // A row without a road name belongs to no road.
    if (std::holds_alternative<std::nullptr_t>(value) ||
        std::holds_alternative<std::monostate>(value)) {
      if (!recordset_.MoveNext()) break;
      continue;
    }
    const std::string name = VariantToText(value);
    const bool known = std::any_of(roadList.begin(), roadList.end(),
                                   [&](const RoadEntry& e) { return e.name == name; });
    if (!known) {
      if (static_cast<int>(roadList.size()) < kMaxRoads)
        roadList.push_back(RoadEntry{name, {}, {}, 0, 0});
      else
        ++leftOut;
    }
    if (!recordset_.MoveNext()) break;
  }
  recordset_.Close();
  connection_.Close();
  if (leftOut > 0) services_.messages->Show(messages::TooManyRoads(leftOut, kMaxRoads));
  for (int i = 0; i < static_cast<int>(roadList.size()); ++i)
    if (roadList[i].name != kMainLine) ReadRoadExtent(path, roadList[i].name, i);
  SortRoadList();
  return true;
}

bool RoadSectionStore::ReadRoadExtent(const std::string& path, const std::string& road, int index) {
  double start = 0, end = 0;
  if (!ReadChainBreaks(path, road, start, end)) return false;
  if (chainBreaks.empty() || index < 0 || index >= static_cast<int>(roadList.size())) return true;
  RoadEntry& entry = roadList[index];
  entry.startPrefix = chainBreaks.front().leftPrefix;
  entry.startStation = chainBreaks.front().leftStation;
  entry.endPrefix = chainBreaks.back().rightPrefix;
  entry.endStation = chainBreaks.back().rightStation;
  return true;
}

void RoadSectionStore::SortRoadList() { hdmjm::SortRoadList(roadList); }

void SortRoadList(std::vector<RoadEntry>& roadList) {
  const int count = static_cast<int>(roadList.size());
  for (int i = 1; i < count; ++i)
    if (roadList[i].name == kMainLine) std::swap(roadList[0], roadList[i]);
  for (int i = 1; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (roadList[i].startStation > roadList[j].startStation) std::swap(roadList[i], roadList[j]);
}

}  // namespace hdmjm
