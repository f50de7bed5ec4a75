// The settings page inside the main sheet, on a project whose scheme database is built from
// SQL: loading, the road box, the buttons, import and saving.
#include "app/setdlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <cstdlib>

#include "app/sheets.h"
#include "app_fixture.h"
#include "pages/dialog_units.h"
#include "store/messages.h"

namespace hdmjm::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

struct ChainBreak {
  std::string road;
  double start, end;
};
void WriteChainBreaks(const std::string& database, const std::vector<ChainBreak>& rows) {
  RunSql(database,
         {"CREATE TABLE 断链表 (序号 INTEGER PRIMARY KEY, 道路名 TEXT, "
          "等号左里程冠号 TEXT, 等号左里程数 REAL, 等号右里程冠号 TEXT, 等号右里程数 REAL)"});
  for (const ChainBreak& row : rows)
    RunSql(database, {"INSERT INTO 断链表 (道路名, 等号左里程冠号, 等号左里程数, 等号右里程冠号, "
                      "等号右里程数) VALUES ('" +
                      row.road + "', 'K', " + std::to_string(row.start) + ", 'K', " +
                      std::to_string(row.end) + ")"});
}

// Every table with its rows, to tell whether anything changed.
Rows DumpDatabase(const std::string& path) {
  Rows dump;
  for (const auto& table : QuerySql(path, "SELECT name FROM sqlite_master ORDER BY name")) {
    dump.push_back(table);
    for (auto& row : QuerySql(path, "SELECT * FROM \"" + table[0] + "\"")) dump.push_back(row);
  }
  return dump;
}

// Stands in for the coefficient page: commits on OK only, through the session's helper.
class CoefficientPage : public EditPage {
 public:
  using EditPage::EditPage;

 protected:
  void WriteBack(RoadSectionStore& record) override {
    CompactionFactors factors = record.compaction;
    factors.looseSoil = edit->text().toDouble();
    Session().SetCompactionFactors(factors);
  }
};

constexpr int kFillClassTab = 3;    // an EditPage with a leave handler
constexpr int kCoefficientTab = 6;  // a CoefficientPage, OK only

// 主线 runs from 0 to 5200; the list orders B (1200) before A (5000).
const std::vector<ChainBreak> kThreeRoads = {
    {"B", 1200, 2400}, {"主线", 0, 800}, {"主线", 900, 5200}, {"A", 5000, 6000}};

class SetDlgTest : public ::testing::Test, protected SchemeProject {
 protected:
  SetDlgTest() {
    pages.assign(MainSheetPages().begin(), MainSheetPages().end());
    pages[kFillClassTab].create = &Create<EditPage>;
    pages[kCoefficientTab].create = &Create<CoefficientPage>;
  }

  void Open(const std::vector<ChainBreak>& roads) {
    WriteChainBreaks(database, roads);
    sheet = std::make_unique<HDMJM>(context, nullptr, pages);
    sheet->show();
  }
  SetDlg& Settings() { return *qobject_cast<SetDlg*>(sheet->Page(0)); }
  QComboBox& RoadBox() { return *Settings().RoadBox(); }
  void Click(const char* button) {
    QTest::mouseClick(Settings().findChild<QPushButton*>(button), Qt::LeftButton);
  }
  void ChooseRoad(int index) {
    RoadBox().setFocus();
    while (RoadBox().currentIndex() < index) QTest::keyClick(&RoadBox(), Qt::Key_Down);
  }
  RoadSectionStore& Road(int index) { return *session.Record(index); }
  Texts RoadBoxTexts() {
    Texts texts;
    for (int i = 0; i < RoadBox().count(); ++i)
      texts.push_back(RoadBox().itemText(i).toStdString());
    return texts;
  }
  const std::string& LastMessage() { return recorders.messages.texts.back(); }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{installRoot};
  PageContext context{session, recorders.messages, files, recorders.trace};
  std::vector<PageEntry> pages;
  std::unique_ptr<HDMJM> sheet;
};

TEST_F(SetDlgTest, TheRoadBoxListsEveryRoadMainLineFirstAndSelectingOneMakesItCurrent) {
  Open(kThreeRoads);
  EXPECT_EQ(Settings().findChild<QLabel*>("schemeLabel")->text().toStdString(),
            "当前方案名: 方案一");
  EXPECT_EQ(RoadBoxTexts(), (Texts{"主线", "B", "A"}));
  EXPECT_EQ(RoadBox().currentIndex(), 0);
  EXPECT_EQ(session.CurrentRoadName(), "主线");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Road(i).roadName, RoadBoxTexts()[i]);
  EXPECT_EQ(Road(2).databasePath, database);
  EXPECT_EQ(Road(0).widthLimits[kLeft].at(0).endStation, 5200);  // loaded
  EXPECT_EQ(Settings().ProgressWindow(), nullptr);               // closed after the load
  EXPECT_TRUE(recorders.messages.texts.empty());

  ChooseRoad(2);
  EXPECT_EQ(session.CurrentRoad(), 2);
  EXPECT_EQ(session.CurrentRoadName(), "A");
}

// Where each progress window was when it appeared.
class ProgressPlaces : public QObject {
 public:
  ProgressPlaces() { qApp->installEventFilter(this); }
  ~ProgressPlaces() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show)
      if (auto* window = qobject_cast<ProgressWnd*>(watched)) places.push_back(window->pos());
    return false;
  }
  std::vector<QPoint> places;
};

TEST_F(SetDlgTest, TheProgressWindowAppearsAtTheTopLeftOfThePageWhereTheSheetThenShows) {
  ProgressPlaces progress;
  Open(kThreeRoads);
  // At start-up the sheet is placed, not yet laid out: the window appears at its top left.
  ASSERT_EQ(progress.places.size(), 1u);
  const QPoint page = Settings().mapToGlobal(QPoint(0, 0));
  EXPECT_TRUE(sheet->geometry().contains(progress.places[0]));
  EXPECT_LE((progress.places[0] - page).manhattanLength(), 40);
  const QRect screen = sheet->screen()->availableGeometry();
  EXPECT_LE((sheet->geometry().center() - screen.center()).manhattanLength(), 8);

  sheet->move(sheet->pos() + QPoint(40, 30));
  files.answers.push_back(database);
  Click("importButton");
  ASSERT_EQ(progress.places.size(), 2u);
  EXPECT_EQ(progress.places[1], Settings().mapToGlobal(QPoint(0, 0)));
}

TEST_F(SetDlgTest, FiftyRoadsDropAListOfTheBoxsHeightBelowItWithAScrollBar) {
  Open(kThreeRoads);
  {
    const QSignalBlocker blocker(RoadBox());
    for (int i = 3; i < 50; ++i) RoadBox().addItem(QStringLiteral("道路%1").arg(i));
  }
  RoadBox().showPopup();
  QWidget* popup = RoadBox().view()->window();
  ASSERT_TRUE(popup->isVisible());
  // The box is 87 dialog units high with its dropped list.
  const int dropped = DialogUnits(Settings().font()).Rect(162, 30, 117, 87).height();
  const int list = dropped - RoadBox().height();
  EXPECT_LE(popup->height(), list);
  EXPECT_GE(popup->height(), list / 2);
  EXPECT_TRUE(RoadBox().view()->verticalScrollBar()->isVisible());
  EXPECT_GE(popup->geometry().top(), RoadBox().mapToGlobal(RoadBox().rect().bottomLeft()).y());
  RoadBox().hidePopup();
}

// Keys go where a person's would: to the open list, else to the widget with the focus.
void Keys(const QString& typed, std::initializer_list<Qt::Key> keys) {
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  QTest::keyClicks(QApplication::focusWidget(), typed);
  for (Qt::Key key : keys) {
    QWidget* popup = QApplication::activePopupWidget();
    QWidget* target = popup ? popup : QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "the sheet was closed";
    QTest::keyClick(target, key);
  }
}

TEST_F(SetDlgTest, TypingPartOfANameFindsTheRoadInALongListAndTakesOnlyNamesOfTheList) {
  std::vector<ChainBreak> roads{{"主线", 0, 5000}, {"Ramp-East", 90000, 90100}};
  for (int i = 1; i <= 120; ++i) roads.push_back({"ZD" + std::to_string(i), 100.0 * i, 1e4});
  Open(roads);
  ASSERT_EQ(RoadBox().count(), 122);
  sheet->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
  const struct {
    const char* typed;
    std::initializer_list<Qt::Key> keys;
    const char* current;  // the road afterwards
  } cases[] = {
      {"D117", {Qt::Key_Down, Qt::Key_Return}, "ZD117"},               // the only match
      {"D11", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, "ZD110"},  // ZD11, ZD110, ...
      {"RAMP", {Qt::Key_Down, Qt::Key_Return}, "Ramp-East"},           // in any case
      {"zd7", {Qt::Key_Escape, Qt::Key_Return}, "ZD7"},                // a whole name
      {"ZD", {Qt::Key_Escape, Qt::Key_Escape}, "ZD7"},                 // left as it was
      {"ZD", {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Return, Qt::Key_Escape}, "ZD7"},  // no name
      {"ZD3xyz", {Qt::Key_Return, Qt::Key_Return}, "ZD3"},  // what matches no name is refused
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    RoadBox().setFocus();
    RoadBox().lineEdit()->selectAll();
    Keys(QString::fromLatin1(c.typed), c.keys);
    EXPECT_EQ(session.CurrentRoadName(), c.current);
    EXPECT_EQ(RoadBox().currentText().toStdString(), c.current);
    EXPECT_TRUE(sheet->isVisible());  // Enter and Escape ended the typing, not the sheet
  }
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(SetDlgTest, AfterARoadSwitchEachMainPageWritesIntoItsOwnRoadAndShowsTheNewOne) {
  Open(kThreeRoads);
  ClickTab(*sheet, kFillClassTab);
  QLineEdit* edit = EditPageAt(*sheet, kFillClassTab)->edit;
  edit->clear();
  QTest::keyClicks(edit, "5");
  ClickTab(*sheet, 0);
  ChooseRoad(1);
  EXPECT_EQ(edit->text().toStdString(), "B");  // shows B now
  EXPECT_TRUE(Road(1).landTypes.empty());      // and wrote 主线's table into 主线 only
  ClickTab(*sheet, kFillClassTab);
  edit->clear();
  QTest::keyClicks(edit, "7");
  ClickTab(*sheet, 0);
  EXPECT_EQ(Road(0).landTypes.back().endStation, 5);
  EXPECT_EQ(Road(1).landTypes.back().endStation, 7);
}

TEST_F(SetDlgTest, CopyingSidesReplacesTheListedTablesAndKeepsAnEmptySourcesOptionalOnes) {
  Open(kThreeRoads);
  RoadSectionStore& road = Road(0);
  road.overfillWidths[kRight] = {{10, 20, 1, 2}, {30, 40, 3, 4}};
  road.sideDitches[kLeft].clear();
  road.embankmentSlopes[kLeft].rows.resize(5);
  road.embankmentSlopes[kRight].rows.resize(8);
  road.embankmentSlopes[kRight].rows[4].endStation = 666;
  road.topsoil[kRight] = {{2, 0.7, 1}};

  Click("copyToRightButton");
  EXPECT_EQ(LastMessage(), "完成");
  EXPECT_EQ(road.overfillWidths[kRight].size(), 2u);  // empty source: kept
  EXPECT_TRUE(road.sideDitches[kRight].empty());      // always copied, also when empty
  EXPECT_EQ(road.embankmentSlopes[kRight].rows, road.embankmentSlopes[kLeft].rows);
  EXPECT_EQ(road.topsoil[kRight], (std::vector<TopsoilRow>{{2, 0.7, 1}}));  // never copied

  Click("copyToLeftButton");
  EXPECT_EQ(road.overfillWidths[kLeft], road.overfillWidths[kRight]);
  EXPECT_TRUE(Road(1).overfillWidths[kLeft].empty());  // other roads untouched
}

TEST_F(SetDlgTest, SettingSegmentEndsMovesOnlyTheLastRowsOfTheListedTables) {
  Open(kThreeRoads);
  RoadSectionStore& road = Road(0);
  road.embankmentDitches[kLeft].assign(3, EmbankmentDitchRow{1, 5});
  road.pavements[kLeft] = {{100}, {3000}};
  road.pavements[kRight] = {{3000}};
  road.landTypes = {{100, "旱地"}, {4000, "水田"}};
  road.interceptDitches[kRight] = {{10, 20}};
  road.retainingWalls[kLeft] = {{1, 2}};

  Click("segmentEndsButton");
  EXPECT_EQ(LastMessage(), "已依据断链表设置分段终点里程!");
  const auto& ditches = road.embankmentDitches[kLeft];
  EXPECT_EQ(std::make_pair(ditches[1].startStation, ditches[1].endStation), std::make_pair(1., 5.));
  EXPECT_EQ(std::make_pair(ditches[2].startStation, ditches[2].endStation),
            std::make_pair(0., 5200.));
  EXPECT_EQ(road.pavements[kLeft][0].endStation, 100);
  EXPECT_EQ(road.pavements[kLeft][1].endStation, 5200);  // its column is 分段终里程数
  EXPECT_EQ(road.landTypes[1].endStation, 5200);
  EXPECT_EQ(std::make_pair(road.interceptDitches[kRight][0].startStation,
                           road.interceptDitches[kRight][0].endStation),
            std::make_pair(0., 5200.));
  EXPECT_EQ(road.pavements[kRight][0].endStation, 3000);  // not listed
  EXPECT_EQ(road.retainingWalls[kLeft][0].endStation, 2);
}

TEST_F(SetDlgTest, SettingSegmentEndsWithoutChainBreakRowsChangesNothingAndSaysSo) {
  Open(kThreeRoads);
  Road(0).pavements[kLeft] = {{3000}};
  Road(0).chainBreaks.clear();
  Click("segmentEndsButton");
  EXPECT_NE(LastMessage().find("未作修改"), std::string::npos) << LastMessage();
  std::filesystem::remove(database);  // and a database that cannot be opened
  Click("segmentEndsButton");
  EXPECT_NE(LastMessage().find("未作修改"), std::string::npos) << LastMessage();
  EXPECT_EQ(Road(0).pavements[kLeft][0].endStation, 3000);
}

TEST_F(SetDlgTest, ImportLoadsTheChosenDatabaseAndTheSaveGoesThere) {
  Open(kThreeRoads);
  const std::string other = scratch.File("other.mdb");
  WriteChainBreaks(other, {{"X", 0, 700}, {"主线", 0, 900}});
  ClickTab(*sheet, kFillClassTab);
  ClickTab(*sheet, 0);
  Click("importButton");  // cancelled: nothing changes
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_EQ(files.asked[0], std::make_pair(database, std::string(kImportFilter)));
  EXPECT_EQ(session.RoadCount(), 3);

  files.answers.push_back(other);
  Click("importButton");
  EXPECT_EQ(RoadBoxTexts(), (Texts{"主线", "X"}));
  EXPECT_EQ(RoadBox().currentIndex(), 0);
  EXPECT_EQ(EditPageAt(*sheet, kFillClassTab)->FilledRecord(), &Road(0));  // follows the load
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(LastMessage(), "横断面标准数据已存入" + other + "中!");
  EXPECT_EQ(QuerySql(other, "SELECT count(*) FROM 左侧沟 WHERE 道路名='X'"), Rows{{"1"}});
  EXPECT_EQ(DumpDatabase(database).size(), 1u + 4u);  // still 断链表 alone
}

TEST_F(SetDlgTest, OkCommitsEveryPageBeforeSavingAndTheCoefficientsReachEveryRoad) {
  Open(kThreeRoads);
  ClickTab(*sheet, kCoefficientTab);  // filled from 主线, while A is the road saved last
  QLineEdit* edit = EditPageAt(*sheet, kCoefficientTab)->edit;
  edit->clear();
  QTest::keyClicks(edit, "1.5");
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(Road(2).compaction.looseSoil, 1.5);
  EXPECT_EQ(QuerySql(database, "SELECT 松土 FROM 松方压实系数"), Rows{{"1.5"}});
  EXPECT_EQ(LastMessage(), "横断面标准数据已存入" + database + "中!");
}

TEST_F(SetDlgTest, ASaveThatFailsForARoadNamesItInsteadOfReportingSuccess) {
  Open(kThreeRoads);
  Road(1).databasePath = scratch.File("missing.mdb");
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(LastMessage(), "以下道路的横断面标准数据未能存入" + database +
                               "中: B。\n数据库中这些道路原有的数据未被改动。");
  EXPECT_EQ(QuerySql(database, "SELECT DISTINCT 道路名 FROM 左侧沟 ORDER BY 道路名"),
            (Rows{{"A"}, {"主线"}}));
}

TEST_F(SetDlgTest, AReadOnlySchemeFileIsSaidAtOnceAndOkSavesOnceItIsWritable) {
  WriteChainBreaks(database, kThreeRoads);
  const std::string quoted = "'" + database + "'";
  ::chmod(database.c_str(), 0444);
  // Permissions do not stop root; the immutable flag does.
  const bool immutable = ::geteuid() == 0 && std::system(("chattr +i " + quoted).c_str()) == 0;
  if (::geteuid() == 0 && !immutable) GTEST_SKIP() << "no way to make the file read-only";
  sheet = std::make_unique<HDMJM>(context, nullptr, pages);
  sheet->show();
  if (immutable) std::system(("chattr -i " + quoted).c_str());
  ::chmod(database.c_str(), 0644);
  ASSERT_EQ(recorders.messages.texts.size(), 1u);
  EXPECT_EQ(recorders.messages.texts[0], messages::kOpenedReadOnly);
  EXPECT_EQ(session.RoadCount(), 3);
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(LastMessage(), "横断面标准数据已存入" + database + "中!");
}

TEST_F(SetDlgTest, CancelOnTheMainSheetLeavesTheDatabaseUnchanged) {
  Open(kThreeRoads);
  const Rows before = DumpDatabase(database);
  Road(0).sideDitches[kLeft].clear();
  ClickButton(*sheet, QDialogButtonBox::Cancel);
  EXPECT_EQ(DumpDatabase(database), before);
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(SetDlgTest, WithoutAnyRoadTheButtonsPagesAndSaveDoNothing) {
  Open({});
  EXPECT_EQ(recorders.messages.texts, Texts{"注意录入横断面标准数据前请先指定方案名称和道路名!"});
  EXPECT_EQ(RoadBox().count(), 0);
  const Rows before = DumpDatabase(database);
  for (const char* button : {"segmentEndsButton", "copyToRightButton", "copyToLeftButton"})
    Click(button);
  ClickTab(*sheet, kFillClassTab);
  ClickTab(*sheet, kCoefficientTab);
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(recorders.messages.texts.size(), 1u);
  EXPECT_EQ(DumpDatabase(database), before);
}

// A slope table as the program creates it, but with room for `levels` levels.
std::string SlopeTableSql(const std::string& name, int levels) {
  std::string sql = "CREATE TABLE " + name +
                    " (序号 INTEGER PRIMARY KEY, 道路名 TEXT, 分段终里程 REAL, 边坡总级数 INTEGER";
  for (int n = 1; n <= levels; ++n)
    for (const char* field : {"级边坡系数", "级最大高度", "级平台宽度", "级平台横坡"})
      sql += ", \"" + std::to_string(n) + field + "\" REAL";
  return sql + ")";
}

TEST_F(SetDlgTest, OkLeavesEverySegmentAndLevelOfARoadThatDidNotLoadWholeAndKeepsTheSheetOpen) {
  RunSql(database,
         {SlopeTableSql("左路堤边坡", 30),
          "INSERT INTO 左路堤边坡 (道路名, 分段终里程, 边坡总级数) WITH RECURSIVE n(i) AS "
          "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 301) SELECT '主线', i, 0 FROM n",
          SlopeTableSql("右路堑边坡", 40),
          "INSERT INTO 右路堑边坡 (道路名, 分段终里程, 边坡总级数, \"30级最大高度\", "
          "\"40级平台横坡\") "
          "VALUES ('A', 5500, 40, 12, 7)"});
  Open(kThreeRoads);
  ASSERT_FALSE(recorders.messages.texts.empty());
  EXPECT_NE(recorders.messages.texts[0].find("道路主线, 表左路堤边坡: 行数超过300"),
            std::string::npos);
  EXPECT_NE(recorders.messages.texts[0].find("道路A, 表右路堑边坡"), std::string::npos);
  EXPECT_EQ(Road(0).embankmentSlopes[kLeft].Count(), 300);
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(LastMessage(), "以下道路的横断面标准数据未能存入" + database +
                               "中: 主线、A。\n数据库中这些道路原有的数据未被改动。");
  EXPECT_EQ(QuerySql(database, "SELECT count(*) FROM 左路堤边坡 WHERE 道路名 = '主线'"),
            Rows{{"301"}});
  EXPECT_EQ(QuerySql(database,
                     "SELECT 边坡总级数, \"30级最大高度\", \"40级平台横坡\" FROM 右路堑边坡 "
                     "WHERE 道路名 = 'A'"),
            (Rows{{"40", "12.0", "7.0"}}));
  EXPECT_EQ(QuerySql(database, "SELECT DISTINCT 道路名 FROM 左侧沟"), Rows{{"B"}});
  ClickButton(*sheet, QDialogButtonBox::Cancel);
  EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SetDlgTest, ASaveFailingOnTheThirdOfFiveRoadsKeepsTheSheetAndEveryRecordAsEdited) {
  RunSql(database, {"CREATE TABLE 左侧沟 (序号 INTEGER PRIMARY KEY, 道路名 TEXT, 分段终里程 REAL, "
                    "水沟底宽 REAL, "
                    "沟深 REAL, 左侧边坡 REAL, 右侧边坡 REAL, 浆砌厚度 REAL, 沟底半径 REAL)",
                    "CREATE TRIGGER refuse BEFORE INSERT ON 左侧沟 WHEN new.道路名 = 'B' "
                    "BEGIN SELECT raise(abort, 'refused'); END"});
  Open({{"主线", 0, 900},
        {"A", 1000, 1900},
        {"B", 2000, 2900},
        {"C", 3000, 3900},
        {"D", 4000, 4900}});
  for (int i = 0; i < 5; ++i) Road(i).sideDitches[kLeft].at(0).depth = 0.875;
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(QuerySql(database, "SELECT 道路名 FROM 左侧沟 WHERE 沟深 = 0.875 ORDER BY 道路名"),
            (Rows{{"A"}, {"C"}, {"D"}, {"主线"}}));
  EXPECT_EQ(QuerySql(database, "SELECT count(*) FROM 左横断面限制宽度 WHERE 道路名 = 'B'"),
            Rows{{"0"}});
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Road(i).sideDitches[kLeft][0].depth, 0.875) << i;
  EXPECT_NE(recorders.messages.texts.at(recorders.messages.texts.size() - 2).find("refused"),
            std::string::npos);

  // Once the file takes B again, OK saves it and the sheet closes.
  RunSql(database, {"DROP TRIGGER refuse"});
  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(LastMessage(), "横断面标准数据已存入" + database + "中!");
  EXPECT_EQ(QuerySql(database, "SELECT count(*) FROM 左侧沟 WHERE 沟深 = 0.875"), Rows{{"5"}});
}

}  // namespace
}  // namespace hdmjm::test
