// The sample project a newcomer starts from: every page of both side sheets, on every road, is
// shown and left without a single complaint, and confirming the sheets changes nothing in the
// records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/sheets.h"
#include "app_fixture.h"
#include "store/catalogue.h"
#include "store/scheme.h"

namespace hdmjm::test {
namespace {

// Every value of every table of the record, reals to the last bit.
std::string ExactRecordText(const RoadSectionStore& record) {
  std::ostringstream text;
  text.precision(17);
  for (const TableStep& step : LoadOrder()) {
    const TableDesc& table = *step.table;
    text << table.Name(step.side) << '\n';
    for (int row = 0; row < table.RowCount(record, step.side); ++row) {
      for (int c = 0; c < table.ColumnsInUse(record, step.side, row); ++c)
        std::visit([&](const auto& value) { text << value << ' '; },
                   table.Get(record, step.side, row, c));
      text << '\n';
    }
  }
  return text.str();
}

TEST(SampleProject, EveryPageOfEverySideSheetIsShownAndLeftWithoutAComplaint) {
  ScratchDir scratch;
  const std::string command =
      std::string("'") + HDMJM_TOOL + "' sample '" + scratch.path().string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Recorders recorders;
  SchemeStore scheme(recorders.services());
  ASSERT_TRUE(scheme.Open((scratch.path() / "改移道路" / "data" / "示例方案.mdb").string()));
  SchemeSession session{"/nowhere"};
  session.ReplaceRoads(scheme.TakeRecords());
  ScriptedFileChooser files;
  const PageContext context{session, recorders.messages, files, recorders.trace};

  for (int road = 0; road < session.RoadCount(); ++road) {
    ASSERT_TRUE(session.SelectRoad(road));
    RoadSectionStore& record = *session.CurrentRecord();
    const std::string before = ExactRecordText(record);
    for (bool left : {true, false}) VisitSideSheet(left, context, 1, [](PropertySheet&, int) {});
    EXPECT_EQ(recorders.messages.texts, std::vector<std::string>{}) << record.roadName;
    EXPECT_EQ(ExactRecordText(record), before) << record.roadName;
    recorders.messages.texts.clear();
  }
}

}  // namespace
}  // namespace hdmjm::test
