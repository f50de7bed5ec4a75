// The project's land-use type list file: reading, the default item, learning new types, and a
// GBK file staying GBK.
#include "store/land_type_list.h"

#include <fstream>
#include <iterator>

#include "test_support.h"

namespace hdmjm {
namespace {

using Items = std::vector<std::string>;

class LandTypeFile : public ::testing::Test {
 protected:
  // A project whose workdir file names the scratch folder, with scheme "方案1".
  std::filesystem::path MakeProject() {
    const auto base = scratch.path() / "base";
    std::filesystem::create_directories(base / "改移道路" / "data");
    WriteTextFile(scratch.path() / "workdir", base.string() + "\n");
    WriteTextFile(base / "改移道路" / "project", "方案1\n");
    list.SetContext(scratch.path(), &paths, &messages);
    return base / "改移道路" / "data" / "ydlx.方案1";
  }
  static std::string FileText(const std::filesystem::path& path) {
    const auto file = ReadTextFile(path);
    return file ? file->text : "(missing)";
  }

  test::ScratchDir scratch;
  test::RecordingMessages messages;
  ProjectPaths paths;
  LandTypeList list;
};

TEST(LandTypeFileText, ReadingTakesTheCountThenThatManyWords) {
  EXPECT_EQ(ParseLandTypeList("2\n水田\n旱地\n林地\n"), (Items{"水田", "旱地"}));
  EXPECT_EQ(ParseLandTypeList("3\n水 田\n"), (Items{"水", "田"}));
  EXPECT_TRUE(ParseLandTypeList("0\n水田\n").empty());
  EXPECT_TRUE(ParseLandTypeList("x\n水田\n").empty());
  EXPECT_TRUE(ParseLandTypeList("99999999999999999999\n").empty());
  EXPECT_EQ(FormatLandTypeList({"水田", "旱地"}), "2\n水田\n旱地\n");
}

TEST_F(LandTypeFile, WithoutAProjectTheListIsTheDefaultItemInMemory) {
  EXPECT_EQ(list.Load(), Items{"水稻田"});
  list.Add("旱地");
  EXPECT_EQ(list.Items(), (Items{"水稻田", "旱地"}));
}

TEST_F(LandTypeFile, AMissingFileIsCreatedWithTheDefaultAndLearnsNewTypesOnlyOnce) {
  const auto file = MakeProject();
  EXPECT_EQ(list.Load(), Items{"水稻田"});
  EXPECT_EQ(FileText(file), "1\n水稻田\n");
  list.Add("旱地");
  list.Add("水稻田");
  list.Add("  ");
  EXPECT_EQ(FileText(file), "2\n水稻田\n旱地\n");
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(LandTypeFile, TheListHoldsEveryItemAndNoMoreThanTheFileHas) {
  const auto file = MakeProject();
  WriteTextFile(file, "5\n水田\n旱地\n");
  EXPECT_EQ(list.Load(), (Items{"水田", "旱地"}));
  std::string text = "60\n";
  for (int i = 0; i < 60; ++i) text += "类" + std::to_string(i) + "\n";
  WriteTextFile(file, text);
  EXPECT_EQ(list.Load().size(), 60u);
  list.Add("林地");
  EXPECT_EQ(FileText(file), "61\n" + text.substr(3) + "林地\n");
}

TEST_F(LandTypeFile, AGbkFileStaysGbk) {
  const auto file = MakeProject();
  {
    std::ofstream out(file, std::ios::binary);
    out << Utf8ToGbk("1\n水田\n");
  }
  EXPECT_EQ(list.Load(), Items{"水田"});
  list.Add("旱地");
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, Utf8ToGbk("2\n水田\n旱地\n"));
}

TEST_F(LandTypeFile, AFileThatCannotBeReadOrWrittenIsSaidAndTheListStillWorks) {
  const auto file = MakeProject();
  const auto data = file.parent_path();
  std::filesystem::create_directory(file);  // a folder where the file should be
  EXPECT_EQ(list.Load(), Items{"水稻田"});
  list.Add("旱地");
  EXPECT_EQ(list.Items(), (Items{"水稻田", "旱地"}));
  ASSERT_EQ(messages.texts.size(), 2u);
  EXPECT_EQ(messages.texts[0].find("无法读取"), 0u);
  EXPECT_EQ(messages.texts[1].find("无法写入"), 0u);
  for (const std::string& text : messages.texts)
    EXPECT_NE(text.find(file.string()), std::string::npos) << text;
  // A path that runs through a file: unreadable, and not made either.
  messages.texts.clear();
  std::filesystem::remove_all(data);
  WriteTextFile(data, "");
  EXPECT_EQ(list.Load(), Items{"水稻田"});
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].find("无法读取"), 0u);
}

TEST_F(LandTypeFile, AnUnresolvedProjectTouchesNoFileAndTellsTheDesigner) {
  list.SetContext(scratch.path(), &paths, &messages);  // no workdir file
  EXPECT_EQ(list.Load(), Items{"水稻田"});
  EXPECT_FALSE(messages.texts.empty());
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "data"));
}

}  // namespace
}  // namespace hdmjm
