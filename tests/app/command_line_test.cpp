// The command line, read before any window exists.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace hdmjm {
namespace {

TEST(CommandLine, TakesOneProjectAnswersHelpAndVersionAndRefusesWhatItDoesNotKnow) {
  const struct {
    QStringList arguments;
    bool exit;
    int code;
    std::optional<std::string> project;
    std::string output;  // a part of what is printed
  } cases[] = {
      {{}, false, 0, std::nullopt, ""},
      {{"项目 一/"}, false, 0, "项目 一/", ""},
      {{"--help"}, true, 0, std::nullopt, "[PROJECT | SCHEME.mdb]"},
      {{"-h", "x"}, true, 0, std::nullopt, "--version"},
      {{"--version"}, true, 0, std::nullopt, " " HDMJM_VERSION "\n"},
      {{"--bogus", "x"}, true, kExitUsage, std::nullopt, "未知选项: bogus"},
      {{"a", "b"}, true, kExitUsage, std::nullopt, "只能打开一个"},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(QStringList{QStringLiteral("hdmjm")} + c.arguments);
    const std::string what = c.arguments.join(' ').toStdString();
    EXPECT_EQ(line.exit, c.exit) << what;
    EXPECT_EQ(line.exitCode, c.code) << what;
    EXPECT_EQ(line.project, c.project) << what;
    EXPECT_NE(line.output.find(c.output), std::string::npos) << what << ": " << line.output;
  }
}

}  // namespace
}  // namespace hdmjm
