// The sound a program made, mixed in software from what it asked of the
// sound layer: effects at their volume and pan, one music piece at its
// volume. A video recording of a deterministic run takes its sound track
// from here, since no device mixes anything there. Everything is in the
// mixer format (plat::kMixerRate frames a second, 16-bit stereo).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class SoundTrack {
 public:
  // Interleaved stereo samples, shared with whoever holds the same sound.
  using Samples = std::shared_ptr<const std::vector<int16_t>>;

  // Starts samples from their first frame on channel, cutting off what the
  // channel played. gainMb and pan as the mixer takes them: hundredths of a
  // decibel (-10000 is silence), pan -10000..10000 attenuating the far side.
  // `sound` names the samples so that FreeSound can silence them.
  void Play(int channel, int sound, Samples samples, int gainMb, int pan);
  void Stop(int channel);
  // Every channel playing the sound stops (it has been unloaded).
  void FreeSound(int sound);

  // A new piece, not yet playing; null for one that could not be decoded
  // (it plays as silence).
  void OpenMusic(Samples samples);
  // Plays the piece from its start. A start while the piece is still
  // playing is a loop's restart, which a player reaching the end would have
  // made at the end: the piece plays on and wraps round at its end instead.
  void StartMusic();
  void CloseMusic();
  // 0..1000, 1000 being the piece as recorded.
  void SetMusicVolume(int volume);

  // The next `frames` frames of the mix into out (2 * frames samples).
  void Mix(int16_t* out, int frames);
  // Whether anything still sounds.
  bool Active() const;

  // The linear factor of a gain in hundredths of a decibel.
  static float Gain(int millibels);
  // Frames of the track before video frame `frame` at `fps` frames a
  // second, so each frame's sound starts where its picture does.
  static int64_t FramesBefore(int64_t frame, int fps);

 private:
  struct Voice {
    int sound = -1;
    Samples samples;
    size_t at = 0;  // next sample index (not frame)
    float left = 1, right = 1;
  };
  std::map<int, Voice> voices_;
  Samples music_;
  size_t musicAt_ = 0;
  bool musicPlaying_ = false;
  bool musicStartedSinceOpen_ = false;
  bool musicLoops_ = false;
  float musicVolume_ = 1;
  std::vector<int32_t> sum_;
};
