// Shows one of the program's standard dialogs under Qt's Chinese catalogues, as the program does,
// and saves a picture of it taken with ImageMagick's import. Run it under an X server:
//   xvfb-run -a -s "-screen 0 1024x768x24" dialogs_screenshot file docs/open-file-dialog.png DB
//   xvfb-run -a -s "-screen 0 1024x768x24" dialogs_screenshot message docs/message-box.png DB
// DB is the scheme database the open-file dialog proposes and the message names.
#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/qt_services.h"
#include "app/setdlg.h"
#include "app/translations.h"
#include "store/messages.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: dialogs_screenshot file|message OUTPUT.png DATABASE\n");
    return 2;
  }
  const std::string kind = argv[1];
  const QString output = QString::fromLocal8Bit(argv[2]);
  const std::string database = argv[3];
  QApplication::setApplicationName(QStringLiteral("hdmjm"));
  if (!hdmjm::InstallChineseTranslations(app))
    std::fprintf(stderr, "Qt's Chinese catalogues were not found\n");
  QFont font(QStringLiteral("WenQuanYi Zen Hei"));
  font.setPixelSize(13);
  QApplication::setFont(font);

  int result = 1;
  QTimer::singleShot(1200, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    const QRect area = dialog->frameGeometry().adjusted(-12, -12, 12, 12);
    const QString crop = QStringLiteral("%1x%2+%3+%4")
                             .arg(area.width())
                             .arg(area.height())
                             .arg(std::max(0, area.x()))
                             .arg(std::max(0, area.y()));
    result = QProcess::execute(
        QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"), crop, output});
    std::fprintf(stderr, "%s %s\n", result == 0 ? "saved" : "could not save", qPrintable(output));
    dialog->close();
  });
  if (kind == "file") {
    hdmjm::QtFileChooser files;
    files.ChooseOpenFile("打开", database, hdmjm::kImportFilter);
  } else {
    hdmjm::QtUserMessages messages;
    messages.Show(hdmjm::messages::Saved(database), {}, hdmjm::UserMessages::Icon::None);
  }
  return result;
}
