// hdmjm: the standard cross-section data of every road of a design scheme.
//   hdmjm [PROJECT | SCHEME.mdb]   hdmjm --help   hdmjm --version
#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/cross_section_app.h"
#include "app/translations.h"

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("hdmjm"));
  QCoreApplication::setOrganizationName(QStringLiteral("hdmjm"));
  QCoreApplication::setApplicationVersion(QStringLiteral(HDMJM_VERSION));
  // Read before any window exists: --help, --version and a wrong option need no display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const hdmjm::CommandLine line = hdmjm::ParseCommandLine(arguments);
  if (line.exit) {
    std::fputs(line.output.c_str(), line.exitCode == 0 ? stdout : stderr);
    return line.exitCode;
  }
  QApplication application(argc, argv);
  // Lets the desktop match the window with the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("hdmjm"));
  hdmjm::InstallChineseTranslations(application);
  return hdmjm::CrossSectionApp(line.project).Run();
}
