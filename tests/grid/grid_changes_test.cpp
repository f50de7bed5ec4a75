// The grid's one change path driven with keys and the mouse: each kind of change reported once
// and applied backwards and forwards, a paste that brings every row, the context menu, and the
// undo and redo keys stepping an attached history.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QUndoStack>

#include "grid/inplacelist.h"
#include "grid/typedgridctrl.h"

namespace hdmjm {
namespace {

// What a page makes of a reported change: one step of its history, already done when pushed.
class EditCommand : public QUndoCommand {
 public:
  EditCommand(CGridCtrl& grid, const GridEdit& edit) : grid_(grid), edit_(edit) {}
  void undo() override { grid_.ApplyEdit(edit_, false); }
  void redo() override {
    if (!std::exchange(first_, false)) grid_.ApplyEdit(edit_, true);
  }

 private:
  CGridCtrl& grid_;
  GridEdit edit_;
  bool first_ = true;
};

// A page-like grid: headings, numbered table rows of "r,c" texts, (1, 3) read-only, and a
// read-only append row; the table holds at most four rows, which its owner numbers.
class GridChangePath : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(500, 300);
    grid.SetTable({1, 4, [this](int rows) {
                     while (grid.GetTableRowCount() < rows)
                       grid.InsertRow("", grid.GetRowCount() - 1);
                     while (grid.GetTableRowCount() > rows) grid.DeleteRow(grid.GetRowCount() - 2);
                     for (int r = 1; r < grid.GetRowCount(); ++r)
                       grid.SetItemText(r, 0, QString::number(r));
                   }});
    ColumnChoices fills;
    fills.items = QStringList{"0-填土", "1-填石"};
    grid.SetColumnChoices(2, std::move(fills));
    QObject::connect(&grid, &CGridCtrl::CellsEdited,
                     [this](const GridEdit& e) { edits.push_back(e); });
    QObject::connect(&grid, &CGridCtrl::PasteLeftOut, [this](int lines) { leftOut += lines; });
    Fill(2);
    grid.show();
    QApplication::setActiveWindow(&grid);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
  }
  void Fill(int tableRows) {
    grid.SetRowCount(0);
    grid.SetRowCount(tableRows + 2);
    grid.SetColumnCount(4);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int r = 0; r < grid.GetRowCount(); ++r)
      for (int c = 0; c < 4; ++c)
        grid.SetItemText(r, c, c ? QString("%1,%2").arg(r).arg(c) : QString::number(r));
    for (int c = 0; c < 4; ++c) grid.SetItemState(tableRows + 1, c, GridCell::kReadOnly);
    grid.SetItemState(1, 3, GridCell::kReadOnly);
    grid.SetFocusCell(1, 1);
    edits.clear();
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
  std::vector<GridEdit> edits;
  int leftOut = 0;
};

TEST_F(GridChangePath, EachChangeIsReportedOnceWithWhatItTriggeredAndAppliesBothWays) {
  // Column 1 is mirrored into the read-only column 3, as a page rule would.
  QObject::connect(&grid, &CGridCtrl::EditEnd, [this](int row, int col) {
    if (col == 1) grid.SetItemText(row, 3, grid.GetItemText(row, 1) + "!");
  });
  struct Case {
    const char* name;
    GridEditKind kind;
    std::function<void()> act;
    CellId focus;
  };
  const Case cases[] = {
      {"typed", GridEditKind::Edited, [&] { Key('7'), Key(Qt::Key_Return); }, {1, 1}},
      {"chosen",
       GridEditKind::Edited,
       [&] { Click(1, 2), Click(1, 2), Key(Qt::Key_Down), Key(Qt::Key_Return); },
       {1, 2}},
      {"delete",
       GridEditKind::Deleted,
       [&] { Click(2, 2), Click(1, 1, Qt::ShiftModifier), Key(Qt::Key_Delete); },
       {1, 1}},
      {"cut", GridEditKind::Cut, [&] { Click(2, 1), Key(Qt::Key_X, Qt::ControlModifier); }, {2, 1}},
      {"paste", GridEditKind::Pasted, [&] { Paste("p\tq\nr\ts\nt\tu"); }, {1, 1}},
  };
  for (const Case& c : cases) {
    Fill(2);
    const QStringList before = Texts();
    c.act();
    ASSERT_EQ(edits.size(), 1u) << c.name;
    const GridEdit edit = edits.front();
    const QStringList after = Texts();
    EXPECT_EQ(edit.kind, c.kind) << c.name;
    EXPECT_EQ(edit.focus, c.focus) << c.name;
    EXPECT_NE(after, before) << c.name;
    grid.ApplyEdit(edit, false);
    EXPECT_EQ(Texts(), before) << c.name;
    grid.SetFocusCell(2, 2);
    grid.ApplyEdit(edit, true);
    EXPECT_EQ(Texts(), after) << c.name;
    EXPECT_EQ(grid.GetFocusCell(), c.focus) << c.name;
    EXPECT_EQ(edits.size(), 1u) << c.name;  // applying is no new change
  }
}

TEST_F(GridChangePath, APasteBringsEveryLineAsARowUpToTheRoomAndTellsWhatItLeftOut) {
  struct Case {
    const char* name;
    int tableRows, target;
    QString text;
    int rowsAfter, leftOut;
  };
  for (const Case& c : {Case{"past the last row", 2, 1, "a\tb\tc\nd\nz", 3, 0},
                        Case{"into an empty table", 0, 1, "a\nz", 2, 0},
                        Case{"past the room", 3, 2, "a\nb\nc\nd", 4, 1},
                        Case{"on a full table's append row", 4, 5, "a", 4, 1}}) {
    Fill(c.tableRows);
    const QStringList before = Texts();
    grid.SetFocusCell(c.target, 1);
    Paste(c.text);
    EXPECT_EQ(grid.GetTableRowCount(), c.rowsAfter) << c.name;
    EXPECT_EQ(leftOut, c.leftOut) << c.name;
    const int append = grid.GetRowCount() - 1;
    EXPECT_EQ(grid.GetItemText(append, 0), QString::number(append)) << c.name;  // renumbered
    EXPECT_TRUE(grid.GetItemState(append, 1) & GridCell::kReadOnly) << c.name;
    EXPECT_TRUE(c.leftOut > 0 || grid.GetItemText(append - 1, 1) == c.text.back()) << c.name;
    EXPECT_TRUE(c.tableRows == 0 || grid.GetItemText(1, 3) == "1,3") << c.name;
    ASSERT_EQ(edits.size(), Texts() == before ? 0u : 1u) << c.name;
    if (edits.empty()) continue;
    grid.ApplyEdit(edits.front(), false);
    EXPECT_EQ(Texts(), before) << c.name;
  }
}

TEST_F(GridChangePath, TheContextMenuEnablesWhatCanActAndEndsWithTheOwnersRowActions) {
  QUndoStack stack;
  grid.SetUndoStack(&stack);
  QAction insert("插入一行");
  grid.AddRowAction(&insert);
  struct Case {
    const char* name;
    std::function<void()> setup;
    QStringList enabled;
  };
  for (const Case& c :
       {Case{"read-only cell", [&] { Click(1, 3); }, {"复制"}},
        Case{"append row", [&] { Click(3, 1); }, {"复制", "粘贴"}},
        Case{"selection",
             [&] { Click(2, 2), Click(1, 1, Qt::ShiftModifier); },
             {"剪切", "复制", "粘贴", "删除内容"}},
        Case{"no selection, empty clipboard",
             [&] { grid.SetFocusCell(2, 1), QGuiApplication::clipboard()->clear(); },
             {"删除内容"}},
        Case{"with a history",
             [&] {
               stack.push(new QUndoCommand("x")), stack.push(new QUndoCommand("y"));
               stack.undo(), Click(3, 2);
             },
             {"撤销", "重做", "复制", "粘贴"}}}) {
    Fill(2);
    QGuiApplication::clipboard()->setText("x");
    c.setup();
    const std::unique_ptr<QMenu> menu = grid.CreateContextMenu();
    QStringList enabled;
    for (QAction* action : menu->actions())
      if (action->isEnabled() && action != &insert && !action->isSeparator())
        enabled << action->text();
    EXPECT_EQ(enabled, c.enabled) << c.name;
    ASSERT_GE(menu->actions().size(), 2);
    EXPECT_TRUE(menu->actions().at(menu->actions().size() - 2)->isSeparator());
    EXPECT_EQ(menu->actions().back(), &insert);
  }
}

TEST_F(GridChangePath, UndoAndRedoKeysStepTheHistoryFromTheGridAndFromAnEditorWithNothingToUndo) {
  QUndoStack stack;
  grid.SetUndoStack(&stack);
  QObject::connect(&grid, &CGridCtrl::CellsEdited,
                   [&](const GridEdit& edit) { stack.push(new EditCommand(grid, edit)); });
  Key('7'), Key(Qt::Key_Return);
  grid.SetFocusCell(2, 1);
  Key('8'), Key(Qt::Key_Return);
  struct Step {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString cell11, cell21;
  };
  for (const Step& s :
       {Step{Qt::Key_Z, Qt::ControlModifier, "7", "2,1"},
        Step{Qt::Key_Y, Qt::ControlModifier, "7", "8"},
        Step{Qt::Key_Z, Qt::ControlModifier, "7", "2,1"},
        Step{Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "7", "8"},
        Step{'5', {}, "7", "8"},                              // an editor opens on (2, 1) ...
        Step{Qt::Key_Z, Qt::ControlModifier, "7", "8"},       // ... and undoes its typing
        Step{Qt::Key_Z, Qt::ControlModifier, "7", "2,1"}}) {  // then the grid's
    Key(s.key, s.modifiers);
    EXPECT_EQ(grid.GetItemText(1, 1), s.cell11) << s.key;
    EXPECT_EQ(grid.GetItemText(2, 1), s.cell21) << s.key;
  }
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 1}));
}

}  // namespace
}  // namespace hdmjm
