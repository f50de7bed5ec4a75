#include "pages/road_history.h"

#include <algorithm>

#include "pages/property_page.h"

namespace hdmjm {

RoadHistory::RoadHistory() = default;
RoadHistory::~RoadHistory() = default;

QUndoStack* RoadHistory::Stack(int road) const {
  if (road < 0 || road >= static_cast<int>(stacks_.size())) return nullptr;
  return stacks_[road].get();
}

void RoadHistory::Reset(int roads) {
  stacks_.clear();
  for (int road = 0; road < roads; ++road) stacks_.push_back(std::make_unique<QUndoStack>());
}

void RoadHistory::AddHost(PageHost& host) { hosts_.push_back(&host); }

void RoadHistory::RemoveHost(PageHost& host) { std::erase(hosts_, &host); }

void RoadHistory::AddPage(PropertyPage& page) {
  std::erase_if(pages_, [](const QPointer<PropertyPage>& p) { return p.isNull(); });
  pages_.emplace_back(&page);
}

PageHost* RoadHistory::Front() const {
  for (auto host = hosts_.rbegin(); host != hosts_.rend(); ++host)
    if ((*host)->IsShown()) return *host;
  return nullptr;
}

PropertyPage* RoadHistory::FindPage(std::string_view className, const RoadSectionStore* record,
                                    bool show) {
  if (!record) return nullptr;
  const QString name =
      QString::fromUtf8(className.data(), static_cast<qsizetype>(className.size()));
  PageHost* front = Front();
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) {
    PropertyPage* page = *it;
    if (!page || page->objectName() != name || page->FilledRecord() != record) continue;
    if (show && front && front->Holds(*page)) front->ShowPage(className);
    return page;
  }
  if (!show || !front) return nullptr;
  PropertyPage* page = front->ShowPage(className);
  return page && page->FilledRecord() == record ? page : nullptr;
}

std::vector<PropertyPage*> RoadHistory::PagesShowing(const RoadSectionStore* record,
                                                     const TableDesc& table, Side side,
                                                     const PropertyPage* except) const {
  std::vector<PropertyPage*> showing;
  for (const QPointer<PropertyPage>& pointer : pages_) {
    PropertyPage* page = pointer.data();
    if (!page || page == except || page->FilledRecord() != record) continue;
    if (page->ShowsTable(table, side) && std::ranges::find(showing, page) == showing.end())
      showing.push_back(page);
  }
  return showing;
}

}  // namespace hdmjm
