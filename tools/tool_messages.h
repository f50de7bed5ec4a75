// What hdmjm-tool tells the designer, one message per line on stderr.
#pragma once

#include <cstdio>
#include <string>

#include "store/messages.h"

namespace hdmjm::tool {

inline constexpr char kExistsMessage[] = "%s已存在!";
inline constexpr char kNotWrittenMessage[] = "无法写入%s!";

// printf-style formatting of string arguments into a std::string.
template <class... Strings>
std::string Format(const char* format, const Strings&... args) {
  const int size = std::snprintf(nullptr, 0, format, std::string(args).c_str()...);
  if (size <= 0) return {};
  std::string text(static_cast<size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, format, std::string(args).c_str()...);
  return text;
}

}  // namespace hdmjm::tool
