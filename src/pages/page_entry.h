// Which page sits on which tab of the three sheets, under which caption, whether it commits when
// it is left, and what it shows. The tables are the one place that says so; a row names the
// factory that builds its page and, for a table page, the descriptor the page is built from.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "pages/property_page.h"
#include "pages/qt_text.h"

namespace hdmjm {

struct PageEntry;
struct PageDesc;
using PageFactory = std::unique_ptr<PropertyPage> (*)(const PageEntry& entry,
                                                      const PageContext& context);

struct PageEntry {
  std::string_view className;  // the page's object name, for tests and automation
  std::string_view caption;    // the tab text
  bool hasLeaveHandler;
  PageFactory create;
  const PageDesc* descriptor = nullptr;           // what a table page shows; null for other pages
  std::span<const std::string_view> tables = {};  // what a page without descriptor shows
};

// The catalogue tables (base names) the page of `entry` shows.
std::vector<std::string_view> TablesOf(const PageEntry& entry);

// Where the page of a table is: the sheet and its tab.
enum class SheetKind { Main, Left, Right };
struct PageLocation {
  SheetKind sheet;
  int tab;
};
// The page that shows `table` of `side` (whole-road tables: in the main sheet); none when no
// page does.
std::optional<PageLocation> LocatePage(const TableDesc& table, Side side);

// Builds a page of class `Page`, constructed as (context, caption, hasLeaveHandler, extra...).
template <class Page, class... Extra>
std::unique_ptr<PropertyPage> Create(const PageEntry& entry, const PageContext& context,
                                     Extra&&... extra) {
  auto page = std::make_unique<Page>(context, ToQString(entry.caption), entry.hasLeaveHandler,
                                     std::forward<Extra>(extra)...);
  page->setObjectName(ToQString(entry.className));
  page->SetEntry(std::make_shared<const PageEntry>(entry));
  return page;
}

// A page that shows only its caption, until the real page exists.
std::unique_ptr<PropertyPage> CreatePlaceholder(const PageEntry& entry, const PageContext& context);

// The pages the application itself supplies to the main sheet.
struct AppPageFactories {
  PageFactory settings;    // SetDlg
  PageFactory leftSheet;   // LeftHdmJm: opens the left side sheet
  PageFactory rightSheet;  // RightHdmJm: opens the right side sheet
};

std::vector<PageEntry> MainSheetPages(const AppPageFactories& app);  // HDMJM, 8 pages
std::span<const PageEntry> LeftSheetPages();                         // HDMContainer, 16 pages
std::span<const PageEntry> RightSheetPages();                        // HDMContainerR, 16 pages

}  // namespace hdmjm
