// The findings window: what it lists and counts, a double click opening the finding's page at
// its row and column, the strip view's pictures, and the question before saving over errors.
#include "app/findings_window.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <fstream>

#include "app/strip_view.h"
#include "app_fixture.h"
#include "pages/table_page.h"

namespace hdmjm::test {
namespace {

class FindingsTest : public ::testing::Test {
 protected:
  FindingsTest() {
    RoadRecordList records;
    auto& road = *records.emplace_back(std::make_unique<RoadSectionStore>());
    road.roadName = "连接线";
    road.chainBreaks = {{0, 1000, "LK", "LK"}};
    SetDefaults(road, {0, 1000});
    road.fillClasses = {{500, 0}, {400, 1}, {1000, 0}};             // row 2 goes back
    road.widthLimits[kLeft] = {{300, 20}, {3000, 25}, {1000, 30}};  // row 3 after a typo
    session.ReplaceRoads(std::move(records));
    for (PageEntry entry : hdmjm::MainSheetPages()) {
      if (entry.className == "SetDlg") entry.create = &CreatePlaceholder;
      pages.push_back(entry);
    }
  }
  // Double-clicks the list row whose table is `table`.
  void OpenFinding(FindingsWindow& window, const std::string& table) {
    QTableWidget& list = *window.List();
    for (int row = 0; row < list.rowCount(); ++row)
      if (list.item(row, 1)->text().toStdString() == table) {
        const QPoint at = list.visualItemRect(list.item(row, 1)).center();
        // An item view opens on a double click where the button was pressed.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        return;
      }
    ADD_FAILURE() << "no finding in " << table;
  }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
  std::vector<PageEntry> pages;
};

TEST_F(FindingsTest, ADoubleClickOpensTheFindingsPageWithTheFocusOnItsRowAndColumn) {
  HDMJM sheet(context, nullptr, pages);
  sheet.show();
  PageOpener opener(context, &sheet, {});
  FindingsWindow window(context, opener, &sheet);
  window.show();
  EXPECT_EQ(window.List()->rowCount(), 2);
  EXPECT_EQ(window.Counts()->text().toStdString(), "连接线: 2 处错误, 0 处警告");
  window.SeverityBox()->setCurrentIndex(FindingsWindow::kWarnings);
  EXPECT_EQ(window.List()->rowCount(), 0);
  window.SeverityBox()->setCurrentIndex(FindingsWindow::kAll);

  OpenFinding(window, "填方分类");
  EXPECT_EQ(sheet.Tabs()->tabText(sheet.Tabs()->currentIndex()).toStdString(), "填方分类");
  auto* fill = dynamic_cast<TablePage*>(sheet.Page(sheet.Tabs()->currentIndex()));
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(fill->Grid().GetFocusCell(), (CellId{2, 1}));

  std::string tab;
  CellId focus;
  ModalWatcher watcher([&](QDialog* dialog) {
    auto* side = qobject_cast<PropertySheet*>(dialog);
    tab = side->Tabs()->tabText(side->Tabs()->currentIndex()).toStdString();
    if (auto* page = dynamic_cast<TablePage*>(side->Page(side->Tabs()->currentIndex())))
      focus = page->Grid().GetFocusCell();
    dialog->reject();
  });
  OpenFinding(window, "左横断面限制宽度");
  EXPECT_EQ(tab, "左路基限宽");
  EXPECT_EQ(focus, (CellId{3, 1}));
}

TEST_F(FindingsTest, TheStripViewWritesItsPictureAsPngSvgOrPdf) {
  StripView strip;
  strip.resize(900, 600);
  strip.SetRoad(session.Record(0), CheckRoad(*session.Record(0)));
  ScratchDir scratch;
  for (auto [name, signature] :
       {std::pair{"strip.png", "\x89PNG"}, {"strip.svg", "<?xml"}, {"strip.pdf", "%PDF"}}) {
    ASSERT_TRUE(strip.Export(scratch.File(name))) << name;
    std::string head(5, '\0');
    std::ifstream(scratch.File(name), std::ios::binary).read(head.data(), 5);
    EXPECT_EQ(head.substr(0, std::string(signature).size()), signature) << name;
  }
  EXPECT_FALSE(strip.Export(scratch.File("no folder/strip.png")));
}

TEST_F(FindingsTest, OkAsksOnceWhetherToSaveOverErrorsAndSavesUnlessTheDesignerGoesBack) {
  EXPECT_TRUE(SaveDespiteErrors(session.RoadRecords(), recorders.messages));  // the default
  recorders.messages.answers = {1};
  EXPECT_FALSE(SaveDespiteErrors(session.RoadRecords(), recorders.messages));
  EXPECT_EQ(
      recorders.messages.texts,
      std::vector<std::string>(2, "检查数据发现2处错误 (可按“检查数据...”查看)。仍然存入吗?"));
  session.Record(0)->fillClasses.clear();
  session.Record(0)->widthLimits[kLeft].pop_back();
  session.Record(0)->widthLimits[kLeft].back().endStation = 1000;
  recorders.messages.texts.clear();
  EXPECT_TRUE(SaveDespiteErrors(session.RoadRecords(), recorders.messages));
  EXPECT_TRUE(recorders.messages.texts.empty());
}

}  // namespace
}  // namespace hdmjm::test
