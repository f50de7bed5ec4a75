// What the settings page shows while no project is open: one line saying so, the buttons that
// open a project folder or a scheme file, the one that creates an empty scheme for a project
// that has none, and the projects opened lately (a double click or Enter opens one).
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace hdmjm {

class ProjectPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ProjectPanel(QWidget* parent);

  void SetRecent(const std::vector<std::string>& paths);
  void OfferNewScheme(bool offer);

 signals:
  void OpenFolder();
  void OpenScheme();
  void NewScheme();
  void OpenRecent(const QString& path);

 private:
  QLabel* line_;
  QPushButton* newScheme_;
  QListWidget* recent_;
};

}  // namespace hdmjm
