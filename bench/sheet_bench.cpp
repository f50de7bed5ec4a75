// The main sheet shown on a scheme of 50 roads (every table full): building the sheet, showing
// it (the settings page opens the scheme and loads every road) and painting it, against the
// plain per-road SQLite program reading the same scheme in the same run. Then, each in a fresh
// process as the program starts: the main sheet shown on 50 full roads and on 500 small ones,
// its time from the process's start, its resident size, and OK after one road was edited, from
// the press to the message.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

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

// ---- the program's start, in a process of its own ---------------------------------------

constexpr char kShownOption[] = "--shown";

// Seconds since this process started.
double SecondsSinceStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: the start, in clock ticks
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return now.tv_sec + now.tv_nsec * 1e-9 - std::stod(field) / sysconf(_SC_CLK_TCK);
}

// The save's message is the moment measured; a question about findings is answered "存入".
class TimedMessages : public UserMessages {
 public:
  void Show(const std::string&, const std::string&, Icon) override {
    if (!shown) shown = std::chrono::steady_clock::now();
  }
  int Choose(const std::string&, const std::vector<std::string>& buttons, int defaultButton,
             const std::string&) override {
    for (size_t i = 0; i < buttons.size(); ++i)
      if (buttons[i] == "存入") return static_cast<int>(i);
    return defaultButton;
  }
  std::optional<std::chrono::steady_clock::time_point> shown;
};

// The main sheet on the installation at `root`: prints the seconds from the start to the sheet
// shown, the resident size then (kB), the roads, and the seconds from OK to its message.
int ShowInFreshProcess(const std::filesystem::path& root) {
  TimedMessages messages;
  NoFiles files;
  SilentTrace trace;
  SchemeSession session(root);
  const PageContext context{session, messages, files, trace};
  HDMJM sheet(context);
  sheet.show();
  QApplication::processEvents();
  const double shown = SecondsSinceStart();
  const long resident = ResidentSize().now;
  if (messages.shown || session.RoadCount() < 1) Fail("the main sheet did not load the roads");
  session.Record(session.RoadCount() / 2)->widthLimits[kLeft].at(0).widthLimit += 0.5;
  const auto pressed = std::chrono::steady_clock::now();
  sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  if (!messages.shown) Fail("OK said nothing");
  std::printf("%f %ld %d %f\n", shown, resident, session.RoadCount(),
              std::chrono::duration<double>(*messages.shown - pressed).count());
  return 0;
}

void PrintProgramStart() {
  const struct {
    const char* what;
    int roads;
    SchemeShape shape;
    int targetMb;
  } schemes[] = {{"50 full roads", 50, kFullIndexedRoads, 150},
                 {"500 small roads", 500, kSmallRoads, 200}};
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  for (const auto& scheme : schemes) {
    const auto root = ScratchFolder() / ("start-" + std::to_string(scheme.roads)) / "install";
    const auto base = root.parent_path() / "base";
    std::filesystem::create_directories(root);
    WriteProject(base, kScheme, scheme.roads, scheme.shape);
    std::ofstream(root / "workdir") << WorkdirToken(base.string()) << "\n";
    FILE* pipe = popen(("'" + exe + "' " + kShownOption + " '" + root.string() + "'").c_str(), "r");
    double shown = 0, ok = 0;
    long resident = 0;
    int roads = 0;
    if (!pipe || std::fscanf(pipe, "%lf %ld %d %lf", &shown, &resident, &roads, &ok) != 4)
      Fail("no figures from the program's start");
    pclose(pipe);
    std::printf(
        "program on %s (%d in the road box): main sheet shown %.0f ms after the start (target <= "
        "1500 ms), resident %.1f MB (target <= %d MB); OK after one road edited: %.0f ms from the "
        "press to the message (target <= 100 ms)\n",
        scheme.what, roads, shown * 1e3, resident / 1024.0, scheme.targetMb, ok * 1e3);
  }
}

}  // namespace
}  // namespace hdmjm::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], hdmjm::bench::kShownOption) == 0)
    return hdmjm::bench::ShowInFreshProcess(argv[2]);
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
  hdmjm::bench::PrintProgramStart();
  std::filesystem::remove_all(hdmjm::bench::ScratchFolder());
  return 0;
}
