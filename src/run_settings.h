// The settings of one run, gathered by the dialogue or taken from the
// command line, and handed by reference to every later step. Texts are
// fixed-width: blank-padded on the right, cut when longer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "capacities.h"

namespace versel {

template <std::size_t N>
using FixedText = std::array<char, N>;

// Output kinds.
inline constexpr std::int32_t kTsf = 1;
inline constexpr std::int32_t kMat = 2;
inline constexpr std::int32_t kGrd = 3;
// A tidy CSV table and a CF netCDF file, the command line's only: the
// dialogue reads its menu answer from two columns, so no answer reads as
// these.
inline constexpr std::int32_t kCsv = 100;
inline constexpr std::int32_t kNc = 101;

struct RunSettings {
  std::int32_t FMTCTRL = 0;                 // output kind: kTsf, kMat or kGrd
  FixedText<kFileNameLength> INFILE{};      // input data file
  std::int32_t ISKIP = 0;                   // length of the name stem
  FixedText<kFileNameLength> OUTFL{};       // the _sea file
  FixedText<kFileNameLength> OUTFL2{};      // the _key file (mat only)
  std::int32_t IFMT = 0;                    // data-set choice, 1 to 13
  std::int64_t skip = 0;                    // lines at the start of the data file not read
  FixedText<kFormatTextLength> FRM{};       // record format of the year lines
  float FLAG = 0.0f;                        // missing-value flag
  FixedText<kFormatTextLength> FRM3{};      // header format: latitude, longitude
  FixedText<kFormatTextLength> FRMOUT{};    // format of the year lines written
  FixedText<kMaskLength> MASK{};            // the climate mask
  // valid months an average season needs; 0: all of them
  std::int32_t min_months = 0;
  bool scan_outliers = false;  // look for values that may be an undeclared flag
};

// Fills a text with blanks over its whole length.
template <std::size_t N>
void blank(FixedText<N>& t) {
  t.fill(' ');
}

// Sets a fixed-width text: cut at its length or padded with blanks.
template <std::size_t N>
void assign(FixedText<N>& t, std::string_view s) {
  for (std::size_t i = 0; i < N; ++i) t[i] = i < s.size() ? s[i] : ' ';
}

// The text without its trailing blanks.
template <std::size_t N>
std::string_view trimmed(const FixedText<N>& t) {
  std::size_t n = N;
  while (n > 0 && t[n - 1] == ' ') --n;
  return std::string_view(t.data(), n);
}

template <std::size_t N>
std::string_view view(const FixedText<N>& t) {
  return std::string_view(t.data(), N);
}

// The format of the year lines written until a data set says otherwise.
inline constexpr std::string_view kFirstYearLines = "(1x,i4,12f8.2)";

// The settings before the dialogue or the command line fills them: blank
// texts, FRMOUT kFirstYearLines.
inline void start_settings(RunSettings& s) {
  s = RunSettings{};
  blank(s.INFILE);
  blank(s.OUTFL);
  blank(s.OUTFL2);
  blank(s.FRM);
  blank(s.FRM3);
  assign(s.FRMOUT, kFirstYearLines);
  blank(s.MASK);
}

}  // namespace versel
