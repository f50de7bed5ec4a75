#include "pages/property_page.h"

#include <utility>

#include "pages/dialog_units.h"
#include "pages/edit_commands.h"
#include "pages/page_entry.h"

namespace hdmjm {

PropertyPage::PropertyPage(const PageContext& context, QString caption, bool hasLeaveHandler,
                           QWidget* parent)
    : QWidget(parent),
      context_(context),
      caption_(std::move(caption)),
      hasLeaveHandler_(hasLeaveHandler) {}

PropertyPage::~PropertyPage() = default;

RoadSectionStore* PropertyPage::FilledRecord() const {
  // After a reload the index may name another road of another database: never write there.
  if (filledGeneration_ != Session().Generation()) return nullptr;
  return Session().Record(filledRoad_);
}

void PropertyPage::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  Bind();
  WatchGrids(*this);
  OnInitialize();
}

void PropertyPage::Activate() { OnActivate(); }

void PropertyPage::FocusFirstControl() {
  // The keyboard goes to the page's first control (on a table page its grid), as to the first
  // tab stop of a dialog, so that typing edits a cell at once and Enter does not close the sheet.
  for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
    if (isAncestorOf(w) && w->isVisibleTo(this) && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

QSize PropertyPage::minimumSizeHint() const {
  return QWidget::minimumSizeHint().expandedTo(DialogUnits(font()).Size(307, 172));
}

QSize PropertyPage::sizeHint() const { return QWidget::sizeHint().expandedTo(minimumSizeHint()); }

void PropertyPage::Leave() {
  if (hasLeaveHandler_) Commit();
}

void PropertyPage::Ok() { Commit(); }

void PropertyPage::Commit() {
  if (!initialized_) return;
  if (RoadSectionStore* record = FilledRecord()) WriteBack(*record);
}

void PropertyPage::Refill() {
  if (!initialized_) return;
  Bind();
  Fill(FilledRecord());
}

bool PropertyPage::ShowCell(const TableDesc&, Side, int, int) { return false; }

void PropertyPage::OnInitialize() { Fill(FilledRecord()); }
void PropertyPage::Fill(RoadSectionStore*) {}
void PropertyPage::WriteBack(RoadSectionStore&) {}
void PropertyPage::OnActivate() {}
bool PropertyPage::ShowsTable(const TableDesc&, Side) const { return false; }

void PropertyPage::Bind() {
  filledGeneration_ = Session().Generation();
  filledRoad_ = Session().CurrentRecord() ? Session().CurrentRoad() : -1;
  AttachHistory(*this);
}

}  // namespace hdmjm
