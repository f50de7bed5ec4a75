// Paints a page of a 300 x 21 grid into an image and scrolls one page on, beside painting the
// same visible cells' texts with plain QPainter::drawText calls; prints the best of several runs
// of each and their ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid/gridctrl.h"
#include "ratio_reporter.h"

namespace {

using hdmjm::CGridCtrl;
using hdmjm::GridItem;

constexpr int kRows = 300;
constexpr int kColumns = 21;
constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
constexpr int kRuns = 10;

// Keeps each benchmark's fastest run in processor time: on a shared machine the wall clock also
// counts the time other programs had the processor, and the fastest run is the least disturbed.
class BestRunReporter : public RatioReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.run_name.function_name;
      const double time = run.GetAdjustedCPUTime();
      if (!times.contains(name) || time < times[name]) times[name] = time;
    }
  }
};

struct TextCell {
  QRect rect;
  QString text;
};

// A page-like grid: headings, numbered rows, numbers in the light yellow cells.
class Bench {
 public:
  Bench() {
    grid_.resize(1000, 700);
    grid_.SetRowCount(kRows);
    grid_.SetColumnCount(kColumns);
    grid_.SetFixedRowCount(1);
    grid_.SetFixedColumnCount(1);
    grid_.SetTextBkColor(QColor(255, 255, 224));
    grid_.SetFixedBkColor(QColor(200, 200, 150));
    GridItem centred;
    centred.mask = GridItem::kFormat;
    centred.format = hdmjm::kDtCenter | hdmjm::kDtVCenter | hdmjm::kDtWordBreak |
                     hdmjm::kDtSingleLine | hdmjm::kDtEndEllipsis;
    for (int row = 0; row < kRows; ++row) {
      grid_.SetRowHeight(row, 20);
      for (int col = 0; col < kColumns; ++col) {
        centred.row = row;
        centred.col = col;
        grid_.SetItem(centred);
        const QString text = row == 0   ? QString("列%1").arg(col)
                             : col == 0 ? QString::number(row)
                                        : QString::number(1000.0 + row * 20.5 + col, 'f', 3);
        grid_.SetItemText(row, col, text);
      }
    }
    for (int col = 0; col < kColumns; ++col) grid_.SetColumnWidth(col, 70);
    grid_.show();
    QApplication::processEvents();
    grid_.ResetScrollBars();
    grid_.SetFocusCell(1, 1);
    image_ = QImage(grid_.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    RecordPages();
  }

  void PaintGridPage() {
    QPainter painter(&image_);
    grid_.Draw(painter);
    painter.end();
    NextPage();
  }

  void PaintBaselinePage() {
    QPainter painter(&image_);
    painter.setFont(grid_.font());
    for (const TextCell& cell : pages_[baselinePage_])
      painter.drawText(cell.rect, kTextFlags, cell.text);
    painter.end();
    baselinePage_ = (baselinePage_ + 1) % pages_.size();
  }

  int VisibleCells() const { return static_cast<int>(pages_.front().size()); }

 private:
  void NextPage() {
    QScrollBar* bar = grid_.verticalScrollBar();
    bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + bar->pageStep());
  }

  // The texts and rectangles the grid shows at each page it scrolls through.
  void RecordPages() {
    QScrollBar* bar = grid_.verticalScrollBar();
    do {
      std::vector<TextCell> page;
      for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kColumns; ++col) {
          if (grid_.IsCellVisible(row, col))
            page.push_back({grid_.GetCellRect(row, col), grid_.GetItemText(row, col)});
        }
      }
      pages_.push_back(std::move(page));
      NextPage();
    } while (bar->value() != 0);
  }

  CGridCtrl grid_;
  QImage image_;
  std::vector<std::vector<TextCell>> pages_;
  std::size_t baselinePage_ = 0;
};

// Made in main, after the application object and gone before it.
Bench* theBench = nullptr;

Bench& TheBench() { return *theBench; }

void BM_GridPaintAndScrollPage(benchmark::State& state) {
  Bench& bench = TheBench();
  for (auto _ : state) bench.PaintGridPage();
  state.counters["cells"] = bench.VisibleCells();
}

void BM_PlainDrawTextPage(benchmark::State& state) {
  Bench& bench = TheBench();
  for (auto _ : state) bench.PaintBaselinePage();
  state.counters["cells"] = bench.VisibleCells();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  // The two measures take turns, so that both meet the same load of a shared machine.
  for (int run = 0; run < kRuns; ++run) {
    benchmark::RegisterBenchmark("BM_GridPaintAndScrollPage", BM_GridPaintAndScrollPage)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_PlainDrawTextPage", BM_PlainDrawTextPage)
        ->Unit(benchmark::kMicrosecond);
  }
  auto bench = std::make_unique<Bench>();
  theBench = bench.get();
  BestRunReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  theBench = nullptr;
  bench.reset();
  const double grid = reporter.times["BM_GridPaintAndScrollPage"];
  const double plain = reporter.times["BM_PlainDrawTextPage"];
  if (grid > 0 && plain > 0) {
    std::printf(
        "grid paint and page scroll: %.1f us; plain drawText of the same cells: %.1f us "
        "(processor time, best of %d runs each); ratio %.2f (target <= 1.2)\n",
        grid, plain, kRuns, grid / plain);
  }
  benchmark::Shutdown();
  return 0;
}
