// The four slope pages are one design applied to four tables. What differs between them (table,
// side, copy button, level caption, heading style of the level grid, drawing direction, template
// names) is held here, in one table of four rows; the preview, the template files and the page
// take their page-specific behaviour from it. No Qt here.
#pragma once

#include <string_view>

#include "store/records.h"

namespace hdmjm {

enum class SlopePage {
  LeftEmbankment,   // CHdmZLDBP, 左路堤边坡
  RightEmbankment,  // CHdmYLDBP, 右路堤边坡
  LeftCut,          // CHdmZLQBP, 左路堑边坡
  RightCut,         // CHdmYLQBP, 右路堑边坡
};

inline constexpr SlopePage kSlopePages[] = {SlopePage::LeftEmbankment, SlopePage::RightEmbankment,
                                            SlopePage::LeftCut, SlopePage::RightCut};

// What a slope page proposes and offers in its template dialogs.
struct SlopeTemplateNames {
  std::string_view saveStem;  // file name before the rounded end station, e.g. "左路堤边坡模版"
  std::string_view importStem;
  std::string_view saveFilter;  // "text|pattern|text|pattern||" as FileChooser takes it
  std::string_view importFilter;
  bool resolvePathsOnSave;  // the left cut page saves into the project folder as last read
};

struct SlopePageRow {
  SlopePage page;  // the page table names the class and its caption
  Side side;
  bool cut;                                      // 路堑边坡, else 路堤边坡
  PerSide<SlopeTable> RoadSectionStore::*table;  // the record's tables of this kind
  std::string_view copyCaption;                  // the button copying to the other side
  int captionDecimals;  // decimals of the end station in the level grid's caption
  // After every fill of the level grid its heading cells (0, 0) and (0, 1) may wrap and the
  // focus goes to cell (1, 1).
  bool wrapLevelHeadings;
  SlopeTemplateNames templates;
};

inline constexpr SlopePageRow kSlopePageRows[] = {
    {SlopePage::LeftEmbankment,
     kLeft,
     false,
     &RoadSectionStore::embankmentSlopes,
     "复制到右侧",
     0,
     false,
     {"左路堤边坡模版", "左路堤边坡模版", "左路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
      "左路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", true}},
    {SlopePage::RightEmbankment,
     kRight,
     false,
     &RoadSectionStore::embankmentSlopes,
     "复制到左侧",
     0,
     true,
     {"右路堤边坡模版基线", "右路堤边坡模版", "路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
      "右路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", true}},
    {SlopePage::LeftCut,
     kLeft,
     true,
     &RoadSectionStore::cutSlopes,
     "复制到右侧",
     2,
     false,
     {"左路堑边坡模版基线", "左路堑边坡模版基线", "左路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
      "左路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", false}},
    {SlopePage::RightCut,
     kRight,
     true,
     &RoadSectionStore::cutSlopes,
     "复制到左侧",
     0,
     true,
     {"右路堑边坡模版", "右路堑边坡模版", "右路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
      "右路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", true}},
};

static_assert([] {
  for (int i = 0; i < 4; ++i)
    if (static_cast<int>(kSlopePageRows[i].page) != i) return false;
  return true;
}());

constexpr const SlopePageRow& SlopePageData(SlopePage page) {
  return kSlopePageRows[static_cast<int>(page)];
}

constexpr bool IsCutPage(SlopePage page) { return SlopePageData(page).cut; }

}  // namespace hdmjm
