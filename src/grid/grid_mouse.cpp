// The grid's mouse: sizing columns and rows at their heading borders, selecting cells, rows,
// columns or everything by clicking and dragging, with auto-scroll, editing on a second click or
// a double click, and the wheel.
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "gridctrl.h"

namespace hdmjm {

int CGridCtrl::ColumnBorderAt(const QPoint& point) const {
  return View().ColumnBorderAt(point.x(), point.y(), kResizeCaptureRange);
}

int CGridCtrl::RowBorderAt(const QPoint& point) const {
  return View().RowBorderAt(point.x(), point.y(), kResizeCaptureRange);
}

void CGridCtrl::StartSizing(MouseMode mode, int index, int start, int line) {
  mouseMode_ = mode;
  sizingIndex_ = index;
  sizingStart_ = start;
  sizingLine_ = line;
  viewport()->update();
}

bool CGridCtrl::Selecting() const {
  return mouseMode_ == MouseMode::SelectAll || mouseMode_ == MouseMode::SelectColumns ||
         mouseMode_ == MouseMode::SelectRows || mouseMode_ == MouseMode::SelectCells;
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
  if (const int col = ColumnBorderAt(point); col >= 0)
    return StartSizing(MouseMode::SizingColumn, col, *Horizontal().ScreenStart(col), point.x());
  if (const int row = RowBorderAt(point); row >= 0)
    return StartSizing(MouseMode::SizingRow, row, *Vertical().ScreenStart(row), point.y());
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
  if (mouseMode_ == MouseMode::SizingColumn || mouseMode_ == MouseMode::SizingRow) {
    sizingLine_ = mouseMode_ == MouseMode::SizingColumn
                      ? std::clamp(point.x(), 0, viewport()->width() - 2)
                      : std::clamp(point.y(), 0, viewport()->height() - 2);
    viewport()->update();
    return;
  }
  const CellId cell = GetCellFromPt(point);
  if (!Selecting() || !core_.IsValid(cell)) return;
  SelectTo(cell);
  if (!core_.IsFixed(cell.row, cell.col)) FocusCell(cell);
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
  if (!Selecting()) {
    autoScroll_.stop();
    return;
  }
  const GridAxis rows = Vertical();
  const GridAxis cols = Horizontal();
  const int bottom = viewport()->height() - 1;
  const int right = viewport()->width() - 1;
  const QPoint point = lastMouse_;
  if (point.y() > bottom)
    ScrollTo(verticalScrollBar(), rows.ScrolledBy(1));
  else if (point.y() < rows.FixedLength())
    ScrollTo(verticalScrollBar(), rows.ScrolledBy(-1));
  else if (point.x() > right)
    ScrollTo(horizontalScrollBar(), cols.ScrolledBy(1));
  else if (point.x() < cols.FixedLength())
    ScrollTo(horizontalScrollBar(), cols.ScrolledBy(-1));
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
  if (notches != 0) ScrollTo(verticalScrollBar(), Vertical().Wheeled(notches, wheelStep_));
}

}  // namespace hdmjm
