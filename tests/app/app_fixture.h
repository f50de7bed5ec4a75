// What the shell's tests share: a project on disk whose scheme database is built from SQL, a
// scripted file chooser, a page that edits one value of the record, and helpers that drive
// tabs and modal dialogs with Qt Test's events.
#pragma once

#include <QApplication>
#include <QDialog>
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
#include <optional>
#include <string>
#include <vector>

#include "app/property_sheet.h"
#include "store/project_paths.h"
#include "store/services.h"
#include "store/test_support.h"

namespace hdmjm::test {

class ScriptedFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& initialName,
                                            const std::string& filter) override {
    asked.push_back({title, initialName, filter});
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  struct Question {
    std::string title, initialName, filter;
  };
  std::deque<std::optional<std::string>> answers;
  std::vector<Question> asked;
};

// "CREATE TABLE 断链表 ..." and one row per (road, start, end).
struct ChainBreak {
  std::string road;
  double start;
  double end;
};
inline std::vector<std::string> ChainBreakSql(const std::vector<ChainBreak>& rows) {
  std::vector<std::string> sql = {
      "CREATE TABLE 断链表 (序号 INTEGER PRIMARY KEY, 道路名 TEXT, 等号左里程冠号 TEXT, "
      "等号左里程数 REAL, 等号右里程冠号 TEXT, 等号右里程数 REAL)"};
  for (const ChainBreak& row : rows)
    sql.push_back(
        "INSERT INTO 断链表 (道路名, 等号左里程冠号, 等号左里程数, 等号右里程冠号, "
        "等号右里程数) VALUES ('" +
        row.road + "', 'K', " + std::to_string(row.start) + ", 'K', " + std::to_string(row.end) +
        ")");
  return sql;
}

inline void RunStatements(const std::string& path, const std::vector<std::string>& statements) {
  for (const std::string& statement : statements) RunSql(path, {statement});
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

// An install root with its workdir file, a project naming scheme 方案一 and, when asked, that
// scheme's database: everything the settings page reads at start-up.
class ProjectOnDisk {
 public:
  explicit ProjectOnDisk(const ScratchDir& scratch)
      : installRoot_(scratch.path() / "bin"), base_(scratch.path() / "project") {
    WriteFile(installRoot_ / "workdir", WorkdirToken(base_.string()) + "\n");
    WriteFile(base_ / "改移道路" / "project", "方案一\n");
    std::filesystem::create_directories(base_ / "改移道路" / "data");
  }
  const std::filesystem::path& InstallRoot() const { return installRoot_; }
  std::string DatabasePath() const { return (base_ / "改移道路" / "data" / "方案一.mdb").string(); }
  std::string OtherFile(const std::string& name) const { return (base_ / name).string(); }

 private:
  std::filesystem::path installRoot_;
  std::filesystem::path base_;
};

// The whole content of a database, table by table, to tell whether anything changed.
inline std::vector<std::vector<std::string>> DumpDatabase(const std::string& path) {
  std::vector<std::vector<std::string>> dump;
  for (const auto& table : QuerySql(path,
                                    "SELECT name FROM sqlite_master WHERE type='table' "
                                    "ORDER BY name")) {
    dump.push_back({"table " + table[0]});
    for (auto& row : QuerySql(path, "SELECT * FROM \"" + table[0] + "\"")) dump.push_back(row);
  }
  return dump;
}

// A page that edits one number of the record: the 分段终里程 of the 用地面积汇总分段表 row whose
// 备注 is the page's caption. Every commit also appends "commit <caption>" to 用地类型表, so the
// record tells which pages committed, in which order.
class EditPage : public PropertyPage {
 public:
  EditPage(const PageContext& context, const QString& caption, bool hasLeaveHandler)
      : PropertyPage(context, caption, hasLeaveHandler), edit(new QLineEdit(this)) {
    (new QVBoxLayout(this))->addWidget(edit);
  }
  QLineEdit* edit;
  int fills = 0;

  static const LandAreaSegmentRow* Find(const RoadSectionStore& record, const QString& caption) {
    for (const LandAreaSegmentRow& row : record.landAreaSegments)
      if (row.remark == caption.toStdString()) return &row;
    return nullptr;
  }

 protected:
  void Fill(RoadSectionStore* record) override {
    ++fills;
    const LandAreaSegmentRow* row = record ? Find(*record, Caption()) : nullptr;
    edit->setText(row ? QString::number(row->endStation) : QString());
  }
  void WriteBack(RoadSectionStore& record) override {
    record.landTypes.push_back({0, "commit " + Caption().toStdString()});
    const double value = edit->text().toDouble();
    for (LandAreaSegmentRow& row : record.landAreaSegments)
      if (row.remark == Caption().toStdString()) {
        row.endStation = value;
        return;
      }
    record.landAreaSegments.push_back({value, Caption().toStdString()});
  }
};

// The commits the record saw, in order ("commit <caption>").
inline std::vector<std::string> Commits(const RoadSectionStore& record) {
  std::vector<std::string> commits;
  for (const LandTypeRow& row : record.landTypes)
    if (row.landType.starts_with("commit ")) commits.push_back(row.landType.substr(7));
  return commits;
}

// The same pages, each replaced by an EditPage with the same caption and leave handler.
inline std::vector<PageSpec> AsEditPages(std::span<const PageSpec> pages) {
  std::vector<PageSpec> edited(pages.begin(), pages.end());
  for (PageSpec& spec : edited) spec.create = &Create<EditPage>;
  return edited;
}

inline EditPage* EditPageAt(const PropertySheet& sheet, int index) {
  return dynamic_cast<EditPage*>(sheet.Page(index));
}

// Selects a tab the way the designer does: a click on it.
inline void ClickTab(PropertySheet& sheet, int index) {
  QTabBar* bar = sheet.Tabs()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

inline std::vector<std::string> TabTexts(const PropertySheet& sheet) {
  std::vector<std::string> texts;
  for (int i = 0; i < sheet.Tabs()->count(); ++i)
    texts.push_back(sheet.Tabs()->tabText(i).toStdString());
  return texts;
}

inline void ClickButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

// Watches for modal dialogs while it lives; runs `action` on each new one from inside the
// dialog's own event loop (by default: closes it with Cancel).
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QDialog*)> action = [](QDialog* d) { d->reject(); })
      : action_(std::move(action)) {
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

}  // namespace hdmjm::test
