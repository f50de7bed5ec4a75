// TablePage: a property page of table grids. A page of one grid is built from its descriptor;
// pages with several grids (group boxes with their own buttons) or extra widgets derive from it,
// add their grids with AddGrid and their widgets below them.
#pragma once

#include <QString>
#include <deque>
#include <memory>
#include <vector>

#include "pages/page_entry.h"
#include "pages/table_binding.h"

class QBoxLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace hdmjm {

inline constexpr std::string_view kHeadingFormat = "输入%1横断面数据";

struct PageDesc {
  Side side = kLeft;    // the side of the table; whole-road tables ignore it
  bool heading = true;  // "输入<road>横断面数据" above the grid
  GridDesc grid;
};

class TablePage : public PropertyPage {
  Q_OBJECT

 public:
  // One grid and its two buttons, in a group box when it has a title.
  struct GridPanel {
    TableBinding* binding;
    QPushButton* insertButton;
    QPushButton* deleteButton;
    QHBoxLayout* buttons;  // extra buttons go here
  };

  // A page of one grid, as `desc` says.
  TablePage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
            const PageDesc& desc);
  // A page without grids yet: its subclass adds them.
  TablePage(const PageContext& context, const QString& caption, bool hasLeaveHandler, bool heading);

  // Adds a grid below the others, or into `row` (from AddGridRow) beside the grids there.
  GridPanel& AddGrid(const GridDesc& desc, Side side, const QString& groupTitle = {},
                     QBoxLayout* row = nullptr);
  // A row below the grids, for grids that stand side by side.
  QBoxLayout* AddGridRow();
  int GridCount() const { return static_cast<int>(panels_.size()); }
  const GridPanel& Panel(int index) const { return panels_.at(index); }
  TableBinding& Binding(int index = 0) const { return *panels_.at(index).binding; }
  CGridCtrl& Grid(int index = 0) const { return Binding(index).Grid(); }
  QLabel* Heading() const { return heading_; }  // null on a page without one
  // The page's layout; what is added goes below the grids.
  QVBoxLayout* Body() const { return body_; }
  // The order in which the fill and the write-back visit the grids, by index; by default the
  // order they were added in. A page whose grids are laid out in one order and kept in another
  // says so here.
  void SetGridOrder(std::vector<int> order) { order_ = std::move(order); }
  bool ShowCell(const TableDesc& table, Side side, int row, int column) override;
  bool ShowsTable(const TableDesc& table, Side side) const override;

 protected:
  // The heading's text for the current road.
  virtual QString HeadingText() const;
  void Fill(RoadSectionStore* record) override;
  // Every grid in turn; a failed allocation ends the write-back.
  void WriteBack(RoadSectionStore& record) override;
  // The grids' bindings in the order of SetGridOrder.
  std::vector<TableBinding*> OrderedBindings() const;

 private:
  QVBoxLayout* body_;
  QLabel* heading_ = nullptr;
  int gridsEnd_ = 0;              // where the next grid goes in body_
  LandTypeList landTypes_;        // the project's land-use types, for the columns that offer them
  std::deque<GridPanel> panels_;  // stable references for the subclasses
  std::vector<int> order_;        // empty: as added
};

// The factory of every page built from its descriptor.
std::unique_ptr<PropertyPage> CreateTablePage(const PageEntry& entry, const PageContext& context);

}  // namespace hdmjm
