// The slope pages' part in the road's history: their buttons as steps, the state a step puts
// back, a paste's new segments, and the question asked before level edits that "录入参数" has
// not stored would be lost.
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <iterator>

#include "pages/edit_commands.h"
#include "pages/slope_pages.h"
#include "store/field_text.h"

namespace hdmjm {

SlopeSegment* SlopeEditorPage::SegmentAt(int index) const {
  SlopeTable* table = OwnTable();
  if (!table || index < 0 || index >= kMaxSlopeSegments) return nullptr;
  if (index < table->Count()) return &table->rows[index];
  return index == table->Count() ? &spare_ : nullptr;
}

const TableDesc& SlopeEditorPage::CatalogueTable() const {
  return *FindTable(IsCutPage(row_.page) ? kCutSlopeTable : kEmbankmentSlopeTable);
}

bool SlopeEditorPage::ShowsTable(const TableDesc& table, Side side) const {
  return &table == &CatalogueTable() && side == row_.side;
}

void SlopeEditorPage::RunRecorded(Button button, void (SlopeEditorPage::*action)()) {
  std::vector<TableRef> tables{{CatalogueTable().BaseName(), row_.side}};
  if (button == kCopy)
    tables.push_back({CatalogueTable().BaseName(), row_.side == kLeft ? kRight : kLeft});
  RecordChange(*this, buttons_[button]->text(), tables, [this, action] { (this->*action)(); });
}

void SlopeEditorPage::ResizeSegments(int rows) {
  // As the buttons do it at the table's end; a button that refuses ends it.
  for (int count = segments_->GetRowCount() - 2; count != rows;) {
    segments_->SetFocusCell(count + (count < rows ? 1 : 0), 1);
    if (count < rows)
      InsertSegment();
    else
      DeleteSegment();
    const int now = segments_->GetRowCount() - 2;
    if (now == count) return;
    count = now;
  }
}

bool SlopeEditorPage::LevelsUnstored() const {
  const SlopeSegment* segment = SegmentAt(levelsOf_);
  if (!segment) return false;
  const int count = std::clamp(segment->levelCount, 0, kMaxSlopeLevels);
  if (levels_->GetRowCount() - 2 != count) return true;
  for (int i = 0; i < count; ++i) {
    const SlopeLevel& level = segment->levels[i];
    int col = 1;
    for (double value : {level.ratio, level.maxHeight, level.bermWidth, level.bermSlope}) {
      // The text shown for the value, or another text for the same value, is no edit.
      const QString text = levels_->GetItemText(i + 1, col++);
      if (text != ToQString(FormatFixed(value, 2)) && DecimalValue(text.toStdString()) != value)
        return true;
    }
  }
  return false;
}

bool SlopeEditorPage::SettleLevels() {
  if (!LevelsUnstored()) return true;
  const std::vector<std::string> buttons(std::begin(kUnstoredLevelsButtons),
                                         std::end(kUnstoredLevelsButtons));
  const int answer = Context().messages.Choose(
      ToQString(kUnstoredLevels).arg(levelsOf_ + 1).toStdString(), buttons, kStoreThem);
  if (answer == kStayOnPage) return false;
  SlopeSegment& segment = *SegmentAt(levelsOf_);
  if (answer == kStoreThem)
    hdmjm::StoreLevels(segment, GridLevels());
  else
    FillLevels(segment);
  return true;
}

bool SlopeEditorPage::CanLeave() {
  bool settled = true;
  const TableRef own[] = {{CatalogueTable().BaseName(), row_.side}};
  RecordChange(*this, buttons_[kStoreLevels]->text(), own,
               [this, &settled] { settled = SettleLevels(); });
  return settled;
}

QVariant SlopeEditorPage::HistoryState() const {
  return QVariantList{current_, levelsOf_, caption_->text()};
}

void SlopeEditorPage::RestoreHistoryState(const QVariant& state) {
  const QVariantList values = state.toList();
  if (values.size() != 3) return;
  current_ = values[0].toInt();
  levelsOf_ = values[1].toInt();
  caption_->setText(values[2].toString());
}

}  // namespace hdmjm
