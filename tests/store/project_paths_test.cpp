// Where the project folder and the scheme name come from.
#include "store/project_paths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/codec.h"
#include "store/new_scheme.h"
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
  const std::string file = second + "/改移道路/project";
  EXPECT_THAT(messages_.texts,
              ElementsAre("您还没有指定设计方案名称!\n缺少项目文件: " + file,
                          "您还没有指定设计方案名称!\n项目文件" + file + "中没有方案名。"));
}

TEST_F(ProjectPathsTest, AGivenPathNamesABaseFolderAProjectFolderOrASchemeFile) {
  const std::string base = Base("Road Works");
  WriteProject(base, "方案一");
  const auto project = std::filesystem::path(base) / "改移道路";
  std::filesystem::create_directories(project / "data");
  const auto scheme = project / "data" / "方案一.mdb";
  ASSERT_TRUE(WriteTextFile(scheme, "x"));
  const auto loop = dir_.path() / "loop";
  std::filesystem::create_symlink(loop, loop);  // unreadable even for root
  using Kind = ProjectLocation::Kind;
  const struct {
    std::filesystem::path given;
    Kind kind;
    std::string path, database;
  } cases[] = {
      {base + "/", Kind::Folder, project, scheme},
      {project, Kind::Folder, project, scheme},
      {scheme, Kind::SchemeFile, scheme, scheme},
      {dir_.path() / "gone", Kind::Missing, dir_.path() / "gone", ""},
      {loop, Kind::Unreadable, loop, ""},
  };
  for (const auto& c : cases) {
    const ProjectLocation location = LocateProject(c.given);
    EXPECT_EQ(location.kind, c.kind) << c.given;
    EXPECT_EQ(location.path, c.path) << c.given;
    ProjectPaths paths = OpenedProject(location);
    EXPECT_EQ(ResolveProjectPaths("/nowhere", paths, messages_), !c.database.empty()) << c.given;
    if (!c.database.empty()) {
      EXPECT_EQ(SchemeDatabasePath(paths), c.database);
      EXPECT_EQ(LandTypeListPath(paths), (project / "data" / "ydlx.方案一").string());
    }
    EXPECT_EQ(LocationProblem(location).find(c.path) != std::string::npos, c.database.empty());
  }
}

TEST_F(ProjectPathsTest, ASchemeNameThatIsAPathNamesTheProjectFileAndOpensNothing) {
  const std::string base = Base("p");
  const std::string file = base + "/改移道路/project";
  for (const std::string name : {"../../示例方案", "/tmp/方案", "a/b", "a\\b", ".."}) {
    WriteProject(base, name);
    ProjectPaths paths = OpenedProject(LocateProject(base));
    EXPECT_FALSE(ResolveProjectPaths("/nowhere", paths, messages_)) << name;
    EXPECT_EQ(paths.schemeName, "") << name;
    EXPECT_NE(messages_.texts.back().find("项目文件" + file + "中的方案名\"" + name + "\""),
              std::string::npos)
        << messages_.texts.back();
  }
}

TEST_F(ProjectPathsTest, ANewSchemeListsOneRoadAndNeverReplacesAFile) {
  const std::string database = (dir_.path() / "new" / "data" / "新方案.mdb").string();
  ASSERT_TRUE(CreateEmptyScheme(database, messages_));
  EXPECT_EQ(test::QuerySql(database, "SELECT 道路名 FROM 断链表"),
            std::vector<std::vector<std::string>>{{"主线"}});
  EXPECT_FALSE(CreateEmptyScheme(database, messages_));
  EXPECT_THAT(messages_.texts, ElementsAre(database + "已存在!"));
  EXPECT_FALSE(CreateEmptyScheme("/proc/no/such.mdb", messages_));
  EXPECT_NE(messages_.texts.back().find("无法创建方案数据库"), std::string::npos);
}

}  // namespace
}  // namespace hdmjm
