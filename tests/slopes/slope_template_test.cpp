// Slope template files: the exact text written, the numbers read back however they are laid out,
// the names each page proposes, and files that must leave the segment untouched.
#include "slopes/slope_template.h"

#include <gtest/gtest.h>

#include <fstream>

#include "scripted_chooser.h"
#include "store/codec.h"
#include "store/test_support.h"

namespace hdmjm {
namespace {

using test::RecordingMessages;
using test::ScratchDir;
using test::ScriptedChooser;

const std::vector<SlopeLevel> kStandard = {{1.5, 8, 1, 0}, {1.75, 10, 1, 0}, {2, 100, 1, 0}};

SlopeSegment Filled(double endStation) {
  SlopeSegment segment;
  segment.endStation = endStation;
  segment.levelCount = 5;
  for (int i = 0; i < kMaxSlopeLevels; ++i) segment.levels[i] = {i + 0.5, 2.0 * i, 1, -i * 1.0};
  return segment;
}

void ExpectSame(const SlopeSegment& a, const SlopeSegment& b) {
  EXPECT_EQ(a.endStation, b.endStation);
  EXPECT_EQ(a.levelCount, b.levelCount);
  EXPECT_EQ(a.levels, b.levels);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<SlopeLevel> Levels(const std::variant<SlopeTemplate, std::string>& result) {
  if (const auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<SlopeTemplate>(result).levels;
}

TEST(SlopeTemplateText, WritesCountThenOneLinePerLevelWithThreeDecimals) {
  EXPECT_EQ(FormatSlopeTemplate(kStandard),
            "3\n"
            "1.500 8.000 1.000 0.000 \n"
            "1.750 10.000 1.000 0.000 \n"
            "2.000 100.000 1.000 0.000 \n");
  EXPECT_EQ(FormatSlopeTemplate({}), "0\n");
  const std::vector<SlopeLevel> rounded = {{1.23456, -2, 0.0005, 2.5}};
  EXPECT_EQ(FormatSlopeTemplate(rounded), "1\n1.235 -2.000 0.001 2.500 \n");
}

TEST(SlopeTemplateText, ReadsAStreamOfNumbersHoweverLaidOut) {
  const char* layouts[] = {
      "3\n1.500 8.000 1.000 0.000 \n1.750 10.000 1.000 0.000 \n2.000 100.000 1.000 0.000 \n",
      "3\r\n1.5 8 1 0 \r\n1.75 10 1 0 \r\n2 100 1 0 \r\n",
      "3 1.5\t8 1 0 1.75 10 1 0\t2 100 1 0",
      "  +3\n\n1.5e0 8. 1 .0\n1.75\n10\n1\n0\n2 1e2 +1 -0 trailing words are not read",
  };
  for (const char* text : layouts) {
    auto levels = Levels(ParseSlopeTemplate(text));
    EXPECT_EQ(levels, kStandard) << text;
  }
  EXPECT_TRUE(Levels(ParseSlopeTemplate("0")).empty());
}

TEST(SlopeTemplateText, NamesWhatIsWrongWithABadFile) {
  const std::pair<const char*, const char*> faults[] = {
      {"", "没有0到30之间的边坡级数"},
      {"three\n1 2 3 4", "没有0到30之间的边坡级数"},
      {"31\n", "边坡级数为31, 应在0到30之间"},
      {"-1\n", "边坡级数为-1, 应在0到30之间"},
      {"99999999999999999999\n", "没有0到30之间的边坡级数"},
      {"2\n1.5 8 1 0\n1.75 10\n", "应有8个数值, 只读到6个"},
      {"1\n1.5 8 x 0\n", "应有4个数值, 只读到2个"},
      {"1\n1.5 +-8 1 0\n", "只读到1个"},
  };
  for (const auto& [text, what] : faults) {
    const auto result = ParseSlopeTemplate(text);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << text;
    EXPECT_NE(std::get<std::string>(result).find(what), std::string::npos)
        << text << ": " << std::get<std::string>(result);
  }
}

TEST(SlopeTemplateFile, RoundTripsThroughAFileKeepingThreeDecimals) {
  ScratchDir dir;
  const std::string path = dir.File("左路堑边坡模版基线100.mb");
  const std::vector<SlopeLevel> levels = {{1.23456, 8, 1, 0}, {1.5, -2, 0, 3}};
  ASSERT_TRUE(SaveSlopeTemplate(path, levels));
  EXPECT_EQ(ReadBytes(path), "2\n1.235 8.000 1.000 0.000 \n1.500 -2.000 0.000 3.000 \n");
  const auto read = Levels(LoadSlopeTemplate(path));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].ratio, 1.235);
  EXPECT_EQ(read[1].maxHeight, -2);

  EXPECT_FALSE(SaveSlopeTemplate(dir.File("no/such/folder/a.mb"), levels));
  const auto missing = LoadSlopeTemplate(dir.File("missing.mb"));
  ASSERT_TRUE(std::holds_alternative<std::string>(missing));
  EXPECT_NE(std::get<std::string>(missing).find(dir.File("missing.mb")), std::string::npos);
}

TEST(SlopeTemplateNames, EachPageProposesItsNameInTheDataFolder) {
  ProjectPaths paths{"/p/Road Works/改移道路", "方案一"};
  const std::string data = "/p/Road Works/改移道路/data/";
  EXPECT_EQ(ProposedTemplatePath(paths, TemplateNames(SlopePage::LeftEmbankment).saveStem, 1234.56),
            data + "左路堤边坡模版1235.mb");
  EXPECT_EQ(ProposedTemplatePath(paths, TemplateNames(SlopePage::RightEmbankment).saveStem, 0.4),
            data + "右路堤边坡模版基线0.mb");
  EXPECT_EQ(ProposedTemplatePath(paths, TemplateNames(SlopePage::RightEmbankment).importStem, 99.5),
            data + "右路堤边坡模版100.mb");
  EXPECT_EQ(ProposedTemplatePath(paths, TemplateNames(SlopePage::LeftCut).importStem, 12),
            data + "左路堑边坡模版基线12.mb");
  EXPECT_EQ(ProposedTemplatePath(paths, TemplateNames(SlopePage::RightCut).saveStem, 7.5e3),
            data + "右路堑边坡模版7500.mb");
  EXPECT_EQ(TemplateNames(SlopePage::RightEmbankment).saveFilter,
            "路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||");
  EXPECT_EQ(WithTemplateExtension("/a/b.d/mine"), "/a/b.d/mine.mb");
}

// A project on disk: install root with its workdir file, project folder with its project file.
class TemplateFlowTest : public ::testing::Test {
 protected:
  TemplateFlowTest() {
    const auto root = dir.path() / "install";
    const auto base = dir.path() / "Road Works";
    folder = (base / "改移道路").string();
    std::filesystem::create_directories(root);
    std::filesystem::create_directories(std::filesystem::path(folder) / "data");
    WriteTextFile(root / "workdir", WorkdirToken(base.string()) + "\n");
    WriteTextFile(std::filesystem::path(folder) / "project", "方案一\n");
    installRoot = root;
  }

  SlopeTemplateContext Context(SlopePage page) {
    return {page, installRoot, paths, chooser, messages};
  }
  std::string DataFile(const std::string& name) const { return folder + "/data/" + name; }

  ScratchDir dir;
  std::filesystem::path installRoot;
  std::string folder;
  ProjectPaths paths;
  ScriptedChooser chooser;
  RecordingMessages messages;
};

TEST_F(TemplateFlowTest, SavingProposesThePageNameStoresTheGridAndWritesTheFile) {
  SlopeSegment segment = Filled(1234.56);
  chooser.answers = {DataFile("标准路堤")};  // typed without extension
  EXPECT_EQ(SaveTemplateFlow(Context(SlopePage::LeftEmbankment), segment, kStandard),
            TemplateOutcome::Done);
  ASSERT_EQ(chooser.asked.size(), 1u);
  EXPECT_TRUE(chooser.asked[0].save);
  EXPECT_EQ(chooser.asked[0].title, "选择要保存的边坡模板文件名");
  EXPECT_EQ(chooser.asked[0].initialName, DataFile("左路堤边坡模版1235.mb"));
  EXPECT_EQ(chooser.asked[0].filter, "左路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||");
  EXPECT_EQ(ReadBytes(DataFile("标准路堤.mb")), FormatSlopeTemplate(kStandard));
  // The segment holds the grid's levels as after "录入参数"; later slots keep their values.
  EXPECT_EQ(segment.levelCount, 3);
  EXPECT_EQ(segment.levels[2], kStandard[2]);
  EXPECT_EQ(segment.levels[3], Filled(0).levels[3]);
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TemplateFlowTest, TheLeftCutPageSavesIntoTheFolderAsLastRead) {
  paths.projectFolder = folder + "-old";
  SlopeSegment segment = Filled(10);
  EXPECT_EQ(SaveTemplateFlow(Context(SlopePage::LeftCut), segment, kStandard),
            TemplateOutcome::Cancelled);
  EXPECT_EQ(chooser.asked.at(0).initialName, folder + "-old/data/左路堑边坡模版基线10.mb");
  ExpectSame(segment, Filled(10));  // cancelled: nothing stored

  EXPECT_EQ(ImportTemplateFlow(Context(SlopePage::LeftCut), segment), TemplateOutcome::Cancelled);
  EXPECT_EQ(chooser.asked.at(1).initialName, DataFile("左路堑边坡模版基线10.mb"));
  EXPECT_FALSE(chooser.asked[1].save);
  EXPECT_EQ(chooser.asked[1].title, "选择要导入的边坡模板文件名");
  ExpectSame(segment, Filled(10));
}

TEST_F(TemplateFlowTest, AFileWrittenOnOnePageImportsOnAnother) {
  SlopeSegment cut = Filled(500);
  chooser.answers = {DataFile("cut.mb")};
  const std::vector<SlopeLevel> levels = {{1, 8, 1, 0}, {1.25, 10, 1, 0}, {1.5, -2, 1, 0}};
  ASSERT_EQ(SaveTemplateFlow(Context(SlopePage::LeftCut), cut, levels), TemplateOutcome::Done);

  SlopeSegment embankment = Filled(700);
  chooser.answers = {DataFile("cut")};  // the extension is added on reading too
  ASSERT_EQ(ImportTemplateFlow(Context(SlopePage::RightEmbankment), embankment),
            TemplateOutcome::Done);
  EXPECT_EQ(chooser.asked.back().initialName, DataFile("右路堤边坡模版700.mb"));
  EXPECT_EQ(chooser.asked.back().filter, "右路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||");
  EXPECT_EQ(embankment.endStation, 700);
  EXPECT_EQ(embankment.levelCount, 3);
  EXPECT_EQ(std::vector<SlopeLevel>(embankment.levels.begin(), embankment.levels.begin() + 3),
            levels);
  EXPECT_EQ(embankment.levels[3], Filled(0).levels[3]);

  // A file of no levels empties the segment's level list.
  WriteBytes(DataFile("none.mb"), "0\r\n");
  chooser.answers = {DataFile("none.mb")};
  ASSERT_EQ(ImportTemplateFlow(Context(SlopePage::RightCut), embankment), TemplateOutcome::Done);
  EXPECT_EQ(embankment.levelCount, 0);
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TemplateFlowTest, ABadFileLeavesTheSegmentAsItWasAndSaysWhy) {
  WriteBytes(DataFile("short.mb"), "3\n1.5 8 1 0\n1.75 10 1 0\n2 100\n");
  WriteBytes(DataFile("many.mb"), "40\n1 2 3 4\n");
  const std::pair<std::string, std::string> files[] = {
      {DataFile("short.mb"), "只读到10个"},
      {DataFile("many.mb"), "边坡级数为40"},
      {DataFile("missing.mb"), "无法打开"},
  };
  for (const auto& [file, what] : files) {
    SlopeSegment segment = Filled(42);
    messages.texts.clear();
    chooser.answers = {file};
    EXPECT_EQ(ImportTemplateFlow(Context(SlopePage::LeftEmbankment), segment),
              TemplateOutcome::Failed);
    ExpectSame(segment, Filled(42));
    ASSERT_EQ(messages.texts.size(), 1u) << file;
    EXPECT_NE(messages.texts[0].find(file), std::string::npos) << messages.texts[0];
    EXPECT_NE(messages.texts[0].find(what), std::string::npos) << messages.texts[0];
  }
}

TEST_F(TemplateFlowTest, SavingFailuresAreToldNotHidden) {
  SlopeSegment segment = Filled(1);
  chooser.answers = {DataFile("no/such/folder/x.mb")};
  EXPECT_EQ(SaveTemplateFlow(Context(SlopePage::RightCut), segment, kStandard),
            TemplateOutcome::Failed);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find(DataFile("no/such/folder/x.mb")), std::string::npos);
  EXPECT_EQ(segment.levelCount, 3);  // the grid was stored, as "录入参数" would

  const std::vector<SlopeLevel> tooMany(kMaxSlopeLevels + 1, kStandard[0]);
  SlopeSegment untouched = Filled(2);
  chooser.answers = {DataFile("big.mb")};
  EXPECT_EQ(SaveTemplateFlow(Context(SlopePage::RightCut), untouched, tooMany),
            TemplateOutcome::Failed);
  ExpectSame(untouched, Filled(2));
  EXPECT_FALSE(std::filesystem::exists(DataFile("big.mb")));
  EXPECT_EQ(messages.texts.size(), 2u);
}

TEST_F(TemplateFlowTest, AMissingWorkdirFileIsToldAndTheDialogStillOpens) {
  std::filesystem::remove(installRoot / "workdir");
  SlopeSegment segment = Filled(3);
  EXPECT_EQ(ImportTemplateFlow(Context(SlopePage::RightCut), segment), TemplateOutcome::Cancelled);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], "您还没有设定项目名称!");
  EXPECT_EQ(chooser.asked.at(0).initialName, "/data/右路堑边坡模版3.mb");
}

}  // namespace
}  // namespace hdmjm
