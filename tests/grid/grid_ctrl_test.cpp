// The grid widget driven with Qt Test's keys, mouse and wheel: navigation, editing in place,
// the clipboard and the notifications.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QWheelEvent>

#include "grid/gridctrl.h"
#include "grid/inplaceedit.h"

namespace hdmjm {
namespace {

class GridWidget : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(420, 300);
    grid.SetRowCount(rows);
    grid.SetColumnCount(cols);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int r = 0; r < rows; ++r) {
      grid.SetRowHeight(r, 20);
      for (int c = 0; c < cols; ++c) grid.SetItemText(r, c, QString("%1,%2").arg(r).arg(c));
    }
    for (int c = 0; c < cols; ++c) grid.SetColumnWidth(c, 70);
    grid.ResetScrollBars();
    grid.show();
    QApplication::setActiveWindow(&grid);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    grid.SetFocusCell(1, 1);
  }

  QPoint Centre(int row, int col) const { return grid.GetCellRect(row, col).center(); }
  InPlaceEdit* Edit() const { return qobject_cast<InPlaceEdit*>(grid.InPlaceEditor()); }
  void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = grid.InPlaceEditor() ? grid.InPlaceEditor() : static_cast<QWidget*>(&grid);
    QTest::keyClick(target, key, modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void Click(int row, int col, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, Centre(row, col));
  }
  // The events of a real double click: press, release, press, double click, release.
  void DoubleClick(int row, int col) {
    Click(row, col);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, Centre(row, col));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, Centre(row, col));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Centre(row, col));
  }
  void Wheel(int delta) {
    QWheelEvent event(Centre(2, 2), grid.viewport()->mapToGlobal(Centre(2, 2)), {}, {0, delta},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &event);
  }

  const int rows = 40;
  const int cols = 5;
  CGridCtrl grid;
};

TEST_F(GridWidget, TabWrapsToTheNextRowAndShiftTabBack) {
  grid.SetFocusCell(1, 4);
  Type(Qt::Key_Tab);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 1}));
  Type(Qt::Key_Backtab);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 4}));
  grid.SetFocusCell(rows - 1, 4);
  Type(Qt::Key_Tab);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{rows - 1, 4}));
}

TEST_F(GridWidget, CtrlWithTabOrAPageKeyIsLeftToTheWidgetsAroundTheGridAndItsEditor) {
  using Press = std::pair<Qt::Key, Qt::KeyboardModifiers>;
  for (auto [key, modifiers] :
       {Press{Qt::Key_Tab, Qt::ControlModifier},
        Press{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
        Press{Qt::Key_PageDown, Qt::ControlModifier}, Press{Qt::Key_PageUp, Qt::ControlModifier}}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&grid, &press);
    EXPECT_FALSE(press.isAccepted()) << key;
    EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1})) << key;
  }
  QTest::keyClicks(&grid, "7");
  ASSERT_NE(Edit(), nullptr);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
  QApplication::sendEvent(Edit(), &press);
  EXPECT_FALSE(press.isAccepted());
  EXPECT_NE(Edit(), nullptr);  // still editing until the focus goes
}

TEST_F(GridWidget, AsksForRoomForItsHeadingAndThreeRowsWhateverItHolds) {
  const int frame = 2 * grid.frameWidth() + grid.horizontalScrollBar()->sizeHint().height();
  EXPECT_GE(grid.minimumSizeHint().height(), frame + 4 * 20);
  grid.SetRowHeight(0, 45);  // a wrapped heading
  EXPECT_GE(grid.minimumSizeHint().height(), frame + 45 + 3 * 20);
  grid.SetRowCount(1);  // rows still to come count at the default height
  EXPECT_GE(grid.minimumSizeHint().height(), frame + 45 + 3 * 18);
  EXPECT_GE(grid.sizeHint().height(), grid.minimumSizeHint().height());
}

TEST_F(GridWidget, ArrowsStayInsideTheOrdinaryCellsAndShiftExtendsFromTheAnchor) {
  Type(Qt::Key_Left);
  Type(Qt::Key_Up);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  Type(Qt::Key_Down, Qt::ShiftModifier);
  Type(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 2}));
  EXPECT_EQ(grid.GetSelectedRange(), (CellRange{1, 1, 2, 2}));
  Type(Qt::Key_Down);
  EXPECT_EQ(grid.GetSelectedRange(), (CellRange{3, 2, 3, 2}));
}

TEST_F(GridWidget, PageDownMovesTheFocusByTheRowsScrolledAndEndGoesToTheLastRow) {
  Type(Qt::Key_PageDown);
  const int top = grid.GetTopLeftNonFixedCell().row;
  EXPECT_GT(top, 1);
  EXPECT_EQ(grid.GetFocusCell().row, top);
  Type(Qt::Key_End);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{rows - 1, 1}));
  EXPECT_TRUE(grid.IsCellVisible(rows - 1, 1));
  Type(Qt::Key_PageDown);  // nothing left to scroll
  EXPECT_EQ(grid.GetFocusCell().row, rows - 1);
  Type(Qt::Key_Home);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
  EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
}

TEST_F(GridWidget, FocusMovesAreNotifiedForTheOldCellAndTheNew) {
  QSignalSpy leaving(&grid, &CGridCtrl::FocusLeaving);
  QSignalSpy entered(&grid, &CGridCtrl::FocusEntered);
  Type(Qt::Key_Right);
  ASSERT_EQ(leaving.count(), 1);
  EXPECT_EQ(leaving.at(0), (QList<QVariant>{1, 1}));
  ASSERT_EQ(entered.count(), 1);
  EXPECT_EQ(entered.at(0), (QList<QVariant>{1, 2}));
}

TEST_F(GridWidget, DeleteEmptiesAnEditableCellOnly) {
  grid.SetItemState(1, 1, GridCell::kReadOnly);
  Type(Qt::Key_Delete);
  EXPECT_EQ(grid.GetItemText(1, 1), "1,1");
  EXPECT_FALSE(grid.GetModified());
  grid.SetFocusCell(1, 2);
  Type(Qt::Key_Delete);
  EXPECT_EQ(grid.GetItemText(1, 2), "");
  EXPECT_TRUE(grid.GetModified());
}

TEST_F(GridWidget, TypingADigitOpensTheEditorWithTheDigitReplacingTheText) {
  QSignalSpy begin(&grid, &CGridCtrl::EditBegin);
  QSignalSpy end(&grid, &CGridCtrl::EditEnd);
  Type(Qt::Key_7);
  ASSERT_NE(Edit(), nullptr);
  EXPECT_EQ(Edit()->text(), "7");
  EXPECT_EQ(Edit()->geometry().topLeft(), grid.GetCellRect(1, 1).topLeft());
  EXPECT_EQ(begin.count(), 1);
  Type(Qt::Key_Return);
  EXPECT_EQ(Edit(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 1), "7");
  EXPECT_TRUE(grid.GetModified());
  EXPECT_EQ(end.count(), 1);
  EXPECT_TRUE(grid.hasFocus());
}

TEST_F(GridWidget, ClickingTheFocusCellOpensTheEditorWithTheCaretAfterTheText) {
  Click(1, 1);
  ASSERT_NE(Edit(), nullptr);
  EXPECT_EQ(Edit()->text(), "1,1");
  EXPECT_FALSE(Edit()->hasSelectedText());
  EXPECT_EQ(Edit()->cursorPosition(), 3);
}

TEST_F(GridWidget, ClickingAnotherCellMovesTheFocusWithoutEditing) {
  QSignalSpy clicked(&grid, &CGridCtrl::Clicked);
  Click(3, 2);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{3, 2}));
  EXPECT_EQ(Edit(), nullptr);
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked.at(0), (QList<QVariant>{3, 2}));
}

TEST_F(GridWidget, EscapeEndsEditingAndTheCellKeepsItsText) {
  QTest::keyClick(&grid, 'x');
  ASSERT_NE(Edit(), nullptr);
  EXPECT_EQ(Edit()->text(), "x");
  Type(Qt::Key_Escape);
  EXPECT_EQ(Edit(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 1), "1,1");
  EXPECT_FALSE(grid.GetModified());
}

TEST_F(GridWidget, AnArrowEndsATypedEditAndGoesOnEditingTheNextCell) {
  Type(Qt::Key_5);
  Type(Qt::Key_Right);
  EXPECT_EQ(grid.GetItemText(1, 1), "5");
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 2}));
  ASSERT_NE(Edit(), nullptr);
  EXPECT_EQ(Edit()->Col(), 2);
  EXPECT_EQ(Edit()->selectedText(), "1,2");
}

TEST_F(GridWidget, AnArrowMovesTheCaretInAnEditStartedWithTheMouse) {
  DoubleClick(2, 2);
  ASSERT_NE(Edit(), nullptr);
  InPlaceEdit* edit = Edit();
  EXPECT_EQ(edit->Row(), 2);
  const int caret = edit->cursorPosition();
  Type(Qt::Key_Left);
  EXPECT_EQ(Edit(), edit);
  EXPECT_EQ(edit->cursorPosition(), caret - 1);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 2}));
}

TEST_F(GridWidget, EditingGrowsTheBoxToTheRightUpToTheClientEdge) {
  grid.SetFocusCell(1, 4);
  Type(Qt::Key_Backspace);
  ASSERT_NE(Edit(), nullptr);
  EXPECT_EQ(Edit()->text(), "1,");
  Edit()->setText(QString(80, 'w'));
  EXPECT_EQ(Edit()->geometry().right(), grid.viewport()->width() - 1);
}

TEST_F(GridWidget, ReadOnlyCellsAreNotEdited) {
  grid.SetItemState(1, 1, GridCell::kReadOnly);
  Type(Qt::Key_7);
  Click(1, 1);
  EXPECT_EQ(Edit(), nullptr);
}

TEST_F(GridWidget, PastingASpreadsheetRowKeepsItsEmptyMiddleCellInItsColumn) {
  QGuiApplication::clipboard()->setText("1.5\t\t3\r\n");
  Type(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid.GetItemText(1, 1), "1.5");
  EXPECT_EQ(grid.GetItemText(1, 2), "");
  EXPECT_EQ(grid.GetItemText(1, 3), "3");
  EXPECT_EQ(grid.GetItemText(2, 1), "2,1");
  EXPECT_TRUE(grid.GetModified());
}

TEST_F(GridWidget, CopyingAroundAnUnselectedMiddleCellLeavesTwoTabs) {
  Click(2, 1);
  Click(2, 3, Qt::ShiftModifier);
  EXPECT_EQ(grid.GetSelectedRange(), (CellRange{2, 1, 2, 3}));
  grid.SetItemState(2, 2, 0);
  Type(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "2,1\t\t2,3");
  Type(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(grid.GetItemText(2, 1), "");
  EXPECT_EQ(grid.GetItemText(2, 2), "2,2");
}

TEST_F(GridWidget, ClickingHeadingsSelectsColumnsRowsOrEverything) {
  Click(0, 2);
  EXPECT_EQ(grid.GetSelectedRange(), (CellRange{1, 2, rows - 1, 2}));
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 2}));
  Click(3, 0);
  EXPECT_EQ(grid.GetSelectedRange(), (CellRange{3, 1, 3, cols - 1}));
  Click(0, 0);
  EXPECT_EQ(grid.GetSelectedRange(), (CellRange{1, 1, rows - 1, cols - 1}));
}

TEST_F(GridWidget, DraggingBeyondTheBottomScrollsAndExtendsTheSelection) {
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, Centre(2, 1));
  QMouseEvent move(QEvent::MouseMove, QPointF(Centre(2, 1).x(), grid.viewport()->height() + 10),
                   grid.viewport()->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::qWait(4 * CGridCtrl::kAutoScrollInterval);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Centre(2, 1));
  EXPECT_GT(grid.GetTopLeftNonFixedCell().row, 1);
  EXPECT_EQ(grid.GetSelectedRange().minRow, 2);
  EXPECT_GT(grid.GetSelectedRange().maxRow, 2);
}

TEST_F(GridWidget, DraggingAHeadingBorderSizesTheColumn) {
  const QRect heading = grid.GetCellRect(0, 2);
  const QPoint border(heading.right() + 1, heading.center().y());
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(25, 0));
  EXPECT_EQ(grid.GetColumnWidth(2), 95);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{1, 1}));
}

TEST_F(GridWidget, AWheelNotchScrollsTheDesktopsLinesPerNotch) {
  QGuiApplication::styleHints()->setWheelScrollLines(3);
  EXPECT_EQ(grid.WheelScrollStep(), 3);
  Wheel(-120);
  EXPECT_EQ(grid.GetTopLeftNonFixedCell().row, 4);
  Wheel(-60);
  Wheel(-60);  // two half notches make one
  EXPECT_EQ(grid.GetTopLeftNonFixedCell().row, 7);
  QGuiApplication::styleHints()->setWheelScrollLines(1);
  Wheel(120);
  EXPECT_EQ(grid.GetTopLeftNonFixedCell().row, 6);
  QGuiApplication::styleHints()->setWheelScrollLines(-1);  // a page per notch
  const int pageStep = grid.verticalScrollBar()->pageStep();
  const int before = grid.verticalScrollBar()->value();
  Wheel(-120);
  EXPECT_EQ(grid.verticalScrollBar()->value(), before + pageStep);
  QGuiApplication::styleHints()->setWheelScrollLines(3);
}

TEST_F(GridWidget, InsertAndDeleteKeepTheFocusRulesAndTheScrollRange) {
  const int range = grid.verticalScrollBar()->maximum();
  EXPECT_EQ(grid.InsertRow("NEW", rows), -1);
  EXPECT_EQ(grid.InsertRow("NEW"), rows);
  EXPECT_EQ(grid.verticalScrollBar()->maximum(), range + grid.GetRowHeight(rows));
  EXPECT_TRUE(grid.DeleteRow(1));
  EXPECT_EQ(grid.GetFocusCell(), CellId{});
  Type(Qt::Key_Down);  // without a focus cell the keys do not move one
  EXPECT_EQ(grid.GetFocusCell(), CellId{});
}

}  // namespace
}  // namespace hdmjm
