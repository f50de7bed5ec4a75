// What the designer is told about the recovery file of a scheme.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "messages.h"

namespace hdmjm::messages {

inline constexpr std::string_view kRecoveryTitle = "恢复未存入的修改";
inline constexpr std::string_view kRestoreButton = "恢复";
inline constexpr std::string_view kDiscardButton = "放弃";

// The recovery file holds edits newer than the scheme: restore (the default) or discard them.
inline std::string RecoveryQuestion(const std::string& scheme, const std::string& when,
                                    const std::vector<std::string>& roads, int tables) {
  return "方案数据库" + scheme + "有上次未存入的修改 (" + when +
         "写入恢复文件; 道路: " + NameList(roads) + ", 共" + std::to_string(tables) +
         "个表)。程序上次可能未正常结束。\n\n恢复: 这些修改显示在各页中, 可以撤销, "
         "按确定时存入方案数据库。\n放弃: 删除恢复文件, 方案数据库中的数据保持不变。";
}

// Why a recovery file was not used; it was renamed to `kept` and stays there.
inline std::string RecoveryDamaged(const std::string& file, const std::string& kept,
                                   const std::string& detail) {
  return "恢复文件" + file + "已损坏, 无法使用, 其中的修改未恢复。该文件已改名为" + kept +
         "保留。详细信息: " + detail;
}
inline std::string RecoveryOtherScheme(const std::string& file, const std::string& kept,
                                       const std::string& other) {
  return "恢复文件" + file + "属于另一个方案数据库 (" + other +
         "), 其中的修改未恢复。该文件已改名为" + kept + "保留。";
}
inline std::string RecoveryOlder(const std::string& file, const std::string& kept) {
  return "恢复文件" + file +
         "中的修改早于方案数据库最近一次存入的数据, 未恢复, 以免覆盖较新的数据。该文件已改名为" +
         kept + "保留。";
}
// Roads of the recovery file that the scheme no longer lists.
inline std::string RecoveryRoadsMissing(const std::vector<std::string>& roads,
                                        const std::string& kept) {
  return "恢复文件中道路" + NameList(roads) +
         "的修改未能恢复: 方案中已没有这些道路。恢复文件已另存为" + kept + "。";
}
// The recovery file could neither be written beside the scheme nor in the user's data folder.
inline std::string RecoveryNotWritten(const std::string& file, const std::string& detail) {
  return "无法写入恢复文件" + file + ": " + detail +
         "\n修改仍在程序中, 按确定时照常存入; 但程序异常结束时它们将会丢失。";
}

// The labels of a recovery file set aside: "<file>.<label>-20261210-2350".
inline constexpr std::string_view kDamagedLabel = "损坏";
inline constexpr std::string_view kOtherSchemeLabel = "其他方案";
inline constexpr std::string_view kOlderLabel = "过期";
inline constexpr std::string_view kUnmatchedLabel = "未恢复";

}  // namespace hdmjm::messages
