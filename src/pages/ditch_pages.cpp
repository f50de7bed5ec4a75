#include "pages/ditch_pages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "pages/edit_commands.h"
#include "slopes/preview_box.h"
#include "store/field_text.h"
#include "store/table_roles.h"

namespace hdmjm {
namespace {

constexpr std::string_view kLining = "浆砌厚度(m)";
constexpr std::string_view kRadius = "沟底半径(m)";

// 天沟: the left page gives its slopes in metres, the right one as ratios.
constexpr GridColumn InterceptColumn(int index, bool right) {
  constexpr GridColumn kColumns[] = {
      {"分段起点里程", "分段起里程"},  {"边距(m)", "起始边距"},         {"水沟深(m)", "起始水沟深"},
      {"水沟底宽(m)", "起始水沟底宽"}, {"分段终点里程", "分段终里程"},  {"边距(m)", "终止边距"},
      {"水沟深(m)", "终止水沟深"},     {"水沟底宽(m)", "终止水沟底宽"}, {"内侧边坡(m)", "内侧边坡"},
      {"外侧边坡(m)", "外侧边坡"},     {kLining, "浆砌厚度"},           {kRadius, kRadiusColumn}};
  GridColumn column = kColumns[index];
  if (right && column.field == "内侧边坡") column.header = "内侧边坡(1:)";
  if (right && column.field == "外侧边坡") column.header = "外侧边坡(1:)";
  return column;
}
template <bool kRight>
constexpr auto kInterceptColumns = [] {
  std::array<GridColumn, 12> columns{};
  for (int i = 0; i < 12; ++i) columns[i] = InterceptColumn(i, kRight);
  return columns;
}();

// 侧沟: the left table names its slopes 左侧边坡 and 右侧边坡.
constexpr GridColumn kSideDitchColumns[] = {{"分段终点里程", "分段终里程"},
                                            {"水沟底宽(m)", "水沟底宽"},
                                            {"沟  深(m)", "沟深"},
                                            {"内侧边坡(1:)", "左侧边坡", "内侧边坡"},
                                            {"外侧边坡(1:)", "右侧边坡", "外侧边坡"},
                                            {kLining, "浆砌厚度"},
                                            {kRadius, kRadiusColumn}};

// 排水沟: the bottom width and the depth of each end are held crosswise, the value under a
// width header in the depth column and the other way round, as the stored tables have it.
constexpr GridColumn kEmbankmentDitchColumns[] = {{"类型", "坡脚墙"},
                                                  {kLining, "浆砌厚度"},
                                                  {"起始里程", "起始里程"},
                                                  {"起始护坡道宽(m)", "起始护坡道宽"},
                                                  {"起始护坡道厚(m)", "起始护坡道厚"},
                                                  {"起始水沟底宽(m)", "起始水沟深"},
                                                  {"起始水沟深(m)", "起始水沟底宽"},
                                                  {"起始挡水堰宽(m)", "起始挡水堰宽"},
                                                  {"起始挡水堰厚(m)", "起始挡水堰厚"},
                                                  {"终止里程", "终止里程"},
                                                  {"终止护坡道宽(m)", "终止护坡道宽"},
                                                  {"终止护坡道厚(m)", "终止护坡道厚"},
                                                  {"终止水沟底宽(m)", "终止水沟深"},
                                                  {"终止水沟深(m)", "终止水沟底宽"},
                                                  {"终止挡水堰宽(m)", "终止挡水堰宽"},
                                                  {"终止挡水堰厚(m)", "终止挡水堰厚"},
                                                  {"内侧边坡(1:)", "内侧边坡"},
                                                  {"外侧边坡(1:)", "外侧边坡"},
                                                  {"挡水堰边坡(1:)", "挡水堰坡"},
                                                  {kRadius, kRadiusColumn}};
// A shoulder ditch (2-路肩沟) has no berm and no weir.
constexpr std::string_view kBermAndWeir[] = {"起始护坡道宽", "起始护坡道厚", "起始挡水堰宽",
                                             "起始挡水堰厚", "终止护坡道宽", "终止护坡道厚",
                                             "终止挡水堰宽", "终止挡水堰厚"};
constexpr ClearingCode kShoulderDitch{"坡脚墙", 2, kBermAndWeir};

constexpr GridDesc InterceptDitch(std::span<const GridColumn> columns) {
  return {.table = kInterceptDitchTable,
          .columns = columns,
          .numberHeader = "序号",
          .insertCaption = "添加一行"};
}
constexpr GridDesc SideDitch() { return {.table = kSideDitchTable, .columns = kSideDitchColumns}; }
constexpr GridDesc EmbankmentDitch() {
  return {.table = kEmbankmentDitchTable,
          .columns = kEmbankmentDitchColumns,
          .numberHeader = "序号",
          .clearingCode = &kShoulderDitch};
}

// The side-ditch fields the preview draws, by the names of the left table's columns (the right
// table's stand in the same grid columns).
struct PreviewField {
  std::string_view field;
  double SideDitchRow::*member;
};
constexpr PreviewField kPreviewFields[] = {
    {"水沟底宽", &SideDitchRow::bottomWidth},     {"沟深", &SideDitchRow::depth},
    {"左侧边坡", &SideDitchRow::slope1},          {"右侧边坡", &SideDitchRow::slope2},
    {"浆砌厚度", &SideDitchRow::liningThickness}, {kRadiusColumn, &SideDitchRow::bottomRadius}};

// "<road><where>第<row>行<ditch>沟底半径小于半个水沟底宽！请重新设置沟底半径！", the row counted
// from 1. Put together piece by piece: a road's name is never read as a placeholder.
std::string RadiusMessage(std::string_view road, const RadiusCheck& check, int row) {
  return std::string(road).append(check.where) + "第" + std::to_string(row) + "行" +
         std::string(check.ditch) + "沟底半径小于半个水沟底宽！请重新设置沟底半径！";
}

}  // namespace

const DitchPageDesc CLJSG{
    {kLeft, true, InterceptDitch(kInterceptColumns<false>)}, {"左天沟"}, {}, {}};
const DitchPageDesc CRJSG{
    {kRight, true, InterceptDitch(kInterceptColumns<true>)}, {"右天沟"}, {}, {}};
const DitchPageDesc CZLQSG{{kLeft, true, SideDitch()}, {"左侧沟"}, "复制到右侧", "刷新视图"};
const DitchPageDesc CYLQSG{{kRight, true, SideDitch()}, {"右侧沟"}, "复制到左侧", "刷新视图 "};
const DitchPageDesc CZLDSG{{kLeft, true, EmbankmentDitch()}, {"左排水沟"}, "复制到右侧", {}};
const DitchPageDesc CYLDSG{{kRight, true, EmbankmentDitch()}, {"右排水沟"}, "复制到左侧", {}};

void InstallRadiusCheck(TableBinding& binding, const RadiusCheck& check, UserMessages& messages,
                        std::function<std::string()> roadName) {
  const int radiusColumn = binding.Require(kRadiusColumn);
  std::vector<int> widthColumns;
  for (std::string_view width : RadiusWidthColumns(binding.Table()))
    widthColumns.push_back(binding.Require(width));
  binding.SetRowCheck(
      [&binding, check, radiusColumn, widthColumns, &messages, roadName = std::move(roadName)](
          int tableRow, std::vector<FieldValue>& fields) {
        const Side side = binding.TableSide();
        const int radiusField = binding.FieldOf(radiusColumn, side);
        if (radiusField < 0) return;
        const double* radius = std::get_if<double>(&fields[radiusField]);
        if (!radius) return;
        for (int column : widthColumns) {
          const int widthField = binding.FieldOf(column, side);
          const double* width = widthField < 0 ? nullptr : std::get_if<double>(&fields[widthField]);
          if (!width || !RadiusBelowHalfWidth(*radius, *width)) continue;
          messages.Show(RadiusMessage(roadName(), check, tableRow + 1));
          fields[radiusField] = 0.0;
          return;
        }
      });
}

DitchPage::DitchPage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
                     const DitchPageDesc& desc)
    : TablePage(context, caption, hasLeaveHandler, desc), desc_(desc) {
  const GridPanel& panel = Panel(0);
  InstallRadiusCheck(*panel.binding, desc.radius, Context().messages,
                     [this] { return writingRoad_; });
  const auto addButton = [&](std::string_view text, const char* name) {
    auto* button = new QPushButton(ToQString(text), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    panel.buttons->insertWidget(panel.buttons->count() - 1, button);  // before the stretch
    return button;
  };
  if (!desc.copyCaption.empty()) {
    copyButton_ = addButton(desc.copyCaption, "copyButton");
    connect(copyButton_, &QPushButton::clicked, this, &DitchPage::Copy);
  }
  if (!desc.refreshCaption.empty()) {
    refreshButton_ = addButton(desc.refreshCaption, "refreshButton");
    for (const PreviewField& field : kPreviewFields)
      previewColumns_.push_back(panel.binding->Require(field.field));
    preview_ = new PreviewBox(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setMinimumHeight(120);
    Body()->addWidget(preview_, 1);
    const DitchDirection direction =
        desc.side == kLeft ? DitchDirection::Leftwards : DitchDirection::Rightwards;
    preview_->SetSource([this, direction](int width, int height) -> std::optional<PreviewDrawing> {
      const std::optional<SideDitchRow> row = PreviewRow();
      if (!row) return std::nullopt;
      return SideDitchPreview(*row, direction, width, height);
    });
    // Repaints the page, and with it the preview, which then shows the focus row.
    connect(refreshButton_, &QPushButton::clicked, this, [this] {
      update();
      preview_->update();
    });
  }
}

bool DitchPage::CopyToOtherSide(TableBinding& binding, RoadSectionStore& record) {
  const Side other = binding.TableSide() == kLeft ? kRight : kLeft;
  return binding.WriteInto(record, other, false);
}

void DitchPage::Copy() {
  RoadSectionStore* record = FilledRecord();
  if (!record) return;
  const TableRef other[] = {{Binding().Table().BaseName(), desc_.side == kLeft ? kRight : kLeft}};
  RecordChange(*this, copyButton_->text(), other,
               [this, record] { CopyToOtherSide(Binding(), *record); });
}

void DitchPage::Fill(RoadSectionStore* record) {
  previewed_ = false;
  TablePage::Fill(record);
  if (preview_) preview_->update();
}

void DitchPage::WriteBack(RoadSectionStore& record) {
  writingRoad_ = record.roadName;
  TablePage::WriteBack(record);
}

std::optional<SideDitchRow> DitchPage::PreviewRow() {
  if (!previewed_) {
    previewed_ = true;
    const RoadSectionStore* record = FilledRecord();
    if (!record || record->sideDitches[desc_.side].empty()) return std::nullopt;
    return record->sideDitches[desc_.side].front();
  }
  const CGridCtrl& grid = Grid();
  const int row = grid.GetFocusCell().row;
  if (row < 1 || row >= grid.GetRowCount() - 1) return std::nullopt;  // none, or the append row
  SideDitchRow ditch;
  for (size_t i = 0; i < previewColumns_.size(); ++i)
    ditch.*kPreviewFields[i].member =
        DecimalValue(grid.GetItemText(row, previewColumns_[i]).toStdString());
  return ditch;
}

std::unique_ptr<PropertyPage> CreateDitchPage(const PageEntry& entry, const PageContext& context) {
  return Create<DitchPage>(entry, context, static_cast<const DitchPageDesc&>(*entry.descriptor));
}

}  // namespace hdmjm
