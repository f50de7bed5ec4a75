// Another program saving the sample scheme while the main sheet is open: the settings page says
// which roads it changed and reloads those the designer left alone, and OK asks before it would
// overwrite a table the other program saved.
#include <gtest/gtest.h>

#include <QLabel>

#include "app/setdlg.h"
#include "app/sheets.h"
#include "app_fixture.h"
#include "pages/table_page.h"
#include "store/messages.h"

namespace hdmjm::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(ConflictSheetTest, AnotherSaveOfTheEditedTableIsAskedAboutAndLaterKeepsTheSheetOpen) {
  SchemeProject project;
  const std::string& database = project.database;
  ASSERT_EQ(std::system(
                ("'" HDMJM_TOOL "' sample '" + project.scratch.File("s") + "' >/dev/null").c_str()),
            0);
  std::filesystem::copy_file(project.scratch.path() / "s/改移道路/data/示例方案.mdb", database);
  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{project.installRoot};
  PageContext context{session, recorders.messages, files, recorders.trace};
  HDMJM sheet(context, nullptr, MainSheetPages());
  sheet.show();
  auto& settings = *qobject_cast<SetDlg*>(sheet.Page(0));
  const auto limits = [&](const std::string& road) {
    return QuerySql(database, "SELECT 路基限宽 FROM 左横断面限制宽度 WHERE 道路名 = '" + road +
                                  "' ORDER BY 序号");
  };
  // Another program changes 主线's first row (45 → 50) and 连接线's rows; the file watcher tells.
  RunSql(database,
         {"UPDATE 左横断面限制宽度 SET 路基限宽 = 50 WHERE 道路名 = '主线' AND 路基限宽 = 45",
          "UPDATE 左横断面限制宽度 SET 路基限宽 = 路基限宽 + 1 WHERE 道路名 = '连接线'"});
  QTRY_VERIFY_WITH_TIMEOUT(settings.ChangesLabel()->isVisible(), 5000);
  EXPECT_EQ(settings.ChangesLabel()->text().toStdString(),
            messages::RoadsChangedElsewhere("主线、连接线"));

  // The designer types 61 into 主线's second row.
  {
    HDMContainer left(context);
    left.show();
    Type(dynamic_cast<TablePage*>(left.Page(0))->Grid(), 2, 2, "61");
    ClickButton(left, QDialogButtonBox::Ok);
  }
  // One button reloads the road the designer left alone; the edited one is only named.
  QTest::mouseClick(settings.ReloadButton(), Qt::LeftButton);
  EXPECT_EQ(recorders.messages.texts.back(), messages::EditedNotReloaded("主线"));
  EXPECT_EQ(settings.ChangesLabel()->text().toStdString(), messages::RoadsChangedElsewhere("主线"));
  EXPECT_EQ(session.Record(1)->widthLimits[kLeft].at(0).widthLimit,
            std::stod(limits("连接线").at(0).at(0)));

  // OK asks; later writes nothing of the table and keeps the sheet and the edit.
  recorders.messages.texts.clear();
  recorders.messages.answers = {2};
  ClickButton(sheet, QDialogButtonBox::Ok);
  ASSERT_FALSE(recorders.messages.texts.empty());
  EXPECT_EQ(recorders.messages.texts[0],
            messages::ConflictQuestion("主线", "左横断面限制宽度",
                                       messages::OtherSaveChanged(0, 0, 1, false)));
  EXPECT_EQ(recorders.messages.texts.back(), messages::TablesLeft(database));
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(limits("主线"), (Rows{{"50.0"}, {"60.0"}}));
  EXPECT_EQ(session.Record(0)->widthLimits[kLeft].at(1).widthLimit, 61);

  // OK again, keeping theirs: the other's rows come in, nothing is left to save.
  recorders.messages.answers = {0};
  ClickButton(sheet, QDialogButtonBox::Ok);
  EXPECT_FALSE(sheet.isVisible());
  EXPECT_EQ(recorders.messages.texts.back(), messages::Saved(database));
  EXPECT_EQ(limits("主线"), (Rows{{"50.0"}, {"60.0"}}));
}

}  // namespace
}  // namespace hdmjm::test
