// The four slope pages through their widgets: fill, segments and levels inserted and deleted,
// "边坡参数" and "录入参数", write-back on leaving and OK, copy to the other side, templates, the
// preview's choice of data, and the limits of 300 segments and 30 levels.
#include "pages/slope_pages.h"

#include <QGroupBox>
#include <fstream>

#include "page_fixture.h"
#include "slopes/preview_box.h"
#include "slopes/scripted_chooser.h"
#include "slopes/slope_template.h"
#include "store/codec.h"
#include "store/project_paths.h"

namespace hdmjm::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using Page = SlopeEditorPage;

const std::vector<SlopeLevel> kStandard = {{1.5, 8, 1, 0}, {1.75, 10, 1, 0}, {2, 100, 1, 0}};

void ExpectSame(const SlopeSegment& a, const SlopeSegment& b) {
  EXPECT_EQ(a.endStation, b.endStation);
  EXPECT_EQ(a.levelCount, b.levelCount);
  EXPECT_EQ(a.levels, b.levels);
}

Texts Column(const CGridCtrl& grid, int col) {
  Texts texts;
  for (int row = 1; row < grid.GetRowCount(); ++row)
    texts.push_back(grid.GetItemText(row, col).toStdString());
  return texts;
}

// An install root whose workdir file names a project folder with a data folder.
fs::path MakeProject(const ScratchDir& dir) {
  const fs::path root = dir.path() / "install", base = dir.path() / "Road Works";
  fs::create_directories(root);
  fs::create_directories(base / "改移道路" / "data");
  WriteTextFile(root / "workdir", WorkdirToken(base.string()) + "\n");
  WriteTextFile(base / "改移道路" / "project", "方案一\n");
  return root;
}

class SlopePageTest : public PageTest {
 protected:
  SlopePageTest() {
    AddMainLine(project);
    SlopeTable& left = Road().embankmentSlopes[kLeft];
    left.rows.resize(2);
    left.rows[0] = MakeSlopeSegment(100, kStandard);
    left.rows[1] = MakeSlopeSegment(250.5, {{1, 5, 2, 4}});
  }

  RoadSectionStore& Road() { return *project.Record(0); }
  SlopeTable& Table(PerSide<SlopeTable> RoadSectionStore::*kind, Side side) {
    return (Road().*kind)[side];
  }
  std::string DataFile(const std::string& name) const {
    return (dir.path() / "Road Works" / "改移道路" / "data" / name).string();
  }

  Page& OpenSlope(std::string_view className) {
    return OpenPage<Page>(className, slopeContext, {900, 620});
  }
  static void Press(Page& page, Page::Button button) { PageTest::Press(page.ButtonOf(button)); }
  static void Focus(CGridCtrl& grid, int row) {
    if (grid.GetFocusCell().row == row) return;  // a click on the focus cell would edit it
    grid.EnsureVisible(row, 1);
    ClickCell(grid, row, 1);
  }

  ScratchDir dir;
  SchemeSession project{MakeProject(dir)};
  ScriptedChooser chooser;
  PageContext slopeContext{project, recorders.messages, chooser, recorders.trace};
};

TEST_F(SlopePageTest, FillShowsTheSegmentsAndTheLevelsOfTheFirstWithItsPreview) {
  Page& page = OpenSlope("CHdmZLDBP");
  CGridCtrl& segments = page.SegmentGrid();
  EXPECT_EQ(RowTexts(segments, 0), (Texts{"序号", "分段终里程"}));
  EXPECT_EQ(Column(segments, 0), (Texts{"1", "2", "3"}));
  EXPECT_EQ(Column(segments, 1), (Texts{"100", "250.500", ""}));
  EXPECT_TRUE(segments.GetItemState(3, 1) & GridCell::kReadOnly);
  EXPECT_FALSE(segments.GetItemState(2, 1) & GridCell::kReadOnly);
  EXPECT_EQ(segments.GetFocusCell(), (CellId{1, 1}));
  EXPECT_EQ(segments.GetColumnWidth(1), 100);
  EXPECT_EQ(segments.GetRowHeight(2), 20);
  EXPECT_EQ(segments.GetTextBkColor(), QColor(255, 255, 224));
  EXPECT_EQ(segments.GetFixedBkColor(), QColor(200, 200, 150));

  CGridCtrl& levels = page.LevelGrid();
  EXPECT_EQ(RowTexts(levels, 0),
            (Texts{"序号", "边坡系数", "限制高(m)", "平台宽(m)", "平台坡(%)"}));
  EXPECT_EQ(RowTexts(levels, 2), (Texts{"2", "1.75", "10.00", "1.00", "0.00"}));
  EXPECT_EQ(RowTexts(levels, 4), (Texts{"4", "", "", "", ""}));
  EXPECT_TRUE(levels.GetItemState(4, 2) & GridCell::kReadOnly);
  EXPECT_EQ(levels.GetColumnWidth(0), 40);
  EXPECT_EQ(levels.GetColumnWidth(4), 70);
  EXPECT_EQ(levels.GetItemFormat(0, 1), kCellFormat);  // the left pages' headings stay on a line

  EXPECT_EQ(page.Title()->text(), "输入主线横断面数据");
  EXPECT_TRUE(page.LevelCaption()->text().isEmpty());
  Texts captions;
  for (int b = 0; b < Page::kButtonCount; ++b)
    captions.push_back(page.ButtonOf(Page::Button(b))->text().toStdString());
  EXPECT_EQ(captions, (Texts{"增加分段", "删除分段", "复制到右侧", "边坡参数", "增加一级",
                             "删除一级", "录入参数", "刷新视图", "导入模板", "存为模板"}));
  QStringList groups;
  for (auto* group : page.findChildren<QGroupBox*>()) groups << group->title();
  EXPECT_EQ(groups, (QStringList{"分段里程", "各分段对应边坡参数"}));

  // Until "刷新视图" the preview draws the table's first segment.
  const QImage shown = page.Preview()->grab().toImage();
  ASSERT_TRUE(page.Preview()->Drawing().has_value());
  const PreviewDrawing expected =
      SlopePreview(Road().embankmentSlopes[kLeft].rows[0], SlopePage::LeftEmbankment, shown.width(),
                   shown.height());
  EXPECT_EQ(page.Preview()->Drawing()->strokes, expected.strokes);
  EXPECT_FALSE(expected.strokes.empty());
}

TEST_F(SlopePageTest, TheFourPagesDifferOnlyAsTheirRowsSay) {
  struct Expected {
    std::string_view className;
    PerSide<SlopeTable> RoadSectionStore::*kind;
    Side side;
    const char *copy, *caption;
    bool wraps;
    int notes;
  };
  const Expected pages[] = {
      {"CHdmZLDBP", &RoadSectionStore::embankmentSlopes, kLeft, "复制到右侧", "1235", false, 1},
      {"CHdmYLDBP", &RoadSectionStore::embankmentSlopes, kRight, "复制到左侧", "1235", true, 1},
      {"CHdmZLQBP", &RoadSectionStore::cutSlopes, kLeft, "复制到右侧", "1234.56", false, 2},
      {"CHdmYLQBP", &RoadSectionStore::cutSlopes, kRight, "复制到左侧", "1235", true, 2},
  };
  for (const Expected& expected : pages) {
    SCOPED_TRACE(expected.className);
    SlopeTable& table = Table(expected.kind, expected.side);
    table.rows.resize(1);
    table.rows[0] = MakeSlopeSegment(1234.56, {{1, 2, 3, 4}});
    Page& page = OpenSlope(expected.className);
    EXPECT_EQ(page.ButtonOf(Page::kCopy)->text().toStdString(), expected.copy);
    EXPECT_EQ(Column(page.SegmentGrid(), 1), (Texts{"1234.560", ""}));
    CGridCtrl& levels = page.LevelGrid();
    EXPECT_EQ(levels.GetItemFormat(0, 1) == kWrappingHeaderFormat, expected.wraps);
    EXPECT_EQ(levels.GetItemFormat(0, 2), kCellFormat);
    if (expected.wraps) {
      EXPECT_EQ(levels.GetFocusCell(), (CellId{1, 1}));
    }
    Press(page, Page::kShowLevels);
    EXPECT_EQ(page.LevelCaption()->text().toStdString(),
              "请输入第1分段, 分段终里程: " + std::string(expected.caption) + " 的边坡参数");
    EXPECT_EQ(RowTexts(levels, 1), (Texts{"1", "1.00", "2.00", "3.00", "4.00"}));
    int notes = 0;
    for (auto* label : page.findChildren<QLabel*>())
      if (label->text().startsWith("注：") || label->text().startsWith("2. 路堑顶")) ++notes;
    EXPECT_EQ(notes, expected.notes);
  }
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(SlopePageTest, AnEmptyTableAsksForTheEndStationAndGrowsByEmptySegments) {
  SlopeTable& table = Table(&RoadSectionStore::cutSlopes, kRight);
  table.rows.clear();
  Page& page = OpenSlope("CHdmYLQBP");
  CGridCtrl& segments = page.SegmentGrid();
  EXPECT_EQ(RowTexts(segments, 1), (Texts{"1", ""}));
  EXPECT_TRUE(segments.GetItemState(1, 1) & GridCell::kReadOnly);
  EXPECT_EQ(page.LevelGrid().GetRowCount(), 2);

  Press(page, Page::kDeleteSegment);
  EXPECT_EQ(segments.GetRowCount(), 2);
  Press(page, Page::kShowLevels);
  EXPECT_EQ(recorders.messages.texts, (std::vector<std::string>{"请先输入分段终里程!"}));
  EXPECT_EQ(page.LevelCaption()->text(), "请输入第1分段, 分段终里程: 0 的边坡参数");
  EXPECT_EQ(page.LevelGrid().GetRowCount(), 2);
  EXPECT_EQ(table.Count(), 0);

  Press(page, Page::kInsertSegment);
  EXPECT_EQ(Column(segments, 1), (Texts{"", ""}));
  EXPECT_EQ(table.Count(), 1);
  ExpectSame(table.rows[0], SlopeSegment{});
  // The table's only segment has no levels: a cut's preview is the grey box alone.
  page.Preview()->grab();
  ASSERT_TRUE(page.Preview()->Drawing().has_value());
  EXPECT_TRUE(page.Preview()->Drawing()->strokes.empty());
}

TEST_F(SlopePageTest, InsertingAndDeletingSegmentsMovesTheTablesSlots) {
  SlopeTable& table = Table(&RoadSectionStore::cutSlopes, kLeft);
  const SlopeSegment only = MakeSlopeSegment(500, {{1, 8, 1, 0}, {1.25, -2, 2, 4}});
  table.rows.resize(1);
  table.rows[0] = only;
  Page& page = OpenSlope("CHdmZLQBP");
  CGridCtrl& segments = page.SegmentGrid();
  Press(page, Page::kInsertSegment);  // the focus is on row 1
  EXPECT_EQ(Column(segments, 1), (Texts{"500", "500", ""}));
  EXPECT_EQ(table.Count(), 2);
  ExpectSame(table.rows[0], only);
  ExpectSame(table.rows[1], only);

  Type(segments, 2, 1, "800");
  Focus(segments, 3);
  Press(page, Page::kInsertSegment);  // on the append row: a copy of the row above
  EXPECT_EQ(Column(segments, 1), (Texts{"500", "800", "800", ""}));
  EXPECT_EQ(segments.GetFocusCell(), (CellId{3, 1}));
  EXPECT_EQ(table.Count(), 3);
  ExpectSame(table.rows[2], table.rows[1]);

  table.rows[2].levelCount = 1;  // tell the last segment apart
  Focus(segments, 4);
  Press(page, Page::kDeleteSegment);  // the append row: nothing
  EXPECT_EQ(table.Count(), 3);
  Focus(segments, 1);
  Press(page, Page::kDeleteSegment);
  EXPECT_EQ(Column(segments, 0), (Texts{"1", "2", "3"}));
  EXPECT_EQ(Column(segments, 1), (Texts{"800", "800", ""}));
  EXPECT_EQ(table.Count(), 2);
  EXPECT_EQ(table.rows[1].levelCount, 1);
  page.Ok();
  EXPECT_EQ(table.rows[0].endStation, 800);
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(SlopePageTest, LevelRowsChangeTheGridOnlyUntilStored) {
  Page& page = OpenSlope("CHdmZLDBP");
  CGridCtrl& levels = page.LevelGrid();
  Focus(levels, 4);
  Press(page, Page::kInsertLevel);  // repeats the last level
  EXPECT_EQ(RowTexts(levels, 4), (Texts{"4", "2.00", "100.00", "1.00", "0.00"}));
  EXPECT_EQ(levels.GetFocusCell(), (CellId{4, 1}));
  Focus(levels, 5);
  Press(page, Page::kDeleteLevel);  // the append row: nothing
  EXPECT_EQ(levels.GetRowCount(), 6);
  Focus(levels, 1);
  Press(page, Page::kDeleteLevel);
  EXPECT_EQ(Column(levels, 0), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(Column(levels, 1), (Texts{"1.75", "2.00", "2.00", ""}));
  ExpectSame(Road().embankmentSlopes[kLeft].rows[0], MakeSlopeSegment(100, kStandard));

  Press(page, Page::kStoreLevels);  // into segment 1, the segment grid's focus row
  const SlopeSegment& stored = Road().embankmentSlopes[kLeft].rows[0];
  EXPECT_EQ(stored.levelCount, 3);
  EXPECT_EQ(stored.levels[0], kStandard[1]);
  EXPECT_EQ(stored.levels[2], kStandard[2]);
}

TEST_F(SlopePageTest, OnTheLeftPagesTheLevelButtonsActAtOnceAfterLevelsAreShownOrImported) {
  WriteTextFile(DataFile("标准.mb"), FormatSlopeTemplate(kStandard));
  Table(&RoadSectionStore::cutSlopes, kLeft).rows.resize(1);
  Table(&RoadSectionStore::cutSlopes, kLeft).rows[0] = MakeSlopeSegment(100, kStandard);
  for (std::string_view className : {"CHdmZLDBP", "CHdmZLQBP"}) {
    for (Page::Button shows : {Page::kShowLevels, Page::kImportTemplate}) {
      SCOPED_TRACE(std::string(className) + " " + std::to_string(shows));
      Page& page = OpenSlope(className);
      chooser.answers = {DataFile("标准.mb")};
      Press(page, shows);
      Press(page, Page::kInsertLevel);
      EXPECT_EQ(page.LevelGrid().GetRowCount(), 6);
      Press(page, Page::kDeleteLevel);
      Press(page, Page::kDeleteLevel);
      EXPECT_EQ(page.LevelGrid().GetRowCount(), 4);
    }
  }
}

TEST_F(SlopePageTest, LeavingStoresTheEndStationsButLevelEditsNeedStoring) {
  Page& page = OpenSlope("CHdmZLDBP");
  Type(page.SegmentGrid(), 1, 1, "120");
  Type(page.LevelGrid(), 1, 1, "3");
  page.Leave();
  const SlopeTable& table = Road().embankmentSlopes[kLeft];
  EXPECT_EQ(table.rows[0].endStation, 120);
  EXPECT_EQ(table.rows[0].levels[0].ratio, 1.5);

  page.Activate();  // back on the page: the grids are as they were
  EXPECT_EQ(page.LevelGrid().GetItemText(1, 1), "3");
  Type(page.SegmentGrid(), 2, 1, "260abc");
  recorders.messages.answers = {kDiscardThem};  // asked first: the unstored 3 is put back
  Press(page, Page::kShowLevels);
  EXPECT_EQ(page.CurrentSegment(), 1);
  EXPECT_EQ(page.LevelCaption()->text(), "请输入第2分段, 分段终里程: 260 的边坡参数");
  EXPECT_EQ(page.LevelGrid().GetItemText(1, 4), "4.00");
  page.Ok();
  EXPECT_EQ(table.Count(), 2);
  EXPECT_EQ(table.rows[1].endStation, 260);
  EXPECT_EQ(table.rows[0].levels[0].ratio, 1.5);  // the edit of 3 was never stored
}

TEST_F(SlopePageTest, StoringGoesToTheFocusedSegmentNotTheOneLastShown) {
  SlopeTable& table = Road().embankmentSlopes[kLeft];
  table.rows.resize(3);
  table.rows[2] = MakeSlopeSegment(400, {{9, 9, 9, 9}});
  Page& page = OpenSlope("CHdmZLDBP");
  Focus(page.SegmentGrid(), 2);
  Press(page, Page::kShowLevels);
  Type(page.LevelGrid(), 1, 3, "2.5");
  Focus(page.SegmentGrid(), 3);
  Press(page, Page::kStoreLevels);
  EXPECT_EQ(page.CurrentSegment(), 1);
  ExpectSame(table.rows[1], MakeSlopeSegment(250.5, {{1, 5, 2, 4}}));
  ExpectSame(table.rows[2], MakeSlopeSegment(400, {{1, 5, 2.5, 4}}));

  // On the append row the levels go into a spare segment beside the table: stored, so leaving
  // asks nothing, and the table keeps its three segments.
  Focus(page.SegmentGrid(), 4);
  Press(page, Page::kStoreLevels);
  EXPECT_EQ(table.Count(), 3);
  EXPECT_TRUE(page.CanLeave());
  EXPECT_TRUE(recorders.messages.texts.empty());
}

TEST_F(SlopePageTest, CopyingThreeSegmentsOverFiveLeavesThree) {
  SlopeTable& left = Table(&RoadSectionStore::cutSlopes, kLeft);
  SlopeTable& right = Table(&RoadSectionStore::cutSlopes, kRight);
  left.rows.resize(3);
  for (int i = 0; i < 3; ++i) left.rows[i] = MakeSlopeSegment(100 * (i + 1), {{1.0 + i, 8, 1, 0}});
  right.rows.resize(5);
  for (int i = 0; i < 5; ++i) right.rows[i] = MakeSlopeSegment(50 * i, {});
  Page& page = OpenSlope("CHdmZLQBP");
  Type(page.SegmentGrid(), 1, 1, "111");
  Press(page, Page::kCopy);
  EXPECT_EQ(left.rows[0].endStation, 111);  // written back first
  ASSERT_EQ(right.Count(), 3);
  for (int i = 0; i < 3; ++i) ExpectSame(right.rows[i], left.rows[i]);
  EXPECT_TRUE(Road().embankmentSlopes[kRight].rows.empty());  // only its own kind
}

TEST_F(SlopePageTest, ACutsArcRadiusIsKeptAndShownWithTwoDecimals) {
  SlopeTable& table = Table(&RoadSectionStore::cutSlopes, kRight);
  table.rows.resize(1);
  table.rows[0] = MakeSlopeSegment(900, {{1, 8, 2, 0}, {1.5, -2, 0, 0}});
  Page& page = OpenSlope("CHdmYLQBP");
  EXPECT_EQ(page.LevelGrid().GetItemText(2, 2), "-2.00");
  Press(page, Page::kStoreLevels);
  page.Ok();
  EXPECT_EQ(table.rows[0].levels[1].maxHeight, -2);
}

TEST_F(SlopePageTest, AFullTableAndAFullSegmentRefuseMoreWithAPlainMessage) {
  SlopeTable& table = Road().embankmentSlopes[kLeft];
  table.rows.resize(kMaxSlopeSegments);
  for (int i = 0; i < kMaxSlopeSegments; ++i)
    table.rows[i] = MakeSlopeSegment(10.0 * i, {{1, 1, 1, 1}});
  table.rows[0] = MakeSlopeSegment(0, std::vector<SlopeLevel>(kMaxSlopeLevels, kStandard[0]));
  Page& page = OpenSlope("CHdmZLDBP");
  CGridCtrl& segments = page.SegmentGrid();
  Focus(segments, 300);
  Press(page, Page::kInsertSegment);
  EXPECT_EQ(segments.GetRowCount(), kMaxSlopeSegments + 2);
  Focus(segments, kMaxSlopeSegments + 1);
  Press(page, Page::kStoreLevels);  // the append row of a full table names no slot
  Press(page, Page::kShowLevels);
  EXPECT_EQ(table.Count(), kMaxSlopeSegments);
  EXPECT_EQ(table.rows.size(), static_cast<size_t>(kMaxSlopeSegments));
  EXPECT_EQ(recorders.messages.texts, std::vector<std::string>(3, "每侧最多300个分段!"));

  CGridCtrl& levels = page.LevelGrid();
  ASSERT_EQ(levels.GetRowCount(), kMaxSlopeLevels + 2);
  Focus(levels, 3);
  Press(page, Page::kInsertLevel);
  EXPECT_EQ(levels.GetRowCount(), kMaxSlopeLevels + 2);
  EXPECT_EQ(recorders.messages.texts.back(), "每个分段最多30级边坡!");
}

TEST_F(SlopePageTest, ThePreviewDrawsTheGridsOnlyAfterRefresh) {
  Page& page = OpenSlope("CHdmYLDBP");
  SlopeTable& table = Road().embankmentSlopes[kRight];
  table.rows.resize(1);
  table.rows[0] = MakeSlopeSegment(5, {{1, 2, 0, 0}});
  page.Refill();
  Type(page.LevelGrid(), 1, 1, "3");
  ExpectSame(*page.PreviewSegment(), table.rows[0]);  // edits do not reach the preview
  Press(page, Page::kRefresh);
  EXPECT_TRUE(page.PreviewFromGrids());
  ExpectSame(*page.PreviewSegment(), MakeSlopeSegment(5, {{3, 2, 0, 0}}));
  const PreviewDrawing drawn = SlopePreview(*page.PreviewSegment(), SlopePage::RightEmbankment,
                                            page.Preview()->width(), page.Preview()->height());
  page.Preview()->grab();
  EXPECT_EQ(page.Preview()->Drawing()->strokes, drawn.strokes);

  Focus(page.SegmentGrid(), 2);  // the append row: nothing new is drawn
  EXPECT_FALSE(page.PreviewSegment().has_value());
  page.Preview()->grab();
  EXPECT_EQ(page.Preview()->Drawing()->strokes, drawn.strokes);
  Focus(page.SegmentGrid(), 1);
  Focus(page.LevelGrid(), 1);
  Press(page, Page::kDeleteLevel);  // no level rows: nothing to draw
  EXPECT_FALSE(page.PreviewSegment().has_value());
}

TEST_F(SlopePageTest, TemplatesSaveTheGridAndImportIntoTheFocusedSegment) {
  Page& page = OpenSlope("CHdmZLDBP");
  Type(page.SegmentGrid(), 1, 1, "1234.56");
  chooser.answers = {DataFile("标准")};
  Press(page, Page::kSaveTemplate);
  ASSERT_EQ(chooser.asked.size(), 1u);
  EXPECT_EQ(chooser.asked[0].initialName, DataFile("左路堤边坡模版1235.mb"));
  std::ifstream saved(DataFile("标准.mb"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), FormatSlopeTemplate(kStandard));

  SlopeTable& table = Road().embankmentSlopes[kLeft];
  Focus(page.SegmentGrid(), 2);
  chooser.answers = {DataFile("标准.mb")};
  Press(page, Page::kImportTemplate);
  EXPECT_EQ(page.CurrentSegment(), 1);
  ExpectSame(table.rows[1], MakeSlopeSegment(250.5, kStandard));
  EXPECT_EQ(Column(page.LevelGrid(), 3), (Texts{"1.00", "1.00", "1.00", ""}));
  EXPECT_TRUE(page.LevelCaption()->text().isEmpty());  // import leaves the caption

  WriteTextFile(DataFile("bad.mb"), "40\n1 2 3 4\n");
  Focus(page.SegmentGrid(), 1);
  chooser.answers = {DataFile("bad.mb")};
  Press(page, Page::kImportTemplate);
  ExpectSame(table.rows[0], MakeSlopeSegment(1234.56, kStandard));
  ASSERT_EQ(recorders.messages.texts.size(), 1u);
  EXPECT_NE(recorders.messages.texts[0].find(DataFile("bad.mb")), std::string::npos);
  EXPECT_EQ(page.LevelGrid().GetRowCount(), 5);
}

}  // namespace
}  // namespace hdmjm::test
