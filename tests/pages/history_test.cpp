// The road's history on the pages, pastes that bring every line, the row buttons in the menus.
#include <QClipboard>
#include <QMenu>

#include "page_fixture.h"
#include "pages/edit_commands.h"
#include "slopes/scripted_chooser.h"
#include "slopes/slope_template.h"
#include "store/codec.h"

namespace hdmjm::test {
namespace {

// What a designer sees of a page (its grids' texts and focus cells, its labels) and what its
// record holds.
using State =
    std::tuple<std::vector<std::vector<QString>>, QStringList, std::vector<TableSnapshot>>;

// On the left two rows or segments where the pages below edit; 左用地加宽 empty; on the right
// a full embankment slope table whose first segment has room for one more level.
constexpr SlopeLevel kLevel{1, 5, 2, 4};
void Sample(RoadSectionStore& r) {
  r.widthLimits[kLeft] = {{1000, 30}, {2000, 35.5}};
  r.topsoil[kLeft] = {{900, 0.3, 0}};
  r.embankmentDitches[kLeft] = {EmbankmentDitchRow{.startDikeWidth = 1.5, .startBermWidth = 1}};
  r.sideDitches[kLeft] = {{1000, 0.3, 0.6, 0.5, 1, 1, 0.5}};
  r.embankmentSlopes[kLeft].rows.resize(2);
  r.embankmentSlopes[kLeft].rows[0] = MakeSlopeSegment(100, {{1.5, 8, 1, 0}, {1.75, 10, 1, 0}});
  r.embankmentSlopes[kLeft].rows[1] = MakeSlopeSegment(250, {kLevel});
  r.embankmentSlopes[kRight].rows.resize(kMaxSlopeSegments);
  r.embankmentSlopes[kRight].rows[0] =
      MakeSlopeSegment(1, std::vector(kMaxSlopeLevels - 1, kLevel));
}

class History : public PageTest {
 protected:
  PropertyPage& OpenSample(std::string_view className) {
    AddMainLine(project);
    Sample(*project.Record(0));
    return OpenPage<PropertyPage>(className, projectContext, {900, 620});
  }
  static CGridCtrl& Grid(const PropertyPage& page, int index) { return *PageGrids(page).at(index); }
  static void Key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static void Paste(CGridCtrl& grid, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    Key(&grid, Qt::Key_V);
  }
  State StateOf(const PropertyPage& page) {
    State state;
    auto& [texts, labels, tables] = state;
    for (const CGridCtrl* grid : PageGrids(page)) {
      texts.push_back(GridTexts::Of(*grid).texts);
      texts.push_back({QString::number(grid->GetFocusCell().row * 100 + grid->GetFocusCell().col)});
    }
    for (const QLabel* label : page.findChildren<QLabel*>()) labels << label->text();
    for (const TableDesc* table : AllTables())
      for (Side side : {kLeft, kRight})
        tables.push_back(TableSnapshot::Capture(*project.Record(0), *table, side));
    return state;
  }
  ScratchDir dir;
  SchemeSession project{"/nowhere"};
  ScriptedChooser chooser;
  PageContext projectContext{project, recorders.messages, chooser, recorders.trace};
};

TEST_F(History, EveryKindOfChangeIsOneStepThatTheKeysTakeBackAndBringAgain) {
  WriteTextFile(dir.File("t.mb"), FormatSlopeTemplate(std::vector<SlopeLevel>{{2, 3, 4, 5}}));
  const auto choose = [](int down) {  // the drop-down's item `down` below the cell's
    return [down](PropertyPage&, CGridCtrl& g) {
      ClickCell(g, g.GetFocusCell().row, g.GetFocusCell().col);
      for (int i = 0; i < down; ++i) Key(g.InPlaceEditor(), Qt::Key_Down, {});
      Key(g.InPlaceEditor(), Qt::Key_Return, {});
    };
  };
  const auto press = [](const char* name) {
    return [name](PropertyPage& p, CGridCtrl&) { Press(p.findChild<QPushButton*>(name)); };
  };
  const auto importTemplate = [&](PropertyPage& p, CGridCtrl& g) {
    chooser.answers = {dir.File("t.mb")}, press("importTemplate")(p, g);
  };
  using Case =
      std::tuple<std::string_view, int, CellId, std::function<void(PropertyPage&, CGridCtrl&)>>;
  const Case cases[] = {
      {"LUJXKFD", 0, {2, 1}, [](auto&, auto& g) { Type(g, 2, 1, "40"); }},
      {"CHTHD", 0, {1, 3}, choose(1)},
      {"CZLDSG", 0, {1, 1}, choose(2)},  // 2-路肩沟 empties the berm and the weir
      {"LUJXKFD",
       0,
       {1, 1},
       [](auto&, auto& g) { Key(&g, Qt::Key_A), Key(&g, Qt::Key_Delete, {}); }},
      {"LUJXKFD", 0, {2, 1}, [](auto&, auto& g) { Key(&g, Qt::Key_A), Key(&g, Qt::Key_X); }},
      {"LUJXKFD", 0, {1, 1}, [](auto&, auto& g) { Paste(g, "1\t2\n3\t4\n5\t6"); }},
      {"LUJXKFD", 0, {2, 2}, press("insertButton")},
      {"LUJXKFD", 0, {1, 2}, press("deleteButton")},
      // The write-back's radius check stores 0, and the radius typed goes back with it.
      {"CZLQSG", 0, {1, 7}, [](auto& p, auto& g) { Type(g, 1, 7, "0.2"), p.Leave(); }},
      {"CZLQSG", 0, {1, 1}, press("copyButton")},
      {"CHdmZLDBP", 0, {1, 1}, press("insertSegment")},
      {"CHdmZLDBP", 0, {3, 1}, press("insertSegment")},
      {"CHdmZLDBP", 0, {1, 1}, press("deleteSegment")},
      {"CHdmZLDBP", 0, {2, 1}, press("showLevels")},
      {"CHdmZLDBP", 0, {2, 1}, press("storeLevels")},
      {"CHdmZLDBP", 1, {3, 1}, press("insertLevel")},
      {"CHdmZLDBP", 1, {1, 1}, press("deleteLevel")},
      {"CHdmZLDBP", 0, {2, 1}, importTemplate},
      {"CHdmZLDBP", 0, {1, 1}, press("copy")},
  };
  for (const Case& c : cases) {
    const auto& [name, index, focus, change] = c;
    SCOPED_TRACE(std::string(name) + " case " + std::to_string(&c - cases));
    PropertyPage& page = OpenSample(name);
    CGridCtrl& grid = Grid(page, index);
    grid.SetFocusCell(focus.row, focus.col);
    const State before = StateOf(page);
    change(page, grid);
    page.Commit();
    const State after = StateOf(page);
    ASSERT_EQ(project.History().Stack(0)->count(), 1);
    Key(&grid, Qt::Key_Z);
    page.Commit();
    EXPECT_EQ(StateOf(page), before);
    Key(&grid, Qt::Key_Y);
    page.Commit();
    EXPECT_EQ(StateOf(page), after);
  }
}

TEST_F(History, TheMenuOffersTheRowButtonsAsTheyActAndAPasteBringsEveryLineOrSaysWhatItLeftOut) {
  using Case = std::tuple<std::string_view, int, CellId, QStringList, QString, int, int>;
  for (const auto& [name, index, target, enabled, text, rowsAfter, leftOut] :
       {Case{"LUJXKFD", 0, {1, 1}, {"插入一行", "删除一行"}, "1\t30\n2\t35.5\n5320.8\t40\n", 3, 0},
        Case{"lujbtwk", 0, {1, 1}, {"插入一行"}, "1000\t30\n2000", 2, 0},  // an empty table
        Case{"CHdmYLDBP", 0, {301, 1}, {}, "1\n2", 300, 2},
        Case{"CHdmYLDBP", 1, {29, 1}, {"增加一级", "删除一级"}, "3\n4\n5", 30, 1}}) {
    CGridCtrl& grid = Grid(OpenSample(name), index);
    grid.SetFocusCell(target.row, target.col);
    const QList<QAction*> actions = grid.CreateContextMenu()->actions();
    QStringList shown;
    for (QAction* action : actions.mid(actions.size() - 2))
      if (action->isEnabled()) shown << action->text();
    EXPECT_EQ(shown, enabled) << name;
    recorders.messages.texts.clear();
    Paste(grid, text);
    EXPECT_EQ(grid.GetTableRowCount(), rowsAfter) << name;
    EXPECT_EQ(grid.GetItemText(rowsAfter, 0).toInt(), rowsAfter) << name;  // numbered
    const std::vector<std::string> told(leftOut ? 1 : 0,
                                        PasteLeftOutMessage(leftOut).toStdString());
    EXPECT_EQ(recorders.messages.texts, told) << name;
  }
}

}  // namespace
}  // namespace hdmjm::test
