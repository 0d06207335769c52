#include "runtime/core/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

// A loader that ORs promoted (signed) bytes would smear a high bit over the
// bytes above it; these values make every such slip visible.
static_assert(LoadLe16(std::array<uint8_t, 2>{0x80, 0x01}.data()) == 0x0180);
static_assert(LoadLe32(std::array<uint8_t, 4>{0xFF, 0x00, 0x80, 0x7F}.data()) == 0x7F8000FFu);

TEST(ByteOrder, LoadsTakeTheLowByteFirstWithoutSignExtension) {
  const uint8_t bytes[] = {0x01, 0x82, 0xFF, 0xFE, 0x7F, 0x00, 0x80, 0xC3};
  EXPECT_EQ(LoadLe16(bytes), 0x8201);
  EXPECT_EQ(LoadLe16(bytes + 2), 0xFEFF);
  EXPECT_EQ(LoadLe32(bytes), 0xFEFF8201u);
  EXPECT_EQ(LoadLe32(bytes + 4), 0xC380007Fu);
  EXPECT_EQ(LoadLe64(bytes), 0xC380007FFEFF8201ull);

  const uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(LoadLe16(ones), 0xFFFF);
  EXPECT_EQ(LoadLe32(ones), 0xFFFFFFFFu);
  EXPECT_EQ(LoadLe64(ones), std::numeric_limits<uint64_t>::max());
  // Signed fields are the same bits read back as two's complement.
  EXPECT_EQ(static_cast<int16_t>(LoadLe16(ones)), -1);
  EXPECT_EQ(static_cast<int32_t>(LoadLe32(bytes + 4)), static_cast<int32_t>(0xC380007Fu));
}

TEST(ByteOrder, StoresAndAppendsWriteTheSameBytesTheLoadsRead) {
  uint8_t raw[8] = {};
  StoreLe16(raw, 0xABCD);
  EXPECT_EQ(raw[0], 0xCD);
  EXPECT_EQ(raw[1], 0xAB);
  StoreLe32(raw, 0x80FF0102u);
  EXPECT_EQ((std::vector<uint8_t>(raw, raw + 4)), (std::vector<uint8_t>{0x02, 0x01, 0xFF, 0x80}));
  StoreLe64(raw, 0x0102030405060708ull);
  EXPECT_EQ((std::vector<uint8_t>(raw, raw + 8)), (std::vector<uint8_t>{8, 7, 6, 5, 4, 3, 2, 1}));

  std::vector<uint8_t> vec;
  AppendLe16(vec, 0xFF80);
  AppendLe32(vec, 0xDEADBEEFu);
  EXPECT_EQ(vec, (std::vector<uint8_t>{0x80, 0xFF, 0xEF, 0xBE, 0xAD, 0xDE}));

  // Text-held buffers take the same bytes, chars with the high bit included.
  std::string text;
  AppendLe16(text, 0xFF80);
  AppendLe32(text, 0xDEADBEEFu);
  EXPECT_EQ(text, std::string("\x80\xFF\xEF\xBE\xAD\xDE", 6));
  EXPECT_EQ(Le16At(ByteSpan(text), 0), 0xFF80);
  EXPECT_EQ(Le32At(ByteSpan(text), 2), 0xDEADBEEFu);
}

TEST(ByteOrder, CheckedReadsGiveZeroRatherThanReadPastTheEnd) {
  const std::vector<uint8_t> five = {0x11, 0x22, 0x33, 0x44, 0x55};
  EXPECT_EQ(Le32At(five, 1), 0x55443322u);
  EXPECT_EQ(Le32At(five, 2), 0u);
  EXPECT_EQ(Le16At(five, 3), 0x5544);
  EXPECT_EQ(Le16At(five, 4), 0);
  EXPECT_EQ(Le16At(five, 5), 0);
  // An offset so large that offset + width wraps around must not pass.
  const size_t huge = std::numeric_limits<size_t>::max();
  EXPECT_EQ(Le16At(five, huge), 0);
  EXPECT_EQ(Le32At(five, huge - 1), 0u);
  EXPECT_EQ(Le32At(std::span<const uint8_t>(), 0), 0u);
}

}  // namespace
