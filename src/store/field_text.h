// A field's value as the designer reads and types it. Pages, paste and the tool all convert
// through these, so a number looks the same and reads back the same everywhere.
#pragma once

#include <string>
#include <string_view>

#include "catalogue.h"

namespace hdmjm {

// A whole number ("1250") when the fractional part is below 0.00001 in magnitude, otherwise
// three decimals ("1250.500", "2.9999999" → "3.000"). Never cut, whatever the value's size.
std::string FormatCellNumber(double value);

// The value with a fixed number of decimals ("%.3lf" for 3), in the C locale.
std::string FormatFixed(double value, int decimals);

// The C library's decimal conversion of the whole text, independent of the locale: leading
// blanks skipped, the longest leading part that forms a number converted ("12abc" → 12), 0 when
// there is none.
double DecimalValue(std::string_view text);

// Whether the conversion takes `text` as it stands: blanks around one decimal number ("12",
// "-0.5", "1e3") whose value is finite, or no text at all. "12abc" (characters dropped), "abc"
// (no number), "1e309" or "1e-400" (out of range), "0x1A" or "nan" are not plain; DecimalValue says
// what they become.
bool IsPlainNumber(std::string_view text);

// A field as its column shows it: numbers per the column's decimals, codes by their label,
// counts as whole numbers, text as it stands.
std::string FormatField(const DataColumn& column, const FieldValue& value);

// Cell text into a field of its column: numbers and counts by decimal conversion, codes by
// their label (any other text gives the last code), text kept whole.
FieldValue ParseField(const DataColumn& column, std::string_view text);

// A field as another kind of field holds it: a real truncates toward zero into an int, kept in
// the int's range; a text reads as a decimal; a number becomes text as "%d" or "%f" writes it.
double RealOf(const FieldValue& value);
int IntOf(const FieldValue& value);
std::string TextOf(const FieldValue& value);

}  // namespace hdmjm
