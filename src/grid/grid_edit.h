// One change a user makes to a grid's texts, free of any window: the cells it altered with their
// texts before and after, the rows a paste added, and the cell where it was made. The grid
// reports each such change to its owner once, and applies one backwards or forwards on request
// (undo and redo). Also the rule of how many rows a paste adds to the table it reaches past.
#pragma once

#include <string>
#include <vector>

#include "grid_core.h"

namespace hdmjm {

enum class GridEditKind {
  Edited,   // an in-place editor ended with a new text, typed or chosen from its list
  Deleted,  // the Delete key or the menu emptied cells
  Cut,
  Pasted,
};

struct CellChange {
  CellId cell;
  std::string before;
  std::string after;
  friend bool operator==(const CellChange&, const CellChange&) = default;
};

struct GridEdit {
  GridEditKind kind = GridEditKind::Edited;
  CellId focus;             // the focus cell when the change was made
  int tableRowsBefore = 0;  // the table's rows before the change and after it
  int tableRowsAfter = 0;
  // Row by row. Cells of rows a paste added hold their texts after the rows were added as
  // `before`.
  std::vector<CellChange> cells;

  bool IsEmpty() const { return cells.empty() && tableRowsBefore == tableRowsAfter; }
};

// Every cell's text, row by row, to tell afterwards which cells a change altered.
struct TextSnapshot {
  int columns = 0;
  std::vector<std::string> texts;
};
TextSnapshot SnapshotTexts(const GridCore& grid);
// The cells whose text differs from the snapshot; a cell the snapshot does not hold had an empty
// text.
std::vector<CellChange> ChangesSince(const TextSnapshot& snapshot, const GridCore& grid);
// Gives every changed cell its text before (backwards) or after (forwards) the change.
void ApplyChanges(GridCore& grid, const std::vector<CellChange>& changes, bool forwards);

struct PasteRows {
  int added = 0;    // rows to add at the table's end before pasting
  int leftOut = 0;  // lines past the rows the table may have
  friend bool operator==(const PasteRows&, const PasteRows&) = default;
};
// The rows a paste of `lines` lines from row `target` on needs beyond the table's last row
// (`tableEnd` is the row after it), when the table may gain at most `room` rows (negative: any
// number). A target past the table's end pastes from its end.
PasteRows PlanPasteRows(int lines, int target, int tableEnd, int room);

}  // namespace hdmjm
