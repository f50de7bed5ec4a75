#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/ditch_pages.h"
#include "pages/multi_grid_pages.h"
#include "pages/page_descriptors.h"
#include "pages/page_entry.h"
#include "pages/slope_pages.h"
#include "pages/ysxsdlg.h"

namespace hdmjm {
namespace {

class PlaceholderPage : public PropertyPage {
 public:
  PlaceholderPage(const PageContext& context, const QString& caption, bool hasLeaveHandler)
      : PropertyPage(context, caption, hasLeaveHandler) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
  }
};

constexpr bool kLeave = true;    // commits when it is left, and on OK
constexpr bool kOkOnly = false;  // commits on OK only
constexpr PageFactory kTable = &CreateTablePage;

constexpr PageEntry TablePageEntry(std::string_view className, std::string_view caption, bool leave,
                                   const PageDesc& desc) {
  return PageEntry{className, caption, leave, kTable, &desc};
}
constexpr PageEntry DitchPageEntry(std::string_view className, std::string_view caption,
                                   const DitchPageDesc& desc) {
  return PageEntry{className, caption, kLeave, &CreateDitchPage, &desc};
}

constexpr std::string_view kEmbankmentSlopes[] = {kEmbankmentSlopeTable};
constexpr std::string_view kCutSlopes[] = {kCutSlopeTable};
constexpr std::string_view kAutoDesign[] = {kAutoFlattenTable, kAutoFillTable, kAutoShoulderTable};
constexpr std::string_view kAssociated[] = {kAssocShoulderTable, kAssocMedianDitchTable,
                                            kAssocCutFlattenTable};
constexpr std::string_view kCompaction[] = {kCompactionTable};

constexpr PageEntry kLeftSheet[] = {
    TablePageEntry("LUJXKFD", "左路基限宽", kLeave, LUJXKFD),
    TablePageEntry("lujbtwk", "左用地加宽", kLeave, lujbtwk),
    TablePageEntry("HDMNCK", "左地面线内插宽", kLeave, HDMNCK),
    TablePageEntry("CZLMHD", "左路面厚度", kLeave, CZLMHD),
    {"CHdmZLDBP", "左路堤边坡", kLeave, &CreateSlopePage<SlopePage::LeftEmbankment>, nullptr,
     kEmbankmentSlopes},
    {"CHdmZLQBP", "左路堑边坡", kLeave, &CreateSlopePage<SlopePage::LeftCut>, nullptr, kCutSlopes},
    DitchPageEntry("CZLQSG", "左侧沟", CZLQSG),
    DitchPageEntry("CZLDSG", "左路堤水沟", CZLDSG),
    TablePageEntry("HDMLeftGouPD", "左沟底坡", kOkOnly, HDMLeftGouPD),
    DitchPageEntry("CLJSG", "左天沟", CLJSG),
    TablePageEntry("LeftDQ", "左挡墙分段", kOkOnly, LeftDQ),
    TablePageEntry("CHTHD", "左清表土厚度", kLeave, CHTHD),
    TablePageEntry("LCTKDDlg", "左超填宽度", kOkOnly, LCTKDDlg),
    TablePageEntry("LARCBPDlg", "左弧形边坡", kOkOnly, LARCBPDlg),
    {"CLeftAutoDesCS", "左自动化设计参数", kOkOnly, &Create<CLeftAutoDesCS>, nullptr, kAutoDesign},
    TablePageEntry("CLeftWFSJ", "左挖方分类", kLeave, CLeftWFSJ),
};

constexpr PageEntry kRightSheet[] = {
    TablePageEntry("LUJXKFDR", "右路基限宽", kLeave, LUJXKFDR),
    TablePageEntry("lujbtwkR", "右用地加宽", kLeave, lujbtwkR),
    TablePageEntry("CYLMH", "右路面厚度", kLeave, CYLMH),
    TablePageEntry("HDMNCKR", "右地面线内插宽", kLeave, HDMNCKR),
    TablePageEntry("CYHTHD", "右清表土厚度", kLeave, CYHTHD),
    {"CHdmYLDBP", "右路堤边坡", kLeave, &CreateSlopePage<SlopePage::RightEmbankment>, nullptr,
     kEmbankmentSlopes},
    {"CHdmYLQBP", "右路堑边坡", kLeave, &CreateSlopePage<SlopePage::RightCut>, nullptr, kCutSlopes},
    DitchPageEntry("CYLQSG", "右侧沟", CYLQSG),
    DitchPageEntry("CYLDSG", "右路堤水沟", CYLDSG),
    TablePageEntry("HDMRightGouPD", "右沟底坡", kOkOnly, HDMRightGouPD),
    DitchPageEntry("CRJSG", "右天沟", CRJSG),
    TablePageEntry("RightDQ", "右挡墙分段", kOkOnly, RightDQ),
    TablePageEntry("RCTKDDlg", "右超填宽度", kOkOnly, RCTKDDlg),
    TablePageEntry("RARCBPDlg", "右弧形边坡", kOkOnly, RARCBPDlg),
    {"CRightAutoDesCS", "右自动化设计参数", kOkOnly, &Create<CRightAutoDesCS>, nullptr,
     kAutoDesign},
    TablePageEntry("CRightWFSJ", "右挖方分类", kLeave, CRightWFSJ),
};

}  // namespace

std::unique_ptr<PropertyPage> CreatePlaceholder(const PageEntry& entry,
                                                const PageContext& context) {
  return Create<PlaceholderPage>(entry, context);
}

std::vector<PageEntry> MainSheetPages(const AppPageFactories& app) {
  return {
      {"SetDlg", "横断面数据", kOkOnly, app.settings},
      {"LeftHdmJm", "左侧横断面参数", kOkOnly, app.leftSheet},
      {"RightHdmJm", "右侧横断面参数", kOkOnly, app.rightSheet},
      TablePageEntry("CTFSJ", "填方分类", kLeave, CTFSJ),
      TablePageEntry("CYDLX1", "用地类型表", kLeave, CYDLX1),
      TablePageEntry("YDFDB1", "用地面积汇总分段表", kLeave, YDFDB1),
      {"YSXSdlg", "松方压实系数", kOkOnly, &Create<YSXSdlg>, nullptr, kCompaction},
      {"CGLDM", "关联断面参数设置", kLeave, &Create<CGLDM>, nullptr, kAssociated},
  };
}

std::span<const PageEntry> LeftSheetPages() { return kLeftSheet; }
std::span<const PageEntry> RightSheetPages() { return kRightSheet; }

std::vector<std::string_view> TablesOf(const PageEntry& entry) {
  if (entry.descriptor) return {entry.descriptor->grid.table};
  return {entry.tables.begin(), entry.tables.end()};
}

std::optional<PageLocation> LocatePage(const TableDesc& table, Side side) {
  const bool perSide = table.Scope() == TableScope::Side;
  const SheetKind sheet = !perSide        ? SheetKind::Main
                          : side == kLeft ? SheetKind::Left
                                          : SheetKind::Right;
  const std::vector<PageEntry> main = MainSheetPages({});
  const std::span<const PageEntry> pages = sheet == SheetKind::Main   ? std::span(main)
                                           : sheet == SheetKind::Left ? LeftSheetPages()
                                                                      : RightSheetPages();
  for (int tab = 0; tab < static_cast<int>(pages.size()); ++tab)
    if (std::ranges::count(TablesOf(pages[tab]), table.BaseName()) > 0)
      return PageLocation{sheet, tab};
  return std::nullopt;
}

}  // namespace hdmjm
