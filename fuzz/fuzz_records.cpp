// libFuzzer target of the record layer: arbitrary bytes become a format text,
// its origin and record lines; the format is translated (directly and through
// the cache), walked by reads of each line and by a write, each line is read
// as a year line by the plan of fixed columns and by the general walk (the
// two must agree bit for bit), and the edit routines are called on their own
// with invariants checked.
//
// Input layout:
//   byte 0     flags: bit 0 held origin; bits 1-3 destination set; bit 4
//              blanks as zeros for the direct edits; bit 5 plus signs;
//              bits 6-7 how many values the write takes (2, 3, 4 or 5)
//   byte 1     w of the direct Fw.d edits, 1 + b % 127
//   byte 2     d: with bit 7 set the raw 0..127, else below w
//   bytes 3-6  a 32-bit real, little-endian, edited by Fw.d
//   the rest   the format text, then record lines, separated by line feeds
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "records/edit_input.h"
#include "records/edit_output.h"
#include "records/format.h"
#include "records/io.h"
#include "records/statements.h"
#include "records/units.h"
#include "records/year_line.h"

namespace {

using namespace versel;

constexpr std::size_t kMaxLines = 8;

void check(bool ok, const char* what, std::string_view detail = {}) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s [%.*s]\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

bool known_read_message(std::string_view m) {
  for (std::string_view k : {kMsgMissingOpen, kMsgRepeatCount, kMsgNonRepeatable, kMsgFormatError,
                             kMsgUnmatchedQuotes, kMsgHollerith, kMsgUnmatchedParens,
                             kMsgGroupOverflow, kMsgIllegalChar})
    if (m == k) return true;
  return false;
}

// Fw.d edits exactly w characters of a field that has no room for more (the
// heap buffer lets AddressSanitizer see a write past it), the field is all
// asterisks or a right-justified number, and a number read back by Fw.d lies
// within one unit of the last shown decimal (digits past the 7th significant
// one show 0, so that unit is at least one of the 7th digit).
void check_f_out(int w, int d, float v, bool plus) {
  std::vector<char> field(static_cast<std::size_t>(w), '\x01');
  edit_f_out(field.data(), w, d, v, plus);
  std::string_view text(field.data(), field.size());
  check(text.find('\x01') == std::string_view::npos, "edit_f_out left a column unwritten", text);
  if (text.find('*') != std::string_view::npos) {
    check(text.find_first_not_of('*') == std::string_view::npos, "partial asterisks", text);
    return;
  }
  if (!std::isfinite(v)) {
    check(text.find(std::isnan(v) ? "NaN" : "INF") != std::string_view::npos, "NaN or INF", text);
    return;
  }
  check(text.find_first_not_of(" +-.0123456789") == std::string_view::npos, "stray character",
        text);
  std::size_t first = text.find_first_not_of(' ');
  check(first != std::string_view::npos, "blank F field", text);
  check(text.find(' ', first) == std::string_view::npos, "blank inside an F field", text);
  std::size_t point = text.find('.');
  check(point != std::string_view::npos && text.size() - point - 1 == static_cast<std::size_t>(d),
        "decimals of an F field", text);

  double back = 0.0;
  check(edit_real_in(text, d, false, 0, back), "F field does not read back", text);
  double exact = static_cast<double>(v);
  double tol = std::pow(10.0, -d);
  if (exact != 0.0) {
    double e10 = std::floor(std::log10(std::fabs(exact)));
    tol += std::pow(10.0, e10 - 6.0) + std::fabs(exact) * 1e-12;
  }
  check(std::fabs(back - exact) <= tol, "F field read back too far from its value", text);
  if (back == 0.0) check(text.find('-') == std::string_view::npos, "signed zero shown", text);
}

// Iw.m written and read back gives the value when it fits.
void check_i_out(std::int32_t v, int w, bool plus) {
  std::vector<char> field(static_cast<std::size_t>(w), '\x01');
  edit_integer_out(field.data(), w, kAbsent, v, 10, plus);
  std::string_view text(field.data(), field.size());
  check(text.find('\x01') == std::string_view::npos, "edit_integer_out left a column", text);
  if (text.find('*') != std::string_view::npos) return;
  std::int32_t back = 0;
  check(edit_integer_in(text, 10, false, back) && back == v, "I field read back", text);
}

struct Dests {
  std::int32_t year = -1;
  std::array<std::int32_t, 4> ints{};
  std::array<float, 12> reals{};
  std::array<char, 30> text{};
  std::array<char, 60> mask{};
};

// The destination lists the program uses: a year line, header integers,
// header reals, a text, mask cells, and mixtures.
std::vector<Dest> dest_list(int set, Dests& d) {
  std::span<float> reals(d.reals);
  switch (set) {
    case 0: return {to(d.year), to(reals)};
    case 1: return {to(std::span<std::int32_t>(d.ints))};
    case 2: return {to(reals.first(2))};
    case 3: return {to(std::span<char>(d.text))};
    case 4: return {to_cells(std::span<char>(d.mask), 1)};
    case 5: return {to(d.year), to(reals.first(6))};
    case 6: return {to(std::span<char>(d.text)), to(d.year), to(reals.first(3))};
    default: return {to(reals.first(1))};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 7) return 0;
  const unsigned flags = data[0];
  const FormatOrigin origin = (flags & 1) ? FormatOrigin::held : FormatOrigin::fixed;
  const int dest_set = static_cast<int>((flags >> 1) & 7);
  const bool blanks_zero = (flags & 0x10) != 0;
  const bool plus = (flags & 0x20) != 0;
  const int value_count = 2 + static_cast<int>(flags >> 6);
  const int w = 1 + data[1] % 127;
  const int d = (data[2] & 0x80) ? (data[2] & 0x7f) : (data[2] & 0x7f) % w;
  float given = 0.0f;
  std::memcpy(&given, data + 3, 4);

  std::string_view rest(reinterpret_cast<const char*>(data + 7), size - 7);
  std::size_t nl = rest.find('\n');
  std::string_view text = rest.substr(0, nl);
  std::vector<std::string_view> lines;
  while (nl != std::string_view::npos && lines.size() < kMaxLines) {
    rest.remove_prefix(nl + 1);
    nl = rest.find('\n');
    lines.push_back(rest.substr(0, nl));
  }
  if (lines.empty()) lines.push_back({});

  // Translation, directly and through the cache, gives the same format.
  Format format = translate(text, origin);
  const Format& cached = cached_format(FormatText(text, origin));
  check(cached.error == format.error && cached.items.size() == format.items.size() &&
            cached.texts == format.texts && cached.origin == origin,
        "cached format differs", text);
  if (!format.error.empty()) check(known_read_message(format.error), "unknown format message");

  // Reads, one per line, as the program reads data lines held in memory.
  Dests dests;
  std::vector<Dest> list = dest_list(dest_set, dests);
  for (std::string_view line : lines) {
    Failure fail;
    IoStatus st = read_records(internal(line), cached, list, fail);
    check(fail.statement == "READ", "read statement name");
    if (st == IoStatus::error)
      check(known_read_message(fail.message), "unknown read message", fail.message);
    if (!format.error.empty()) check(st == IoStatus::error, "bad format read without error");
  }

  // Each line as a year line: through the cache (the plan of fixed columns
  // when the format has one) and through the general walk, with the real of
  // bytes 3-6 as the flag.
  const Format held_format = origin == FormatOrigin::held ? format : translate(text, FormatOrigin::held);
  for (std::string_view line : lines) {
    std::int32_t year_read = 0, year_walked = 0;
    std::array<float, 12> read_months{}, walked_months{};
    bool read = read_year_record(text, line, given, year_read, read_months);
    bool walked = walk_year_line(held_format, line, given, year_walked, walked_months);
    check(read == walked, "year line read and walked differ", line);
    if (!read) continue;
    check(year_read == year_walked, "year of a year line", line);
    for (std::size_t m = 0; m < 12; ++m)
      check(std::bit_cast<std::uint32_t>(read_months[m]) ==
                std::bit_cast<std::uint32_t>(walked_months[m]),
            "month of a year line", line);
  }

  // A write of a few values: a year, a season, the reals, a text, a real.
  if (format.error.empty()) {
    std::string_view label = lines[0].substr(0, 30);
    Value all[] = {Value(dests.year), Value(std::int32_t{7}), reals(dests.reals), Value(label),
                   Value(given)};
    std::string out;
    std::string_view message;
    if (!write_records(format, std::span<const Value>(all, static_cast<std::size_t>(value_count)),
                       out, message))
      check(!message.empty(), "write failed without a message");
  }

  // The edit routines on their own.
  for (std::string_view line : lines) {
    std::string_view field = line.substr(0, 127);
    std::int32_t iv = 0;
    for (int base : {10, 2, 8, 16}) (void)edit_integer_in(field, base, blanks_zero, iv);
    double rv = 0.0;
    if (edit_real_in(field, d, blanks_zero, static_cast<int>(data[2] % 7) - 3, rv))
      (void)to_real32(rv), (void)to_int32(rv);
    // An exponent of zero changes no value but sends the field through the
    // full rules, so a plain field must read the same both ways.
    double plain = 0.0, spelled = 0.0;
    std::string with_exponent(field);
    with_exponent += "e0";
    bool ok_plain = edit_real_in(field, d, false, 0, plain);
    bool ok_spelled = edit_real_in(with_exponent, d, false, 0, spelled);
    check(ok_plain == ok_spelled, "real field accepted one way only", field);
    if (ok_plain)
      check(std::bit_cast<std::uint64_t>(plain) == std::bit_cast<std::uint64_t>(spelled) ||
                (std::isnan(plain) && std::isnan(spelled)),
            "real field reads differently with e0", field);
    bool lv = false;
    (void)edit_logical_in(field, lv);
    std::array<char, 30> t{};
    edit_text_in(field, w, t.data(), static_cast<int>(t.size()));
  }
  check_f_out(w, d, given, plus);
  for (float r : dests.reals) check_f_out(w, d, r, plus);
  check_i_out(dests.year, w, plus);
  check_i_out(std::bit_cast<std::int32_t>(given), w, plus);
  return 0;
}
