// Resolving and unpacking a 4 MiB entry from an archive of 1,000 entries,
// next to a bare LZO1X decompression of the same packed bytes already in
// memory (the ratio of the two is printed at the end), and ReadLine
// throughput over a 50 MB text file through a disk and an in-memory channel,
// alone and mixed with typed reads.
#include <benchmark/benchmark.h>

#include <lzo/lzo1x.h>
#include <stdlib.h>
#include <unistd.h>
#include "benchmark_table.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "runtime/files/archive.h"
#include "runtime/files/archive_format.h"
#include "runtime/files/file_stream.h"
#include "runtime/runtime.h"

namespace {

constexpr size_t kBigEntry = 4 * 1024 * 1024;
constexpr int kEntries = 1000;
constexpr size_t kTextFile = 50 * 1000 * 1000;

std::string Text(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"plane ", "room ",  "wind ",   "shelf ", "spike ",
                                       "ghost ", "board ", "meteor ", "cloud ", "score "};
  std::mt19937 rng(seed);
  std::string out;
  out.reserve(size + 16);
  while (out.size() < size) {
    const int words = static_cast<int>(rng() % 12);
    for (int i = 0; i < words; ++i) out += kWords[rng() % 10];
    if (rng() % 4 == 0) out += std::to_string(rng());
    out += rng() % 2 ? "\r\n" : "\n";
  }
  out.resize(size);
  return out;
}

struct Fixture {
  std::string dir;
  std::string archivePath;
  std::string textPath;
  std::string text;
  std::vector<uint8_t> bigPacked;  // size field + LZO stream of the big entry

  Fixture() {
    char tmpl[] = "/tmp/bench_archive_XXXXXX";
    dir = mkdtemp(tmpl);
    setenv("TMPDIR", dir.c_str(), 1);

    std::vector<sbx::PackedFile> files;
    for (int i = 0; i < kEntries - 1; ++i) {
      const std::string bytes = Text(200 + i % 300, static_cast<uint32_t>(i));
      char name[32];
      std::snprintf(name, sizeof name, "entry%04d.dat", i);
      files.push_back(
          {name, sbx::PackEntry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())});
    }
    // Last in the directory, so every resolution scans all of it.
    const std::string big = Text(kBigEntry, 99);
    bigPacked = sbx::PackEntry(reinterpret_cast<const uint8_t*>(big.data()), big.size());
    files.push_back({"big.bin", bigPacked});
    std::vector<uint8_t> archive;
    std::string error;
    if (!sbx::BuildArchive(files, false, 0, &archive, &error)) std::abort();
    archivePath = dir + "/data.sbx";
    std::ofstream(archivePath, std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()),
               static_cast<std::streamsize>(archive.size()));

    text = Text(kTextFile, 7);
    textPath = dir + "/lines.txt";
    std::ofstream(textPath, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  ~Fixture() {
    const std::string cmd = "rm -rf '" + dir + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir.c_str());
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void BM_ResolveBigEntry(benchmark::State& state) {
  ArchiveSource archive;
  archive.path = Data().archivePath;
  std::string destination;
  for (auto _ : state) {
    if (!ResolveAssetName(&archive, "gfx/big.bin", destination, true)) {
      state.SkipWithError("entry not found");
      break;
    }
    benchmark::DoNotOptimize(archive.memoryFile.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigEntry));
}
BENCHMARK(BM_ResolveBigEntry)->Unit(benchmark::kMillisecond);

void BM_BareDecompress(benchmark::State& state) {
  if (lzo_init() != LZO_E_OK) std::abort();
  const std::vector<uint8_t>& packed = Data().bigPacked;
  std::vector<uint8_t> out(kBigEntry);
  for (auto _ : state) {
    lzo_uint length = out.size();
    lzo1x_decompress_safe(packed.data() + 4, packed.size() - 4, out.data(), &length, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigEntry));
}
BENCHMARK(BM_BareDecompress)->Unit(benchmark::kMillisecond);

void ReadAllLines(benchmark::State& state, const std::string& name) {
  RtString line;
  for (auto _ : state) {
    if (OpenFile(0, name.c_str(), 1) != 1) {
      state.SkipWithError("cannot open");
      break;
    }
    int64_t lines = 0;
    while (!EndOfFile(0)) {
      ReadLine(0, line);
      ++lines;
    }
    CloseFile(0);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextFile));
}

void BM_ReadLineDisk(benchmark::State& state) {
  ReadAllLines(state, Data().textPath);
}
BENCHMARK(BM_ReadLineDisk)->Unit(benchmark::kMillisecond);

void BM_ReadLineMemory(benchmark::State& state) {
  ReadAllLines(state, MemoryName(Data().text.data(), Data().text.size()));
}
BENCHMARK(BM_ReadLineMemory)->Unit(benchmark::kMillisecond);

// Record-style reading, as a game reads its saved tables: a line, then a
// 4-byte number, then a byte, over and over, through a disk channel.
void BM_ReadMixedDisk(benchmark::State& state) {
  RtString line;
  int64_t bytes = 0;
  for (auto _ : state) {
    if (OpenFile(0, Data().textPath.c_str(), 1) != 1) {
      state.SkipWithError("cannot open");
      break;
    }
    int number = 0, byte = 0;
    // Stops short of the end, where a typed read would fail.
    while (FilePosition(0) < static_cast<int>(kTextFile) - 2048) {
      ReadLine(0, line);
      ReadLong(0, number);
      ReadUByte(0, byte);
    }
    bytes += FilePosition(0);
    CloseFile(0);
    benchmark::DoNotOptimize(number + byte);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadMixedDisk)->Unit(benchmark::kMillisecond);

// Prints the usual table, then the resolve-to-bare ratio measured in this
// same run.
class RatioReporter : public BenchmarkTable {
 public:
  void Finalize() override {
    BenchmarkTable::Finalize();
    const double resolve = Of("BM_ResolveBigEntry").wall, bare = Of("BM_BareDecompress").wall;
    if (resolve > 0 && bare > 0) {
      std::printf("resolve+unpack / bare decompress: %.2fx (target <= 1.5x)\n", resolve / bare);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Data();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
