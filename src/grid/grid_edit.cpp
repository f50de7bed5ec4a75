#include "grid_edit.h"

#include <algorithm>

namespace hdmjm {

TextSnapshot SnapshotTexts(const GridCore& grid) {
  TextSnapshot snapshot{grid.GetColumnCount(), {}};
  snapshot.texts.reserve(static_cast<size_t>(grid.GetRowCount()) * grid.GetColumnCount());
  for (int row = 0; row < grid.GetRowCount(); ++row)
    for (int col = 0; col < grid.GetColumnCount(); ++col)
      snapshot.texts.push_back(grid.GetCell(row, col)->text);
  return snapshot;
}

std::vector<CellChange> ChangesSince(const TextSnapshot& snapshot, const GridCore& grid) {
  static const std::string kEmpty;
  std::vector<CellChange> changes;
  for (int row = 0; row < grid.GetRowCount(); ++row) {
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
      const size_t index = static_cast<size_t>(row) * snapshot.columns + col;
      const bool held = col < snapshot.columns && index < snapshot.texts.size();
      const std::string& before = held ? snapshot.texts[index] : kEmpty;
      const std::string& after = grid.GetCell(row, col)->text;
      if (after != before) changes.push_back({{row, col}, before, after});
    }
  }
  return changes;
}

void ApplyChanges(GridCore& grid, const std::vector<CellChange>& changes, bool forwards) {
  for (const CellChange& change : changes)
    grid.SetItemText(change.cell.row, change.cell.col, forwards ? change.after : change.before);
}

PasteRows PlanPasteRows(int lines, int target, int tableEnd, int room) {
  const int needed = std::max(0, std::min(target, tableEnd) + lines - tableEnd);
  const int added = room < 0 ? needed : std::min(needed, room);
  return {added, needed - added};
}

}  // namespace hdmjm
