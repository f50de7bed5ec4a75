#include <QLabel>
#include <QVBoxLayout>

#include "pages/ditch_pages.h"
#include "pages/multi_grid_pages.h"
#include "pages/page_descriptors.h"
#include "pages/page_spec.h"
#include "pages/ysxsdlg.h"
#include "slopes/slope_page.h"

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

constexpr PageSpec TablePageSpec(std::string_view className, std::string_view caption, bool leave,
                                 const PageDesc& desc) {
  return PageSpec{className, caption, leave, kTable, &desc};
}
constexpr PageSpec DitchPageSpec(std::string_view className, std::string_view caption,
                                 const DitchPageDesc& desc) {
  return PageSpec{className, caption, kLeave, &CreateDitchPage, &desc};
}

constexpr PageSpec kLeftSheet[] = {
    TablePageSpec("LUJXKFD", "左路基限宽", kLeave, LUJXKFD),
    TablePageSpec("lujbtwk", "左用地加宽", kLeave, lujbtwk),
    TablePageSpec("HDMNCK", "左地面线内插宽", kLeave, HDMNCK),
    TablePageSpec("CZLMHD", "左路面厚度", kLeave, CZLMHD),
    {"CHdmZLDBP", "左路堤边坡", kLeave, &CreateSlopePage<SlopePage::LeftEmbankment>},
    {"CHdmZLQBP", "左路堑边坡", kLeave, &CreateSlopePage<SlopePage::LeftCut>},
    DitchPageSpec("CZLQSG", "左侧沟", CZLQSG),
    DitchPageSpec("CZLDSG", "左路堤水沟", CZLDSG),
    TablePageSpec("HDMLeftGouPD", "左沟底坡", kOkOnly, HDMLeftGouPD),
    DitchPageSpec("CLJSG", "左天沟", CLJSG),
    TablePageSpec("LeftDQ", "左挡墙分段", kOkOnly, LeftDQ),
    TablePageSpec("CHTHD", "左清表土厚度", kLeave, CHTHD),
    TablePageSpec("LCTKDDlg", "左超填宽度", kOkOnly, LCTKDDlg),
    TablePageSpec("LARCBPDlg", "左弧形边坡", kOkOnly, LARCBPDlg),
    {"CLeftAutoDesCS", "左自动化设计参数", kOkOnly, &Create<CLeftAutoDesCS>},
    TablePageSpec("CLeftWFSJ", "左挖方分类", kLeave, CLeftWFSJ),
};

constexpr PageSpec kRightSheet[] = {
    TablePageSpec("LUJXKFDR", "右路基限宽", kLeave, LUJXKFDR),
    TablePageSpec("lujbtwkR", "右用地加宽", kLeave, lujbtwkR),
    TablePageSpec("CYLMH", "右路面厚度", kLeave, CYLMH),
    TablePageSpec("HDMNCKR", "右地面线内插宽", kLeave, HDMNCKR),
    TablePageSpec("CYHTHD", "右清表土厚度", kLeave, CYHTHD),
    {"CHdmYLDBP", "右路堤边坡", kLeave, &CreateSlopePage<SlopePage::RightEmbankment>},
    {"CHdmYLQBP", "右路堑边坡", kLeave, &CreateSlopePage<SlopePage::RightCut>},
    DitchPageSpec("CYLQSG", "右侧沟", CYLQSG),
    DitchPageSpec("CYLDSG", "右路堤水沟", CYLDSG),
    TablePageSpec("HDMRightGouPD", "右沟底坡", kOkOnly, HDMRightGouPD),
    DitchPageSpec("CRJSG", "右天沟", CRJSG),
    TablePageSpec("RightDQ", "右挡墙分段", kOkOnly, RightDQ),
    TablePageSpec("RCTKDDlg", "右超填宽度", kOkOnly, RCTKDDlg),
    TablePageSpec("RARCBPDlg", "右弧形边坡", kOkOnly, RARCBPDlg),
    {"CRightAutoDesCS", "右自动化设计参数", kOkOnly, &Create<CRightAutoDesCS>},
    TablePageSpec("CRightWFSJ", "右挖方分类", kLeave, CRightWFSJ),
};

}  // namespace

std::unique_ptr<PropertyPage> CreatePlaceholder(const PageSpec& spec, const PageContext& context) {
  return Create<PlaceholderPage>(spec, context);
}

std::vector<PageSpec> MainSheetPages(const AppPageFactories& app) {
  return {
      {"SetDlg", "横断面数据", kOkOnly, app.settings},
      {"LeftHdmJm", "左侧横断面参数", kOkOnly, app.leftSheet},
      {"RightHdmJm", "右侧横断面参数", kOkOnly, app.rightSheet},
      TablePageSpec("CTFSJ", "填方分类", kLeave, CTFSJ),
      TablePageSpec("CYDLX1", "用地类型表", kLeave, CYDLX1),
      TablePageSpec("YDFDB1", "用地面积汇总分段表", kLeave, YDFDB1),
      {"YSXSdlg", "松方压实系数", kOkOnly, &Create<YSXSdlg>},
      {"CGLDM", "关联断面参数设置", kLeave, &Create<CGLDM>},
  };
}

std::span<const PageSpec> LeftSheetPages() { return kLeftSheet; }
std::span<const PageSpec> RightSheetPages() { return kRightSheet; }

}  // namespace hdmjm
