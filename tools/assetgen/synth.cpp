#include "synth.h"

#include <algorithm>
#include <cmath>

#include "canvas.h"  // Rng

namespace assetgen::music {

namespace {

double MidiFreq(double n) {
  return 440.0 * std::pow(2.0, (n - 69) / 12.0);
}

// sin(2 pi x) from a table with linear interpolation: the FM voices need two
// sines per sample, and this keeps all six pieces within a few seconds.
class SineTable {
 public:
  SineTable() {
    for (int i = 0; i <= kSize; ++i) t_[i] = std::sin(2 * M_PI * i / kSize);
  }
  double operator()(double x) const {
    double f = (x - std::floor(x)) * kSize;
    int i = static_cast<int>(f);
    return t_[i] + (t_[i + 1] - t_[i]) * (f - i);
  }

 private:
  static constexpr int kSize = 8192;
  double t_[kSize + 1];
};

const SineTable& Sin01() {
  static const SineTable table;
  return table;
}

double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

struct Osc {
  double phase = 0;
  double Pulse(double f, double duty) {
    double dt = f / kRate;
    // Centred on zero: a narrow pulse otherwise carries a DC offset that
    // thumps at every note start and stop.
    double shifted = phase + 1 - duty;
    if (shifted >= 1) shifted -= 1;
    double v =
        (phase < duty ? 1.0 : -1.0) + PolyBlep(phase, dt) - PolyBlep(shifted, dt) - (2 * duty - 1);
    Advance(dt);
    return v;
  }
  double Saw(double f) {
    double dt = f / kRate;
    double v = 2 * phase - 1 - PolyBlep(phase, dt);
    Advance(dt);
    return v;
  }
  double Triangle(double f) {
    double v = 4 * std::abs(phase - 0.5) - 1;
    Advance(f / kRate);
    return v;
  }
  void Advance(double dt) {
    phase += dt;
    if (phase >= 1) phase -= 1;
  }
};

double Envelope(const Instrument& in, double t, double held) {
  double level;
  auto sustained = [&](double u) {
    if (u < in.attack) return u / in.attack;
    u -= in.attack;
    if (u < in.decay) return 1 - (1 - in.sustain) * (u / in.decay);
    return in.sustain;
  };
  if (t < held) {
    level = sustained(t);
  } else {
    double at_release = sustained(held);
    level = at_release * std::exp(-(t - held) / std::max(1e-4, in.release / 4));
  }
  return level;
}

// One note into a stereo pair of buffers (plus sends).
struct Bus {
  std::vector<float> l, r, echo, verb;
};

void RenderNote(const Instrument& in, const Note& n, double spb, Bus& bus, Rng& rng) {
  const double start = n.beat * spb;
  const double held = n.len * spb;
  const bool drum = in.wave == Wave::kKick || in.wave == Wave::kSnare || in.wave == Wave::kHat ||
                    in.wave == Wave::kOpenHat || in.wave == Wave::kClap || in.wave == Wave::kShaker;
  double tail = drum ? 0.6 : held + in.release * 1.5 + 0.01;
  size_t s0 = static_cast<size_t>(start * kRate);
  size_t count = static_cast<size_t>(tail * kRate);
  const SineTable& sin01 = Sin01();
  const double base = MidiFreq(n.midi);
  const double detune = std::exp2(in.detune / 1200);
  Osc a, b, m;
  double lp = 0, hp_state = 0, bp_low = 0, bp_band = 0;
  const double lp_a = in.lowpass > 0 ? 1 - std::exp(-2 * M_PI * in.lowpass / kRate) : 1;
  const double gl = in.gain * n.vel * std::sqrt(0.5 * (1 - in.pan));
  const double gr = in.gain * n.vel * std::sqrt(0.5 * (1 + in.pan));
  for (size_t i = 0; i < count && s0 + i < bus.l.size(); ++i) {
    double t = i / static_cast<double>(kRate);
    double v = 0;
    if (drum) {
      double noise = rng.Range(-1, 1);
      switch (in.wave) {
        case Wave::kKick: {
          double f = 48 + 120 * std::exp(-t / 0.028);
          a.phase += f / kRate;
          v = sin01(a.phase) * std::exp(-t / 0.2);
          if (t < 0.004) v += 0.4 * noise * (1 - t / 0.004);
          break;
        }
        case Wave::kSnare: {
          b.phase += 185.0 / kRate;
          hp_state += 0.35 * (noise - hp_state);
          double hpn = noise - hp_state;
          v = 0.75 * hpn * std::exp(-t / 0.085) + 0.5 * sin01(b.phase) * std::exp(-t / 0.045);
          break;
        }
        case Wave::kClap: {
          double env = 0;
          for (double o : {0.0, 0.011, 0.022}) {
            double u = t - o;
            if (u >= 0) env = std::max(env, std::exp(-u / (o == 0.022 ? 0.07 : 0.008)));
          }
          double f = 2 * std::sin(M_PI * 1400 / kRate);
          bp_low += f * bp_band;
          double high = noise - bp_low - 0.6 * bp_band;
          bp_band += f * high;
          v = bp_band * env * 1.6;
          break;
        }
        case Wave::kHat:
        case Wave::kOpenHat: {
          hp_state += 0.75 * (noise - hp_state);
          double hpn = noise - hp_state;
          v = hpn * std::exp(-t / (in.wave == Wave::kHat ? 0.018 : 0.11));
          break;
        }
        default: {  // shaker: softer attack, mid-high noise
          hp_state += 0.55 * (noise - hp_state);
          double hpn = noise - hp_state;
          double env = std::min(1.0, t / 0.012) * std::exp(-t / 0.045);
          v = hpn * env;
          break;
        }
      }
      if (t > 0.55) v *= std::max(0.0, (0.6 - t) / 0.05);
    } else {
      double semis = 0;
      const bool bends = in.vibrato_depth > 0 || in.slide != 0;
      if (in.vibrato_depth > 0 && t > in.vibrato_delay) {
        double fade = std::min(1.0, (t - in.vibrato_delay) / 0.3);
        semis +=
            in.vibrato_depth * fade * std::sin(2 * M_PI * in.vibrato_rate * (t - in.vibrato_delay));
      }
      if (in.slide != 0) semis -= in.slide * std::exp(-t / 0.03);
      double f = bends ? base * std::exp2(semis / 12) : base;
      switch (in.wave) {
        case Wave::kPulse:
          v = a.Pulse(f, in.duty);
          if (in.detune != 0)
            v = 0.6 * v + 0.6 * b.Pulse(f * std::pow(2.0, in.detune / 1200), in.duty);
          break;
        case Wave::kSaw:
          v = a.Saw(f);
          if (in.detune != 0) v = 0.6 * v + 0.6 * b.Saw(f * detune);
          break;
        case Wave::kTriangle:
          v = a.Triangle(f);
          break;
        default: {  // FM
          double index = in.fm_index * std::exp(-t / in.fm_index_decay) + in.fm_index_floor;
          m.Advance(f * in.fm_ratio / kRate);
          a.Advance(f / kRate);
          const double mod = index * sin01(m.phase) / (2 * M_PI);
          v = sin01(a.phase + mod);
          if (in.detune != 0) {
            b.Advance(f * detune / kRate);
            v = 0.6 * v + 0.6 * sin01(b.phase + mod);
          }
          break;
        }
      }
      v *= Envelope(in, t, held);
    }
    lp += lp_a * (v - lp);
    v = lp;
    size_t k = s0 + i;
    bus.l[k] += static_cast<float>(v * gl);
    bus.r[k] += static_cast<float>(v * gr);
    if (in.echo > 0) bus.echo[k] += static_cast<float>(v * in.gain * n.vel * in.echo);
    if (in.reverb > 0) bus.verb[k] += static_cast<float>(v * in.gain * n.vel * in.reverb);
  }
}

// Freeverb-style room: parallel damped combs into series all-passes.
void Reverb(const std::vector<float>& in, std::vector<float>& l, std::vector<float>& r,
            double size) {
  const int combs[] = {1116, 1188, 1277, 1356, 1422, 1491};
  const int passes[] = {556, 441, 341};
  for (int ch = 0; ch < 2; ++ch) {
    std::vector<float>& out = ch == 0 ? l : r;
    int spread = ch * 23;
    std::vector<double> wet(in.size(), 0.0);
    for (int c : combs) {
      int len = c + spread;
      std::vector<double> buf(len, 0.0);
      double store = 0;
      int idx = 0;
      double fb = 0.7 + 0.28 * size, damp = 0.3;
      for (size_t i = 0; i < in.size(); ++i) {
        double y = buf[idx];
        store = y * (1 - damp) + store * damp;
        buf[idx] = in[i] + store * fb;
        if (++idx >= len) idx = 0;
        wet[i] += y;
      }
    }
    for (int p : passes) {
      int len = p + spread;
      std::vector<double> buf(len, 0.0);
      int idx = 0;
      for (size_t i = 0; i < in.size(); ++i) {
        double b = buf[idx];
        double y = -wet[i] + b;
        buf[idx] = wet[i] + b * 0.5;
        if (++idx >= len) idx = 0;
        wet[i] = y;
      }
    }
    for (size_t i = 0; i < in.size(); ++i) out[i] += static_cast<float>(wet[i] * 0.045);
  }
}

}  // namespace

SongAudio Render(const Song& song, uint32_t seed) {
  const double spb = 60.0 / song.bpm;
  const size_t loop = static_cast<size_t>(std::lround(song.Seconds() * kRate));
  const size_t tail = static_cast<size_t>(4.0 * kRate);
  const size_t total = loop + tail;
  Bus bus{std::vector<float>(total), std::vector<float>(total), std::vector<float>(total),
          std::vector<float>(total)};
  for (size_t ti = 0; ti < song.tracks.size(); ++ti) {
    const Track& tr = song.tracks[ti];
    for (size_t ni = 0; ni < tr.notes.size(); ++ni) {
      Rng rng(Hash(seed, static_cast<uint32_t>(ti), static_cast<uint32_t>(ni)));
      RenderNote(tr.inst, tr.notes[ni], spb, bus, rng);
    }
  }
  // Ping-pong echo.
  size_t d = static_cast<size_t>(song.echo_beats * spb * kRate);
  if (d > 0) {
    std::vector<float> el(total), er(total);
    for (size_t i = 0; i < total; ++i) {
      float fl = i >= d ? er[i - d] : 0.f, fr = i >= d ? el[i - d] : 0.f;
      el[i] = bus.echo[i] + static_cast<float>(song.echo_feedback) * fl;
      er[i] = static_cast<float>(song.echo_feedback) * fr;
    }
    for (size_t i = 0; i < total; ++i) {
      float wl = i >= d ? el[i - d] : 0.f, wr = i >= d ? er[i - d] : 0.f;
      bus.l[i] += 0.55f * wl;
      bus.r[i] += 0.55f * wr;
    }
  }
  Reverb(bus.verb, bus.l, bus.r, song.reverb_size);

  SongAudio out;
  out.left.assign(bus.l.begin(), bus.l.begin() + loop);
  out.right.assign(bus.r.begin(), bus.r.begin() + loop);
  for (size_t i = 0; i < tail && i < loop; ++i) {
    out.left[i] += bus.l[loop + i];
    out.right[i] += bus.r[loop + i];
  }
  // Every piece is brought to the same loudness, then a gentle soft clip
  // rounds off the few peaks that would otherwise go over.
  double sq = 0;
  for (size_t i = 0; i < loop; ++i) sq += out.left[i] * out.left[i] + out.right[i] * out.right[i];
  const double rms = std::sqrt(sq / (2.0 * loop)) + 1e-9;
  const double gain = std::pow(10.0, -16.5 / 20) / rms;
  for (size_t i = 0; i < loop; ++i) {
    out.left[i] = static_cast<float>(std::tanh(out.left[i] * gain) * 0.97);
    out.right[i] = static_cast<float>(std::tanh(out.right[i] * gain) * 0.97);
  }
  return out;
}

}  // namespace assetgen::music
