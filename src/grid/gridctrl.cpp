#include "gridctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "inplaceedit.h"
#include "inplacelist.h"

namespace hdmjm {
namespace {

// Pixels of a cell's width that its text never uses besides the margins: the grid line (or a
// heading's edge) and a heading's inset.
constexpr int kCellFrame = 3;

QColor ToQColor(GridColor color) { return QColor::fromRgb(QRgb(0xFF000000u | color)); }

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

int TextFlags(unsigned format) {
  int flags = (format & kDtRight)    ? Qt::AlignRight
              : (format & kDtCenter) ? Qt::AlignHCenter
                                     : Qt::AlignLeft;
  flags |= (format & kDtVCenter)  ? Qt::AlignVCenter
           : (format & kDtBottom) ? Qt::AlignBottom
                                  : Qt::AlignTop;
  if (format & kDtSingleLine)
    flags |= Qt::TextSingleLine;
  else if (format & kDtWordBreak)
    flags |= Qt::TextWordWrap;
  return flags;
}

CellRange Span(CellId a, CellId b) {
  return {std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row),
          std::max(a.col, b.col)};
}

}  // namespace

// One direction of the grid: the rows with the vertical scroll bar, or the columns with the
// horizontal one. The view shows the fixed indices, then the ordinary ones from the first that
// starts at or after the scroll position.
struct CGridCtrl::Axis {
  const Extents& extents;
  int fixed;
  QScrollBar* bar;
  int viewLength;
  int slack;
  int step;

  int Count() const { return extents.Count(); }
  int FixedLength() const { return extents.Start(fixed); }
  int First() const {
    if (Count() <= fixed) return Count();
    return std::clamp(extents.FirstStartingAt(FixedLength() + bar->value()), fixed, Count() - 1);
  }
  // Where the index starts on screen; nothing when it is scrolled away.
  std::optional<int> ScreenStart(int index) const {
    if (index < fixed) return extents.Start(index);
    const int first = First();
    if (index < first || index >= Count()) return std::nullopt;
    return FixedLength() + extents.Start(index) - extents.Start(first);
  }
  int IndexAt(int position) const {
    if (position < 0) return -1;
    if (position < FixedLength()) return extents.IndexAt(position);
    return extents.IndexAt(position - FixedLength() + extents.Start(First()));
  }
  // The fixed indices and the ordinary ones that start inside the view.
  std::vector<int> OnScreen() const {
    std::vector<int> indices;
    for (int i = 0; i < fixed && i < Count(); ++i) indices.push_back(i);
    int position = FixedLength();
    for (int i = First(); i < Count() && position < viewLength; ++i) {
      indices.push_back(i);
      position += extents.Size(i);
    }
    return indices;
  }
  // The screen position where the cells end.
  int CellsEnd() const {
    const auto indices = OnScreen();
    if (indices.empty()) return 0;
    return std::min(viewLength, *ScreenStart(indices.back()) + extents.Size(indices.back()));
  }
  void ScrollTo(int index) const { bar->setValue(extents.Start(index) - FixedLength()); }
  void Scroll(int indices) const {
    if (Count() <= fixed) return;
    ScrollTo(std::clamp(First() + indices, fixed, Count() - 1));
  }
  // Scrolls the least that shows the index whole where it fits.
  void Reveal(int index) const {
    if (index < fixed || index >= Count()) return;
    const int first = First();
    if (index < first) {
      ScrollTo(index);
      return;
    }
    const int visible = viewLength - FixedLength();
    if (*ScreenStart(index) + extents.Size(index) <= viewLength) return;
    const int top = extents.FirstStartingAt(extents.Start(index + 1) - visible);
    ScrollTo(std::clamp(top, first, index));
  }
  // The range exceeds the ordinary extent by the slack when the view cannot hold it all.
  void ResetRange() const {
    const int visible = viewLength - FixedLength();
    const int extent = extents.Start(Count()) - FixedLength();
    if (visible <= 0 || extent <= visible) {
      bar->setRange(0, 0);
      return;
    }
    bar->setRange(0, extent + slack - visible);
    bar->setPageStep(visible);
    bar->setSingleStep(step);
  }
};

CGridCtrl::Axis CGridCtrl::Vertical() const {
  return {core_.Rows(),         core_.GetFixedRowCount(), verticalScrollBar(),
          viewport()->height(), kVerticalScrollSlack,     core_.DefaultRowHeight()};
}

CGridCtrl::Axis CGridCtrl::Horizontal() const {
  return {core_.Columns(),     core_.GetFixedColumnCount(), horizontalScrollBar(),
          viewport()->width(), kHorizontalScrollSlack,      core_.DefaultColumnWidth()};
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

int CGridCtrl::InsertRow(const QString& heading, int before) {
  const QSize extent = QFontMetrics(cellFont_).size(Qt::TextExpandTabs, heading);
  const int row = core_.InsertRow(heading.toStdString(), before, extent.height() + 2 * margin_);
  if (row >= 0) Changed();
  return row;
}

bool CGridCtrl::DeleteRow(int row) {
  if (!core_.DeleteRow(row)) return false;
  Changed();
  return true;
}

bool CGridCtrl::SetItem(const GridItem& item) {
  if (!core_.SetItem(item)) return false;
  viewport()->update();
  return true;
}

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
  if (!core_.SetItemText(row, col, text.toStdString())) return false;
  viewport()->update();
  return true;
}

QString CGridCtrl::GetItemText(int row, int col) const {
  return QString::fromStdString(core_.GetItemText(row, col));
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
  if (!core_.SetItemState(row, col, state)) return false;
  viewport()->update();
  return true;
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
  QSize size = metrics.size(Qt::TextExpandTabs, QString::fromStdString(cell->text));
  if (cell->image >= 0 && cell->image < images_.size()) {
    const QSize image = images_[cell->image].size();
    size = QSize(size.width() + image.width(), std::max(size.height(), image.height()));
  }
  // The text is drawn inside the margins, the grid line and a heading's edge.
  return size + QSize(2 * margin_ + kCellFrame, 2 * margin_);
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
  Changed();
  return true;
}

bool CGridCtrl::AutoSizeRow(int row) {
  if (row < 0 || row >= GetRowCount()) return false;
  int height = 0;
  for (int col = 0; col < GetColumnCount(); ++col)
    height = std::max(height, CellExtent(row, col).height());
  core_.SetRowHeight(row, height);
  Changed();
  return true;
}

void CGridCtrl::ResetScrollBars() {
  Vertical().ResetRange();
  Horizontal().ResetRange();
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

void CGridCtrl::SetTextColor(const QColor& color) { SetColour(textColor_, color); }

void CGridCtrl::SetTextBkColor(const QColor& color) { SetColour(textBk_, color); }

void CGridCtrl::SetFixedTextColor(const QColor& color) { SetColour(fixedTextColor_, color); }

void CGridCtrl::SetFixedBkColor(const QColor& color) { SetColour(fixedBk_, color); }

void CGridCtrl::SetBkColor(const QColor& color) { SetColour(beyondBk_, color); }

void CGridCtrl::SetGridColor(const QColor& color) { SetColour(gridColor_, color); }

void CGridCtrl::SetColour(QColor& colour, const QColor& value) {
  colour = value;
  viewport()->update();
}

void CGridCtrl::SetGridLines(GridLines lines) {
  gridLines_ = lines;
  viewport()->update();
}

void CGridCtrl::SetImageList(const QList<QPixmap>& images) {
  images_ = images;
  viewport()->update();
}

QRect CGridCtrl::GetCellRect(int row, int col) const {
  if (!core_.IsValid(row, col)) return {};
  const auto y = Vertical().ScreenStart(row);
  const auto x = Horizontal().ScreenStart(col);
  if (!x || !y) return {};
  return QRect(*x, *y, core_.GetColumnWidth(col), core_.GetRowHeight(row));
}

CellId CGridCtrl::GetCellFromPt(const QPoint& point) const {
  const int row = Vertical().IndexAt(point.y());
  const int col = Horizontal().IndexAt(point.x());
  if (row < 0 || col < 0) return {};
  return {row, col};
}

bool CGridCtrl::IsCellVisible(int row, int col) const {
  const QRect rect = GetCellRect(row, col);
  return rect.isValid() && rect.intersects(viewport()->rect());
}

bool CGridCtrl::EnsureVisible(int row, int col) {
  if (!core_.IsValid(row, col)) return false;
  Vertical().Reveal(row);
  Horizontal().Reveal(col);
  return IsCellVisible(row, col);
}

CellId CGridCtrl::GetTopLeftNonFixedCell() const {
  return {Vertical().First(), Horizontal().First()};
}

// Drawing.

void CGridCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  Draw(painter);
}

void CGridCtrl::Draw(QPainter& painter) {
  const Axis rows = Vertical();
  const Axis cols = Horizontal();
  const int width = viewport()->width();
  const int height = viewport()->height();
  const int fixedWidth = std::min(cols.FixedLength(), width);
  const int fixedHeight = std::min(rows.FixedLength(), height);
  const int cellsRight = cols.CellsEnd();
  const int cellsBottom = rows.CellsEnd();

  painter.fillRect(0, 0, cellsRight, fixedHeight, fixedBk_);
  painter.fillRect(0, fixedHeight, fixedWidth, cellsBottom - fixedHeight, fixedBk_);
  painter.fillRect(fixedWidth, fixedHeight, cellsRight - fixedWidth, cellsBottom - fixedHeight,
                   textBk_);
  painter.fillRect(cellsRight, 0, width - cellsRight, height, beyondBk_);
  painter.fillRect(0, cellsBottom, cellsRight, height - cellsBottom, beyondBk_);

  painter.setFont(cellFont_);
  const std::vector<int> shownRows = rows.OnScreen();
  const std::vector<int> shownCols = cols.OnScreen();
  std::vector<int> colStarts;
  colStarts.reserve(shownCols.size());
  for (int col : shownCols) colStarts.push_back(*cols.ScreenStart(col));
  for (int row : shownRows) {
    const int y = *rows.ScreenStart(row);
    const int rowHeight = core_.GetRowHeight(row);
    for (std::size_t i = 0; i < shownCols.size(); ++i) {
      const int col = shownCols[i];
      const QRect rect(colStarts[i], y, core_.GetColumnWidth(col), rowHeight);
      const GridCell& cell = *core_.GetCell(row, col);
      if (core_.IsFixed(row, col))
        DrawFixedCell(painter, cell, row, col, rect);
      else
        DrawCell(painter, cell, row, col, rect);
    }
  }

  painter.setPen(gridColor_);
  if (gridLines_ == GridLines::Both || gridLines_ == GridLines::Vertical) {
    for (std::size_t i = 0; i < shownCols.size(); ++i) {
      if (shownCols[i] < core_.GetFixedColumnCount()) continue;
      const int x = colStarts[i] + core_.GetColumnWidth(shownCols[i]) - 1;
      painter.drawLine(x, fixedHeight, x, cellsBottom - 1);
    }
  }
  if (gridLines_ == GridLines::Both || gridLines_ == GridLines::Horizontal) {
    for (int row : shownRows) {
      if (row < core_.GetFixedRowCount()) continue;
      const int y = *rows.ScreenStart(row) + core_.GetRowHeight(row) - 1;
      painter.drawLine(fixedWidth, y, cellsRight - 1, y);
    }
  }

  if (sizingLine_ >= 0) {
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    if (mouseMode_ == MouseMode::SizingColumn)
      painter.fillRect(sizingLine_, 0, 2, height, Qt::black);
    else
      painter.fillRect(0, sizingLine_, width, 2, Qt::black);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

void CGridCtrl::DrawFixedCell(QPainter& painter, const GridCell& cell, int row, int col,
                              const QRect& rect) {
  const QRect inner = rect.adjusted(0, 0, -1, -1);
  if (cell.backColor != kColorUnset) painter.fillRect(rect, ToQColor(cell.backColor));
  const QPalette& colours = palette();
  const CellId focus = core_.GetFocusCell();
  const bool emphasised = (focus.row == row || focus.col == col) && core_.IsValid(focus);
  const QColor light = colours.color(QPalette::Light);
  const QColor shadow = colours.color(QPalette::Shadow);
  painter.setPen(light);
  painter.drawLine(inner.topLeft(), inner.topRight());
  painter.drawLine(inner.topLeft(), inner.bottomLeft());
  painter.setPen(shadow);
  painter.drawLine(inner.topRight(), inner.bottomRight());
  painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  if (emphasised) {
    // The inner ring of a raised edge.
    const QRect ring = inner.adjusted(1, 1, -1, -1);
    painter.setPen(colours.color(QPalette::Midlight));
    painter.drawLine(ring.topLeft(), ring.topRight());
    painter.drawLine(ring.topLeft(), ring.bottomLeft());
    painter.setPen(colours.color(QPalette::Dark));
    painter.drawLine(ring.topRight(), ring.bottomRight());
    painter.drawLine(ring.bottomLeft(), ring.bottomRight());
  }
  painter.setPen(cell.textColor != kColorUnset ? ToQColor(cell.textColor) : fixedTextColor_);
  DrawCellText(painter, cell, inner.adjusted(1, 1, -1, -1));
}

void CGridCtrl::DrawCell(QPainter& painter, const GridCell& cell, int row, int col,
                         const QRect& rect) {
  QRect inner = rect.adjusted(0, 0, -1, -1);  // the grid lines take the last pixel
  const CellId focus = core_.GetFocusCell();
  const QColor back = cell.backColor != kColorUnset ? ToQColor(cell.backColor) : textBk_;
  QColor text = cell.textColor != kColorUnset ? ToQColor(cell.textColor) : textColor_;
  if (focus.row == row && focus.col == col) {
    painter.fillRect(inner, back);
    painter.setPen(Qt::black);
    painter.drawRect(inner.adjusted(0, 0, -1, -1));
    inner.adjust(1, 1, -1, -1);
  } else if (cell.state & GridCell::kSelected) {
    painter.fillRect(inner, palette().color(QPalette::Highlight));
    text = palette().color(QPalette::HighlightedText);
  } else if (cell.backColor != kColorUnset) {
    painter.fillRect(inner, back);
  }
  painter.setPen(text);
  DrawCellText(painter, cell, inner);
}

void CGridCtrl::DrawCellText(QPainter& painter, const GridCell& cell, QRect rect) {
  rect.adjust(margin_, 0, -margin_, 0);
  if (cell.image >= 0 && cell.image < images_.size()) {
    const QPixmap& image = images_[cell.image];
    painter.drawPixmap(rect.topLeft(), image);
    rect.setLeft(rect.left() + image.width());
  }
  if (cell.text.empty() || rect.width() <= 0) return;
  const bool ownFont = !(cell.font == core_.DefaultFont());
  if (ownFont) {
    painter.save();
    painter.setFont(ToQFont(cell.font, cellFont_));
  }
  QString text = QString::fromStdString(cell.text);
  if ((cell.format & kDtEndEllipsis) && (cell.format & kDtSingleLine)) {
    const QFontMetrics metrics = painter.fontMetrics();
    if (metrics.horizontalAdvance(text) > rect.width())
      text = metrics.elidedText(text, Qt::ElideRight, rect.width());
  }
  painter.drawText(rect, TextFlags(cell.format), text);
  if (ownFont) painter.restore();
}

// Keyboard.

bool CGridCtrl::focusNextPrevChild(bool next) {
  // Tab moves between cells while the grid handles it.
  if (handleTab_ && core_.IsValid(GetFocusCell())) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
  const CellId focus = GetFocusCell();
  if (!core_.IsValid(focus)) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  const int key = event->key();
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (IsPageSwitchKey(*event)) {
    event->ignore();  // on to the tab widget around the grid
    return;
  }
  if (ctrl && key == Qt::Key_A) return OnEditSelectAll();
  if (ctrl && key == Qt::Key_C) return OnEditCopy();
  if (ctrl && key == Qt::Key_V) return OnEditPaste();
  if (ctrl && key == Qt::Key_X) return OnEditCut();
  if (key == Qt::Key_Delete) {
    if (editable_ && !core_.IsReadOnly(focus.row, focus.col)) {
      ReportChanges([&] { SetItemText(focus.row, focus.col, QString()); });
      SetModified(true);
    }
    return;
  }
  if (MoveFocusByKey(key, event->modifiers())) return;
  // Enter and Escape belong to the dialog.
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  if (!ctrl && mouseMode_ == MouseMode::Nothing) {
    if (key == Qt::Key_Backspace) return OnEditCell(focus.row, focus.col, key);
    const QList<uint> characters = event->text().toUcs4();
    if (!characters.isEmpty() && QChar::isPrint(characters.front()))
      return OnEditCell(focus.row, focus.col, static_cast<int>(characters.front()));
  }
  QAbstractScrollArea::keyPressEvent(event);
}

int CGridCtrl::PageRows(int direction) {
  const Axis rows = Vertical();
  const int before = rows.First();
  rows.bar->setValue(rows.bar->value() + direction * rows.bar->pageStep());
  return std::abs(rows.First() - before);
}

CellId CGridCtrl::NextCell(int key, CellId from) {
  const int firstRow = GetFixedRowCount();
  const int firstCol = GetFixedColumnCount();
  const int lastRow = GetRowCount() - 1;
  const int lastCol = GetColumnCount() - 1;
  CellId next = from;
  switch (key) {
    case Qt::Key_Down:
      next.row = std::min(from.row + 1, lastRow);
      break;
    case Qt::Key_Up:
      next.row = std::max(from.row - 1, firstRow);
      break;
    case Qt::Key_Right:
      next.col = std::min(from.col + 1, lastCol);
      break;
    case Qt::Key_Left:
      next.col = std::max(from.col - 1, firstCol);
      break;
    case Qt::Key_Tab:
      if (from.col < lastCol)
        next.col = from.col + 1;
      else if (from.row < lastRow)
        next = {from.row + 1, firstCol};
      break;
    case Qt::Key_Backtab:
      if (from.col > firstCol)
        next.col = from.col - 1;
      else if (from.row > firstRow)
        next = {from.row - 1, lastCol};
      break;
    case Qt::Key_PageDown: {
      const int scrolled = PageRows(1);
      next.row = scrolled == 0 ? lastRow : std::min(from.row + scrolled, lastRow);
      break;
    }
    case Qt::Key_PageUp: {
      const int scrolled = PageRows(-1);
      next.row = scrolled == 0 ? firstRow : std::max(from.row - scrolled, firstRow);
      break;
    }
    case Qt::Key_Home:
      verticalScrollBar()->setValue(0);
      next.row = firstRow;
      break;
    case Qt::Key_End:
      verticalScrollBar()->setValue(verticalScrollBar()->maximum());
      next.row = lastRow;
      break;
    default:
      return {};
  }
  return next;
}

bool CGridCtrl::MoveFocusByKey(int key, Qt::KeyboardModifiers modifiers) {
  if (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier)) key = Qt::Key_Backtab;
  const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
  if (tab && !handleTab_) return false;
  const CellId focus = GetFocusCell();
  if (!core_.IsValid(focus)) return false;
  const CellId next = NextCell(key, focus);
  if (!core_.IsValid(next)) return false;
  if (next != focus) {
    if (!(modifiers & Qt::ShiftModifier) || tab) core_.SetSelectionAnchor(next);
    core_.SelectRange(Span(core_.SelectionAnchor(), next));
    FocusCell(next);
  }
  EnsureVisible(next.row, next.col);
  viewport()->update();
  return true;
}

// Mouse.

int CGridCtrl::ColumnBorderAt(const QPoint& point) const {
  const Axis cols = Horizontal();
  if (!colResize_ || point.y() < 0 || point.y() >= Vertical().FixedLength()) return -1;
  for (int col : cols.OnScreen()) {
    const int right = *cols.ScreenStart(col) + core_.GetColumnWidth(col);
    if (std::abs(point.x() - right) <= kResizeCaptureRange) return col;
  }
  return -1;
}

int CGridCtrl::RowBorderAt(const QPoint& point) const {
  const Axis rows = Vertical();
  if (!rowResize_ || point.x() < 0 || point.x() >= Horizontal().FixedLength()) return -1;
  for (int row : rows.OnScreen()) {
    const int bottom = *rows.ScreenStart(row) + core_.GetRowHeight(row);
    if (std::abs(point.y() - bottom) <= kResizeCaptureRange) return row;
  }
  return -1;
}

void CGridCtrl::EndOpenEditor() {
  if (auto* edit = qobject_cast<InPlaceEdit*>(editor_))
    edit->EndEdit();
  else if (auto* list = qobject_cast<InPlaceList*>(editor_))
    list->EndEdit();
}

void CGridCtrl::SelectTo(CellId cell) {
  const CellId anchor = core_.SelectionAnchor();
  const int lastRow = GetRowCount() - 1;
  const int lastCol = GetColumnCount() - 1;
  switch (mouseMode_) {
    case MouseMode::SelectAll:
      core_.SelectAllCells();
      break;
    case MouseMode::SelectColumns:
      core_.SelectRange(Span({0, anchor.col}, {lastRow, cell.col}));
      break;
    case MouseMode::SelectRows:
      core_.SelectRange(Span({anchor.row, 0}, {cell.row, lastCol}));
      break;
    case MouseMode::SelectCells:
      core_.SelectRange(Span(anchor, cell));
      break;
    default:
      return;
  }
  viewport()->update();
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  EndOpenEditor();
  setFocus(Qt::MouseFocusReason);
  const QPoint point = event->position().toPoint();
  lastMouse_ = point;
  if (const int col = ColumnBorderAt(point); col >= 0) {
    mouseMode_ = MouseMode::SizingColumn;
    sizingIndex_ = col;
    sizingStart_ = *Horizontal().ScreenStart(col);
    sizingLine_ = point.x();
    viewport()->update();
    return;
  }
  if (const int row = RowBorderAt(point); row >= 0) {
    mouseMode_ = MouseMode::SizingRow;
    sizingIndex_ = row;
    sizingStart_ = *Vertical().ScreenStart(row);
    sizingLine_ = point.y();
    viewport()->update();
    return;
  }
  const CellId cell = GetCellFromPt(point);
  if (!core_.IsValid(cell)) return;
  const CellId focus = GetFocusCell();
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  core_.SetSelectionAnchor(shift && core_.IsValid(focus) ? focus : cell);
  if (cell == focus) {
    mouseMode_ = MouseMode::PrepareEdit;
    return;
  }
  const bool fixedRow = cell.row < GetFixedRowCount();
  const bool fixedCol = cell.col < GetFixedColumnCount();
  mouseMode_ = fixedRow && fixedCol ? MouseMode::SelectAll
               : fixedRow           ? MouseMode::SelectColumns
               : fixedCol           ? MouseMode::SelectRows
                                    : MouseMode::SelectCells;
  FocusCell({std::max(cell.row, GetFixedRowCount()), std::max(cell.col, GetFixedColumnCount())});
  SelectTo(cell);
  autoScroll_.start();
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  lastMouse_ = point;
  if (!(event->buttons() & Qt::LeftButton)) {
    if (ColumnBorderAt(point) >= 0) {
      mouseMode_ = MouseMode::OverColumnDivide;
      viewport()->setCursor(Qt::SizeHorCursor);
    } else if (RowBorderAt(point) >= 0) {
      mouseMode_ = MouseMode::OverRowDivide;
      viewport()->setCursor(Qt::SizeVerCursor);
    } else {
      mouseMode_ = MouseMode::Nothing;
      viewport()->unsetCursor();
    }
    return;
  }
  switch (mouseMode_) {
    case MouseMode::SizingColumn:
      sizingLine_ = std::clamp(point.x(), 0, viewport()->width() - 2);
      viewport()->update();
      return;
    case MouseMode::SizingRow:
      sizingLine_ = std::clamp(point.y(), 0, viewport()->height() - 2);
      viewport()->update();
      return;
    case MouseMode::SelectAll:
    case MouseMode::SelectColumns:
    case MouseMode::SelectRows:
    case MouseMode::SelectCells: {
      const CellId cell = GetCellFromPt(point);
      if (!core_.IsValid(cell)) return;
      SelectTo(cell);
      if (!core_.IsFixed(cell.row, cell.col)) FocusCell(cell);
      return;
    }
    default:
      return;
  }
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  autoScroll_.stop();
  const QPoint point = event->position().toPoint();
  const MouseMode mode = mouseMode_;
  mouseMode_ = MouseMode::Nothing;
  if (mode == MouseMode::SizingColumn || mode == MouseMode::SizingRow) {
    const int end = mode == MouseMode::SizingColumn ? point.x() : point.y();
    const int size = std::max(0, end - sizingStart_);
    if (mode == MouseMode::SizingColumn)
      core_.SetColumnWidth(sizingIndex_, size);
    else
      core_.SetRowHeight(sizingIndex_, size);
    sizingLine_ = -1;
    Changed();
  } else if (mode == MouseMode::PrepareEdit) {
    const CellId focus = GetFocusCell();
    OnEditCell(focus.row, focus.col, kMouseTrigger);
  }
  const CellId cell = GetCellFromPt(point);
  if (core_.IsValid(cell)) emit Clicked(cell.row, cell.col);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // The press of this click began a sizing or an edit preparation; the double click replaces it.
  mouseMode_ = MouseMode::Nothing;
  sizingLine_ = -1;
  const QPoint point = event->position().toPoint();
  if (const int col = ColumnBorderAt(point); col >= 0) {
    AutoSizeColumn(col);
    return;
  }
  if (const int row = RowBorderAt(point); row >= 0) {
    AutoSizeRow(row);
    return;
  }
  const CellId cell = GetCellFromPt(point);
  if (!core_.IsValid(cell) || core_.IsFixed(cell.row, cell.col)) return;
  const CellId focus = GetFocusCell();
  OnEditCell(focus.row, focus.col, kMouseTrigger);
}

void CGridCtrl::OnAutoScroll() {
  if (mouseMode_ != MouseMode::SelectAll && mouseMode_ != MouseMode::SelectColumns &&
      mouseMode_ != MouseMode::SelectRows && mouseMode_ != MouseMode::SelectCells) {
    autoScroll_.stop();
    return;
  }
  const Axis rows = Vertical();
  const Axis cols = Horizontal();
  const int bottom = viewport()->height() - 1;
  const int right = viewport()->width() - 1;
  const QPoint point = lastMouse_;
  if (point.y() > bottom)
    rows.Scroll(1);
  else if (point.y() < rows.FixedLength())
    rows.Scroll(-1);
  else if (point.x() > right)
    cols.Scroll(1);
  else if (point.x() < cols.FixedLength())
    cols.Scroll(-1);
  else
    return;
  // The selection reaches the cell at the edge the mouse went past.
  const QPoint edge(
      std::clamp(point.x(), cols.FixedLength(), std::max(cols.FixedLength(), right)),
      std::clamp(point.y(), rows.FixedLength(), std::max(rows.FixedLength(), bottom)));
  const CellId cell = GetCellFromPt(edge);
  if (!core_.IsValid(cell)) return;
  SelectTo(cell);
  FocusCell(cell);
}

void CGridCtrl::wheelEvent(QWheelEvent* event) {
  wheelRemainder_ += event->angleDelta().y();
  const int notches = wheelRemainder_ / 120;
  wheelRemainder_ %= 120;
  event->accept();
  if (notches == 0) return;
  if (wheelStep_ < 0) {
    for (int i = 0; i < std::abs(notches); ++i) PageRows(notches > 0 ? -1 : 1);
  } else {
    Vertical().Scroll(-notches * wheelStep_);
  }
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

// Editing.

void CGridCtrl::OnEditCell(int row, int col, int key) {
  if (!editable_ || editor_) return;
  if (!core_.IsValid(row, col) || core_.IsReadOnly(row, col)) return;
  if (!EnsureVisible(row, col)) return;
  emit EditBegin(row, col);
  const unsigned format = core_.GetCell(row, col)->format;
  const Qt::Alignment alignment = (format & kDtRight)    ? Qt::AlignRight
                                  : (format & kDtCenter) ? Qt::AlignHCenter
                                                         : Qt::AlignLeft;
  CreateInPlaceEditor(GetCellRect(row, col), alignment, kInPlaceEditorId, row, col,
                      GetItemText(row, col), key);
}

void CGridCtrl::CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id, int row,
                                    int col, const QString& text, int key) {
  OpenInPlaceEdit(rect, alignment, id, row, col, text, key);
}

InPlaceEdit* CGridCtrl::OpenInPlaceEdit(const QRect& rect, Qt::Alignment alignment, int id, int row,
                                        int col, const QString& text, int key) {
  auto* edit =
      new InPlaceEdit(viewport(), this, rect, alignment, id, row, col, text, key, EndReport());
  Adopt(edit, edit);
  return edit;
}

InPlaceList* CGridCtrl::OpenInPlaceList(const QRect& rect, bool editable, int id, int row, int col,
                                        const QString& text, const QStringList& items, int key) {
  auto* list = new InPlaceList(viewport(), this, rect, editable, id, row, col, text, items, key,
                               EndReport());
  Adopt(list, list);
  return list;
}

EditEndReport CGridCtrl::EndReport() {
  return [this](int row, int col, const QString& text, int key) {
    OnEndInPlaceEdit(row, col, text, key);
  };
}

void CGridCtrl::Adopt(QWidget* editor, CellEditor* cellEditor) {
  editor_ = editor;
  cellEditor_ = cellEditor;
}

void CGridCtrl::OnEndInPlaceEdit(int row, int col, const QString& text, int key) {
  editor_ = nullptr;
  cellEditor_ = nullptr;
  if (!core_.IsValid(row, col)) return;
  // Escape leaves the cell as it was: nothing to store, and nothing for a derived grid to learn
  // from the text.
  if (key != Qt::Key_Escape) {
    if (text != GetItemText(row, col)) SetModified(true);
    OnEndEditCell(row, col, text);
  }
  viewport()->update();
  emit EditEnd(row, col);
  if (!IsNavigationKey(key)) return;
  MoveFocusByKey(key, Qt::NoModifier);
  const CellId focus = GetFocusCell();
  OnEditCell(focus.row, focus.col, key);
}

void CGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
  SetItemText(row, col, text);
}

void CGridCtrl::CreateCell(GridCell& cell, int row, int col) {
  core_.GridCore::CreateCell(cell, row, col);
}

void CGridCtrl::EmptyCell(GridCell& cell, int row, int col) {
  core_.GridCore::EmptyCell(cell, row, col);
}

// Clipboard.

void CGridCtrl::OnEditCopy() {
  if (const auto text = core_.CopyText())
    QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
}

void CGridCtrl::OnEditCut() {
  if (!editable_) return;
  OnEditCopy();
  ReportChanges([this] { core_.EmptySelectedCells(); });
  viewport()->update();
}

void CGridCtrl::OnEditPaste() {
  if (!editable_) return;
  const CellId target = core_.PasteTarget();
  if (!core_.IsValid(target) || core_.IsReadOnly(target.row, target.col)) return;
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  ReportChanges([&] { core_.PasteText(text, target); });
  viewport()->update();
}

void CGridCtrl::ReportChanges(const std::function<void()>& change) {
  std::vector<std::string> before;
  before.reserve(static_cast<size_t>(GetRowCount()) * GetColumnCount());
  for (int row = 0; row < GetRowCount(); ++row)
    for (int col = 0; col < GetColumnCount(); ++col) before.push_back(core_.GetItemText(row, col));
  change();
  size_t index = 0;
  for (int row = 0; row < GetRowCount(); ++row) {
    for (int col = 0; col < GetColumnCount(); ++col, ++index) {
      const std::string& text = core_.GetItemText(row, col);
      if (index < before.size() && text == before[index]) continue;
      OnEndEditCell(row, col, QString::fromStdString(text));
      emit EditEnd(row, col);
    }
  }
}

void CGridCtrl::OnEditSelectAll() {
  core_.SelectAllCells();
  viewport()->update();
}

}  // namespace hdmjm
