#include "core/conversions.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

struct IntegerCase {
  const char* text;
  std::int32_t expected;
};

TEST(TextToIntegerTest, ReadsDecimalPrefixAfterNarrowingFullWidthForms) {
  const IntegerCase cases[] = {
      {"", 0},
      {"574", 574},
      {"-6", -6},
      {"+17", 17},
      {" \t\r\n42abc", 42},
      {"12.7", 12},
      {"0x10", 0},
      {"abc", 0},
      {"-", 0},
      {"\xB0\xB2\xBB\xD5", 0},            // 安徽
      {"\xA3\xB2\xA3\xB0\xA3\xB0", 200},  // ２００
      {"\xA3\xAD\xA3\xB5", -5},           // －５
      {"\xA3\xAB\xA3\xB9", 9},            // ＋９
      {"\xA1\xA1\xA3\xB3", 3},            // ideographic space, ３
      {"\xA1\xAB"
       "5",
       0},           // full-width tilde is not a sign
      {"7\xA3", 7},  // lone lead byte at the end is dropped
      {"\xA3"
       "8",
       0},  // lead byte swallows the next byte
      {"1\xB0\xB2"
       "2",
       1},  // another double-byte character stops the digits
  };
  for (const IntegerCase& c : cases) {
    EXPECT_EQ(TextToInteger(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(TextToIntegerTest, OverlongDigitsDoNotCrash) {
  // Beyond 32 bits the value is unspecified; it only has to be computed without UB.
  (void)TextToInteger("99999999999999999999999");
  EXPECT_EQ(TextToInteger("2147483647"), 2147483647);
  EXPECT_EQ(TextToInteger("-2147483648"), INT32_MIN);
}

TEST(NumberToTextTest, FormatsIntegersAndDifferences) {
  EXPECT_EQ(IntegerToText(-6), "-6");
  EXPECT_EQ(IntegerToText(0), "0");
  EXPECT_EQ(IntegerToText(INT32_MIN), "-2147483648");
  EXPECT_EQ(RealToText(768.0 - 194.0), "574");
  EXPECT_EQ(RealToText(1024.0 - 258.0), "766");
  EXPECT_EQ(RealToText(0.0 - 194.0), "-194");
}

}  // namespace
}  // namespace nimbrel
