// Reading a scheme: the road list from 断链表, then each table once for all roads, its rows
// dispatched to their road in 序号 order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "table_source.h"

namespace hdmjm {

// Reads 断链表, in table order, into the chainBreaks of the records of its roads (a NULL 道路名
// is no road). With `addRoads`, a road without a record gets a new one; otherwise only the roads
// of `records` are read. False when the read failed.
bool ReadChainBreaks(TableSource& source, const ColumnCatalogue& catalogue, RoadRecordList& records,
                     bool addRoads);

// 主线 first, then the other roads by start station (an unstable pass, as the program sorts).
void SortRoadList(std::vector<RoadEntry>& roadList);

// What stopped a read before its end: a locked, damaged or foreign file.
using ReadStop = SourceFailure;

// Reads every parameter table for the records (their roadName set, their chainBreaks read),
// notes in each record what kept it from loading whole and what the file held, and gives every
// table the file lacks its default content. Progress advances table by table.
ReadStop ReadTables(TableSource& source, const Services& services, const ColumnCatalogue& catalogue,
                    const std::vector<RoadSectionStore*>& records);
// What ReadTables remembers of the file (record.stored, and why a road would not load whole),
// with each row let go once hashed: the records' tables stay empty, whatever the file holds.
ReadStop ReadStoredRows(TableSource& source, const Services& services,
                        const ColumnCatalogue& catalogue,
                        const std::vector<RoadSectionStore*>& records);

// One table's rows of one road as an SQLite file holds them now, by a statement prepared once
// (the file's columns named by `columns`), in 序号 order and decoded as a load decodes them.
class RoadRows {
 public:
  RoadRows(AdoConnection& connection, const TableStep& step,
           const std::vector<std::string>& columns);
  ~RoadRows();
  bool Prepared() const;
  // Replaces the table's rows in `record` by those the file holds for `road` (the whole table
  // for 松方压实系数) and hashes them as a load remembers them; false when the read failed.
  bool Read(const std::string& road, RoadSectionStore& record, RowHashes& hashes);

 private:
  TableStep step_;
  std::vector<int> at_;  // per data column, its place in the select list; -1 when missing
  std::unique_ptr<AdoStatement> select_;
};

}  // namespace hdmjm
