#include "app/qt_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

namespace hdmjm {

void QtUserMessages::Show(const std::string& text, const std::string& title, Icon icon) {
  const QMessageBox::Icon boxIcon = icon == Icon::Information ? QMessageBox::Information
                                    : icon == Icon::Warning   ? QMessageBox::Warning
                                                              : QMessageBox::NoIcon;
  QMessageBox box(
      boxIcon, title.empty() ? QCoreApplication::applicationName() : QString::fromStdString(title),
      QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  box.exec();
}

std::optional<std::string> QtFileChooser::ChooseOpenFile(const std::string& title,
                                                         const std::string& initialName,
                                                         const std::string& filter) {
  const QString chosen =
      QFileDialog::getOpenFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                   QString::fromStdString(initialName), QtNameFilter(filter));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

std::optional<std::string> QtFileChooser::ChooseSaveFile(const std::string& title,
                                                         const std::string& initialName,
                                                         const std::string& filter) {
  // An existing file is replaced without a question, as the template files always were.
  const QString chosen =
      QFileDialog::getSaveFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                   QString::fromStdString(initialName), QtNameFilter(filter),
                                   nullptr, QFileDialog::DontConfirmOverwrite);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

QString QtNameFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  // A description may already end in its patterns in parentheses; Qt reads them from there.
  static const QRegularExpression kTrailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the closing "||"
    QString description = parts[i];
    description.remove(kTrailingPatterns);
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << description + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace hdmjm
