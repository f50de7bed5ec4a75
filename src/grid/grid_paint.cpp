// The grid's painting: backgrounds, headings, cells with their text, grid lines and the sizing
// line.
#include <QPainter>
#include <algorithm>

#include "gridctrl.h"

namespace hdmjm {
namespace {

QColor ToQColor(GridColor color) { return QColor::fromRgb(QRgb(0xFF000000u | color)); }

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

  painter.setPen(gridColor_);
  for (std::size_t i = 0; i < shownCols.size(); ++i) {
    if (shownCols[i] < core_.GetFixedColumnCount()) continue;
    const int x = colStarts[i] + core_.GetColumnWidth(shownCols[i]) - 1;
    painter.drawLine(x, fixedHeight, x, cellsBottom - 1);
  }
  for (int row : shownRows) {
    if (row < core_.GetFixedRowCount()) continue;
    const int y = *rows.ScreenStart(row) + core_.GetRowHeight(row) - 1;
    painter.drawLine(fixedWidth, y, cellsRight - 1, y);
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
  if (cell.text.empty() || rect.width() <= 0) return;
  const bool ownFont = !(cell.font == core_.DefaultFont());
  if (ownFont) {
    painter.save();
    painter.setFont(CellFont(cell));
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

}  // namespace hdmjm
