// The typed grid: the editor each heading gets, the land-use type list file and the
// "2-路肩沟" rule.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTest>
#include <fstream>
#include <iterator>

#include "grid/inplaceedit.h"
#include "grid/inplacelist.h"
#include "grid/typedgridctrl.h"
#include "store/codec.h"
#include "store/test_support.h"

namespace hdmjm {
namespace {

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

  // A project whose workdir file names the scratch folder, with scheme "方案1".
  std::filesystem::path MakeProject() {
    const auto base = scratch.path() / "base";
    std::filesystem::create_directories(base / "改移道路" / "data");
    WriteTextFile(scratch.path() / "workdir", base.string() + "\n");
    WriteTextFile(base / "改移道路" / "project", "方案1\n");
    grid.SetProjectContext(scratch.path(), &paths, &messages);
    return base / "改移道路" / "data" / "ydlx.方案1";
  }

  // Opens the editor of (row, col) under heading `heading` as a click on the focus cell does.
  QWidget* Open(int row, int col, const QString& heading) {
    grid.SetItemText(0, col, heading);
    grid.OnEditCell(row, col, kMouseTrigger);
    return grid.InPlaceEditor();
  }
  InPlaceList* OpenList(int row, int col, const QString& heading) {
    return qobject_cast<InPlaceList*>(Open(row, col, heading));
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
  static std::string FileText(const std::filesystem::path& path) {
    const auto file = ReadTextFile(path);
    return file ? file->text : "(missing)";
  }

  test::ScratchDir scratch;
  test::RecordingMessages messages;
  ProjectPaths paths;
  CTypedGridCtrl grid;
};

TEST_F(TypedGrid, EachCodedHeadingOffersItsLabelsInOrderAsADropDownList) {
  const std::pair<QString, QStringList> expected[] = {
      {"填料类型", {"0-填土", "1-填石"}},
      {"清表土性质", {"0-清表土", "1-挖淤泥"}},
      {"线路性质", {"一线", "左线", "右线"}},
      {"类型", {"0-坡脚墙", "1-水沟", "2-路肩沟"}},
      {"设置位置", {"0-路堤坡顶", "1-路堤坡脚", "2-路堑坡脚", "3-路堑坡顶"}},
  };
  for (const auto& [heading, items] : expected) {
    InPlaceList* list = OpenList(1, 3, heading);
    ASSERT_NE(list, nullptr) << heading.toStdString();
    EXPECT_EQ(Items(*list), items) << heading.toStdString();
    EXPECT_FALSE(list->isEditable());
    EXPECT_EQ(list->currentIndex(), -1);  // "1.5" is not an item
    Press(list, Qt::Key_Escape);
    EXPECT_EQ(grid.GetItemText(1, 3), "1.5");
  }
}

TEST_F(TypedGrid, OtherHeadingsGetTheEditBox) {
  QWidget* editor = Open(1, 3, "分段终里程");
  EXPECT_NE(qobject_cast<InPlaceEdit*>(editor), nullptr);
  EXPECT_TRUE(CTypedGridCtrl::TypedItems("类型 ").isEmpty());
}

TEST_F(TypedGrid, AChosenItemIsStoredAsItsFullText) {
  grid.SetItemText(1, 3, "0-清表土");
  InPlaceList* list = OpenList(1, 3, "清表土性质");
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
  InPlaceList* list = OpenList(1, 3, "填料类型");
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);  // opens the list
  ASSERT_TRUE(list->view()->isVisible());
  QTest::keyClick(list->view(), Qt::Key_Down);
  Press(list->view(), Qt::Key_Return);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 3), "1-填石");
  EXPECT_TRUE(grid.hasFocus());

  // Moving through the closed list with the arrows chooses nothing yet.
  list = OpenList(1, 3, "填料类型");
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(grid.InPlaceEditor(), list);
  Press(list, Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(1, 3), "0-填土");
}

TEST_F(TypedGrid, OneClickOnAnItemOfTheOpenListChoosesItAndEndsEditing) {
  InPlaceList* list = OpenList(1, 1, "设置位置");
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
  InPlaceList* list = OpenList(1, 3, "填料类型");
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
  InPlaceList* list = OpenList(1, 4, "设置位置");
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
  InPlaceList* list = OpenList(1, 3, "填料类型");
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
  InPlaceList* list = OpenList(1, 3, "填料类型");
  ASSERT_NE(list, nullptr);
  list->setCurrentIndex(0);
  QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(grid.GetItemText(1, 3), "0-填土");
  auto* next = qobject_cast<InPlaceList*>(grid.InPlaceEditor());
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Row(), 2);
}

TEST_F(TypedGrid, ChoosingTheShoulderDitchZeroesTheBermAndWeirCellsOfItsRow) {
  InPlaceList* list = OpenList(1, 1, "类型");
  ASSERT_NE(list, nullptr);
  list->setCurrentIndex(2);
  Press(list, Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(1, 1), "2-路肩沟");
  for (int col = 2; col < 17; ++col) {
    const bool zeroed = col == 4 || col == 5 || col == 8 || col == 9 || col == 11 || col == 12 ||
                        col == 15 || col == 16;
    EXPECT_EQ(grid.GetItemText(1, col), zeroed ? "0" : "1.5") << "column " << col;
    EXPECT_EQ(grid.GetItemText(2, col), "1.5");
  }
}

TEST_F(TypedGrid, WithoutAProjectTheLandUseListIsTheDefaultItem) {
  InPlaceList* list = OpenList(1, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isEditable());
  EXPECT_EQ(Items(*list), QStringList{"水稻田"});
  EXPECT_EQ(list->currentText(), "1.5");  // not an item: kept in the edit field
}

TEST_F(TypedGrid, ATypedLandUseTypeIsAppendedToTheDefaultListFile) {
  const auto file = MakeProject();
  InPlaceList* list = OpenList(1, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(FileText(file), "1\n水稻田\n");  // created on first use
  EXPECT_EQ(Items(*list), QStringList{"水稻田"});
  list->setEditText("旱地");
  Press(list, Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(1, 2), "旱地");
  EXPECT_EQ(FileText(file), "2\n水稻田\n旱地\n");

  list = OpenList(2, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Items(*list), (QStringList{"水稻田", "旱地"}));
  list->setCurrentIndex(0);
  Press(list, Qt::Key_Return);
  EXPECT_EQ(FileText(file), "2\n水稻田\n旱地\n");  // a listed type is not added again
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TypedGrid, EscapeInTheLandUseCellKeepsTheCellAndTheListFileAsTheyWere) {
  const auto file = MakeProject();
  WriteTextFile(file, "1\n水田\n");
  grid.SetItemText(1, 2, "旱地");  // a type the file does not list
  QWidget* editor = Open(1, 2, "用地类型");
  ASSERT_NE(editor, nullptr);
  auto* list = qobject_cast<InPlaceList*>(editor);
  ASSERT_NE(list, nullptr);
  list->lineEdit()->insert(QStringLiteral("林地"));  // as an input method commits it
  Press(list->lineEdit(), Qt::Key_Escape);
  EXPECT_EQ(grid.InPlaceEditor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 2), "旱地");
  EXPECT_EQ(FileText(file), "1\n水田\n");
  EXPECT_FALSE(grid.GetModified());
}

TEST_F(TypedGrid, TheLandUseListHoldsEveryItemAndNoMoreThanTheFileHas) {
  const auto file = MakeProject();
  WriteTextFile(file, "5\n水田\n旱地\n");
  InPlaceList* list = OpenList(1, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Items(*list), (QStringList{"水田", "旱地"}));
  Press(list, Qt::Key_Escape);

  std::string text = "60\n";
  for (int i = 0; i < 60; ++i) text += "类" + std::to_string(i) + "\n";
  WriteTextFile(file, text);
  list = OpenList(1, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), 60);
  list->setEditText("林地");
  Press(list, Qt::Key_Tab);
  EXPECT_EQ(FileText(file), "61\n" + text.substr(3) + "林地\n");
}

TEST_F(TypedGrid, AGbkListFileStaysGbk) {
  const auto file = MakeProject();
  const std::string gbk = Utf8ToGbk("1\n水田\n");
  {
    std::ofstream out(file, std::ios::binary);
    out << gbk;
  }
  InPlaceList* list = OpenList(1, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Items(*list), QStringList{"水田"});
  list->setEditText("旱地");
  Press(list, Qt::Key_Return);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, Utf8ToGbk("2\n水田\n旱地\n"));
}

TEST_F(TypedGrid, AnUnresolvedProjectTouchesNoFileAndTellsTheDesigner) {
  grid.SetProjectContext(scratch.path(), &paths, &messages);  // no workdir file
  InPlaceList* list = OpenList(1, 2, "用地类型");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Items(*list), QStringList{"水稻田"});
  EXPECT_FALSE(messages.texts.empty());
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "data"));
}

TEST(LandTypeFile, ReadingTakesTheCountThenThatManyWords) {
  EXPECT_EQ(ParseLandTypeList("2\n水田\n旱地\n林地\n"), (std::vector<std::string>{"水田", "旱地"}));
  EXPECT_EQ(ParseLandTypeList("3\n水 田\n"), (std::vector<std::string>{"水", "田"}));
  EXPECT_TRUE(ParseLandTypeList("0\n水田\n").empty());
  EXPECT_TRUE(ParseLandTypeList("x\n水田\n").empty());
  EXPECT_TRUE(ParseLandTypeList("99999999999999999999\n").empty());
  EXPECT_EQ(FormatLandTypeList({"水田", "旱地"}), "2\n水田\n旱地\n");
}

}  // namespace
}  // namespace hdmjm
