#include "pages/table_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "grid/typedgridctrl.h"
#include "pages/edit_commands.h"

namespace hdmjm {

TablePage::TablePage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
                     bool heading)
    : PropertyPage(context, caption, hasLeaveHandler), body_(new QVBoxLayout(this)) {
  landTypes_.SetContext(Session().InstallRoot(), &Session().Paths(), &Context().messages);
  if (heading) {
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("heading"));
    heading_->setWordWrap(true);
    body_->addWidget(heading_);
    ++gridsEnd_;
  }
}

TablePage::TablePage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
                     const PageDesc& desc)
    : TablePage(context, caption, hasLeaveHandler, desc.heading) {
  AddGrid(desc.grid, desc.side);
}

QBoxLayout* TablePage::AddGridRow() {
  auto* row = new QHBoxLayout;
  body_->insertLayout(gridsEnd_++, row, 1);
  return row;
}

TablePage::GridPanel& TablePage::AddGrid(const GridDesc& desc, Side side, const QString& groupTitle,
                                         QBoxLayout* row) {
  QWidget* frame = this;
  QVBoxLayout* layout = new QVBoxLayout;
  if (!groupTitle.isEmpty()) {
    auto* group = new QGroupBox(groupTitle, this);
    group->setLayout(layout);
    if (row)
      row->addWidget(group, 1);
    else
      body_->insertWidget(gridsEnd_++, group, 1);
    frame = group;
  } else {
    layout->setContentsMargins(0, 0, 0, 0);
    if (row)
      row->addLayout(layout, 1);
    else
      body_->insertLayout(gridsEnd_++, layout, 1);
  }

  CGridCtrl* grid = nullptr;
  if (desc.typed)
    grid = new CTypedGridCtrl(frame);
  else
    grid = new CGridCtrl(frame);
  grid->setObjectName(QStringLiteral("grid"));
  layout->addWidget(grid, 1);

  auto* buttons = new QHBoxLayout;
  auto* insert = new QPushButton(ToQString(desc.insertCaption), frame);
  auto* remove = new QPushButton(ToQString(desc.deleteCaption), frame);
  insert->setObjectName(QStringLiteral("insertButton"));
  remove->setObjectName(QStringLiteral("deleteButton"));
  for (QPushButton* button : {insert, remove}) {
    button->setAutoDefault(false);  // Enter confirms the sheet, it does not press a button
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  layout->addLayout(buttons);

  auto* binding = new TableBinding(desc, side, *grid, Context().messages, this);
  binding->UseLandTypes(landTypes_);
  SetPageTable(*grid);
  AddRowActions(*grid, insert, remove);
  // The buttons act on the grid's focus cell, which stays while the button holds the focus;
  // then the keyboard goes back to the grid, so typing edits the row and Enter stays there.
  connect(insert, &QPushButton::clicked, binding, [this, insert, binding] {
    RecordChange(*this, insert->text(), [binding] { binding->InsertRow(); });
  });
  connect(remove, &QPushButton::clicked, binding, [this, remove, binding] {
    RecordChange(*this, remove->text(), [binding] { binding->DeleteRow(); });
  });
  for (QPushButton* button : {insert, remove})
    connect(button, &QPushButton::clicked, grid, [grid] { grid->setFocus(Qt::OtherFocusReason); });
  panels_.push_back(GridPanel{binding, insert, remove, buttons});
  return panels_.back();
}

QString TablePage::HeadingText() const {
  return ToQString(kHeadingFormat).arg(ToQString(Session().CurrentRoadName()));
}

std::vector<TableBinding*> TablePage::OrderedBindings() const {
  std::vector<TableBinding*> bindings;
  if (order_.empty()) {
    for (const GridPanel& panel : panels_) bindings.push_back(panel.binding);
  } else {
    for (int index : order_) bindings.push_back(panels_.at(index).binding);
  }
  return bindings;
}

bool TablePage::ShowsTable(const TableDesc& table, Side side) const {
  for (const GridPanel& panel : panels_) {
    const TableBinding& binding = *panel.binding;
    if (&binding.Table() == &table &&
        (table.Scope() != TableScope::Side || binding.TableSide() == side))
      return true;
  }
  return false;
}

void TablePage::Fill(RoadSectionStore* record) {
  if (heading_) heading_->setText(HeadingText());
  for (TableBinding* binding : OrderedBindings()) binding->Fill(record);
}

void TablePage::WriteBack(RoadSectionStore& record) {
  for (TableBinding* binding : OrderedBindings())
    if (!binding->WriteBack(record)) return;
}

bool TablePage::ShowCell(const TableDesc& table, Side side, int row, int column) {
  for (const GridPanel& panel : panels_) {
    const TableBinding& binding = *panel.binding;
    if (&binding.Table() != &table ||
        (table.Scope() == TableScope::Side && binding.TableSide() != side))
      continue;
    CGridCtrl& grid = binding.Grid();
    int col = 1;
    for (int c = 1; c < grid.GetColumnCount(); ++c)
      if (binding.FieldOf(c, side) == column) col = c;
    const int gridRow = std::clamp(row, 1, std::max(grid.GetRowCount() - 1, 1));
    grid.SetFocusCell(gridRow, col);
    grid.EnsureVisible(gridRow, col);
    grid.setFocus(Qt::OtherFocusReason);
    return true;
  }
  return false;
}

std::unique_ptr<PropertyPage> CreateTablePage(const PageEntry& entry, const PageContext& context) {
  return Create<TablePage>(entry, context, *entry.descriptor);
}

}  // namespace hdmjm
