// PlaySound on the real SDL mixer: calls per millisecond when every copy is
// busy (each call stops and rewinds a copy), and the time from PlaySound to
// the first sample of the sound in the mixer's output.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/audio/audio_service.h"
#include "runtime/audio/audio_state.h"
#include "runtime/audio/sound_effects.h"
#include "runtime/core/byte_order.h"
#include "runtime/platform/clock.h"
#include "wave_builder.h"

namespace {

// A mono 22,050 Hz tone of the given length, full of non-zero samples.
std::string WriteTone(double seconds) {
  const uint32_t frames = static_cast<uint32_t>(seconds * 22050);
  testwave::WaveBuilder wave;
  for (uint32_t i = 0; i < frames; ++i) {
    AppendLe16(wave.samples, static_cast<uint16_t>(8000 + std::lround(4000 * std::sin(i * 0.3))));
  }
  const std::vector<uint8_t> f = wave.Bytes();
  char path[] = "/tmp/bench_sound_XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
  return path;
}

bool StartMixer() {
  AudioStart();
  // The silent stand-in mixes nothing: nothing to measure.
  return Audio().mixer != nullptr && !Audio().noDevice;
}

void BM_PlaySoundAllCopiesBusy(benchmark::State& state) {
  if (!StartMixer()) {
    state.SkipWithError("no sound device");
    return;
  }
  const std::string tone = WriteTone(10);
  LoadSound(tone.c_str(), 0, 4);
  for (int i = 0; i < 4; ++i) PlaySound(0, 0, 1);
  int failed = 0;
  for (auto _ : state) failed += PlaySound(0, 0.5, 0.8) < 0 ? 1 : 0;
  state.SetItemsProcessed(state.iterations());
  state.counters["failed"] = failed;
  AudioShutdown();
  unlink(tone.c_str());
}
BENCHMARK(BM_PlaySoundAllCopiesBusy);

// Manual time: each iteration is one PlaySound to first-sample delay.
void BM_PlaySoundToFirstSample(benchmark::State& state) {
  if (!StartMixer()) {
    state.SkipWithError("no sound device");
    return;
  }
  const std::string tone = WriteTone(0.2);
  LoadSound(tone.c_str(), 0, 1);
  std::atomic<double> heardAt{0};
  std::atomic<bool> armed{false};
  Audio().mixer->SetOutputObserver([&](const int16_t* samples, int frames) {
    if (!armed.load()) return;
    for (int i = 0; i < frames * 2; ++i) {
      if (samples[i] != 0) {
        heardAt = plat::NowMs();
        armed = false;
        return;
      }
    }
  });
  std::vector<double> latencies;
  int step = 0;
  for (auto _ : state) {
    StopAllSounds();
    // Start at different points of the mixer's buffer cycle.
    plat::SleepMs(30 + (step++ * 7) % 23);
    heardAt = 0;
    armed = true;
    const double playedAt = plat::NowMs();
    PlaySound(0, 0, 1);
    while (armed.load() && plat::NowMs() - playedAt < 1000) plat::SleepMs(0.2);
    const double ms = heardAt.load() > 0 ? heardAt.load() - playedAt : 1000;
    latencies.push_back(ms);
    state.SetIterationTime(ms / 1000);
  }
  Audio().mixer->SetOutputObserver(nullptr);
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    state.counters["p50_ms"] = latencies[latencies.size() / 2];
    state.counters["max_ms"] = latencies.back();
    state.counters["buffer_ms"] = 1000.0 * plat::kMixerBufferFrames / plat::kMixerRate;
  }
  AudioShutdown();
  unlink(tone.c_str());
}
BENCHMARK(BM_PlaySoundToFirstSample)
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Without a sound card the dummy driver keeps the real device timing.
  setenv("SDL_AUDIODRIVER", getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "dummy", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
