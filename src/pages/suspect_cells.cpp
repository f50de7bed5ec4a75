#include "pages/suspect_cells.h"

#include <QHelpEvent>
#include <QToolTip>

#include "pages/qt_text.h"
#include "store/field_text.h"

namespace hdmjm {
namespace {

constexpr int kShownCharacters = 16;  // of a cell's text in a tooltip or message
constexpr size_t kListedCells = 10;   // in one message

// The cell's text as a message quotes it: short, whatever was pasted.
QString Quoted(const QString& text) {
  QString shown = text.left(kShownCharacters);
  for (QChar& c : shown)
    if (!c.isPrint()) c = QChar(0xFFFD);
  return QStringLiteral("“%1%2”").arg(shown, text.size() > kShownCharacters ? "…" : "");
}

}  // namespace

SuspectCells::SuspectCells(CGridCtrl& grid, Stored stored, QObject* parent)
    : QObject(parent), grid_(grid), stored_(std::move(stored)) {
  connect(&grid_, &CGridCtrl::EditEnd, this, &SuspectCells::Mark);
  grid_.viewport()->installEventFilter(this);
}

std::optional<std::string> SuspectCells::SuspectValue(int row, int col) const {
  if (row < 1 || row >= grid_.GetRowCount() - 1 || col < grid_.GetFixedColumnCount()) return {};
  const std::string text = grid_.GetItemText(row, col).toStdString();
  if (IsPlainNumber(text)) return {};
  return stored_(col, text);
}

void SuspectCells::Mark(int row, int col) {
  GridItem item;
  item.mask = GridItem::kBackColor;
  item.row = row;
  item.col = col;
  item.backColor = SuspectValue(row, col) ? kSuspectCellColor : kColorUnset;
  grid_.SetItem(item);
}

void SuspectCells::MarkAll() {
  for (int row = 1; row < grid_.GetRowCount(); ++row)
    for (int col = grid_.GetFixedColumnCount(); col < grid_.GetColumnCount(); ++col) Mark(row, col);
}

void SuspectCells::Reset() {
  told_.clear();
  MarkAll();
}

std::vector<std::string> SuspectCells::Untold() {
  std::vector<std::string> lines;
  for (int row = 1; row < grid_.GetRowCount() - 1; ++row) {
    for (int col = grid_.GetFixedColumnCount(); col < grid_.GetColumnCount(); ++col) {
      const std::optional<std::string> value = SuspectValue(row, col);
      const QString text = grid_.GetItemText(row, col);
      if (!value || !told_.emplace(row, col, text.toStdString()).second) continue;
      lines.push_back(QStringLiteral("第%1行 %2: %3 存为 %4")
                          .arg(row)
                          .arg(grid_.GetItemText(0, col), Quoted(text), ToQString(*value))
                          .toStdString());
    }
  }
  return lines;
}

bool SuspectCells::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip || watched != grid_.viewport()) return false;
  auto* help = static_cast<QHelpEvent*>(event);
  const CellId cell = grid_.GetCellFromPt(help->pos());
  const std::optional<std::string> value = SuspectValue(cell.row, cell.col);
  if (!value) {
    QToolTip::hideText();
    return false;
  }
  QToolTip::showText(help->globalPos(),
                     QStringLiteral("%1 不是一个数, 存入时为 %2")
                         .arg(Quoted(grid_.GetItemText(cell.row, cell.col)), ToQString(*value)),
                     grid_.viewport());
  return true;
}

std::string SuspectMessage(const std::vector<std::string>& lines) {
  if (lines.empty()) return {};
  std::string message =
      "以下单元格的内容不是一个数, 已存入所示的数 (取开头的数字, 没有数字则为 0):";
  for (size_t i = 0; i < lines.size() && i < kListedCells; ++i) message += "\n" + lines[i];
  if (lines.size() > kListedCells)
    message += "\n…另有" + std::to_string(lines.size() - kListedCells) + "处";
  return message;
}

}  // namespace hdmjm
