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

void StderrTrace::Write(std::string_view line, const std::source_location&) {
  // For a person reading a terminal: the line alone, without where in the source it was written
  // or the face the access layer's templates start with.
  constexpr std::string_view kFace = ":( ";
  if (line.starts_with(kFace)) line.remove_prefix(kFace.size());
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::cerr << "trace: " << line << '\n';
}

Services DefaultServices() {
  static StderrMessages messages;
  static StderrTrace trace;
  static NoProgress progress;
  return Services{&messages, &trace, &progress};
}

}  // namespace hdmjm
