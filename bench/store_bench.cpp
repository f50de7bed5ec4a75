// Opening and saving schemes of 5, 25 and 50 roads (every table full: 100 rows, slope tables 300
// segments of 30 levels) through the scheme unit, each beside a plain per-road SQLite program
// that reads and writes the same rows with prepared statements, road by road. The scheme unit
// is measured unedited, with every table of one road edited, and with every table of every road
// edited; the plain program always rewrites every road.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_scheme.h"
#include "store/catalogue.h"
#include "store/records.h"
#include "store/scheme.h"

namespace hdmjm::bench {
namespace {

constexpr int kSizes[] = {5, 25, 50};

// ---- the store ----------------------------------------------------------------------------

using Records = std::vector<std::unique_ptr<RoadSectionStore>>;

// Changes one value in every table of the road, so that saving has to write each of them.
void EditEveryTable(RoadSectionStore& road) {
  for (const TableStep& step : LoadOrder()) {
    const TableDesc& table = *step.table;
    if (table.RowCount(road, step.side) == 0) continue;
    const auto& columns = table.DataColumns(step.side);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
      if (columns[c].kind != FieldKind::Real) continue;
      table.Set(road, step.side, 0, c, std::get<double>(table.Get(road, step.side, 0, c)) + 0.5);
      break;
    }
  }
}

// Which roads the designer changed between opening and OK.
enum class Edits { None, OneRoad, EveryRoad };

// What the settings page and hdmjm-tool do: open the scheme, then save every road.
void StoreOpenSave(const std::string& path, int roads, Edits edits) {
  SchemeStore scheme(DefaultServices());
  if (!scheme.Open(path)) Fail("open " + path);
  Records records = scheme.TakeRecords();
  if (static_cast<int>(records.size()) != roads) Fail("road list");
  if (edits == Edits::OneRoad) EditEveryTable(*records[roads / 2]);
  if (edits == Edits::EveryRoad)
    for (auto& record : records) EditEveryTable(*record);
  if (!scheme.SaveQuietly(records).AllSaved()) Fail("save " + path);
}

void PlainOpenSave(const std::string& path, int roads) {
  const std::vector<PlainRoad> read = PlainOpen(path);
  if (static_cast<int>(read.size()) != roads) Fail("road list");
  PlainSave(path, read);
}

// ---- the benchmarks -----------------------------------------------------------------------

// Seconds per run, wall clock and processor, by figure and size, for the closing summary. The
// machine may be shared: processor time is the steadier figure, wall time includes waiting.
struct Seconds {
  double wall = 0;
  double cpu = 0;
};
std::map<std::pair<std::string, int>, Seconds> secondsPerRun;

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// Opens and saves a fresh copy of the scheme of state.range(0) roads with `body` in every run;
// copying the file is not timed.
template <class Body>
void Measure(benchmark::State& state, const std::string& figure, Body body) {
  const int roads = static_cast<int>(state.range(0));
  Seconds total;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = CopyOfScheme(roads, figure);
    state.ResumeTiming();
    const auto begin = std::chrono::steady_clock::now();
    const double cpuBegin = ProcessCpuSeconds();
    body(path, roads);
    total.cpu += ProcessCpuSeconds() - cpuBegin;
    total.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }
  const auto runs = static_cast<double>(state.iterations());
  secondsPerRun[{figure, roads}] = {total.wall / runs, total.cpu / runs};
}

// Opening alone, as the program does before the main sheet is shown.
void BM_OpenSchemeStore(benchmark::State& state) {
  Measure(state, "store open", [](const std::string& path, int roads) {
    SchemeStore scheme(DefaultServices());
    if (!scheme.Open(path) || static_cast<int>(scheme.Roads().size()) != roads) Fail("open");
  });
}

// The store writes only the tables that changed; the plain program writes every road.
void BM_OpenSaveSchemeStoreUnedited(benchmark::State& state) {
  Measure(state, "store",
          [](const std::string& path, int roads) { StoreOpenSave(path, roads, Edits::None); });
}
void BM_OpenSaveSchemeStoreOneRoadEdited(benchmark::State& state) {
  Measure(state, "store one road edited",
          [](const std::string& path, int roads) { StoreOpenSave(path, roads, Edits::OneRoad); });
}
void BM_OpenSaveSchemeStoreEveryRoadEdited(benchmark::State& state) {
  Measure(state, "store every road edited",
          [](const std::string& path, int roads) { StoreOpenSave(path, roads, Edits::EveryRoad); });
}
void BM_OpenSaveSchemePlainPerRoad(benchmark::State& state) {
  Measure(state, "plain", PlainOpenSave);
}

BENCHMARK(BM_OpenSchemeStore)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenSaveSchemeStoreUnedited)
    ->Arg(5)
    ->Arg(25)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_OpenSaveSchemeStoreOneRoadEdited)
    ->Arg(5)
    ->Arg(25)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_OpenSaveSchemeStoreEveryRoadEdited)
    ->Arg(5)
    ->Arg(25)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_OpenSaveSchemePlainPerRoad)
    ->Arg(5)
    ->Arg(25)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void PrintSummary() {
  for (const char* figure : {"store", "store one road edited", "store every road edited"}) {
    std::map<int, double> storePerRoad;
    std::printf("open + save, %s:\n", figure);
    for (int roads : kSizes) {
      const auto store = secondsPerRun.find({figure, roads});
      const auto plain = secondsPerRun.find({"plain", roads});
      if (store == secondsPerRun.end() || plain == secondsPerRun.end()) continue;
      const Seconds& s = store->second;
      const Seconds& p = plain->second;
      storePerRoad[roads] = s.wall / roads;
      std::printf(
          "  %2d roads: store %.0f ms (%.1f ms per road, cpu %.0f ms), plain per-road SQLite "
          "%.0f ms (%.1f ms per road, cpu %.0f ms), ratio %.2f (cpu %.2f), target <= 0.40\n",
          roads, s.wall * 1e3, s.wall * 1e3 / roads, s.cpu * 1e3, p.wall * 1e3,
          p.wall * 1e3 / roads, p.cpu * 1e3, s.wall / p.wall, s.cpu / p.cpu);
    }
    if (storePerRoad.count(25) && storePerRoad.count(50))
      std::printf("  time per road at 50 roads / at 25 roads: %.2f, target <= 1.15\n",
                  storePerRoad[50] / storePerRoad[25]);
  }
  if (const auto open = secondsPerRun.find({"store open", 50}); open != secondsPerRun.end())
    std::printf("open alone, 50 roads: store %.0f ms (cpu %.0f ms)\n", open->second.wall * 1e3,
                open->second.cpu * 1e3);
}

}  // namespace
}  // namespace hdmjm::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  hdmjm::bench::PrintSummary();
  std::filesystem::remove_all(hdmjm::bench::ScratchFolder());
  return 0;
}
