// The six pieces. Each is written as sections of eight bars: a chord chart,
// a hand-written melody and step patterns for bass, accompaniment and drums.
// Every piece ends on a chord that leads back into its first bar, so the
// game's restart at the end of the file sounds like the next phrase.
#include <map>
#include <sstream>
#include <stdexcept>

#include "assets.h"
#include "synth.h"

namespace assetgen {

namespace {

using music::Instrument;
using music::Note;
using music::Song;
using music::Track;
using music::Wave;

struct Chord {
  int root = 0;  // pitch class
  std::vector<int> iv;
};

Chord ParseChord(const std::string& s) {
  static const int kBase[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (s.empty() || s[0] < 'A' || s[0] > 'G') throw std::runtime_error("bad chord " + s);
  Chord c;
  c.root = kBase[s[0] - 'A'];
  size_t i = 1;
  if (i < s.size() && s[i] == '#')
    c.root += 1, ++i;
  else if (i < s.size() && s[i] == 'b')
    c.root += 11, ++i;
  c.root %= 12;
  static const std::map<std::string, std::vector<int>> kQual = {
      {"", {0, 4, 7}},       {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
      {"m7", {0, 3, 7, 10}}, {"maj7", {0, 4, 7, 11}}, {"dim", {0, 3, 6}},
      {"sus4", {0, 5, 7}},   {"sus2", {0, 2, 7}},     {"6", {0, 4, 7, 9}},
      {"m6", {0, 3, 7, 9}},  {"add9", {0, 4, 7, 14}}, {"dim7", {0, 3, 6, 9}}};
  auto it = kQual.find(s.substr(i));
  if (it == kQual.end()) throw std::runtime_error("bad chord quality " + s);
  c.iv = it->second;
  return c;
}

int NoteNumber(const std::string& tok) {
  static const int kBase[7] = {9, 11, 0, 2, 4, 5, 7};  // a..g
  char l = tok[0];
  if (l < 'a' || l > 'g') throw std::runtime_error("bad note " + tok);
  int pc = kBase[l - 'a'];
  size_t i = 1;
  if (tok[i] == '#')
    ++pc, ++i;
  else if (tok[i] == 'b')
    --pc, ++i;
  int octave = tok[i] - '0';
  return 12 * (octave + 1) + pc;
}

// The arrangement under construction.
class Score {
 public:
  Score(double bpm, int beats_per_bar) {
    song_.bpm = bpm;
    song_.beats_per_bar = beats_per_bar;
    song_.bars = 0;
  }
  int steps_per_bar() const { return song_.beats_per_bar * 4; }

  int AddTrack(const Instrument& in) {
    song_.tracks.push_back({in, {}});
    return static_cast<int>(song_.tracks.size()) - 1;
  }

  // Appends bars with their chords; "F,C" splits a bar in two halves.
  int AddBars(const std::vector<std::string>& bars) {
    int first = song_.bars;
    for (const std::string& b : bars) {
      std::vector<Chord> cs;
      std::stringstream ss(b);
      std::string part;
      while (std::getline(ss, part, ',')) cs.push_back(ParseChord(part));
      chords_.push_back(cs);
      ++song_.bars;
    }
    return first;
  }

  const Chord& ChordAt(int bar, int step) const {
    const auto& cs = chords_.at(bar);
    size_t idx = static_cast<size_t>(step) * cs.size() / steps_per_bar();
    return cs[idx];
  }

  // Chord-relative patterns, one character per sixteenth:
  //   R root, 3 third, 5 fifth, 7 seventh (or octave), 8 octave, L leading
  //   tone into the next bar's root, 0-9 chord tone index (arpeggios), X the
  //   whole chord, - hold, . rest. Upper-case voices are accented.
  void Pattern(int track, int first_bar, int bars, const std::string& pat, int base,
               double vel = 1.0) {
    int spb = steps_per_bar();
    for (int b = first_bar; b < first_bar + bars; ++b) {
      for (int s = 0; s < spb; ++s) {
        char ch = pat[s % pat.size()];
        if (ch == '-' || ch == '.') continue;
        int len = 1;
        while (s + len < spb && pat[(s + len) % pat.size()] == '-') ++len;
        const Chord& c = ChordAt(b, s);
        int root = RootNear(c.root, base);
        std::vector<int> notes;
        switch (ch) {
          case 'R':
            notes = {root};
            break;
          case '3':
            notes = {root + c.iv[1]};
            break;
          case '5':
            notes = {root + c.iv[2]};
            break;
          case '7':
            notes = {root + (c.iv.size() > 3 ? c.iv[3] : 12)};
            break;
          case '8':
            notes = {root + 12};
            break;
          case 'L': {
            const Chord& next = ChordAt((b + 1) % song_.bars, 0);
            notes = {RootNear(next.root, base) - 1};
            break;
          }
          case 'X':
            for (int iv : c.iv) notes.push_back(ToneNear((c.root + iv) % 12, base));
            break;
          default: {
            if (ch < '0' || ch > '9') throw std::runtime_error("bad pattern char");
            int i = ch - '0', n = static_cast<int>(c.iv.size());
            notes = {root + c.iv[i % n] + 12 * (i / n)};
          }
        }
        double beat = (b * spb + s) / 4.0;
        for (int n : notes) Add(track, beat, len / 4.0, n, vel);
      }
    }
  }

  // Drum lane: X loud, x soft, . nothing.
  void Drums(int track, int first_bar, int bars, const std::string& pat) {
    int spb = steps_per_bar();
    for (int b = first_bar; b < first_bar + bars; ++b)
      for (int s = 0; s < spb; ++s) {
        char ch = pat[s % pat.size()];
        if (ch == 'X' || ch == 'x')
          Add(track, (b * spb + s) / 4.0, 0.25, 60, ch == 'X' ? 1.0 : 0.55);
      }
  }

  // Melody text: tokens like "c5:4" (note, length in sixteenths; the length
  // carries over), "r:2" for rests and "|" bar checks.
  void Melody(int track, int first_bar, const std::string& text, double vel = 1.0,
              int transpose = 0) {
    std::stringstream ss(text);
    std::string tok;
    int pos = first_bar * steps_per_bar(), len = 4, bar_start = pos;
    while (ss >> tok) {
      if (tok == "|") {
        if (pos - bar_start != steps_per_bar())
          throw std::runtime_error("melody bar of wrong length near " + std::to_string(pos));
        bar_start = pos;
        continue;
      }
      size_t colon = tok.find(':');
      if (colon != std::string::npos) len = std::stoi(tok.substr(colon + 1));
      std::string name = tok.substr(0, colon);
      if (name != "r") Add(track, pos / 4.0, len / 4.0, NoteNumber(name) + transpose, vel);
      pos += len;
    }
  }

  // Sparse, seeded plinks on a scale: raindrops, stars, sparkles.
  void Sprinkle(int track, int first_bar, int bars, const std::vector<int>& scale, int per_bar,
                uint32_t seed, double vel) {
    int spb = steps_per_bar();
    for (int b = first_bar; b < first_bar + bars; ++b)
      for (int k = 0; k < per_bar; ++k) {
        uint32_t h = Hash(seed, b, k);
        int s = static_cast<int>(h % spb);
        int n = scale[(h >> 8) % scale.size()];
        Add(track, (b * spb + s) / 4.0, 0.5, n, vel * (0.6 + 0.4 * ((h >> 16) % 100) / 100.0));
      }
  }

  void Add(int track, double beat, double len, int midi, double vel) {
    song_.tracks[track].notes.push_back({beat, len, midi, vel});
  }

  Song& song() { return song_; }

 private:
  static int RootNear(int pc, int base) {
    int n = base + ((pc - base % 12) % 12 + 12) % 12;
    if (n - base > 6) n -= 12;
    return n;
  }
  static int ToneNear(int pc, int base) {  // in [base, base + 12)
    return base + ((pc - base % 12) % 12 + 12) % 12;
  }
  Song song_;
  std::vector<std::vector<Chord>> chords_;
};

// ---------------------------------------------------------------- instruments

Instrument Lead(double duty, double pan = 0.1) {
  Instrument i;
  i.wave = Wave::kPulse;
  i.duty = duty;
  i.gain = 0.19;
  i.pan = pan;
  i.attack = 0.006;
  i.decay = 0.25;
  i.sustain = 0.6;
  i.release = 0.1;
  i.vibrato_depth = 0.18;
  i.vibrato_delay = 0.18;
  i.lowpass = 5200;
  i.echo = 0.25;
  i.reverb = 0.35;
  return i;
}

Instrument Bass(Wave w = Wave::kTriangle) {
  Instrument i;
  i.wave = w;
  i.gain = w == Wave::kTriangle ? 0.2 : 0.11;
  i.attack = 0.004;
  i.decay = 0.18;
  i.sustain = 0.75;
  i.release = 0.05;
  i.lowpass = w == Wave::kTriangle ? 0 : 900;
  return i;
}

Instrument EPiano(double pan = -0.25) {
  Instrument i;
  i.wave = Wave::kFm;
  i.gain = 0.1;
  i.pan = pan;
  i.attack = 0.004;
  i.decay = 0.9;
  i.sustain = 0.25;
  i.release = 0.25;
  i.fm_ratio = 1;
  i.fm_index = 1.8;
  i.fm_index_decay = 0.25;
  i.fm_index_floor = 0.3;
  i.reverb = 0.4;
  return i;
}

Instrument Bell(double ratio = 3.5, double gain = 0.12, double pan = 0.3) {
  Instrument i;
  i.wave = Wave::kFm;
  i.gain = gain;
  i.pan = pan;
  i.attack = 0.002;
  i.decay = 1.2;
  i.sustain = 0.0;
  i.release = 0.6;
  i.fm_ratio = ratio;
  i.fm_index = 2.5;
  i.fm_index_decay = 0.35;
  i.echo = 0.3;
  i.reverb = 0.5;
  return i;
}

Instrument Pad(Wave w, double gain = 0.07) {
  Instrument i;
  i.wave = w;
  i.duty = 0.5;
  i.gain = gain;
  i.attack = 0.35;
  i.decay = 0.5;
  i.sustain = 0.8;
  i.release = 0.6;
  i.detune = 9;
  i.fm_ratio = 2;
  i.fm_index = 0.8;
  i.fm_index_decay = 2.0;
  i.fm_index_floor = 0.4;
  i.lowpass = 2200;
  i.reverb = 0.6;
  return i;
}

Instrument Arp(double duty, double pan) {
  Instrument i;
  i.wave = Wave::kPulse;
  i.duty = duty;
  i.gain = 0.11;
  i.pan = pan;
  i.attack = 0.002;
  i.decay = 0.09;
  i.sustain = 0.2;
  i.release = 0.05;
  i.lowpass = 4200;
  i.echo = 0.45;
  i.reverb = 0.25;
  return i;
}

Instrument Drum(Wave w, double gain, double pan = 0) {
  Instrument i;
  i.wave = w;
  i.gain = gain;
  i.pan = pan;
  i.reverb = w == Wave::kKick ? 0.05 : 0.15;
  return i;
}

// ---------------------------------------------------------------- pieces

// Title music: open and welcoming, F major.
Song MenuSong() {
  Score s(104, 4);
  const std::vector<std::string> A = {"F", "C", "Dm", "Bb", "F", "Bb", "Gm", "C"};
  const std::vector<std::string> B = {"Bb", "C", "Am", "Dm", "Gm", "C", "F", "C7"};
  const std::string melA =
      "c5:4 f5:4 a5:4 g5:2 f5:2 | e5:6 g5:2 c5:8 | d5:4 f5:4 a5:6 g5:2 | f5:4 d5:4 bb4:8 | "
      "c5:4 f5:4 a5:4 c6:4 | d6:6 c6:2 bb5:4 a5:4 | g5:4 a5:2 bb5:2 a5:4 g5:4 | e5:8 r:4 c5:4 |";
  const std::string melA2 =
      "c5:4 f5:4 a5:4 g5:2 f5:2 | e5:6 g5:2 c5:8 | d5:4 f5:4 a5:6 g5:2 | f5:4 d5:4 bb4:8 | "
      "c5:4 f5:4 a5:4 c6:4 | d6:4 bb5:4 f5:4 d5:4 | g5:6 f5:2 e5:4 d5:4 | c5:12 r:4 |";
  const std::string melB =
      "d5:2 f5:2 bb5:4 a5:4 f5:4 | g5:2 e5:2 c5:4 e5:4 g5:4 | a5:4 c6:4 b5:2 a5:2 e5:4 | "
      "f5:12 r:4 | bb5:2 a5:2 g5:4 d5:4 g5:4 | c6:4 bb5:4 g5:4 e5:4 | f5:4 a5:4 c6:4 a5:4 | "
      "g5:8 e5:4 c5:4 |";
  int a1 = s.AddBars(A), a2 = s.AddBars(A), b1 = s.AddBars(B), a3 = s.AddBars(A);
  int lead = s.AddTrack(Lead(0.25));
  int bell = s.AddTrack(Bell(3.5, 0.11, -0.2));
  int bass = s.AddTrack(Bass());
  int keys = s.AddTrack(EPiano());
  int arp = s.AddTrack(Arp(0.125, 0.45));
  int kick = s.AddTrack(Drum(Wave::kKick, 0.26));
  int snare = s.AddTrack(Drum(Wave::kSnare, 0.3, -0.1));
  int hat = s.AddTrack(Drum(Wave::kHat, 0.27, 0.3));
  int shk = s.AddTrack(Drum(Wave::kShaker, 0.15, -0.3));
  s.Melody(bell, a1, melA, 0.9);
  s.Melody(lead, a2, melA2);
  s.Melody(lead, b1, melB);
  s.Melody(lead, a3, melA);
  s.Melody(bell, a3, melA, 0.5, 12);
  for (int bar : {a1, a2, b1, a3}) {
    s.Pattern(bass, bar, 8, "R--.R-5-R--.5-8-", 41);
    s.Pattern(keys, bar, 8, "X-----X-----X---", 60, 0.9);
    s.Drums(kick, bar, 8, "X.......X.X.....");
    s.Drums(hat, bar, 8, "..x...X...x...X.");
    s.Drums(shk, bar, 8, "xxxxxxxxxxxxxxxx");
    if (bar != a1) s.Drums(snare, bar, 8, "....X.......X...");
  }
  s.Pattern(arp, b1, 16, "0.1.2.3.2.1.0.1.", 72);
  s.Drums(snare, a3 - 1, 1, "............XxXX");
  return s.song();
}

// The study and bedroom: playful, bouncing, C major.
Song StudySong() {
  Score s(120, 4);
  const std::vector<std::string> A = {"C", "Am", "F", "G", "C", "Am", "Dm", "G"};
  const std::vector<std::string> B = {"F", "G", "Em", "Am", "Dm", "G", "C", "G7"};
  const std::string melA =
      "e5:2 g5:2 c6:2 g5:2 e5:2 g5:2 c6:4 | a5:2 c6:2 e6:2 c6:2 a5:4 r:4 | "
      "f5:2 a5:2 c6:2 a5:2 f5:2 a5:2 d6:4 | b5:4 a5:2 g5:2 d5:8 | "
      "e5:2 g5:2 c6:2 g5:2 e5:2 g5:2 c6:2 d6:2 | e6:4 d6:2 c6:2 a5:4 c6:4 | "
      "d6:2 c6:2 a5:2 f5:2 a5:4 g5:4 | g5:8 r:8 |";
  const std::string melB =
      "a5:4 a5:2 g5:2 f5:4 c5:4 | d5:4 d5:2 e5:2 g5:8 | e5:4 g5:2 b5:2 e6:4 d6:4 | c6:12 r:4 | "
      "d6:4 c6:2 a5:2 f5:4 a5:4 | g5:4 b5:2 d6:2 g6:8 | e6:4 c6:4 g5:4 e5:4 | d5:4 f5:4 b5:4 d6:4 "
      "|";
  int a1 = s.AddBars(A), a2 = s.AddBars(A), b1 = s.AddBars(B), a3 = s.AddBars(A);
  int lead = s.AddTrack(Lead(0.25));
  int lead2 = s.AddTrack(Lead(0.125, -0.3));
  int bass = s.AddTrack(Bass());
  int keys = s.AddTrack(Arp(0.5, -0.2));
  int arp = s.AddTrack(Arp(0.25, 0.4));
  int kick = s.AddTrack(Drum(Wave::kKick, 0.2));
  int snare = s.AddTrack(Drum(Wave::kSnare, 0.33));
  int hat = s.AddTrack(Drum(Wave::kHat, 0.3, 0.25));
  s.Melody(lead, a1, melA);
  s.Melody(lead, a2, melA);
  s.Melody(lead2, a2, melA, 0.55, -12);
  s.Melody(lead, b1, melB);
  s.Melody(lead, a3, melA);
  for (int bar : {a1, a2, b1, a3}) {
    s.Pattern(bass, bar, 8, "R-.8R-.8R-.85-.8", 41, 0.8);
    s.Pattern(keys, bar, 8, "..X-..X-..X-..X-", 60, 0.8);
    s.Drums(kick, bar, 8, "X...X...X...X...");
    s.Drums(snare, bar, 8, "....X.......X..x");
    s.Drums(hat, bar, 8, "x.X.x.X.x.X.x.X.");
  }
  s.Pattern(arp, b1, 8, "0123012301230123", 72);
  s.Pattern(arp, a3, 8, "0.2.1.3.0.2.1.3.", 72);
  s.Drums(snare, b1 - 1, 1, "............XXXX");
  s.Drums(snare, a3 - 1, 1, "........x.x.XXXX");
  return s.song();
}

// The leaking house: rainy, mellow, D dorian with a walking bass.
Song RainSong() {
  Score s(92, 4);
  const std::vector<std::string> A = {"Dm7", "G7", "Dm7", "Am7", "Bbmaj7", "Am7", "Gm7", "A7"};
  const std::vector<std::string> B = {"Bbmaj7", "C", "Am7", "Dm7", "Gm7", "C", "F", "A7"};
  const std::string melA =
      "a4:4 d5:4 e5:4 f5:4 | e5:6 d5:2 b4:8 | a4:4 d5:4 f5:4 a5:4 | g5:6 e5:2 c5:8 | "
      "d5:4 f5:4 a5:4 bb5:4 | c6:6 a5:2 e5:8 | f5:4 g5:2 f5:2 d5:4 bb4:4 | c#5:12 r:4 |";
  const std::string melB =
      "f5:4 a5:4 d6:8 | c6:4 bb5:2 a5:2 g5:8 | e5:4 g5:4 c6:4 e6:4 | d6:12 r:4 | "
      "bb5:4 a5:4 g5:4 d5:4 | e5:4 g5:4 c6:8 | a5:4 g5:2 f5:2 e5:4 c5:4 | e5:8 c#5:4 a4:4 |";
  int a1 = s.AddBars(A), b1 = s.AddBars(B), a2 = s.AddBars(A);
  Instrument flute = Lead(0.5, 0.05);
  flute.lowpass = 2400;
  flute.attack = 0.03;
  flute.vibrato_depth = 0.25;
  flute.gain = 0.2;
  int lead = s.AddTrack(flute);
  int bell = s.AddTrack(Bell(3.0, 0.1, 0.2));
  int drips = s.AddTrack(Bell(5.0, 0.06, 0.5));
  int bass = s.AddTrack(Bass());
  int keys = s.AddTrack(EPiano(-0.3));
  int kick = s.AddTrack(Drum(Wave::kKick, 0.18));
  int rim = s.AddTrack(Drum(Wave::kClap, 0.16, -0.2));
  int brush = s.AddTrack(Drum(Wave::kShaker, 0.18, 0.3));
  s.Melody(lead, a1, melA);
  s.Melody(lead, b1, melB);
  s.Melody(bell, a2, melA, 0.9);
  s.Melody(lead, a2, melA, 0.45, -12);
  for (int bar : {a1, b1, a2}) {
    s.Pattern(bass, bar, 8, "R---3---5---L---", 38);
    s.Pattern(keys, bar, 8, "X-------..X-----", 57, 0.85);
    s.Drums(kick, bar, 8, "X.........X.....");
    s.Drums(rim, bar, 8, "....X.......X...");
    s.Drums(brush, bar, 8, "x.xxx.xxx.xxx.xX");
  }
  s.Sprinkle(drips, 0, 24, {86, 89, 91, 93, 96, 98}, 3, 41, 0.8);
  return s.song();
}

// Outer space: floating arpeggios over a pulsing bass, E minor.
Song SpaceSong() {
  Score s(128, 4);
  s.song().echo_beats = 0.75;
  s.song().echo_feedback = 0.45;
  s.song().reverb_size = 0.95;
  const std::vector<std::string> A = {"Em", "C", "G", "D", "Em", "C", "Am", "B7"};
  const std::vector<std::string> B = {"C", "D", "G", "Em", "Am", "C", "D", "B7"};
  const std::string melA =
      "e5:4 g5:4 b5:8 | c6:6 b5:2 g5:8 | d6:4 b5:4 g5:4 b5:4 | a5:12 r:4 | "
      "e5:4 g5:4 b5:4 e6:4 | e6:6 d6:2 c6:4 g5:4 | a5:4 c6:4 e6:4 c6:4 | b5:12 d#5:4 |";
  const std::string melB =
      "g5:4 e5:4 c5:8 | f#5:4 a5:4 d6:8 | b5:6 a5:2 g5:8 | e5:12 r:4 | "
      "c6:4 b5:4 a5:4 e5:4 | g5:6 a5:2 b5:4 c6:4 | d6:8 f#5:8 | a5:4 f#5:4 d#5:4 b4:4 |";
  int a1 = s.AddBars(A), a2 = s.AddBars(A), b1 = s.AddBars(B), a3 = s.AddBars(A);
  Instrument lead;
  lead.wave = Wave::kFm;
  lead.gain = 0.14;
  lead.fm_ratio = 2;
  lead.fm_index = 1.4;
  lead.fm_index_decay = 0.6;
  lead.fm_index_floor = 0.5;
  lead.attack = 0.03;
  lead.decay = 0.4;
  lead.sustain = 0.7;
  lead.release = 0.3;
  lead.vibrato_depth = 0.22;
  lead.echo = 0.4;
  lead.reverb = 0.5;
  int ld = s.AddTrack(lead);
  int arp = s.AddTrack(Arp(0.25, 0.35));
  int arp2 = s.AddTrack(Arp(0.125, -0.35));
  int pad = s.AddTrack(Pad(Wave::kFm, 0.08));
  int bass = s.AddTrack(Bass(Wave::kSaw));
  int sub = s.AddTrack(Bass());
  int kick = s.AddTrack(Drum(Wave::kKick, 0.26));
  int clap = s.AddTrack(Drum(Wave::kClap, 0.26, 0.1));
  int hat = s.AddTrack(Drum(Wave::kOpenHat, 0.18, -0.25));
  int stars = s.AddTrack(Bell(4.0, 0.05, 0.6));
  s.Melody(ld, a2, melA);
  s.Melody(ld, b1, melB);
  s.Melody(ld, a3, melA, 1.0, 12);
  for (int bar : {a1, a2, b1, a3}) {
    s.Pattern(arp, bar, 8, "0124210401242104", 64);
    s.Pattern(pad, bar, 8, "X---------------", 55, 0.9);
    s.Pattern(bass, bar, 8, "R.R.R.R.R.R.8.R.", 40);
    s.Pattern(sub, bar, 8, "R-------R-------", 28, 0.8);
    s.Drums(kick, bar, 8, "X.....X...X.....");
    s.Drums(hat, bar, 8, "..x...x...x...x.");
    if (bar != a1) s.Drums(clap, bar, 8, "....X.......X...");
  }
  s.Pattern(arp2, b1, 16, "..4...2...3...1.", 76);
  s.Sprinkle(stars, 0, 32, {88, 91, 95, 98, 100}, 2, 97, 0.8);
  return s.song();
}

// The haunted place: a music-box waltz in A minor over a dark organ.
Song GhostSong() {
  Score s(126, 3);
  s.song().reverb_size = 1.0;
  const std::vector<std::string> A = {"Am", "Dm", "E7", "Am", "F", "Dm", "E7", "E7"};
  const std::vector<std::string> B = {"Dm", "Am", "E7", "Am", "F", "Dm", "Bdim", "E7"};
  const std::string melA =
      "e5:4 a5:4 c6:4 | d6:6 c6:2 a5:4 | b5:4 g#5:4 e5:4 | a5:8 e5:4 | "
      "f5:4 a5:4 c6:4 | d6:4 f6:4 d6:4 | e6:4 d6:4 b5:4 | g#5:8 r:4 |";
  const std::string melB =
      "a5:4 f5:4 d5:4 | e5:6 a5:2 c6:4 | b5:4 d6:4 g#5:4 | a5:12 | "
      "c6:4 a5:4 f5:4 | f5:6 e5:2 d5:4 | d5:4 f5:4 g#5:4 | b5:8 r:4 |";
  int a1 = s.AddBars(A), a2 = s.AddBars(A), b1 = s.AddBars(B), b2 = s.AddBars(B), a3 = s.AddBars(A);
  int box = s.AddTrack(Bell(5.0, 0.12, 0.15));
  int lead = s.AddTrack([] {
    Instrument i = Lead(0.5, -0.1);
    i.lowpass = 1800;
    i.attack = 0.05;
    i.vibrato_depth = 0.35;
    i.vibrato_rate = 4.5;
    i.gain = 0.15;
    return i;
  }());
  int organ = s.AddTrack(Pad(Wave::kPulse, 0.05));
  int bass = s.AddTrack(Bass());
  int pluck = s.AddTrack(Arp(0.5, -0.3));
  int tick = s.AddTrack(Drum(Wave::kHat, 0.18, 0.4));
  int kick = s.AddTrack(Drum(Wave::kKick, 0.18));
  s.Melody(box, a1, melA);
  s.Melody(box, a2, melA);
  s.Melody(lead, a2, melA, 0.7, -12);
  s.Melody(lead, b1, melB);
  s.Melody(box, b2, melB);
  s.Melody(lead, b2, melB, 0.5, -12);
  s.Melody(box, a3, melA);
  for (int bar : {a1, a2, b1, b2, a3}) {
    s.Pattern(organ, bar, 8, "X-----------", 52, 0.8);
    s.Pattern(bass, bar, 8, "R-------5---", 33);
    s.Pattern(pluck, bar, 8, "....X...X...", 57, 0.8);
    s.Drums(tick, bar, 8, "X...x...x...");
    s.Drums(kick, bar, 8, "X...........");
  }
  return s.song();
}

// Cartoon land: bouncy and silly, G major with an oom-pah bass.
Song ToonSong() {
  Score s(144, 4);
  const std::vector<std::string> A = {"G", "C", "D", "G", "Em", "C", "A7", "D7"};
  const std::vector<std::string> B = {"C", "G", "D", "Em", "C", "G", "A7", "D7"};
  const std::string melA =
      "g5:2 r:2 b5:2 r:2 d6:2 r:2 b5:4 | c6:2 r:2 e6:2 r:2 c6:2 a5:2 g5:4 | "
      "f#5:2 a5:2 d6:2 a5:2 f#5:2 e5:2 d5:4 | g5:4 b5:4 g5:8 | "
      "e5:2 g5:2 b5:2 e6:2 d6:2 b5:2 g5:4 | e6:2 d6:2 c6:2 e6:2 g6:4 e6:4 | "
      "c#6:2 e6:2 a5:2 c#6:2 e6:4 g5:4 | f#5:4 a5:4 c6:4 d6:4 |";
  const std::string melB =
      "e6:4 c6:2 e6:2 g6:8 | d6:4 b5:2 d6:2 g6:8 | f#6:2 e6:2 d6:2 c6:2 b5:2 a5:2 f#5:4 | "
      "g5:12 r:4 | c6:2 c6:2 e6:2 c6:2 g5:4 e5:4 | d5:2 g5:2 b5:2 d6:2 g6:4 d6:4 | "
      "e6:4 c#6:4 a5:4 g5:4 | f#5:2 a5:2 c6:2 d6:2 f#6:8 |";
  int a1 = s.AddBars(A), a2 = s.AddBars(A), b1 = s.AddBars(B), a3 = s.AddBars(A), b2 = s.AddBars(B);
  Instrument lead = Lead(0.25, 0.1);
  lead.decay = 0.12;
  lead.sustain = 0.35;
  lead.vibrato_depth = 0.1;
  int ld = s.AddTrack(lead);
  int xylo = s.AddTrack([] {
    Instrument i = Bell(4.0, 0.14, -0.25);
    i.decay = 0.35;
    i.fm_index = 3;
    i.fm_index_decay = 0.05;
    i.echo = 0.1;
    return i;
  }());
  int bass = s.AddTrack(Bass());
  int stab = s.AddTrack(Arp(0.5, -0.2));
  int kick = s.AddTrack(Drum(Wave::kKick, 0.24));
  int snare = s.AddTrack(Drum(Wave::kSnare, 0.3));
  int hat = s.AddTrack(Drum(Wave::kHat, 0.27, 0.3));
  int block = s.AddTrack([] {
    Instrument i = Bell(1.5, 0.07, 0.5);
    i.decay = 0.06;
    i.fm_index = 4;
    i.fm_index_decay = 0.02;
    i.echo = 0;
    return i;
  }());
  s.Melody(xylo, a1, melA);
  s.Melody(ld, a2, melA);
  s.Melody(ld, b1, melB);
  s.Melody(xylo, b1, melB, 0.6, -12);
  s.Melody(ld, a3, melA);
  s.Melody(xylo, a3, melA, 0.5, 12);
  s.Melody(xylo, b2, melB);
  s.Melody(ld, b2, melB, 0.6);
  for (int bar : {a1, a2, b1, a3, b2}) {
    s.Pattern(bass, bar, 8, "R---....5---....", 43);
    s.Pattern(stab, bar, 8, "....X-......X-..", 60, 0.8);
    s.Drums(kick, bar, 8, "X.......X.......");
    s.Drums(snare, bar, 8, "....X.......X...");
    s.Drums(hat, bar, 8, "x.x.x.x.x.x.x.x.");
    s.Pattern(block, bar, 8, "..........5...5.", 84, 0.7);
  }
  s.Drums(snare, b2 + 7, 1, "........xxxxXXXX");
  return s.song();
}

}  // namespace

std::string SongFileName(int index) {
  return index == 0 ? "menu.mp3" : std::to_string(index - 1) + ".mp3";
}

SongAudio RenderSong(int index) {
  Song song;
  switch (index) {
    case 0:
      song = MenuSong();
      break;
    case 1:
      song = StudySong();
      break;
    case 2:
      song = RainSong();
      break;
    case 3:
      song = SpaceSong();
      break;
    case 4:
      song = GhostSong();
      break;
    default:
      song = ToonSong();
      break;
  }
  return music::Render(song, 1000 + index);
}

}  // namespace assetgen
