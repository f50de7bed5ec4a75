// Stored values as the record keeps them, and their text for names and traces.
#include "store/stored_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace hdmjm {
namespace {

TEST(StoredValue, EachStorageClassHasItsText) {
  EXPECT_EQ(VariantToText(AdoValue{}), "");
  EXPECT_EQ(VariantToText(nullptr), "NULL");
  EXPECT_EQ(VariantToText(2.0), "2.00000000");
  EXPECT_EQ(VariantToText(std::int64_t{(1LL << 32) + 7}), "7");
  EXPECT_EQ(VariantToText(std::int64_t{0xFFFFFFFFLL}), "-1");
  EXPECT_EQ(VariantToText(std::string("主线")), "主线");
  EXPECT_EQ(VariantToText(AdoBlob{{1, 2}}), "UN_KNOW");
}

struct KeepCase {
  AdoValue stored;
  FieldKind kind;
  FieldValue kept;
  bool exact;
};

TEST(StoredValue, TheRecordKeepsWhatItHoldsExactlyAndSaysWhyNotOtherwise) {
  using enum FieldKind;
  const std::int64_t beyondReal = (1LL << 53) + 1;
  const KeepCase cases[] = {
      {0.1, Real, 0.1, true},
      {nullptr, Real, 0.0, true},
      {std::int64_t{7}, Real, 7.0, true},
      {beyondReal, Real, static_cast<double>(beyondReal), false},
      {std::string("12abc"), Real, 0.0, false},
      {AdoBlob{{1}}, Real, 0.0, false},
      {nullptr, Code, 0, true},
      {2.0, Code, 2, true},
      {2.5, Code, 2, false},
      {std::int64_t{99999999999}, Code, std::numeric_limits<int>::max(), false},
      {std::nan(""), Code, 0, false},
      {std::int64_t{30}, Count, 30, true},
      {std::int64_t{31}, Count, 30, false},
      {-1.0, Count, 0, false},
      {nullptr, Text, std::string(), true},
      {std::string("水田"), Text, std::string("水田"), true},
      {1.5, Text, std::string("1.50000000"), false},
  };
  for (const KeepCase& c : cases) {
    std::string why;
    EXPECT_EQ(KeepStored(c.stored, c.kind, why), c.kept) << VariantToText(c.stored);
    EXPECT_EQ(why.empty(), c.exact) << VariantToText(c.stored) << ": " << why;
  }
}

TEST(StoredValue, NearestFieldReadsATextAsTheNumberItStartsWith) {
  EXPECT_EQ(NearestField(std::string(" 12.5abc"), FieldKind::Real), FieldValue(12.5));
  EXPECT_EQ(NearestField(std::string("7.9"), FieldKind::Code), FieldValue(7));
  EXPECT_EQ(NearestField(std::int64_t{3}, FieldKind::Real), FieldValue(3.0));
  EXPECT_EQ(NearestField(2.0, FieldKind::Text), FieldValue(std::string("2.00000000")));
  EXPECT_EQ(ToStored(FieldValue(4)), AdoValue(std::int64_t{4}));
}

}  // namespace
}  // namespace hdmjm
