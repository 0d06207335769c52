// The random generator: Jenkins' ISAAC block step behind a seeding procedure
// of the runtime's own.
//
// Seeding folds the previous results block into the new state, so the same
// seed repeats a sequence only when the generator also last produced the same
// block. Every Random call generates a whole new block and uses its first
// word; programs draw few numbers per frame, so the cost is accepted.
#pragma once

#include <cstdint>

class IsaacRandom {
 public:
  static constexpr int kWords = 256;
  static constexpr uint32_t kGoldenRatio = 0x9e3779b9u;

  // A zero state: what the process holds before the first seeding.
  IsaacRandom() = default;

  void Seed(int32_t seed);
  // One ISAAC step: refills all 256 result words.
  void GenerateBlock();

  const uint32_t* Results() const { return results_; }
  const uint32_t* Memory() const { return memory_; }
  uint32_t Aa() const { return aa_; }
  uint32_t Bb() const { return bb_; }
  uint32_t Cc() const { return cc_; }

 private:
  uint32_t results_[kWords] = {};
  uint32_t memory_[kWords] = {};
  uint32_t aa_ = 0;
  uint32_t bb_ = 0;
  uint32_t cc_ = 0;
};

// The generator behind RandomSeed and Random. Assigning IsaacRandom() to it
// returns it to the never-seeded state.
IsaacRandom& ProcessRandom();

// Seeds the process generator.
void RandomSeed(int32_t seed);
// 0 for n <= 0 without touching the generator; otherwise the first word of a
// new block modulo n + 1, so 0..n inclusive.
int32_t Random(int32_t n);
