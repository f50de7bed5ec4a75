#include "scheme_tables.h"

#include <algorithm>
#include <cctype>

#include "row_hash.h"

namespace hdmjm {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// 分段终里程 and 分段终里程数 name the same field: the catalogue itself spells it both ways.
std::string_view OtherSpelling(std::string_view name) {
  if (name == "分段终里程") return "分段终里程数";
  if (name == "分段终里程数") return "分段终里程";
  return {};
}

template <class T>
void Append(std::string& image, const T& value) {
  image.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

bool ReadColumnCatalogue(AdoConnection& connection, ColumnCatalogue& catalogue) {
  catalogue.clear();
  AdoStatement statement(connection,
                         "SELECT m.name, p.name FROM sqlite_master AS m "
                         "JOIN pragma_table_xinfo(m.name) AS p WHERE m.type = 'table' "
                         "AND p.hidden <> 1 ORDER BY m.name, p.cid");
  if (!statement.Prepared()) return false;
  AdoStatement::Step step;
  while ((step = statement.Next()) == AdoStatement::Step::Row)
    catalogue[VariantToText(statement.Value(0))].push_back(VariantToText(statement.Value(1)));
  return step == AdoStatement::Step::Done;
}

bool HoldsScheme(const ColumnCatalogue& catalogue) {
  return catalogue.count(std::string(kChainBreakTable)) ||
         std::any_of(AllTables().begin(), AllTables().end(), [&](const TableDesc* table) {
           return catalogue.count(table->Name(kLeft)) || catalogue.count(table->Name(kRight));
         });
}

int FindColumn(const std::vector<std::string>& columns, std::string_view name) {
  for (std::string_view wanted : {name, OtherSpelling(name)}) {
    if (wanted.empty()) break;
    for (size_t i = 0; i < columns.size(); ++i)
      if (SameName(columns[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

std::string TableImage(const TableDesc& table, const RoadSectionStore& record, Side side,
                       int rows) {
  std::string image;
  Append(image, rows);
  for (int row = 0; row < rows; ++row) {
    const int inUse = table.ColumnsInUse(record, side, row);
    Append(image, inUse);
    for (int c = 0; c < inUse; ++c) {
      const FieldValue value = table.Get(record, side, row, c);
      image += static_cast<char>(value.index());
      if (const auto* real = std::get_if<double>(&value)) {
        Append(image, *real);
      } else if (const auto* code = std::get_if<int>(&value)) {
        Append(image, *code);
      } else {
        const std::string& text = std::get<std::string>(value);
        Append(image, text.size());
        image += text;
      }
    }
  }
  return image;
}

std::string TableImage(const TableDesc& table, const RoadSectionStore& record, Side side) {
  return TableImage(table, record, side, table.RowCount(record, side));
}

RowHashes HashRows(const TableDesc& table, const RoadSectionStore& record, Side side, int rows) {
  RowHashes hashes;
  hashes.reserve(static_cast<std::size_t>(std::max(rows, 0)));
  for (int row = 0; row < rows; ++row) hashes.push_back(table.HashRow(record, side, row));
  return hashes;
}

RowHashes HashRows(const TableDesc& table, const RoadSectionStore& record, Side side) {
  return HashRows(table, record, side, table.RowCount(record, side));
}

std::uint64_t HashTable(const TableDesc& table, const RoadSectionStore& record, Side side) {
  RowHasher hasher;
  const RowHashes rows = HashRows(table, record, side);
  hasher.Add(static_cast<std::uint64_t>(rows.size()));
  for (const std::uint64_t row : rows) hasher.Add(row);
  return hasher.Value();
}

// The last level in use always reaches to the top of the slope; on a cut, a negative height
// there is the radius of the arc that rounds the top, and stays.
void SetLastLevelHeights(const TableDesc& table, Side side, RoadSectionStore& record) {
  if (!table.IsSlope()) return;
  const int rows = table.RowCount(record, side);
  for (int row = 0; row < rows; ++row) {
    const int inUse = table.ColumnsInUse(record, side, row);
    if (inUse <= 2) continue;
    const int height = inUse - 3;  // the last level's 最大高度, before 平台宽度 and 平台横坡
    const bool arc = table.BaseName() == kCutSlopeTable &&
                     std::get<double>(table.Get(record, side, row, height)) < 0;
    if (!arc) table.Set(record, side, row, height, 100.0);
  }
}

RowHashes DefaultRowHashes(const TableDesc& table, Side side, const RoadSectionStore& road,
                           RoadSectionStore& scratch) {
  const RoadExtent extent = RoadExtentOf(road.chainBreaks).value_or(RoadExtent{});
  table.SetDefault(scratch, side, extent.start, extent.end);
  SetLastLevelHeights(table, side, scratch);
  RowHashes hashes = HashRows(table, scratch, side);
  table.Resize(scratch, side, 0);
  return hashes;
}

RowDiff DiffRows(const RowHashes& before, const RowHashes& now) {
  // Length of the longest common subsequence, one line of the table at a time.
  std::vector<int> previous(now.size() + 1, 0), current(now.size() + 1, 0);
  for (std::size_t i = 1; i <= before.size(); ++i) {
    for (std::size_t j = 1; j <= now.size(); ++j)
      current[j] =
          before[i - 1] == now[j - 1] ? previous[j - 1] + 1 : std::max(previous[j], current[j - 1]);
    std::swap(previous, current);
  }
  const int common = previous[now.size()];
  RowDiff diff;
  diff.removed = static_cast<int>(before.size()) - common;
  diff.added = static_cast<int>(now.size()) - common;
  diff.changed = std::min(diff.removed, diff.added);
  diff.removed -= diff.changed;
  diff.added -= diff.changed;
  return diff;
}

}  // namespace hdmjm
