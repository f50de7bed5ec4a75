#include "pages/multi_grid_pages.h"

#include <QLabel>

#include "pages/ditch_pages.h"
#include "store/catalogue.h"

namespace hdmjm {
namespace {

constexpr std::string_view kAddCaption = "增加一行";

constexpr GridColumn kRangeColumns[] = {{"起始里程", "起始里程"}, {"终点里程", "终点里程"}};
constexpr GridDesc Range(std::string_view table) {
  return {.table = table, .columns = kRangeColumns, .insertCaption = kAddCaption};
}
constexpr GridDesc kFlattenRanges = Range(kAutoFlattenTable);
constexpr GridDesc kFillRanges = Range(kAutoFillTable);
constexpr GridDesc kShoulderRanges = Range(kAutoShoulderTable);

constexpr GridColumn kStartColumn{"分段起始里程", "分段起始里程"};
constexpr GridColumn kEndColumn{"分段终止里程", "分段终止里程"};
constexpr GridColumn kDistanceColumn{"水平距离(m)", "水平距离"};
constexpr GridColumn kShoulderColumns[] = {
    kStartColumn, kEndColumn, kDistanceColumn, {"高差(m)", "高差"}};
constexpr GridColumn kCutFlattenColumns[] = {kStartColumn, kEndColumn, kDistanceColumn};
constexpr GridColumn kMedianDitchColumns[] = {kStartColumn,
                                              kEndColumn,
                                              {"水沟沟底宽(m)", "沟宽"},
                                              {"沟深(m)", "沟深"},
                                              {"内侧边坡(1:)", "内边坡"},
                                              {"外侧边坡(1:)", "外边坡"},
                                              {"浆砌厚度(m)", "浆砌厚度"},
                                              {"沟底半径(m)", kRadiusColumn}};
// Every header of the associated-section grids may wrap.
constexpr GridDesc Associated(std::string_view table, std::span<const GridColumn> columns) {
  return {.table = table, .columns = columns, .wrappingHeaders = -1, .insertCaption = kAddCaption};
}
constexpr GridDesc kShoulders = Associated(kAssocShoulderTable, kShoulderColumns);
constexpr GridDesc kMedianDitches = Associated(kAssocMedianDitchTable, kMedianDitchColumns);
constexpr GridDesc kCutFlattens = Associated(kAssocCutFlattenTable, kCutFlattenColumns);

constexpr RadiusCheck kMedianDitchRadius{"线间沟", "关联断面"};

}  // namespace

AutoDesignPage::AutoDesignPage(const PageContext& context, const QString& caption,
                               bool hasLeaveHandler, Side side)
    : TablePage(context, caption, hasLeaveHandler, true) {
  // Three narrow grids of two stations each: side by side.
  QBoxLayout* row = AddGridRow();
  AddGrid(kFlattenRanges, side, QStringLiteral("低挖方路堑自动推平"), row);
  AddGrid(kFillRanges, side, QStringLiteral("低填方路堤自动填平"), row);
  AddGrid(kShoulderRanges, side, QStringLiteral("低填方路堤自动加宽土路肩"), row);
  // Filled and written back 填平 first, then 推平, then 加宽土路肩.
  SetGridOrder({kFillGrid, kFlattenGrid, kShoulderGrid});
}

CGLDM::CGLDM(const PageContext& context, const QString& caption, bool hasLeaveHandler)
    : TablePage(context, caption, hasLeaveHandler, true) {
  AddGrid(kShoulders, kLeft, QStringLiteral("路肩拉直参数设置"));
  AddGrid(kMedianDitches, kLeft, QStringLiteral("线间沟参数设置"));
  AddGrid(kCutFlattens, kLeft, QStringLiteral("路堑边坡推平设置"));
  SetGridOrder({kShoulderGrid, kCutFlattenGrid, kMedianDitchGrid});
  InstallRadiusCheck(Binding(kMedianDitchGrid), kMedianDitchRadius, Context().messages,
                     [this] { return writingRoad_; });
}

void CGLDM::Fill(RoadSectionStore* record) {
  // Only the name 主线 itself is the main line; "主线 " or "主线2" are separated lines.
  forMainLine_ = Session().CurrentRoadName() == kMainLine;
  if (!forMainLine_) {
    TablePage::Fill(record);
    return;
  }
  Heading()->setText(ToQString(kMainLineHeading));
  for (int i = 0; i < GridCount(); ++i) {
    Grid(i).SetRowCount(0);
    Grid(i).SetColumnCount(0);
  }
}

void CGLDM::WriteBack(RoadSectionStore& record) {
  if (forMainLine_) return;
  writingRoad_ = record.roadName;
  TablePage::WriteBack(record);
}

}  // namespace hdmjm
