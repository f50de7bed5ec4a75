#include "app/recovery_keeper.h"

#include <QStandardPaths>
#include <QUndoCommand>
#include <chrono>
#include <ctime>

#include "pages/edit_commands.h"
#include "store/recovery_messages.h"

namespace hdmjm {
namespace {

std::string UserName() {
  for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
    const QString name = qEnvironmentVariable(variable);
    if (!name.isEmpty()) return name.toStdString();
  }
  return {};
}

std::filesystem::path DataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

std::string LocalTime(std::int64_t fileClockNanoseconds) {
  const std::filesystem::file_time_type stamp{
      std::chrono::duration_cast<std::filesystem::file_time_type::duration>(
          std::chrono::nanoseconds(fileClockNanoseconds))};
  const std::time_t time = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::file_clock::to_sys(stamp)));
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

// The recovered edits of one road as one step of its history: undoing it puts the tables back
// as the scheme file held them. A table of the whole scheme goes into every road alike.
class RestoreCommand : public QUndoCommand {
 public:
  RestoreCommand(SchemeSession& session, int road, std::vector<TableSnapshot> before,
                 std::vector<TableSnapshot> after)
      : QUndoCommand(QString::fromUtf8(messages::kRestoreButton.data(),
                                       static_cast<qsizetype>(messages::kRestoreButton.size()))),
        session_(session),
        road_(road),
        before_(std::move(before)),
        after_(std::move(after)) {}

  void redo() override { Apply(after_); }
  void undo() override { Apply(before_); }

 private:
  void Apply(const std::vector<TableSnapshot>& images) {
    RoadHistory& history = session_.History();
    const RoadHistory::BusyScope busy(history);
    for (const TableSnapshot& image : images) {
      const bool wholeScheme = image.table->Scope() == TableScope::Scheme;
      for (int road = 0; road < session_.RoadCount(); ++road) {
        if (road != road_ && !wholeScheme) continue;
        RoadSectionStore* record = session_.Record(road);
        image.Restore(*record);
        for (PropertyPage* page : history.PagesShowing(record, *image.table, image.side, nullptr))
          page->Refill();
      }
    }
  }

  SchemeSession& session_;
  int road_;
  std::vector<TableSnapshot> before_, after_;
};

}  // namespace

RecoveryKeeper::RecoveryKeeper(const PageContext& context, QObject* parent)
    : QObject(parent), context_(context) {
  timer_.setSingleShot(true);
  timer_.setInterval(kDelayMilliseconds);
  connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::OnTimer);
  listener_ = context_.session.AddReplacementListener([this] { OnRecordsReplaced(); });
}

RecoveryKeeper::~RecoveryKeeper() { context_.session.RemoveReplacementListener(listener_); }

RecoveryPlaces RecoveryKeeper::PlacesFor(const std::string& scheme) {
  return RecoveryPlacesFor(scheme, DataFolder(), UserName());
}

std::filesystem::path RecoveryKeeper::FilePath() const {
  return file_ ? file_->Path() : std::filesystem::path();
}

void RecoveryKeeper::Finish() {
  timer_.stop();
  if (file_) file_->Remove();
  // The baselines stay those of the load: a later edit then also carries tables saved since,
  // whose rows the file holds already, which costs nothing when they are restored.
  inFile_.clear();
}

void RecoveryKeeper::AfterSave(bool allSaved) {
  if (allSaved) return Finish();
  // Some roads were saved: the scheme file changed under the edits still to be saved.
  identity_ = IdentifyScheme(scheme_);
  Write(true);
}

void RecoveryKeeper::OnRecordsReplaced() {
  // The records that held the edits are gone, by the designer's load of a scheme.
  timer_.stop();
  if (file_) file_->Remove();
  file_.reset();
  inFile_.clear();
  watched_.clear();
  const RoadRecordList& records = context_.session.RoadRecords();
  scheme_ = records.empty() ? std::string() : records.front()->databasePath;
  if (scheme_.empty()) return;
  identity_ = IdentifyScheme(scheme_);
  places_ = PlacesFor(scheme_);
  TakeBaselines();
  WatchStacks();
  CheckFound();
  file_.emplace(places_.beside);
  if (!restoredFrom_) return;
  // The file restored from is written anew from the records, holding this session's edits only.
  Write(true);
  if (*restoredFrom_ != file_->Path() && !inFile_.empty()) RecoveryFile(*restoredFrom_).Remove();
  restoredFrom_.reset();
}

void RecoveryKeeper::TakeBaselines() {
  const RoadRecordList& records = context_.session.RoadRecords();
  baselines_.assign(records.size(), {});
  written_.assign(records.size(), {});
  for (size_t road = 0; road < records.size(); ++road) {
    baselines_[road].Take(*records[road]);
    written_[road] = baselines_[road].Hashes();
  }
}

void RecoveryKeeper::WatchStacks() {
  for (int road = 0; road < context_.session.RoadCount(); ++road)
    if (QUndoStack* stack = context_.session.History().Stack(road))
      connect(stack, &QUndoStack::indexChanged, this, [this, road] { OnStackChanged(road); });
}

void RecoveryKeeper::OnStackChanged(int road) {
  watched_.insert(road);
  if (!timer_.isActive()) timer_.start();
}

void RecoveryKeeper::OnTimer() {
  WriteNow();
  // A typed cell reaches the record when its page commits: look again while edits are pending.
  for (int road : watched_)
    if (QUndoStack* stack = context_.session.History().Stack(road); stack && !stack->isClean()) {
      timer_.start();
      return;
    }
}

void RecoveryKeeper::WriteNow() { Write(false); }

void RecoveryKeeper::Write(bool whole) {
  if (!file_) return;
  const RoadRecordList& records = context_.session.RoadRecords();
  std::vector<RoadEdits> changed;
  std::vector<std::pair<int, std::vector<std::uint64_t>>> fingerprints;
  for (int road : watched_) {
    if (road >= static_cast<int>(records.size())) continue;
    std::vector<std::uint64_t> now = TableBaseline::Fingerprint(*records[road]);
    if (!whole && now == written_[road]) continue;
    changed.push_back(baselines_[road].EditsOf(*records[road], now));
    fingerprints.emplace_back(road, std::move(now));
  }
  if (changed.empty() && !whole) return;
  std::set<std::string> inFile = whole ? std::set<std::string>() : inFile_;
  for (const RoadEdits& road : changed)
    if (road.tables.empty())
      inFile.erase(road.road);
    else
      inFile.insert(road.road);
  // Nothing to keep: no file at all rather than an empty one.
  if (inFile.empty() ? file_->Remove() : WriteEdits(changed, whole)) {
    inFile_ = std::move(inFile);
    for (auto& [road, now] : fingerprints) written_[road] = std::move(now);
  }
}

bool RecoveryKeeper::WriteEdits(const std::vector<RoadEdits>& roads, bool whole) {
  std::string error;
  if (file_->Write(identity_, roads, whole, &error)) return true;
  if (file_->Path() == places_.beside && places_.fallback != places_.beside) {
    // The scheme's folder cannot be written: the user's own data folder takes the file, which
    // then holds every road's edits.
    std::error_code ignored;
    std::filesystem::create_directories(places_.fallback.parent_path(), ignored);
    file_.emplace(places_.fallback);
    std::vector<RoadEdits> all;
    const RoadRecordList& records = context_.session.RoadRecords();
    for (int road : watched_) all.push_back(baselines_[road].EditsOf(*records[road]));
    if (file_->Write(identity_, all, true, &error)) return true;
    file_.emplace(places_.beside);
  }
  context_.trace.Write("recovery file not written: " + error);
  if (!std::exchange(warned_, true))
    context_.messages.Show(messages::RecoveryNotWritten(places_.beside.string(), error));
  return false;
}

void RecoveryKeeper::CheckFound() {
  bool offered = false;
  for (const std::filesystem::path& path : {places_.beside, places_.fallback}) {
    if (path == places_.fallback && path == places_.beside) break;
    RecoveryFile found(path);
    RecoveryRead read = found.Read(identity_);
    using State = RecoveryRead::State;
    if (read.state == State::Missing) continue;
    if (read.state == State::Newer && !offered) {
      offered = true;
      if (Offer(found, read)) continue;
    }
    const std::string_view label = read.state == State::Damaged       ? messages::kDamagedLabel
                                   : read.state == State::OtherScheme ? messages::kOtherSchemeLabel
                                                                      : messages::kOlderLabel;
    const auto kept = found.SetAside(label);
    const std::string keptName = kept ? kept->string() : path.string();
    const std::string file = path.string();
    if (read.state == State::Damaged)
      context_.messages.Show(messages::RecoveryDamaged(file, keptName, read.detail));
    else if (read.state == State::OtherScheme)
      context_.messages.Show(messages::RecoveryOtherScheme(file, keptName, read.detail));
    else
      context_.messages.Show(messages::RecoveryOlder(file, keptName));
  }
}

// True when the file was dealt with: restored or discarded.
bool RecoveryKeeper::Offer(RecoveryFile& found, const RecoveryRead& read) {
  std::vector<std::string> roads;
  int tables = 0;
  for (const RoadEdits& road : read.roads) {
    roads.push_back(road.road);
    tables += static_cast<int>(road.tables.size());
  }
  if (tables == 0) {
    found.Remove();
    return true;
  }
  const int answer = context_.messages.Choose(
      messages::RecoveryQuestion(scheme_, LocalTime(read.written), roads, tables),
      {std::string(messages::kRestoreButton), std::string(messages::kDiscardButton)}, 0,
      std::string(messages::kRecoveryTitle));
  if (answer != 0) {
    found.Remove();
    return true;
  }
  std::vector<std::string> missing;
  for (const RoadEdits& road : read.roads) {
    const RoadRecordList& records = context_.session.RoadRecords();
    const auto record =
        std::ranges::find_if(records, [&](const auto& r) { return r->roadName == road.road; });
    if (record == records.end()) {
      missing.push_back(road.road);
      continue;
    }
    const int index = static_cast<int>(record - records.begin());
    std::vector<TableSnapshot> before, after;
    for (const TableEdit& edit : road.tables) {
      before.push_back(TableSnapshot::Capture(**record, *edit.table, edit.side));
      after.push_back({edit.table, edit.side, edit.rows});
    }
    context_.session.History().Stack(index)->push(
        new RestoreCommand(context_.session, index, std::move(before), std::move(after)));
  }
  // Written anew at once from the records; a file found elsewhere goes once that is done.
  if (missing.empty()) {
    restoredFrom_ = found.Path();
    return true;
  }
  const auto kept = found.SetAside(messages::kUnmatchedLabel);
  context_.messages.Show(
      messages::RecoveryRoadsMissing(missing, kept ? kept->string() : found.Path().string()));
  return true;
}

}  // namespace hdmjm
