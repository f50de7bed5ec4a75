#include "app/page_table.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/dialog_units.h"
#include "app/setdlg.h"
#include "app/sheets.h"

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
    setMinimumSize(DialogUnits(font()).Size(307, 172));  // the size of a page of the old sheets
  }
};

constexpr bool kLeave = true;    // commits when it is left, and on OK
constexpr bool kOkOnly = false;  // commits on OK only
constexpr PageFactory kTodo = &CreatePlaceholder;

constexpr PageSpec kMainSheet[] = {
    {"SetDlg", "横断面数据", kOkOnly, &Create<SetDlg>},
    {"LeftHdmJm", "左侧横断面参数", kOkOnly, &Create<LeftHdmJm>},
    {"RightHdmJm", "右侧横断面参数", kOkOnly, &Create<RightHdmJm>},
    {"CTFSJ", "填方分类", kLeave, kTodo},
    {"CYDLX1", "用地类型表", kLeave, kTodo},
    {"YDFDB1", "用地面积汇总分段表", kLeave, kTodo},
    {"YSXSdlg", "松方压实系数", kOkOnly, kTodo},
    {"CGLDM", "关联断面参数设置", kLeave, kTodo},
};

constexpr PageSpec kLeftSheet[] = {
    {"LUJXKFD", "左路基限宽", kLeave, kTodo},
    {"lujbtwk", "左用地加宽", kLeave, kTodo},
    {"HDMNCK", "左地面线内插宽", kLeave, kTodo},
    {"CZLMHD", "左路面厚度", kLeave, kTodo},
    {"CHdmZLDBP", "左路堤边坡", kLeave, kTodo},
    {"CHdmZLQBP", "左路堑边坡", kLeave, kTodo},
    {"CZLQSG", "左侧沟", kLeave, kTodo},
    {"CZLDSG", "左路堤水沟", kLeave, kTodo},
    {"HDMLeftGouPD", "左沟底坡", kOkOnly, kTodo},
    {"CLJSG", "左天沟", kLeave, kTodo},
    {"LeftDQ", "左挡墙分段", kOkOnly, kTodo},
    {"CHTHD", "左清表土厚度", kLeave, kTodo},
    {"LCTKDDlg", "左超填宽度", kOkOnly, kTodo},
    {"LARCBPDlg", "左弧形边坡", kOkOnly, kTodo},
    {"CLeftAutoDesCS", "左自动化设计参数", kOkOnly, kTodo},
    {"CLeftWFSJ", "左挖方分类", kLeave, kTodo},
};

constexpr PageSpec kRightSheet[] = {
    {"LUJXKFDR", "右路基限宽", kLeave, kTodo},
    {"lujbtwkR", "右用地加宽", kLeave, kTodo},
    {"CYLMH", "右路面厚度", kLeave, kTodo},
    {"HDMNCKR", "右地面线内插宽", kLeave, kTodo},
    {"CYHTHD", "右清表土厚度", kLeave, kTodo},
    {"CHdmYLDBP", "右路堤边坡", kLeave, kTodo},
    {"CHdmYLQBP", "右路堑边坡", kLeave, kTodo},
    {"CYLQSG", "右侧沟", kLeave, kTodo},
    {"CYLDSG", "右路堤水沟", kLeave, kTodo},
    {"HDMRightGouPD", "右沟底坡", kOkOnly, kTodo},
    {"CRJSG", "右天沟", kLeave, kTodo},
    {"RightDQ", "右挡墙分段", kOkOnly, kTodo},
    {"RCTKDDlg", "右超填宽度", kOkOnly, kTodo},
    {"RARCBPDlg", "右弧形边坡", kOkOnly, kTodo},
    {"CRightAutoDesCS", "右自动化设计参数", kOkOnly, kTodo},
    {"CRightWFSJ", "右挖方分类", kLeave, kTodo},
};

}  // namespace

std::unique_ptr<PropertyPage> CreatePlaceholder(const PageSpec& spec, const PageContext& context) {
  return Create<PlaceholderPage>(spec, context);
}

std::span<const PageSpec> MainSheetPages() { return kMainSheet; }
std::span<const PageSpec> LeftSheetPages() { return kLeftSheet; }
std::span<const PageSpec> RightSheetPages() { return kRightSheet; }

}  // namespace hdmjm
