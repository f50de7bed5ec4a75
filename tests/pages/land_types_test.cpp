// The land-use type page: its 用地类型 column edits through the project's land-use type list,
// learns a new type in the list file, and stores any text whole.
#include "grid/inplacelist.h"
#include "page_fixture.h"
#include "store/codec.h"

namespace hdmjm::test {
namespace {

TEST_F(PageTest, TheLandUseColumnOffersTheProjectListAndLearnsANewTypeInItsFile) {
  ScratchDir scratch;
  const auto base = scratch.path() / "base";
  std::filesystem::create_directories(base / "改移道路" / "data");
  WriteTextFile(scratch.path() / "workdir", base.string() + "\n");
  WriteTextFile(base / "改移道路" / "project", "方案1\n");
  const auto file = base / "改移道路" / "data" / "ydlx.方案1";
  SchemeSession project{scratch.path()};
  RoadRecordList records;
  records.push_back(std::make_unique<RoadSectionStore>());
  records.back()->landTypes = {{500, "水稻田"}, {900, "无名 荒地"}};
  project.ReplaceRoads(std::move(records));
  const PageContext projectContext{project, recorders.messages, files, recorders.trace};
  const PageEntry& entry = EntryOf("CYDLX1");
  auto created = entry.create(entry, projectContext);
  auto& page = dynamic_cast<TablePage&>(*created);
  page.show();
  page.Initialize();
  CGridCtrl& grid = page.Grid();
  EXPECT_EQ(grid.GetItemText(2, 2).toStdString(), "无名 荒地");

  ClickCell(grid, 1, 2);
  ClickCell(grid, 1, 2);  // a click on the focus cell opens its editor
  auto* list = qobject_cast<InPlaceList*>(grid.InPlaceEditor());
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isEditable());
  EXPECT_EQ(list->currentText().toStdString(), "水稻田");
  EXPECT_EQ(ReadTextFile(file)->text, "1\n水稻田\n");  // created on first use
  list->setEditText("旱地");
  QTest::keyClick(list, Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(ReadTextFile(file)->text, "2\n水稻田\n旱地\n");

  page.Commit();
  EXPECT_EQ(project.Record(0)->landTypes,
            (std::vector<LandTypeRow>{{500, "旱地"}, {900, "无名 荒地"}}));
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(PageTest, CodeColumnsOfferTheirLabelsAndAnEmptyCodeCellStoresTheLastCode) {
  Record().arcSlopes[kLeft] = {{0, 10, 1, 2, 1}};
  TablePage& page = Open("LARCBPDlg");
  CGridCtrl& grid = page.Grid();
  EXPECT_EQ(grid.GetItemText(1, 5).toStdString(), "1-路堤坡脚");
  Type(grid, 1, 4, "3");
  ClickCell(grid, 1, 5);
  ClickCell(grid, 1, 5);
  auto* list = qobject_cast<InPlaceList*>(grid.InPlaceEditor());
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->isEditable());
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->itemText(3).toStdString(), "3-路堑坡顶");
  QTest::keyClick(list, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QTest::keyClick(&grid, Qt::Key_Delete);  // empties the code cell
  page.Commit();
  EXPECT_EQ(Record().arcSlopes[kLeft], (std::vector<ArcSlopeRow>{{0, 10, 1, 3, 3}}));
  page.Refill();
  EXPECT_EQ(page.Grid().GetItemText(1, 5).toStdString(), "3-路堑坡顶");
}

}  // namespace
}  // namespace hdmjm::test
