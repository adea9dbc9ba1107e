// The one random generator of versel: the bootstrap resamples of the
// screen (--bootstrap N, --seed S). Written out here, with no generator or
// distribution of the standard library, so that a seed gives the same
// resamples on every machine and with every compiler.
//
// The generator is xoshiro256** (Blackman and Vigna), its four words of
// state filled from the seed by splitmix64. A draw of a year among n is the
// top 32 bits of a 64-bit output times n, shifted down by 32: for the n of a
// chronology (below 2^16) the draws are uniform to within a relative
// 2^-16 of a year's chance.
#pragma once

#include <cstdint>
#include <vector>

namespace versel {

struct RandomState {
  std::uint64_t s[4];
};

// The state of `seed` (any value, 0 included).
RandomState seed_random(std::uint64_t seed);

// The next 64-bit output; advances the state.
std::uint64_t next_random(RandomState& state);

// The draws of a bootstrap: `resamples` rows of `per_row` 32-bit numbers,
// made once per run and used for every station and window. A resample of n
// paired years (n <= per_row) takes the first n numbers of its row, each
// turned into an index below n by draw_index. The same seed gives the same
// rows; a station's interval thus depends on its values, N and the seed
// alone, not on the stations read before it.
struct ResampleDraws {
  int resamples = 0;
  int per_row = 0;
  std::vector<std::uint32_t> raw;  // row b at raw[b * per_row]

  const std::uint32_t* row(int b) const {
    return raw.data() + static_cast<std::size_t>(b) * static_cast<std::size_t>(per_row);
  }
};

ResampleDraws draw_resamples(std::uint64_t seed, int resamples, int per_row);

// Draw `raw` as an index from 0 to n - 1.
inline std::uint32_t draw_index(std::uint32_t raw, std::uint32_t n) {
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(raw) * n) >> 32);
}

}  // namespace versel
