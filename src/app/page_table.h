// Which page sits on which tab of the three sheets, under which caption, and whether it commits
// when it is left. The table is the one place that says so; each row names the factory that
// builds its page, so a real page replaces a placeholder by changing its row only.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "pages/property_page.h"

namespace hdmjm {

struct PageSpec;
using PageFactory = std::unique_ptr<PropertyPage> (*)(const PageSpec& spec,
                                                      const PageContext& context);

struct PageSpec {
  std::string_view className;
  std::string_view caption;  // the tab text
  bool hasLeaveHandler;
  PageFactory create;
};

// Builds a page of class `Page`, constructed as (context, caption, hasLeaveHandler).
template <class Page>
std::unique_ptr<PropertyPage> Create(const PageSpec& spec, const PageContext& context) {
  return std::make_unique<Page>(
      context, QString::fromUtf8(spec.caption.data(), static_cast<qsizetype>(spec.caption.size())),
      spec.hasLeaveHandler);
}

// A page that shows only its caption, until the real page exists.
std::unique_ptr<PropertyPage> CreatePlaceholder(const PageSpec& spec, const PageContext& context);

std::span<const PageSpec> MainSheetPages();   // HDMJM, 8 pages
std::span<const PageSpec> LeftSheetPages();   // HDMContainer, 16 pages
std::span<const PageSpec> RightSheetPages();  // HDMContainerR, 16 pages

}  // namespace hdmjm
