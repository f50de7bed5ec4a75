// Keeps the recovery file of the open scheme: every committed edit reaches it within a few
// seconds, and when a scheme is loaded for which a recovery file holds newer edits, the designer
// is offered them back. The main sheet removes the file when its scheme session ends normally.
#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pages/property_page.h"
#include "store/recovery_file.h"

namespace hdmjm {

class RecoveryKeeper : public QObject {
  Q_OBJECT

 public:
  // How long after a change the file is written.
  static constexpr int kDelayMilliseconds = 2000;

  explicit RecoveryKeeper(const PageContext& context, QObject* parent = nullptr);
  ~RecoveryKeeper() override;

  // The session ended normally (OK saved every road, or Cancel): the edits need no recovery.
  void Finish();
  // After OK's save: when every road was saved, the records are what the file holds and the
  // recovery file goes; otherwise it is brought up to date with the scheme file as it is now.
  void AfterSave(bool allSaved);
  // Writes at once what changed since the last write, if anything.
  void WriteNow();
  // Where the recovery file of the scheme at `scheme` lives for the user running the program.
  static RecoveryPlaces PlacesFor(const std::string& scheme);
  // Where the file is written; empty while no scheme is open.
  std::filesystem::path FilePath() const;

 private:
  void OnRecordsReplaced();
  void WatchStacks();
  void OnStackChanged(int road);
  void OnTimer();
  // Sets aside or offers the recovery files found for the scheme just loaded.
  void CheckFound();
  bool Offer(RecoveryFile& found, const RecoveryRead& read);
  void Restore(std::vector<RoadEdits> roads);
  // Writes the roads changed since the last write; with `whole`, every road edited, alone.
  void Write(bool whole);
  bool WriteEdits(const std::vector<RoadEdits>& roads, bool whole);
  void TakeBaselines();

  PageContext context_;
  int listener_ = 0;
  QTimer timer_;
  std::string scheme_;
  SchemeIdentity identity_;
  RecoveryPlaces places_;
  std::optional<RecoveryFile> file_;
  std::vector<TableBaseline> baselines_;
  std::vector<std::vector<std::uint64_t>> written_;    // per road: its tables when last written
  std::set<int> watched_;                              // roads changed in this session
  std::set<std::string> inFile_;                       // roads whose edits the file holds
  std::optional<std::filesystem::path> restoredFrom_;  // the file whose edits were restored
  bool warned_ = false;
};

}  // namespace hdmjm
