// The recovery file of an open scheme: the tables the designer edited since the scheme was
// loaded, written within seconds of each edit, so that a crash, a kill or a power cut costs
// nothing. It is an SQLite file written in one transaction per write (the rollback journal keeps
// it whole at any moment), kept beside the scheme or, where that folder cannot be written, in the
// user's data folder. A normal end of the session removes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "records.h"

namespace hdmjm {

// Where the recovery file of the scheme at `scheme` lives: beside it, named after the scheme
// file and the user ("示例方案.mdb.zhang.恢复"), so that designers sharing a scheme folder keep
// one file each; or, where that folder cannot be written, in `dataFolder` (the user's own
// folder, so without the user), named after the scheme and its folder; without a data folder the
// fallback is the file beside the scheme.
struct RecoveryPlaces {
  std::filesystem::path beside;
  std::filesystem::path fallback;
};
RecoveryPlaces RecoveryPlacesFor(const std::string& scheme, const std::filesystem::path& dataFolder,
                                 const std::string& user);

// A scheme file as it stood: its absolute path and what tells whether it was written since.
struct SchemeIdentity {
  std::string path;
  std::int64_t size = -1;         // -1: the file could not be read
  std::int64_t modified = 0;      // last write, in the file system clock's nanoseconds
  std::uint32_t changeCount = 0;  // the database header's change counter
  bool operator==(const SchemeIdentity&) const = default;
};
SchemeIdentity IdentifyScheme(const std::string& path);

// The rows of one edited table, each row's values in use in column order.
struct TableEdit {
  const TableDesc* table = nullptr;
  Side side = kLeft;
  std::vector<std::vector<FieldValue>> rows;
};
struct RoadEdits {
  std::string road;
  std::vector<TableEdit> tables;  // none: the road holds no edits
};

// What a record's tables were when the scheme was loaded or last saved, a hash per table:
// enough to tell which tables were edited since.
class TableBaseline {
 public:
  void Take(const RoadSectionStore& record);
  // The tables of `record` that differ from the baseline, with their rows now.
  RoadEdits EditsOf(const RoadSectionStore& record) const;
  // The same, given the record's Fingerprint as it is now.
  RoadEdits EditsOf(const RoadSectionStore& record, const std::vector<std::uint64_t>& now) const;
  // The hash of every table when the baseline was taken.
  const std::vector<std::uint64_t>& Hashes() const { return hashes_; }
  // A hash of every table as it is now, to tell whether anything changed since a write.
  static std::vector<std::uint64_t> Fingerprint(const RoadSectionStore& record);

 private:
  std::vector<std::uint64_t> hashes_;
};

// Every table the recovery file may hold: the parameter tables of each side and 断链表.
std::vector<std::pair<const TableDesc*, Side>> RecoveredTables();

struct RecoveryRead {
  enum class State {
    Missing,      // no file
    Damaged,      // not a recovery file, or damaged: never applied
    OtherScheme,  // written for another scheme file
    Older,        // the scheme was written after the edits: they are not newer
    Newer,        // edits to offer
  };
  State state = State::Missing;
  std::string detail;        // why it is damaged; the other scheme's path
  std::int64_t written = 0;  // when it was last written, in the file system clock's nanoseconds
  std::vector<RoadEdits> roads;
};

class RecoveryFile {
 public:
  explicit RecoveryFile(std::filesystem::path path) : path_(std::move(path)) {}
  const std::filesystem::path& Path() const { return path_; }
  bool Exists() const;

  // In one transaction: records `scheme` as the file the edits belong to and replaces the edits
  // of each road of `roads` by the ones given (a road without tables drops out); other roads
  // stay, unless `whole`: then the file holds `roads` alone. Creates the file when needed.
  // False, with `error` set, when it could not be written.
  bool Write(const SchemeIdentity& scheme, std::span<const RoadEdits> roads, bool whole = false,
             std::string* error = nullptr);
  // The edits and whether they may be offered for the scheme as it is now (`scheme`): they are
  // newer when the scheme file is unchanged since the last write, or was last written before it.
  RecoveryRead Read(const SchemeIdentity& scheme) const;
  // Removes the file and its journal; true when neither is left.
  bool Remove();
  // Renames the file (and its journal) to "<name>.<label>-YYYYMMDD-HHMM" beside it, so that it is
  // kept but never read again; the new path, or nothing when it could not be renamed.
  std::optional<std::filesystem::path> SetAside(std::string_view label);

 private:
  std::filesystem::path path_;
};

// Puts the edits into the records of the same road names: each table replaced by the rows
// recovered, a table of the whole scheme (the coefficients) into every record. The roads that
// have no record are returned.
std::vector<std::string> ApplyEdits(std::span<const RoadEdits> roads, RoadRecordList& records);

}  // namespace hdmjm
