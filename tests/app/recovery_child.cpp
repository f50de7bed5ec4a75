// Started by the recovery test: runs the program's main sheet on the project PROJECT, types
// 4321 into the first end station of 填方分类 and leaves the page, then prints "written" once the
// recovery file holds the edit, and waits to be killed.
//   recovery_child PROJECT SETTINGS-FOLDER
#include <sqlite3.h>

#include <QApplication>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/cross_section_app.h"
#include "app/recovery_keeper.h"
#include "app/sheets.h"
#include "grid/gridctrl.h"

namespace {

constexpr int kFillClassTab = 3;

void ClickTab(hdmjm::PropertySheet& sheet, int index) {
  QTabBar* bar = sheet.Tabs()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

bool HoldsEdit(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  bool holds = false;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM cells WHERE value = 4321.0", -1, &query, nullptr) ==
        SQLITE_OK)
      holds = sqlite3_step(query) == SQLITE_ROW;
    sqlite3_finalize(query);
  }
  sqlite3_close(db);
  return holds;
}

void Edit(hdmjm::HDMJM& sheet) {
  ClickTab(sheet, kFillClassTab);
  auto* grid = sheet.Page(kFillClassTab)->findChild<hdmjm::CGridCtrl*>();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->GetCellRect(1, 1).center());
  QTest::keyClicks(grid, QStringLiteral("4"));
  QTest::keyClick(grid->InPlaceEditor(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(grid->InPlaceEditor(), QStringLiteral("4321"));
  QTest::keyClick(grid->InPlaceEditor(), Qt::Key_Tab);
  ClickTab(sheet, 0);  // leaving the page commits it
  auto* poll = new QTimer(&sheet);
  QObject::connect(poll, &QTimer::timeout, [&sheet, poll] {
    if (!HoldsEdit(sheet.Recovery().FilePath())) return;
    poll->stop();
    std::puts("written");
    std::fflush(stdout);
  });
  poll->start(50);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  QApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("hdmjm-tests"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLocal8Bit(argv[2]));
  return hdmjm::CrossSectionApp(std::string(argv[1])).Run([](hdmjm::HDMJM& sheet) {
    // Loading the scheme runs inside the sheet's first show: edit once the sheet is up.
    auto* start = new QTimer(&sheet);
    QObject::connect(start, &QTimer::timeout, [&sheet, start] {
      if (!sheet.isVisible()) return;
      start->stop();
      Edit(sheet);
    });
    start->start(50);
  });
}
