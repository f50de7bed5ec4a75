// Number cells whose text the conversion does not take as it stands ("12abc", "1e309", "abc",
// junk pasted from elsewhere): the C rule stores them all the same (the leading number, 0 for
// none), so they are drawn in a colour of their own with a tooltip saying what will be stored,
// and the designer is told once, when the page stores them, which cells became what.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "grid/gridctrl.h"

namespace hdmjm {

inline constexpr GridColor kSuspectCellColor = Rgb(255, 190, 190);

class SuspectCells : public QObject {
  Q_OBJECT

 public:
  // What the text of a cell of column `col` is stored as; nothing for a column of no numbers.
  using Stored = std::function<std::optional<std::string>(int col, const std::string& text)>;

  // Rows 1 to the last but the append row; every edit of a cell marks it anew.
  SuspectCells(CGridCtrl& grid, Stored stored, QObject* parent = nullptr);

  // Colours every cell by its text; after a fill, or rows inserted or deleted.
  void MarkAll();
  // After a fill: every suspect cell is to be told again.
  void Reset();
  // "第2行 限宽(m): “12abc” 存为 12" for each suspect cell not told since its text was typed,
  // which counts as told from now on.
  std::vector<std::string> Untold();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the cell's text is stored as, when that is not the text as it stands.
  std::optional<std::string> SuspectValue(int row, int col) const;
  void Mark(int row, int col);

  CGridCtrl& grid_;
  Stored stored_;
  std::set<std::tuple<int, int, std::string>> told_;
};

// The one message about the cells of `lines`; empty when there are none.
std::string SuspectMessage(const std::vector<std::string>& lines);

}  // namespace hdmjm
