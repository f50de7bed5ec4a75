// The window of "检查数据...": the findings of the current road or of every road, sortable and
// filtered by severity and table, with a count per road; a double click opens the finding's page
// at its row and column. Its second tab is the strip view of the current road. Both follow the
// records: they are checked again whenever the window becomes active, a road is chosen, the main
// sheet changes page or a sheet opened from here closes.
#pragma once

#include <QDialog>

#include "app/page_opener.h"
#include "store/station_checks.h"

class QComboBox;
class QLabel;
class QTableWidget;
class QTabWidget;
class QPushButton;

namespace hdmjm {

class StripView;

inline constexpr char kPictureFilter[] =
    "PNG 图片 (*.png)|*.png|SVG 图片 (*.svg)|*.svg|PDF 文件 (*.pdf)|*.pdf||";

class FindingsWindow : public QDialog {
  Q_OBJECT

 public:
  enum Scope { kCurrentRoad = 0, kEveryRoad = 1 };
  enum Filter { kAll = 0, kErrors = 1, kWarnings = 2 };

  FindingsWindow(const PageContext& context, PageOpener& opener, QWidget* parent = nullptr);

  // Checks the roads again and shows what the filters let through.
  void Refresh();
  // The findings shown, in the list's order of rows.
  std::vector<const Finding*> Shown() const;
  // Opens the page of the finding shown in list row `row`.
  void OpenRow(int row);
  // Asks where to write the strip view's picture and writes it.
  void ExportPicture();

  QTabWidget* Tabs() const { return tabs_; }
  QComboBox* ScopeBox() const { return scope_; }
  QComboBox* SeverityBox() const { return severity_; }
  QComboBox* TableBox() const { return table_; }
  QTableWidget* List() const { return list_; }
  QLabel* Counts() const { return counts_; }
  StripView* Strip() const { return strip_; }

 protected:
  bool event(QEvent* event) override;

 private:
  void Populate();
  void ShowCounts();

  PageContext context_;
  PageOpener& opener_;
  Findings findings_;
  std::vector<std::string> roads_;  // checked, in road order
  QTabWidget* tabs_;
  QComboBox* scope_;
  QComboBox* severity_;
  QComboBox* table_;
  QLabel* counts_;
  QTableWidget* list_;
  StripView* strip_;
  QPushButton* export_;
};

// Before OK saves: when the checks find errors in any road, says how many and asks once whether
// to save anyway. True: save (also the answer of a front end that cannot ask).
bool SaveDespiteErrors(const RoadRecordList& records, UserMessages& messages);

}  // namespace hdmjm
