// What the scheme unit's reader and writer share about the tables a file holds: their columns,
// found by name, and the image of a table's rows that tells whether it changed.
#pragma once

#include <cstdint>
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

// One 64-bit hash per row of those fields (never 0), the first `rows` rows or all: what the
// record remembers of a table, enough to tell a change and which rows changed.
using RowHashes = std::vector<std::uint64_t>;
RowHashes HashRows(const TableDesc& table, const RoadSectionStore& record, Side side, int rows);
RowHashes HashRows(const TableDesc& table, const RoadSectionStore& record, Side side);
// One hash of the whole table: its row count and rows.
std::uint64_t HashTable(const TableDesc& table, const RoadSectionStore& record, Side side);

// The last level in use always reaches to the top of the slope (a save writes it so); on a cut, a
// negative height there is the radius of the arc that rounds the top, and stays.
void SetLastLevelHeights(const TableDesc& table, Side side, RoadSectionStore& record);

// The hashes of the table's default rows for `road` (its chain breaks give the stations), as a
// save would write them; made in `scratch`, whose table is then empty again.
RowHashes DefaultRowHashes(const TableDesc& table, Side side, const RoadSectionStore& road,
                           RoadSectionStore& scratch);

// How the rows `now` differ from the rows `before`: rows kept in order are matched first (a
// longest common run), an unmatched removed row and an unmatched added row count as one change.
struct RowDiff {
  int added = 0;
  int removed = 0;
  int changed = 0;
};
RowDiff DiffRows(const RowHashes& before, const RowHashes& now);

// What a record remembers of a table after its file was replaced by another: no file state
// matches it, so an edit of the table is written only once the designer has decided.
inline const RowHashes kUnknownRows{0};

// A table of a road that another program saved since the record last read or wrote it: the
// record's edit of it was not written.
struct TableConflict {
  std::string road;
  std::string table;  // as the file names it: 左横断面限制宽度
  const TableDesc* desc = nullptr;
  Side side = kLeft;
  RowDiff diff;           // what the other save did to the rows the record remembers
  bool replaced = false;  // the whole file was replaced by another one
  RowHashes observed;     // the rows the file held when the conflict was found
};

}  // namespace hdmjm
