// Texts the designer is shown about opening and saving a scheme, shared by every front end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hdmjm::messages {

// Road names as a list reads them: "主线、连接线".
inline std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : "、") + name;
  return list;
}

inline constexpr std::string_view kConnectFailed = "连接数据库失败!";
inline constexpr std::string_view kNoRoads = "注意录入横断面标准数据前请先指定方案名称和道路名!";

// The scheme opened, but its file cannot be written: said before the designer edits anything.
inline constexpr std::string_view kOpenedReadOnly =
    "方案数据库文件是只读的: 数据可以查看和修改, 但按确定时无法存入, 除非先使文件可写。";

// Why nothing is saved into an Access file.
inline constexpr std::string_view kAccessNotWritten =
    "Access 数据库只能读取, 不能存入。请先把它转换为本程序的方案数据库。";

// The scheme opened is an Access file: said before the designer edits anything.
inline constexpr std::string_view kOpenedAccessReadOnly =
    "方案数据库是 Access 文件, 只能读取: 数据可以查看和修改, 但按确定时无法存入。"
    "要存入, 请先把它转换为本程序的方案数据库。";

// The scheme file is an Access file: converting it keeps the original beside it as `original`.
inline std::string ConvertQuestion(const std::string& scheme, const std::string& original) {
  return "方案数据库" + scheme +
         "是 Access 文件。本程序只能读取它, 按确定时无法存入。\n\n"
         "要把它转换为本程序的方案数据库吗? 转换后方案数据库仍在原来的位置, 每个表 "
         "(也包括其他程序的表) 和每个值都原样保留; 原来的 Access 文件不作任何改动, 改名为" +
         original + "保存在同一文件夹中。\n\n不转换则只读打开, 什么也不写入。";
}
inline constexpr std::string_view kConvertButton = "转换";
inline constexpr std::string_view kReadOnlyButton = "不转换, 只读打开";
inline constexpr std::string_view kConvertTitle = "Access 方案数据库";

inline std::string Converted(const std::string& scheme, const std::string& original) {
  return "已转换: " + scheme + "现在是本程序的方案数据库。\n原来的 Access 文件保存为" + original +
         "。";
}

// The conversion failed: nothing was changed and the Access file opens read-only.
inline std::string NotConverted(const std::string& why) {
  return "未能转换, 文件均未改动: " + why + "\n方案将只读打开。";
}

// Data imported from an Access file goes, on OK, into the project's own scheme file.
inline std::string ImportedFromAccess(const std::string& access, const std::string& scheme) {
  return "已从 Access 数据库" + access +
         "读入数据。该文件不会被改动: 按确定时, 数据将存入本项目的方案数据库" + scheme + "中。";
}

// Opened roads that did not load whole, one line per road and table follows.
inline constexpr std::string_view kNotWholeHeading =
    "以下道路的数据未能完整读入, 按确定时不会存入这些道路, 数据库中它们的数据保持不变:";

// Roads that were left unsaved because they did not load whole.
inline std::string NotWholeNotSaved(const std::string& roads) {
  return "道路" + roads + "读入时出现问题, 为免丢失数据未重新存入!";
}

// "横断面标准数据已存入%s中!": every road was saved into `path`.
inline std::string Saved(const std::string& path) { return "横断面标准数据已存入" + path + "中!"; }

// Some roads were not saved; each of them keeps its previous rows in the database.
inline std::string NotSaved(const std::string& path, const std::vector<std::string>& roads) {
  return "以下道路的横断面标准数据未能存入" + path + "中: " + NameList(roads) +
         "。\n数据库中这些道路原有的数据未被改动。";
}

// What another program's save did to a table's rows, as the designer reads it.
inline std::string OtherSaveChanged(int added, int removed, int changed, bool replaced) {
  if (replaced) return "整个方案数据库文件已被另一个文件替换";
  std::string text;
  const auto part = [&](int count, const char* what) {
    if (count > 0)
      text += (text.empty() ? "" : "、") + std::string(what) + std::to_string(count) + "行";
  };
  part(added, "增加了");
  part(removed, "删除了");
  part(changed, "修改了");
  return text.empty() ? "修改了数据" : text;
}

// One table another program saved while the designer edited it; asked once per table.
inline std::string ConflictQuestion(const std::string& road, const std::string& table,
                                    const std::string& changed) {
  return "道路" + road + "的表" + table + "在您修改期间已被其他程序存入(" + changed +
         ")。\n\n您对该表的修改尚未存入。请选择:\n"
         "・保留对方的数据: 读入对方存入的数据, 放弃您对该表的修改;\n"
         "・保留我的修改: 用您的数据覆盖对方的数据;\n"
         "・以后再定: 什么也不写入, 设置页保持打开, 您的修改仍在。";
}
inline constexpr std::string_view kKeepTheirsButton = "保留对方的数据";
inline constexpr std::string_view kKeepMineButton = "保留我的修改";
inline constexpr std::string_view kDecideLaterButton = "以后再定";
inline constexpr std::string_view kConflictTitle = "其他程序已修改数据";

// One line per table left unwritten because another program saved it meanwhile.
inline std::string ConflictLine(const std::string& road, const std::string& table,
                                const std::string& changed) {
  return "道路" + road + "的表" + table + ": 其他程序已存入(" + changed + ")";
}
inline constexpr std::string_view kConflictsHeading =
    "以下表在打开方案后已被其他程序存入, 为免覆盖对方的数据未存入您的修改:";

// The save's summary when tables were left unwritten for another program's save.
inline std::string TablesLeft(const std::string& path) {
  return "上述表在" + path +
         "中仍是其他程序存入的数据, 您对它们的修改尚未存入; 您的其余修改均已写入。";
}

// The other program's rows could not be read into the record.
inline std::string TheirsNotRead(const std::string& road, const std::string& table,
                                 const std::string& why) {
  return "未能读入道路" + road + "的表" + table + "中对方的数据, 您的修改保持不变: " + why;
}

// Said on the settings page while a sheet is open and another program changes the file.
inline std::string RoadsChangedElsewhere(const std::string& roads) {
  return "其他程序已修改方案数据库中以下道路的数据: " + roads;
}
inline constexpr std::string_view kSchemeReplaced =
    "方案数据库文件已被另一个文件替换。按确定时, 每个修改过的表都会先询问您。";
inline constexpr std::string_view kReloadButton = "重新读入未修改的道路";
inline std::string EditedNotReloaded(const std::string& roads) {
  return "道路" + roads + "有您未存入的修改, 没有重新读入。";
}

}  // namespace hdmjm::messages
