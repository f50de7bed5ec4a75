// The road's history on the pages: every kind of change one step that the undo and redo keys
// take back and bring again, pastes that bring every line, and the row buttons in the grids'
// context menus.
#include <QClipboard>
#include <QMenu>

#include "page_fixture.h"
#include "pages/edit_commands.h"
#include "slopes/scripted_chooser.h"
#include "slopes/slope_template.h"
#include "store/codec.h"
#include "store/project_paths.h"

namespace hdmjm::test {
namespace {

namespace fs = std::filesystem;
using Fixture = std::function<void(RoadSectionStore&)>;
using Action = std::function<void(PropertyPage&)>;

// What a designer sees of a page and what its record holds.
struct State {
  std::vector<std::vector<QString>> grids;
  std::vector<CellId> focus;
  QStringList labels;
  std::vector<TableSnapshot> tables;
  friend bool operator==(const State&, const State&) = default;
};

const std::vector<SlopeLevel> kLevels = {{1.5, 8, 1, 0}, {1.75, 10, 1, 0}};

void TwoWidthLimits(RoadSectionStore& r) { r.widthLimits[kLeft] = {{1000, 30}, {2000, 35.5}}; }
void TwoSlopeSegments(RoadSectionStore& r) {
  SlopeTable& table = r.embankmentSlopes[kLeft];
  table.count = 2;
  table.rows[0] = MakeSlopeSegment(100, kLevels);
  table.rows[1] = MakeSlopeSegment(250, {{1, 5, 2, 4}});
}
void FullSlopeTable(RoadSectionStore& r) {
  SlopeTable& table = r.embankmentSlopes[kLeft];
  table.count = kMaxSlopeSegments;
  for (int i = 0; i < kMaxSlopeSegments; ++i)
    table.rows[i] = MakeSlopeSegment(i, std::vector<SlopeLevel>(kMaxSlopeLevels - 1, kLevels[0]));
}

class History : public PageTest {
 protected:
  History() {
    fs::create_directories(dir.path() / "bin");
    fs::create_directories(dir.path() / "p" / "改移道路" / "data");
    WriteTextFile(dir.path() / "bin" / "workdir", WorkdirToken((dir.path() / "p").string()));
    WriteTextFile(dir.path() / "p" / "改移道路" / "project", "方案一\n");
  }
  PropertyPage& OpenWith(std::string_view className, const Fixture& setup) {
    AddMainLine(project);
    setup(*project.Record(0));
    return OpenPage<PropertyPage>(className, projectContext, {900, 620});
  }
  CGridCtrl& Grid(const PropertyPage& page, int index = 0) { return *PageGrids(page).at(index); }
  void Key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Chooses the next item of the drop-down of the grid's focus cell.
  void ChooseNext(CGridCtrl& grid, int steps) {
    ClickCell(grid, grid.GetFocusCell().row, grid.GetFocusCell().col);
    for (int i = 0; i < steps; ++i) Key(grid.InPlaceEditor(), Qt::Key_Down);
    Key(grid.InPlaceEditor(), Qt::Key_Return);
  }
  static void Press(const PropertyPage& page, const char* button) {
    PageTest::Press(page.findChild<QPushButton*>(button));
  }
  State StateOf(const PropertyPage& page) {
    State state;
    for (const CGridCtrl* grid : PageGrids(page)) {
      const GridTexts texts = GridTexts::Of(*grid);
      state.grids.push_back(texts.texts);
      state.focus.push_back(texts.focus);
    }
    for (const QLabel* label : page.findChildren<QLabel*>()) state.labels << label->text();
    for (const TableDesc* table : AllTables())
      for (Side side : {kLeft, kRight})
        state.tables.push_back(TableSnapshot::Capture(*project.Record(0), *table, side));
    return state;
  }
  std::string DataFile(const std::string& name) const {
    return (dir.path() / "p" / "改移道路" / "data" / name).string();
  }

  ScratchDir dir;
  SchemeSession project{dir.path() / "bin"};
  ScriptedChooser chooser;
  PageContext projectContext{project, recorders.messages, chooser, recorders.trace};
};

TEST_F(History, EveryKindOfChangeIsOneStepThatTheKeysTakeBackAndBringAgain) {
  WriteTextFile(DataFile("标准.mb"), FormatSlopeTemplate(std::vector<SlopeLevel>{{2, 3, 4, 5}}));
  const auto sideDitch = [](RoadSectionStore& r) {
    r.sideDitches[kLeft] = {{1000, 0.3, 0.6, 0.5, 1, 1, 0.5}};
  };
  const auto embankmentDitch = [](RoadSectionStore& r) {
    EmbankmentDitchRow row;
    row.startBermWidth = row.endDikeThickness = 1.5;
    r.embankmentDitches[kLeft] = {row};
  };
  const Action none = [](PropertyPage&) {};
  const auto focus = [this](int grid, int row, int col) {
    return [=, this](PropertyPage& page) { ClickCell(Grid(page, grid), row, col); };
  };
  const auto press = [](const char* button) {
    return [button](PropertyPage& page) { Press(page, button); };
  };
  struct Case {
    std::string_view page;
    Fixture setup;
    Action prepare, change;
  };
  const Case cases[] = {
      {"LUJXKFD", TwoWidthLimits, focus(0, 2, 2), [this](auto& p) { Type(Grid(p), 2, 2, "40"); }},
      {"CHTHD",
       [](auto& r) {
         r.topsoil[kLeft] = {{900, 0.3, 0}};
       },
       focus(0, 1, 3), [this](auto& p) { ChooseNext(Grid(p), 1); }},
      {"CZLDSG", embankmentDitch, focus(0, 1, 1), [this](auto& p) { ChooseNext(Grid(p), 2); }},
      {"LUJXKFD", TwoWidthLimits,
       [this](auto& p) {
         ClickCell(Grid(p), 2, 2);
         QTest::mouseClick(Grid(p).viewport(), Qt::LeftButton, Qt::ShiftModifier,
                           Grid(p).GetCellRect(1, 1).center());
       },
       [this](auto& p) { Key(&Grid(p), Qt::Key_Delete); }},
      {"LUJXKFD", TwoWidthLimits, focus(0, 2, 1),
       [this](auto& p) { Key(&Grid(p), Qt::Key_X, Qt::ControlModifier); }},
      {"LUJXKFD", TwoWidthLimits, focus(0, 1, 1),
       [this](auto& p) {
         QGuiApplication::clipboard()->setText("1000\t30\n2000\t35.5\n5320.8\t40\n");
         Key(&Grid(p), Qt::Key_V, Qt::ControlModifier);
       }},
      {"LUJXKFD", TwoWidthLimits, focus(0, 2, 2), press("insertButton")},
      {"LUJXKFD", TwoWidthLimits, focus(0, 1, 2), press("deleteButton")},
      // The radius check of the write-back stores 0, and goes back with the radius typed.
      {"CZLQSG", sideDitch, focus(0, 1, 7),
       [this](auto& p) { Type(Grid(p), 1, 7, "0.2"), p.Leave(); }},
      {"CZLQSG", sideDitch, none, press("copyButton")},
      {"CHdmZLDBP", TwoSlopeSegments, none, press("insertSegment")},
      {"CHdmZLDBP", TwoSlopeSegments, focus(0, 3, 1), press("insertSegment")},
      {"CHdmZLDBP", TwoSlopeSegments, none, press("deleteSegment")},
      {"CHdmZLDBP", TwoSlopeSegments, focus(0, 2, 1), press("showLevels")},
      {"CHdmZLDBP", TwoSlopeSegments, focus(1, 2, 1), press("insertLevel")},
      {"CHdmZLDBP", TwoSlopeSegments, none, press("deleteLevel")},
      {"CHdmZLDBP", TwoSlopeSegments, [this](auto& p) { Type(Grid(p, 1), 1, 2, "6"); },
       press("storeLevels")},
      {"CHdmZLDBP", TwoSlopeSegments, [this](auto&) { chooser.answers = {DataFile("标准.mb")}; },
       press("importTemplate")},
      {"CHdmZLDBP", TwoSlopeSegments, none, press("copy")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + " case " + std::to_string(&c - cases));
    PropertyPage& page = OpenWith(c.page, c.setup);
    c.prepare(page);
    const State before = StateOf(page);
    const int steps = project.History().Stack(0)->count();
    c.change(page);
    page.Commit();
    const State after = StateOf(page);
    EXPECT_NE(after, before);
    ASSERT_EQ(project.History().Stack(0)->count(), steps + 1);
    Key(&Grid(page), Qt::Key_Z, Qt::ControlModifier);
    page.Commit();
    EXPECT_EQ(StateOf(page), before);
    Key(&Grid(page), Qt::Key_Y, Qt::ControlModifier);
    page.Commit();
    EXPECT_EQ(StateOf(page), after);
  }
}

TEST_F(History, APasteBringsEveryLineAsARowOrSaysHowManyLinesFoundNoRoom) {
  const auto levels = [](RoadSectionStore& r) {
    FullSlopeTable(r), r.embankmentSlopes[kLeft].count = 1;
  };
  struct Case {
    std::string_view page;
    Fixture setup;
    int grid;
    CellId target;
    QString text;
    int rowsAfter;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"LUJXKFD", TwoWidthLimits, 0, {1, 1}, "1000\t30\n2000\t35.5\n5320.8\t40\n", 3, {}},
      {"LUJXKFD", [](auto&) {}, 0, {1, 1}, "1000\t30\n2000", 2, {}},
      {"CHdmZLDBP",
       FullSlopeTable,
       0,
       {301, 1},
       "1\n2",
       300,
       {PasteLeftOutMessage(2).toStdString()}},
      {"CHdmZLDBP", levels, 1, {29, 1}, "3\n4\n5", 30, {PasteLeftOutMessage(1).toStdString()}},
  };
  for (const Case& c : cases) {
    PropertyPage& page = OpenWith(c.page, c.setup);
    CGridCtrl& grid = Grid(page, c.grid);
    const State before = StateOf(page);
    recorders.messages.texts.clear();
    grid.EnsureVisible(c.target.row, c.target.col);
    ClickCell(grid, c.target.row, c.target.col);
    QGuiApplication::clipboard()->setText(c.text);
    Key(&grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid.GetTableRowCount(), c.rowsAfter) << c.page;
    EXPECT_EQ(grid.GetItemText(c.rowsAfter, 0).toInt(), c.rowsAfter) << c.page;
    EXPECT_EQ(recorders.messages.texts, c.messages) << c.page;
    Key(&grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(StateOf(page).grids, before.grids) << c.page;
  }
  PropertyPage& page = OpenWith("LUJXKFD", TwoWidthLimits);
  ClickCell(Grid(page), 1, 1);
  QGuiApplication::clipboard()->setText("1000\t30\n2000\t35.5\n5320.8\t40\n");
  Key(&Grid(page), Qt::Key_V, Qt::ControlModifier);
  page.Commit();
  EXPECT_EQ(project.Record(0)->widthLimits[kLeft],
            (std::vector<WidthLimitRow>{{1000, 30}, {2000, 35.5}, {5320.8, 40}}));
}

TEST_F(History, TheContextMenuOffersThePagesRowButtonsEnabledAsTheyAct) {
  struct Case {
    std::string_view page;
    Fixture setup;
    int grid;
    CellId focus;
    QStringList enabled;
  };
  const Case cases[] = {
      {"LUJXKFD", TwoWidthLimits, 0, {1, 2}, {"插入一行", "删除一行"}},
      {"LUJXKFD", TwoWidthLimits, 0, {3, 1}, {"插入一行"}},
      {"CHdmZLDBP", FullSlopeTable, 0, {1, 1}, {"删除分段"}},
      {"CHdmZLDBP", FullSlopeTable, 0, {301, 1}, {}},
      {"CHdmZLDBP", TwoSlopeSegments, 1, {2, 1}, {"增加一级", "删除一级"}},
  };
  for (const Case& c : cases) {
    CGridCtrl& grid = Grid(OpenWith(c.page, c.setup), c.grid);
    grid.SetFocusCell(c.focus.row, c.focus.col);
    const std::unique_ptr<QMenu> menu = grid.CreateContextMenu();
    QStringList enabled, rowActions;
    bool past = false;
    for (QAction* action : menu->actions()) {
      past = past || action->isSeparator();
      if (past && !action->isSeparator()) rowActions << action->text();
      if (past && action->isEnabled() && !action->isSeparator()) enabled << action->text();
    }
    EXPECT_EQ(enabled, c.enabled) << c.page << " " << c.focus.row;
    EXPECT_EQ(rowActions.size(), 2) << c.page;
  }
  // An entry does what its button does, as one step.
  CGridCtrl& grid = Grid(OpenWith("LUJXKFD", TwoWidthLimits));
  grid.CreateContextMenu()->actions().back()->trigger();
  EXPECT_EQ(grid.GetTableRowCount(), 1);
  EXPECT_EQ(project.History().Stack(0)->count(), 1);
}

}  // namespace
}  // namespace hdmjm::test
