// The open design scheme as every page sees it: one record per road, the current road, the
// install root and the project paths. The settings page replaces the records; the other pages
// read and write the tables of the record they were filled from.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/road_history.h"
#include "store/project_paths.h"
#include "store/records.h"

namespace hdmjm {

class SchemeSession {
 public:
  explicit SchemeSession(std::filesystem::path installRoot);

  const std::filesystem::path& InstallRoot() const { return installRoot_; }
  ProjectPaths& Paths() { return paths_; }
  const ProjectPaths& Paths() const { return paths_; }

  const RoadRecordList& RoadRecords() const { return records_; }
  int RoadCount() const { return static_cast<int>(records_.size()); }
  int CurrentRoad() const { return currentRoad_; }
  const std::string& CurrentRoadName() const { return currentRoadName_; }

  // Null when `index` names no road.
  RoadSectionStore* Record(int index) const;
  // Null when the scheme has no road.
  RoadSectionStore* CurrentRecord() const { return Record(currentRoad_); }

  // Replaces every record, each with a history of its own; road 0 becomes the current road (no
  // name when there is none).
  void ReplaceRoads(RoadRecordList records);
  // The histories of the roads' changes.
  RoadHistory& History() { return history_; }
  // Makes road `index` current; false, and nothing changes, when there is no such road.
  bool SelectRoad(int index);
  // Counts the replacements of the records, so a page can tell that its record is gone.
  unsigned Generation() const { return generation_; }

  // Runs `listener` after every replacement of the records, until it is removed by the number
  // returned (the recovery file follows the scheme loaded).
  int AddReplacementListener(std::function<void()> listener);
  void RemoveReplacementListener(int id);

  // The loose-to-compacted coefficients hold for the whole scheme: every road's record gets
  // them, so whichever road is saved last writes the same set.
  void SetCompactionFactors(const CompactionFactors& factors);

 private:
  std::filesystem::path installRoot_;
  ProjectPaths paths_;
  RoadHistory history_;
  RoadRecordList records_;
  int currentRoad_ = 0;
  std::string currentRoadName_;
  unsigned generation_ = 0;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int lastListener_ = 0;
};

}  // namespace hdmjm
