#include "pages/ysxsdlg.h"

#include <QVBoxLayout>
#include <iterator>
#include <numeric>

#include "grid/gridctrl.h"
#include "pages/table_binding.h"
#include "store/field_text.h"

namespace hdmjm {
namespace {

// Labels in columns 0 and 2, values in columns 1 and 3: row r shows coefficient r (松土, 普通土,
// 硬土) and coefficient r + 3 (软石, 次坚石, 坚石), the order of the table's columns.
constexpr const char* kLabels[3][2] = {
    {"松  土", "软  石"}, {"普通土", "次坚石"}, {"硬  土", "坚  石"}};
constexpr int kColumnWidths[] = {84, 84, 85, 84};
constexpr int kRowHeights[] = {30, 31, 31};
constexpr unsigned kValueFormat = kDtCenter | kDtVCenter | kDtSingleLine;

const std::vector<DataColumn>& Coefficients() {
  return FindTable(kCompactionTable)->DataColumns(kLeft);
}
int CoefficientAt(int row, int col) { return row + (col == 3 ? 3 : 0); }

}  // namespace

YSXSdlg::YSXSdlg(const PageContext& context, const QString& caption, bool hasLeaveHandler)
    : PropertyPage(context, caption, hasLeaveHandler), grid_(new CGridCtrl(this)) {
  grid_->setObjectName(QStringLiteral("grid"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 0, Qt::AlignLeft | Qt::AlignTop);
  // Exactly the form's cells, inside the grid's frame: nothing to scroll.
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int frame = 2 * grid_->frameWidth();
  grid_->setFixedSize(std::accumulate(std::begin(kColumnWidths), std::end(kColumnWidths), frame),
                      std::accumulate(std::begin(kRowHeights), std::end(kRowHeights), frame));
}

void YSXSdlg::Fill(RoadSectionStore* record) {
  grid_->SetRowCount(3);
  grid_->SetFixedRowCount(0);
  grid_->SetColumnCount(4);
  grid_->SetFixedColumnCount(0);
  grid_->SetTextBkColor(QColor::fromRgb(kCellColor));
  for (int row = 0; row < 3; ++row) {
    for (int side = 0; side < 2; ++side) {
      GridItem label;
      label.row = row;
      label.col = 2 * side;
      label.mask = GridItem::kText | GridItem::kState | GridItem::kBackColor | GridItem::kFormat;
      label.text = kLabels[row][side];
      label.state = GridCell::kReadOnly;
      label.backColor = kFixedCellColor;
      label.format = kValueFormat;
      grid_->SetItem(label);

      GridItem value;
      value.row = row;
      value.col = 2 * side + 1;
      value.mask = GridItem::kText | GridItem::kFormat;
      value.format = kValueFormat;
      if (record) {
        const int field = CoefficientAt(row, value.col);
        value.text = FormatField(Coefficients()[field],
                                 FindTable(kCompactionTable)->Get(*record, kLeft, 0, field));
      }
      grid_->SetItem(value);
    }
  }
  for (int col = 0; col < 4; ++col) grid_->SetColumnWidth(col, kColumnWidths[col]);
  for (int row = 0; row < 3; ++row) grid_->SetRowHeight(row, kRowHeights[row]);
  grid_->ResetScrollBars();
}

void YSXSdlg::WriteBack(RoadSectionStore& record) {
  const TableDesc& table = *FindTable(kCompactionTable);
  for (int row = 0; row < 3; ++row) {
    for (int col : {1, 3}) {
      const int field = CoefficientAt(row, col);
      table.Set(record, kLeft, 0, field,
                ParseField(Coefficients()[field], grid_->GetItemText(row, col).toStdString()));
    }
  }
  Session().SetCompactionFactors(record.compaction);
}

}  // namespace hdmjm
