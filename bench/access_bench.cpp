// Reading the Jet 4 copy of the sample scheme through the scheme unit (every road and table, as
// the program opens it) beside mdbtools' own mdb-export of every table of the file to /dev/null,
// one process per table, started directly (no shell), in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "store/access_file.h"
#include "store/scheme.h"

extern char** environ;

namespace hdmjm::bench {
namespace {

constexpr char kScheme[] = "BM_SchemeUnit/real_time";
constexpr char kExport[] = "BM_MdbExport/real_time";

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "access_bench: %s\n", what.c_str());
  std::exit(1);
}

// A copy of the shared file in a folder of this run; the shared folder is never written.
const std::string& SampleCopy() {
  static const std::string copy = [] {
    const auto folder =
        std::filesystem::temp_directory_path() / ("hdmjm-access-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto path = folder / "示例方案.mdb";
    std::filesystem::copy_file(
        std::filesystem::path(HDMJM_SHARED_DIR) / "jet" / "示例方案.jet4.mdb", path,
        std::filesystem::copy_options::overwrite_existing);
    return path.string();
  }();
  return copy;
}

std::vector<std::string> TableNames() {
  AccessError error;
  const auto file = AccessFile::Open(SampleCopy(), error);
  if (!file) Fail(AccessErrorText(error));
  std::vector<std::string> names;
  for (const AccessTable& table : file->Tables()) names.push_back(table.name);
  return names;
}

void Export(const std::string& table) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string& path = SampleCopy();
  char* argv[] = {const_cast<char*>("mdb-export"), const_cast<char*>(path.c_str()),
                  const_cast<char*>(table.c_str()), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "mdb-export", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child || status != 0)
    Fail("mdb-export " + table);
}

void BM_SchemeUnit(benchmark::State& state) {
  SilentTrace trace;
  NoProgress progress;
  StderrMessages messages;
  for (auto _ : state) {
    SchemeStore scheme(Services{&messages, &trace, &progress});
    if (!scheme.Open(SampleCopy())) Fail("open");
    RoadRecordList records = scheme.TakeRecords();
    if (records.size() != 3 || !records.front()->LoadedWhole()) Fail("records");
    benchmark::DoNotOptimize(records);
  }
}
BENCHMARK(BM_SchemeUnit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MdbExport(benchmark::State& state) {
  const std::vector<std::string> tables = TableNames();
  for (auto _ : state)
    for (const std::string& table : tables) Export(table);
  state.counters["tables"] = static_cast<double>(tables.size());
}
BENCHMARK(BM_MdbExport)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace hdmjm::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto scheme = reporter.times.find(hdmjm::bench::kScheme);
  const auto exported = reporter.times.find(hdmjm::bench::kExport);
  if (scheme != reporter.times.end() && exported != reporter.times.end())
    std::printf(
        "Jet 4 sample: scheme unit %.2f ms, mdb-export of every table %.2f ms, ratio %.3f "
        "(goal <= 1.0)\n",
        scheme->second, exported->second, scheme->second / exported->second);
  std::filesystem::remove_all(std::filesystem::path(hdmjm::bench::SampleCopy()).parent_path());
  return 0;
}
