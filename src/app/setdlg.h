// The settings page, first page of the main sheet: opens the scheme, loads every road, lets the
// designer choose the current road, copies one side to the other, stretches the last segments to
// the road's end, imports another database and, when the main sheet is confirmed, saves.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/progress.h"
#include "pages/property_page.h"
#include "store/scheme.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace hdmjm {

// The filter of the open-file dialog of "从数据库导入数据...".
inline constexpr char kImportFilter[] = "横断面标准数据文件 (*.*)|*.*|All Files(*.*)|*.*||";

class SetDlg : public PropertyPage {
  Q_OBJECT

 public:
  SetDlg(const PageContext& context, const QString& caption, bool hasLeaveHandler);
  // The records report their progress through this page: they go with it.
  ~SetDlg() override;

  // Lists the roads of the page's scheme database and loads a new record for each.
  void LoadAllRoads();
  void CopyToRight();
  void CopyToLeft();
  void SetSegmentEnds();
  void ImportDatabase();
  // Saves every road that loaded whole; tells the designer what was not saved and why. False
  // when not every road was saved: the records stay as edited, so OK can be pressed again.
  bool SaveAllRoads();

  // The tables the side copies and the segment ends walk, by catalogue name.
  static std::vector<std::string_view> TableNames();

  const std::string& DatabasePath() const { return databasePath_; }
  QComboBox* RoadBox() const { return roadBox_; }
  // The progress window while a load runs, else null.
  ProgressWnd* ProgressWindow() const { return progressWnd_.get(); }

 protected:
  void OnInitialize() override;

 private:
  void OnRoadSelected(int index);
  void CopySides(Side from, Side to);
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
};

}  // namespace hdmjm
