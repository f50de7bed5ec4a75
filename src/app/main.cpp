// hdmjm: the standard cross-section data of every road of a design scheme. No command line.
#include <QApplication>

#include "app/cross_section_app.h"
#include "app/translations.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("hdmjm"));
  hdmjm::InstallChineseTranslations(application);
  return hdmjm::CrossSectionApp().Run();
}
