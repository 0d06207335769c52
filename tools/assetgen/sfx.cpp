// Sound effects, synthesised at the game's effect rate.
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace assetgen {

namespace {

constexpr double kRate = kSfxRate;

struct Buf {
  std::vector<double> s;
  explicit Buf(double seconds) : s(static_cast<size_t>(seconds * kRate)) {}
  size_t n() const { return s.size(); }
};

// Simple filters on a running state.
struct OnePole {
  double a = 0, z = 0;
  OnePole(double cutoff) : a(1 - std::exp(-2 * M_PI * cutoff / kRate)) {}
  double Low(double x) { return z += a * (x - z); }
  double High(double x) { return x - Low(x); }
};

// Band-pass biquad (constant peak gain). Unlike the state-variable form it
// stays stable right up to the Nyquist frequency, which crackles need.
struct BandPass {
  double b0, b2, a1, a2, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  BandPass(double centre, double q) {
    double w = 2 * M_PI * std::min(centre, kRate * 0.45) / kRate;
    double alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
    b0 = alpha / a0;
    b2 = -alpha / a0;
    a1 = -2 * std::cos(w) / a0;
    a2 = (1 - alpha) / a0;
  }
  double operator()(double x) {
    double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

std::vector<int16_t> ToPcm(const Buf& b, double peak) {
  double m = 1e-9;
  for (double v : b.s) m = std::max(m, std::abs(v));
  std::vector<int16_t> out(b.n());
  for (size_t i = 0; i < b.n(); ++i) {
    double v = b.s[i] / m * peak;
    // Short fade at the very end so no effect stops on a click.
    size_t left = b.n() - i;
    if (left < 64) v *= left / 64.0;
    out[i] = static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
  }
  return out;
}

// Paper crumpling: a dense burst of tiny crackles, each a band-passed click
// at its own pitch, thinning out as the paper settles.
std::vector<int16_t> Paper() {
  Buf b(0.62);
  Rng rng(101);
  for (int k = 0; k < 170; ++k) {
    double t0 = std::pow(rng.Uniform(), 1.7) * 0.56;
    double centre = rng.Range(1800, 6500), len = rng.Range(0.004, 0.022);
    double amp = rng.Range(0.3, 1.0) * (1.1 - t0 * 1.4);
    BandPass bp(centre, rng.Range(1.5, 4));
    size_t start = static_cast<size_t>(t0 * kRate), count = static_cast<size_t>(len * kRate);
    for (size_t i = 0; i < count && start + i < b.n(); ++i) {
      double env = std::exp(-static_cast<double>(i) / (count * 0.35));
      b.s[start + i] += amp * env * bp(rng.Range(-1, 1));
    }
  }
  // Body: a soft rustle of filtered noise under the crackles.
  OnePole hp(900), lp(5000);
  for (size_t i = 0; i < b.n(); ++i) {
    double t = i / kRate;
    double env = std::min(1.0, t / 0.01) * std::exp(-t / 0.2);
    b.s[i] += 0.25 * env * lp.Low(hp.High(rng.Range(-1, 1)));
  }
  return ToPcm(b, 0.8);
}

// Square blip with a quick upward step: the menu cursor.
std::vector<int16_t> Cursor() {
  Buf b(0.06);
  double ph = 0;
  OnePole lp(4000);
  for (size_t i = 0; i < b.n(); ++i) {
    double t = i / kRate;
    double f = t < 0.02 ? 660 : 990;
    ph += f / kRate;
    double sq = std::fmod(ph, 1.0) < 0.5 ? 1 : -1;
    double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.03);
    b.s[i] = lp.Low(sq) * env;
  }
  return ToPcm(b, 0.45);
}

// FM bell note added into a buffer.
void Bell(Buf& b, double t0, double freq, double amp, double decay, double ratio = 3.5,
          double index = 2.2) {
  size_t start = static_cast<size_t>(t0 * kRate);
  for (size_t i = start; i < b.n(); ++i) {
    double t = (i - start) / kRate;
    double env = std::min(1.0, t / 0.003) * std::exp(-t / decay);
    double mod = index * std::exp(-t / (decay * 0.5)) * std::sin(2 * M_PI * freq * ratio * t);
    b.s[i] += amp * env * std::sin(2 * M_PI * freq * t + mod);
  }
}

double Midi(double n) {
  return 440.0 * std::pow(2.0, (n - 69) / 12.0);
}

// Confirm and pickup: a bright rising arpeggio, finished well inside 0.8 s
// because the menu waits for it.
std::vector<int16_t> Confirm() {
  Buf b(0.52);
  const int notes[] = {72, 76, 79, 84};
  for (int k = 0; k < 4; ++k)
    Bell(b, k * 0.055, Midi(notes[k]), k == 3 ? 1.0 : 0.7, 0.12 + k * 0.03);
  // A sparkle an octave above on the last note.
  Bell(b, 0.165, Midi(96), 0.25, 0.08, 2.0, 1.0);
  return ToPcm(b, 0.7);
}

// Back and pause: two falling square notes.
std::vector<int16_t> Back() {
  Buf b(0.2);
  double ph = 0;
  OnePole lp(3000);
  for (size_t i = 0; i < b.n(); ++i) {
    double t = i / kRate;
    double f = t < 0.08 ? Midi(79) : Midi(72);
    double local = t < 0.08 ? t : t - 0.08;
    ph += f / kRate;
    double sq = std::fmod(ph, 1.0) < 0.25 ? 1 : -1;
    double env = std::min(1.0, local / 0.003) * std::exp(-local / 0.05);
    b.s[i] = lp.Low(sq) * env;
  }
  return ToPcm(b, 0.45);
}

// A light switch: a hard plastic snap, then its softer return.
std::vector<int16_t> Switch() {
  Buf b(0.11);
  Rng rng(7);
  auto click = [&](double t0, double amp, double centre) {
    BandPass bp(centre, 4);
    size_t start = static_cast<size_t>(t0 * kRate);
    for (size_t i = start; i < b.n(); ++i) {
      double t = (i - start) / kRate;
      double exc = t < 0.0015 ? rng.Range(-1, 1) : 0;
      b.s[i] += amp * bp(exc) * std::exp(-t / 0.02) * 2;
      // The plastic body of the switch: a short knock under the snap.
      b.s[i] += amp * std::sin(2 * M_PI * centre * 0.4 * t) * std::exp(-t / 0.012);
    }
  };
  click(0.0, 1.0, 2200);
  click(0.003, 0.5, 3800);
  click(0.045, 0.6, 1700);
  return ToPcm(b, 0.6);
}

// The jumper's spring: a twangy tone that bends up and wobbles down.
std::vector<int16_t> Boing() {
  Buf b(0.5);
  double ph = 0;
  OnePole lp(2500);
  for (size_t i = 0; i < b.n(); ++i) {
    double t = i / kRate;
    double f = 170 + 260 * (1 - std::exp(-t / 0.03)) * std::exp(-t / 0.35) +
               60 * std::sin(2 * M_PI * 14 * t) * std::exp(-t / 0.18);
    ph += f / kRate;
    double p = std::fmod(ph, 1.0);
    double tri = 4 * std::abs(p - 0.5) - 1;
    double sq = p < 0.3 ? 1 : -1;
    double env = std::min(1.0, t / 0.004) * std::exp(-t / 0.16);
    b.s[i] = lp.Low(0.7 * tri + 0.3 * sq) * env;
  }
  return ToPcm(b, 0.7);
}

// A drip: a short sine that bloops upwards. Kept soft and short because the
// game retriggers it every frame while a drop hangs at the ceiling.
std::vector<int16_t> Drip() {
  Buf b(0.075);
  double ph = 0;
  for (size_t i = 0; i < b.n(); ++i) {
    double t = i / kRate;
    double f = 700 + 1100 * (1 - std::exp(-t / 0.012));
    ph += f / kRate;
    double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.018);
    b.s[i] = std::sin(2 * M_PI * ph) * env;
  }
  return ToPcm(b, 0.22);
}

}  // namespace

std::vector<SoundOut> MakeSounds() {
  return {
      {"sound/paper.wav", Paper()},        {"sound/selection1.wav", Cursor()},
      {"sound/selection2.wav", Confirm()}, {"sound/selection3.wav", Back()},
      {"sound/light.wav", Switch()},       {"sound/boing.wav", Boing()},
      {"sound/waterdrop.wav", Drip()},
  };
}

}  // namespace assetgen
