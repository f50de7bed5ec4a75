// The slope pages CHdmZLDBP, CHdmYLDBP, CHdmZLQBP and CHdmYLQBP: one page class driven by a row
// of data per page (SlopePageRow). The segment grid holds the end stations of the table's segments,
// the level grid the levels of one segment; the table changes at once on inserting or deleting a
// segment, on "边坡参数", "录入参数" and the template buttons, and takes the end stations when the
// page is left or the sheet is confirmed.
#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "pages/page_entry.h"
#include "slopes/preview_geometry.h"
#include "slopes/slope_page_kind.h"
#include "slopes/slope_template.h"
#include "store/records.h"

class QLabel;
class QPushButton;

namespace hdmjm {

class CGridCtrl;
class PreviewBox;
class SuspectCells;

inline constexpr std::string_view kEmbankmentNote =
    "注：请先输入分段终里程，点击“边坡参数”钮，然后输入对应分段的边坡参数，最后勿忘点击“录入参数”"
    "钮，数据才会有效！";
inline constexpr std::string_view kCutNote =
    "注：1.请先输入分段终里程，点击“边坡参数”钮，然后输入对应分段的边坡参数，最后勿忘点击“录入参"
    "数”钮，数据才会有效！";
inline constexpr std::string_view kCutArcNote =
    "2. "
    "路堑顶若设置弧形边坡，请在最后一级边坡限高列输入半径值，并冠以负号标识，如：-2表示堑顶设置半"
    "径2米的弧形边坡";
inline constexpr std::string_view kNoEndStation = "请先输入分段终里程!";
// Asked before level edits that "录入参数" has not stored would be lost; %1: the segment.
inline constexpr std::string_view kUnstoredLevels =
    "第%1分段的边坡参数已修改, 但还没有点击“录入参数”录入。是否先将其录入该分段?";
// The answers, in the order of UnstoredLevelsAnswer.
inline constexpr std::string_view kUnstoredLevelsButtons[] = {"录入", "放弃修改", "取消"};
enum UnstoredLevelsAnswer { kStoreThem, kDiscardThem, kStayOnPage };

// What differs between the four slope pages besides their kind.
struct SlopePageRow {
  SlopePage page;  // the page table names the class and its caption
  Side side;
  PerSide<SlopeTable> RoadSectionStore::*table;  // the record's tables of this kind
  std::string_view copyCaption;                  // the button copying to the other side
  int captionDecimals;  // decimals of the end station in the level grid's caption
  // The heading cells (0, 0) and (0, 1) of the level grid may wrap.
  bool wrapLevelHeadings;
};

const SlopePageRow& SlopePageData(SlopePage page);

class SlopeEditorPage : public PropertyPage {
  Q_OBJECT

 public:
  // The buttons, by what they do.
  enum Button {
    kInsertSegment,   // 增加分段
    kDeleteSegment,   // 删除分段
    kCopy,            // 复制到右侧 / 复制到左侧
    kShowLevels,      // 边坡参数
    kInsertLevel,     // 增加一级
    kDeleteLevel,     // 删除一级
    kStoreLevels,     // 录入参数
    kRefresh,         // 刷新视图
    kImportTemplate,  // 导入模板
    kSaveTemplate,    // 存为模板
    kButtonCount
  };

  SlopeEditorPage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
                  const SlopePageRow& row);

  const SlopePageRow& Row() const { return row_; }
  CGridCtrl& SegmentGrid() const { return *segments_; }
  CGridCtrl& LevelGrid() const { return *levels_; }
  QPushButton* ButtonOf(Button button) const { return buttons_[button]; }
  QLabel* Title() const { return title_; }           // "输入…横断面数据"
  QLabel* LevelCaption() const { return caption_; }  // set by "边坡参数"
  PreviewBox* Preview() const { return preview_; }
  int CurrentSegment() const { return current_; }
  bool PreviewFromGrids() const { return previewFlag_; }
  // The segment the preview draws now, if any (the paint's choice of data).
  std::optional<SlopeSegment> PreviewSegment() const;

  void InsertSegment();
  void DeleteSegment();
  void CopyToOtherSide();
  void ShowLevels();
  void InsertLevel();
  void DeleteLevel();
  void StoreLevels();
  void Refresh();
  void ImportTemplate();
  void SaveTemplate();
  // A level column shows the segment's levels with the focus on the level's field.
  bool ShowCell(const TableDesc& table, Side side, int row, int column) override;

  // Asks whether level edits that are not stored go into their segment first.
  bool CanLeave() override;
  bool ShowsTable(const TableDesc& table, Side side) const override;
  QVariant HistoryState() const override;
  void RestoreHistoryState(const QVariant& state) override;

 protected:
  void Fill(RoadSectionStore* record) override;
  void WriteBack(RoadSectionStore& record) override;

 private:
  SlopeTable* Table(Side side) const;
  SlopeTable* OwnTable() const { return Table(row_.side); }
  // Segment `index` of the own table, or the append row's spare segment just past its end;
  // null without one.
  SlopeSegment* SegmentAt(int index) const;
  // The catalogue's description of the page's tables.
  const TableDesc& CatalogueTable() const;
  // Runs the action of `button` as one step of the road's history.
  void RunRecorded(Button button, void (SlopeEditorPage::*action)());
  // Makes the segment table `rows` long as "增加分段" and "删除分段" do at its end (a paste).
  void ResizeSegments(int rows);
  // The level grid holds levels that differ from those of the segment they were taken from.
  bool LevelsUnstored() const;
  // Before level edits would be lost: asks, then stores them or puts the segment's levels back.
  // False when the designer stays (nothing changed).
  bool SettleLevels();
  void FillLevels(const SlopeSegment& segment);
  // The segment of the segment grid's focus row, after storing that row's end station into it;
  // null when there is no focus row or the table has no room for it (the designer is told).
  SlopeSegment* FocusSegment();
  // The focus row's segment for a template button; it becomes the current segment.
  SlopeSegment* TemplateSegment();
  // What the template flows work with: the page's names, the project, the dialogs.
  SlopeTemplateContext TemplateContext() const;
  // The level grid's rows as levels (at most kMaxSlopeLevels).
  std::vector<SlopeLevel> GridLevels() const;
  double StationOfRow(int row) const;
  // Tells the designer what the suspect cells of `cells` not told yet were stored as.
  void TellSuspects(SuspectCells& cells);

  const SlopePageRow& row_;
  CGridCtrl* segments_;
  CGridCtrl* levels_;
  SuspectCells* suspectSegments_;
  SuspectCells* suspectLevels_;
  PreviewBox* preview_;
  QLabel* title_;
  QLabel* caption_;
  QPushButton* buttons_[kButtonCount] = {};
  int current_ = 0;
  // The segment whose levels the level grid was filled from or stored into; -1: none.
  int levelsOf_ = -1;
  // What "边坡参数" and "录入参数" work on for the append row: not part of the table, which holds
  // only its segments; a new segment at the end copies the last one, not this.
  mutable SlopeSegment spare_;
  bool previewFlag_ = false;
};

// The factory of the page table's rows.
template <SlopePage page>
std::unique_ptr<PropertyPage> CreateSlopePage(const PageEntry& entry, const PageContext& context) {
  return Create<SlopeEditorPage>(entry, context, SlopePageData(page));
}

}  // namespace hdmjm
