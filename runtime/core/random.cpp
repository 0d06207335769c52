#include "runtime/core/random.h"

namespace {

struct MixWords {
  uint32_t a, b, c, d, e, f, g, h;

  void Fill(uint32_t v) { a = b = c = d = e = f = g = h = v; }

  void Add(const uint32_t* w) {
    a += w[0];
    b += w[1];
    c += w[2];
    d += w[3];
    e += w[4];
    f += w[5];
    g += w[6];
    h += w[7];
  }

  void Store(uint32_t* w) const {
    w[0] = a;
    w[1] = b;
    w[2] = c;
    w[3] = d;
    w[4] = e;
    w[5] = f;
    w[6] = g;
    w[7] = h;
  }

  void Mix() {
    a ^= b << 11;
    d += a;
    b += c;
    b ^= c >> 2;
    e += b;
    c += d;
    c ^= d << 8;
    f += c;
    d += e;
    d ^= e >> 16;
    g += d;
    e += f;
    e ^= f << 10;
    h += e;
    f += g;
    f ^= g >> 4;
    a += f;
    g += h;
    g ^= h << 8;
    b += g;
    h += a;
    h ^= a >> 9;
    c += h;
    a += b;
  }
};

}  // namespace

void IsaacRandom::Seed(int32_t seed) {
  const uint32_t s = static_cast<uint32_t>(seed);
  aa_ = bb_ = cc_ = 0;
  MixWords w;
  w.Fill(kGoldenRatio);

  // Unlike textbook ISAAC the seed is added to a on every row, so it is
  // folded in 32 times rather than once.
  for (int i = 0; i < kWords; i += 8) {
    w.a += s;
    w.Mix();
    w.Store(memory_ + i);
  }
  for (int n = 0; n < 4; ++n) w.Mix();
  for (int i = 0; i < kWords; i += 8) {
    w.Add(results_ + i);
    w.Mix();
    w.Store(memory_ + i);
  }
  for (int i = 0; i < kWords; i += 8) {
    w.Add(memory_ + i);
    w.Mix();
    w.Store(memory_ + i);
  }
  GenerateBlock();
}

void IsaacRandom::GenerateBlock() {
  cc_ += 1;
  bb_ += cc_;
  for (int i = 0; i < kWords; ++i) {
    switch (i & 3) {
      case 0:
        aa_ ^= aa_ << 13;
        break;
      case 1:
        aa_ ^= aa_ >> 6;
        break;
      case 2:
        aa_ ^= aa_ << 2;
        break;
      default:
        aa_ ^= aa_ >> 16;
        break;
    }
    const uint32_t x = memory_[i];
    aa_ += memory_[(i + 128) & 255];
    const uint32_t y = memory_[(x >> 2) & 255] + aa_ + bb_;
    memory_[i] = y;
    bb_ = memory_[(y >> 10) & 255] + x;
    results_[i] = bb_;
  }
}

IsaacRandom& ProcessRandom() {
  static IsaacRandom generator;
  return generator;
}

void RandomSeed(int32_t seed) {
  ProcessRandom().Seed(seed);
}

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  IsaacRandom& generator = ProcessRandom();
  generator.GenerateBlock();
  // n + 1 is at most 2^31, so the remainder always fits an int32.
  return static_cast<int32_t>(generator.Results()[0] % (static_cast<uint32_t>(n) + 1u));
}
