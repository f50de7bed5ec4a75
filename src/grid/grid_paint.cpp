// The grid's painting: backgrounds, headings, cells with their text, grid lines and the sizing
// line.
#include <QPainter>
#include <algorithm>

#include "gridctrl.h"

namespace hdmjm {
namespace {

QColor ToQColor(GridColor color) { return QColor::fromRgb(QRgb(0xFF000000u | color)); }

// A one-pixel horizontal or vertical line with both ends, the pixels drawLine sets with a
// one-pixel pen; filled as a rectangle, which the raster engine does many times faster.
void Line(QPainter& painter, QPoint from, QPoint to, const QColor& color) {
  painter.fillRect(QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                         QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y()))),
                   color);
}

// The four sides of a rectangle in two colours: top and left, then right and bottom.
void Edges(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
  Line(painter, rect.topLeft(), rect.topRight(), topLeft);
  Line(painter, rect.topLeft(), rect.bottomLeft(), topLeft);
  Line(painter, rect.topRight(), rect.bottomRight(), bottomRight);
  Line(painter, rect.bottomLeft(), rect.bottomRight(), bottomRight);
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

// Most cells share their text colour; a pen is only made for a new one.
void SetTextColour(QPainter& painter, const QColor& colour) {
  if (painter.pen().color() != colour || painter.pen().style() != Qt::SolidLine)
    painter.setPen(colour);
}

}  // namespace

void CGridCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  Draw(painter);
}

void CGridCtrl::Draw(QPainter& painter) {
  const GridAxis rows = Vertical();
  const GridAxis cols = Horizontal();
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

  for (std::size_t i = 0; i < shownCols.size(); ++i) {
    if (shownCols[i] < core_.GetFixedColumnCount()) continue;
    const int x = colStarts[i] + core_.GetColumnWidth(shownCols[i]) - 1;
    Line(painter, {x, fixedHeight}, {x, cellsBottom - 1}, gridColor_);
  }
  for (int row : shownRows) {
    if (row < core_.GetFixedRowCount()) continue;
    const int y = *rows.ScreenStart(row) + core_.GetRowHeight(row) - 1;
    Line(painter, {fixedWidth, y}, {cellsRight - 1, y}, gridColor_);
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
  Edges(painter, inner, colours.color(QPalette::Light), colours.color(QPalette::Shadow));
  // The inner ring of a raised edge.
  if (emphasised)
    Edges(painter, inner.adjusted(1, 1, -1, -1), colours.color(QPalette::Midlight),
          colours.color(QPalette::Dark));
  SetTextColour(painter,
                cell.textColor != kColorUnset ? ToQColor(cell.textColor) : fixedTextColor_);
  DrawCellText(painter, cell, row, col, inner.adjusted(1, 1, -1, -1));
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
  SetTextColour(painter, text);
  DrawCellText(painter, cell, row, col, inner);
}

void CGridCtrl::DrawCellText(QPainter& painter, const GridCell& cell, int row, int col,
                             QRect rect) {
  rect.adjust(margin_, 0, -margin_, 0);
  if (cell.text.empty() || rect.width() <= 0) return;
  const bool ownFont = !(cell.font == core_.DefaultFont());
  if (ownFont) {
    painter.save();
    painter.setFont(CellFont(cell));
  }
  const bool elides = (cell.format & kDtEndEllipsis) && (cell.format & kDtSingleLine);
  ShownText& shown = TextToShow(painter, cell, ownFont ? CellId{} : CellId{row, col}, elides);
  if (elides && shown.advance > rect.width())
    painter.drawText(rect, TextFlags(cell.format),
                     painter.fontMetrics().elidedText(shown.text, Qt::ElideRight, rect.width()));
  else
    painter.drawText(rect, TextFlags(cell.format), shown.text);
  if (ownFont) painter.restore();
}

CGridCtrl::ShownText& CGridCtrl::TextToShow(const QPainter& painter, const GridCell& cell,
                                            CellId id, bool measured) {
  const int cells = GetRowCount() * GetColumnCount();
  const int dpi = painter.device()->logicalDpiX();
  if (static_cast<int>(shownTexts_.size()) != cells || shownTextDpi_ != dpi) {
    shownTexts_.assign(cells, {});
    shownTextDpi_ = dpi;
  }
  // A cell in a font of its own is converted afresh each time.
  ShownText& shown = core_.IsValid(id) ? shownTexts_[id.row * GetColumnCount() + id.col] : scratch_;
  if (&shown == &scratch_ || shown.source != cell.text) {
    shown.source = cell.text;
    shown.text = QString::fromStdString(cell.text);
    shown.advance = -1;
  }
  if (measured && shown.advance < 0)
    shown.advance = painter.fontMetrics().horizontalAdvance(shown.text);
  return shown;
}

}  // namespace hdmjm
