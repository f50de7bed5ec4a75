// The settings page on a scheme database built from SQL: loading, the road box, the copy and
// segment-end buttons, import, and saving when the main sheet is confirmed.
#include "app/setdlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "app/sheets.h"
#include "app_fixture.h"

namespace hdmjm::test {
namespace {

// Stands in for the coefficient page: commits on OK only, into every road's record.
class CoefficientPage : public PropertyPage {
 public:
  CoefficientPage(const PageContext& context, const QString& caption, bool hasLeaveHandler)
      : PropertyPage(context, caption, hasLeaveHandler), edit(new QLineEdit(this)) {}
  QLineEdit* edit;

 protected:
  void Fill(RoadSectionStore* record) override {
    edit->setText(record ? QString::number(record->compaction.looseSoil) : QString());
  }
  void WriteBack(RoadSectionStore& record) override {
    CompactionFactors factors = record.compaction;
    factors.looseSoil = edit->text().toDouble();
    Session().SetCompactionFactors(factors);
  }
};

constexpr int kFillClassTab = 3;    // an EditPage with a leave handler
constexpr int kCoefficientTab = 6;  // a CoefficientPage, OK only

class SetDlgTest : public ::testing::Test {
 protected:
  SetDlgTest() {
    pages.assign(MainSheetPages().begin(), MainSheetPages().end());
    pages[kFillClassTab].create = &Create<EditPage>;
    pages[kCoefficientTab].create = &Create<CoefficientPage>;
  }

  // Shows the main sheet on a scheme whose 断链表 holds `roads`.
  void Open(const std::vector<ChainBreak>& roads) {
    RunStatements(project.DatabasePath(), ChainBreakSql(roads));
    sheet = std::make_unique<HDMJM>(context, nullptr, pages);
    sheet->show();
  }
  SetDlg& Settings() { return *qobject_cast<SetDlg*>(sheet->Page(0)); }
  QComboBox& RoadBox() { return *Settings().RoadBox(); }
  void Click(const char* button) {
    QTest::mouseClick(Settings().findChild<QPushButton*>(button), Qt::LeftButton);
  }
  RoadSectionStore& Road(int index) { return *session.Record(index); }
  std::vector<std::string> RoadBoxTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < RoadBox().count(); ++i)
      texts.push_back(RoadBox().itemText(i).toStdString());
    return texts;
  }
  const std::string& LastMessage() { return recorders.messages.texts.back(); }

  ScratchDir scratch;
  ProjectOnDisk project{scratch};
  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{project.InstallRoot()};
  PageContext context{session, recorders.messages, files, recorders.trace};
  std::vector<PageSpec> pages;
  std::unique_ptr<HDMJM> sheet;
};

const std::vector<ChainBreak> kThreeRoads = {
    {"B", 1200, 2400}, {"主线", 0, 800}, {"主线", 900, 5200}, {"A", 5000, 6000}};

TEST_F(SetDlgTest, TheRoadBoxListsEveryRoadMainLineFirstAndSelectingOneMakesItCurrent) {
  Open(kThreeRoads);
  EXPECT_EQ(Settings().findChild<QLabel*>("schemeLabel")->text().toStdString(),
            "当前方案名: 方案一");
  EXPECT_EQ(RoadBoxTexts(), (std::vector<std::string>{"主线", "B", "A"}));
  EXPECT_EQ(RoadBox().currentIndex(), 0);
  ASSERT_EQ(session.RoadCount(), 3);
  EXPECT_EQ(session.CurrentRoad(), 0);
  EXPECT_EQ(session.CurrentRoadName(), "主线");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Road(i).roadName, RoadBoxTexts()[i]);
    EXPECT_EQ(Road(i).databasePath, project.DatabasePath());
  }
  EXPECT_EQ(Road(0).widthLimits[kLeft].at(0).endStation, 5200);  // loaded: defaults at the end
  EXPECT_EQ(Settings().ProgressWindow(), nullptr);               // closed after the load
  EXPECT_TRUE(recorders.messages.texts.empty());

  RoadBox().setFocus();
  QTest::keyClick(&RoadBox(), Qt::Key_Down);
  QTest::keyClick(&RoadBox(), Qt::Key_Down);
  EXPECT_EQ(session.CurrentRoad(), 2);
  EXPECT_EQ(session.CurrentRoadName(), "A");
}

TEST_F(SetDlgTest, AfterARoadSwitchEachMainPageWritesIntoItsOwnRoadAndShowsTheNewOne) {
  Open(kThreeRoads);
  ClickTab(*sheet, kFillClassTab);
  auto* page = EditPageAt(*sheet, kFillClassTab);
  QTest::keyClicks(page->edit, "5");
  ClickTab(*sheet, 0);
  RoadBox().setFocus();
  QTest::keyClick(&RoadBox(), Qt::Key_Down);  // road B

  EXPECT_EQ(page->FilledRecord(), &Road(1));
  EXPECT_TRUE(page->edit->text().isEmpty());  // B's table, not 主线's
  ClickTab(*sheet, kFillClassTab);
  QTest::keyClicks(page->edit, "7");
  ClickTab(*sheet, 0);
  EXPECT_EQ(EditPage::Find(Road(0), page->Caption())->endStation, 5);
  EXPECT_EQ(EditPage::Find(Road(1), page->Caption())->endStation, 7);
}

TEST_F(SetDlgTest, CopyingSidesReplacesTheListedTablesAndKeepsAnEmptySourcesOptionalOnes) {
  Open(kThreeRoads);
  RoadSectionStore& road = Road(0);
  road.overfillWidths[kLeft].clear();
  road.overfillWidths[kRight] = {{10, 20, 1, 2}, {30, 40, 3, 4}};
  road.sideDitches[kLeft].clear();
  road.embankmentSlopes[kLeft].count = 5;
  road.embankmentSlopes[kLeft].rows[4].endStation = 444;
  road.embankmentSlopes[kRight].count = 8;
  road.embankmentSlopes[kRight].rows[6].endStation = 666;
  road.topsoil[kLeft] = {{1, 0.5, 0}};
  road.topsoil[kRight] = {{2, 0.7, 1}};
  const auto rightTopsoil = road.topsoil[kRight];

  Click("copyToRightButton");
  EXPECT_EQ(LastMessage(), "完成");
  EXPECT_EQ(road.overfillWidths[kRight].size(), 2u);  // empty source: kept
  EXPECT_TRUE(road.sideDitches[kRight].empty());      // always copied, also when empty
  EXPECT_EQ(road.embankmentSlopes[kRight].count, 5);
  EXPECT_EQ(road.embankmentSlopes[kRight].rows[4].endStation, 444);
  EXPECT_EQ(road.embankmentSlopes[kRight].rows[6].endStation, 666);  // not in use, not touched
  EXPECT_EQ(road.topsoil[kRight], rightTopsoil);                     // not a copied table

  Click("copyToLeftButton");
  EXPECT_EQ(road.overfillWidths[kLeft], road.overfillWidths[kRight]);
  EXPECT_EQ(road.topsoil[kLeft], (std::vector<TopsoilRow>{{1, 0.5, 0}}));
  EXPECT_EQ(Road(1).overfillWidths[kLeft].size(), 0u);  // other roads untouched
}

TEST_F(SetDlgTest, SettingSegmentEndsMovesTheLastRowOfTheListedTablesToTheRoadsStations) {
  Open(kThreeRoads);  // 主线 runs from 0 to 5200
  RoadSectionStore& road = Road(0);
  road.embankmentDitches[kLeft].assign(3, EmbankmentDitchRow{});
  for (int i = 0; i < 3; ++i) {
    road.embankmentDitches[kLeft][i].startStation = 10 * i + 1;
    road.embankmentDitches[kLeft][i].endStation = 10 * i + 5;
  }
  road.pavements[kLeft] = {{100, 0.5, 0.25, 0.1}, {3000, 0.5, 0.25, 0.1}};
  road.pavements[kRight] = {{3000, 0.5, 0.25, 0.1}};
  road.topsoil[kRight] = {{3000, 0, 0}};
  road.landTypes = {{100, "旱地"}, {4000, "水田"}};
  road.interceptDitches[kRight].assign(1, InterceptDitchRow{});
  road.retainingWalls[kLeft] = {{1, 2, 3, 4}};
  road.cutClasses[kRight] = {{100, 0, 0, 100, 0, 0, 0}};
  const auto untouchedRight = std::make_tuple(road.pavements[kRight], road.topsoil[kRight]);

  Click("segmentEndsButton");
  EXPECT_EQ(LastMessage(), "已依据断链表设置分段终点里程!");
  const auto& ditches = road.embankmentDitches[kLeft];
  EXPECT_EQ(ditches[0].startStation, 1);
  EXPECT_EQ(ditches[1].endStation, 15);
  EXPECT_EQ(ditches[2].startStation, 0);
  EXPECT_EQ(ditches[2].endStation, 5200);
  EXPECT_EQ(road.pavements[kLeft][0].endStation, 100);
  EXPECT_EQ(road.pavements[kLeft][1].endStation, 5200);
  EXPECT_EQ(road.landTypes[1].endStation, 5200);
  EXPECT_EQ(road.interceptDitches[kRight][0].endStation, 5200);
  EXPECT_EQ(road.cutClasses[kRight].back().endStation, 5200);
  EXPECT_EQ(road.embankmentSlopes[kLeft].rows[road.embankmentSlopes[kLeft].count - 1].endStation,
            5200);
  EXPECT_EQ(std::make_tuple(road.pavements[kRight], road.topsoil[kRight]), untouchedRight);
  EXPECT_EQ(road.retainingWalls[kLeft][0].endStation, 2);
}

TEST_F(SetDlgTest, SettingSegmentEndsWithoutChainBreakRowsChangesNothingAndSaysSo) {
  Open(kThreeRoads);
  RoadSectionStore& road = Road(0);
  road.pavements[kLeft] = {{3000, 0.5, 0.25, 0.1}};
  RunSql(project.DatabasePath(), {"DELETE FROM 断链表 WHERE 道路名='主线'"});
  Click("segmentEndsButton");
  EXPECT_EQ(road.pavements[kLeft][0].endStation, 3000);
  EXPECT_NE(LastMessage().find("未作修改"), std::string::npos) << LastMessage();

  std::filesystem::remove(project.DatabasePath());  // a database that cannot be opened
  Click("segmentEndsButton");
  EXPECT_EQ(road.pavements[kLeft][0].endStation, 3000);
  EXPECT_NE(LastMessage().find("未作修改"), std::string::npos) << LastMessage();
}

TEST_F(SetDlgTest, ImportLoadsTheChosenDatabaseAndTheSaveGoesThere) {
  Open(kThreeRoads);
  const std::string other = project.OtherFile("other.mdb");
  RunStatements(other, ChainBreakSql({{"X", 0, 700}, {"主线", 0, 900}}));
  ClickTab(*sheet, kFillClassTab);
  ClickTab(*sheet, 0);

  Click("importButton");  // cancelled: nothing changes
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_EQ(files.asked[0].initialName, project.DatabasePath());
  EXPECT_EQ(files.asked[0].filter, "横断面标准数据文件 (*.*)|*.*|All Files(*.*)|*.*||");
  EXPECT_EQ(session.RoadCount(), 3);

  files.answers.push_back(other);
  Click("importButton");
  EXPECT_EQ(RoadBoxTexts(), (std::vector<std::string>{"主线", "X"}));
  EXPECT_EQ(RoadBox().currentIndex(), 0);
  EXPECT_EQ(Road(1).databasePath, other);
  EXPECT_EQ(EditPageAt(*sheet, kFillClassTab)->FilledRecord(), &Road(0));  // shows the new road
  EXPECT_EQ(Settings().findChild<QLabel*>("schemeLabel")->text().toStdString(),
            "当前方案名: 方案一");

  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(LastMessage(), "横断面标准数据已存入" + other + "中!");
  EXPECT_EQ(QuerySql(other, "SELECT count(*) FROM 左侧沟 WHERE 道路名='X'"),
            (std::vector<std::vector<std::string>>{{"1"}}));
  EXPECT_EQ(DumpDatabase(project.DatabasePath()).size(), 1u + 4u);  // only 断链表 and its rows
}

TEST_F(SetDlgTest, OkCommitsEveryCreatedPageBeforeSavingAndTheCoefficientsReachEveryRoad) {
  Open(kThreeRoads);
  ClickTab(*sheet, kCoefficientTab);  // filled from 主线; A is saved last
  auto* page = static_cast<CoefficientPage*>(sheet->Page(kCoefficientTab));
  page->edit->clear();
  QTest::keyClicks(page->edit, "1.5");
  ClickButton(*sheet, QDialogButtonBox::Ok);

  for (int i = 0; i < 3; ++i) EXPECT_EQ(Road(i).compaction.looseSoil, 1.5) << i;
  const auto rows = QuerySql(project.DatabasePath(), "SELECT 松土 FROM 松方压实系数");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(std::stod(rows[0][0]), 1.5);
  EXPECT_EQ(LastMessage(), "横断面标准数据已存入" + project.DatabasePath() + "中!");
}

TEST_F(SetDlgTest, ASaveThatFailsForARoadNamesItInsteadOfReportingSuccess) {
  Open(kThreeRoads);
  Road(1).databasePath = project.OtherFile("missing.mdb");
  ClickButton(*sheet, QDialogButtonBox::Ok);

  const std::string& message = LastMessage();
  EXPECT_EQ(message.find("横断面标准数据已存入"), std::string::npos) << message;
  EXPECT_NE(message.find("B"), std::string::npos) << message;
  EXPECT_EQ(message.find("主线"), std::string::npos) << message;
  EXPECT_NE(message.find("原有的数据未被改动"), std::string::npos) << message;
  EXPECT_EQ(QuerySql(project.DatabasePath(), "SELECT DISTINCT 道路名 FROM 左侧沟 ORDER BY 道路名"),
            (std::vector<std::vector<std::string>>{{"A"}, {"主线"}}));
}

TEST_F(SetDlgTest, CancelOnTheMainSheetLeavesTheDatabaseUnchanged) {
  Open(kThreeRoads);
  const auto before = DumpDatabase(project.DatabasePath());
  ClickTab(*sheet, kFillClassTab);
  QTest::keyClicks(EditPageAt(*sheet, kFillClassTab)->edit, "9");
  ClickTab(*sheet, 0);
  Road(0).sideDitches[kLeft].clear();
  ClickButton(*sheet, QDialogButtonBox::Cancel);
  EXPECT_EQ(DumpDatabase(project.DatabasePath()), before);
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(SetDlgTest, WithoutAnyRoadTheButtonsAndTheSaveDoNothing) {
  Open({});
  EXPECT_EQ(recorders.messages.texts,
            std::vector<std::string>{"注意录入横断面标准数据前请先指定方案名称和道路名!"});
  EXPECT_EQ(RoadBox().count(), 0);
  EXPECT_EQ(session.CurrentRoadName(), "");
  const auto before = DumpDatabase(project.DatabasePath());
  for (const char* button : {"segmentEndsButton", "copyToRightButton", "copyToLeftButton"})
    Click(button);
  ClickTab(*sheet, kFillClassTab);
  ClickTab(*sheet, kCoefficientTab);
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(recorders.messages.texts.size(), 1u);
  EXPECT_EQ(DumpDatabase(project.DatabasePath()), before);
}

}  // namespace
}  // namespace hdmjm::test
