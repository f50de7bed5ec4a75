// The sheets as a designer sees them: every page shown lays its controls out without overlaps and
// with room for several rows in each grid, the sheet grows (on the screen) for a page that needs
// it, and the keyboard switches pages and stays with the grids.
#include <gtest/gtest.h>

#include <QScreen>

#include "app/sheets.h"
#include "app_fixture.h"
#include "grid/gridctrl.h"
#include "pages/multi_grid_pages.h"
#include "pages/slope_pages.h"
#include "pages/table_page.h"

namespace hdmjm::test {
namespace {

constexpr int kLimitTab = 0;       // 左路基限宽
constexpr int kEmbankmentTab = 4;  // 左路堤边坡
constexpr int kCutTab = 5;         // 左路堑边坡
constexpr int kLeastRows = 3;      // rows every grid shows at once

// Rows of the grid that show whole below its heading rows, as rows of the first body row's height.
int RowsInView(const CGridCtrl& grid) {
  int heading = 0;
  for (int row = 0; row < grid.GetFixedRowCount(); ++row) heading += grid.GetRowHeight(row);
  const int body = grid.GetRowCount() > grid.GetFixedRowCount()
                       ? grid.GetRowHeight(grid.GetFixedRowCount())
                       : 20;
  return (grid.viewport()->height() - heading) / body;
}

// The page's visible buttons and grids, in the page's coordinates.
std::vector<std::pair<QWidget*, QRect>> Controls(QWidget& page) {
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* child : page.findChildren<QWidget*>()) {
    const bool control = qobject_cast<QPushButton*>(child) || qobject_cast<CGridCtrl*>(child);
    if (control && child->isVisible())
      controls.emplace_back(child, QRect(child->mapTo(&page, QPoint()), child->size()));
  }
  return controls;
}

void ExpectLaidOut(QWidget& page) {
  QCoreApplication::processEvents();
  const auto controls = Controls(page);
  ASSERT_FALSE(controls.empty());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const auto& [widget, rect] = controls[i];
    EXPECT_TRUE(page.rect().contains(rect)) << widget->objectName().toStdString() << " outside";
    for (std::size_t j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(rect.intersects(controls[j].second))
          << widget->objectName().toStdString() << " overlaps "
          << controls[j].first->objectName().toStdString();
    if (auto* grid = qobject_cast<CGridCtrl*>(widget)) {
      EXPECT_GE(RowsInView(*grid), kLeastRows) << grid->objectName().toStdString();
    }
  }
}

void ExpectOnScreen(const QWidget& sheet) {
  const QRect area = sheet.screen()->availableGeometry();
  EXPECT_LE(sheet.frameGeometry().width(), area.width());
  EXPECT_LE(sheet.frameGeometry().height(), area.height());
  EXPECT_TRUE(area.contains(sheet.geometry()))
      << sheet.geometry().x() << "," << sheet.geometry().y() << " " << sheet.width() << "x"
      << sheet.height();
}

class SheetLayout : public ::testing::Test {
 protected:
  SheetLayout() {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = "匝道A";  // a separated line: the associated-section grids show
    SlopeTable& table = records.back()->cutSlopes[kLeft];
    table.rows = {MakeSlopeSegment(100, {{1, 8, 2, 4}, {1.25, 10, 2, 4}})};
    session.ReplaceRoads(std::move(records));
  }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
};

TEST_F(SheetLayout, SlopePagesShowTheirGridsWholeAndTheSheetGrowsOnTheScreen) {
  HDMContainer sheet(context);
  sheet.show();
  const QSize first = sheet.size();
  for (int tab : {kEmbankmentTab, kCutTab}) {
    ClickTab(sheet, tab);
    SCOPED_TRACE(tab);
    ExpectLaidOut(*sheet.Page(tab));
    ExpectOnScreen(sheet);
  }
  EXPECT_GT(sheet.height(), first.height());
  // Back on the first page the sheet keeps its size.
  const QSize grown = sheet.size();
  ClickTab(sheet, kLimitTab);
  QCoreApplication::processEvents();
  EXPECT_EQ(sheet.size(), grown);
  ExpectLaidOut(*sheet.Page(kLimitTab));
}

TEST_F(SheetLayout, EveryPageOfBothSideSheetsIsLaidOutWhole) {
  for (bool left : {true, false})
    VisitSideSheet(left, context, 0, [](PropertySheet& sheet, int tab) {
      SCOPED_TRACE(sheet.Tabs()->tabText(tab).toStdString());
      ExpectLaidOut(*sheet.Page(tab));
      ExpectOnScreen(sheet);
    });
}

TEST_F(SheetLayout, AssociatedSectionPageShowsItsThreeGridsWhole) {
  const std::span<const PageEntry> main = MainSheetPages();
  const auto associated = std::find_if(
      main.begin(), main.end(), [](const PageEntry& entry) { return entry.className == "CGLDM"; });
  ASSERT_NE(associated, main.end());
  const std::vector<PageEntry> pages{main[3], *associated};
  PropertySheet sheet(QStringLiteral("横断面数据"), pages, context);
  sheet.show();
  ClickTab(sheet, 1);
  auto* page = dynamic_cast<CGLDM*>(sheet.Page(1));
  ASSERT_NE(page, nullptr);
  ASSERT_FALSE(page->ForMainLine());
  ExpectLaidOut(*page);
  ExpectOnScreen(sheet);
}

TEST_F(SheetLayout, CtrlTabAndCtrlPageKeysSwitchPagesFromAGridAndPlainTabStaysInIt) {
  HDMContainer sheet(context);
  sheet.show();
  QApplication::setActiveWindow(&sheet);
  const auto grid = [&sheet](int tab) { return sheet.Page(tab)->findChild<CGridCtrl*>(); };
  CGridCtrl& first = *grid(0);
  ASSERT_EQ(QApplication::focusWidget(), &first);
  const CellId start = first.GetFocusCell();

  QTest::keyClick(&first, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
  EXPECT_EQ(first.GetFocusCell(), start);
  EXPECT_EQ(QApplication::focusWidget(), grid(1));
  QTest::keyClick(grid(1), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
  QTest::keyClick(&first, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
  QTest::keyClick(grid(1), Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);

  // From an open editor the page changes too, and the typed text stays in its cell.
  QTest::mouseClick(sheet.Page(0)->findChild<QPushButton*>("insertButton"), Qt::LeftButton);
  first.setFocus();
  const CellId added = first.GetFocusCell();
  QTest::keyClicks(&first, "4");
  ASSERT_NE(first.InPlaceEditor(), nullptr);
  QTest::keyClicks(first.InPlaceEditor(), "5");
  QTest::keyClick(first.InPlaceEditor(), Qt::Key_Tab, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
  EXPECT_EQ(first.GetItemText(added.row, added.col), "45");

  ClickTab(sheet, 0);
  QTest::keyClick(&first, Qt::Key_Tab);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
  EXPECT_EQ(first.GetFocusCell(), (CellId{added.row, added.col + 1}));
}

// Clicks a row button, then types on whatever has the keyboard and presses Enter, as a designer
// does: the grid has it back and its focus cell (the new row's) holds the text; the sheet stays.
void AddRowAndType(QDialog& sheet, QPushButton* button, CGridCtrl& grid, const QString& keys) {
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), &grid);
  const CellId cell = grid.GetFocusCell();
  for (QChar key : keys) QTest::keyClicks(QApplication::focusWidget(), QString(key));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(grid.GetItemText(cell.row, cell.col), keys);
}

TEST_F(SheetLayout, AfterARowButtonTypingEditsTheNewRowAndEnterKeepsTheSheetOpen) {
  HDMContainer sheet(context);
  sheet.show();
  QApplication::setActiveWindow(&sheet);
  // A table page: 左路基限宽, the row inserted above the focus cell's.
  auto& limits = dynamic_cast<TablePage&>(*sheet.Page(kLimitTab));
  AddRowAndType(sheet, limits.Panel(0).insertButton, limits.Grid(), "3000");

  ClickTab(sheet, kEmbankmentTab);
  auto& page = dynamic_cast<SlopeEditorPage&>(*sheet.Page(kEmbankmentTab));
  AddRowAndType(sheet, page.ButtonOf(SlopeEditorPage::kInsertSegment), page.SegmentGrid(), "300");

  QTest::mouseClick(page.ButtonOf(SlopeEditorPage::kShowLevels), Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), &page.LevelGrid());
  Click(page.LevelGrid(), 1, 1);
  AddRowAndType(sheet, page.ButtonOf(SlopeEditorPage::kInsertLevel), page.LevelGrid(), "1.5");
}

}  // namespace
}  // namespace hdmjm::test
