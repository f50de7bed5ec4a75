#include "typedgridctrl.h"

namespace hdmjm {

CTypedGridCtrl::CTypedGridCtrl(QWidget* parent) : CGridCtrl(parent) {}

void CTypedGridCtrl::SetColumnChoices(int col, ColumnChoices choices) {
  choices_[col] = std::move(choices);
}

const ColumnChoices* CTypedGridCtrl::ColumnChoicesOf(int col) const {
  const auto found = choices_.find(col);
  return found == choices_.end() ? nullptr : &found->second;
}

void CTypedGridCtrl::CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id,
                                         int row, int col, const QString& text, int key) {
  SetFocusCell(row, col);
  const ColumnChoices* choices = ColumnChoicesOf(col);
  if (choices && choices->editable) {
    OpenInPlaceList(rect, true, id, row, col, text,
                    choices->load ? choices->load() : choices->items, key);
    return;
  }
  if (choices && !choices->items.isEmpty()) {
    OpenInPlaceList(rect, false, id, row, col, text, choices->items, key);
    return;
  }
  CGridCtrl::CreateInPlaceEditor(rect, alignment, id, row, col, text, key);
}

void CTypedGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
  const ColumnChoices* choices = ColumnChoicesOf(col);
  if (choices && choices->editable && choices->learn) choices->learn(text);
  CGridCtrl::OnEndEditCell(row, col, text);
}

}  // namespace hdmjm
