#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace hdmjm {

bool InstallChineseTranslations(QCoreApplication& application) {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // "qt" gathers the catalogues of every installed module; "qtbase" alone serves where it is
  // missing.
  for (const char* catalogue : {"qt", "qtbase"}) {
    auto* translator = new QTranslator(&application);
    if (translator->load(chinese, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator))
      return true;
    delete translator;
  }
  return false;
}

}  // namespace hdmjm
