// A property sheet: a dialog with one tab per page, OK ("确定") and Cancel ("取消"); there is no
// Apply button since no page ever reports a pending change.
//
// The protocol of every sheet: a page is created the first time its tab is shown and is then
// filled; leaving a page for another tab commits it when it has a leave handler; OK first leaves
// the current page, then runs the OK handler of every created page in tab order; Cancel runs
// none. A page may keep the designer on it when it is to be left (CanLeave). The undo and redo
// keys step the current road's history wherever no grid takes them.
#pragma once

#include <QDialog>
#include <QString>
#include <span>
#include <vector>

#include "pages/page_entry.h"
#include "pages/road_history.h"

class QTabWidget;

namespace hdmjm {

class PropertySheet : public QDialog, public PageHost {
  Q_OBJECT

 public:
  PropertySheet(const QString& caption, std::span<const PageEntry> pages,
                const PageContext& context, QWidget* parent = nullptr);
  ~PropertySheet() override;

  QTabWidget* Tabs() const { return tabs_; }
  int PageCount() const { return static_cast<int>(entries_.size()); }
  // Null until the page's tab was first shown.
  PropertyPage* Page(int index) const;

  void accept() override;

  PropertyPage* ShowPage(std::string_view className) override;
  bool Holds(const PropertyPage& page) const override;
  bool IsShown() const override { return isVisible(); }

 protected:
  // Ctrl+Page Down and Ctrl+Page Up step to the next and the previous page, as Ctrl+Tab and
  // Ctrl+Shift+Tab do in the tab widget.
  void keyPressEvent(QKeyEvent* event) override;

 public:
  // The first show creates and fills the current page before the sheet appears, so that the
  // sheet is sized and placed for it.
  void setVisible(bool visible) override;

 protected:
  // Runs after every created page's OK handler. False keeps the sheet open.
  virtual bool AfterOk();
  const PageContext& Context() const { return context_; }

 private:
  struct Entry {
    const PageEntry* row;  // the page table's row of the tab
    QWidget* tab;
    PropertyPage* page = nullptr;
  };

  void OnCurrentChanged(int index);
  void Activate(PropertyPage& page);
  // The page, created and filled on first use.
  PropertyPage* EnsurePage(int index);
  // The page, created but not yet filled.
  PropertyPage* CreatePage(int index);
  // Sizes the sheet to its contents and centres it, each unless its owner did so.
  void Place(bool keepSize, bool keepPlace);
  // Grows the sheet, never shrinking it, towards the size its pages ask for now that `page`
  // shows, within the screen's available area, and moves it back onto that area when the growth
  // took it past an edge.
  void GrowFor(PropertyPage& page);
  void CommitAllBut(const PropertyPage* changer);
  void RefillAllBut(const PropertyPage* changer);

  PageContext context_;
  QTabWidget* tabs_;
  std::vector<Entry> entries_;
  int current_ = -1;  // the page last made current; -1 before the first show
};

}  // namespace hdmjm
