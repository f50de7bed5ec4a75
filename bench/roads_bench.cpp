// Schemes of many small roads (20 rows per table, 10 slope segments of 5 levels) at 50 and 500
// roads: opening the scheme and saving it after one road was edited, against the plain per-road
// SQLite program (which reads every road and writes every road again) and against a plain
// program that reads and writes only the edited road, all in the same run. Then the memory:
// what a process holds after opening the 50-road scheme of full roads and the 500-road scheme
// (each opened in a fresh process), what the remembered stored rows cost of it, and the peak of
// `hdmjm-tool dump` on the 50 full roads. `--write-project` writes such a scheme as a project.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_scheme.h"
#include "store/catalogue.h"
#include "store/records.h"
#include "store/scheme.h"

extern char** environ;

namespace hdmjm::bench {
namespace {

constexpr int kSizes[] = {50, 500};
constexpr char kOpenOption[] = "--resident-after-open";
constexpr char kPeakOption[] = "--peak-of";
constexpr char kProjectOption[] = "--write-project";

// ---- open + save of one edited road ------------------------------------------------------

// The road the designer edits: one value of its left width limits.
int EditedRoad(int roads) { return roads / 2; }

void StoreOpenSaveOneRoad(const std::string& path, int roads) {
  SchemeStore scheme(DefaultServices());
  if (!scheme.Open(path)) Fail("open " + path);
  RoadRecordList records = scheme.TakeRecords();
  if (static_cast<int>(records.size()) != roads) Fail("road list");
  records[EditedRoad(roads)]->widthLimits[kLeft].at(0).widthLimit += 0.5;
  if (!scheme.SaveQuietly(records).AllSaved()) Fail("save " + path);
}

void PlainOpenSaveEveryRoad(const std::string& path, int roads) {
  const std::vector<PlainRoad> read = PlainOpen(path);
  if (static_cast<int>(read.size()) != roads) Fail("road list");
  PlainSave(path, read);
}

// The least a program can do: the edited road's tables read, its one table written.
void PlainOneRoad(const std::string& path, int roads) {
  const PlainRoad one = PlainOpenRoad(path, "道路" + std::to_string(EditedRoad(roads)));
  PlainSaveTable(path, one, TableStep{FindTable(kWidthLimitTable), kLeft, {-1, -1}});
}

std::map<std::pair<std::string, int>, double> secondsPerRun;

template <class Body>
void Measure(benchmark::State& state, const std::string& figure, Body body) {
  const int roads = static_cast<int>(state.range(0));
  double total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = CopyOfScheme(roads, figure, kSmallRoads);
    state.ResumeTiming();
    const auto begin = std::chrono::steady_clock::now();
    body(path, roads);
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }
  secondsPerRun[{figure, roads}] = total / static_cast<double>(state.iterations());
}

void BM_StoreOpenSaveOneEditedRoad(benchmark::State& state) {
  Measure(state, "store", StoreOpenSaveOneRoad);
}
void BM_PlainOpenSaveEveryRoad(benchmark::State& state) {
  Measure(state, "plain", PlainOpenSaveEveryRoad);
}
void BM_PlainOneRoadOneTable(benchmark::State& state) {
  Measure(state, "plain one road", PlainOneRoad);
}

BENCHMARK(BM_StoreOpenSaveOneEditedRoad)
    ->Arg(50)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_PlainOpenSaveEveryRoad)
    ->Arg(50)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_PlainOneRoadOneTable)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- memory ---------------------------------------------------------------------------------

// Runs `arguments` (the program first) with its output thrown away and prints its peak
// resident size in kB. Run in a fresh process of its own: the kernel counts, in a child's peak,
// the memory of the process that started it.
int PeakOf(char** arguments) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  if (posix_spawn(&child, arguments[0], &actions, nullptr, arguments, environ) != 0)
    Fail(std::string("cannot run ") + arguments[0]);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
    Fail(std::string(arguments[0]) + " did not end normally");
  std::printf("%ld\n", usage.ru_maxrss);
  return 0;
}

// The figures a fresh process of this program prints with `option` and `arguments`.
std::vector<long> FromFreshProcess(const std::string& option,
                                   const std::vector<std::string>& arguments, int count) {
  std::string command =
      "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' " + option;
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::vector<long> figures(count);
  for (long& figure : figures)
    if (!pipe || std::fscanf(pipe, "%ld", &figure) != 1) Fail("no figures from " + command);
  pclose(pipe);
  return figures;
}

// In a fresh process: opens the scheme at `path`, prints the resident size with every record
// held, the peak after looking for another program's save (what the file watcher does), then
// the resident size without what the records remember of the file.
int ResidentAfterOpen(const std::string& path) {
  SchemeStore scheme(DefaultServices());
  if (!scheme.Open(path)) Fail("open " + path);
  RoadRecordList records = scheme.TakeRecords();
  const Resident opened = ResidentSize();
  if (!scheme.FindChanges(records).roads.empty()) Fail("changes where there were none");
  const Resident looked = ResidentSize();
  for (auto& record : records) record->stored = {};
  malloc_trim(0);
  const Resident forgotten = ResidentSize();
  std::printf("%ld %ld %ld %ld %zu\n", opened.now, opened.peak, looked.peak, forgotten.now,
              records.size());
  return 0;
}

struct OpenFigures {
  long resident = 0, peak = 0, peakLooking = 0, withoutStored = 0, roads = 0;
};

OpenFigures MeasureOpen(const std::string& path) {
  const std::vector<long> figures = FromFreshProcess(kOpenOption, {path}, 5);
  return {figures[0], figures[1], figures[2], figures[3], figures[4]};
}

void PrintMemory() {
  const struct {
    const char* what;
    int roads;
    SchemeShape shape;
    long targetMb;
  } schemes[] = {{"50 full roads (100-row tables, 300 x 30 slopes)", 50, kFullRoads, 150},
                 {"500 small roads (20 rows, 10 x 5 slopes)", 500, kSmallRoads, 200}};
  for (const auto& scheme : schemes) {
    const OpenFigures figures = MeasureOpen(SchemeOf(scheme.roads, scheme.shape));
    std::printf(
        "resident after opening %s: %.1f MB (peak %.1f MB, target <= %ld MB); the remembered "
        "stored rows %.1f MB of it; %ld roads; peak after looking for another program's save "
        "%.1f MB\n",
        scheme.what, figures.resident / 1024.0, figures.peak / 1024.0, scheme.targetMb,
        (figures.resident - figures.withoutStored) / 1024.0, figures.roads,
        figures.peakLooking / 1024.0);
  }
#ifdef HDMJM_TOOL
  const long dump = FromFreshProcess(kPeakOption, {HDMJM_TOOL, "dump", SchemeOf(50)}, 1)[0];
  std::printf("hdmjm-tool dump of 50 full roads: peak %.1f MB (target <= 64 MB)\n", dump / 1024.0);
  const long small =
      FromFreshProcess(kPeakOption, {HDMJM_TOOL, "dump", SchemeOf(500, kSmallRoads)}, 1)[0];
  std::printf("hdmjm-tool dump of 500 small roads: peak %.1f MB\n", small / 1024.0);
#endif
}

// roads_bench --write-project DIR ROADS full|small: a project under DIR whose scheme 基准方案
// holds ROADS such roads, to open the program on (`hdmjm DIR`).
int WriteProjectFor(const std::filesystem::path& base, int roads, const std::string& shape) {
  if (roads < 1 || (shape != "full" && shape != "small")) Fail("ROADS full|small");
  WriteProject(base, "基准方案", roads, shape == "full" ? kFullIndexedRoads : kSmallRoads);
  std::filesystem::remove_all(ScratchFolder());
  return 0;
}

void PrintSummary() {
  std::map<int, double> perRoad;
  for (int roads : kSizes) {
    const auto store = secondsPerRun.find({"store", roads});
    const auto plain = secondsPerRun.find({"plain", roads});
    const auto one = secondsPerRun.find({"plain one road", roads});
    if (store == secondsPerRun.end() || plain == secondsPerRun.end() || one == secondsPerRun.end())
      continue;
    perRoad[roads] = store->second / roads;
    std::printf(
        "%3d roads, open + save of one edited road: store %.1f ms (%.3f ms per road); plain "
        "per-road SQLite program (every road read and written) %.1f ms, ratio %.3f (target <= "
        "0.1); plain program on the edited road alone %.1f ms, ratio %.1f\n",
        roads, store->second * 1e3, store->second * 1e3 / roads, plain->second * 1e3,
        store->second / plain->second, one->second * 1e3, store->second / one->second);
  }
  if (perRoad.count(50) && perRoad.count(500))
    std::printf("store time per road at 500 roads / at 50 roads: %.2f (target <= 1.15)\n",
                perRoad[500] / perRoad[50]);
}

}  // namespace
}  // namespace hdmjm::bench

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], hdmjm::bench::kOpenOption) == 0)
    return hdmjm::bench::ResidentAfterOpen(argv[2]);
  if (argc > 2 && std::strcmp(argv[1], hdmjm::bench::kPeakOption) == 0)
    return hdmjm::bench::PeakOf(argv + 2);
  if (argc == 5 && std::strcmp(argv[1], hdmjm::bench::kProjectOption) == 0)
    return hdmjm::bench::WriteProjectFor(argv[2], std::atoi(argv[3]), argv[4]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  hdmjm::bench::PrintSummary();
  hdmjm::bench::PrintMemory();
  std::filesystem::remove_all(hdmjm::bench::ScratchFolder());
  return 0;
}
