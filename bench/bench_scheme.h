// The schemes the benchmarks open and save (every table full: 100 rows, slope tables 300
// segments of 30 levels) and the plain per-road SQLite program they are measured against: it
// reads and writes the same rows with prepared statements, road by road.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "store/catalogue.h"

namespace hdmjm::bench {

// A folder of this run's files, removed by the benchmark at its end.
std::filesystem::path ScratchFolder();
[[noreturn]] void Fail(const std::string& what);

// One table of one road as the baseline holds it: the values of each kind in row order.
struct PlainTable {
  int rows = 0;
  std::vector<double> reals;
  std::vector<int> codes;
  std::vector<std::string> texts;
};

struct PlainChainBreak {
  std::string leftPrefix, rightPrefix;
  double left = 0, right = 0;
};

struct PlainRoad {
  std::string name;
  std::vector<PlainChainBreak> chainBreaks;
  std::vector<PlainTable> tables;  // in load order
};

// The road list, each road's chain breaks and every table of every road, on one connection.
std::vector<PlainRoad> PlainOpen(const std::string& path);
// Per road one transaction: delete the road's rows of every table, insert its rows again.
void PlainSave(const std::string& path, const std::vector<PlainRoad>& roads);
// One road's chain breaks and tables, on a connection of its own.
PlainRoad PlainOpenRoad(const std::string& path, const std::string& road);
// One table of one road written again in a transaction of its own.
void PlainSaveTable(const std::string& path, const PlainRoad& road, const TableStep& step);

// How full each road of a scheme is: rows per table, slope segments per table and levels per
// segment; and whether the file keeps the indexes a save makes (as a file this program saved
// does) or not (as older versions left it).
struct SchemeShape {
  int rows = 100;
  int slopeSegments = 300;
  int slopeLevels = 30;
  bool indexed = false;
  auto operator<=>(const SchemeShape&) const = default;
};
// Every table full: the shape of the schemes above.
inline constexpr SchemeShape kFullRoads{};
// The same as a file this program saved before holds it: with its indexes.
inline constexpr SchemeShape kFullIndexedRoads{100, 300, 30, true};
// An interchange's many small roads.
inline constexpr SchemeShape kSmallRoads{20, 10, 5, true};

// The scheme of `roads` roads (主线, 道路1, ...) of `shape`, built once; later calls return its
// path.
const std::string& SchemeOf(int roads, const SchemeShape& shape = kFullRoads);
// A fresh copy of it, named after the figure measured.
std::string CopyOfScheme(int roads, const std::string& figure,
                         const SchemeShape& shape = kFullRoads);
// A project under `base` (base/改移道路 with its project file) whose scheme `name` is a copy of
// SchemeOf(roads, shape).
void WriteProject(const std::filesystem::path& base, const std::string& name, int roads,
                  const SchemeShape& shape);

// The resident size of this process and its peak, in kB (/proc/self/status).
struct Resident {
  long now = 0;
  long peak = 0;
};
Resident ResidentSize();

}  // namespace hdmjm::bench
