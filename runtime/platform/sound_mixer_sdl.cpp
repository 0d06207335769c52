#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>

#include "runtime/platform/sound_mixer.h"

namespace plat {
namespace {

SDL_AudioFormat SdlFormat(PcmLayout::Encoding e) {
  switch (e) {
    case PcmLayout::Encoding::kUnsigned8:
      return AUDIO_U8;
    case PcmLayout::Encoding::kSigned16:
      return AUDIO_S16LSB;
    case PcmLayout::Encoding::kSigned24:  // widened to 32 bits first
    case PcmLayout::Encoding::kSigned32:
      return AUDIO_S32LSB;
    case PcmLayout::Encoding::kFloat32:
      return AUDIO_F32LSB;
  }
  return AUDIO_S16LSB;
}

// SDL has no packed 24-bit type: each sample moves to the top of an int32.
std::vector<uint8_t> Widen24(const uint8_t* bytes, size_t byteCount) {
  const size_t samples = byteCount / 3;
  std::vector<uint8_t> wide(samples * 4);
  for (size_t i = 0; i < samples; ++i) {
    wide[i * 4 + 0] = 0;
    wide[i * 4 + 1] = bytes[i * 3 + 0];
    wide[i * 4 + 2] = bytes[i * 3 + 1];
    wide[i * 4 + 3] = bytes[i * 3 + 2];
  }
  return wide;
}

// Per-channel gains, read by the mixer thread. A play writes them before
// registering the effect; the registration takes the audio lock, which
// orders the write before any read.
struct ChannelGain {
  float left = 1.0f;
  float right = 1.0f;
};

// Mix_Volume has 129 steps, far too coarse for a decibel scale that goes
// down to -100 dB, so each playing channel scales its own samples.
void ApplyGain(int, void* stream, int len, void* udata) {
  const auto* gain = static_cast<const ChannelGain*>(udata);
  if (gain->left == 1.0f && gain->right == 1.0f) return;  // full volume, centred
  auto* samples = static_cast<int16_t*>(stream);
  const int frames = len / kMixerFrameBytes;
  for (int i = 0; i < frames; ++i) {
    const float l = std::nearbyint(samples[2 * i] * gain->left);
    const float r = std::nearbyint(samples[2 * i + 1] * gain->right);
    samples[2 * i] = static_cast<int16_t>(std::clamp(l, -32768.0f, 32767.0f));
    samples[2 * i + 1] = static_cast<int16_t>(std::clamp(r, -32768.0f, 32767.0f));
  }
}

float GainFromMillibels(int mb) {
  if (mb <= -10000) return 0.0f;  // the bottom of the scale is silence
  return static_cast<float>(std::pow(10.0, mb / 2000.0));
}

class SdlSoundMixer final : public SoundMixer {
 public:
  explicit SdlSoundMixer(int channels) : gains_(static_cast<size_t>(channels)) {
    channelCount_ = Mix_AllocateChannels(channels);
    Mix_Volume(-1, MIX_MAX_VOLUME);
    Mix_SetPostMix(&SdlSoundMixer::PostMix, this);
  }

  ~SdlSoundMixer() override {
    Mix_SetPostMix(nullptr, nullptr);
    Mix_HaltChannel(-1);
    CloseMusic();
    for (auto& c : chunks_) {
      if (c.chunk) Mix_FreeChunk(c.chunk);
    }
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  int ChannelCount() const override { return channelCount_; }

  int AddChunk(std::vector<uint8_t> samples) override {
    if (samples.empty() || samples.size() > UINT32_MAX) return -1;
    size_t id = 0;
    while (id < chunks_.size() && chunks_[id].chunk) ++id;
    if (id == chunks_.size()) chunks_.emplace_back();
    Chunk& c = chunks_[id];
    c.samples = std::move(samples);
    // The chunk borrows the bytes; they live in the record until FreeChunk.
    c.chunk = Mix_QuickLoad_RAW(c.samples.data(), static_cast<Uint32>(c.samples.size()));
    if (!c.chunk) {
      c.samples.clear();
      return -1;
    }
    return static_cast<int>(id);
  }

  void FreeChunk(int chunk) override {
    Chunk* c = Find(chunk);
    if (!c) return;
    for (int ch = 0; ch < channelCount_; ++ch) {
      if (Mix_GetChunk(ch) == c->chunk) Mix_HaltChannel(ch);
    }
    Mix_FreeChunk(c->chunk);
    c->chunk = nullptr;
    std::vector<uint8_t>().swap(c->samples);
  }

  bool Play(int channel, int chunk, int gainMb, int pan) override {
    Chunk* c = Find(chunk);
    if (!c || channel < 0 || channel >= channelCount_) return false;
    // Halting also drops the channel's effects, so every play registers
    // exactly one gain stage.
    Mix_HaltChannel(channel);
    Mix_UnregisterAllEffects(channel);
    ChannelGain& g = gains_[static_cast<size_t>(channel)];
    g.left = GainFromMillibels(gainMb - std::max(pan, 0));
    g.right = GainFromMillibels(gainMb - std::max(-pan, 0));
    if (!Mix_RegisterEffect(channel, ApplyGain, nullptr, &g)) return false;
    if (Mix_PlayChannel(channel, c->chunk, 0) < 0) {
      Mix_UnregisterAllEffects(channel);
      return false;
    }
    return true;
  }

  void Stop(int channel) override {
    if (channel >= 0 && channel < channelCount_) Mix_HaltChannel(channel);
  }

  bool Playing(int channel) override {
    return channel >= 0 && channel < channelCount_ && Mix_Playing(channel) != 0;
  }

  bool OpenMusic(const std::string& path) override {
    CloseMusic();
    music_ = Mix_LoadMUS(path.c_str());
    return music_ != nullptr;
  }

  void CloseMusic() override {
    if (!music_) return;
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
  }

  bool StartMusic() override { return music_ && Mix_PlayMusic(music_, 0) == 0; }

  double MusicLengthMs() override {
    if (!music_) return -1;
    const double seconds = Mix_MusicDuration(music_);
    return seconds < 0 ? -1 : seconds * 1000.0;
  }

  double MusicPositionMs() override {
    if (!music_) return 0;
    const double seconds = Mix_GetMusicPosition(music_);
    return seconds < 0 ? 0 : seconds * 1000.0;
  }

  bool MusicActive() override { return music_ && Mix_PlayingMusic() != 0; }

  void SetMusicVolume(int volume) override {
    const int v = std::clamp(volume, 0, 1000);
    Mix_VolumeMusic((v * MIX_MAX_VOLUME + 500) / 1000);
  }

  void SetOutputObserver(OutputObserver observer) override {
    std::lock_guard<std::mutex> lock(observerLock_);
    observer_ = std::move(observer);
  }

 private:
  struct Chunk {
    std::vector<uint8_t> samples;
    Mix_Chunk* chunk = nullptr;
  };

  Chunk* Find(int chunk) {
    if (chunk < 0 || static_cast<size_t>(chunk) >= chunks_.size()) return nullptr;
    Chunk* c = &chunks_[static_cast<size_t>(chunk)];
    return c->chunk ? c : nullptr;
  }

  static void PostMix(void* self, Uint8* stream, int len) {
    auto* mixer = static_cast<SdlSoundMixer*>(self);
    std::lock_guard<std::mutex> lock(mixer->observerLock_);
    if (mixer->observer_) {
      mixer->observer_(reinterpret_cast<const int16_t*>(stream), len / kMixerFrameBytes);
    }
  }

  // The tap is called on the mixer's thread; taken uncontended except while
  // being replaced.
  std::mutex observerLock_;
  OutputObserver observer_;
  int channelCount_ = 0;
  std::vector<ChannelGain> gains_;  // never resized, the mixer holds pointers into it
  std::vector<Chunk> chunks_;
  Mix_Music* music_ = nullptr;
};

}  // namespace

bool ConvertToMixerFormat(const PcmLayout& from, const uint8_t* bytes, size_t byteCount,
                          std::vector<uint8_t>& out) {
  out.clear();
  if (from.channels < 1 || from.channels > 8 || from.rate <= 0) return false;
  // SDL converts the whole input at once through float buffers sized in
  // int: the longer of the input and the resampled output, in float
  // samples of at least two channels, must stay well inside int, or its
  // buffer sizes overflow (a long sound at a low rate crashed here). With
  // a factor of two for SDL's own padding that still allows well over an
  // hour at our rate, far beyond any sound effect.
  {
    const uint64_t sampleBytes = from.encoding == PcmLayout::Encoding::kSigned24
                                     ? 3
                                     : SDL_AUDIO_BITSIZE(SdlFormat(from.encoding)) / 8;
    const uint64_t inFrames = byteCount / (static_cast<uint64_t>(from.channels) * sampleBytes);
    const uint64_t outFrames =
        inFrames * static_cast<uint64_t>(kMixerRate) / static_cast<uint64_t>(from.rate) + 1;
    const uint64_t width = static_cast<uint64_t>(std::max(from.channels, kMixerChannels));
    const uint64_t work = std::max(inFrames, outFrames) * width * sizeof(float) * 2;
    if (work > static_cast<uint64_t>(INT_MAX)) return false;
  }
  std::vector<uint8_t> widened;
  if (from.encoding == PcmLayout::Encoding::kSigned24) {
    widened = Widen24(bytes, byteCount);
    bytes = widened.data();
    byteCount = widened.size();
  }
  if (byteCount > static_cast<size_t>(INT_MAX)) return false;
  const SDL_AudioFormat format = SdlFormat(from.encoding);
  SDL_AudioStream* stream = SDL_NewAudioStream(format, static_cast<Uint8>(from.channels), from.rate,
                                               AUDIO_S16SYS, kMixerChannels, kMixerRate);
  if (!stream) return false;
  // The resampler keeps back the end of its input even when flushed, so
  // silence follows the sound and the result is cut to the exact length.
  const size_t frameBytes =
      static_cast<size_t>(from.channels) * static_cast<size_t>(SDL_AUDIO_BITSIZE(format) / 8);
  const size_t frames = byteCount / frameBytes;
  const size_t tailFrames =
      1024 + 1024 * static_cast<size_t>(std::max(from.rate, kMixerRate) / kMixerRate);
  const std::vector<uint8_t> silence(
      tailFrames * frameBytes,
      from.encoding == PcmLayout::Encoding::kUnsigned8 ? uint8_t{0x80} : uint8_t{0});
  bool ok = SDL_AudioStreamPut(stream, bytes, static_cast<int>(byteCount)) == 0 &&
            (from.rate == kMixerRate ||
             SDL_AudioStreamPut(stream, silence.data(), static_cast<int>(silence.size())) == 0) &&
            SDL_AudioStreamFlush(stream) == 0;
  if (ok) {
    const int available = SDL_AudioStreamAvailable(stream);
    out.resize(static_cast<size_t>(available > 0 ? available : 0));
    const int got = available > 0 ? SDL_AudioStreamGet(stream, out.data(), available) : 0;
    ok = got >= 0;
    const size_t expected =
        static_cast<size_t>(static_cast<double>(frames) * kMixerRate / from.rate + 0.5) *
        kMixerFrameBytes;
    const size_t whole = ok ? static_cast<size_t>(got) / kMixerFrameBytes * kMixerFrameBytes : 0;
    out.resize(std::min(whole, expected));
  }
  SDL_FreeAudioStream(stream);
  return ok;
}

std::unique_ptr<SoundMixer> OpenSdlSoundMixer(int channels) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  Mix_Init(MIX_INIT_MP3);
  // No allowed changes: SDL converts to the device behind our back, so the
  // gain stage always sees 16-bit stereo at our rate.
  if (Mix_OpenAudioDevice(kMixerRate, AUDIO_S16SYS, kMixerChannels, kMixerBufferFrames, nullptr,
                          0) != 0) {
    // The audio subsystem stays up until the platform shuts down: quitting
    // it here joins a device-watching thread that looks for a stop request
    // only every 100 ms, and a machine without a sound device would pay
    // that at every start.
    Mix_Quit();
    return nullptr;
  }
  return std::make_unique<SdlSoundMixer>(channels);
}

bool ApplicationHasFocus() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetKeyboardFocus() != nullptr;
}

}  // namespace plat
