#include "app/sheets.h"

#include <filesystem>

#include "app/findings_window.h"
#include "app/recovery_keeper.h"
#include "app/setdlg.h"

namespace hdmjm {

std::span<const PageEntry> MainSheetPages() {
  static const std::vector<PageEntry> pages =
      MainSheetPages({&Create<SetDlg>, &Create<SideSheetOpener<HDMContainer>>,
                      &Create<SideSheetOpener<HDMContainerR>>});
  return pages;
}

QString MainSheetTitle(const std::string& database) {
  const QString caption = QStringLiteral("横断面数据");
  if (database.empty()) return caption;
  const QString file = QString::fromStdString(database);
  return QStringLiteral("%1 - %2 (%3)")
      .arg(caption, QString::fromStdString(std::filesystem::path(database).stem().string()), file);
}

HDMJM::HDMJM(const PageContext& context, QWidget* parent, std::span<const PageEntry> pages)
    : PropertySheet(MainSheetTitle(), pages, context, parent),
      recovery_(std::make_unique<RecoveryKeeper>(context)) {}

HDMJM::~HDMJM() = default;

bool HDMJM::AfterOk() {
  for (int i = 0; i < PageCount(); ++i)
    if (auto* settings = qobject_cast<SetDlg*>(Page(i))) {
      if (!SaveDespiteErrors(Context().session.RoadRecords(), Context().messages)) return false;
      const bool saved = settings->SaveAllRoads();
      recovery_->AfterSave(saved);
      return saved;
    }
  return true;
}

void HDMJM::reject() {
  recovery_->Finish();
  PropertySheet::reject();
}

HDMContainer::HDMContainer(const PageContext& context, QWidget* parent)
    : PropertySheet(QStringLiteral("左标准断面参数"), LeftSheetPages(), context, parent) {}

HDMContainerR::HDMContainerR(const PageContext& context, QWidget* parent)
    : PropertySheet(QStringLiteral("右标准断面参数"), RightSheetPages(), context, parent) {}

}  // namespace hdmjm
