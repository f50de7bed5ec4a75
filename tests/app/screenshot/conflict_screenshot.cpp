// Runs the main sheet on the project that the workdir file next to this program names; meanwhile
// another program saves 主线's first 左横断面限制宽度 row as 50, the designer types 61 into the
// second row on the left side sheet and presses OK. Saves a picture of the question that follows
// to OUTPUT, answers it "以后再定" and ends. Run it by hand under X, on the sample project:
//   xvfb-run -a -s "-screen 0 1280x800x24" conflict_screenshot docs/conflict-question.png
#include <sqlite3.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/cross_section_app.h"
#include "app/setdlg.h"
#include "app/sheets.h"
#include "grid/gridctrl.h"
#include "pages/table_page.h"
#include "screen_shot.h"

using namespace hdmjm;

namespace {

void PressOk(QDialog& dialog) {
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// Types over cell (row, column) of the grid and ends the edit with Tab, as the designer would.
void TypeInto(CGridCtrl& grid, int row, int column, const QString& text) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(row, column).center());
  QTest::keyClicks(&grid, text.left(1));
  if (QWidget* editor = grid.InPlaceEditor()) {
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Tab);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  test::UseScreenshotFont();
  if (argc < 2) {
    std::fprintf(stderr, "usage: conflict_screenshot OUTPUT.png\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  bool saved = false;
  bool typed = false;
  bool shooting = false;
  QTimer poll;
  CrossSectionApp().Run([&](HDMJM& sheet) {
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* side = qobject_cast<HDMContainer*>(modal); side && !typed) {
        typed = true;
        TypeInto(dynamic_cast<TablePage*>(side->Page(0))->Grid(), 2, 2, QStringLiteral("61"));
        PressOk(*side);
        QTimer::singleShot(300, &sheet, [&] { PressOk(sheet); });
      } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && typed && !shooting) {
        shooting = true;
        QTimer::singleShot(500, box, [&saved, box, &output] {
          const QRect area = box->frameGeometry().adjusted(-12, -12, 12, 12);
          saved = QGuiApplication::primaryScreen()
                      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                      .save(output);
          box->reject();  // Escape: 以后再定
        });
      } else if (box && saved) {
        box->accept();  // the save's summary
      } else if ((!modal || modal == &sheet) && saved) {
        sheet.reject();
      }
    });
    QTimer::singleShot(300, &sheet, [&] {
      // Another program saves 主线's first row.
      const std::string database = qobject_cast<SetDlg*>(sheet.Page(0))->DatabasePath();
      sqlite3* other = nullptr;
      if (sqlite3_open(database.c_str(), &other) == SQLITE_OK)
        sqlite3_exec(other,
                     "UPDATE 左横断面限制宽度 SET 路基限宽 = 50 WHERE 道路名 = '主线' AND "
                     "路基限宽 = 45",
                     nullptr, nullptr, nullptr);
      sqlite3_close(other);
      poll.start(100);
      sheet.Tabs()->setCurrentIndex(1);  // the left side sheet
    });
  });
  std::fprintf(stderr, saved ? "saved\n" : "not saved\n");
  return saved ? 0 : 1;
}
