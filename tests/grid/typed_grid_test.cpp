// The typed grid: the editor each column gets from the choices its page gave it, and every
// change of a cell, typed, cut, pasted or deleted, reaching the owner through the end-edit path.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTest>

#include "grid/inplaceedit.h"
#include "grid/inplacelist.h"
#include "grid/typedgridctrl.h"

namespace hdmjm {
namespace {

const QStringList kArcPositions{"0-路堤坡顶", "1-路堤坡脚", "2-路堑坡脚", "3-路堑坡顶"};

class TypedGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(900, 200);
    grid.SetRowCount(3);
    grid.SetColumnCount(17);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int c = 0; c < 17; ++c) {
      grid.SetColumnWidth(c, 50);
      for (int r = 1; r < 3; ++r) grid.SetItemText(r, c, "1.5");
    }
    grid.show();
    QApplication::setActiveWindow(&grid);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
  }

  // Opens the editor of (row, col) as a click on the focus cell does.
  QWidget* Open(int row, int col) {
    grid.OnEditCell(row, col, kMouseTrigger);
    return grid.InPlaceEditor();
  }
  // Opens (row, col) of a column that offers `items` to choose from.
  InPlaceList* OpenList(int row, int col, const QStringList& items) {
    ColumnChoices choices;
    choices.items = items;
    grid.SetColumnChoices(col, std::move(choices));
    return qobject_cast<InPlaceList*>(Open(row, col));
  }
  // A column whose list is read afresh for each editing and learns what is typed.
  void MakeLearning(int col) {
    ColumnChoices choices;
    choices.editable = true;
    choices.load = [this] { return learnt; };
    choices.learn = [this](const QString& text) {
      if (!learnt.contains(text)) learnt.append(text);
    };
    grid.SetColumnChoices(col, std::move(choices));
  }
  static QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items.append(combo.itemText(i));
    return items;
  }
  void Press(QWidget* editor, Qt::Key key) {
    QTest::keyClick(editor, key);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QStringList learnt{"水稻田"};
  CTypedGridCtrl grid;
};

TEST_F(TypedGrid, AColumnWithItemsOffersThemInOrderAsADropDownList) {
  const QStringList lists[] = {
      {"0-填土", "1-填石"},
      {"一线", "左线", "右线"},
      kArcPositions,
  };
  for (const QStringList& items : lists) {
    InPlaceList* list = OpenList(1, 3, items);
    ASSERT_NE(list, nullptr) << items.front().toStdString();
    EXPECT_EQ(Items(*list), items);
    EXPECT_FALSE(list->isEditable());
    EXPECT_EQ(list->currentIndex(), -1);  // "1.5" is not an item
    Press(list, Qt::Key_Escape);
    EXPECT_EQ(grid.GetItemText(1, 3), "1.5");
  }
}

TEST_F(TypedGrid, ColumnsWithoutChoicesGetTheEditBoxWhateverTheirHeading) {
  grid.SetItemText(0, 3, "填料类型");
  EXPECT_NE(qobject_cast<InPlaceEdit*>(Open(1, 3)), nullptr);
  grid.SetColumnChoices(4, ColumnChoices());
  grid.ClearColumnChoices();
  EXPECT_EQ(grid.ColumnChoicesOf(4), nullptr);
}

TEST_F(TypedGrid, AChosenItemIsStoredAsItsFullText) {
  grid.SetItemText(1, 3, "0-清表土");
  InPlaceList* list = OpenList(1, 3, {"0-清表土", "1-挖淤泥"});
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->currentIndex(), 0);
  Press(list, Qt::Key_Down);
  Press(list, Qt::Key_Return);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 3), "1-挖淤泥");
  EXPECT_TRUE(grid.GetModified());
}

TEST_F(TypedGrid, OneEnterInTheOpenListChoosesTheItemAndEndsEditing) {
  grid.SetItemText(1, 3, "0-填土");
  InPlaceList* list = OpenList(1, 3, {"0-填土", "1-填石"});
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);  // opens the list
  ASSERT_TRUE(list->view()->isVisible());
  QTest::keyClick(list->view(), Qt::Key_Down);
  Press(list->view(), Qt::Key_Return);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 3), "1-填石");
  EXPECT_TRUE(grid.hasFocus());

  // Moving through the closed list with the arrows chooses nothing yet.
  list = OpenList(1, 3, {"0-填土", "1-填石"});
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(grid.InPlaceEditor(), list);
  Press(list, Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(1, 3), "0-填土");
}

TEST_F(TypedGrid, OneClickOnAnItemOfTheOpenListChoosesItAndEndsEditing) {
  InPlaceList* list = OpenList(1, 1, kArcPositions);
  ASSERT_NE(list, nullptr);
  list->showPopup();
  ASSERT_TRUE(list->view()->isVisible());
  // The list ignores a release that comes as fast as the second half of a double click.
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  const QRect item = list->view()->visualRect(list->model()->index(2, 0));
  QTest::mouseClick(list->view()->viewport(), Qt::LeftButton, {}, item.center());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 1), "2-路堑坡脚");
}

TEST_F(TypedGrid, EscapeInTheOpenListClosesItAndTheNextEscapeRestoresTheText) {
  grid.SetItemText(1, 3, "0-填土");
  InPlaceList* list = OpenList(1, 3, {"0-填土", "1-填石"});
  ASSERT_NE(list, nullptr);
  list->showPopup();
  QTest::keyClick(list->view(), Qt::Key_Down);
  Press(list->view(), Qt::Key_Escape);
  EXPECT_FALSE(list->view()->isVisible());
  EXPECT_EQ(grid.InPlaceEditor(), list);
  Press(list, Qt::Key_Escape);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 3), "0-填土");
  EXPECT_FALSE(grid.GetModified());
}

TEST_F(TypedGrid, AClosedListShowsTheWholeTextWhereTheColumnHoldsIt) {
  const QString text = QStringLiteral("0-路堤坡顶");
  grid.SetItemText(1, 4, text);
  const int textWidth = grid.fontMetrics().horizontalAdvance(text);
  grid.SetColumnWidth(4, textWidth + 12);  // room for the text in the cell, not for an arrow
  InPlaceList* list = OpenList(1, 4, kArcPositions);
  ASSERT_NE(list, nullptr);
  QStyleOptionComboBox option;
  option.initFrom(list);
  option.editable = false;
  const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, list);
  EXPECT_GE(field.width(), textWidth);
  EXPECT_EQ(list->x(), grid.GetCellRect(1, 4).x());
}

TEST_F(TypedGrid, AListEndsWhenTheFocusLeavesButNotWhileItsListIsOpen) {
  grid.SetItemText(1, 3, "0-填土");
  InPlaceList* list = OpenList(1, 3, {"0-填土", "1-填石"});
  ASSERT_NE(list, nullptr);
  list->showPopup();
  EXPECT_EQ(grid.InPlaceEditor(), list);
  list->hidePopup();
  list->setCurrentIndex(1);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(2, 5).center());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 3), "1-填石");
  EXPECT_EQ(grid.GetFocusCell(), (CellId{2, 5}));
}

TEST_F(TypedGrid, CtrlWithAnArrowEndsAListAndEditsTheNextCell) {
  InPlaceList* list = OpenList(1, 3, {"0-填土", "1-填石"});
  ASSERT_NE(list, nullptr);
  list->setCurrentIndex(0);
  QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(grid.GetItemText(1, 3), "0-填土");
  auto* next = qobject_cast<InPlaceList*>(grid.InPlaceEditor());
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Row(), 2);
}

TEST_F(TypedGrid, AnEditableListOffersWhatItLoadsAndLearnsATypedText) {
  MakeLearning(2);
  auto* list = qobject_cast<InPlaceList*>(Open(1, 2));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isEditable());
  EXPECT_EQ(Items(*list), QStringList{"水稻田"});
  EXPECT_EQ(list->currentText(), "1.5");  // not an item: kept in the edit field
  list->setEditText("旱地");
  Press(list, Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(1, 2), "旱地");
  list = qobject_cast<InPlaceList*>(Open(2, 2));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Items(*list), (QStringList{"水稻田", "旱地"}));
  list->setCurrentIndex(0);
  Press(list, Qt::Key_Return);
  EXPECT_EQ(learnt, (QStringList{"水稻田", "旱地"}));  // a listed type is not learnt again
}

TEST_F(TypedGrid, EscapeInAnEditableListKeepsTheCellAndTeachesTheListNothing) {
  learnt = {"水田"};
  MakeLearning(2);
  grid.SetItemText(1, 2, "旱地");  // a type the list does not hold
  auto* list = qobject_cast<InPlaceList*>(Open(1, 2));
  ASSERT_NE(list, nullptr);
  list->lineEdit()->insert(QStringLiteral("林地"));  // as an input method commits it
  Press(list->lineEdit(), Qt::Key_Escape);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 2), "旱地");
  EXPECT_EQ(learnt, QStringList{"水田"});
  EXPECT_FALSE(grid.GetModified());
}

TEST_F(TypedGrid, AnEditableListOffersEveryItemItLoads) {
  for (int i = 0; i < 60; ++i) learnt.append(QStringLiteral("类%1").arg(i));
  MakeLearning(2);
  auto* list = qobject_cast<InPlaceList*>(Open(1, 2));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), 61);
  Press(list, Qt::Key_Escape);
}

TEST_F(TypedGrid, PasteCutAndDeleteReachTheOwnerThroughTheEndEditPathLikeTyping) {
  MakeLearning(2);
  QSignalSpy ends(&grid, &CGridCtrl::EditEnd);
  grid.SetFocusCell(1, 1);
  QGuiApplication::clipboard()->setText("7\t林地\n8\t1.5\n");
  QTest::keyClick(&grid, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid.GetItemText(1, 2), "林地");
  EXPECT_TRUE(learnt.contains("林地"));  // learnt as if typed
  ASSERT_EQ(ends.count(), 3);            // (1,1), (1,2), (2,1); (2,2) kept its text
  EXPECT_EQ(ends.at(2), (QList<QVariant>{2, 1}));

  ends.clear();
  QTest::keyClick(&grid, Qt::Key_Delete);
  ASSERT_EQ(ends.count(), 1);
  EXPECT_EQ(ends.at(0), (QList<QVariant>{1, 1}));
  EXPECT_EQ(grid.GetItemText(1, 1), "");

  ends.clear();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(2, 1).center());
  QTest::keyClick(&grid, Qt::Key_X, Qt::ControlModifier);
  ASSERT_EQ(ends.count(), 1);
  EXPECT_EQ(grid.GetItemText(2, 1), "");
}

}  // namespace
}  // namespace hdmjm
