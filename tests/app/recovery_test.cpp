// A program killed after an edit: the next start offers the edit back, and what the designer
// answers (or a damaged recovery file) decides what OK saves.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>

#include "app/recovery_keeper.h"
#include "app_fixture.h"
#include "store/recovery_messages.h"

namespace hdmjm::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(RecoveryAfterAKill, TheNextStartOffersTheEditsBackAndOkSavesWhatWasChosen) {
  ScratchDir scratch;
  const std::string tool =
      std::string("'") + HDMJM_TOOL + "' sample '" + scratch.path().string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(tool.c_str()), 0);
  const std::filesystem::path project = scratch.path() / "改移道路";
  const std::string database = (project / "data" / "示例方案.mdb").string();
  const std::filesystem::path saved = scratch.path() / "recovery-copy";

  QProcess child;
  child.start(
      QStringLiteral(HDMJM_RECOVERY_CHILD),
      {QString::fromStdString(project.string()), QString::fromStdString(scratch.File("settings"))});
  QByteArray said;
  while (!said.contains('\n') && child.waitForReadyRead(60000))
    said += child.readAllStandardOutput();
  ASSERT_EQ(said, "written\n") << child.readAllStandardError().toStdString();
  ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
  child.waitForFinished();
  const std::filesystem::path file = RecoveryKeeper::PlacesFor(database).beside;
  std::filesystem::copy_file(file, saved);

  const std::string query = "SELECT count(*) FROM 填方分类 WHERE 分段终里程 = 4321";
  const struct {
    const char* what;
    int answer;  // to the question, if it is asked
    bool damaged;
    std::string_view title;  // of the first message
    std::string saved;       // rows of the query after OK
  } cases[] = {
      {"discarded", 1, false, messages::kRecoveryTitle, "0"},
      {"damaged", 0, true, "", "0"},
      {"restored", 0, false, messages::kRecoveryTitle, "1"},
  };
  for (const auto& c : cases) {
    Recorders recorders;
    recorders.messages.answers = {c.answer};
    ScriptedFileChooser files;
    SchemeSession session{"/nowhere"};
    session.Paths() = OpenedProject(LocateProject(project.string()));
    const PageContext context{session, recorders.messages, files, recorders.trace};
    HDMJM main(context);
    std::filesystem::copy_file(saved, file, std::filesystem::copy_options::overwrite_existing);
    if (c.damaged) std::ofstream(file) << "恢复文件的一部分";

    main.show();
    ASSERT_FALSE(recorders.messages.titles.empty()) << c.what;
    EXPECT_EQ(recorders.messages.titles.front(), c.title) << c.what;
    EXPECT_EQ(session.History().Stack(0)->count(), c.saved == "1" ? 1 : 0) << c.what;
    ClickButton(main, QDialogButtonBox::Ok);
    EXPECT_EQ(QuerySql(database, query), (Rows{{c.saved}})) << c.what;
    EXPECT_FALSE(std::filesystem::exists(file)) << c.what;
    int setAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(project / "data"))
      if (entry.path().string().find(".恢复.损坏-") != std::string::npos)
        setAside += std::filesystem::remove(entry.path());
    EXPECT_EQ(setAside, c.damaged ? 1 : 0) << c.what;
  }
}

class RecoveryInTheSheet : public ::testing::Test, protected SchemeProject {
 protected:
  RecoveryInTheSheet() {
    RunSql(database, {kChainBreakTableSql, ChainBreakRowSql("主线", 0, 5200)});
    main.show();
  }
  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{installRoot};
  PageContext context{session, recorders.messages, files, recorders.trace};
  HDMJM main{context};
};

TEST_F(RecoveryInTheSheet, OnlyACommittedEditNotUndoneIsKeptAndCancelRemovesIt) {
  const auto file = [&] { return std::filesystem::exists(main.Recovery().FilePath()); };
  const auto step = [&](Qt::Key key) {
    QTest::keyClick(&main, key, Qt::ControlModifier);  // no side sheet open: on the record
    main.Recovery().WriteNow();
  };
  {
    HDMContainer left(context);
    left.show();
    Type(*left.Page(0)->findChild<CGridCtrl*>(), 1, 2, "99");
    main.Recovery().WriteNow();
    EXPECT_FALSE(file());  // typed, but the page has not committed it yet
    ClickButton(left, QDialogButtonBox::Ok);
  }
  main.Recovery().WriteNow();
  EXPECT_TRUE(file());
  step(Qt::Key_Z);
  EXPECT_FALSE(file());  // back to what was loaded: nothing to keep
  step(Qt::Key_Y);
  EXPECT_TRUE(file());
  ClickButton(main, QDialogButtonBox::Cancel);
  EXPECT_FALSE(file());
  EXPECT_TRUE(recorders.messages.texts.empty());
}

}  // namespace
}  // namespace hdmjm::test
