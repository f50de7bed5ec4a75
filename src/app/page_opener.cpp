#include "app/page_opener.h"

#include <QTabWidget>
#include <QTimer>
#include <memory>

#include "app/sheets.h"

namespace hdmjm {

PageOpener::PageOpener(const PageContext& context, PropertySheet* mainSheet,
                       std::function<void(int)> selectRoad)
    : context_(context), mainSheet_(mainSheet), selectRoad_(std::move(selectRoad)) {}

bool PageOpener::Open(const std::string& road, const TableDesc& table, Side side, int row,
                      int column) {
  SchemeSession& session = context_.session;
  int index = 0;
  while (index < session.RoadCount() && session.Record(index)->roadName != road) ++index;
  if (index == session.RoadCount()) return false;
  if (index != session.CurrentRoad() && selectRoad_) selectRoad_(index);
  const std::optional<PageLocation> where = LocatePage(table, side);
  if (!where) return false;
  if (where->sheet == SheetKind::Main) {
    if (!mainSheet_) return false;
    mainSheet_->Tabs()->setCurrentIndex(where->tab);
    mainSheet_->activateWindow();
    PropertyPage* page = mainSheet_->Page(where->tab);
    return page && page->ShowCell(table, side, row, column);
  }
  QWidget* parent = mainSheet_ ? mainSheet_->window() : nullptr;
  std::unique_ptr<PropertySheet> sheet;
  if (where->sheet == SheetKind::Left)
    sheet = std::make_unique<HDMContainer>(context_, parent);
  else
    sheet = std::make_unique<HDMContainerR>(context_, parent);
  sheet->Tabs()->setCurrentIndex(where->tab);  // the first show creates and fills this page
  PropertySheet* shown = sheet.get();
  const TableDesc* desc = &table;
  const int tab = where->tab;
  QTimer::singleShot(0, shown, [=] {
    if (PropertyPage* page = shown->Page(tab)) page->ShowCell(*desc, side, row, column);
  });
  sheet->exec();
  return true;
}

}  // namespace hdmjm
