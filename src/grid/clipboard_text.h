// The grid's clipboard text, free of any window: cutting a pasted text into rows of fields the way
// a spreadsheet writes it, and quoting a copied cell text that would not survive that cut.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hdmjm {

using PastedRows = std::vector<std::vector<std::string>>;

// Rows end at line feeds (a carriage return before one is dropped; a final line feed adds no
// row). A text that holds a tab separates fields at every tab, any other text at every comma, so
// an empty field stays in its column. A field that starts with a double quote runs to the closing
// quote, separators and line feeds included, with "" standing for one quote; other fields lose
// their surrounding blanks.
PastedRows ParsePastedText(std::string_view text);

// A cell text as one field of tab-separated rows: quoted when it holds a tab, a line feed or a
// carriage return, or starts with a double quote; unchanged otherwise.
std::string QuoteCopiedField(std::string_view text);

}  // namespace hdmjm
