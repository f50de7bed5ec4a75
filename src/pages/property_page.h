// The base of every property page. A page is created the first time its tab is shown and is
// then filled from the record of the current road; it writes its controls back (commits) into
// the record it was filled from, when it is left (pages with a leave handler) and when the sheet
// is confirmed. Pages never touch the database.
#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>
#include <memory>

#include "pages/scheme_session.h"
#include "store/services.h"

namespace hdmjm {

struct PageEntry;
class TableDesc;

// What a page works on and reports through.
struct PageContext {
  SchemeSession& session;
  UserMessages& messages;
  FileChooser& files;
  Trace& trace;
};

class PropertyPage : public QWidget {
  Q_OBJECT

 public:
  PropertyPage(const PageContext& context, QString caption, bool hasLeaveHandler,
               QWidget* parent = nullptr);
  ~PropertyPage() override;

  const QString& Caption() const { return caption_; }
  bool HasLeaveHandler() const { return hasLeaveHandler_; }
  bool IsInitialized() const { return initialized_; }
  // The record the page was filled from; null before the fill, when the scheme has no road,
  // and after the records were replaced (until the page is refilled).
  RoadSectionStore* FilledRecord() const;
  int FilledRoad() const { return filledRoad_; }

  // The initialisation handler: takes the current road and fills the page. Once per page.
  void Initialize();
  // Every time the page becomes the current page of its sheet, after Initialize.
  void Activate();
  // Gives the keyboard to the page's first control, as a dialog gives it to its first tab stop.
  void FocusFirstControl();
  // The leave handler: commits, when the page has one.
  void Leave();
  // The OK handler: commits.
  void Ok();
  // What the page's layout needs, and never less than a page of the old sheets: a page sets no
  // minimum size of its own, which would hide its layout's needs from the sheet.
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

  // Writes the controls back into the record the page was filled from (nothing without one).
  void Commit();
  // Takes the current road and fills the controls from its record again.
  void Refill();
  // Puts the focus on row `row` (counted from 1) and data column `column` (-1: the first shown)
  // of the grid that shows `table` of `side`; false when the page shows no such grid.
  virtual bool ShowCell(const TableDesc& table, Side side, int row, int column);

  const PageContext& Context() const { return context_; }
  // The page table's row the page was made from (null for a page made otherwise): a step of the
  // history makes the page again from it when the page is gone.
  const std::shared_ptr<const PageEntry>& Entry() const { return entry_; }
  void SetEntry(std::shared_ptr<const PageEntry> entry) { entry_ = std::move(entry); }
  // Whether a grid of the page shows `table` on side `side`: the page is filled again when a
  // step of the history puts that table back.
  virtual bool ShowsTable(const TableDesc& table, Side side) const;
  // What of the page's own state, besides its grids and the record, a step of the history puts
  // back (invalid: nothing).
  virtual QVariant HistoryState() const { return {}; }
  virtual void RestoreHistoryState(const QVariant&) {}
  // Asked before the page is left or its sheet confirmed; false keeps the designer on the page.
  virtual bool CanLeave() { return true; }

 signals:
  // Announced by a page that changes or replaces records in memory, so that its sheet commits
  // the other created pages before the change and refills them after it.
  void RecordsAboutToChange();
  void RecordsChanged();

 protected:
  SchemeSession& Session() const { return context_.session; }

  // Default: Fill(FilledRecord()).
  virtual void OnInitialize();
  // Shows the record's tables; null when the scheme has no road (show nothing editable).
  virtual void Fill(RoadSectionStore* record);
  virtual void WriteBack(RoadSectionStore& record);
  virtual void OnActivate();

 private:
  void Bind();

  PageContext context_;
  std::shared_ptr<const PageEntry> entry_;
  QString caption_;
  bool hasLeaveHandler_;
  bool initialized_ = false;
  int filledRoad_ = -1;
  unsigned filledGeneration_ = 0;
};

}  // namespace hdmjm
