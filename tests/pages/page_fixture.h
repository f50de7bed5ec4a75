// What the page tests share: a session of one road, the page table searched by class name, and
// helpers that drive a page's grid and buttons with Qt Test's events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <new>

#include "pages/page_entry.h"
#include "pages/table_page.h"
#include "store/test_support.h"

namespace hdmjm::test {

class NoFiles : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }
};

// Every page of the three sheets (the application's own pages as placeholders).
inline std::vector<PageEntry> AllPageEntries() {
  std::vector<PageEntry> all =
      MainSheetPages({&CreatePlaceholder, &CreatePlaceholder, &CreatePlaceholder});
  for (auto pages : {LeftSheetPages(), RightSheetPages()})
    all.insert(all.end(), pages.begin(), pages.end());
  return all;
}

inline const PageEntry& EntryOf(std::string_view className) {
  static const std::vector<PageEntry> all = AllPageEntries();
  for (const PageEntry& entry : all)
    if (entry.className == className) return entry;
  throw std::logic_error("no page " + std::string(className));
}

// A table that fails to allocate its new rows, described like the catalogue's table `baseName`
// and reading the record through it.
class FailingTable : public TableDesc {
 public:
  explicit FailingTable(std::string_view baseName)
      : TableDesc(std::string(baseName), TableScope::Side, DataDefinitions(baseName, kLeft),
                  DataDefinitions(baseName, kRight)),
        real_(*FindTable(baseName)) {
    std::vector<FieldKind> kinds;
    for (const DataColumn& column : real_.DataColumns(kLeft)) kinds.push_back(column.kind);
    SetKinds(kinds);
  }
  int RowCount(const RoadSectionStore& s, Side side) const override {
    return real_.RowCount(s, side);
  }
  void Resize(RoadSectionStore& s, Side side, int rows) const override {
    real_.Resize(s, side, rows);
  }
  FieldValue Get(const RoadSectionStore& s, Side side, int row, int col) const override {
    return real_.Get(s, side, row, col);
  }
  void Set(RoadSectionStore& s, Side side, int row, int col, const FieldValue& v) const override {
    real_.Set(s, side, row, col, v);
  }
  void SetDefault(RoadSectionStore&, Side, double, double) const override {}
  void CopySide(RoadSectionStore&, Side, Side) const override {}
  void ReplaceRows(RoadSectionStore&, Side,
                   const std::vector<std::vector<FieldValue>>&) const override {
    throw std::bad_alloc();
  }

 private:
  static std::vector<std::string> DataDefinitions(std::string_view baseName, Side side) {
    const auto& all = FindTable(baseName)->ColumnDefinitions(side);
    return {all.begin() + 2, all.end()};
  }
  const TableDesc& real_;
};

class PageTest : public ::testing::Test {
 protected:
  PageTest() { AddMainLine(session); }
  // Gives `to` one road, 主线, with an empty record.
  void AddMainLine(SchemeSession& to) {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = "主线";
    to.ReplaceRoads(std::move(records));
  }
  RoadSectionStore& Record() { return *session.Record(0); }

  // Builds the page of `className` in `with`, shows it and fills it from the current road.
  template <class Page = TablePage>
  Page& OpenPage(std::string_view className, const PageContext& with, QSize size = {700, 400}) {
    const PageEntry& entry = EntryOf(className);
    owned = entry.create(entry, with);
    auto* page = dynamic_cast<Page*>(owned.get());
    if (!page) throw std::logic_error("not the expected page: " + std::string(className));
    page->resize(size);
    page->show();
    page->Initialize();
    return *page;
  }
  TablePage& Open(std::string_view className) { return OpenPage(className, context); }

  // Clicks cell (row, col) of the page's grid: it takes the focus there.
  static void ClickCell(CGridCtrl& grid, int row, int col) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.GetCellRect(row, col).center());
  }
  // Makes the cell the focus cell, types `text` over its text and ends the edit with Enter.
  static void Type(CGridCtrl& grid, int row, int col, const QString& text) {
    if (grid.GetFocusCell() != CellId{row, col}) ClickCell(grid, row, col);
    QTest::keyClicks(&grid, text.left(1));
    QWidget* editor = grid.InPlaceEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  static std::vector<std::string> RowTexts(const CGridCtrl& grid, int row) {
    std::vector<std::string> texts;
    for (int col = 0; col < grid.GetColumnCount(); ++col)
      texts.push_back(grid.GetItemText(row, col).toStdString());
    return texts;
  }

  Recorders recorders;
  NoFiles files;
  SchemeSession session{"/nowhere"};
  PageContext context{session, recorders.messages, files, recorders.trace};
  std::unique_ptr<PropertyPage> owned;
};

}  // namespace hdmjm::test
