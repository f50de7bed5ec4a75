// Writing a scheme: per table one deletion and one insertion, prepared once and run for every
// road, each road in one transaction of its own.
#pragma once

#include <functional>
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

  // Creates the missing tables and adds 沟底半径 where missing. False when any of it fails.
  // A table's statements (and its index on (道路名, 序号), where missing) are made when a road
  // first writes or compares it.
  bool Prepare();
  // The road's rows of every table, in one transaction: they land whole or not at all. A table
  // whose rows are still those the file holds is left alone. An edited table that the file no
  // longer holds as the record remembers it (another program saved it meanwhile, or the file
  // was replaced) is not written either: it is one of Conflicts(), and the rest is written.
  // `mayWrite` is asked before the road's transaction, and only when there is one: false stops
  // the save of the road (LastError then tells nothing).
  bool SaveRoad(RoadSectionStore& record, const std::function<bool()>& mayWrite = {});
  // The tables the last SaveRoad left unwritten because of another program's save.
  const std::vector<TableConflict>& Conflicts() const { return conflicts_; }
  // Why the last Prepare or SaveRoad failed.
  const AdoError& LastError() const { return lastError_; }

 private:
  struct TableWrite;
  template <class Work>
  bool InTransaction(Work work);
  bool PrepareTables();
  bool PrepareTable(const TableStep& step, ColumnCatalogue& catalogue);
  bool Ready(TableWrite& write);
  bool WriteTable(TableWrite& write, const RoadSectionStore& record);
  bool ListRoad(const RoadSectionStore& record);

  AdoConnection& connection_;
  std::vector<TableStep> steps_;
  std::vector<TableWrite> writes_;
  // 断链表, for a road saved into a file that does not list it (a road brought in from another
  // file): its chain breaks are written with it, or the next open would not find the road.
  std::unique_ptr<TableWrite> listing_;
  std::vector<TableConflict> conflicts_;
  std::unique_ptr<RoadSectionStore> scratch_;  // the file's rows of a table, for comparison
  AdoError lastError_;
};

}  // namespace hdmjm
