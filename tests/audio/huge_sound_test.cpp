// Sounds too large to convert or to hold: each fails to load quickly,
// without touching gigabytes and without ending the program. The large
// inputs cost nothing: a sparse file and a mapping of untouched pages.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio_fixture.h"
#include "runtime/audio/wav_parser.h"
#include "runtime/platform/sound_mixer.h"

namespace audiotest {
namespace {

using Encoding = plat::PcmLayout::Encoding;

// A readable mapping of zero bytes whose pages are never given memory as
// long as nobody writes them.
struct ZeroPages {
  explicit ZeroPages(size_t size) : size(size) {
    data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  }
  ~ZeroPages() {
    if (data != MAP_FAILED) munmap(data, size);
  }
  const uint8_t* bytes() const { return static_cast<const uint8_t*>(data); }
  void* data;
  size_t size;
};

TEST(HugeSounds, AWaveFileOfTwoGibibytesOrMoreIsRefusedBeforeItIsRead) {
  WaveBuilder b;
  b.bits = 8;
  b.samples.assign(64, 0x80);
  b.declaredDataSize = 0xFFFFFF00;  // the data chunk runs to the file's end
  const std::vector<uint8_t> header = b.Bytes();
  const std::string path = testing::TempDir() + "huge_sound_" + std::to_string(getpid()) + ".wav";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
  for (const off_t size : {off_t{1} << 31, (off_t{1} << 32) + 3}) {
    ASSERT_EQ(ftruncate(fd, size), 0);
    WaveSound wave;
    EXPECT_EQ(ReadWaveFile(path.c_str(), wave), WaveStatus::kUnreadable) << size;
    EXPECT_TRUE(wave.samples.empty());
  }
  // The same file at its real length loads, its data cut to what is there.
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(header.size())), 0);
  WaveSound wave;
  EXPECT_EQ(ReadWaveFile(path.c_str(), wave), WaveStatus::kOk);
  EXPECT_EQ(wave.samples.size(), 64u);
  close(fd);
  unlink(path.c_str());
}

TEST(HugeSounds, ConversionRefusesWhatWouldOverflowTheConvertersBuffers) {
  plat::PcmLayout slow;
  slow.encoding = Encoding::kUnsigned8;
  slow.channels = 1;
  slow.rate = 1000;
  // 64 MB at 1000 Hz is 18 hours; resampled to the mixer's rate in float
  // stereo that is far past what SDL sizes in int.
  const ZeroPages zeros(64u << 20);
  ASSERT_NE(zeros.data, MAP_FAILED);
  std::vector<uint8_t> out;
  EXPECT_FALSE(plat::ConvertToMixerFormat(slow, zeros.bytes(), zeros.size, out));
  EXPECT_TRUE(out.empty());
  // 24-bit input is judged before it is widened.
  plat::PcmLayout wide = slow;
  wide.encoding = Encoding::kSigned24;
  wide.channels = 8;
  EXPECT_FALSE(plat::ConvertToMixerFormat(wide, zeros.bytes(), zeros.size, out));
  // A few seconds of the same layout still convert, to the exact length.
  ASSERT_TRUE(plat::ConvertToMixerFormat(slow, zeros.bytes(), 4000, out));
  EXPECT_EQ(out.size(), static_cast<size_t>(4 * plat::kMixerRate) * 4);
}

}  // namespace
}  // namespace audiotest
