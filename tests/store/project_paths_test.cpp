// Where the project folder and the scheme name come from.
#include "store/project_paths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/codec.h"
#include "test_support.h"

namespace hdmjm {
namespace {

using test::RecordingMessages;
using test::ScratchDir;
using ::testing::ElementsAre;

class ProjectPathsTest : public ::testing::Test {
 protected:
  // A project base folder below the scratch folder, with a space in its name.
  std::string Base(const std::string& name) { return (dir_.path() / name / "P1").string(); }
  void WriteWorkdir(const std::string& text) {
    ASSERT_TRUE(WriteTextFile(dir_.path() / "workdir", text));
  }
  void WriteProject(const std::string& base, const std::string& text,
                    TextEncoding encoding = TextEncoding::Utf8) {
    const auto folder = std::filesystem::path(base) / "改移道路";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(WriteTextFile(folder / "project", text, encoding));
  }

  ScratchDir dir_;
  RecordingMessages messages_;
  ProjectPaths paths_;
};

TEST_F(ProjectPathsTest, DollarsInTheFirstWorkdirTokenBecomeSpacesAndTheSchemeNamesTheDatabase) {
  const std::string base = Base("Road Works");
  WriteWorkdir(WorkdirToken(base) + "\r\n" + Base("second") + "\r\n");
  EXPECT_EQ(WorkdirToken(base).find(' '), std::string::npos);
  WriteProject(base, "方案一\r\n", TextEncoding::Gbk);
  ASSERT_TRUE(ResolveProjectPaths(dir_.path(), paths_, messages_));
  EXPECT_EQ(paths_.projectFolder, base + "/改移道路");
  EXPECT_EQ(paths_.schemeName, "方案一");
  EXPECT_EQ(SchemeDatabasePath(paths_), base + "/改移道路/data/方案一.mdb");
  EXPECT_EQ(LandTypeListPath(paths_), base + "/改移道路/data/ydlx.方案一");
  EXPECT_EQ(DataFolder(paths_), base + "/改移道路/data");
  EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(ProjectPathsTest, AMissingOrEmptyWorkdirClearsTheFolderAndKeepsTheScheme) {
  paths_ = {"/somewhere/改移道路", "方案一"};
  EXPECT_FALSE(ResolveProjectPaths(dir_.path(), paths_, messages_));
  EXPECT_EQ(paths_.projectFolder, "");
  EXPECT_EQ(paths_.schemeName, "方案一");
  WriteWorkdir(" \r\n");
  paths_.projectFolder = "/somewhere/改移道路";
  EXPECT_FALSE(ResolveProjectPaths(dir_.path(), paths_, messages_));
  EXPECT_EQ(paths_.projectFolder, "");
  EXPECT_THAT(messages_.texts, ElementsAre("您还没有设定项目名称!", "您还没有设定项目名称!"));
}

TEST_F(ProjectPathsTest, AMissingProjectFileTakesTheNewFolderButKeepsTheEarlierScheme) {
  const std::string first = Base("first");
  WriteWorkdir(first);
  WriteProject(first, "方案一");
  ASSERT_TRUE(ResolveProjectPaths(dir_.path(), paths_, messages_));
  const std::string second = Base("second");
  WriteWorkdir(second);
  EXPECT_FALSE(ResolveProjectPaths(dir_.path(), paths_, messages_));
  EXPECT_EQ(paths_.projectFolder, second + "/改移道路");
  EXPECT_EQ(paths_.schemeName, "方案一");
  EXPECT_EQ(SchemeDatabasePath(paths_), second + "/改移道路/data/方案一.mdb");
  WriteProject(second, "\n");  // present but empty: the same as missing
  EXPECT_FALSE(ResolveProjectPaths(dir_.path(), paths_, messages_));
  EXPECT_EQ(paths_.schemeName, "方案一");
  EXPECT_THAT(messages_.texts,
              ElementsAre("您还没有指定设计方案名称!", "您还没有指定设计方案名称!"));
}

}  // namespace
}  // namespace hdmjm
