// Shows a page-like typed grid with the drop-down list of a coded column open and saves a
// picture of the screen to the file named by the first argument. Run it under an X server:
//   xvfb-run -a -s "-screen 0 1024x768x24" grid_screenshot docs/grid.png
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "grid/inplaceedit.h"
#include "grid/inplacelist.h"
#include "grid/typedgridctrl.h"
#include "screen_shot.h"

using namespace hdmjm;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: grid_screenshot OUTPUT.png\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  hdmjm::test::UseScreenshotFont();

  QWidget page;
  page.setWindowTitle("左清表土厚度");
  auto* layout = new QVBoxLayout(&page);
  layout->addWidget(new QLabel("输入主线横断面数据"));
  auto* grid = new CTypedGridCtrl;
  layout->addWidget(grid);

  const QStringList headings = {"序号",       "分段终里程", "清表土厚度(m)",
                                "清表土性质", "类型",       "设置位置"};
  const int tableRows = 12;
  grid->SetRowCount(tableRows + 2);
  grid->SetColumnCount(static_cast<int>(headings.size()));
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  grid->SetTextBkColor(QColor(255, 255, 224));
  grid->SetFixedBkColor(QColor(200, 200, 150));
  GridItem centred;
  centred.mask = GridItem::kText | GridItem::kFormat;
  centred.format = kDtCenter | kDtVCenter | kDtWordBreak | kDtSingleLine | kDtEndEllipsis;
  for (centred.row = 0; centred.row < grid->GetRowCount(); ++centred.row)
    for (centred.col = 0; centred.col < grid->GetColumnCount(); ++centred.col)
      grid->SetItem(centred);
  for (int col = 0; col < grid->GetColumnCount(); ++col) {
    grid->SetItemText(0, col, headings[col]);
    grid->SetItemState(tableRows + 1, col, GridCell::kReadOnly);
  }
  for (int row = 1; row <= tableRows; ++row) {
    grid->SetItemText(row, 0, QString::number(row));
    grid->SetItemText(row, 1, QString::number(1250.0 + 180.5 * row, 'f', 3));
    grid->SetItemText(row, 2, row % 3 ? "0.3" : "0.5");
    grid->SetItemText(row, 3, row % 4 ? "0-清表土" : "1-挖淤泥");
    grid->SetItemText(row, 4, row % 2 ? "1-水沟" : "0-坡脚墙");
    grid->SetItemText(row, 5, "0-路堤坡顶");
  }
  grid->SetItemText(tableRows + 1, 0, QString::number(tableRows + 1));
  // The coded columns offer their labels, as their page tells the grid.
  const QStringList lists[] = {{"0-清表土", "1-挖淤泥"},
                               {"0-坡脚墙", "1-水沟", "2-路肩沟"},
                               {"0-路堤坡顶", "1-路堤坡脚", "2-路堑坡脚", "3-路堑坡顶"}};
  for (int col = 3; col <= 5; ++col) {
    ColumnChoices choices;
    choices.items = lists[col - 3];
    grid->SetColumnChoices(col, std::move(choices));
  }
  grid->AutoSize();
  for (int row = 1; row < grid->GetRowCount(); ++row) grid->SetRowHeight(row, 20);
  grid->ResetScrollBars();
  grid->SetFocusCell(1, 1);

  page.resize(640, 360);
  page.move(0, 0);
  page.show();

  QTimer::singleShot(400, [&] {
    grid->SetFocusCell(4, 3);
    grid->OnEditCell(4, 3, kMouseTrigger);
    if (auto* list = qobject_cast<InPlaceList*>(grid->InPlaceEditor())) list->showPopup();
  });
  test::SaveScreenLater(page, output, 1200, 20);
  return app.exec();
}
