// Checking every road of the 50-road scheme (every table full: 100 rows, slope tables 300
// segments of 30 levels) against a plain loop that only reads every station of every table once,
// in the same run; and one frame of the strip view of such a road.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "app/strip_view.h"
#include "bench_scheme.h"
#include "ratio_reporter.h"
#include "store/scheme.h"
#include "store/station_checks.h"
#include "store/table_roles.h"

namespace hdmjm::bench {
namespace {}  // namespace

constexpr int kRoads = 50;

namespace {

const RoadRecordList& Roads() {
  static const RoadRecordList roads = [] {
    SilentTrace trace;
    NoProgress progress;
    StderrMessages messages;
    SchemeStore scheme({&messages, &trace, &progress});
    if (!scheme.Open(SchemeOf(kRoads))) Fail("open");
    return scheme.TakeRecords();
  }();
  return roads;
}

void BM_CheckEveryRoad(benchmark::State& state) {
  Roads();  // made and opened before the clock runs
  size_t findings = 0;
  for (auto _ : state) {
    findings = 0;
    for (const auto& road : Roads()) findings += CheckRoad(*road).size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
}

// The baseline: every station (a segment's end, an interval's start and end) of every table of
// every road read once through the catalogue, and summed.
void BM_ReadEveryStation(benchmark::State& state) {
  struct Stations {
    const TableStep* step;
    StationColumns columns;
  };
  Roads();
  std::vector<Stations> tables;
  for (const TableStep& step : LoadOrder())
    if (const StationColumns columns = StationColumnsOf(*step.table, step.side); columns.end >= 0)
      tables.push_back({&step, columns});
  for (auto _ : state) {
    double sum = 0;
    for (const auto& road : Roads())
      for (const Stations& table : tables) {
        const TableDesc& desc = *table.step->table;
        const Side side = table.step->side;
        for (int row = 0, rows = desc.RowCount(*road, side); row < rows; ++row) {
          sum += std::get<double>(desc.Get(*road, side, row, table.columns.end));
          if (table.columns.start >= 0)
            sum += std::get<double>(desc.Get(*road, side, row, table.columns.start));
        }
      }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_DrawStripView(benchmark::State& state) {
  StripView view;
  view.resize(1600, 900);
  const RoadSectionStore& road = *Roads().front();
  view.SetRoad(&road, CheckRoad(road));
  QImage image(view.sizeHint().expandedTo(QSize(1600, 900)), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    view.Paint(painter, image.size());
  }
}

BENCHMARK(BM_CheckEveryRoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryStation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawStripView)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hdmjm::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto& times = reporter.times;
  if (times.count("BM_CheckEveryRoad") && times.count("BM_ReadEveryStation"))
    std::printf(
        "checks of %d roads: %.2f ms; plain read of every station %.2f ms; ratio %.2f "
        "(goal <= 3)\n",
        hdmjm::bench::kRoads, times.at("BM_CheckEveryRoad"), times.at("BM_ReadEveryStation"),
        times.at("BM_CheckEveryRoad") / times.at("BM_ReadEveryStation"));
  if (times.count("BM_DrawStripView"))
    std::printf("strip view of one road: %.2f ms per frame (goal <= 16 ms)\n",
                times.at("BM_DrawStripView"));
  std::filesystem::remove_all(hdmjm::bench::ScratchFolder());
  return 0;
}
