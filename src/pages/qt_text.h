// The store's UTF-8 text as the widgets' QString: the one conversion at the widget boundary.
#pragma once

#include <QString>
#include <string_view>

namespace hdmjm {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace hdmjm
