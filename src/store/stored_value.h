// Values as the database stores them and as a road's record holds them, and the conversions
// between the two.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace hdmjm {

// A field value as stored: empty, NULL, integer, real, text or blob.
struct AdoBlob {
  std::vector<unsigned char> bytes;
  bool operator==(const AdoBlob&) const = default;
};
using AdoValue =
    std::variant<std::monostate, std::nullptr_t, std::int64_t, double, std::string, AdoBlob>;

// The text form of a stored value, for names and traces: empty "", NULL "NULL", integer "%d" of
// its low 32 bits, real "%.8f", text as is, blob "UN_KNOW".
std::string VariantToText(const AdoValue& value);
bool IsNull(const AdoValue& value);

// Real: a double; Code: an int shown by its label; Text: a string; Count: an int shown as a
// number (边坡总级数, the level count of a slope segment).
enum class FieldKind { Real, Code, Text, Count };
// A field's value as the record holds it: Real → double, Code and Count → int, Text → string.
using FieldValue = std::variant<double, int, std::string>;

// The stored value as the record keeps a field of `kind`. `why` stays empty when the record
// keeps it exactly (a NULL number is 0, a NULL text empty); otherwise it says why not, and the
// result is the nearest the record can show.
FieldValue KeepStored(const AdoValue& value, FieldKind kind, std::string& why);
// The same without asking whether it is exact, and a text in a number column read as a decimal.
FieldValue NearestField(const AdoValue& value, FieldKind kind);
// The value a field is written as.
AdoValue ToStored(const FieldValue& value);

}  // namespace hdmjm
