#include "app/property_sheet.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/qt_text.h"

namespace hdmjm {

PropertySheet::PropertySheet(const QString& caption, std::span<const PageEntry> pages,
                             const PageContext& context, QWidget* parent)
    : QDialog(parent), context_(context), tabs_(new QTabWidget(this)) {
  setWindowTitle(caption);
  for (const PageEntry& entry : pages) {
    auto* tab = new QWidget(tabs_);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_->addTab(tab, ToQString(entry.caption));
    entries_.push_back(Entry{&entry, tab});
  }
  connect(tabs_, &QTabWidget::currentChanged, this, &PropertySheet::OnCurrentChanged);
  // Every tab in view when the screen is wide enough; else as many as fit, and scroll arrows.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int room = screen ? screen->availableGeometry().width() * 9 / 10 : 1024;
  const int tabsWidth = tabs_->tabBar()->sizeHint().width();
  tabs_->setUsesScrollButtons(tabsWidth > room);
  tabs_->setMinimumWidth(std::min(tabsWidth, room));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  context_.session.History().AddHost(*this);
}

PropertySheet::~PropertySheet() { context_.session.History().RemoveHost(*this); }

PropertyPage* PropertySheet::ShowPage(std::string_view className) {
  for (int index = 0; index < PageCount(); ++index) {
    if (entries_[index].row->className != className) continue;
    tabs_->setCurrentIndex(index);  // the current page may keep the designer on it
    return EnsurePage(index);
  }
  return nullptr;
}

bool PropertySheet::Holds(const PropertyPage& page) const {
  return std::ranges::any_of(entries_, [&page](const Entry& entry) { return entry.page == &page; });
}

PropertyPage* PropertySheet::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return entries_[index].page;
}

void PropertySheet::setVisible(bool visible) {
  const bool first = visible && current_ < 0;
  if (first) {
    current_ = tabs_->currentIndex();
    // The sheet takes its place before the page fills, so that a window the filling shows (the
    // progress of a load) appears over where the sheet will be; then it fits the filled page.
    const bool sized = testAttribute(Qt::WA_Resized);  // by its owner
    const bool placed = testAttribute(Qt::WA_Moved);
    PropertyPage* page = CreatePage(current_);
    Place(sized, placed);
    if (page) page->Initialize();
    Place(sized, placed);
  }
  QDialog::setVisible(visible);
  if (!first) return;
  if (PropertyPage* page = Page(current_)) Activate(*page);
}

void PropertySheet::OnCurrentChanged(int index) {
  if (current_ < 0 || index == current_) return;  // not shown yet: the first show creates the page
  if (PropertyPage* left = Page(current_)) {
    // The page stays in view while it may ask whether it can be left.
    const auto show = [this](int tab) {
      const QSignalBlocker blocker(tabs_);
      tabs_->setCurrentIndex(tab);
    };
    show(current_);
    if (!left->CanLeave()) return;
    show(index);
    left->Leave();
  }
  current_ = index;
  PropertyPage* page = EnsurePage(index);
  if (!page) return;
  Activate(*page);
  GrowFor(*page);
}

void PropertySheet::Activate(PropertyPage& page) {
  page.Activate();
  // A page created for this tab is shown with it now rather than at the next event, so that its
  // grid can take the keyboard: typing then edits a cell at once, and Enter does not close the
  // sheet.
  page.show();
  if (page.isVisible()) page.FocusFirstControl();
}

void PropertySheet::keyPressEvent(QKeyEvent* event) {
  const bool undo = event->matches(QKeySequence::Undo);
  if (undo || event->matches(QKeySequence::Redo)) {
    SchemeSession& session = context_.session;
    if (QUndoStack* history = session.History().Stack(session.CurrentRoad()))
      undo ? history->undo() : history->redo();
    return;
  }
  const int key = event->key();
  const int count = tabs_->count();
  if (!(event->modifiers() & Qt::ControlModifier) || count < 2 ||
      (key != Qt::Key_PageDown && key != Qt::Key_PageUp)) {
    QDialog::keyPressEvent(event);
    return;
  }
  const int step = key == Qt::Key_PageDown ? 1 : -1;
  for (int index = tabs_->currentIndex(), tried = 1; tried < count; ++tried) {
    index = (index + step + count) % count;
    if (tabs_->isTabEnabled(index)) {
      tabs_->setCurrentIndex(index);
      break;
    }
  }
}

void PropertySheet::Place(bool keepSize, bool keepPlace) {
  if (!keepSize) adjustSize();
  if (keepPlace) return;
  // Centred as a dialog is: on its parent's window, or on the screen.
  const QRect area = parentWidget() ? parentWidget()->window()->frameGeometry()
                     : screen()     ? screen()->availableGeometry()
                                    : QRect();
  if (area.isValid()) move(area.center() - rect().center());
}

void PropertySheet::GrowFor(PropertyPage& page) {
  // The layouts between the page and the sheet would learn of the page's needs one posted event
  // at a time; they learn now, and the sheet's minimum and hint count the page.
  for (QWidget* widget = &page; widget && widget != this; widget = widget->parentWidget())
    widget->updateGeometry();
  layout()->activate();
  const QScreen* where = screen();
  if (!where) return;
  const QRect area = where->availableGeometry();
  const QSize frame = frameGeometry().size() - size();
  const QSize wanted = size().expandedTo(sizeHint().boundedTo(area.size() - frame));
  if (wanted != size()) resize(wanted);
  const QRect outer = frameGeometry();
  const int x =
      std::clamp(outer.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
  const int y =
      std::clamp(outer.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
  if (x != outer.x() || y != outer.y()) move(x, y);
}

PropertyPage* PropertySheet::EnsurePage(int index) {
  if (PropertyPage* page = Page(index)) return page;
  PropertyPage* page = CreatePage(index);
  if (page) page->Initialize();
  return page;
}

PropertyPage* PropertySheet::CreatePage(int index) {
  if (index < 0 || index >= PageCount()) return nullptr;
  Entry& entry = entries_[index];
  if (entry.page) return entry.page;
  std::unique_ptr<PropertyPage> created = entry.row->create(*entry.row, context_);
  PropertyPage* page = created.release();
  entry.tab->layout()->addWidget(page);  // the tab owns the page from here on
  entry.page = page;
  connect(page, &PropertyPage::RecordsAboutToChange, this, [this, page] { CommitAllBut(page); });
  connect(page, &PropertyPage::RecordsChanged, this, [this, page] { RefillAllBut(page); });
  return page;
}

void PropertySheet::CommitAllBut(const PropertyPage* changer) {
  for (const Entry& entry : entries_)
    if (entry.page && entry.page != changer) entry.page->Commit();
}

void PropertySheet::RefillAllBut(const PropertyPage* changer) {
  for (const Entry& entry : entries_)
    if (entry.page && entry.page != changer) entry.page->Refill();
}

void PropertySheet::accept() {
  PropertyPage* current = Page(current_);
  if (current && !current->CanLeave()) return;
  if (current) current->Leave();
  for (const Entry& entry : entries_)
    if (entry.page) entry.page->Ok();
  if (!AfterOk()) return;
  QDialog::accept();
}

bool PropertySheet::AfterOk() { return true; }

}  // namespace hdmjm
