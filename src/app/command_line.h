// The program's command line: hdmjm [PROJECT | SCHEME.mdb], --help, --version. It is read before
// any window exists, so that --help and --version work without a display.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

namespace hdmjm {

struct CommandLine {
  bool exit = false;  // the program ends at once with `exitCode` after printing `output`
  int exitCode = 0;
  std::string output;                  // for stdout when exitCode is 0, otherwise for stderr
  std::optional<std::string> project;  // the project folder or scheme file given, as given
};

inline constexpr int kExitUsage = 2;

// `arguments` as the process got them, the program first.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace hdmjm
