// The one-cell drop-down list that the typed grid places over a coded cell while it is edited.
#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace hdmjm {

class InPlaceList : public QComboBox {
  Q_OBJECT

 public:
  static constexpr int kVisibleLines = 4;

  // `editable`: typing allowed besides choosing. `parent` is the grid's viewport; `grid` takes the
  // keyboard focus back when a key ends editing.
  InPlaceList(QWidget* parent, QWidget* grid, const QRect& rect, bool editable, int id, int row,
              int col, const QString& text, const QStringList& items, int firstKey);

  int Id() const { return id_; }
  int Row() const { return row_; }
  int Col() const { return col_; }
  void EndEdit() { Finish(0); }

 signals:
  void EditEnded(int row, int col, const QString& text, int key);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Finish(int key);

  QWidget* grid_;
  int id_;
  int row_;
  int col_;
  QString initialText_;
  bool ended_ = false;
};

}  // namespace hdmjm
