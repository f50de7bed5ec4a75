// Writing a scheme: per table one deletion and one insertion, prepared once and run for every
// road, each road in one transaction of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scheme_tables.h"

namespace hdmjm {

class SchemeWriter {
 public:
  // Writes the tables of `steps`: the parameter tables in save order unless told otherwise.
  explicit SchemeWriter(AdoConnection& connection, std::vector<TableStep> steps = SaveOrder());
  ~SchemeWriter();

  // Creates the missing tables, adds 沟底半径 where missing and an index on (道路名, 序号)
  // where missing, and prepares the statements. False when any of it fails.
  bool Prepare();
  // The road's rows of every table, in one transaction: they land whole or not at all. A table
  // whose rows are still those the file holds is left alone.
  bool SaveRoad(RoadSectionStore& record);
  // Why the last Prepare or SaveRoad failed.
  const AdoError& LastError() const { return lastError_; }

 private:
  struct TableWrite;
  template <class Work>
  bool InTransaction(Work work);
  bool PrepareTables();
  bool PrepareTable(const TableStep& step, ColumnCatalogue& catalogue);
  bool WriteTable(TableWrite& write, const RoadSectionStore& record);

  AdoConnection& connection_;
  std::vector<TableStep> steps_;
  std::vector<TableWrite> writes_;
  AdoError lastError_;
};

}  // namespace hdmjm
