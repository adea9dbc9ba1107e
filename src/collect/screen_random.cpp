// splitmix64 seeding and xoshiro256** outputs, and the bootstrap's rows of
// draws.
#include "collect/screen_random.h"

namespace versel {
namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
  x += 0x9E3779B97F4A7C15ULL;
  std::uint64_t z = x;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

RandomState seed_random(std::uint64_t seed) {
  RandomState r;
  std::uint64_t x = seed;
  for (std::uint64_t& w : r.s) w = splitmix64(x);
  return r;
}

std::uint64_t next_random(RandomState& r) {
  std::uint64_t* s = r.s;
  const std::uint64_t result = rotl(s[1] * 5, 7) * 9;
  const std::uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = rotl(s[3], 45);
  return result;
}

ResampleDraws draw_resamples(std::uint64_t seed, int resamples, int per_row) {
  ResampleDraws d;
  if (resamples <= 0 || per_row <= 0) return d;
  d.resamples = resamples;
  d.per_row = per_row;
  d.raw.resize(static_cast<std::size_t>(resamples) * static_cast<std::size_t>(per_row));
  RandomState r = seed_random(seed);
  for (std::uint32_t& v : d.raw) v = static_cast<std::uint32_t>(next_random(r) >> 32);
  return d;
}

}  // namespace versel
