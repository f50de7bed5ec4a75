// The grid's one change path driven with keys and the mouse: each kind of change one step of an
// attached history, a paste that brings every row, and the context menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QUndoStack>

#include "grid/typedgridctrl.h"

namespace hdmjm {
namespace {

// A page's use of a reported change: one step of its history, done already when pushed.
struct EditCommand : QUndoCommand {
  EditCommand(CGridCtrl& g, const GridEdit& e) : grid(g), edit(e) {}
  void undo() override { grid.ApplyEdit(edit, false); }
  void redo() override {
    if (!std::exchange(first, false)) grid.ApplyEdit(edit, true);
  }
  CGridCtrl& grid;
  GridEdit edit;
  bool first = true;
};

// A page-like grid: numbered table rows of "r,c" texts, (1, 3) read-only, a read-only append
// row, and room for four rows, which the owner numbers.
class GridChangePath : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(500, 300);
    grid.SetTable({1, 4, [this](int rows) {
                     while (grid.GetTableRowCount() < rows)
                       grid.InsertRow("", grid.GetTableRowCount() + 1);
                     while (grid.GetTableRowCount() > rows) grid.DeleteRow(grid.GetTableRowCount());
                     for (int r = 1; r < grid.GetRowCount(); ++r) grid.SetItemText(r, 0, Num(r));
                   }});
    ColumnChoices fills;
    fills.items = QStringList{"0-填土", "1-填石"};
    grid.SetColumnChoices(2, std::move(fills));
    grid.SetUndoStack(&stack);
    QObject::connect(&grid, &CGridCtrl::CellsEdited, [this](const GridEdit& edit) {
      kinds.push_back(edit.kind);
      stack.push(new EditCommand(grid, edit));
    });
    QObject::connect(&grid, &CGridCtrl::PasteLeftOut, [this](int lines) { leftOut += lines; });
    grid.show();
    QApplication::setActiveWindow(&grid);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
  }
  static QString Num(int n) { return QString::number(n); }
  void Fill(int tableRows) {
    grid.SetRowCount(0);
    grid.SetRowCount(tableRows + 2);
    grid.SetColumnCount(4);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int r = 0; r < tableRows + 2; ++r)
      for (int c = 0; c < 4; ++c) grid.SetItemText(r, c, c ? Num(r) + "," + Num(c) : Num(r));
    for (int c = 0; c < 4; ++c) grid.SetItemState(tableRows + 1, c, GridCell::kReadOnly);
    grid.SetItemState(1, 3, GridCell::kReadOnly);
    grid.SetFocusCell(1, 1);
    stack.clear();
    kinds.clear();
    leftOut = 0;
  }
  QStringList Texts() const {
    QStringList texts;
    for (int r = 0; r < grid.GetRowCount(); ++r)
      for (int c = 0; c < 4; ++c) texts << grid.GetItemText(r, c);
    return texts;
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = grid.InPlaceEditor() ? grid.InPlaceEditor() : static_cast<QWidget*>(&grid);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void Click(int row, int col, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers,
                      grid.GetCellRect(row, col).center());
  }
  void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    Key(Qt::Key_V, Qt::ControlModifier);
  }

  CTypedGridCtrl grid;
  QUndoStack stack;
  std::vector<GridEditKind> kinds;
  int leftOut = 0;
};

TEST_F(GridChangePath, EachChangeIsOneStepWithWhatItTriggeredAndTheKeysUndoAndRedoIt) {
  QObject::connect(&grid, &CGridCtrl::EditEnd, [this](int row, int col) {  // as a page rule would
    if (col == 1) grid.SetItemText(row, 3, grid.GetItemText(row, 1) + "!");
  });
  const std::pair<GridEditKind, std::function<void()>> changes[] = {
      {GridEditKind::Edited, [&] { Key('7'), Key(Qt::Key_Return); }},
      {GridEditKind::Edited,
       [&] { Click(1, 2), Click(1, 2), Key(Qt::Key_Down), Key(Qt::Key_Return); }},
      {GridEditKind::Deleted,
       [&] { Click(2, 2), Click(1, 1, Qt::ShiftModifier), Key(Qt::Key_Delete); }},
      {GridEditKind::Cut, [&] { Click(2, 1), Key(Qt::Key_X, Qt::ControlModifier); }},
      {GridEditKind::Pasted, [&] { Paste("p\tq\nr\ts\nt\tu"); }}};
  for (const auto& [kind, change] : changes) {
    Fill(2);
    const QStringList before = Texts();
    change();
    const QStringList after = Texts();
    const CellId focus = grid.GetFocusCell();
    EXPECT_EQ(kinds, std::vector<GridEditKind>{kind});
    grid.SetFocusCell(2, 3);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texts(), before);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Texts(), after);
    EXPECT_EQ(grid.GetFocusCell(), focus);
    EXPECT_EQ(stack.count(), 1);  // applying a step is no new change
  }
  Fill(2);
  Key('8'), Key(Qt::Key_Return), Key('5');
  Key(Qt::Key_Z, Qt::ControlModifier);  // the editor undoes its own typing
  EXPECT_TRUE(grid.InPlaceEditor() && stack.canUndo());
  Key(Qt::Key_Z, Qt::ControlModifier);  // then the key ends it and steps the history
  EXPECT_EQ(grid.GetItemText(1, 1), "1,1");
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(grid.GetItemText(1, 1), "8");
}

TEST_F(GridChangePath, APasteBringsEveryLineAsARowUpToTheRoomAndTellsWhatItLeftOut) {
  struct Case {
    int tableRows, target;
    QString text;
    int rowsAfter, leftOut;
  };
  for (const Case& c : {Case{2, 1, "a\tb\tc\nd\nz", 3, 0}, Case{0, 1, "a\nz", 2, 0},
                        Case{3, 2, "a\nb\nc\nz", 4, 1}, Case{4, 5, "z", 4, 1}}) {
    Fill(c.tableRows);
    const QStringList before = Texts();
    grid.SetFocusCell(c.target, 1);
    Paste(c.text);
    const int append = grid.GetRowCount() - 1;
    EXPECT_EQ(grid.GetTableRowCount(), c.rowsAfter) << c.target;
    EXPECT_EQ(leftOut, c.leftOut) << c.target;
    EXPECT_EQ(grid.GetItemText(append, 0), Num(append)) << c.target;
    EXPECT_EQ(grid.GetItemText(append, 1), Num(c.tableRows + 1) + ",1") << c.target;
    EXPECT_TRUE(c.leftOut > 0 || grid.GetItemText(append - 1, 1) == "z") << c.target;
    EXPECT_TRUE(c.tableRows == 0 || grid.GetItemText(1, 3) == "1,3") << c.target;
    EXPECT_EQ(stack.count(), Texts() == before ? 0 : 1) << c.target;
    stack.undo();
    EXPECT_EQ(Texts(), before) << c.target;
  }
}

TEST_F(GridChangePath, TheContextMenuEnablesWhatCanActAndEndsWithTheOwnersRowActions) {
  QAction insert("插入一行");
  grid.AddRowAction(&insert);
  const std::pair<std::function<void()>, QStringList> cases[] = {
      {[&] { Click(1, 3); }, {"复制"}},          // a read-only cell
      {[&] { Click(3, 1); }, {"复制", "粘贴"}},  // the append row
      {[&] { Click(2, 2), Click(1, 1, Qt::ShiftModifier); }, {"剪切", "复制", "粘贴", "删除内容"}},
      {[&] { grid.SetFocusCell(2, 1), QGuiApplication::clipboard()->clear(); }, {"删除内容"}},
      {[&] { Paste("x"), Paste("y"), stack.undo(), Click(3, 1); },
       {"撤销", "重做", "复制", "粘贴"}}};
  for (const auto& [setup, enabled] : cases) {
    Fill(2);
    QGuiApplication::clipboard()->setText("x");
    setup();
    const std::unique_ptr<QMenu> menu = grid.CreateContextMenu();
    QStringList shown;
    for (QAction* action : menu->actions())
      if (action->isEnabled() && !action->isSeparator()) shown << action->text();
    EXPECT_EQ(shown, enabled + QStringList{"插入一行"});
    EXPECT_TRUE(menu->actions().at(menu->actions().size() - 2)->isSeparator());
  }
}

}  // namespace
}  // namespace hdmjm
