// CF time coordinates: units, calendars, and the month of a value.
#include "sources/cf_time.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "records/message_text.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

constexpr double kSecondsPerDay = 86400.0;
// The first day of the Gregorian calendar in standard, as a Julian day number.
constexpr std::int64_t kGregorianStart = 2299161;  // 1582-10-15

constexpr std::array<int, 13> kCumulative = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr std::array<int, 13> kCumulativeLeap = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

std::string lower(std::string_view s) {
  std::string out;
  for (char c : s) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool gregorian_leap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
bool julian_leap(std::int64_t y) { return y % 4 == 0; }  // also right for negative years

// Julian day numbers of the proleptic Gregorian and the Julian calendar
// (2000-01-01 Gregorian is 2451545), by floor divisions so that negative
// years count on without a break.
std::int64_t gregorian_jdn(std::int64_t y, int m, int d) {
  // days from 1970-01-01 (civil days), then shifted
  y -= m <= 2;
  const std::int64_t era = floor_div(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (m + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 2440588;
}

void gregorian_date(std::int64_t jdn, std::int64_t& y, int& m, int& d) {
  const std::int64_t z = jdn - 2440588 + 719468;
  const std::int64_t era = floor_div(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

std::int64_t julian_jdn(std::int64_t y, int m, int d) {
  const std::int64_t a = (14 - m) / 12;
  const std::int64_t yy = y + 4800 - a;
  const std::int64_t mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + floor_div(yy, 4) - 32083;
}

void julian_date(std::int64_t jdn, std::int64_t& y, int& m, int& d) {
  const std::int64_t c = jdn + 32082;
  const std::int64_t dd = floor_div(4 * c + 3, 1461);
  const std::int64_t e = c - floor_div(1461 * dd, 4);
  const std::int64_t mm = (5 * e + 2) / 153;
  d = static_cast<int>(e - (153 * mm + 2) / 5 + 1);
  m = static_cast<int>(mm + 3 - 12 * (mm / 10));
  y = dd - 4800 + mm / 10;
}

// Days of fixed-length years (noleap, all_leap): year * length + day of year.
std::int64_t fixed_year_day(const std::array<int, 13>& cumulative, std::int64_t y, int m, int d) {
  return y * cumulative[12] + cumulative[static_cast<std::size_t>(m - 1)] + d - 1;
}

void fixed_year_date(const std::array<int, 13>& cumulative, std::int64_t day, std::int64_t& y,
                     int& m, int& d) {
  y = floor_div(day, cumulative[12]);
  const int doy = static_cast<int>(day - y * cumulative[12]);
  m = 1;
  while (doy >= cumulative[static_cast<std::size_t>(m)]) ++m;
  d = doy - cumulative[static_cast<std::size_t>(m - 1)] + 1;
}

bool before_gregorian(std::int64_t y, int m, int d) {
  if (y != 1582) return y < 1582;
  if (m != 10) return m < 10;
  return d < 15;
}

// A cursor over the text of a date.
struct Scan {
  std::string_view s;
  std::size_t i = 0;

  bool at_end() const { return i >= s.size(); }
  char peek() const { return at_end() ? '\0' : s[i]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++i;
    return true;
  }
  void blanks() {
    while (!at_end() && (s[i] == ' ' || s[i] == '\t')) ++i;
  }
  // 1 to `max_digits` digits
  bool number(std::int64_t& v, int max_digits) {
    int n = 0;
    v = 0;
    while (!at_end() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      if (++n > max_digits) return false;
      v = v * 10 + (s[i] - '0');
      ++i;
    }
    return n > 0;
  }
};

// Reads "[+|-]hh[:mm]" or "[+|-]hhmm" as seconds east of UTC.
bool zone_offset(Scan& sc, double& seconds) {
  const bool negative = sc.peek() == '-';
  if (!sc.take('+') && !sc.take('-')) return false;
  const std::size_t start = sc.i;
  std::int64_t h = 0;
  std::int64_t m = 0;
  if (!sc.number(h, 4)) return false;
  if (sc.i - start > 2) {  // hhmm
    m = h % 100;
    h /= 100;
  } else if (sc.take(':') && !sc.number(m, 2)) {
    return false;
  }
  if (h > 14 || m > 59) return false;
  seconds = (negative ? -1.0 : 1.0) * static_cast<double>(h * 3600 + m * 60);
  return true;
}

// Reads DATE into `date` and the zone's offset (seconds east of UTC).
bool read_date(std::string_view text, CfDate& date, double& zone) {
  Scan sc{text};
  zone = 0.0;
  const bool negative = sc.take('-');
  std::int64_t y = 0;
  std::int64_t mo = 1;
  std::int64_t d = 1;
  if (!sc.number(y, 9)) return false;
  date.year = negative ? -y : y;
  if (!sc.take('-') || !sc.number(mo, 2)) return false;
  if (sc.take('-') && !sc.number(d, 2)) return false;
  date.month = static_cast<int>(mo);
  date.day = static_cast<int>(d);
  date.hour = date.minute = 0;
  date.second = 0.0;
  if (!sc.take('T')) sc.blanks();
  if (std::isdigit(static_cast<unsigned char>(sc.peek()))) {
    std::int64_t h = 0;
    std::int64_t mi = 0;
    if (!sc.number(h, 2)) return false;
    if (sc.take(':')) {
      if (!sc.number(mi, 2)) return false;
      if (sc.take(':')) {
        std::int64_t whole = 0;
        if (!sc.number(whole, 2)) return false;
        double second = static_cast<double>(whole);
        if (sc.take('.')) {
          double scale = 0.1;
          while (std::isdigit(static_cast<unsigned char>(sc.peek()))) {
            second += scale * (sc.s[sc.i++] - '0');
            scale /= 10.0;
          }
        }
        date.second = second;
      }
    }
    if (h > 23 || mi > 59 || date.second >= 61.0) return false;
    date.hour = static_cast<int>(h);
    date.minute = static_cast<int>(mi);
  }
  sc.blanks();
  if (sc.take('Z') || sc.take('z')) {
    sc.blanks();
  } else if (sc.peek() == '+' || sc.peek() == '-') {
    if (!zone_offset(sc, zone)) return false;
    sc.blanks();
  } else {
    const std::string rest = lower(trim(sc.s.substr(sc.i)));
    if (rest == "utc" || rest == "gmt") sc.i = sc.s.size();
  }
  return sc.at_end();
}

bool unit_of(std::string_view word, TimeUnit& unit) {
  struct Spelling {
    const char* text;
    TimeUnit unit;
  };
  static constexpr Spelling kSpellings[] = {
      {"days", TimeUnit::days},       {"day", TimeUnit::days},        {"d", TimeUnit::days},
      {"hours", TimeUnit::hours},     {"hour", TimeUnit::hours},      {"hrs", TimeUnit::hours},
      {"hr", TimeUnit::hours},        {"h", TimeUnit::hours},         {"minutes", TimeUnit::minutes},
      {"minute", TimeUnit::minutes},  {"mins", TimeUnit::minutes},    {"min", TimeUnit::minutes},
      {"seconds", TimeUnit::seconds}, {"second", TimeUnit::seconds},  {"secs", TimeUnit::seconds},
      {"sec", TimeUnit::seconds},     {"s", TimeUnit::seconds},       {"months", TimeUnit::months},
      {"month", TimeUnit::months},    {"mons", TimeUnit::months},     {"mon", TimeUnit::months},
  };
  const std::string w = lower(word);
  for (const Spelling& sp : kSpellings) {
    if (w == sp.text) {
      unit = sp.unit;
      return true;
    }
  }
  return false;
}

double unit_seconds(TimeUnit unit) {
  switch (unit) {
    case TimeUnit::seconds: return 1.0;
    case TimeUnit::minutes: return 60.0;
    case TimeUnit::hours: return 3600.0;
    case TimeUnit::days: return kSecondsPerDay;
    case TimeUnit::months: break;
  }
  return 0.0;
}

}  // namespace

bool parse_calendar(std::string_view text, Calendar& calendar) {
  struct Name {
    const char* text;
    Calendar calendar;
  };
  static constexpr Name kNames[] = {
      {"", Calendar::standard},         {"standard", Calendar::standard},
      {"gregorian", Calendar::standard}, {"proleptic_gregorian", Calendar::proleptic_gregorian},
      {"julian", Calendar::julian},     {"noleap", Calendar::noleap},
      {"365_day", Calendar::noleap},    {"all_leap", Calendar::all_leap},
      {"366_day", Calendar::all_leap},  {"360_day", Calendar::day360},
  };
  const std::string t = lower(trim(text));
  for (const Name& n : kNames) {
    if (t == n.text) {
      calendar = n.calendar;
      return true;
    }
  }
  return false;
}

std::string_view calendar_name(Calendar calendar) {
  switch (calendar) {
    case Calendar::standard: return "standard";
    case Calendar::proleptic_gregorian: return "proleptic_gregorian";
    case Calendar::julian: return "julian";
    case Calendar::noleap: return "noleap";
    case Calendar::all_leap: return "all_leap";
    case Calendar::day360: return "360_day";
  }
  return "standard";
}

bool is_leap_year(Calendar calendar, std::int64_t year) {
  switch (calendar) {
    case Calendar::standard: return year < 1582 ? julian_leap(year) : gregorian_leap(year);
    case Calendar::proleptic_gregorian: return gregorian_leap(year);
    case Calendar::julian: return julian_leap(year);
    case Calendar::noleap: return false;
    case Calendar::all_leap: return true;
    case Calendar::day360: return false;
  }
  return false;
}

int days_in_month(Calendar calendar, std::int64_t year, int month) {
  if (calendar == Calendar::day360) return 30;
  const auto& cum = is_leap_year(calendar, year) ? kCumulativeLeap : kCumulative;
  return cum[static_cast<std::size_t>(month)] - cum[static_cast<std::size_t>(month - 1)];
}

bool date_exists(Calendar calendar, std::int64_t year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(calendar, year, month)) return false;
  return !(calendar == Calendar::standard && year == 1582 && month == 10 && day > 4 && day < 15);
}

std::int64_t day_number(Calendar calendar, std::int64_t year, int month, int day) {
  switch (calendar) {
    case Calendar::standard:
      return before_gregorian(year, month, day) ? julian_jdn(year, month, day)
                                                : gregorian_jdn(year, month, day);
    case Calendar::proleptic_gregorian: return gregorian_jdn(year, month, day);
    case Calendar::julian: return julian_jdn(year, month, day);
    case Calendar::noleap: return fixed_year_day(kCumulative, year, month, day);
    case Calendar::all_leap: return fixed_year_day(kCumulativeLeap, year, month, day);
    case Calendar::day360: return year * 360 + (month - 1) * 30 + day - 1;
  }
  return 0;
}

void date_of_day(Calendar calendar, std::int64_t day, std::int64_t& year, int& month,
                 int& day_of_month) {
  switch (calendar) {
    case Calendar::standard:
      if (day >= kGregorianStart) {
        gregorian_date(day, year, month, day_of_month);
      } else {
        julian_date(day, year, month, day_of_month);
      }
      return;
    case Calendar::proleptic_gregorian: gregorian_date(day, year, month, day_of_month); return;
    case Calendar::julian: julian_date(day, year, month, day_of_month); return;
    case Calendar::noleap: fixed_year_date(kCumulative, day, year, month, day_of_month); return;
    case Calendar::all_leap: fixed_year_date(kCumulativeLeap, day, year, month, day_of_month); return;
    case Calendar::day360:
      year = floor_div(day, 360);
      month = static_cast<int>((day - year * 360) / 30) + 1;
      day_of_month = static_cast<int>(day - year * 360 - (month - 1) * 30) + 1;
      return;
  }
}

bool parse_time_units(std::string_view units, Calendar calendar, TimeCoding& coding,
                      std::string& error) {
  const std::string_view text = trim(units);
  // UNIT, blanks, "since", blanks, DATE
  std::size_t end_unit = 0;
  while (end_unit < text.size() && !std::isspace(static_cast<unsigned char>(text[end_unit]))) ++end_unit;
  std::string_view rest = trim(text.substr(end_unit));
  if (rest.size() < 6 || lower(rest.substr(0, 5)) != "since" ||
      !std::isspace(static_cast<unsigned char>(rest[5]))) {
    error = compose(kMsgTimeNotSince, {quoted(units)});
    return false;
  }
  TimeCoding c;
  c.calendar = calendar;
  if (!unit_of(text.substr(0, end_unit), c.unit)) {
    error = compose(kMsgTimeUnknownUnit, {quoted(text.substr(0, end_unit))});
    return false;
  }
  const std::string_view date_part = trim(rest.substr(5));
  double zone = 0.0;
  if (!read_date(date_part, c.origin, zone) || c.origin.month < 1 || c.origin.month > 12) {
    error = compose(kMsgTimeBadDate, {quoted(date_part)});
    return false;
  }
  if (!date_exists(calendar, c.origin.year, c.origin.month, c.origin.day)) {
    error = compose(kMsgTimeNoSuchDate, {quoted(date_part), quoted(calendar_name(calendar))});
    return false;
  }
  c.origin_day = day_number(calendar, c.origin.year, c.origin.month, c.origin.day);
  c.origin_seconds = c.origin.hour * 3600.0 + c.origin.minute * 60.0 + c.origin.second - zone;
  // a zone can move the origin into the day before or after
  const double shift = std::floor(c.origin_seconds / kSecondsPerDay);
  c.origin_day += static_cast<std::int64_t>(shift);
  c.origin_seconds -= shift * kSecondsPerDay;
  coding = c;
  return true;
}

bool time_date(const TimeCoding& coding, double value, CfDate& date) {
  if (!std::isfinite(value)) return false;
  if (coding.unit == TimeUnit::months) {
    if (std::fabs(value) > kMaxTimeYears * 12.0) return false;
    const std::int64_t index = coding.origin.year * 12 + (coding.origin.month - 1) +
                               static_cast<std::int64_t>(std::floor(value));
    date = CfDate{};
    date.year = floor_div(index, 12);
    date.month = static_cast<int>(index - date.year * 12) + 1;
    return true;
  }
  const double offset = value * unit_seconds(coding.unit);
  if (std::fabs(offset) > kMaxTimeYears * 366.0 * kSecondsPerDay) return false;
  const double total = coding.origin_seconds + offset;
  const double days = std::floor(total / kSecondsPerDay);
  double in_day = total - days * kSecondsPerDay;
  if (in_day < 0.0) in_day = 0.0;
  const std::int64_t day = coding.origin_day + static_cast<std::int64_t>(days);
  date = CfDate{};
  date_of_day(coding.calendar, day, date.year, date.month, date.day);
  date.hour = static_cast<int>(in_day / 3600.0);
  if (date.hour > 23) date.hour = 23;
  date.minute = static_cast<int>((in_day - date.hour * 3600.0) / 60.0);
  if (date.minute > 59) date.minute = 59;
  date.second = in_day - date.hour * 3600.0 - date.minute * 60.0;
  return true;
}

bool time_month(const TimeCoding& coding, double value, YearMonth& month) {
  CfDate date;
  if (!time_date(coding, value, date)) return false;
  month.year = date.year;
  month.month = date.month;
  return true;
}

std::string date_text(const CfDate& date) {
  char buf[96];
  const int second = static_cast<int>(date.second);
  if (second != 0) {
    std::snprintf(buf, sizeof buf, "%lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(date.year),
                  date.month, date.day, date.hour, date.minute, second);
  } else if (date.hour != 0 || date.minute != 0) {
    std::snprintf(buf, sizeof buf, "%lld-%02d-%02d %02d:%02d", static_cast<long long>(date.year),
                  date.month, date.day, date.hour, date.minute);
  } else {
    std::snprintf(buf, sizeof buf, "%lld-%02d-%02d", static_cast<long long>(date.year), date.month,
                  date.day);
  }
  return buf;
}

}  // namespace versel
