#include "field_text.h"

#include <locale.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace hdmjm {

std::string FormatFixed(double value, int decimals) {
  // Room for the largest double in fixed notation (309 digits) and the decimals.
  char buffer[std::numeric_limits<double>::max_exponent10 + 64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  // More decimals than the room holds: the shortest text that reads back as the value.
  if (error != std::errc()) end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

std::string FormatCellNumber(double value) {
  return FormatFixed(value, std::fabs(std::fmod(value, 1.0)) < 0.00001 ? 0 : 3);
}

namespace {

// strtod in the C locale: the C library's own rule, whatever locale the program runs in.
double CStrtod(std::string_view text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string copy(text.substr(0, text.find('\0')));
  return strtod_l(copy.c_str(), nullptr, cLocale);
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the run of digits that starts at `at`.
size_t SkipDigits(std::string_view text, size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

}  // namespace

double DecimalValue(std::string_view text) {
  const double value = CStrtod(text);
  // "inf" and "nan" are words to a designer, and a number too large for a double is a slip:
  // neither may reach a table as a station or a width.
  return std::isfinite(value) ? value : 0.0;
}

bool IsPlainNumber(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) return true;
  size_t at = begin;
  if (text[at] == '+' || text[at] == '-') ++at;
  const size_t whole = SkipDigits(text, at);
  size_t digits = whole - at;
  at = whole;
  if (at < end && text[at] == '.') {
    const size_t fraction = SkipDigits(text, at + 1);
    digits += fraction - at - 1;
    at = fraction;
  }
  if (digits == 0) return false;
  if (at < end && (text[at] == 'e' || text[at] == 'E')) {
    size_t exponent = at + 1;
    if (exponent < end && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const size_t stop = SkipDigits(text, exponent);
    if (stop == exponent) return false;
    at = stop;
  }
  if (at != end) return false;
  // Out of range, too large or too small, is no plain number either.
  errno = 0;
  const double value = CStrtod(text.substr(begin, end - begin));
  return std::isfinite(value) && errno != ERANGE;
}

std::string FormatField(const DataColumn& column, const FieldValue& value) {
  switch (column.kind) {
    case FieldKind::Real: {
      const double number = std::holds_alternative<double>(value) ? std::get<double>(value) : 0.0;
      return column.decimals < 0 ? FormatCellNumber(number) : FormatFixed(number, column.decimals);
    }
    case FieldKind::Code: {
      const int code = std::holds_alternative<int>(value) ? std::get<int>(value) : 0;
      return column.codes ? std::string(column.codes->Label(code)) : std::to_string(code);
    }
    case FieldKind::Count:
      return std::to_string(std::holds_alternative<int>(value) ? std::get<int>(value) : 0);
    case FieldKind::Text:
      return std::holds_alternative<std::string>(value) ? std::get<std::string>(value)
                                                        : std::string();
  }
  return {};
}

FieldValue ParseField(const DataColumn& column, std::string_view text) {
  switch (column.kind) {
    case FieldKind::Real:
      return DecimalValue(text);
    case FieldKind::Code:
      if (column.codes) return column.codes->Code(text);
      [[fallthrough]];
    case FieldKind::Count:
      // A count or a code without labels truncates like the C conversion to int, kept in range.
      return IntOf(DecimalValue(text));
    case FieldKind::Text:
      return std::string(text);
  }
  return 0;
}

double RealOf(const FieldValue& value) {
  if (const auto* real = std::get_if<double>(&value)) return *real;
  if (const auto* code = std::get_if<int>(&value)) return *code;
  return DecimalValue(std::get<std::string>(value));
}

int IntOf(const FieldValue& value) {
  if (const auto* code = std::get_if<int>(&value)) return *code;
  const double number = RealOf(value);
  if (!(number > std::numeric_limits<int>::min())) return 0;
  if (number >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(number);
}

std::string TextOf(const FieldValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* code = std::get_if<int>(&value)) return std::to_string(*code);
  return FormatFixed(std::get<double>(value), 6);
}

}  // namespace hdmjm
