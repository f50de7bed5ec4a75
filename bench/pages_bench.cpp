// Fills the 左挖方分类 page (fitted, 8 columns) from a record of 1,000 rows and writes it back,
// beside filling a plain QTableWidget with the same texts and fitting it with
// resizeColumnsToContents / resizeRowsToContents; prints both and their ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "grid/typedgridctrl.h"
#include "pages/page_descriptors.h"
#include "ratio_reporter.h"
#include "store/field_text.h"

namespace {

using namespace hdmjm;

constexpr int kRows = 1000;

RoadSectionStore& Record() {
  static RoadSectionStore record;
  if (record.cutClasses[kLeft].empty()) {
    for (int row = 0; row < kRows; ++row) {
      const double share = (row % 7) * 12.5;
      record.cutClasses[kLeft].push_back(
          {1000.0 + row * 20.25, share, 100 - share, 0, row % 3 * 0.125, 0, 0});
    }
  }
  return record;
}

// The texts the page shows, row by row, headers and numbers included.
const std::vector<std::vector<QString>>& Texts() {
  static std::vector<std::vector<QString>> texts;
  if (!texts.empty()) return texts;
  const TableDesc& table = *FindTable(kCutClassTable);
  std::vector<QString> header{"序 号"};
  for (const GridColumn& column : CLeftWFSJ.grid.columns)
    header.push_back(QString::fromUtf8(column.header.data(), column.header.size()));
  texts.push_back(header);
  for (int row = 0; row < kRows; ++row) {
    std::vector<QString> line{QString::number(row + 1)};
    for (int col = 0; col < 7; ++col)
      line.push_back(QString::fromStdString(
          FormatField(table.DataColumns(kLeft)[col], table.Get(Record(), kLeft, row, col))));
    texts.push_back(line);
  }
  return texts;
}

class SilentMessages : public UserMessages {
 public:
  void Show(const std::string&, const std::string&, Icon) override {}
};

void BM_PageFillAndWriteBack(benchmark::State& state) {
  SilentMessages messages;
  RoadSectionStore& record = Record();
  for (auto _ : state) {
    CTypedGridCtrl grid;
    grid.resize(900, 600);
    TableBinding binding(CLeftWFSJ.grid, kLeft, grid, messages);
    binding.Fill(&record);
    binding.WriteBack(record);
    benchmark::DoNotOptimize(record.cutClasses[kLeft].data());
  }
}
BENCHMARK(BM_PageFillAndWriteBack)->Unit(benchmark::kMillisecond);

void BM_PlainTableWidgetFillAndFit(benchmark::State& state) {
  const auto& texts = Texts();
  for (auto _ : state) {
    QTableWidget table;
    table.resize(900, 600);
    table.setRowCount(kRows + 1);
    table.setColumnCount(8);
    for (int row = 0; row <= kRows; ++row)
      for (int col = 0; col < 8; ++col) {
        auto* item = new QTableWidgetItem(texts[row][col]);
        item->setTextAlignment(Qt::AlignCenter);
        table.setItem(row, col, item);
      }
    table.resizeColumnsToContents();
    table.resizeRowsToContents();
    benchmark::DoNotOptimize(table.columnWidth(7));
  }
}
BENCHMARK(BM_PlainTableWidgetFillAndFit)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double page = reporter.times["BM_PageFillAndWriteBack"];
  const double plain = reporter.times["BM_PlainTableWidgetFillAndFit"];
  if (page > 0 && plain > 0) {
    std::printf(
        "左挖方分类 page, 1000 rows: fill, fit and write-back %.2f ms; QTableWidget fill and fit "
        "of the same texts %.2f ms; ratio %.2f (target <= 1.0)\n",
        page, plain, page / plain);
  }
  benchmark::Shutdown();
  return 0;
}
