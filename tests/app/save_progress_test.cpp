// While OK on the main sheet saves the roads: a busy cursor, and the progress window advanced
// once per road, gone with the busy cursor before the designer is told how the save went.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>

#include "app/progress.h"
#include "app/sheets.h"
#include "app_fixture.h"

namespace hdmjm::test {
namespace {

// The shape of the busy cursor set over the whole program, or -1 when none is set.
int OverrideCursor() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor ? static_cast<int>(cursor->shape()) : -1;
}

// What the progress windows showed: at each paint of a bar, its position and the cursor then.
class ProgressWatch : public QObject {
 public:
  struct Sight {
    int position;
    int cursor;
    bool operator==(const Sight&) const = default;
  };
  ProgressWatch() { qApp->installEventFilter(this); }
  ~ProgressWatch() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<ProgressWnd*>(watched))
      cursorsAtShow.push_back(OverrideCursor());
    if (event->type() == QEvent::Paint)
      if (auto* bar = qobject_cast<ProgressBarCtrl*>(watched))
        sights.push_back({bar->GetPos(), OverrideCursor()});
    return false;
  }
  std::vector<int> cursorsAtShow;
  std::vector<Sight> sights;
};

// Messages, each with the cursor under which it was shown.
class CursorMessages : public RecordingMessages {
 public:
  void Show(const std::string& text, const std::string& title, Icon icon) override {
    RecordingMessages::Show(text, title, icon);
    cursors.push_back(OverrideCursor());
  }
  std::vector<int> cursors;
};

const std::vector<std::string> kRoads = {"主线", "A", "B", "C", "D"};

class SaveProgressTest : public ::testing::Test, protected SchemeProject {
 protected:
  SaveProgressTest() {
    RunSql(database, {kChainBreakTableSql});
    for (size_t i = 0; i < kRoads.size(); ++i)
      RunSql(database, {ChainBreakRowSql(kRoads[i], 1000.0 * i, 1000.0 * i + 900)});
  }

  CursorMessages messages;
  RecordingTrace trace;
  ScriptedFileChooser files;
  SchemeSession session{installRoot};
  PageContext context{session, messages, files, trace};
};

TEST_F(SaveProgressTest, OkSavesUnderABusyCursorWithTheProgressWindowAdvancedOncePerRoad) {
  HDMJM sheet(context);
  sheet.show();
  ASSERT_EQ(session.RoadCount(), static_cast<int>(kRoads.size()));
  ASSERT_TRUE(messages.texts.empty());
  const int busy = Qt::WaitCursor;

  // The first save fails for one road (its file is gone), the second saves every road: both
  // show the same progress and leave no busy cursor behind.
  const std::string gone = scratch.File("gone.mdb");
  session.Record(2)->databasePath = gone;
  for (const bool fails : {true, false}) {
    SCOPED_TRACE(fails ? "failing save" : "whole save");
    ProgressWatch watch;
    messages.texts.clear();
    messages.cursors.clear();
    ClickButton(sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(sheet.isVisible(), fails);
    EXPECT_EQ(watch.cursorsAtShow, std::vector<int>{busy});
    // The window's first paint shows where its bar starts; then one paint per position set.
    ASSERT_FALSE(watch.sights.empty());
    std::vector<ProgressWatch::Sight> expected = {{0, busy}};
    for (size_t road = 1; road <= kRoads.size(); ++road)
      expected.push_back({static_cast<int>(road * 100 / kRoads.size()), busy});
    EXPECT_EQ(std::vector(watch.sights.begin() + 1, watch.sights.end()), expected);
    EXPECT_EQ(watch.sights.front().cursor, busy);
    EXPECT_EQ(OverrideCursor(), -1);
    ASSERT_FALSE(messages.texts.empty());
    EXPECT_EQ(messages.cursors, std::vector<int>(messages.texts.size(), -1));
    if (fails) {
      EXPECT_NE(messages.texts.back().find(": B。"), std::string::npos) << messages.texts.back();
      session.Record(2)->databasePath = database;
    } else {
      EXPECT_EQ(messages.texts.back(), "横断面标准数据已存入" + database + "中!");
    }
  }
}

}  // namespace
}  // namespace hdmjm::test
