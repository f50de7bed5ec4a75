// Reading and writing the text files of older installations, GBK or UTF-8.
#include "store/codec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "test_support.h"

namespace hdmjm {
namespace {

using test::ScratchDir;

// 方案一 in GBK.
constexpr std::string_view kSchemeGbk = "\xB7\xBD\xB0\xB8\xD2\xBB";

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class CodecTest : public ::testing::Test {
 protected:
  ScratchDir dir_;
};

TEST_F(CodecTest, GbkFileIsReadAsUtf8AndWrittenBackAsGbk) {
  const auto path = dir_.path() / "project";
  WriteBytes(path, std::string(kSchemeGbk) + "\r\n");
  const auto file = ReadTextFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->encoding, TextEncoding::Gbk);
  EXPECT_EQ(file->text, "方案一\n");
  ASSERT_TRUE(WriteTextFile(path, file->text + "二", file->encoding));
  EXPECT_EQ(Bytes(path), std::string(kSchemeGbk) + "\n\xB6\xFE");
}

TEST_F(CodecTest, Utf8FileIsReadAsItIsWithoutItsByteOrderMark) {
  const auto path = dir_.path() / "ydlx.方案一";
  WriteBytes(path,
             "\xEF\xBB\xBF"
             "2\r\n水田\r\n旱地\n");
  const auto file = ReadTextFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->encoding, TextEncoding::Utf8);
  EXPECT_EQ(file->text, "2\n水田\n旱地\n");
  ASSERT_TRUE(WriteTextFile(path, file->text));
  EXPECT_EQ(Bytes(path), "2\n水田\n旱地\n");
  bool missing = false;
  EXPECT_FALSE(ReadTextFile(dir_.path() / "missing", &missing));
  EXPECT_TRUE(missing);
  EXPECT_FALSE(ReadTextFile(dir_.path(), &missing));  // a folder: no exception, no text
  EXPECT_FALSE(missing);
  EXPECT_FALSE(WriteTextFile(dir_.path() / "no-folder" / "file", "x"));
}

TEST(CodecConversionTest, SequencesThatCannotBeConvertedAreReplacedOrSkipped) {
  EXPECT_EQ(GbkToUtf8(kSchemeGbk), "方案一");
  EXPECT_EQ(GbkToUtf8("a\xFF"
                      "b\xB7"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToGbk("方案一"), kSchemeGbk);
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                      "b\xFF"
                      "c\xE6\x96"),
            "a?b?c?");
  EXPECT_TRUE(IsValidUtf8("方案一 abc"));
  for (std::string_view bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x96", "\x80"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad.size();
}

TEST(FirstTokenTest, TakesTheFirstWordOfTheTextLikeAScan) {
  EXPECT_EQ(FirstToken("  \r\n\tD:/Road$Works/P1\r\nsecond line"), "D:/Road$Works/P1");
  EXPECT_EQ(FirstToken("方案一 方案二"), "方案一");
  EXPECT_EQ(FirstToken(" \n\t "), "");
  EXPECT_EQ(FirstToken(std::string(300, 'x')), std::string(255, 'x'));
  // 1 + 84 × 3 = 253 bytes fit; the 85th character would straddle byte 255.
  std::string wide = "a";
  for (int i = 0; i < 100; ++i) wide += "方";
  const std::string cut = FirstToken(wide);
  EXPECT_EQ(cut.size(), 253u);
  EXPECT_TRUE(IsValidUtf8(cut));
  EXPECT_EQ(cut, wide.substr(0, 253));
}

}  // namespace
}  // namespace hdmjm
