// Access schemes in the program: imported into the project's own scheme file, or, as the
// project's scheme, converted on the designer's yes and opened read-only on a no. The Access
// file itself is never written.
#include <gtest/gtest.h>

#include <QComboBox>

#include "app/setdlg.h"
#include "app/sheets.h"
#include "app_fixture.h"
#include "store/access_support.h"
#include "store/file_kind.h"
#include "store/messages.h"
#include "store/scheme_convert.h"

namespace hdmjm::test {
namespace {

using Texts = std::vector<std::string>;

// The Jet 4 copy lists 主线, 连接线 and 匝道A; 主线's first 左路面厚度 row holds 0.1 + 0.2.
const Texts kSampleRoads = {"主线", "连接线", "匝道A"};

class AccessSchemeTest : public ::testing::Test, protected SchemeProject {
 protected:
  void Show() {
    sheet = std::make_unique<HDMJM>(context);
    sheet->show();
  }
  SetDlg& Settings() { return *qobject_cast<SetDlg*>(sheet->Page(0)); }
  Texts RoadBoxTexts() {
    Texts texts;
    for (int i = 0; i < Settings().RoadBox()->count(); ++i)
      texts.push_back(Settings().RoadBox()->itemText(i).toStdString());
    return texts;
  }
  const Texts& Said() { return recorders.messages.texts; }

  Recorders recorders;
  ScriptedFileChooser files;
  SchemeSession session{installRoot};
  PageContext context{session, recorders.messages, files, recorders.trace};
  std::unique_ptr<HDMJM> sheet;
};

TEST_F(AccessSchemeTest, AnImportedAccessSchemeIsSavedIntoTheProjectsSchemeAfterSayingWhere) {
  RunSql(database, {kChainBreakTableSql, ChainBreakRowSql("主线", 0, 900)});
  const std::string access = CopyJet(scratch, kSampleJet4);
  Show();
  files.answers.push_back(access);
  QTest::mouseClick(Settings().findChild<QPushButton*>("importButton"), Qt::LeftButton);
  EXPECT_EQ(RoadBoxTexts(), kSampleRoads);
  EXPECT_EQ(session.Record(0)->pavements[kLeft][0].carriageway, 0.1 + 0.2);
  ASSERT_EQ(Said(), Texts{messages::ImportedFromAccess(access, database)});

  ClickButton(*sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(Said().back(), messages::Saved(database));
  EXPECT_EQ(ExactRows(database, "左路面厚度", "where 道路名 = '主线'", false).front()[2],
            "real:0.30000000000000004");
  EXPECT_EQ(QuerySql(database, "select count(distinct 道路名) from 左侧沟"),
            (std::vector<std::vector<std::string>>{{"3"}}));
  EXPECT_EQ(ReadBytes(access), ReadBytes(SharedJet(kSampleJet4)));
  // The roads the project's 断链表 did not list came with their chain breaks: the next start
  // finds every one of them.
  Show();
  EXPECT_EQ(RoadBoxTexts(), kSampleRoads);
}

TEST_F(AccessSchemeTest, AnAccessSchemeOfTheProjectIsConvertedOnYesAndOpensReadOnlyOnNo) {
  const std::string sample = ReadBytes(SharedJet(kSampleJet4));
  const std::filesystem::path original = AccessOriginalPath(database);
  for (const int answer : {1, 0}) {
    SCOPED_TRACE(answer);
    std::filesystem::remove(original);
    WriteBytes(database, sample);
    recorders.messages.texts.clear();
    recorders.messages.answers = {answer};
    Show();
    ASSERT_FALSE(Said().empty());
    EXPECT_EQ(Said().front(), messages::ConvertQuestion(database, original.filename().string()));
    EXPECT_EQ(RoadBoxTexts(), kSampleRoads);
    if (answer == 0) {
      EXPECT_EQ(Said()[1], messages::Converted(database, original.string()));
      EXPECT_EQ(ProbeFile(database).kind, FileKind::Sqlite);
      EXPECT_EQ(ReadBytes(original), sample);
      ClickButton(*sheet, QDialogButtonBox::Ok);
      EXPECT_EQ(Said().back(), messages::Saved(database));
    } else {
      EXPECT_EQ(Said()[1], messages::kOpenedAccessReadOnly);
      ClickButton(*sheet, QDialogButtonBox::Ok);
      EXPECT_TRUE(sheet->isVisible());  // nothing saved: the sheet stays open
      EXPECT_EQ(ReadBytes(database), sample);
      EXPECT_FALSE(std::filesystem::exists(original));
    }
    sheet.reset();
  }
}

}  // namespace
}  // namespace hdmjm::test
