// Cutting pasted text into rows and fields as spreadsheets write it, and quoting copied cells.
#include "grid/clipboard_text.h"

#include <gtest/gtest.h>

namespace hdmjm {
namespace {

struct PasteCase {
  const char* name;
  std::string_view text;
  PastedRows rows;
};

const PasteCase kPasteCases[] = {
    {"EmptyText", "", {}},
    {"EmptyMiddleCellKeepsItsColumn", "1.5\t\t3", {{"1.5", "", "3"}}},
    {"WindowsLineEndsLeaveNoCarriageReturn", "1\t2\r\n3\t4\r\n", {{"1", "2"}, {"3", "4"}}},
    {"FinalLineFeedAddsNoRow", "a\nb\n", {{"a"}, {"b"}}},
    {"EmptyLineIsOneEmptyField", "a\n\nb", {{"a"}, {""}, {"b"}}},
    {"LoneLineFeedIsOneEmptyCell", "\n", {{""}}},
    {"TrailingTabsAreEmptyFields", "a\t\t\n", {{"a", "", ""}}},
    {"CommasSeparateWhenThereIsNoTab", "1,,2", {{"1", "", "2"}}},
    {"CommasAreTextWhenTabsSeparate", "1,5\t2,5", {{"1,5", "2,5"}}},
    {"BlanksAroundFieldsGo", " a \t b ", {{"a", "b"}}},
    {"BlankOfAnEmptyCopiedCellIsEmpty", "x\t \ny\t ", {{"x", ""}, {"y", ""}}},
    {"QuotedFieldHoldsSeparatorsAndLineFeeds",
     "\"a\tb\nc\"\t\"say \"\"hi\"\"\"\n",
     {{"a\tb\nc", "say \"hi\""}}},
    {"QuotedCommaField", "\"1,5\",2", {{"1,5", "2"}}},
    {"StrayQuoteIsText", "5\"\t\"open", {{"5\"", "\"open"}}},
    {"LoneCarriageReturnInsideAFieldStays", "a\rb", {{"a\rb"}}},
};

class PasteTextTest : public ::testing::TestWithParam<PasteCase> {};

TEST_P(PasteTextTest, CutsRowsAndFields) {
  EXPECT_EQ(ParsePastedText(GetParam().text), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Clipboard, PasteTextTest, ::testing::ValuesIn(kPasteCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(CopiedField, QuotesOnlyTextsThatAPasteWouldCutOrUnquote) {
  EXPECT_EQ(QuoteCopiedField("1,5"), "1,5");
  EXPECT_EQ(QuoteCopiedField("5\""), "5\"");
  EXPECT_EQ(QuoteCopiedField("a\tb"), "\"a\tb\"");
  EXPECT_EQ(QuoteCopiedField("\"x\""), "\"\"\"x\"\"\"");
  for (std::string_view text : {"a\tb", "line\nnext", "\"x\" y", "cr\r"})
    EXPECT_EQ(ParsePastedText(QuoteCopiedField(text)), (PastedRows{{std::string(text)}})) << text;
}

}  // namespace
}  // namespace hdmjm
