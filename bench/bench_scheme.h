// The schemes the benchmarks open and save (every table full: 100 rows, slope tables 300
// segments of 30 levels) and the plain per-road SQLite program they are measured against: it
// reads and writes the same rows with prepared statements, road by road.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

// The scheme of `roads` roads (主线, 道路1, ...), built once; later calls return its path.
const std::string& SchemeOf(int roads);
// A fresh copy of it, named after the figure measured.
std::string CopyOfScheme(int roads, const std::string& figure);

}  // namespace hdmjm::bench
