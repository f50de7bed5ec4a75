// Runs the main sheet on PROJECT (a project folder or scheme database), presses "检查数据..." and
// saves a picture of the findings window on its list ("list", every road) or its strip view
// ("strip", the current road) to OUTPUT. Run it by hand under X:
//   xvfb-run -a -s "-screen 0 1600x1200x24" findings_screenshot strip docs/strip-view.png DIR
#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <string_view>

#include "app/cross_section_app.h"
#include "app/findings_window.h"
#include "app/setdlg.h"
#include "app/sheets.h"
#include "app/strip_view.h"
#include "screen_shot.h"

using namespace hdmjm;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  test::UseScreenshotFont();
  if (argc < 4) {
    std::fprintf(stderr, "usage: findings_screenshot list|strip OUTPUT.png PROJECT\n");
    return 2;
  }
  const bool strip = std::string_view(argv[1]) == "strip";
  const QString output = QString::fromLocal8Bit(argv[2]);
  bool saved = false;
  CrossSectionApp(std::string(argv[3])).Run([&](HDMJM& sheet) {
    QTimer::singleShot(300, &sheet, [&] {
      auto* settings = qobject_cast<SetDlg*>(sheet.Page(0));
      if (!settings) return sheet.reject();
      settings->CheckData();
      FindingsWindow* window = settings->Findings();
      window->ScopeBox()->setCurrentIndex(strip ? FindingsWindow::kCurrentRoad
                                                : FindingsWindow::kEveryRoad);
      window->Tabs()->setCurrentIndex(strip ? 1 : 0);
      window->resize(strip ? QSize(1500, window->Strip()->minimumHeight() + 110)
                           : QSize(1100, 560));
      QTimer::singleShot(600, window, [&, window] {
        saved = window->grab().save(output);
        window->close();
        sheet.reject();
      });
    });
  });
  std::fprintf(stderr, saved ? "saved\n" : "not saved\n");
  return saved ? 0 : 1;
}
