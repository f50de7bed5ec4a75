#include "app/qt_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "store/file_kind.h"

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

int QtUserMessages::Choose(const std::string& text, const std::vector<std::string>& buttons,
                           int defaultButton, const std::string& title) {
  QMessageBox box(
      QMessageBox::Question,
      title.empty() ? QCoreApplication::applicationName() : QString::fromStdString(title),
      QString::fromStdString(text), QMessageBox::NoButton, QApplication::activeWindow());
  std::vector<QPushButton*> pushed;
  for (const std::string& caption : buttons)
    pushed.push_back(box.addButton(QString::fromStdString(caption), QMessageBox::AcceptRole));
  if (defaultButton >= 0 && defaultButton < static_cast<int>(pushed.size())) {
    box.setDefaultButton(pushed[defaultButton]);
    box.setEscapeButton(pushed[defaultButton]);
  }
  box.exec();
  const auto chosen =
      std::find(pushed.begin(), pushed.end(), static_cast<QPushButton*>(box.clickedButton()));
  return chosen == pushed.end() ? defaultButton : static_cast<int>(chosen - pushed.begin());
}

QString SchemeFileTypes::type(const QFileInfo& info) const {
  if (info.suffix().compare(QLatin1String("mdb"), Qt::CaseInsensitive) == 0)
    return IsAccessKind(ProbeFile(info.filePath().toStdString()).kind) ? QStringLiteral("Access")
                                                                       : QStringLiteral("SQLite");
  return QFileIconProvider::type(info);
}

namespace {

std::optional<std::string> RunFileDialog(QFileDialog::AcceptMode mode, const std::string& title,
                                         const std::string& initialName,
                                         const std::string& filter) {
  SchemeFileTypes types;  // outlives the dialog that uses it
  QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title),
                     QString::fromStdString(initialName), QtNameFilter(filter));
  dialog.setIconProvider(&types);
  dialog.setAcceptMode(mode);
  if (mode == QFileDialog::AcceptOpen) {
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    // An existing file is replaced without a question, as the template files always were.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

std::optional<std::string> QtFileChooser::ChooseOpenFile(const std::string& title,
                                                         const std::string& initialName,
                                                         const std::string& filter) {
  return RunFileDialog(QFileDialog::AcceptOpen, title, initialName, filter);
}

std::optional<std::string> QtFileChooser::ChooseSaveFile(const std::string& title,
                                                         const std::string& initialName,
                                                         const std::string& filter) {
  return RunFileDialog(QFileDialog::AcceptSave, title, initialName, filter);
}

std::optional<std::string> QtFileChooser::ChooseFolder(const std::string& title,
                                                       const std::string& initialFolder) {
  QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title),
                     QString::fromStdString(initialFolder));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
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
