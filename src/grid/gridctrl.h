// CGridCtrl: the editable grid every parameter page shows. Fixed heading rows and columns, cells
// of text, keyboard and mouse navigation, in-place editing, the clipboard and a context menu. It
// knows cells only; the cell store, the geometry of the view, the key moves and the changes of
// texts are window-free rules it drives. Its members live in gridctrl.cpp (cells, sizes, scroll
// bars), grid_paint.cpp, grid_mouse.cpp, grid_keys.cpp (keys, in-place editing), grid_changes.cpp
// (clipboard, Delete, the report of every change and its undoing) and grid_menu.cpp.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QUndoStack>
#include <functional>
#include <memory>

#include "cell_editor.h"
#include "grid_edit.h"
#include "grid_geometry.h"

class QAction;
class QMenu;

namespace hdmjm {

// The table a grid shows, as its owner states it: the rows at the grid's end that are no table
// rows (a page's append row), how many rows the table may have, and how rows are added at its end
// or removed from it. A paste that reaches past the table's last row has the rows it needs added
// first, up to the room; undoing it removes them again.
struct GridTable {
  int appendRows = 0;
  int room = 0;  // the most table rows; negative: no bound. 0: the grid never adds rows.
  // Makes the table `rows` rows long, adding rows at its end or removing its last ones, and
  // keeps the rows' own texts (their numbers, the defaults of new rows). Unset, the grid inserts
  // empty rows above the append rows, or deletes the table's last rows.
  std::function<void(int rows)> resize;
};

class CellEditor;
class InPlaceEdit;
class InPlaceList;

class CGridCtrl : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Distance from a border within which the mouse sizes a column or row.
  static constexpr int kResizeCaptureRange = 3;
  static constexpr int kAutoScrollInterval = 25;  // ms
  // Extra scroll range beyond the cells when the grid scrolls at all.
  static constexpr int kVerticalScrollSlack = 90;
  static constexpr int kHorizontalScrollSlack = 60;
  // Body rows the grid asks its layout room for, below the heading rows.
  static constexpr int kLeastVisibleRows = 3;

  explicit CGridCtrl(QWidget* parent = nullptr);
  ~CGridCtrl() override;

  bool SetRowCount(int rows);
  bool SetColumnCount(int cols);
  bool SetFixedRowCount(int rows);
  bool SetFixedColumnCount(int cols);
  int GetRowCount() const { return core_.GetRowCount(); }
  int GetColumnCount() const { return core_.GetColumnCount(); }
  int GetFixedRowCount() const { return core_.GetFixedRowCount(); }
  int GetFixedColumnCount() const { return core_.GetFixedColumnCount(); }
  // Inserts before `before` (-1 appends); the new row's index, or -1.
  int InsertRow(const QString& heading, int before = -1);
  bool DeleteRow(int row);

  bool SetItem(const GridItem& item);
  bool SetItemText(int row, int col, const QString& text);
  virtual QString GetItemText(int row, int col) const;
  bool SetItemState(int row, int col, unsigned state);
  unsigned GetItemState(int row, int col) const { return core_.GetItemState(row, col); }
  // The cell's text format (DrawText flags); 0 for an invalid cell.
  unsigned GetItemFormat(int row, int col) const {
    const GridCell* cell = core_.GetCell(row, col);
    return cell ? cell->format : 0;
  }
  bool SetRowHeight(int row, int height);
  bool SetColumnWidth(int col, int width);
  int GetRowHeight(int row) const { return core_.GetRowHeight(row); }
  int GetColumnWidth(int col) const { return core_.GetColumnWidth(col); }
  void AutoSize();
  bool AutoSizeColumn(int col);
  bool AutoSizeRow(int row);
  void ResetScrollBars();

  CellId GetFocusCell() const { return core_.GetFocusCell(); }
  void SetFocusCell(int row, int col);
  CellRange GetSelectedRange() const { return core_.SelectedRange(); }

  void SetTextBkColor(const QColor& color);
  void SetFixedBkColor(const QColor& color);
  QColor GetTextBkColor() const { return textBk_; }
  QColor GetFixedBkColor() const { return fixedBk_; }

  void SetEditable(bool editable) { editable_ = editable; }
  bool IsEditable() const { return editable_; }
  bool GetModified() const { return core_.GetModified(); }
  void SetModified(bool modified = true) { core_.SetModified(modified); }

  void SetTable(GridTable table);
  int GetTableRowCount() const { return core_.GetTableRowCount(); }
  int GetAppendRowCount() const { return core_.GetAppendRowCount(); }

  // The history the undo and redo keys and menu entries step through (the owner's; null: none).
  void SetUndoStack(QUndoStack* stack);
  QUndoStack* UndoStack() const { return undoStack_; }
  // Applies a change CellsEdited reported backwards (undo) or forwards again (redo): the rows a
  // paste added are removed or added again, every cell gets its text before or after, and the
  // focus goes back to the cell where the change was made. Nothing is reported again; an
  // editor still open is closed without storing its text.
  void ApplyEdit(const GridEdit& edit, bool forwards);

  // Adds one of the owner's row operations to the context menu, below the grid's own entries and
  // a separator. The owner keeps the action and its enabled state (see ContextMenuAboutToShow).
  void AddRowAction(QAction* action);
  // The context menu as it shows now: undo, redo, cut, copy, paste and delete contents, each
  // enabled where it can act, then the owner's row operations.
  std::unique_ptr<QMenu> CreateContextMenu();

  // The cell's rectangle in viewport coordinates, grid line included; empty when scrolled away.
  QRect GetCellRect(int row, int col) const;
  // The cell under a viewport point; (-1, -1) beyond the cells.
  CellId GetCellFromPt(const QPoint& point) const;
  // Scrolls until the cell shows; false when it cannot.
  bool EnsureVisible(int row, int col);
  bool IsCellVisible(int row, int col) const;
  // The first non-fixed row and column on screen.
  CellId GetTopLeftNonFixedCell() const;
  // Rows per wheel notch (-1: a page).
  int WheelScrollStep() const { return wheelStep_; }
  // The open in-place editor, if any.
  QWidget* InPlaceEditor() const { return editor_; }
  // Paints the whole client area (the paint event's work, also used to paint into an image).
  void Draw(QPainter& painter);

  // Room for the heading rows and kLeastVisibleRows rows (of their height, or the default one)
  // with the horizontal scroll bar showing, so that no layout crushes the grid to its heading.
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

  // Overridable operations.
  // Starts editing (row, col); `key` is kMouseTrigger, a Qt::Key or a typed character's code point.
  virtual void OnEditCell(int row, int col, int key);
  virtual void CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id, int row,
                                   int col, const QString& text, int key);
  // Stores the text an editor ended with.
  virtual void OnEndEditCell(int row, int col, const QString& text);
  virtual void CreateCell(GridCell& cell, int row, int col);
  virtual void EmptyCell(GridCell& cell, int row, int col);
  virtual void OnEditCopy();
  virtual void OnEditCut();
  virtual void OnEditPaste();
  virtual void OnEditSelectAll();
  // Empties the selection when it holds the focus cell, else the focus cell (the Delete key).
  virtual void OnEditDelete();
  void OnEditUndo() { StepHistory(true); }
  void OnEditRedo() { StepHistory(false); }

 signals:
  void FocusLeaving(int row, int col);  // the focus leaves a cell (-104)
  void FocusEntered(int row, int col);  // a cell gets the focus (-103)
  void EditBegin(int row, int col);     // editing of a cell begins (-105)
  void EditEnd(int row, int col);       // editing of a cell ends (-106)
  void Clicked(int row, int col);       // the left button was released over a cell
  // A user's change of cell texts, whole: a cell edited in place (typed or chosen), Delete, a cut
  // or a paste with the rows it added. Reported once, after every cell it altered has gone
  // through OnEndEditCell and EditEnd, and after what those changed in turn.
  void CellsEdited(const hdmjm::GridEdit& edit);
  // A paste had lines left over beyond the rows the table may have.
  void PasteLeftOut(int lines);
  // The context menu is about to show for the focus cell (row, col): the owner brings its row
  // actions' enabled state up to date.
  void ContextMenuAboutToShow(int row, int col);

 protected:
  InPlaceEdit* OpenInPlaceEdit(const QRect& rect, Qt::Alignment alignment, int id, int row, int col,
                               const QString& text, int key);
  InPlaceList* OpenInPlaceList(const QRect& rect, bool editable, int id, int row, int col,
                               const QString& text, const QStringList& items, int key);
  // An editor's end report.
  void OnEndInPlaceEdit(int row, int col, const QString& text, int key);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool focusNextPrevChild(bool next) override;

 private:
  enum class MouseMode {
    Nothing,
    SelectAll,
    SelectColumns,
    SelectRows,
    SelectCells,
    OverColumnDivide,
    SizingColumn,
    OverRowDivide,
    SizingRow,
    PrepareEdit,
  };
  // The cell store, whose cell creation and removal reach the overridable operations.
  class Cells final : public GridCore {
   public:
    explicit Cells(CGridCtrl& grid) : grid_(grid) {}
    void CreateCell(GridCell& cell, int row, int col) override { grid_.CreateCell(cell, row, col); }
    void EmptyCell(GridCell& cell, int row, int col) override { grid_.EmptyCell(cell, row, col); }

   private:
    CGridCtrl& grid_;
  };
  GridAxis Vertical() const;
  GridAxis Horizontal() const;
  GridView View() const { return {Vertical(), Horizontal()}; }
  static void ScrollTo(QScrollBar* bar, std::optional<int> position) {
    if (position) bar->setValue(*position);
  }
  void ApplyFont();
  // Scroll bars and repaint after the layout changed; passes `result` on.
  bool Changed(bool result = true);
  // Repaints after a cell changed, passing `result` on.
  bool Repainted(bool result);
  QSize CellExtent(int row, int col) const;
  QFont CellFont(const GridCell& cell) const;
  void DrawFixedCell(QPainter& painter, const GridCell& cell, int row, int col, const QRect& rect);
  void DrawCell(QPainter& painter, const GridCell& cell, int row, int col, const QRect& rect);
  void DrawCellText(QPainter& painter, const GridCell& cell, int row, int col, QRect rect);
  // A cell's text as the paint shows it, with its advance in the painter's font when
  // `measured`. Kept per cell (`id`) between paints, so that a page scrolled over again is
  // neither converted nor measured again; an invalid `id` converts afresh.
  struct ShownText {
    std::string source;
    QString text;
    int advance = -1;  // -1: not measured
  };
  ShownText& TextToShow(const QPainter& painter, const GridCell& cell, CellId id, bool measured);
  void FocusCell(CellId cell);
  bool MoveFocusByKey(int key, Qt::KeyboardModifiers modifiers);
  // A selection follows the mouse.
  bool Selecting() const;
  void SelectTo(CellId cell);
  int ColumnBorderAt(const QPoint& point) const;
  int RowBorderAt(const QPoint& point) const;
  void StartSizing(MouseMode mode, int index, int start, int line);
  void OnAutoScroll();
  void EndOpenEditor();
  void SetColour(QColor& colour, const QColor& value);
  void Adopt(QWidget* editor, CellEditor* cellEditor);
  EditEndReport EndReport();
  // A change about to be made, at `focus`, with the table's rows now.
  GridEdit StartEdit(GridEditKind kind, CellId focus) const;
  // Runs `change` (cut, paste, Delete) and then every cell it altered through the end-edit
  // path, so that the owner hears of it as of a typed text; then reports the whole `edit`.
  void ReportChanges(GridEdit edit, const std::function<void()>& change);
  // Completes `edit` with the cells changed since `before` and reports it, if anything changed.
  void ReportEdit(GridEdit edit, const TextSnapshot& before);
  // Makes the table `rows` rows long (GridTable::resize), the focus cell staying where it was.
  void ResizeTable(int rows);
  void StepHistory(bool back);
  void CreateEditActions();
  // Moves the focus to a cell clicked with the right button, unless it is selected.
  void FocusForMenu(CellId cell);
  bool CanUndo() const;
  bool CanRedo() const;
  bool CanCut() const;
  bool CanCopy() const;
  bool CanPaste() const;
  bool CanDelete() const;

  Cells core_{*this};
  QColor textColor_;
  QColor textBk_;
  QColor fixedTextColor_;
  QColor fixedBk_;
  QColor beyondBk_;
  QColor gridColor_;
  QFont cellFont_;  // the QFont of the grid's default cell font record
  int margin_ = 0;
  bool editable_ = true;
  int wheelStep_ = 3;
  int wheelRemainder_ = 0;
  MouseMode mouseMode_ = MouseMode::Nothing;
  int sizingIndex_ = -1;
  int sizingStart_ = 0;  // the sized cell's left (top) edge on screen
  int sizingLine_ = -1;  // where the inverted sizing line is drawn
  QPoint lastMouse_;
  QTimer autoScroll_;
  QPointer<QWidget> editor_;
  CellEditor* cellEditor_ = nullptr;   // the editor_ widget's editing part, while editor_ lives
  std::vector<ShownText> shownTexts_;  // by row * columns + column
  int shownTextDpi_ = 0;               // the resolution their advances were measured at
  ShownText scratch_;
  GridTable table_;
  QPointer<QUndoStack> undoStack_;
  // The grid's own entries of the context menu with what enables each, and the owner's.
  std::vector<std::pair<QAction*, bool (CGridCtrl::*)() const>> editActions_;
  QList<QPointer<QAction>> rowActions_;
};

}  // namespace hdmjm
