// Texts the designer is shown about opening and saving a scheme, shared by every front end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hdmjm::messages {

inline constexpr std::string_view kConnectFailed = "连接数据库失败!";
inline constexpr std::string_view kNotOpen = "数据库没有打开或已经关闭!";
inline constexpr std::string_view kNoRoads = "注意录入横断面标准数据前请先指定方案名称和道路名!";

// "横断面标准数据已存入%s中!": every road was saved into `path`.
inline std::string Saved(const std::string& path) { return "横断面标准数据已存入" + path + "中!"; }

// Some roads were not saved; each of them keeps its previous rows in the database.
inline std::string NotSaved(const std::string& path, const std::vector<std::string>& roads) {
  std::string names;
  for (const std::string& road : roads) names += (names.empty() ? "" : "、") + road;
  return "以下道路的横断面标准数据未能存入" + path + "中: " + names +
         "。\n数据库中这些道路原有的数据未被改动。";
}

}  // namespace hdmjm::messages
