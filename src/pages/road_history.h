// The history of the open scheme's roads: one QUndoStack per road, holding every change the
// designer made to that road's tables, and what a step needs to be done again or undone: the
// pages that show the road now, and the sheets in which they sit.
//
// The history belongs to the road, not to a page: a page may be gone (its side sheet closed) when
// one of its steps is undone, and then the step acts on the record through a page made for the
// moment and committed at once.
#pragma once

#include <QPointer>
#include <QUndoStack>
#include <memory>
#include <string_view>
#include <vector>

#include "store/records.h"

namespace hdmjm {

class PropertyPage;
class TableDesc;

// A sheet that holds pages by class name and brings one of them to the front.
class PageHost {
 public:
  virtual ~PageHost() = default;
  // Makes the page of class `className` the current page, creating and filling it when it was
  // not yet; the page, or null when the sheet has no such page.
  virtual PropertyPage* ShowPage(std::string_view className) = 0;
  virtual bool Holds(const PropertyPage& page) const = 0;
  // Shown on the screen: of the shown sheets, the one opened last is in front.
  virtual bool IsShown() const = 0;
};

class RoadHistory {
 public:
  RoadHistory();
  ~RoadHistory();
  RoadHistory(const RoadHistory&) = delete;
  RoadHistory& operator=(const RoadHistory&) = delete;

  // Road `road`'s history; null when there is no such road.
  QUndoStack* Stack(int road) const;
  // Every road's history starts anew (the records were replaced).
  void Reset(int roads);

  void AddHost(PageHost& host);
  void RemoveHost(PageHost& host);
  // A page that shows a record from now on, until it is destroyed.
  void AddPage(PropertyPage& page);

  // The page of class `className` that shows `record`: one already made, or one the sheet in
  // front makes. With `show`, it becomes the current page when that sheet holds it. Null when no
  // open sheet holds such a page.
  PropertyPage* FindPage(std::string_view className, const RoadSectionStore* record, bool show);
  // The pages showing `record` with a grid of `table` on side `side`, but `except`.
  std::vector<PropertyPage*> PagesShowing(const RoadSectionStore* record, const TableDesc& table,
                                          Side side, const PropertyPage* except) const;

  // True while a change is recorded or a step applied: what happens meanwhile is part of it.
  bool Busy() const { return busy_ > 0; }
  class BusyScope {
   public:
    explicit BusyScope(RoadHistory& history) : history_(history) { ++history_.busy_; }
    ~BusyScope() { --history_.busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    RoadHistory& history_;
  };

 private:
  PageHost* Front() const;

  std::vector<std::unique_ptr<QUndoStack>> stacks_;
  std::vector<PageHost*> hosts_;
  std::vector<QPointer<PropertyPage>> pages_;
  int busy_ = 0;
};

}  // namespace hdmjm
