#include "stored_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "field_text.h"
#include "records.h"

namespace hdmjm {
namespace {

// Large enough for "%.17g" and for "%.8f" of any double: 309 digits, sign, point, 8 decimals.
constexpr std::size_t kRealTextSize = 330;

std::string RealText(double value, std::chars_format format, int precision) {
  char buffer[kRealTextSize];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision).ptr;
  return std::string(buffer, end);
}

// A stored value as the designer would read it in a message: integers whole, reals in full.
std::string ValueText(const AdoValue& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return std::to_string(*integer);
  if (const auto* real = std::get_if<double>(&value))
    return RealText(*real, std::chars_format::general, 17);
  return VariantToText(value);
}

FieldValue Zero(FieldKind kind) { return kind == FieldKind::Real ? FieldValue(0.0) : 0; }

FieldValue KeepNumber(const AdoValue& value, FieldKind kind, std::string& why) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    why = "数值列中有文本'" + *text + "'";
    return Zero(kind);
  }
  if (std::holds_alternative<AdoBlob>(value)) {
    why = "数值列中有二进制数据";
    return Zero(kind);
  }
  const auto* real = std::get_if<double>(&value);
  const std::int64_t* integer = std::get_if<std::int64_t>(&value);
  if (kind == FieldKind::Real) {
    if (real) return *real;
    if (static_cast<std::int64_t>(static_cast<double>(*integer)) != *integer)
      why = "整数" + std::to_string(*integer) + "超出实数的精度";
    return static_cast<double>(*integer);
  }
  // A code, or a slope row's level count.
  const bool count = kind == FieldKind::Count;
  const double number = real ? *real : static_cast<double>(*integer);
  const double low = count ? 0 : std::numeric_limits<int>::min();
  const double high = count ? kMaxSlopeLevels : std::numeric_limits<int>::max();
  const bool integral = integer || number == std::trunc(number);
  if (!integral || number < low || number > high)
    why = (count ? "边坡总级数" : "代码") + ValueText(value) + "超出" +
          (count ? "0到" + std::to_string(kMaxSlopeLevels) : std::string("整数")) + "的范围";
  return static_cast<int>(std::clamp(std::isnan(number) ? 0.0 : std::trunc(number), low, high));
}

}  // namespace

std::string VariantToText(const AdoValue& value) {
  struct Text {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(std::nullptr_t) const { return "NULL"; }
    std::string operator()(std::int64_t v) const {
      return std::to_string(static_cast<std::int32_t>(v));
    }
    std::string operator()(double v) const { return RealText(v, std::chars_format::fixed, 8); }
    std::string operator()(const std::string& v) const { return v; }
    std::string operator()(const AdoBlob&) const { return "UN_KNOW"; }
  };
  return std::visit(Text{}, value);
}

bool IsNull(const AdoValue& value) {
  return std::holds_alternative<std::monostate>(value) ||
         std::holds_alternative<std::nullptr_t>(value);
}

FieldValue KeepStored(const AdoValue& value, FieldKind kind, std::string& why) {
  why.clear();
  if (kind == FieldKind::Text) {
    if (IsNull(value)) return std::string();
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    why = "文本列中有非文本值" + ValueText(value);
    return VariantToText(value);
  }
  if (IsNull(value)) return Zero(kind);
  return KeepNumber(value, kind, why);
}

FieldValue NearestField(const AdoValue& value, FieldKind kind) {
  const auto* text = std::get_if<std::string>(&value);
  if (text && kind != FieldKind::Text) {
    const FieldValue number = DecimalValue(*text);
    return kind == FieldKind::Real ? number : FieldValue(IntOf(number));
  }
  std::string why;
  return KeepStored(value, kind, why);
}

AdoValue ToStored(const FieldValue& value) {
  if (const auto* code = std::get_if<int>(&value)) return std::int64_t{*code};
  if (const auto* real = std::get_if<double>(&value)) return *real;
  return std::get<std::string>(value);
}

}  // namespace hdmjm
