#include "pages/scheme_session.h"

#include <utility>

namespace hdmjm {

SchemeSession::SchemeSession(std::filesystem::path installRoot)
    : installRoot_(std::move(installRoot)) {}

RoadSectionStore* SchemeSession::Record(int index) const {
  if (index < 0 || index >= RoadCount()) return nullptr;
  return records_[index].get();
}

void SchemeSession::ReplaceRoads(RoadRecordList records) {
  history_.Reset(static_cast<int>(records.size()));
  records_ = std::move(records);
  ++generation_;
  currentRoad_ = 0;
  currentRoadName_ = records_.empty() ? std::string() : records_.front()->roadName;
  const auto listeners = listeners_;  // a listener may remove itself
  for (const auto& [id, listener] : listeners) listener();
}

int SchemeSession::AddReplacementListener(std::function<void()> listener) {
  listeners_.emplace_back(++lastListener_, std::move(listener));
  return lastListener_;
}

void SchemeSession::RemoveReplacementListener(int id) {
  std::erase_if(listeners_, [id](const auto& listener) { return listener.first == id; });
}

bool SchemeSession::SelectRoad(int index) {
  const RoadSectionStore* record = Record(index);
  if (!record) return false;
  currentRoad_ = index;
  currentRoadName_ = record->roadName;
  return true;
}

void SchemeSession::SetCompactionFactors(const CompactionFactors& factors) {
  for (auto& record : records_) record->compaction = factors;
}

}  // namespace hdmjm
