#include "table_roles.h"

#include <algorithm>
#include <cmath>

namespace hdmjm {
namespace {

constexpr std::string_view kStartNames[] = {"起始里程", "分段起里程", "分段起始里程"};
constexpr std::string_view kEndNames[] = {"分段终里程", "分段终里程数", "分段终点里程",
                                          "终止里程",   "终点里程",     "分段终止里程"};

int FirstOf(const TableDesc& table, Side side, std::span<const std::string_view> names) {
  for (std::string_view name : names)
    if (const int index = table.ColumnIndex(side, name); index >= 0) return index;
  return -1;
}

struct RadiusWidths {
  std::string_view table;
  std::span<const std::string_view> widths;
};
constexpr std::string_view kSideDitchWidths[] = {"水沟底宽"};
constexpr std::string_view kInterceptWidths[] = {"起始水沟底宽", "终止水沟底宽"};
constexpr std::string_view kEmbankmentDitchWidths[] = {"起始水沟深", "终止水沟深"};
constexpr std::string_view kMedianDitchWidths[] = {"沟宽"};
constexpr RadiusWidths kRadiusWidths[] = {
    {kSideDitchTable, kSideDitchWidths},
    {kInterceptDitchTable, kInterceptWidths},
    {kEmbankmentDitchTable, kEmbankmentDitchWidths},
    {kAssocMedianDitchTable, kMedianDitchWidths},
};

}  // namespace

StationColumns StationColumnsOf(const TableDesc& table, Side side) {
  return {FirstOf(table, side, kStartNames), FirstOf(table, side, kEndNames)};
}

std::span<const std::string_view> RadiusWidthColumns(const TableDesc& table) {
  const auto* found = std::ranges::find(kRadiusWidths, table.BaseName(), &RadiusWidths::table);
  return found == std::end(kRadiusWidths) ? std::span<const std::string_view>{} : found->widths;
}

bool RadiusBelowHalfWidth(double radius, double width) {
  return std::abs(radius) > 0.001 && radius < width / 2;
}

}  // namespace hdmjm
