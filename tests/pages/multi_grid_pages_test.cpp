// The pages of three grids: the automatic-design ranges (their grids' order, OK-only write-back)
// and the associated-section page (the main-line rule, the 线间沟 radius check).
#include "pages/multi_grid_pages.h"

#include <QGroupBox>

#include "page_fixture.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;
using Ranges = std::vector<StationRangeRow>;

class MultiGridPages : public PageTest {
 protected:
  // Makes the scheme's only road `name`, with the record `Record()` returns.
  void NameRoad(const std::string& name) {
    RoadRecordList records;
    records.push_back(std::make_unique<RoadSectionStore>(recorders.services()));
    records.back()->roadName = name;
    session.ReplaceRoads(std::move(records));
  }
  static Texts GroupTitles(const QWidget& page) {
    Texts titles;
    for (const QGroupBox* group : page.findChildren<QGroupBox*>())
      titles.push_back(group->title().toStdString());
    return titles;
  }
  // Records the tables a page's grids write back, in order.
  static void WriteOrder(TablePage& page, std::vector<std::string>& order) {
    for (int i = 0; i < page.GridCount(); ++i) {
      TableBinding& binding = page.Binding(i);
      binding.SetRowCheck([&order, &binding](int, std::vector<FieldValue>&) {
        order.emplace_back(binding.Table().BaseName());
      });
    }
  }
};

TEST_F(MultiGridPages, AnAutoDesignPageWritesItsThreeGridsInItsOrderOnOkOnly) {
  Record().autoFlattenRanges[kRight] = {{10, 20}};
  Record().autoShoulderRanges[kRight] = {{30, 40}, {50, 60}};
  TablePage& page = Open("CRightAutoDesCS");
  EXPECT_FALSE(page.HasLeaveHandler());
  EXPECT_EQ(GroupTitles(page),
            (Texts{"低挖方路堑自动推平", "低填方路堤自动填平", "低填方路堤自动加宽土路肩"}));
  EXPECT_EQ(page.Heading()->text().toStdString(), "输入主线横断面数据");
  CGridCtrl& flatten = page.Grid(AutoDesignPage::kFlattenGrid);
  CGridCtrl& fill = page.Grid(AutoDesignPage::kFillGrid);
  EXPECT_EQ(RowTexts(flatten, 0), (Texts{"序 号", "起始里程", "终点里程"}));
  EXPECT_EQ(RowTexts(flatten, 1), (Texts{"1", "10", "20"}));
  EXPECT_EQ(fill.GetRowCount(), 2);  // the empty 填平 table
  EXPECT_EQ(page.Panel(0).insertButton->text().toStdString(), "增加一行");

  Type(flatten, 1, 2, "25");
  CGridCtrl& shoulder = page.Grid(AutoDesignPage::kShoulderGrid);
  ClickCell(shoulder, 1, 1);
  Press(page.Panel(AutoDesignPage::kShoulderGrid).deleteButton);
  page.Leave();  // no leave handler: nothing stored yet
  EXPECT_EQ(Record().autoFlattenRanges[kRight], (Ranges{{10, 20}}));

  std::vector<std::string> order;
  WriteOrder(page, order);
  Press(page.Panel(AutoDesignPage::kFillGrid).insertButton);  // one blank row into 填平
  page.Ok();
  EXPECT_EQ(order, (std::vector<std::string>{"低填路堤自动填平", "低挖路堑自动推平",
                                             "低填路堤自动加宽土路肩"}));
  EXPECT_EQ(Record().autoFillRanges[kRight], (Ranges{{0, 0}}));
  EXPECT_EQ(Record().autoFlattenRanges[kRight], (Ranges{{10, 25}}));
  EXPECT_EQ(Record().autoShoulderRanges[kRight], (Ranges{{50, 60}}));
  EXPECT_TRUE(Record().autoFlattenRanges[kLeft].empty());
}

TEST_F(MultiGridPages, AnAutoDesignPageWithAnEmptyFirstGridStillWritesTheOtherTwo) {
  Record().autoFlattenRanges[kLeft] = {{1, 2}};
  Record().autoShoulderRanges[kLeft] = {{3, 4}};
  TablePage& page = Open("CLeftAutoDesCS");
  Type(page.Grid(AutoDesignPage::kShoulderGrid), 1, 1, "3.5");
  page.Ok();
  EXPECT_TRUE(Record().autoFillRanges[kLeft].empty());
  EXPECT_EQ(Record().autoFlattenRanges[kLeft], (Ranges{{1, 2}}));
  EXPECT_EQ(Record().autoShoulderRanges[kLeft], (Ranges{{3.5, 4}}));
}

TEST_F(MultiGridPages, OnTheMainLineTheAssociatedSectionPageOnlyShowsItsMessage) {
  Record().assocShoulders = {{1, 2, 3, 4}};
  TablePage& page = Open("CGLDM");
  EXPECT_EQ(page.Heading()->text().toStdString(), "关联断面数据只在分离段线路上输入!");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(page.Grid(i).GetRowCount(), 0);
    EXPECT_EQ(page.Grid(i).GetColumnCount(), 0);
    Press(page.Panel(i).insertButton);
    Press(page.Panel(i).deleteButton);
    EXPECT_EQ(page.Grid(i).GetRowCount(), 0);
  }
  page.Leave();
  page.Ok();
  EXPECT_EQ(Record().assocShoulders, (std::vector<AssocShoulderRow>{{1, 2, 3, 4}}));
}

TEST_F(MultiGridPages, OnlyTheExactNameCountsAsTheMainLine) {
  for (const std::string name : {"主线 ", "主线2", "连接线"}) {
    SCOPED_TRACE(name);
    NameRoad(name);
    Record().assocCutFlattens = {{5, 6, 7}};  // shown although 路肩拉直 is empty
    TablePage& page = Open("CGLDM");
    EXPECT_EQ(page.Heading()->text().toStdString(), "输入" + name + "横断面数据");
    EXPECT_EQ(RowTexts(page.Grid(CGLDM::kCutFlattenGrid), 1), (Texts{"1", "5", "6", "7"}));
    EXPECT_EQ(page.Grid(CGLDM::kShoulderGrid).GetRowCount(), 2);
  }
}

TEST_F(MultiGridPages, TheAssociatedSectionPageChecksTheMedianDitchRadiusAndCommitsWhenLeft) {
  NameRoad("连接线");
  AssocMedianDitchRow ditch{};
  ditch.width = 1.0;
  ditch.bottomRadius = 0.4;
  AssocMedianDitchRow half = ditch, flat = ditch;
  half.bottomRadius = 0.5;
  flat.bottomRadius = 0;
  Record().assocMedianDitches = {ditch, half, flat};
  Record().assocShoulders = {{1, 2, 3, 4}};
  Record().assocCutFlattens = {{5, 6, 7}};
  TablePage& page = Open("CGLDM");
  EXPECT_EQ(GroupTitles(page), (Texts{"路肩拉直参数设置", "线间沟参数设置", "路堑边坡推平设置"}));
  CGridCtrl& ditches = page.Grid(CGLDM::kMedianDitchGrid);
  EXPECT_EQ(RowTexts(ditches, 0),
            (Texts{"序 号", "分段起始里程", "分段终止里程", "水沟沟底宽(m)", "沟深(m)",
                   "内侧边坡(1:)", "外侧边坡(1:)", "浆砌厚度(m)", "沟底半径(m)"}));
  for (int col = 0; col < ditches.GetColumnCount(); ++col)
    EXPECT_EQ(ditches.GetItemFormat(0, col), 0x8015u) << col;
  EXPECT_EQ(page.Panel(CGLDM::kMedianDitchGrid).insertButton->text().toStdString(), "增加一行");

  Type(page.Grid(CGLDM::kShoulderGrid), 1, 4, "0.75");
  page.Leave();
  EXPECT_EQ(recorders.messages.texts,
            (Texts{"连接线关联断面第1行线间沟沟底半径小于半个水沟底宽！请重新设置沟底半径！"}));
  std::vector<double> radii;
  for (const AssocMedianDitchRow& row : Record().assocMedianDitches)
    radii.push_back(row.bottomRadius);
  EXPECT_EQ(radii, (std::vector<double>{0, 0.5, 0}));
  EXPECT_EQ(Record().assocShoulders, (std::vector<AssocShoulderRow>{{1, 2, 3, 0.75}}));

  std::vector<std::string> order;
  TablePage& again = Open("CGLDM");
  WriteOrder(again, order);
  again.Ok();
  EXPECT_EQ(order,
            (std::vector<std::string>{"关联断面路肩拉直", "关联断面路堑边坡推平", "关联断面线间沟",
                                      "关联断面线间沟", "关联断面线间沟"}));
}

}  // namespace
}  // namespace hdmjm::test
