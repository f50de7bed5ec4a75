// What the shell's tests share: a scripted file chooser, a page that edits one value of the
// record, and helpers that drive tabs, buttons and modal dialogs with Qt Test's events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <deque>
#include <fstream>
#include <functional>

#include "app/property_sheet.h"
#include "app/sheets.h"
#include "grid/gridctrl.h"
#include "store/project_paths.h"
#include "store/test_support.h"

namespace hdmjm::test {

// A project folder whose current scheme is 方案一, found through the workdir file under
// `installRoot`; its scheme database (at `database`) is for the test to build.
struct SchemeProject {
  SchemeProject() {
    std::filesystem::create_directories(installRoot);
    std::filesystem::create_directories(scratch.path() / "p" / "改移道路" / "data");
    std::ofstream(installRoot / "workdir") << WorkdirToken((scratch.path() / "p").string());
    std::ofstream(scratch.path() / "p" / "改移道路" / "project") << "方案一";
  }
  ScratchDir scratch;
  std::filesystem::path installRoot = scratch.path() / "bin";
  std::string database = (scratch.path() / "p" / "改移道路" / "data" / "方案一.mdb").string();
};

class ScriptedFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string& initialName,
                                            const std::string& filter) override {
    asked.push_back({initialName, filter});
    if (answers.empty()) return std::nullopt;
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initialFolder) override {
    return ChooseOpenFile(title, initialFolder, "");
  }
  std::deque<std::string> answers;                         // none left: the designer cancels
  std::vector<std::pair<std::string, std::string>> asked;  // initial name, filter
};

// A page with one line edit. Each commit appends (number typed, caption) to the record's
// 用地类型表, so the record tells which pages committed, in which order, and what.
class EditPage : public PropertyPage {
 public:
  EditPage(const PageContext& context, const QString& caption, bool hasLeaveHandler)
      : PropertyPage(context, caption, hasLeaveHandler), edit(new QLineEdit(this)) {
    (new QVBoxLayout(this))->addWidget(edit);
  }
  QLineEdit* edit;
  int fills = 0;

 protected:
  void Fill(RoadSectionStore* record) override {
    ++fills;
    edit->setText(record ? QString::fromStdString(record->roadName) : QString());
  }
  void WriteBack(RoadSectionStore& record) override {
    record.landTypes.push_back({edit->text().toDouble(), Caption().toStdString()});
  }
};

// The captions of the commits the record saw, in order.
inline std::vector<std::string> Commits(const RoadSectionStore& record) {
  std::vector<std::string> commits;
  for (const LandTypeRow& row : record.landTypes) commits.push_back(row.landType);
  return commits;
}

// The same pages, each an EditPage with the same caption and leave handler.
inline std::vector<PageEntry> AsEditPages(std::span<const PageEntry> pages) {
  std::vector<PageEntry> edited(pages.begin(), pages.end());
  for (PageEntry& entry : edited) entry.create = &Create<EditPage>;
  return edited;
}

inline EditPage* EditPageAt(const PropertySheet& sheet, int index) {
  return dynamic_cast<EditPage*>(sheet.Page(index));
}

inline void ClickTab(PropertySheet& sheet, int index) {
  QTabBar* bar = sheet.Tabs()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// Clicks cell (row, col) of a grid: it takes the focus there.
inline void Click(CGridCtrl& grid, int row, int col) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(row, col).center());
}

// Types over the cell's text and ends the edit with Tab.
inline void Type(CGridCtrl& grid, int row, int col, const QString& text) {
  if (grid.GetFocusCell() != CellId{row, col}) Click(grid, row, col);
  QTest::keyClicks(&grid, text.left(1));
  ASSERT_NE(grid.InPlaceEditor(), nullptr);
  QTest::keyClicks(grid.InPlaceEditor(), text.mid(1));
  QTest::keyClick(grid.InPlaceEditor(), Qt::Key_Tab);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void ClickButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

inline std::vector<std::string> TabTexts(const PropertySheet& sheet) {
  std::vector<std::string> texts;
  for (int i = 0; i < sheet.Tabs()->count(); ++i)
    texts.push_back(sheet.Tabs()->tabText(i).toStdString());
  return texts;
}

// While it lives, runs `action` on every new modal dialog from inside the dialog's own loop.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QDialog*)> action) : action_(std::move(action)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || dialog == seen_) return;
      seen_ = dialog;
      titles.push_back(dialog->windowTitle().toStdString());
      action_(dialog);
    });
    timer_.start(10);
  }
  std::vector<std::string> titles;  // of every dialog seen, in order

 private:
  std::function<void(QDialog*)> action_;
  QTimer timer_;
  QPointer<QDialog> seen_;
};

// Shows the left side sheet, or the right one, and visits each of its tabs from `first` on.
template <class Visit>
void VisitSideSheet(bool left, const PageContext& context, int first, Visit visit) {
  std::unique_ptr<PropertySheet> sheet;
  if (left)
    sheet = std::make_unique<HDMContainer>(context);
  else
    sheet = std::make_unique<HDMContainerR>(context);
  sheet->show();
  for (int tab = first; tab < sheet->Tabs()->count(); ++tab) {
    ClickTab(*sheet, tab);
    QApplication::processEvents();
    visit(*sheet, tab);
  }
  sheet->accept();
}

}  // namespace hdmjm::test
