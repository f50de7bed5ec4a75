#include "app/findings_window.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/strip_view.h"
#include "pages/qt_text.h"

namespace hdmjm {
namespace {

enum Column { kRoad, kTable, kRow, kField, kSeverity, kText, kColumns };
constexpr std::string_view kHeaders[] = {"道路", "表", "行", "列", "级别", "说明"};
const QString kAllTables = QStringLiteral("全部表");

QTableWidgetItem* Item(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

}  // namespace

FindingsWindow::FindingsWindow(const PageContext& context, PageOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Window),
      context_(context),
      opener_(opener),
      tabs_(new QTabWidget(this)),
      scope_(new QComboBox(this)),
      severity_(new QComboBox(this)),
      table_(new QComboBox(this)),
      counts_(new QLabel(this)),
      list_(new QTableWidget(0, kColumns, this)),
      strip_(new StripView(this)),
      export_(new QPushButton(QStringLiteral("导出图片..."), this)) {
  setWindowTitle(QStringLiteral("检查数据"));
  scope_->addItems({QStringLiteral("当前道路"), QStringLiteral("全部道路")});
  severity_->addItems({QStringLiteral("全部"), QStringLiteral("错误"), QStringLiteral("警告")});
  table_->addItem(kAllTables);
  QStringList headers;
  for (std::string_view header : kHeaders) headers << ToQString(header);
  list_->setHorizontalHeaderLabels(headers);
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->verticalHeader()->hide();
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSortingEnabled(true);
  list_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);  // road order until asked
  counts_->setWordWrap(true);

  auto* filters = new QHBoxLayout;
  for (auto [caption, box] : {std::pair{"范围:", scope_}, {"级别:", severity_}, {"表:", table_}}) {
    filters->addWidget(new QLabel(QString::fromUtf8(caption), this));
    filters->addWidget(box);
  }
  filters->addStretch(1);
  auto* listPage = new QWidget(tabs_);
  auto* listLayout = new QVBoxLayout(listPage);
  listLayout->addLayout(filters);
  listLayout->addWidget(counts_);
  listLayout->addWidget(list_, 1);
  auto* stripPage = new QWidget(tabs_);
  auto* stripLayout = new QVBoxLayout(stripPage);
  auto* scroll = new QScrollArea(stripPage);
  scroll->setWidget(strip_);
  scroll->setWidgetResizable(true);
  stripLayout->addWidget(scroll, 1);
  auto* stripButtons = new QHBoxLayout;
  stripButtons->addStretch(1);
  stripButtons->addWidget(export_);
  stripLayout->addLayout(stripButtons);
  tabs_->addTab(listPage, QStringLiteral("检查结果"));
  tabs_->addTab(stripPage, QStringLiteral("里程条图"));
  (new QVBoxLayout(this))->addWidget(tabs_);
  resize(960, 620);

  connect(scope_, &QComboBox::currentIndexChanged, this, &FindingsWindow::Refresh);
  connect(severity_, &QComboBox::currentIndexChanged, this, &FindingsWindow::Populate);
  connect(table_, &QComboBox::currentIndexChanged, this, &FindingsWindow::Populate);
  connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { OpenRow(row); });
  connect(export_, &QPushButton::clicked, this, &FindingsWindow::ExportPicture);
  strip_->onClick = [this](const StripHit& hit) {
    const std::string road = strip_->Road().name;  // the view is rebuilt while the page is open
    opener_.Open(road, *hit.band->table, hit.band->side, hit.piece->row, hit.band->endColumn);
    Refresh();
  };
  Refresh();
}

void FindingsWindow::Refresh() {
  const SchemeSession& session = context_.session;
  findings_.clear();
  roads_.clear();
  for (int road = 0; road < session.RoadCount(); ++road) {
    if (scope_->currentIndex() == kCurrentRoad && road != session.CurrentRoad()) continue;
    const RoadSectionStore& record = *session.Record(road);
    roads_.push_back(record.roadName);
    for (Finding& finding : CheckRoad(record)) findings_.push_back(std::move(finding));
  }
  const RoadSectionStore* current = session.CurrentRecord();
  strip_->SetRoad(current, current ? CheckRoad(*current) : Findings{});

  const QString chosen = table_->currentText();
  QStringList tables;
  for (const Finding& finding : findings_) tables << ToQString(TableNameOf(finding));
  tables.removeDuplicates();
  tables.sort();
  {
    const QSignalBlocker blocker(table_);
    table_->clear();
    table_->addItem(kAllTables);
    table_->addItems(tables);
    table_->setCurrentIndex(std::max(table_->findText(chosen), 0));
  }
  ShowCounts();
  Populate();
}

void FindingsWindow::ShowCounts() {
  QStringList parts;
  for (const std::string& road : roads_) {
    int errors = 0, warnings = 0;
    for (const Finding& finding : findings_) {
      if (finding.road != road) continue;
      (finding.GetSeverity() == Severity::Error ? errors : warnings) += 1;
    }
    parts << QStringLiteral("%1: %2 处错误, %3 处警告")
                 .arg(ToQString(road))
                 .arg(errors)
                 .arg(warnings);
  }
  counts_->setText(parts.join(QStringLiteral("; ")));
}

void FindingsWindow::Populate() {
  const int filter = severity_->currentIndex();
  const QString table = table_->currentIndex() > 0 ? table_->currentText() : QString();
  list_->setSortingEnabled(false);
  list_->setRowCount(0);
  for (size_t i = 0; i < findings_.size(); ++i) {
    const Finding& finding = findings_[i];
    const bool error = finding.GetSeverity() == Severity::Error;
    if ((filter == kErrors && !error) || (filter == kWarnings && error)) continue;
    if (!table.isEmpty() && ToQString(TableNameOf(finding)) != table) continue;
    const int row = list_->rowCount();
    list_->insertRow(row);
    QTableWidgetItem* road = Item(ToQString(finding.road));
    road->setData(Qt::UserRole, static_cast<int>(i));
    list_->setItem(row, kRoad, road);
    list_->setItem(row, kTable, Item(ToQString(TableNameOf(finding))));
    QTableWidgetItem* number = Item({});
    number->setData(Qt::DisplayRole, finding.row);  // sorts as a number
    list_->setItem(row, kRow, number);
    list_->setItem(row, kField, Item(ToQString(ColumnNameOf(finding))));
    QTableWidgetItem* severity = Item(ToQString(SeverityText(finding.GetSeverity())));
    if (error) severity->setForeground(Qt::red);
    list_->setItem(row, kSeverity, severity);
    list_->setItem(row, kText, Item(ToQString(FindingText(finding))));
  }
  list_->setSortingEnabled(true);
  list_->resizeColumnsToContents();
}

std::vector<const Finding*> FindingsWindow::Shown() const {
  std::vector<const Finding*> shown;
  for (int row = 0; row < list_->rowCount(); ++row)
    shown.push_back(&findings_.at(list_->item(row, kRoad)->data(Qt::UserRole).toInt()));
  return shown;
}

void FindingsWindow::OpenRow(int row) {
  const std::vector<const Finding*> shown = Shown();
  if (row < 0 || row >= static_cast<int>(shown.size())) return;
  const Finding finding = *shown[row];  // the list is rebuilt while the page is open
  if (finding.table && finding.table != &ChainBreakTable())
    opener_.Open(finding.road, *finding.table, finding.side, finding.row, finding.column);
  Refresh();
}

void FindingsWindow::ExportPicture() {
  const std::string proposed = strip_->Road().name + "-里程条图.png";
  const auto chosen = context_.files.ChooseSaveFile("导出图片", proposed, kPictureFilter);
  if (!chosen) return;
  std::string path = *chosen;
  const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
  if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg") &&
      suffix != QStringLiteral("pdf"))
    path += ".png";
  if (!strip_->Export(path)) context_.messages.Show("图片未能写入" + path + "!");
}

bool FindingsWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Refresh();
  return QDialog::event(event);
}

bool SaveDespiteErrors(const RoadRecordList& records, UserMessages& messages) {
  int errors = 0;
  for (const auto& record : records) errors += CountOf(CheckRoad(*record), Severity::Error);
  if (errors == 0) return true;
  const std::string question =
      "检查数据发现" + std::to_string(errors) + "处错误 (可按“检查数据...”查看)。仍然存入吗?";
  return messages.Choose(question, {"存入", "返回修改"}, 0, "检查数据") == 0;
}

}  // namespace hdmjm
