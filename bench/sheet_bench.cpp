// The main sheet shown on a scheme of 50 roads (every table full): building the sheet, showing
// it (the settings page opens the scheme and loads every road) and painting it, against the
// plain per-road SQLite program reading the same scheme in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>

#include "app/sheets.h"
#include "bench_scheme.h"
#include "pages/scheme_session.h"
#include "store/project_paths.h"

namespace hdmjm::bench {
namespace {

constexpr int kRoads = 50;
constexpr const char* kScheme = "基准方案";

// Any message means the load did not go as it should: the figure would not be the sheet's.
class FailingMessages : public UserMessages {
 public:
  void Show(const std::string& text, const std::string&, Icon) override { Fail(text); }
};

class NoFiles : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }
};

// An installation whose workdir names a project with the scheme of 50 roads; a fresh copy of
// the scheme for each run.
std::filesystem::path Installation() {
  const auto root = ScratchFolder() / "install";
  const auto project = ScratchFolder() / "base" / "改移道路";
  std::filesystem::create_directories(root);
  std::filesystem::create_directories(project / "data");
  std::ofstream(root / "workdir") << WorkdirToken((ScratchFolder() / "base").string()) << "\n";
  std::ofstream(project / "project") << kScheme << "\n";
  return root;
}

void RefreshScheme() {
  const auto database =
      ScratchFolder() / "base" / "改移道路" / "data" / (std::string(kScheme) + ".mdb");
  std::filesystem::copy_file(SchemeOf(kRoads), database,
                             std::filesystem::copy_options::overwrite_existing);
}

std::map<std::string, double> secondsPerRun;

template <class Body>
void Measure(benchmark::State& state, const std::string& figure, Body body) {
  double total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RefreshScheme();
    state.ResumeTiming();
    const auto begin = std::chrono::steady_clock::now();
    body();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }
  secondsPerRun[figure] = total / static_cast<double>(state.iterations());
}

void BM_MainSheetShown(benchmark::State& state) {
  const std::filesystem::path root = Installation();
  FailingMessages messages;
  NoFiles files;
  SilentTrace trace;
  Measure(state, "sheet", [&] {
    SchemeSession session(root);
    const PageContext context{session, messages, files, trace};
    HDMJM sheet(context);
    sheet.show();
    QApplication::processEvents();  // the first paint
    if (session.RoadCount() != kRoads) Fail("the main sheet did not load every road");
    sheet.hide();
  });
}

void BM_PlainPerRoadOpen(benchmark::State& state) {
  const std::string path =
      (ScratchFolder() / "base" / "改移道路" / "data" / (std::string(kScheme) + ".mdb")).string();
  Measure(state, "plain", [&] {
    if (static_cast<int>(PlainOpen(path).size()) != kRoads) Fail("road list");
  });
}

BENCHMARK(BM_MainSheetShown)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainPerRoadOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace hdmjm::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  using hdmjm::bench::secondsPerRun;
  if (secondsPerRun.count("sheet") && secondsPerRun.count("plain"))
    std::printf(
        "main sheet shown on %d roads: %.0f ms (target <= 1500 ms); plain per-road SQLite open "
        "%.0f ms; ratio %.2f\n",
        hdmjm::bench::kRoads, secondsPerRun["sheet"] * 1e3, secondsPerRun["plain"] * 1e3,
        secondsPerRun["sheet"] / secondsPerRun["plain"]);
  std::filesystem::remove_all(hdmjm::bench::ScratchFolder());
  return 0;
}
