// A small sequencer and synthesiser for the game's music: pulse, triangle,
// saw, two-operator FM and noise drums, an echo and a room reverb.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets.h"

namespace assetgen::music {

inline constexpr int kRate = 44100;

enum class Wave { kPulse, kTriangle, kSaw, kFm, kKick, kSnare, kHat, kOpenHat, kClap, kShaker };

struct Instrument {
  Wave wave = Wave::kPulse;
  double gain = 0.3;
  double pan = 0;                                                     // -1 left .. 1 right
  double attack = 0.005, decay = 0.1, sustain = 0.7, release = 0.08;  // seconds, level
  double duty = 0.5;                                                  // pulse width
  double detune = 0;            // cents of a second, chorused oscillator (0 = none)
  double vibrato_depth = 0;     // semitones
  double vibrato_rate = 5.5;    // Hz
  double vibrato_delay = 0.25;  // seconds before vibrato fades in
  double fm_ratio = 1, fm_index = 0, fm_index_decay = 0.3, fm_index_floor = 0;
  double lowpass = 0;  // one-pole cutoff in Hz, 0 = open
  double echo = 0;     // send levels
  double reverb = 0;
  double slide = 0;  // semitones of upward scoop at note start
};

struct Note {
  double beat;  // start, in beats from the top of the piece
  double len;   // beats
  int midi;
  double vel = 1;
};

struct Track {
  Instrument inst;
  std::vector<Note> notes;
};

struct Song {
  double bpm = 120;
  int beats_per_bar = 4;
  int bars = 32;
  double echo_beats = 0.75;
  double echo_feedback = 0.35;
  double reverb_size = 0.8;
  std::vector<Track> tracks;
  double Seconds() const { return bars * beats_per_bar * 60.0 / bpm; }
};

// Renders exactly one loop. Echo and reverb tails that run past the end are
// folded back onto the start, so the piece repeats without a seam.
SongAudio Render(const Song& song, uint32_t seed);

}  // namespace assetgen::music
