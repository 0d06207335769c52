#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "runtime/core/rt_string.h"

namespace {

RtString Bytes(const char* bytes, uint32_t n) {
  RtString s;
  s.Append(bytes, n);
  return s;
}

TEST(RtStringTest, CapacityGrowsInSixteenByteSteps) {
  RtString s("abcdefghijklmn");  // 14 characters
  EXPECT_EQ(s.Capacity(), 16u);
  s.Append("o");  // 15 characters and the NUL still fit
  EXPECT_EQ(s.Capacity(), 16u);
  s.Append("p");
  EXPECT_EQ(s.Capacity(), 32u);
  EXPECT_STREQ(s.c_str(), "abcdefghijklmnop");

  EXPECT_EQ(RtString("abcdefghijklmno").Capacity(), 32u);
  EXPECT_EQ(RtString(7.5).Capacity(), 80u);
  const RtString smallest(INT_MIN);
  EXPECT_STREQ(smallest.c_str(), "-2147483648");
  EXPECT_EQ(smallest.Capacity(), 32u);
}

TEST(RtStringTest, SharedEmptyTextSurvivesChurn) {
  RtString a, b("");
  EXPECT_TRUE(a.IsSharedEmpty());
  EXPECT_TRUE(b.IsSharedEmpty());
  EXPECT_TRUE((a + b).IsSharedEmpty());
  for (int i = 0; i < 20; ++i) {
    RtString x = a;
    x.Assign("");
    x.Truncate(0);
    RtString y(std::move(x));
    x = std::move(y);
    x += RtString();
  }
  EXPECT_EQ(a.c_str()[0], '\0');
}

TEST(RtStringTest, MoveStealsAndCopyIsIndependent) {
  RtString a("hello");
  const char* storage = a.c_str();
  RtString b(std::move(a));
  EXPECT_EQ(b.c_str(), storage);
  EXPECT_TRUE(a.IsSharedEmpty());

  RtString c(b);
  c.Data()[0] = 'j';
  EXPECT_STREQ(b.c_str(), "hello");

  RtString d("a much longer text than the others");
  d = b;  // takes the capacity a fresh copy would have
  EXPECT_EQ(d.Capacity(), 16u);
  const RtString& same = d;
  d = same;
  EXPECT_STREQ(d.c_str(), "hello");
}

TEST(RtStringTest, AppendKeepsStorageWhileCapacitySuffices) {
  RtString s("x");
  s.Reserve(100, true);
  const char* storage = s.c_str();
  for (int i = 0; i < 9; ++i) s.Append(i);
  s += 2.5;
  s += "!";
  EXPECT_EQ(s.c_str(), storage);
  EXPECT_STREQ(s.c_str(), "x0123456782.5!");
}

TEST(RtStringTest, AppendFromItselfSurvivesReallocation) {
  RtString s("abcdefghijklmn");  // capacity 16, self-append must grow
  s.Append(s);
  EXPECT_STREQ(s.c_str(), "abcdefghijklmnabcdefghijklmn");
  s.Append(s.c_str() + 20);
  EXPECT_STREQ(s.c_str(), "abcdefghijklmnabcdefghijklmnghijklmn");
  s.Assign(s.c_str() + 30);
  EXPECT_STREQ(s.c_str(), "ijklmn");
}

TEST(RtStringTest, ReserveAndTruncate) {
  RtString s("abc");
  s.Reserve(40, true);
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_EQ(s.Capacity(), 48u);
  s.Reserve(100, false);
  EXPECT_EQ(s.Length(), 0u);  // the old text is gone, so is its length

  // Fill, then set the length: how readers build their texts.
  std::memcpy(s.Data(), "hello world", 12);
  s.Truncate(11);
  s.Truncate(5);
  EXPECT_STREQ(s.c_str(), "hello");
  s.Truncate(-1);
  s.Truncate(static_cast<int>(s.Capacity()));
  EXPECT_EQ(s.Length(), 5u);
}

TEST(RtStringTest, ConcatenatesTextsAndNumbers) {
  const RtString score("Score: ");
  EXPECT_STREQ((score + 1250.0 + " x" + 3).c_str(), "Score: 1250 x3");
  EXPECT_STREQ((score + 0.1f).c_str(), "Score: 0.1000000015");
  EXPECT_STREQ(("<" + score).c_str(), "<Score: ");
  EXPECT_STREQ((-4 + RtString("")).c_str(), "-4");
  // A number on the left starts from the number's own capacity.
  EXPECT_EQ((2.5 + RtString(" s")).Capacity(), 80u);
  EXPECT_EQ((7 + RtString(" lives")).Capacity(), 32u);
}

TEST(RtStringTest, TemporaryLeftOperandGetsSameCapacityAsCopy) {
  // Reusing a temporary's block is a speed measure; the result must look the
  // same as copying the left operand and appending.
  for (uint32_t left = 0; left < 40; ++left) {
    for (uint32_t right = 0; right < 20; ++right) {
      const RtString a(std::string(left, 'a').c_str());
      const RtString b(std::string(right, 'b').c_str());
      RtString expected(a);
      expected.Append(b);
      const RtString chained = (a + "") + b;
      ASSERT_EQ(chained.Capacity(), expected.Capacity()) << left << "+" << right;
      ASSERT_EQ(chained, expected);
    }
  }
}

TEST(RtStringTest, TextComparisonsStopAtNulButEqualityNeedsLength) {
  const RtString with_nul = Bytes("ab\0c", 4);
  const RtString prefix("ab");
  EXPECT_EQ((with_nul + "d").Length(), 5u);  // copies carry inner NULs
  EXPECT_FALSE(with_nul == prefix);
  EXPECT_TRUE(with_nul != prefix);
  EXPECT_TRUE(with_nul >= prefix);
  EXPECT_FALSE(with_nul > prefix);
  EXPECT_TRUE(with_nul == "ab");
  EXPECT_FALSE(with_nul == Bytes("ab\0d", 4));

  EXPECT_TRUE(RtString("\xC0") > "z");  // unsigned bytes
  EXPECT_TRUE("abd" > RtString("abc"));
  EXPECT_GT(RtString("abc").Compare(nullptr), 0);
}

TEST(RtStringTest, TextAgainstNumberComparesNumerically) {
  const RtString ten("10");
  EXPECT_TRUE(ten > 9.5);
  EXPECT_TRUE(ten < RtString("9.5"));
  EXPECT_TRUE(9.5f < ten);
  EXPECT_TRUE(RtString("10.9") == 10);  // against an int the text is read as int
  EXPECT_TRUE(RtString("10.9") > 10.0);
  EXPECT_EQ(CompareTextNumber(ten, 9.5), 1);
  EXPECT_EQ(CompareTextNumber("10", 11), -1);

  const double nan = std::nan("");
  EXPECT_FALSE(ten == nan);
  EXPECT_TRUE(ten != nan);
}

}  // namespace
