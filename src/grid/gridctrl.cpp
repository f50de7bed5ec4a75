#include "gridctrl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyleHints>
#include <algorithm>

namespace hdmjm {
namespace {

// Pixels of a cell's width that its text never uses besides the margins: the grid line (or a
// heading's edge) and a heading's inset.
constexpr int kCellFrame = 3;

GridFont ToGridFont(const QFont& font) {
  GridFont record;
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  record.height = -pixels;
  record.weight = font.weight();
  record.italic = font.italic();
  record.underline = font.underline();
  record.strikeOut = font.strikeOut();
  record.SetFaceName(font.family().toStdString());
  return record;
}

QFont ToQFont(const GridFont& record, QFont font) {
  if (record.faceName[0] != '\0') font.setFamily(QString::fromStdString(record.FaceName()));
  if (record.height != 0) font.setPixelSize(std::abs(record.height));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(record.weight, 1, 1000)));
  font.setItalic(record.italic);
  font.setUnderline(record.underline);
  font.setStrikeOut(record.strikeOut);
  return font;
}

GridAxis AxisOf(const Extents& extents, int fixed, int viewLength, const QScrollBar& bar) {
  return {extents, fixed, viewLength, bar.value(), bar.maximum(), bar.pageStep()};
}

// The range exceeds the ordinary extent by the slack when the view cannot hold it all.
void ResetRange(QScrollBar& bar, const GridAxis& axis, int slack, int step) {
  const int maximum = axis.RangeMax(slack);
  bar.setRange(0, maximum);
  if (maximum == 0) return;
  bar.setPageStep(axis.VisibleLength());
  bar.setSingleStep(step);
}

}  // namespace

GridAxis CGridCtrl::Vertical() const {
  return AxisOf(core_.Rows(), core_.GetFixedRowCount(), viewport()->height(), *verticalScrollBar());
}

GridAxis CGridCtrl::Horizontal() const {
  return AxisOf(core_.Columns(), core_.GetFixedColumnCount(), viewport()->width(),
                *horizontalScrollBar());
}

CGridCtrl::CGridCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  const QPalette& colours = palette();
  textColor_ = colours.color(QPalette::Text);
  textBk_ = colours.color(QPalette::Base);
  fixedTextColor_ = colours.color(QPalette::WindowText);
  fixedBk_ = colours.color(QPalette::Button);
  beyondBk_ = colours.color(QPalette::Dark);
  gridColor_ = Qt::black;
  ApplyFont();
  wheelStep_ = QApplication::wheelScrollLines();
  connect(QGuiApplication::styleHints(), &QStyleHints::wheelScrollLinesChanged, this,
          [this](int lines) { wheelStep_ = lines; });
  autoScroll_.setInterval(kAutoScrollInterval);
  connect(&autoScroll_, &QTimer::timeout, this, &CGridCtrl::OnAutoScroll);
  CreateEditActions();
}

CGridCtrl::~CGridCtrl() {
  // An editor still open reports nothing to a grid that is going away.
  if (editor_) {
    cellEditor_->Detach();
    delete editor_;
  }
}

void CGridCtrl::ApplyFont() {
  cellFont_ = font();
  shownTexts_.clear();  // measured in the old font
  core_.SetDefaultFont(ToGridFont(cellFont_));
  const QFontMetrics metrics(cellFont_);
  margin_ = metrics.horizontalAdvance(QLatin1Char(' '));
  core_.SetDefaultSizes(metrics.height() + metrics.leading() + 2 * margin_,
                        12 * metrics.averageCharWidth() + 2 * margin_);
}

bool CGridCtrl::Changed(bool result) {
  ResetScrollBars();
  viewport()->update();
  return result;
}

bool CGridCtrl::SetRowCount(int rows) { return Changed(core_.SetRowCount(rows)); }

bool CGridCtrl::SetColumnCount(int cols) { return Changed(core_.SetColumnCount(cols)); }

bool CGridCtrl::SetFixedRowCount(int rows) { return Changed(core_.SetFixedRowCount(rows)); }

bool CGridCtrl::SetFixedColumnCount(int cols) { return Changed(core_.SetFixedColumnCount(cols)); }

bool CGridCtrl::Repainted(bool result) {
  if (result) viewport()->update();
  return result;
}

int CGridCtrl::InsertRow(const QString& heading, int before) {
  const QSize extent = QFontMetrics(cellFont_).size(Qt::TextExpandTabs, heading);
  const int row = core_.InsertRow(heading.toStdString(), before, extent.height() + 2 * margin_);
  if (row >= 0) Changed();
  return row;
}

bool CGridCtrl::DeleteRow(int row) { return core_.DeleteRow(row) && Changed(); }

bool CGridCtrl::SetItem(const GridItem& item) { return Repainted(core_.SetItem(item)); }

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
  return Repainted(core_.SetItemText(row, col, text.toStdString()));
}

QString CGridCtrl::GetItemText(int row, int col) const {
  return QString::fromStdString(core_.GetItemText(row, col));
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
  return Repainted(core_.SetItemState(row, col, state));
}

bool CGridCtrl::SetRowHeight(int row, int height) {
  viewport()->update();
  if (row < GetFixedRowCount() + kLeastVisibleRows) updateGeometry();
  return core_.SetRowHeight(row, height);
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
  viewport()->update();
  return core_.SetColumnWidth(col, width);
}

QFont CGridCtrl::CellFont(const GridCell& cell) const {
  return cell.font == core_.DefaultFont() ? cellFont_ : ToQFont(cell.font, cellFont_);
}

QSize CGridCtrl::CellExtent(int row, int col) const {
  const GridCell* cell = core_.GetCell(row, col);
  if (!cell) return {};
  const QFontMetrics metrics(CellFont(*cell));
  // The text is drawn inside the margins, the grid line and a heading's edge.
  return metrics.size(Qt::TextExpandTabs, QString::fromStdString(cell->text)) +
         QSize(2 * margin_ + kCellFrame, 2 * margin_);
}

void CGridCtrl::AutoSize() {
  std::vector<int> widths(GetColumnCount(), 0);
  std::vector<int> heights(GetRowCount(), 0);
  for (int row = 0; row < GetRowCount(); ++row) {
    for (int col = 0; col < GetColumnCount(); ++col) {
      const QSize extent = CellExtent(row, col);
      widths[col] = std::max(widths[col], extent.width());
      heights[row] = std::max(heights[row], extent.height());
    }
  }
  for (int col = 0; col < GetColumnCount(); ++col) core_.SetColumnWidth(col, widths[col]);
  for (int row = 0; row < GetRowCount(); ++row) core_.SetRowHeight(row, heights[row]);
  Changed();
}

bool CGridCtrl::AutoSizeColumn(int col) {
  if (col < 0 || col >= GetColumnCount()) return false;
  int width = 0;
  for (int row = 0; row < GetRowCount(); ++row)
    width = std::max(width, CellExtent(row, col).width());
  core_.SetColumnWidth(col, width);
  return Changed();
}

bool CGridCtrl::AutoSizeRow(int row) {
  if (row < 0 || row >= GetRowCount()) return false;
  int height = 0;
  for (int col = 0; col < GetColumnCount(); ++col)
    height = std::max(height, CellExtent(row, col).height());
  core_.SetRowHeight(row, height);
  return Changed();
}

void CGridCtrl::ResetScrollBars() {
  ResetRange(*verticalScrollBar(), Vertical(), kVerticalScrollSlack, core_.DefaultRowHeight());
  ResetRange(*horizontalScrollBar(), Horizontal(), kHorizontalScrollSlack,
             core_.DefaultColumnWidth());
  updateGeometry();  // the rows the minimum height counts may have changed
}

QSize CGridCtrl::minimumSizeHint() const {
  int height = 2 * frameWidth() + horizontalScrollBar()->sizeHint().height();
  for (int row = 0; row < GetFixedRowCount() + kLeastVisibleRows; ++row)
    height += row < GetRowCount() ? GetRowHeight(row) : core_.DefaultRowHeight();
  return QAbstractScrollArea::minimumSizeHint().expandedTo(QSize(0, height));
}

QSize CGridCtrl::sizeHint() const {
  return QAbstractScrollArea::sizeHint().expandedTo(minimumSizeHint());
}

void CGridCtrl::SetFocusCell(int row, int col) { FocusCell({row, col}); }

void CGridCtrl::FocusCell(CellId cell) {
  const CellId previous = core_.SetFocusCell(cell);
  const CellId now = core_.GetFocusCell();
  if (previous == now) return;
  viewport()->update();
  if (core_.IsValid(previous)) emit FocusLeaving(previous.row, previous.col);
  if (core_.IsValid(now)) emit FocusEntered(now.row, now.col);
}

void CGridCtrl::SetTextBkColor(const QColor& color) { SetColour(textBk_, color); }

void CGridCtrl::SetFixedBkColor(const QColor& color) { SetColour(fixedBk_, color); }

void CGridCtrl::SetColour(QColor& colour, const QColor& value) {
  colour = value;
  viewport()->update();
}

QRect CGridCtrl::GetCellRect(int row, int col) const {
  const auto rect = View().CellRect({row, col});
  return rect ? QRect(rect->x, rect->y, rect->width, rect->height) : QRect();
}

CellId CGridCtrl::GetCellFromPt(const QPoint& point) const {
  return View().CellAt(point.x(), point.y());
}

bool CGridCtrl::IsCellVisible(int row, int col) const {
  const QRect rect = GetCellRect(row, col);
  return rect.isValid() && rect.intersects(viewport()->rect());
}

bool CGridCtrl::EnsureVisible(int row, int col) {
  if (!core_.IsValid(row, col)) return false;
  ScrollTo(verticalScrollBar(), Vertical().Revealing(row));
  ScrollTo(horizontalScrollBar(), Horizontal().Revealing(col));
  return IsCellVisible(row, col);
}

CellId CGridCtrl::GetTopLeftNonFixedCell() const {
  return {Vertical().First(), Horizontal().First()};
}

void CGridCtrl::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  ResetScrollBars();
}

void CGridCtrl::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    ApplyFont();
    Changed();
  }
}

void CGridCtrl::scrollContentsBy(int, int) {
  // An editor stays where its cell was; scrolling ends it.
  EndOpenEditor();
  viewport()->update();
}

void CGridCtrl::CreateCell(GridCell& cell, int row, int col) {
  core_.GridCore::CreateCell(cell, row, col);
}

void CGridCtrl::EmptyCell(GridCell& cell, int row, int col) {
  core_.GridCore::EmptyCell(cell, row, col);
}

}  // namespace hdmjm
