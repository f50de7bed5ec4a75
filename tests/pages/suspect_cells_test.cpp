// Number cells whose text is not a plain number: drawn as suspect, with a tooltip of what they
// become, and told once when the page stores them.
#include "pages/suspect_cells.h"

#include <QHelpEvent>
#include <QToolTip>

#include "page_fixture.h"

namespace hdmjm::test {
namespace {

QColor CellColour(CGridCtrl& grid, int row, int col) {
  grid.viewport()->repaint();
  return grid.viewport()->grab().toImage().pixelColor(grid.GetCellRect(row, col).topLeft() +
                                                      QPoint(3, 3));
}

TEST_F(PageTest, SuspectCellsAreDrawnTippedAndToldOnceWhenStored) {
  Record().widthLimits[kLeft] = {{100, 20}, {200, 30}};
  TablePage& page = Open("LUJXKFD");
  CGridCtrl& grid = page.Grid();
  Type(grid, 1, 1, "1e309");
  Type(grid, 1, 2, "12abc");
  Type(grid, 2, 2, "abc");
  Type(grid, 2, 1, "250");
  const QColor suspect = QColor::fromRgb(kSuspectCellColor);
  for (auto [row, col, marked] :
       {std::tuple{1, 1, true}, {1, 2, true}, {2, 2, true}, {2, 1, false}})
    EXPECT_EQ(CellColour(grid, row, col) == suspect, marked) << row << "," << col;

  QHelpEvent help(QEvent::ToolTip, grid.GetCellRect(1, 2).center(),
                  grid.viewport()->mapToGlobal(grid.GetCellRect(1, 2).center()));
  QApplication::sendEvent(grid.viewport(), &help);
  EXPECT_EQ(QToolTip::text(), QStringLiteral("“12abc” 不是一个数, 存入时为 12"));

  page.Commit();
  EXPECT_EQ(Record().widthLimits[kLeft], (std::vector<WidthLimitRow>{{0, 12}, {250, 0}}));
  ASSERT_EQ(recorders.messages.texts.size(), 1u);
  EXPECT_EQ(recorders.messages.texts[0],
            "以下单元格的内容不是一个数, 已存入所示的数 (取开头的数字, 没有数字则为 0):\n"
            "第1行 分段终里程: “1e309” 存为 0\n第1行 限宽(m): “12abc” 存为 12\n"
            "第2行 限宽(m): “abc” 存为 0");
  page.Commit();  // told already
  Type(grid, 2, 2, "7x");
  page.Commit();  // only the new text
  ASSERT_EQ(recorders.messages.texts.size(), 2u);
  EXPECT_NE(recorders.messages.texts[1].find("第2行 限宽(m): “7x” 存为 7"), std::string::npos);
}

}  // namespace
}  // namespace hdmjm::test
