// The settings page, first page of the main sheet: opens the scheme, loads every road, lets the
// designer choose the current road, copies one side to the other, stretches the last segments to
// the road's end, imports another database and, when the main sheet is confirmed, saves. While
// no project is open it offers to open one instead.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/progress.h"
#include "pages/property_page.h"
#include "store/scheme.h"

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTimer;

namespace hdmjm {

class FindingsWindow;
class PageOpener;
class ProjectPanel;

// The filter of the open-file dialog of "从数据库导入数据...": SQLite and Access files alike.
inline constexpr char kImportFilter[] =
    "横断面标准数据文件, SQLite 或 Access (*.mdb;*.accdb)|*.mdb;*.accdb|All Files(*.*)|*.*||";

class SetDlg : public PropertyPage {
  Q_OBJECT

 public:
  SetDlg(const PageContext& context, const QString& caption, bool hasLeaveHandler);
  // The records report their progress through this page: they go with it.
  ~SetDlg() override;

  // Lists the roads of the page's scheme database and loads a new record for each. False when
  // the scheme did not open. Records read from an Access file are saved into `saveInto` when
  // that is an SQLite file (the designer is told so at once), otherwise they cannot be saved.
  bool LoadAllRoads(const std::string& saveInto = {});
  void CopyToRight();
  void CopyToLeft();
  void SetSegmentEnds();
  void ImportDatabase();
  // "检查数据...": the findings window, made on first use.
  void CheckData();
  FindingsWindow* Findings() const { return findings_; }
  // Saves every road that loaded whole; tells the designer what was not saved and why. A table
  // another program saved meanwhile is asked about (keep theirs, keep mine, decide later). False
  // when not every road was saved or a table was left for later: the records stay as edited,
  // so OK can be pressed again.
  bool SaveAllRoads();

  // Looks at once at what another program changed in the scheme file (the file watcher does it
  // shortly after each change) and says so on the page.
  void LookForChanges();
  // Reloads, of the roads another program changed, those without edits of the designer.
  void ReloadChangedRoads();
  QLabel* ChangesLabel() const { return changesLabel_; }
  QPushButton* ReloadButton() const { return reloadButton_; }

  // The tables the side copies and the segment ends walk, by catalogue name.
  static std::vector<std::string_view> TableNames();

  const std::string& DatabasePath() const { return databasePath_; }
  QComboBox* RoadBox() const { return roadBox_; }
  // Shown while no project is open.
  ProjectPanel* NoProjectPanel() const { return panel_; }
  // The progress window while a load runs, else null.
  ProgressWnd* ProgressWindow() const { return progressWnd_.get(); }

 protected:
  void OnInitialize() override;

 private:
  void OnRoadSelected(int index);
  // Resolves the session's project paths and loads the scheme they name; the no-project panel
  // when they name none.
  void OpenProject();
  void OpenLocation(const std::string& path);
  void OpenFolder();
  void OpenScheme();
  void NewScheme();
  // Shows the panel instead of the scheme's controls; `offerNewScheme` when the project folder
  // is known but has no scheme.
  void ShowNoProject(bool offerNewScheme);
  void ShowSchemeControls();
  void ShowTitle();
  // Asks whether the Access scheme at the page's path is to be converted in place, and does it.
  void OfferConversion();
  // Tells the designer, before any edit, where the records just read can be saved, if at all.
  void TellWhereSaved(const SchemeStore& scheme, RoadRecordList& records,
                      const std::string& saveInto);
  void ShowProgress();
  void CloseProgress();
  void CopySides(Side from, Side to);
  void WatchScheme();
  // Asks about each conflict of `report` not left for later, applies the answers and saves
  // again while any was answered; the last report.
  SaveReport ResolveConflicts(SaveReport report);
  RoadSectionStore* RecordNamed(const std::string& road, int* index = nullptr) const;
  // Runs a change of the records in memory between the announcements to the other pages.
  template <class Change>
  void ChangeRecords(Change change);
  Services RecordServices();

  ProgressFrames frames_;
  ProgressForwarder progress_;
  std::unique_ptr<ProgressWnd> progressWnd_;
  std::unique_ptr<SchemeStore> scheme_;  // the scheme the records came from
  std::string databasePath_;
  QLabel* schemeLabel_;
  QComboBox* roadBox_;
  QPushButton* segmentEndsButton_;
  QPushButton* importButton_;
  QPushButton* copyToRightButton_;
  QPushButton* copyToLeftButton_;
  QPushButton* checkButton_;
  std::unique_ptr<PageOpener> opener_;
  FindingsWindow* findings_ = nullptr;
  std::vector<QWidget*> schemeControls_;
  QFileSystemWatcher* watcher_;
  QTimer* changesTimer_;
  QLabel* changesLabel_;
  QPushButton* reloadButton_;
  std::vector<std::string> changedRoads_;
  ProjectPanel* panel_;
};

}  // namespace hdmjm
