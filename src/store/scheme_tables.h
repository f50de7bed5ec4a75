// What the scheme unit's reader and writer share about the tables a file holds: their columns,
// found by name, and the image of a table's rows that tells whether it changed.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ado.h"
#include "catalogue.h"

namespace hdmjm {

// Table → its column names in order, read once per open and once per save.
using ColumnCatalogue = std::map<std::string, std::vector<std::string>>;
bool ReadColumnCatalogue(AdoConnection& connection, ColumnCatalogue& catalogue);
// Whether the tables are a scheme's: 断链表 or any parameter table among them.
bool HoldsScheme(const ColumnCatalogue& catalogue);

// Index of the column named `name` (case aside; 分段终里程 and 分段终里程数 count as one),
// -1 when there is none.
int FindColumn(const std::vector<std::string>& columns, std::string_view name);

// A table's rows of one road as bytes: the row count, then each row's fields in use, reals by
// their bits. Two records encode the same exactly when saving them would write the same values.
std::string TableImage(const TableDesc& table, const RoadSectionStore& record, Side side, int rows);
std::string TableImage(const TableDesc& table, const RoadSectionStore& record, Side side);

}  // namespace hdmjm
