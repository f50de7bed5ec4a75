#include <algorithm>
#include <cstdlib>
#include <utility>

#include "catalogue.h"
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


void SortRoadList(std::vector<RoadEntry>& roadList) {
  const int count = static_cast<int>(roadList.size());
  for (int i = 1; i < count; ++i)
    if (roadList[i].name == kMainLine) std::swap(roadList[0], roadList[i]);
  for (int i = 1; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (roadList[i].startStation > roadList[j].startStation) std::swap(roadList[i], roadList[j]);
}

}  // namespace hdmjm
