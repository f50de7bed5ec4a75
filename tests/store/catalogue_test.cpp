// A table's columns are described one line each: renaming a column or inserting one changes
// that line alone, and every use of the table follows.
#include <gtest/gtest.h>

#include "store/row_table.h"

namespace hdmjm {
namespace {

// 清表土厚度 as it would be with a column inserted before 清表土性质 and 清表土厚度 renamed.
struct ChangedTopsoilRow {
  double endStation = 0;
  double depth = 0;
  double added = 0;
  int kind = 0;
};

std::vector<ChangedTopsoilRow>& ChangedRows(RoadSectionStore&, Side side) {
  static PerSide<std::vector<ChangedTopsoilRow>> rows;
  return rows[side];
}

TEST(Catalogue, ARenamedOrInsertedColumnIsOneLineOfItsTable) {
  const TableDesc& real = *FindTable(kTopsoilTable);
  using Row = ChangedTopsoilRow;
  const RowTable<Row> changed(kTopsoilTable, TableScope::Side, &ChangedRows,
                              {{"分段终里程 double", &Row::endStation},
                               {"清表土深度 double precision", &Row::depth},
                               {"新增列 double precision", &Row::added, nullptr, 2},
                               {"清表土性质 INTEGER", &Row::kind, &kTopsoilKinds}});
  for (Side side : {kLeft, kRight}) {
    const auto& before = real.ColumnDefinitions(side);
    const auto& after = changed.ColumnDefinitions(side);
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back(), before.back());
    EXPECT_EQ(changed.ColumnIndex(side, "清表土深度"), real.ColumnIndex(side, "清表土厚度"));
    EXPECT_EQ(changed.ColumnIndex(side, "清表土厚度"), -1);
    // The coded column keeps its labels wherever it moved.
    const DataColumn& kind = changed.DataColumns(side).back();
    EXPECT_EQ(kind.kind, FieldKind::Code);
    EXPECT_EQ(kind.codes, real.DataColumns(side).back().codes);
    EXPECT_EQ(changed.DataColumns(side)[changed.ColumnIndex(side, "新增列")].decimals, 2);
  }
  RoadSectionStore record;
  changed.ReplaceRows(record, kLeft, {{100.0, 0.3, 1.5, 1}});
  EXPECT_EQ(ChangedRows(record, kLeft)[0].added, 1.5);
  EXPECT_EQ(changed.Get(record, kLeft, 0, changed.ColumnIndex(kLeft, "清表土性质")), FieldValue(1));
}

}  // namespace
}  // namespace hdmjm
