// The coefficient form: labels, defaults shown with three decimals, and a write-back that gives
// every road the same coefficients.
#include "grid/gridctrl.h"
#include "page_fixture.h"
#include "pages/ysxsdlg.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

class CoefficientForm : public PageTest {
 protected:
  CoefficientForm() {
    RoadRecordList records;
    for (const char* name : {"主线", "A线"}) {
      records.push_back(std::make_unique<RoadSectionStore>());
      records.back()->roadName = name;
      FindTable(kCompactionTable)->SetDefault(*records.back(), kLeft, 0, 100);
    }
    session.ReplaceRoads(std::move(records));
    session.SelectRoad(1);
    const PageEntry& entry = EntryOf("YSXSdlg");
    owned = entry.create(entry, context);
    form = dynamic_cast<YSXSdlg*>(owned.get());
    form->show();
    form->Initialize();
  }
  Texts Column(int col) {
    Texts texts;
    for (int row = 0; row < 3; ++row)
      texts.push_back(form->Grid().GetItemText(row, col).toStdString());
    return texts;
  }
  YSXSdlg* form = nullptr;
};

TEST_F(CoefficientForm, ShowsTheDefaultsBesideTheirLabelsWithThreeDecimals) {
  CGridCtrl& grid = form->Grid();
  EXPECT_EQ(form->objectName().toStdString(), "YSXSdlg");
  EXPECT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(grid.GetColumnCount(), 4);
  EXPECT_EQ(grid.GetFixedRowCount(), 0);
  EXPECT_EQ(Column(0), (Texts{"松  土", "普通土", "硬  土"}));
  EXPECT_EQ(Column(1), (Texts{"1.230", "1.160", "1.090"}));
  EXPECT_EQ(Column(2), (Texts{"软  石", "次坚石", "坚  石"}));  // 软石, not 软土
  EXPECT_EQ(Column(3), (Texts{"0.920", "0.920", "0.920"}));
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(grid.GetItemState(row, 0) & GridCell::kReadOnly);
    EXPECT_FALSE(grid.GetItemState(row, 1) & GridCell::kReadOnly);
    EXPECT_EQ(grid.GetItemFormat(row, 3), 0x25u);
  }
  EXPECT_EQ((std::vector<int>{grid.GetColumnWidth(0), grid.GetColumnWidth(1),
                              grid.GetColumnWidth(2), grid.GetColumnWidth(3)}),
            (std::vector<int>{84, 84, 85, 84}));
  EXPECT_EQ((std::vector<int>{grid.GetRowHeight(0), grid.GetRowHeight(1), grid.GetRowHeight(2)}),
            (std::vector<int>{30, 31, 31}));
}

TEST_F(CoefficientForm, TypedValuesReachEveryRoadAndTextThatIsNoNumberStoresZero) {
  Type(form->Grid(), 0, 3, "abc");
  Type(form->Grid(), 2, 1, "1.5x");
  ClickCell(form->Grid(), 0, 0);  // a label: nothing opens
  EXPECT_EQ(form->Grid().InPlaceEditor(), nullptr);
  form->Ok();
  const CompactionFactors expected{1.23, 1.16, 1.5, 0, 0.92, 0.92};
  EXPECT_EQ(session.Record(0)->compaction, expected);
  EXPECT_EQ(session.Record(1)->compaction, expected);
}

}  // namespace
}  // namespace hdmjm::test
