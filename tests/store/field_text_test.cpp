#include "store/field_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace hdmjm {
namespace {

TEST(FieldText, CellNumbersAreWholeOrThreeDecimals) {
  EXPECT_EQ(FormatCellNumber(1250), "1250");
  EXPECT_EQ(FormatCellNumber(1250.5), "1250.500");
  EXPECT_EQ(FormatCellNumber(0.000004), "0");
  EXPECT_EQ(FormatCellNumber(-1.25), "-1.250");
  EXPECT_EQ(FormatCellNumber(2.9999999), "3.000");  // fraction 0.9999999 is not below 0.00001
  // No buffer to overflow: the largest double comes out whole.
  EXPECT_EQ(FormatCellNumber(1e300).size(), 301u);
  EXPECT_EQ(FormatFixed(1.23, 3), "1.230");
}

TEST(FieldText, DecimalConversionTakesTheLeadingNumberOfTheWholeText) {
  EXPECT_EQ(DecimalValue("12abc"), 12);
  EXPECT_EQ(DecimalValue("abc"), 0);
  EXPECT_EQ(DecimalValue(""), 0);
  EXPECT_EQ(DecimalValue("  -3.5e2x"), -350);
  // Longer than any fixed buffer: every digit counts.
  EXPECT_DOUBLE_EQ(DecimalValue("1234.5678901234567890123456789"), 1234.5678901234567890123456789);
  EXPECT_EQ(DecimalValue(std::string(40, '0') + "7"), 7);
  // Words the C library reads as numbers, and numbers past a double, are no number.
  for (const char* text : {"inf", "-Infinity", "nan", "NAN(1)", "1e400", "-1e999"})
    EXPECT_EQ(DecimalValue(text), 0) << text;
  EXPECT_EQ(DecimalValue("1e-400"), 0);  // too small: 0, as the C library gives it
  EXPECT_EQ(DecimalValue("1.7e308"), 1.7e308);
}

TEST(FieldText, OnlyABlankFramedFiniteDecimalIsAPlainNumber) {
  for (const char* text : {"", "  ", "12", " -0.5 ", "+3.", ".25", "1e3", "1.5E-2\t", "1.7e308"})
    EXPECT_TRUE(IsPlainNumber(text)) << text;
  const std::string junk(
      "\x01\xff\0"
      "9",
      4);
  for (const std::string& text :
       {std::string("12abc"), std::string("abc"), std::string("1e309"), std::string("1e-400"),
        std::string("nan"), std::string("0x1A"), std::string("1,5"), std::string("."),
        std::string("1e"), std::string("- 1"), junk, std::string(1 << 20, '7')})
    EXPECT_FALSE(IsPlainNumber(text)) << text.substr(0, 20);
}

TEST(FieldText, EveryColumnOfTheCatalogueRoundTripsItsDisplayedText) {
  std::set<FieldKind> kinds;
  for (const TableDesc* table : AllTables()) {
    for (const DataColumn& column : table->DataColumns(kLeft)) {
      kinds.insert(column.kind);
      FieldValue value;
      switch (column.kind) {
        case FieldKind::Real:
          value = 1234.5;
          break;
        case FieldKind::Code:
          value = 1;
          break;
        case FieldKind::Count:
          value = 7;
          break;
        case FieldKind::Text:
          value = std::string("水稻田 2");
          break;
      }
      EXPECT_EQ(ParseField(column, FormatField(column, value)), value)
          << table->Name(kLeft) << "." << column.name;
      if (column.kind == FieldKind::Code) {
        EXPECT_NE(column.codes, nullptr) << column.name;
      }
    }
  }
  EXPECT_EQ(kinds.size(), 4u);
}

TEST(FieldText, CodesShowLabelsAndReadAnyOtherTextAsTheLastCode) {
  const auto& columns = FindTable(kArcSlopeTable)->DataColumns(kLeft);
  const DataColumn& position = columns.back();
  ASSERT_EQ(position.name, "设置位置");
  EXPECT_EQ(FormatField(position, 2), "2-路堑坡脚");
  EXPECT_EQ(FormatField(position, 7), "3-路堑坡顶");
  EXPECT_EQ(std::get<int>(ParseField(position, "1-路堤坡脚")), 1);
  EXPECT_EQ(std::get<int>(ParseField(position, "")), 3);
  EXPECT_EQ(std::get<int>(ParseField(position, "1")), 3);
  const DataColumn& fill = FindTable(kFillClassTable)->DataColumns(kLeft).back();
  EXPECT_EQ(std::get<int>(ParseField(fill, "0-填土")), 0);
  EXPECT_EQ(std::get<int>(ParseField(fill, "")), 1);
}

TEST(FieldText, CoefficientsShowThreeDecimalsAndLevelCountsWholeNumbers) {
  const DataColumn& loose = FindTable(kCompactionTable)->DataColumns(kLeft).front();
  EXPECT_EQ(FormatField(loose, 1.23), "1.230");
  EXPECT_EQ(FormatField(loose, 2.0), "2.000");
  const DataColumn& levels = FindTable(kEmbankmentSlopeTable)->DataColumns(kLeft)[1];
  EXPECT_EQ(levels.kind, FieldKind::Count);
  EXPECT_EQ(std::get<int>(ParseField(levels, "3.9")), 3);
  EXPECT_EQ(std::get<int>(ParseField(levels, "1e20")), std::numeric_limits<int>::max());
}

TEST(FieldText, EveryTableConstantNamesACatalogueTable) {
  for (std::string_view name :
       {kCompactionTable,      kFillClassTable,     kLandAreaSegmentTable, kLandTypeTable,
        kCutClassTable,        kAssocShoulderTable, kAssocCutFlattenTable, kAssocMedianDitchTable,
        kDitchGradeTable,      kOverfillWidthTable, kArcSlopeTable,        kTopsoilTable,
        kRetainingWallTable,   kAutoFillTable,      kAutoFlattenTable,     kAutoShoulderTable,
        kPavementTable,        kGroundInterpTable,  kWidthLimitTable,      kLandWideningTable,
        kEmbankmentSlopeTable, kCutSlopeTable,      kEmbankmentDitchTable, kSideDitchTable,
        kInterceptDitchTable})
    EXPECT_NE(FindTable(name), nullptr) << name;
  EXPECT_EQ(AllTables().size(), 25u);
}

}  // namespace
}  // namespace hdmjm
