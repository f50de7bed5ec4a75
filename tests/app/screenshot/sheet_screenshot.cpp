// Runs the main sheet on the project that the workdir file next to this program names, opens the
// left side sheet on tab TAB (or, for "main:TAB", the main sheet's tab) and saves a picture of it
// to OUTPUT. Run it by hand under X:
//   xvfb-run -a -s "-screen 0 1280x800x24" sheet_screenshot 11 docs/left-sheet.png
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/cross_section_app.h"
#include "app/sheets.h"
#include "screen_shot.h"

using namespace hdmjm;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  test::UseScreenshotFont();
  if (argc < 3) {
    std::fprintf(stderr, "usage: sheet_screenshot TAB OUTPUT.png\n");
    return 2;
  }
  const bool main = std::string_view(argv[1]).starts_with("main:");
  const int tab = std::atoi(argv[1] + (main ? 5 : 0));
  const QString output = QString::fromLocal8Bit(argv[2]);

  bool saved = false;
  QTimer poll;
  CrossSectionApp().Run([&](HDMJM& sheet) {
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* side = qobject_cast<HDMContainer*>(QApplication::activeModalWidget());
      if (!side || side->Tabs()->currentIndex() == tab) return;
      side->Tabs()->setCurrentIndex(tab);
      side->resize(side->sizeHint().expandedTo(QSize(900, 480)));
      QTimer::singleShot(500, side, [&, side] {
        saved = side->grab().save(output);
        side->reject();
        sheet.reject();
      });
    });
    poll.start(100);
    QTimer::singleShot(300, &sheet, [&] {
      if (!main) return sheet.Tabs()->setCurrentIndex(1);
      sheet.Tabs()->setCurrentIndex(tab);
      QTimer::singleShot(500, &sheet, [&] {
        saved = sheet.grab().save(output);
        sheet.reject();
      });
    });
  });
  std::fprintf(stderr, saved ? "saved\n" : "not saved\n");
  return saved ? 0 : 1;
}
