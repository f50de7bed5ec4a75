#include "sql_dialect.h"

#include <cctype>

namespace hdmjm {
namespace {

bool IsNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

bool StartsWithWord(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
  const std::size_t end = at + word.size();
  return end == text.size() || !IsNameChar(text[end]);
}

std::size_t SkipSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`' || c == '['; }

// Index past the quoted name or literal that starts at `at`.
std::size_t SkipQuoted(std::string_view text, std::size_t at) {
  const char close = text[at] == '[' ? ']' : text[at];
  const auto end = text.find(close, at + 1);
  return end == std::string_view::npos ? text.size() : end + 1;
}

// A bare name that starts with a digit, such as 1级边坡系数: the engine reads a number there.
// No number holds a byte beyond ASCII, so such a run is a name.
std::size_t DigitNameEnd(std::string_view text, std::size_t at) {
  if (!std::isdigit(static_cast<unsigned char>(text[at]))) return at;
  std::size_t end = at;
  bool wide = false;
  for (; end < text.size() && IsNameChar(text[end]); ++end)
    wide = wide || static_cast<unsigned char>(text[end]) >= 0x80;
  return wide ? end : at;
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string MapDialect(std::string_view statement) {
  std::string mapped;
  mapped.reserve(statement.size() + 32);
  std::size_t at = 0;
  while (at < statement.size()) {
    const char c = statement[at];
    if (IsQuote(c)) {
      const std::size_t end = SkipQuoted(statement, at);
      mapped.append(statement.substr(at, end - at));
      at = end;
      continue;
    }
    const bool wordStart = at == 0 || !IsNameChar(statement[at - 1]);
    if (const std::size_t end = wordStart ? DigitNameEnd(statement, at) : at; end > at) {
      mapped += QuoteName(statement.substr(at, end - at));
      at = end;
      continue;
    }
    if (wordStart && StartsWithWord(statement, at, "integer")) {
      const std::size_t next = SkipSpace(statement, at + 7);
      if (next > at + 7 && StartsWithWord(statement, next, "identity")) {
        mapped += "INTEGER PRIMARY KEY AUTOINCREMENT";
        at = next + 8;
        continue;
      }
    }
    mapped += c;
    ++at;
  }
  return mapped;
}

}  // namespace hdmjm
