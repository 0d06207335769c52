// The wave reader against well-formed files of every layout we accept and
// against files that lie about themselves.
#include "runtime/audio/wav_parser.h"

#include <gtest/gtest.h>

#include "audio_fixture.h"
#include "runtime/files/file_stream.h"

namespace audiotest {
namespace {

using Encoding = plat::PcmLayout::Encoding;

WaveStatus Parse(const WaveBuilder& b, WaveSound& out) {
  const std::vector<uint8_t> bytes = b.Bytes();
  return ParseWave(bytes.data(), bytes.size(), out);
}

TEST(WaveParser, ReadsTheLayoutAndSamplesOfEachSampleType) {
  struct Case {
    uint16_t tag, bits;
    Encoding encoding;
  } cases[] = {{1, 8, Encoding::kUnsigned8},
               {1, 16, Encoding::kSigned16},
               {1, 24, Encoding::kSigned24},
               {1, 32, Encoding::kSigned32},
               {3, 32, Encoding::kFloat32}};
  for (const Case& c : cases) {
    WaveBuilder b;
    b.tag = c.tag;
    b.bits = c.bits;
    b.channels = 2;
    b.rate = 11025;
    b.samples.assign(static_cast<size_t>(10 * 2 * c.bits / 8), 0x11);
    WaveSound w;
    ASSERT_EQ(Parse(b, w), WaveStatus::kOk) << c.bits;
    EXPECT_EQ(w.layout.encoding, c.encoding);
    EXPECT_EQ(w.layout.channels, 2);
    EXPECT_EQ(w.layout.rate, 11025);
    EXPECT_EQ(w.samples, b.samples);
  }
}

TEST(WaveParser, SkipsOtherChunksHonouringThePadByteOfOddOnes) {
  WaveBuilder b;
  WaveBuilder::AddChunk(b.chunksBeforeFmt, "JUNK", 3);  // odd: a pad byte follows
  WaveBuilder::AddChunk(b.chunksBeforeFmt, "bext", 10);
  WaveBuilder::AddChunk(b.chunksBeforeData, "LIST", 5);
  WaveBuilder::AddChunk(b.chunksBeforeData, "fact", 4);
  b.fmtSize = 18;  // with the extension size field
  b.samples = Sine16(50, 1, 440, 0.5, 22050);
  WaveSound w;
  ASSERT_EQ(Parse(b, w), WaveStatus::kOk);
  EXPECT_EQ(w.samples, b.samples);

  // An odd data chunk is cut to whole frames, and a chunk after it does not
  // matter.
  b.samples.push_back(0x7F);
  WaveSound odd;
  ASSERT_EQ(Parse(b, odd), WaveStatus::kOk);
  EXPECT_EQ(odd.samples.size(), 100u);
}

TEST(WaveParser, ExtensibleFormatUsesItsSubFormat) {
  WaveBuilder b;
  b.tag = 0xFFFE;
  b.fmtSize = 40;
  b.samples = Sine16(8, 1, 440, 0.5, 22050);
  std::vector<uint8_t> bytes = b.Bytes();
  // Sub-format GUID starts at fmt offset 24; fmt body starts at 20.
  bytes[20 + 24] = 1;
  WaveSound w;
  ASSERT_EQ(ParseWave(bytes.data(), bytes.size(), w), WaveStatus::kOk);
  EXPECT_EQ(w.layout.encoding, Encoding::kSigned16);
  bytes[20 + 24] = 2;  // ADPCM inside the wrapper
  EXPECT_EQ(ParseWave(bytes.data(), bytes.size(), w), WaveStatus::kNotPcm);
}

TEST(WaveParser, RejectsFilesThatAreNotRiffWave) {
  WaveBuilder b;
  b.samples = Sine16(8, 1, 440, 0.5, 22050);
  std::vector<uint8_t> bytes = b.Bytes();
  WaveSound w;
  std::vector<uint8_t> notRiff = bytes;
  std::memcpy(notRiff.data(), "RIFX", 4);
  EXPECT_EQ(ParseWave(notRiff.data(), notRiff.size(), w), WaveStatus::kNotRiffWave);
  std::vector<uint8_t> notWave = bytes;
  std::memcpy(notWave.data() + 8, "AVI ", 4);
  EXPECT_EQ(ParseWave(notWave.data(), notWave.size(), w), WaveStatus::kNotRiffWave);
  EXPECT_EQ(ParseWave(bytes.data(), 11, w), WaveStatus::kNotRiffWave);
  EXPECT_EQ(ParseWave(nullptr, 0, w), WaveStatus::kNotRiffWave);
}

TEST(WaveParser, RejectsImpossibleOrCompressedFormats) {
  struct Case {
    const char* what;
    void (*change)(WaveBuilder&);
    WaveStatus expected;
  } cases[] = {
      {"fmt under 16 bytes", [](WaveBuilder& b) { b.fmtSize = 14; }, WaveStatus::kNoFormat},
      {"zero rate", [](WaveBuilder& b) { b.rate = 0; }, WaveStatus::kBadFormat},
      {"zero channels", [](WaveBuilder& b) { b.channels = 0; }, WaveStatus::kBadFormat},
      {"zero align", [](WaveBuilder& b) { b.alignOverride = 0; }, WaveStatus::kBadFormat},
      {"align disagrees", [](WaveBuilder& b) { b.alignOverride = 4; }, WaveStatus::kBadFormat},
      {"zero bits", [](WaveBuilder& b) { b.bits = 0; }, WaveStatus::kBadFormat},
      {"12 bits", [](WaveBuilder& b) { b.bits = 12; }, WaveStatus::kBadFormat},
      {"nine channels", [](WaveBuilder& b) { b.channels = 9; }, WaveStatus::kBadFormat},
      {"absurd rate", [](WaveBuilder& b) { b.rate = 4000000000u; }, WaveStatus::kBadFormat},
      {"ADPCM", [](WaveBuilder& b) { b.tag = 2; }, WaveStatus::kNotPcm},
      {"mu-law", [](WaveBuilder& b) { b.tag = 7; }, WaveStatus::kNotPcm},
      {"MP3", [](WaveBuilder& b) { b.tag = 0x55; }, WaveStatus::kNotPcm},
      {"16-bit float", [](WaveBuilder& b) { b.tag = 3; }, WaveStatus::kNotPcm},
      {"no data chunk", [](WaveBuilder& b) { b.includeData = false; }, WaveStatus::kNoData},
      {"empty data", [](WaveBuilder& b) { b.samples.clear(); }, WaveStatus::kNoData},
      {"less than a frame", [](WaveBuilder& b) { b.samples.resize(1); }, WaveStatus::kNoData},
  };
  for (const Case& c : cases) {
    WaveBuilder b;
    b.samples = Sine16(16, 1, 440, 0.5, 22050);
    c.change(b);
    WaveSound w;
    EXPECT_EQ(Parse(b, w), c.expected) << c.what;
    EXPECT_TRUE(w.samples.empty()) << c.what;
  }
}

TEST(WaveParser, DataBeforeTheFormatIsNotFound) {
  WaveBuilder b;
  WaveBuilder::AddChunk(b.chunksBeforeFmt, "data", 8);
  b.includeData = false;
  WaveSound w;
  EXPECT_EQ(Parse(b, w), WaveStatus::kNoData);
}

TEST(WaveParser, DataClaimingMoreThanTheFileHoldsIsCutToTheBytesPresent) {
  WaveBuilder b;
  b.channels = 2;
  b.samples = Sine16(30, 2, 440, 0.5, 22050);
  b.samples.resize(b.samples.size() - 2);  // the last frame is cut in half
  b.declaredDataSize = 0x7FFFFFF0;
  WaveSound w;
  ASSERT_EQ(Parse(b, w), WaveStatus::kOk);
  EXPECT_EQ(w.samples.size(), 29u * 4);

  // A skipped chunk that claims more than the file ends the search.
  WaveBuilder huge;
  huge.samples = Sine16(8, 1, 440, 0.5, 22050);
  PutId(huge.chunksBeforeData, "LIST");
  AppendLe32(huge.chunksBeforeData, 0xFFFFFFFFu);
  EXPECT_EQ(Parse(huge, w), WaveStatus::kNoData);
}

TEST(WaveParser, EveryTruncationOfAFileFailsCleanlyOrYieldsWholeFrames) {
  WaveBuilder b;
  b.channels = 2;
  WaveBuilder::AddChunk(b.chunksBeforeFmt, "JUNK", 7);
  b.samples = Sine16(20, 2, 440, 0.5, 22050);
  const std::vector<uint8_t> bytes = b.Bytes();
  for (size_t n = 0; n <= bytes.size(); ++n) {
    // A copy of exactly n bytes, so the sanitizer sees any read past it.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
    WaveSound w;
    const WaveStatus status = ParseWave(cut.data(), cut.size(), w);
    if (status == WaveStatus::kOk) {
      EXPECT_EQ(w.samples.size() % 4, 0u) << n;
      EXPECT_GT(w.samples.size(), 0u) << n;
    } else {
      EXPECT_TRUE(w.samples.empty()) << n;
    }
  }
}

TEST(WaveParser, ReadsDiskAndInMemoryFiles) {
  WaveBuilder b;
  b.samples = Sine16(40, 1, 440, 0.5, 22050);
  const std::vector<uint8_t> bytes = b.Bytes();
  WaveSound w;
  ASSERT_EQ(ReadWaveFile(WriteFile("disk.wav", bytes).c_str(), w), WaveStatus::kOk);
  EXPECT_EQ(w.samples, b.samples);
  ASSERT_EQ(ReadWaveFile(MemoryName(bytes.data(), bytes.size()).c_str(), w), WaveStatus::kOk);
  EXPECT_EQ(w.samples, b.samples);
  EXPECT_EQ(ReadWaveFile((TestDir() + "/missing.wav").c_str(), w), WaveStatus::kUnreadable);
  EXPECT_EQ(ReadWaveFile("", w), WaveStatus::kUnreadable);
  EXPECT_EQ(ReadWaveFile(TestDir().c_str(), w), WaveStatus::kUnreadable);
}

}  // namespace
}  // namespace audiotest
