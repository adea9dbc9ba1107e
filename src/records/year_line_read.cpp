// Reading a year line by its plan of fixed columns: each field from the
// sixteen columns that end with it when it is plain, character by character
// otherwise.
#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "records/edit_input.h"
#include "records/year_line.h"

namespace versel {
namespace {

// Exact powers of ten in double precision, 10^0 .. 10^22.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// ---------------------------------------------------------------------------
// Field by field.

// The digits from p on, up to `end` or the first other character, into `m`;
// the first character after them.
const char* take_digits(const char* p, const char* end, std::uint64_t& m) {
  for (; p < end; ++p) {
    unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (d >= 10) break;
    m = m * 10 + d;
  }
  return p;
}

// The common field: blanks, an optional sign, digits with at most one point
// (a point only in a real field), blanks after at least one digit (" -4.5",
// "  123", "   "). `point` counts the digits after the point, -1 without one.
struct PlainField {
  std::uint64_t m = 0;
  int digits = 0;
  int point = -1;
  bool negative = false;
};

// False for any other field, or for more than 15 digits.
bool plain_field(const char* p, const char* end, bool real, PlainField& f) {
  while (p < end && *p == ' ') ++p;
  if (p < end) {
    char c = *p;
    f.negative = c == '-';
    p += (c == '-' || c == '+') ? 1 : 0;
  }
  const char* first = p;
  p = take_digits(p, end, f.m);
  f.digits = static_cast<int>(p - first);
  if (real && p < end && *p == '.') {
    const char* fraction = ++p;
    p = take_digits(p, end, f.m);
    f.point = static_cast<int>(p - fraction);
    f.digits += f.point;
  }
  if (p < end) {  // only blanks may follow, and only after a digit
    if (f.digits == 0) return false;
    while (p < end && *p == ' ') ++p;
    if (p < end) return false;
  }
  return f.digits <= 15;
}

// One planned field as the walk reads it into a 32-bit integer or real:
// false on a character the format does not allow; `digitless` is set when
// the field holds no digit. A plain field takes the same steps and the same
// arithmetic as the field editor's own first try for it (blanks ignored, no
// scale factor); any other field goes to the editor itself.
template <typename T>
[[gnu::noinline]] bool read_field(const PlannedField& f, std::string_view line, T& out,
                                  bool& digitless) {
  std::size_t start = std::min(line.size(), static_cast<std::size_t>(f.start));
  std::size_t n = std::min(line.size() - start, static_cast<std::size_t>(f.width));
  const char* p = line.data() + start;
  std::string_view field(p, n);
  PlainField plain;
  bool quick = plain_field(p, p + n, !f.integer, plain);
  if (f.integer) {
    std::int32_t iv = 0;
    if (quick && plain.digits <= 9) {
      iv = static_cast<std::int32_t>(plain.m);
      if (plain.negative) iv = -iv;
      digitless = plain.digits == 0;
    } else {
      if (!edit_integer_in(field, 10, false, iv)) return false;
      digitless = holds_no_digit(field, 10, false);
    }
    out = static_cast<T>(iv);
    return true;
  }
  double v = 0.0;
  int exp10 = plain.point >= 0 ? plain.point : f.decimals;
  if (quick && exp10 <= 22) {
    v = plain.m == 0 ? 0.0 : static_cast<double>(plain.m) / kExactPow10[exp10];
    if (plain.negative) v = -v;
    digitless = plain.digits == 0;
  } else {
    if (!edit_real_in(field, f.decimals, false, 0, v)) return false;
    digitless = holds_no_digit(field, 10, true);
  }
  if constexpr (std::is_integral_v<T>) out = to_int32(v);
  else out = to_real32(v);
  return true;
}

PlanRead read_fields(const YearLinePlan& plan, std::string_view line, std::int32_t& year,
                     std::array<float, 12>& months, std::uint32_t& digitless) {
  std::uint32_t marks = 0;
  bool none = false;
  if (!read_field(plan.fields[0], line, year, none)) return PlanRead::no_year_line;
  marks |= none ? 1u : 0u;
  for (std::size_t m = 0; m < 12; ++m) {
    if (!read_field(plan.fields[m + 1], line, months[m], none)) return PlanRead::no_year_line;
    marks |= none ? 1u << (m + 1) : 0u;
  }
  digitless = marks;
  return PlanRead::year_line;
}

// ---------------------------------------------------------------------------
// From sixteen columns at once.

// Lines whose fields end within this many columns are read so.
constexpr std::int32_t kMaxWindowedColumns = 256;

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

// kByteMask[b]: 0xFF in byte i for each bit i of b.
constexpr std::array<std::uint64_t, 256> make_byte_masks() {
  std::array<std::uint64_t, 256> t{};
  for (std::size_t b = 0; b < 256; ++b)
    for (std::size_t i = 0; i < 8; ++i)
      if (b & (std::size_t{1} << i)) t[b] |= std::uint64_t{0xFF} << (8 * i);
  return t;
}
constexpr std::array<std::uint64_t, 256> kByteMask = make_byte_masks();

std::uint64_t load8(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Up to eight digit values, one per byte, the first byte the highest digit,
// into their number: pairs, then fours, then the eight.
std::uint32_t eight_digits(std::uint64_t v) {
  v = v * 10 + (v >> 8);
  v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
       (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >> 32;
  return static_cast<std::uint32_t>(v);
}

// Which of sixteen columns hold a blank, a digit or a point.
inline ColumnMasks classify_columns(const char* p) {
#if defined(__SSE2__)
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  auto mask = [](__m128i m) { return static_cast<std::uint32_t>(_mm_movemask_epi8(m)); };
  ColumnMasks k;
  // bytes of 0x80 and above compare as negative: no digit
  k.digit = mask(_mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                               _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1))));
  k.blank = mask(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')));
  k.point = mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
  return k;
#else
  return classify_words(p);
#endif
}

// The number of a plain field: blanks, then a sign, digits and at most one
// point (none in an I field), up to eight characters and at least one digit,
// up to the field's end. `base` holds the line's columns, at least the
// plan's reach. Gives the digits as `m` and the decimals to divide by (those
// after the point, else the implied ones); false for any other field.
inline bool plain_number(const char* base, const PlannedField& f, std::uint32_t& m,
                         int& exp10, bool& negative) {
  ColumnMasks k = classify_columns(base + f.from);
  std::uint32_t nonblank = (~k.blank << f.lift) & f.window;
  if (nonblank == 0) return false;
  int first = std::countr_zero(nonblank);
  char lead = base[f.from + first - f.lift];
  negative = lead == '-';
  std::uint32_t sign = (lead == '-' || lead == '+') ? 1u << first : 0u;
  std::uint32_t digits = (k.digit << f.lift) & f.window;
  std::uint32_t point = (k.point << f.lift) & f.window;
  if (nonblank != 0x10000u - (1u << first) ||  // a run up to the end
      (nonblank & ~digits & ~point) != sign ||  // a sign first, if any
      (point & (point - 1)) != 0 || first < 8 || digits == 0)
    return false;
  if (f.integer && point) return false;
  std::uint64_t v = ((load8(base + f.eight) << f.eight_lift) ^ (kOnes * '0')) &
                    kByteMask[digits >> 8];
  // the digits before the point move up over it, without a branch: points
  // come and go from value to value
  int at = std::countr_zero(point | 0x10000u);  // 16 without a point
  std::uint64_t below = (std::uint64_t{1} << (8 * (at & 7))) - 1;
  below = point ? below : 0;
  v = (v & ~below) | ((v & below) << 8);
  m = eight_digits(v);
  exp10 = point ? 15 - at : f.decimals;
  return true;
}

// A planned field as the walk reads it, when it is a plain number from its
// sixteen columns: true with `out` set, or false to leave it to read_field.
template <typename T>
inline bool read_windowed(const char* base, const PlannedField& f, T& out) {
  std::uint32_t m = 0;
  int exp10 = 0;
  bool negative = false;
  if (f.window == 0 || !plain_number(base, f, m, exp10, negative)) return false;
  // the sign without a branch either
  if (f.integer) {
    std::int32_t i = static_cast<std::int32_t>(m);
    out = static_cast<T>((i ^ -std::int32_t{negative}) + std::int32_t{negative});
    return true;
  }
  double d = static_cast<double>(m) / kExactPow10[exp10];
  d = std::bit_cast<double>(std::bit_cast<std::uint64_t>(d) ^ (std::uint64_t{negative} << 63));
  if constexpr (std::is_integral_v<T>) out = to_int32(d);
  else out = to_real32(d);
  return true;
}

// Whether a month field is a plain number, without its value: true means
// read_windowed would take it.
inline bool plain_month(const char* base, const PlannedField& f) {
  std::uint32_t m = 0;
  int exp10 = 0;
  bool negative = false;
  return f.window != 0 && plain_number(base, f, m, exp10, negative);
}

// A comma within the columns of the fields: it ends a numeric field early
// and moves every field after it, which only the walk follows.
bool comma_among_fields(const YearLinePlan& plan, std::string_view line) {
  std::size_t scanned = std::min(line.size(), static_cast<std::size_t>(plan.end));
  return scanned > 0 && std::memchr(line.data(), ',', scanned) != nullptr;
}

}  // namespace

ColumnMasks classify_words(const char* p) {
  ColumnMasks k;
  auto zero = [](std::uint64_t z) {  // bit 7 of each zero byte, exactly
    return ~(((z & kLow7) + kLow7) | z) & kHigh;
  };
  auto bits = [](std::uint64_t flags) {  // bit 7 of byte i to bit i
    return static_cast<std::uint32_t>(((flags >> 7) * 0x0102040810204080ULL) >> 56);
  };
  for (int half = 0; half < 2; ++half) {
    std::uint64_t x = load8(p + 8 * half);
    std::uint64_t y = x ^ (kOnes * '0');
    // a digit is 0 to 9 after the exclusive or: bit 7 marks the others
    std::uint64_t other = (((y & kLow7) + kOnes * (0x80 - 10)) | y) & kHigh;
    int shift = 8 * half;
    k.digit |= bits(other ^ kHigh) << shift;
    k.blank |= bits(zero(x ^ (kOnes * ' '))) << shift;
    k.point |= bits(zero(x ^ (kOnes * '.'))) << shift;
  }
  return k;
}

ColumnMasks classify(const char* p) { return classify_columns(p); }

PlanRead read_by_plan(const YearLinePlan& plan, std::string_view line, std::int32_t& year,
                      std::array<float, 12>& months, std::uint32_t& digitless,
                      bool months_wanted) {
  if (std::endian::native != std::endian::little || plan.reach > kMaxWindowedColumns) {
    if (comma_among_fields(plan, line)) return PlanRead::walk;
    return read_fields(plan, line, year, months, digitless);
  }
  // the columns come from the line itself; a line shorter than the plan's
  // reach is copied between blanks first
  const char* base = line.data();
  std::array<char, kMaxWindowedColumns + 8> copy;
  if (line.size() < static_cast<std::size_t>(plan.reach)) {
    copy.fill(' ');
    if (!line.empty()) std::memcpy(copy.data(), line.data(), line.size());
    base = copy.data();
  }
  // A plain field holds no comma, and a comma outside the fields changes
  // nothing: the line is looked at for one only when a field is not plain.
  std::uint32_t marks = 0;
  bool looked = false;
  auto other = [&](const PlannedField& f, auto& out, std::uint32_t bit) {
    if (!looked && comma_among_fields(plan, line)) return PlanRead::walk;
    looked = true;
    bool none = false;
    if (!read_field(f, line, out, none)) return PlanRead::no_year_line;
    marks |= none ? bit : 0u;
    return PlanRead::year_line;
  };
  if (!read_windowed(base, plan.fields[0], year)) {
    if (PlanRead r = other(plan.fields[0], year, 1u); r != PlanRead::year_line) return r;
  }
  for (std::size_t m = 0; m < 12; ++m) {
    if (months_wanted ? read_windowed(base, plan.fields[m + 1], months[m])
                      : plain_month(base, plan.fields[m + 1]))
      continue;
    if (PlanRead r = other(plan.fields[m + 1], months[m], 1u << (m + 1)); r != PlanRead::year_line)
      return r;
  }
  digitless = marks;
  return PlanRead::year_line;
}

}  // namespace versel
