// The six ditch pages: intercepting ditch (天沟), side ditch (侧沟) and embankment ditch (排水沟),
// left and right. Each is a table page of one grid that adds the ditch-bottom radius check to its
// write-back; the side and embankment ditch pages copy their grid into the other side's table,
// and the side-ditch pages show the trapezoid of a ditch row in a preview box below the grid.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pages/table_page.h"
#include "slopes/preview_geometry.h"

class QPushButton;

namespace hdmjm {

class PreviewBox;

// A ditch-bottom radius (data column 沟底半径) that must reach half of each of a row's bottom
// widths, the widths the store names for the binding's table (RadiusWidthColumns).
struct RadiusCheck {
  std::string_view ditch;       // the ditch as the message names it, e.g. "左侧沟"
  std::string_view where = {};  // what the message names before the row, e.g. "关联断面"
};

// Tests every row `binding` writes back into its own table (copies into the other side are not
// tested). A radius the store's rule refuses (RadiusBelowHalfWidth) against any of the widths
// gives the message once for the row and is stored as 0; the grid keeps its text.
void InstallRadiusCheck(TableBinding& binding, const RadiusCheck& check, UserMessages& messages,
                        std::function<std::string()> roadName);

struct DitchPageDesc : PageDesc {
  RadiusCheck radius;
  std::string_view copyCaption;     // "复制到右侧" / "复制到左侧"; empty: no copy button
  std::string_view refreshCaption;  // "刷新视图"; empty: no preview
};

extern const DitchPageDesc CLJSG, CRJSG;    // 天沟
extern const DitchPageDesc CZLQSG, CYLQSG;  // 侧沟, with the preview
extern const DitchPageDesc CZLDSG, CYLDSG;  // 排水沟 (路堤水沟)

class DitchPage : public TablePage {
  Q_OBJECT

 public:
  DitchPage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
            const DitchPageDesc& desc);

  QPushButton* CopyButton() const { return copyButton_; }        // null when the page has none
  QPushButton* RefreshButton() const { return refreshButton_; }  // null without a preview
  PreviewBox* Preview() const { return preview_; }               // null without a preview

  // The other side's table of the filled record receives the grid as the write-back would store
  // it into the page's own table, without the radius check. False, and the table stays as it
  // was, when its rows cannot be allocated (the designer is told).
  static bool CopyToOtherSide(TableBinding& binding, RoadSectionStore& record);

 protected:
  void Fill(RoadSectionStore* record) override;
  void WriteBack(RoadSectionStore& record) override;

 private:
  void Copy();
  // The side ditch to draw at this paint: the record's first row at the first paint, then the
  // focus row's cells; nothing on the append row or without a row.
  std::optional<SideDitchRow> PreviewRow();

  const DitchPageDesc& desc_;
  std::string writingRoad_;  // the road of the record being written back, for the messages
  QPushButton* copyButton_ = nullptr;
  QPushButton* refreshButton_ = nullptr;
  PreviewBox* preview_ = nullptr;
  std::vector<int> previewColumns_;  // the grid columns the preview reads
  bool previewed_ = false;           // the preview was painted since the fill
};

// The factory of the ditch pages; the page table row's descriptor is one of the DitchPageDesc
// above.
std::unique_ptr<PropertyPage> CreateDitchPage(const PageEntry& entry, const PageContext& context);

}  // namespace hdmjm
