#include "services.h"

#include <cstdio>
#include <iostream>

namespace hdmjm {

void StderrMessages::Show(const std::string& text, const std::string&, Icon) {
  // One message per line: line breaks inside a message become blanks.
  std::string line = text;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  std::cerr << line << '\n';
}

void StderrTrace::Write(std::string_view line, const std::source_location& where) {
  std::cerr << where.file_name() << '(' << where.line() << "): " << line;
  if (line.empty() || line.back() != '\n') std::cerr << '\n';
}

Services DefaultServices() {
  static StderrMessages messages;
  static StderrTrace trace;
  static NoProgress progress;
  return Services{&messages, &trace, &progress};
}

}  // namespace hdmjm
