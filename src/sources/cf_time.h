// CF time coordinates: the units "UNIT since DATE", the calendars, and the
// calendar date and month a time value falls in. Pure functions, no netCDF.
//
// Units. UNIT is one of days (day, d), hours (hour, h, hr, hrs), minutes
// (minute, min, mins), seconds (second, sec, secs, s) or months (month, mon,
// mons), in any case; "since" joins it to DATE (any case). DATE is
// Y-M-D with an optional time: "1900-1-1", "1850-01-01 00:00:00",
// "2000-01-01T12:00Z", "1-1-1 0:0:0.0", "1990-01-01 00:00:00 UTC",
// "1979-01-01 00:00 -06:00" (a zone after the time shifts DATE to UTC: 6
// hours later). A date of year and month alone ("1900-01") is the month's
// first day. Years may be negative; numbering is astronomical in every
// calendar (year 0 is the year before year 1).
//
// Calendars (attribute `calendar`, any case; none given is standard):
//   standard, gregorian     Julian before 1582-10-15, Gregorian from then on;
//                           the days 1582-10-05 to 1582-10-14 do not exist
//   proleptic_gregorian     Gregorian throughout
//   julian                  Julian throughout
//   noleap, 365_day         every year of 365 days
//   all_leap, 366_day       every year of 366 days
//   360_day                 twelve months of 30 days
//
// Values. Days, hours, minutes and seconds count elapsed time from DATE:
// the value falls on the day DATE + value, and into that day's month
// ("days since 1900-01-01" 31 is 1900-02-01; -1 is 1899-12-31). Months
// count calendar months: value v falls into the month floor(v) months after
// DATE's month, whatever DATE's day ("months since 1900-01-15" 0.5 and 0
// are both January 1900; 13 is February 1901; -1 is December 1899).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace versel {

enum class Calendar : std::uint8_t { standard, proleptic_gregorian, julian, noleap, all_leap, day360 };
enum class TimeUnit : std::uint8_t { seconds, minutes, hours, days, months };

// A date and time of a calendar. month 1-12, day from 1.
struct CfDate {
  std::int64_t year = 0;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  double second = 0.0;
};

struct YearMonth {
  std::int64_t year = 0;
  int month = 1;  // 1-12
};

// A time coordinate's decoding: its calendar, unit and origin.
struct TimeCoding {
  Calendar calendar = Calendar::standard;
  TimeUnit unit = TimeUnit::days;
  CfDate origin;
  std::int64_t origin_day = 0;   // day_number(calendar, origin's date)
  double origin_seconds = 0.0;   // seconds of origin's time of day, after the zone
};

// The calendar named by `text` (any case, blanks around ignored). False when
// it names none of the calendars above; an empty text is standard.
bool parse_calendar(std::string_view text, Calendar& calendar);

// The calendar's attribute value as written: "standard", "360_day", ...
std::string_view calendar_name(Calendar calendar);

// Reads "UNIT since DATE" for `calendar` into `coding`. False with `error`
// (a text of kMsgTime... of netcdf_messages.h) when the unit is unknown,
// "since" or DATE is missing or unreadable, or DATE is no date of the
// calendar (1582-10-10 in standard, 1900-02-29 in proleptic_gregorian,
// 2001-02-30 except in 360_day).
bool parse_time_units(std::string_view units, Calendar calendar, TimeCoding& coding,
                      std::string& error);

// The month `value` falls in. False when the value is not finite or lies
// beyond kMaxTimeYears years of DATE.
bool time_month(const TimeCoding& coding, double value, YearMonth& month);

// The date and time `value` falls on (months: the first of its month,
// midnight). False as for time_month.
bool time_date(const TimeCoding& coding, double value, CfDate& date);

// Years a time value may lie from its origin: far beyond any record, near
// enough that day counts stay exact in a double.
inline constexpr double kMaxTimeYears = 1.0e7;

// A date as messages show it: "1901-01-16", "1901-01-16 12:00" when it has
// a time of day, "1901-01-16 12:00:30" with seconds (fractions of a second
// are dropped).
std::string date_text(const CfDate& date);

// The calendar itself, for every calendar above. Day numbers count days
// from a fixed day (0001-01-01 of the proleptic Gregorian calendar is not
// necessarily 0); consecutive days have consecutive numbers, also across
// 1582-10-04/15 in standard. days_in_month: 28-31 (30 in 360_day).
bool is_leap_year(Calendar calendar, std::int64_t year);
int days_in_month(Calendar calendar, std::int64_t year, int month);
bool date_exists(Calendar calendar, std::int64_t year, int month, int day);
std::int64_t day_number(Calendar calendar, std::int64_t year, int month, int day);
void date_of_day(Calendar calendar, std::int64_t day, std::int64_t& year, int& month, int& day_of_month);

}  // namespace versel
