#include "pages/slope_pages.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "grid/typedgridctrl.h"
#include "pages/edit_commands.h"
#include "pages/suspect_cells.h"
#include "pages/table_binding.h"
#include "pages/table_page.h"
#include "slopes/preview_box.h"
#include "store/field_text.h"

namespace hdmjm {
namespace {

constexpr SlopePageRow kSlopePageRows[] = {
    {SlopePage::LeftEmbankment, kLeft, &RoadSectionStore::embankmentSlopes, "复制到右侧", 0, false},
    {SlopePage::RightEmbankment, kRight, &RoadSectionStore::embankmentSlopes, "复制到左侧", 0,
     true},
    {SlopePage::LeftCut, kLeft, &RoadSectionStore::cutSlopes, "复制到右侧", 2, false},
    {SlopePage::RightCut, kRight, &RoadSectionStore::cutSlopes, "复制到左侧", 0, true},
};

constexpr int kSegmentWidths[] = {40, 100};
constexpr int kLevelWidths[] = {40, 70, 70, 70, 70};
constexpr std::string_view kSegmentHeadings[] = {"序号", "分段终里程"};
constexpr std::string_view kLevelHeadings[] = {"序号", "边坡系数", "限制高(m)", "平台宽(m)",
                                               "平台坡(%)"};
// The level fields in the order of the level grid's columns, by their column names after the
// level's number ("3级最大高度").
constexpr std::string_view kLevelFieldNames[] = {"级边坡系数", "级最大高度", "级平台宽度",
                                                 "级平台横坡"};
constexpr std::string_view kLevelCaption = "请输入第%1分段, 分段终里程: %2 的边坡参数";

// The grid that takes the keyboard back after a button acted on it, so that typing edits its
// focus cell (a new row's) and Enter does not fall through to the sheet's OK.
enum class Then { Stay, Segments, Levels };

struct ButtonEntry {
  SlopeEditorPage::Button button;
  std::string_view caption;  // empty: the page's copy caption
  const char* name;
  void (SlopeEditorPage::*action)();
  Then then;
  bool recorded;  // a step of the road's history: it changes the grids or the table
};

constexpr ButtonEntry kSegmentButtons[] = {
    {SlopeEditorPage::kInsertSegment, "增加分段", "insertSegment", &SlopeEditorPage::InsertSegment,
     Then::Segments, true},
    {SlopeEditorPage::kDeleteSegment, "删除分段", "deleteSegment", &SlopeEditorPage::DeleteSegment,
     Then::Segments, true},
    {SlopeEditorPage::kCopy, "", "copy", &SlopeEditorPage::CopyToOtherSide, Then::Stay, true},
    {SlopeEditorPage::kShowLevels, "边坡参数", "showLevels", &SlopeEditorPage::ShowLevels,
     Then::Levels, true},
};
constexpr ButtonEntry kLevelButtons[] = {
    {SlopeEditorPage::kInsertLevel, "增加一级", "insertLevel", &SlopeEditorPage::InsertLevel,
     Then::Levels, true},
    {SlopeEditorPage::kDeleteLevel, "删除一级", "deleteLevel", &SlopeEditorPage::DeleteLevel,
     Then::Levels, true},
    {SlopeEditorPage::kStoreLevels, "录入参数", "storeLevels", &SlopeEditorPage::StoreLevels,
     Then::Stay, true},
    {SlopeEditorPage::kRefresh, "刷新视图", "refresh", &SlopeEditorPage::Refresh, Then::Stay,
     false},
    {SlopeEditorPage::kImportTemplate, "导入模板", "importTemplate",
     &SlopeEditorPage::ImportTemplate, Then::Levels, true},
    {SlopeEditorPage::kSaveTemplate, "存为模板", "saveTemplate", &SlopeEditorPage::SaveTemplate,
     Then::Stay, false},
};

void SetSizes(CGridCtrl& grid, std::span<const int> widths) {
  for (int col = 0; col < static_cast<int>(widths.size()); ++col)
    grid.SetColumnWidth(col, widths[col]);
  for (int row = 0; row < grid.GetRowCount(); ++row) grid.SetRowHeight(row, kRowHeight);
  grid.ResetScrollBars();
}

void SetHeadings(CGridCtrl& grid, std::span<const std::string_view> headings) {
  for (int col = 0; col < static_cast<int>(headings.size()); ++col)
    grid.SetItemText(0, col, ToQString(headings[col]));
}

QLabel* Note(std::string_view text, QWidget* parent) {
  auto* note = new QLabel(ToQString(text), parent);
  note->setWordWrap(true);
  return note;
}

}  // namespace

const SlopePageRow& SlopePageData(SlopePage page) {
  return *std::ranges::find(kSlopePageRows, page, &SlopePageRow::page);
}

SlopeEditorPage::SlopeEditorPage(const PageContext& context, const QString& caption,
                                 bool hasLeaveHandler, const SlopePageRow& row)
    : PropertyPage(context, caption, hasLeaveHandler), row_(row) {
  auto* body = new QVBoxLayout(this);
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("title"));
  body->addWidget(title_);

  const auto addButtons = [this](std::span<const ButtonEntry> entries, QWidget* parent) {
    auto* line = new QHBoxLayout;
    for (const ButtonEntry& entry : entries) {
      auto* button = new QPushButton(
          ToQString(entry.caption.empty() ? row_.copyCaption : entry.caption), parent);
      button->setObjectName(QString::fromLatin1(entry.name));
      button->setAutoDefault(false);  // Enter confirms the sheet, it does not press a button
      // The buttons act on the grids' focus cells, which stay while a button holds the focus.
      if (entry.recorded)
        connect(button, &QPushButton::clicked, this,
                [this, &entry] { RunRecorded(entry.button, entry.action); });
      else
        connect(button, &QPushButton::clicked, this, entry.action);
      if (entry.then != Then::Stay)
        connect(button, &QPushButton::clicked, this, [this, then = entry.then] {
          (then == Then::Segments ? segments_ : levels_)->setFocus(Qt::OtherFocusReason);
        });
      buttons_[entry.button] = button;
      line->addWidget(button);
    }
    line->addStretch(1);
    return line;
  };

  auto* top = new QHBoxLayout;
  auto* segmentGroup = new QGroupBox(QStringLiteral("分段里程"), this);
  auto* segmentLayout = new QVBoxLayout(segmentGroup);
  auto* segments = new CTypedGridCtrl(segmentGroup);
  segments_ = segments;
  segments_->setObjectName(QStringLiteral("segmentGrid"));
  segments_->setMinimumWidth(160);
  segmentLayout->addWidget(segments_, 1);
  segmentLayout->addLayout(addButtons(kSegmentButtons, segmentGroup));
  top->addWidget(segmentGroup, 2);
  preview_ = new PreviewBox(this);
  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setMinimumSize(200, 120);
  preview_->SetSource([this](int width, int height) -> std::optional<PreviewDrawing> {
    const auto segment = PreviewSegment();
    if (!segment) return std::nullopt;
    return SlopePreview(*segment, row_.page, width, height);
  });
  top->addWidget(preview_, 3);
  body->addLayout(top, 2);

  auto* levelGroup = new QGroupBox(QStringLiteral("各分段对应边坡参数"), this);
  auto* levelLayout = new QVBoxLayout(levelGroup);
  caption_ = new QLabel(levelGroup);
  caption_->setObjectName(QStringLiteral("levelCaption"));
  levelLayout->addWidget(caption_);
  levels_ = new CGridCtrl(levelGroup);
  levels_->setObjectName(QStringLiteral("levelGrid"));
  levels_->setMinimumWidth(330);
  levelLayout->addWidget(levels_, 1);
  levelLayout->addLayout(addButtons(kLevelButtons, levelGroup));
  body->addWidget(levelGroup, 3);

  // Every cell but the numbers holds a number: shown as the fill shows it.
  suspectSegments_ = new SuspectCells(
      *segments_, [](int, const std::string& text) { return FormatCellNumber(DecimalValue(text)); },
      this);
  suspectLevels_ = new SuspectCells(
      *levels_, [](int, const std::string& text) { return FormatFixed(DecimalValue(text), 2); },
      this);

  body->addWidget(Note(IsCutPage(row_.page) ? kCutNote : kEmbankmentNote, this));
  if (IsCutPage(row_.page)) body->addWidget(Note(kCutArcNote, this));

  segments_->SetTable({1, kMaxSlopeSegments, [this](int rows) { ResizeSegments(rows); }});
  SetPageTable(*levels_, kMaxSlopeLevels);
  AddRowActions(*segments_, buttons_[kInsertSegment], buttons_[kDeleteSegment], kMaxSlopeSegments);
  AddRowActions(*levels_, buttons_[kInsertLevel], buttons_[kDeleteLevel], kMaxSlopeLevels);
}

SlopeTable* SlopeEditorPage::Table(Side side) const {
  RoadSectionStore* record = FilledRecord();
  return record ? &(record->*row_.table)[side] : nullptr;
}

void SlopeEditorPage::Fill(RoadSectionStore* record) {
  const SlopeTable* table = record ? &(record->*row_.table)[row_.side] : nullptr;
  const int count = table ? std::min(table->Count(), kMaxSlopeSegments) : 0;
  LayOutGrid(*segments_, count, 2, true);
  SetHeadings(*segments_, kSegmentHeadings);
  for (int i = 0; i < count; ++i)
    segments_->SetItemText(i + 1, 1, ToQString(FormatCellNumber(table->rows[i].endStation)));
  RenumberRows(*segments_, 1);
  SetSizes(*segments_, kSegmentWidths);
  segments_->SetFocusCell(1, 1);

  current_ = 0;
  levelsOf_ = count > 0 ? 0 : -1;
  spare_ = SlopeSegment{};
  previewFlag_ = false;
  // An empty table shows no levels, not what its first free slot holds.
  FillLevels(count > 0 ? table->rows[0] : SlopeSegment{});
  suspectSegments_->Reset();
  segments_->viewport()->update();
  title_->setText(ToQString(kHeadingFormat).arg(ToQString(Session().CurrentRoadName())));
}

void SlopeEditorPage::FillLevels(const SlopeSegment& segment) {
  const int count = std::clamp(segment.levelCount, 0, kMaxSlopeLevels);
  LayOutGrid(*levels_, count, 5, true);
  SetHeadings(*levels_, kLevelHeadings);
  for (int i = 0; i < count; ++i) {
    const SlopeLevel& level = segment.levels[i];
    int col = 1;
    for (double value : {level.ratio, level.maxHeight, level.bermWidth, level.bermSlope})
      levels_->SetItemText(i + 1, col++, ToQString(FormatFixed(value, 2)));
  }
  RenumberRows(*levels_, 1);
  SetSizes(*levels_, kLevelWidths);
  if (row_.wrapLevelHeadings) {
    GridItem heading;
    heading.mask = GridItem::kFormat;
    heading.format = kWrappingHeaderFormat;
    for (heading.col = 0; heading.col < 2; ++heading.col) levels_->SetItem(heading);
  }
  // The level buttons act on the focus cell, which the new layout has lost.
  levels_->SetFocusCell(1, 1);
  suspectLevels_->Reset();
  levels_->viewport()->update();
}

double SlopeEditorPage::StationOfRow(int row) const {
  return DecimalValue(segments_->GetItemText(row, 1).toStdString());
}

void SlopeEditorPage::WriteBack(RoadSectionStore& record) {
  SlopeTable& table = (record.*row_.table)[row_.side];
  const int count = std::min(segments_->GetRowCount() - 2, kMaxSlopeSegments);
  if (count < 0) return;
  table.rows.resize(count);
  for (int row = 1; row <= count; ++row) table.rows[row - 1].endStation = StationOfRow(row);
  TellSuspects(*suspectSegments_);
}

void SlopeEditorPage::TellSuspects(SuspectCells& cells) {
  if (const std::string message = SuspectMessage(cells.Untold()); !message.empty())
    Context().messages.Show(message);
}

void SlopeEditorPage::InsertSegment() {
  SlopeTable* table = OwnTable();
  if (!table || segments_->GetFocusCell().row < 1) return;
  const int oldCount = segments_->GetRowCount() - 2;
  if (oldCount >= kMaxSlopeSegments) {
    Context().messages.Show(std::string(kTooManySegments));
    return;
  }
  const int row = InsertGridRow(*segments_);
  if (row < 0) return;
  suspectSegments_->MarkAll();
  // The table follows the grid: the new segment is a copy of the one it displaced, or at the
  // end a copy of the last one (an empty segment on an empty table), as the grid's row is.
  auto& rows = table->rows;
  rows.resize(oldCount);
  const int k = std::min(row - 1, oldCount);
  const SlopeSegment copy = k < oldCount ? rows[k] : (k > 0 ? rows[k - 1] : SlopeSegment{});
  rows.insert(rows.begin() + k, copy);
  // The level grid keeps naming the segment it was taken from; a first segment takes it up.
  if (levelsOf_ < 0 || levelsOf_ >= k) ++levelsOf_;
}

void SlopeEditorPage::DeleteSegment() {
  SlopeTable* table = OwnTable();
  if (!table) return;
  const int oldCount = segments_->GetRowCount() - 2;
  const int row = DeleteGridRow(*segments_);
  if (row < 0) return;
  suspectSegments_->MarkAll();
  auto& rows = table->rows;
  rows.resize(oldCount);
  if (row - 1 < oldCount) rows.erase(rows.begin() + (row - 1));
  if (levelsOf_ == row - 1)
    levelsOf_ = -1;
  else if (levelsOf_ > row - 1)
    --levelsOf_;
}

void SlopeEditorPage::CopyToOtherSide() {
  RoadSectionStore* record = FilledRecord();
  if (!record) return;
  WriteBack(*record);
  const SlopeTable& own = (record->*row_.table)[row_.side];
  SlopeTable& other = (record->*row_.table)[row_.side == kLeft ? kRight : kLeft];
  other.rows = own.rows;
}

SlopeSegment* SlopeEditorPage::FocusSegment() {
  SlopeTable* table = OwnTable();
  const int row = segments_->GetFocusCell().row;
  if (!table || row < 1) return nullptr;
  // The append row of a full table names no slot.
  if (row > kMaxSlopeSegments) {
    Context().messages.Show(std::string(kTooManySegments));
    return nullptr;
  }
  SlopeSegment* segment = SegmentAt(row - 1);
  if (segment) segment->endStation = StationOfRow(row);
  return segment;
}

void SlopeEditorPage::ShowLevels() {
  const int row = segments_->GetFocusCell().row;
  if (row < 1 || !SettleLevels()) return;
  const bool noStation = row >= 1 && segments_->GetItemText(row, 1).isEmpty();
  SlopeSegment* segment = FocusSegment();
  if (!segment) return;
  if (noStation) {
    Context().messages.Show(std::string(kNoEndStation));
    segment->levelCount = 0;
  }
  current_ = row - 1;
  levelsOf_ = current_;
  caption_->setText(ToQString(kLevelCaption)
                        .arg(row)
                        .arg(ToQString(FormatFixed(segment->endStation, row_.captionDecimals))));
  FillLevels(*segment);
}

void SlopeEditorPage::InsertLevel() {
  if (levels_->GetFocusCell().row < 1) return;
  if (levels_->GetRowCount() - 2 >= kMaxSlopeLevels) {
    Context().messages.Show(std::string(kTooManyLevels));
    return;
  }
  InsertGridRow(*levels_);
  suspectLevels_->MarkAll();
}

void SlopeEditorPage::DeleteLevel() {
  DeleteGridRow(*levels_);
  suspectLevels_->MarkAll();
}

std::vector<SlopeLevel> SlopeEditorPage::GridLevels() const {
  const int count = std::clamp(levels_->GetRowCount() - 2, 0, kMaxSlopeLevels);
  std::vector<SlopeLevel> levels(count);
  const auto cell = [this](int row, int col) {
    return DecimalValue(levels_->GetItemText(row, col).toStdString());
  };
  for (int i = 0; i < count; ++i)
    levels[i] = {cell(i + 1, 1), cell(i + 1, 2), cell(i + 1, 3), cell(i + 1, 4)};
  return levels;
}

void SlopeEditorPage::StoreLevels() {
  SlopeSegment* segment = FocusSegment();
  if (!segment) return;
  hdmjm::StoreLevels(*segment, GridLevels());
  TellSuspects(*suspectLevels_);
  levelsOf_ = segments_->GetFocusCell().row - 1;
}

void SlopeEditorPage::Refresh() {
  previewFlag_ = true;
  update();
  preview_->update();
}

std::optional<SlopeSegment> SlopeEditorPage::PreviewSegment() const {
  if (!previewFlag_) {
    const SlopeTable* table = OwnTable();
    if (!table || table->rows.empty()) return std::nullopt;
    return table->rows[0];
  }
  const int row = segments_->GetFocusCell().row;
  if (row == segments_->GetRowCount() - 1) return std::nullopt;
  SlopeSegment segment;
  segment.endStation = StationOfRow(row);
  hdmjm::StoreLevels(segment, GridLevels());
  if (segment.levelCount < 1) return std::nullopt;
  return segment;
}

SlopeSegment* SlopeEditorPage::TemplateSegment() {
  SlopeSegment* segment = FocusSegment();
  if (segment) current_ = segments_->GetFocusCell().row - 1;
  return segment;
}

SlopeTemplateContext SlopeEditorPage::TemplateContext() const {
  return {row_.page, Session().InstallRoot(), Session().Paths(), Context().files,
          Context().messages};
}

void SlopeEditorPage::SaveTemplate() {
  if (SlopeSegment* segment = TemplateSegment())
    SaveTemplateFlow(TemplateContext(), *segment, GridLevels());
}

void SlopeEditorPage::ImportTemplate() {
  SlopeSegment* segment = TemplateSegment();
  if (!segment || ImportTemplateFlow(TemplateContext(), *segment) != TemplateOutcome::Done) return;
  FillLevels(*segment);
  levelsOf_ = current_;
}

bool SlopeEditorPage::ShowCell(const TableDesc& table, Side side, int row, int column) {
  const std::string_view kind = IsCutPage(row_.page) ? kCutSlopeTable : kEmbankmentSlopeTable;
  if (table.BaseName() != kind || side != row_.side) return false;
  const int segment = std::clamp(row, 1, std::max(segments_->GetRowCount() - 1, 1));
  segments_->SetFocusCell(segment, 1);
  segments_->EnsureVisible(segment, 1);
  segments_->setFocus(Qt::OtherFocusReason);
  const auto& columns = table.DataColumns(side);
  if (column < 1 || column >= static_cast<int>(columns.size())) return true;
  ShowLevels();
  const std::string& name = columns[column].name;
  const size_t digits = name.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string::npos) return true;  // 边坡总级数
  const auto field = std::ranges::find(kLevelFieldNames, name.substr(digits));
  const int level = std::stoi(name.substr(0, digits));
  const int col =
      field == std::end(kLevelFieldNames) ? 1 : 1 + static_cast<int>(field - kLevelFieldNames);
  levels_->SetFocusCell(std::min(level, levels_->GetRowCount() - 1), col);
  levels_->EnsureVisible(std::min(level, levels_->GetRowCount() - 1), col);
  levels_->setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace hdmjm
