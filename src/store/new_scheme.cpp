#include "new_scheme.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "catalogue.h"
#include "scheme.h"

namespace hdmjm {

bool CreateEmptyScheme(const std::string& path, UserMessages& messages) {
  const std::filesystem::path file(path);
  std::error_code error;
  if (std::filesystem::exists(file, error)) {
    messages.Show(path + "已存在!");
    return false;
  }
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    messages.Show("无法创建方案数据库" + path + "! " + error.message());
    return false;
  }
  // One road, 主线, from station 0 to 0: the designer fills in its chain breaks and tables.
  auto road = std::make_unique<RoadSectionStore>();
  road->roadName = std::string(kMainLine);
  road->chainBreaks.push_back({0, 0, "K", "K"});
  SetDefaults(*road, RoadExtentOf(road->chainBreaks).value_or(RoadExtent{}));
  RoadRecordList records;
  records.push_back(std::move(road));
  SilentTrace trace;
  NoProgress progress;
  if (SchemeStore({&messages, &trace, &progress}).Create(path, records)) return true;
  std::filesystem::remove(file, error);  // no half-made scheme stays behind
  return false;
}

}  // namespace hdmjm
