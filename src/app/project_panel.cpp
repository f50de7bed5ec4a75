#include "app/project_panel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace hdmjm {
namespace {

// Enter opens the current project and stops there: the list view would pass the key on to the
// sheet, whose OK would then end the program.
class RecentList : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || !currentItem()) return QListWidget::keyPressEvent(event);
    emit itemActivated(currentItem());
    event->accept();
  }
};

QPushButton* AddButton(QWidget* parent, QBoxLayout* row, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // Enter confirms the sheet or opens a recent project
  row->addWidget(button);
  return button;
}

}  // namespace

ProjectPanel::ProjectPanel(QWidget* parent)
    : QWidget(parent),
      line_(new QLabel(QStringLiteral("没有打开的项目。"), this)),
      recent_(new RecentList(this)) {
  line_->setObjectName(QStringLiteral("noProjectLine"));
  recent_->setObjectName(QStringLiteral("recentList"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(line_);
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  connect(AddButton(this, row, "openProjectButton", QStringLiteral("打开项目...")),
          &QPushButton::clicked, this, &ProjectPanel::OpenFolder);
  connect(AddButton(this, row, "openSchemeButton", QStringLiteral("打开方案数据库...")),
          &QPushButton::clicked, this, &ProjectPanel::OpenScheme);
  newScheme_ = AddButton(this, row, "newSchemeButton", QStringLiteral("新建空方案..."));
  connect(newScheme_, &QPushButton::clicked, this, &ProjectPanel::NewScheme);
  row->addStretch();
  layout->addWidget(new QLabel(QStringLiteral("最近打开的项目:"), this));
  layout->addWidget(recent_, 1);
  connect(recent_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { emit OpenRecent(item->text()); });
}

void ProjectPanel::SetRecent(const std::vector<std::string>& paths) {
  recent_->clear();
  for (const std::string& path : paths) recent_->addItem(QString::fromStdString(path));
}

void ProjectPanel::OfferNewScheme(bool offer) { newScheme_->setVisible(offer); }

}  // namespace hdmjm
