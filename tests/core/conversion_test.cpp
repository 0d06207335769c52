#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "runtime/core/conversion.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NumberTextTest, TenSignificantDigitsWithoutTrailingZeros) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {5, "5"},
      {0.5, "0.5"},
      {1.0 / 3, "0.3333333333"},
      {2.0 / 3, "0.6666666667"},
      {-7.5, "-7.5"},
      {100, "100"},
      {1234567.891, "1234567.891"},
      {-0.0, "0"},
      {1e20, "1e+20"},
      {1.5e-7, "1.5e-07"},
      {-kInf, "-inf"},
      {-std::nan(""), "nan"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(RtString(c.value).c_str(), c.text) << c.value;
    EXPECT_EQ(NumberTextLength(c.value), static_cast<int>(std::strlen(c.text)));
  }
  EXPECT_STREQ(RtString(0.1f).c_str(), "0.1000000015");
  EXPECT_EQ(IntTextLength(INT_MIN), 11);
}

TEST(TextToNumberTest, ReadsOnlyTheLeadingDecimalNumber) {
  EXPECT_EQ(TextToNumber("12abc"), 12);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber(" \t-3.5e2x"), -350);
  EXPECT_EQ(TextToNumber("+.5"), 0.5);
  EXPECT_EQ(TextToNumber("1e+"), 1);
  EXPECT_EQ(TextToNumber("-."), 0);
  EXPECT_EQ(TextToNumber(nullptr), 0);
  EXPECT_EQ(TextToNumber("0x10"), 0);
  EXPECT_EQ(TextToNumber("inf"), 0);
  EXPECT_EQ(TextToNumber("-1e999"), -kInf);
  EXPECT_EQ(TextToNumber("1e-999"), 0);

  EXPECT_EQ(TextToInt("-3.9"), -3);
  EXPECT_EQ(TextToInt(RtString("  +42z")), 42);
  EXPECT_EQ(TextToInt("-2147483648"), INT_MIN);
  EXPECT_EQ(TextToInt("2147483648"), INT_MAX);
  EXPECT_EQ(TextToInt("-99999999999999999999"), INT_MIN);
}

TEST(FormatNumberTest, FixedWidthAndDecimals) {
  EXPECT_STREQ(FormatNumber(6, 2, 3.14159).c_str(), "  3.14");
  EXPECT_EQ(FormatNumber(6, 2, 3.14159).Capacity(), 48u);
  EXPECT_STREQ(FormatNumber(6.9, 2.9, 3.14159).c_str(), "  3.14");
  EXPECT_STREQ(FormatNumber(0, 0, 2.7).c_str(), "3");
  EXPECT_STREQ(FormatNumber(-6, 1, 2).c_str(), "2.0   ");
}

TEST(FormatNumberTest, LongResultsGrowAndOddArgumentsStayBounded) {
  const RtString wide = FormatNumber(60, 2, 1);
  EXPECT_EQ(wide.Length(), 60u);
  EXPECT_STREQ(wide.c_str() + 56, "1.00");
  EXPECT_EQ(FormatNumber(0, 2, 1e300).Length(), 304u);
  EXPECT_EQ(FormatNumber(1e9, 0, 1).Length(), static_cast<uint32_t>(kFormatNumberMaxWidth));
  EXPECT_EQ(FormatNumber(0, 1e9, 1).Length(), 2u + kFormatNumberMaxDecimals);
  EXPECT_STREQ(FormatNumber(std::nan(""), -3, 2.6).c_str(), "3");
  EXPECT_STREQ(FormatNumber(5, 1, -std::nan("")).c_str(), "  nan");
}

TEST(TextCommandTest, MidTakesBytesWithinTheText) {
  const RtString hello("Hello");
  EXPECT_STREQ(Mid(hello, 1, 3).c_str(), "ell");
  EXPECT_STREQ(Mid(hello, 3, -1).c_str(), "lo");
  EXPECT_STREQ(Mid(hello, 1, INT_MAX).c_str(), "ello");
  EXPECT_TRUE(Mid(hello, 5, 1).IsSharedEmpty());
  EXPECT_TRUE(Mid(hello, -1, 2).IsSharedEmpty());
  EXPECT_TRUE(Mid(hello, INT_MAX, INT_MAX).IsSharedEmpty());
}

TEST(TextCommandTest, ChrAndAscRoundTripBytes) {
  EXPECT_STREQ(Chr(65).c_str(), "A");
  EXPECT_EQ(Chr(0).Length(), 1u);
  EXPECT_EQ(Asc(Chr(200)), 200);
  EXPECT_EQ(Asc(Chr(-1)), 255);
  EXPECT_EQ(Asc(RtString()), 0);
}

TEST(TextCommandTest, CaseChangesOnlyAsciiLetters) {
  const RtString mixed("az@[`{AZ\xE9\xC9");
  EXPECT_STREQ(UpperCase(mixed).c_str(), "AZ@[`{AZ\xE9\xC9");
  EXPECT_STREQ(LowerCase(mixed).c_str(), "az@[`{az\xE9\xC9");
  EXPECT_STREQ(mixed.c_str(), "az@[`{AZ\xE9\xC9");
  RtString s("Plane");
  UpperCaseInPlace(s);
  EXPECT_STREQ(s.c_str(), "PLANE");
}

TEST(TextCommandTest, ReplaceTextIsNonOverlappingAndTerminates) {
  auto replace = [](const char* text, const char* find, const char* with) {
    return ReplaceText(RtString(text), RtString(find), RtString(with));
  };
  EXPECT_STREQ(replace("aaa", "aa", "b").c_str(), "ba");
  EXPECT_STREQ(replace("cat", "a", "aa").c_str(), "caat");  // inserted text is not re-scanned
  EXPECT_STREQ(replace("abc", "", "z").c_str(), "abc");
  EXPECT_TRUE(replace("..", ".", "").IsSharedEmpty());

  RtString with_nul;
  with_nul.Append("a\0b", 3);
  EXPECT_STREQ(ReplaceText(with_nul, Chr(0), RtString("_")).c_str(), "a_b");
}

}  // namespace
