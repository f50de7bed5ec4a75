// CTypedGridCtrl: the grid most pages use. The page tells it, per column, what the column's
// drop-down offers: a fixed list to choose from (a coded column's labels), or an editable list
// read afresh for every editing that learns the texts typed into it (the land-use types). Every
// other column is edited with the edit box.
#pragma once

#include <QStringList>
#include <functional>
#include <map>

#include "gridctrl.h"

namespace hdmjm {

struct ColumnChoices {
  QStringList items;      // a fixed list: only these can be chosen
  bool editable = false;  // any text may be typed; `load` gives the items, `learn` hears the text
  std::function<QStringList()> load;
  std::function<void(const QString&)> learn;
};

class CTypedGridCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  explicit CTypedGridCtrl(QWidget* parent = nullptr);

  void SetColumnChoices(int col, ColumnChoices choices);
  void ClearColumnChoices() { choices_.clear(); }
  // Null for a column edited with the edit box.
  const ColumnChoices* ColumnChoicesOf(int col) const;

  void CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id, int row, int col,
                           const QString& text, int key) override;
  void OnEndEditCell(int row, int col, const QString& text) override;

 private:
  std::map<int, ColumnChoices> choices_;
};

}  // namespace hdmjm
