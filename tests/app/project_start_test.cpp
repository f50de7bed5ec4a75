// Which project the program starts on, the projects it remembers, and the settings page while
// no project is open.
#include "app/project_start.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSettings>

#include "app/project_panel.h"
#include "app/setdlg.h"
#include "app_fixture.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

class ProjectStartTest : public ::testing::Test, protected SchemeProject {
 protected:
  ProjectStartTest() { QSettings().clear(); }
  void Show() {
    sheet = std::make_unique<HDMJM>(context);
    sheet->show();
  }
  SetDlg& Settings() { return *qobject_cast<SetDlg*>(sheet->Page(0)); }
  void Click(const char* button) {
    QTest::mouseClick(Settings().findChild<QPushButton*>(button), Qt::LeftButton);
  }
  Texts Roads() {
    Texts roads;
    for (const auto& record : session.RoadRecords()) roads.push_back(record->roadName);
    return roads;
  }
  std::string Title() { return sheet->windowTitle().toStdString(); }

  std::string base = (scratch.path() / "p").string();
  std::string project = base + "/改移道路";
  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{installRoot};
  PageContext context{session, recorders.messages, files, recorders.trace};
  std::unique_ptr<HDMJM> sheet;
};

TEST_F(ProjectStartTest, TheArgumentComesFirstThenTheWorkdirThenTheProjectOpenedLast) {
  RunSql(database, {kChainBreakTableSql});
  const std::string gone = scratch.File("gone");
  const struct {
    std::optional<std::string> argument;
    bool workdir;
    Texts recent;
    ProjectSource source;
    std::string opened;
    Texts messages;
  } cases[] = {
      {base, true, {}, ProjectSource::Folder, project, {}},
      {database, true, {}, ProjectSource::SchemeFile, database, {}},
      {gone, true, {database}, ProjectSource::None, "", {"找不到" + gone + "。"}},
      {std::nullopt, true, {database}, ProjectSource::Workdir, "", {}},
      {std::nullopt, false, {project, base}, ProjectSource::Folder, project, {}},
      {std::nullopt, false, {gone, database}, ProjectSource::None, "", {}},
      {std::nullopt, false, {}, ProjectSource::None, "", {}},
  };
  for (const auto& c : cases) {
    if (!c.workdir) std::filesystem::remove(installRoot / "workdir");
    RecordingMessages messages;
    const ProjectPaths paths = StartingProject(c.argument, installRoot, c.recent, messages);
    EXPECT_EQ(paths.source, c.source) << c.argument.value_or("-");
    EXPECT_EQ(paths.opened, c.opened) << c.argument.value_or("-");
    EXPECT_EQ(messages.texts, c.messages);
  }
}

TEST_F(ProjectStartTest, TheRecentProjectsKeepTheLatestFirstOnceEachAndNoMoreThanEight) {
  for (const char* path : {"/a", "/b", "/a"}) RecentProjects().Remember(path);
  EXPECT_EQ(RecentProjects().List(), (Texts{"/a", "/b"}));
  for (int i = 0; i < 10; ++i) RecentProjects().Remember("/" + std::to_string(i));
  EXPECT_EQ(RecentProjects().List().size(), 8u);
  EXPECT_EQ(RecentProjects().List().front(), "/9");
}

TEST_F(ProjectStartTest, WithoutAProjectThePageOffersTheChoosersAndTheRecentProjects) {
  RunSql(database, {kChainBreakTableSql, ChainBreakRowSql("主线", 0, 900)});
  RecentProjects().Remember(database);
  RecentProjects().Remember(scratch.File("gone"));
  session.Paths() = OpenedProject({});
  Show();
  ProjectPanel* panel = Settings().NoProjectPanel();
  ASSERT_TRUE(panel->isVisible());
  EXPECT_FALSE(Settings().RoadBox()->isVisible());
  EXPECT_EQ(panel->findChild<QLabel*>("noProjectLine")->text().toStdString(), "没有打开的项目。");
  EXPECT_FALSE(panel->findChild<QPushButton*>("newSchemeButton")->isVisible());
  EXPECT_EQ(Title(), "横断面数据");
  EXPECT_TRUE(recorders.messages.texts.empty());

  Click("openProjectButton");  // cancelled: still no project
  EXPECT_EQ(files.asked.back().first, scratch.File("gone"));
  files.answers = {base};
  Click("openProjectButton");
  EXPECT_FALSE(panel->isVisible());
  EXPECT_EQ(Roads(), Texts{"主线"});
  EXPECT_EQ(Title(), "横断面数据 - 方案一 (" + database + ")");
  EXPECT_EQ(RecentProjects().List().front(), project);

  session.Paths() = OpenedProject({});
  Show();
  auto* recent = Settings().NoProjectPanel()->findChild<QListWidget*>("recentList");
  ASSERT_EQ(recent->count(), 3);
  recent->setCurrentRow(2);
  QTest::keyClick(recent, Qt::Key_Return);
  EXPECT_TRUE(sheet->isVisible());  // Enter opened the project and did not confirm the sheet
  EXPECT_EQ(Roads(), Texts{"主线"});
  EXPECT_EQ(session.Paths().source, ProjectSource::SchemeFile);
}

TEST_F(ProjectStartTest, AProjectWithoutItsSchemeSaysWhereAndCreatesOneOnlyWhenAsked) {
  session.Paths() = OpenedProject(LocateProject(base));
  Show();
  EXPECT_EQ(recorders.messages.texts, Texts{"方案数据库" + database + "不存在。"});
  EXPECT_FALSE(std::filesystem::exists(database));
  Click("newSchemeButton");  // cancelled
  EXPECT_EQ(files.asked.back().first, database);
  EXPECT_FALSE(std::filesystem::exists(database));
  files.answers = {database};
  Click("newSchemeButton");
  EXPECT_EQ(Roads(), Texts{"主线"});
  EXPECT_EQ(Title(), "横断面数据 - 方案一 (" + database + ")");
}

}  // namespace
}  // namespace hdmjm::test
