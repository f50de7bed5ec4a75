// The scheme as one unit: opening reads the road list and every road of a scheme database,
// saving writes every road back. The settings page, hdmjm-tool and LoadRoad / SaveRoad all go
// through here.
//
// A road loads whole when every table was read completely: each read succeeded, the columns
// were those of the catalogue (by name, allowing the upgrades the store knows), no rows were past
// the record's room and every value could be kept as the record holds it. A road that did not
// load whole is never written back. Each road is saved in one transaction of its own, and of a
// road only the tables whose rows differ from what the file held are written.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ado.h"
#include "failure.h"
#include "records.h"
#include "scheme_tables.h"
#include "table_source.h"

namespace hdmjm {

struct SaveReport {
  struct Unsaved {
    std::string road;
    FailureCause cause = FailureCause::None;  // None: the road did not load whole
    std::string detail;
  };
  std::vector<std::string> saved;
  std::vector<Unsaved> unsaved;
  // Tables another program saved since the records last read or wrote them: left unwritten,
  // while the rest of their roads was written.
  std::vector<TableConflict> conflicts;
  bool AllSaved() const { return unsaved.empty() && conflicts.empty(); }
};

// What another program's save did to the conflicting table, in the designer's words.
std::string ChangeWords(const TableConflict& conflict);

// What another program did to the scheme file since its records were read or written.
struct SchemeChanges {
  bool replaced = false;           // the path names another file than the one the records know
  std::vector<std::string> roads;  // roads of which the file holds some table otherwise
  bool Any() const { return replaced || !roads.empty(); }
};

class SchemeStore {
 public:
  explicit SchemeStore(const Services& services = DefaultServices());
  ~SchemeStore();
  SchemeStore(const SchemeStore&) = delete;
  SchemeStore& operator=(const SchemeStore&) = delete;

  // Opens the scheme database at `path`, lists its roads and loads a record for each, telling
  // the designer what kept a road from loading whole. False, with no roads, when the database
  // cannot be opened or read, is not a scheme database or lists no road (the designer is told
  // why, but for an empty road list, which each front end words its own way).
  bool Open(const std::string& path);
  // The same for the one road `road`, whether 断链表 lists it or not.
  bool OpenRoad(const std::string& path, const std::string& road);
  // As Open, for going through a scheme of any size: the roads are read a group at a time (each
  // of about `valuesPerGroup` stored values) and handed to `each` in road-list order, each group
  // dropped before the next is read. What kept roads from loading whole is told at the end.
  using RoadGroupSink = std::function<void(RoadRecordList& group)>;
  bool OpenInGroups(const std::string& path, std::size_t valuesPerGroup, const RoadGroupSink& each);
  // Whether the last Open reached the database (it may still have found no road).
  bool Connected() const { return connected_; }
  // Whether the database of the last Open can only be read here: a read-only file, or an Access
  // file, which is never written.
  bool ReadOnly() const;
  // What the database of the last Open is.
  FileKind Kind() const { return kind_; }
  const std::vector<RoadEntry>& Roads() const { return roads_; }
  // The records of the last Open, in road-list order; the caller takes them.
  RoadRecordList TakeRecords() { return std::move(records_); }

  // Saves every record that loaded whole, each road in one transaction, into the records'
  // database (the path of the first); the designer is told what was not saved and why.
  // Progress advances per road.
  SaveReport Save(const RoadRecordList& records);
  // The same without telling the designer, and the telling: one box per cause, the summary.
  SaveReport SaveQuietly(const RoadRecordList& records);
  SaveReport SaveQuietly(std::span<RoadSectionStore* const> records);
  void ShowSaveReport(const std::string& path, const SaveReport& report);

  // The designer's answers to a conflict of the last save. KeepTheirs reads the table's rows
  // from the file into the record and remembers them: the record's edit of that table is
  // dropped. False, the record unchanged, when they could not be read. KeepMine remembers the
  // rows the file held when the conflict was found, so that the next save writes the record's
  // rows, unless the file changed yet again (a new conflict). Deciding later is doing neither.
  bool KeepTheirs(RoadSectionStore& record, const TableConflict& conflict);
  static void KeepMine(RoadSectionStore& record, const TableConflict& conflict);

  // Which records' roads the file at their path holds otherwise than the records remember, and
  // whether that path names another file now. Reads every table once; says nothing.
  SchemeChanges FindChanges(std::span<RoadSectionStore* const> records);
  SchemeChanges FindChanges(const RoadRecordList& records);

  // Makes a new scheme database at `path`: 断链表 holding each record's chain breaks under its
  // road name, then every record saved into it. False, the designer told why, when the file
  // exists already or anything could not be written.
  bool Create(const std::string& path, const RoadRecordList& records);

 private:
  struct Grouping {
    std::size_t valuesPerGroup;
    const RoadGroupSink& each;
  };
  bool OpenRoads(const std::string& path, const std::string* onlyRoad,
                 const Grouping* grouping = nullptr);
  void ReadInGroups(TableSource& source, const ColumnCatalogue& catalogue,
                    const Grouping& grouping);
  bool ReadRoadList(TableSource& source, const ColumnCatalogue& catalogue,
                    const std::string* onlyRoad);
  void ShowOpenFailure(const SourceFailure& failure);
  void ShowLoadProblems(const std::vector<RoadSectionStore*>& records);
  // The rows the file at `path` holds of the conflict's table, into `into`.
  bool ReadTheirs(const std::string& path, const TableConflict& conflict, RoadSectionStore& into,
                  RowHashes& hashes);

  Services services_;
  AdoConnection connection_;
  std::vector<RoadEntry> roads_;
  RoadRecordList records_;
  bool connected_ = false;
  bool readOnly_ = false;
  FileKind kind_ = FileKind::Unknown;
};

// One road through the scheme unit, by its path and name (which the record takes). LoadRoad
// reads every table of the road, defaults where a table is missing, has no rows or nothing could
// be read, and notes in loadProblems what kept the road from loading whole; it returns true.
// SaveRoad writes the road in one transaction and says nothing: false when nothing was saved
// (also when the road did not load whole), the database then holding the road's rows unchanged.
bool LoadRoad(RoadSectionStore& record, const std::string& path, const std::string& road,
              const Services& services = DefaultServices());
bool SaveRoad(RoadSectionStore& record, const std::string& path, const std::string& road,
              const Services& services = DefaultServices());

}  // namespace hdmjm
