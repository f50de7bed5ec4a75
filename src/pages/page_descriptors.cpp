#include "pages/page_descriptors.h"

namespace hdmjm {
namespace {

constexpr std::string_view kEnd = "分段终里程";
constexpr std::string_view kStart = "起始里程";

constexpr GridColumn kWidthLimitColumns[] = {{kEnd, kEnd}, {"限宽(m)", "路基限宽"}};
constexpr int kWidthLimitWidths[] = {60, 150, 120};

constexpr GridColumn kLandWideningColumns[] = {
    {kEnd, kEnd}, {"路堤加宽(m)", "路堤加宽"}, {"路堑加宽(m)", "路堑加宽"}};
constexpr int kLandWideningWidths[] = {60, 120, 102, 102};

constexpr GridColumn kGroundInterpColumns[] = {{kEnd, kEnd}, {"内插宽(m)", "内插宽"}};
constexpr int kGroundInterpWidths[] = {60, 116, 101};

// The left table names its end station 分段终里程数.
constexpr GridColumn kPavementColumns[] = {{kEnd, "分段终里程数", kEnd},
                                           {"车行道厚度(m)", "车行道厚"},
                                           {"硬路肩厚度(m)", "硬路肩厚"},
                                           {"土路肩厚度(m)", "土路肩厚"}};

constexpr GridColumn kTopsoilColumns[] = {
    {kEnd, kEnd}, {"清表土厚度(m)", "清表土厚度"}, {"清表土性质", "清表土性质"}};

constexpr GridColumn kCutClassColumns[] = {
    {kEnd, kEnd},        {"Ⅰ-%", "I百分比"}, {"Ⅱ-%", "II百分比"}, {"Ⅲ-%", "III百分比"},
    {"Ⅳ-%", "IV百分比"}, {"Ⅴ-%", "V百分比"}, {"Ⅵ-%", "VI百分比"}};

constexpr GridColumn kDitchGradeColumns[] = {
    {kStart, kStart}, {"起始高程", "起始高程"}, {"终止里程", "终止里程"}, {"终止高程", "终止高程"}};

constexpr GridColumn kRetainingWallColumns[] = {{kStart, kStart},
                                                {"起始支距(m)", "起始支距"},
                                                {"终点里程", "终点里程"},
                                                {"终点支距(m)", "终止支距"}};

constexpr GridColumn kOverfillColumns[] = {{kStart, kStart},
                                           {"起始超宽(m)", "起始宽度"},
                                           {"终止里程", "终止里程"},
                                           {"终止超宽(m)", "终止宽度"}};
constexpr int kOverfillWidths[] = {60, 100, 100, 100, 100};

constexpr GridColumn kArcSlopeColumns[] = {{kStart, kStart},
                                           {"起始半径(m)", "起始半径"},
                                           {"终止里程", "终止里程"},
                                           {"终止半径(m)", "终止半径"},
                                           {"设置位置", "设置位置"}};
constexpr int kArcSlopeWidths[] = {60, 90, 90, 90, 90, 90};

constexpr GridColumn kFillClassColumns[] = {{kEnd, kEnd}, {"填料类型", "填料类型"}};
constexpr GridColumn kLandTypeColumns[] = {{kEnd, "分段终里程数"},
                                           {"用地类型", "用地类型", {}, Choices::LandTypes}};
constexpr int kLandTypeWidths[] = {-1, -1, 100};
constexpr GridColumn kLandAreaColumns[] = {{kEnd, kEnd}, {"备注", "备注"}};

constexpr GridDesc WidthLimit() {
  return {.table = kWidthLimitTable,
          .columns = kWidthLimitColumns,
          .sizing = Sizing::FixedAfterFit,
          .columnWidths = kWidthLimitWidths};
}
constexpr GridDesc LandWidening() {
  return {.table = kLandWideningTable,
          .columns = kLandWideningColumns,
          .sizing = Sizing::FixedAfterFit,
          .columnWidths = kLandWideningWidths};
}
constexpr GridDesc GroundInterp() {
  return {.table = kGroundInterpTable,
          .columns = kGroundInterpColumns,
          .sizing = Sizing::FixedAfterFit,
          .columnWidths = kGroundInterpWidths};
}
constexpr GridDesc Pavement() {
  return {.table = kPavementTable, .columns = kPavementColumns, .insertCaption = "添加一行"};
}
constexpr GridDesc Topsoil(bool appendRowReadOnly) {
  return {
      .table = kTopsoilTable, .columns = kTopsoilColumns, .appendRowReadOnly = appendRowReadOnly};
}
// Header cells of columns 0 to 6 may wrap; the last one keeps a single line.
constexpr GridDesc CutClass() {
  return {.table = kCutClassTable, .columns = kCutClassColumns, .wrappingHeaders = 7};
}
// Interval pages: no heading; 沟底坡 and 挡墙 keep their append row editable.
constexpr GridDesc DitchGrade() {
  return {.table = kDitchGradeTable,
          .columns = kDitchGradeColumns,
          .typed = false,
          .appendRowReadOnly = false};
}
constexpr GridDesc RetainingWall() {
  return {
      .table = kRetainingWallTable, .columns = kRetainingWallColumns, .appendRowReadOnly = false};
}
constexpr GridDesc Overfill() {
  return {.table = kOverfillWidthTable,
          .columns = kOverfillColumns,
          .sizing = Sizing::FixedAfterFit,
          .columnWidths = kOverfillWidths};
}
constexpr GridDesc ArcSlope() {
  return {.table = kArcSlopeTable,
          .columns = kArcSlopeColumns,
          .sizing = Sizing::FixedAfterFit,
          .columnWidths = kArcSlopeWidths,
          .insertCaption = "增加一行"};
}

}  // namespace

const PageDesc LUJXKFD{kLeft, true, WidthLimit()};
const PageDesc LUJXKFDR{kRight, true, WidthLimit()};
const PageDesc lujbtwk{kLeft, true, LandWidening()};
const PageDesc lujbtwkR{kRight, true, LandWidening()};
const PageDesc HDMNCK{kLeft, true, GroundInterp()};
const PageDesc HDMNCKR{kRight, true, GroundInterp()};
const PageDesc CZLMHD{kLeft, true, Pavement()};
const PageDesc CYLMH{kRight, true, Pavement()};
const PageDesc CHTHD{kLeft, true, Topsoil(false)};  // its append row stays editable
const PageDesc CYHTHD{kRight, true, Topsoil(true)};
const PageDesc CLeftWFSJ{kLeft, true, CutClass()};
const PageDesc CRightWFSJ{kRight, true, CutClass()};

const PageDesc HDMLeftGouPD{kLeft, false, DitchGrade()};
const PageDesc HDMRightGouPD{kRight, false, DitchGrade()};
const PageDesc LeftDQ{kLeft, false, RetainingWall()};
const PageDesc RightDQ{kRight, false, RetainingWall()};
const PageDesc LCTKDDlg{kLeft, false, Overfill()};
const PageDesc RCTKDDlg{kRight, false, Overfill()};
const PageDesc LARCBPDlg{kLeft, false, ArcSlope()};
const PageDesc RARCBPDlg{kRight, false, ArcSlope()};

// The focus stays in its column after an insert on 填方分类.
const PageDesc CTFSJ{kLeft,
                     true,
                     {.table = kFillClassTable,
                      .columns = kFillClassColumns,
                      .insertFocus = InsertFocus::KeepColumn}};
const PageDesc CYDLX1{kLeft,
                      true,
                      {.table = kLandTypeTable,
                       .columns = kLandTypeColumns,
                       .sizing = Sizing::Fixed,
                       .columnWidths = kLandTypeWidths,
                       .headerRowHeight = 30}};
const PageDesc YDFDB1{kLeft, true, {.table = kLandAreaSegmentTable, .columns = kLandAreaColumns}};

}  // namespace hdmjm
