// The Qt faces of the store's dialog services: message boxes and the file and folder dialogs.
#pragma once

#include <QFileIconProvider>
#include <QString>

#include "store/services.h"

namespace hdmjm {

class QtUserMessages : public UserMessages {
 public:
  void Show(const std::string& text, const std::string& title, Icon icon) override;
  int Choose(const std::string& text, const std::vector<std::string>& buttons, int defaultButton,
             const std::string& title) override;
};

class QtFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& initialName,
                                            const std::string& filter) override;
  std::optional<std::string> ChooseSaveFile(const std::string& title,
                                            const std::string& initialName,
                                            const std::string& filter) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initialFolder) override;
};

// The file dialogs' type column: a scheme file keeps the extension an older database product
// used, and is named for what it is (SQLite, or an Access file still to be brought in), not by the
// system's name for that extension.
class SchemeFileTypes : public QFileIconProvider {
 public:
  QString type(const QFileInfo& info) const override;
};

// "text (*.a;*.b)|*.a;*.b|All Files(*.*)|*.*||" as a Qt name filter,
// "text (*.a *.b);;All Files (*.*)".
QString QtNameFilter(const std::string& filter);

}  // namespace hdmjm
