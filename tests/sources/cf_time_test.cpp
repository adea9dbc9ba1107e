// CF time: the spellings of units and calendars, the months and dates that
// values fall on in every calendar and unit (hand-computed), negative
// offsets, the standard calendar's Julian years before 1582 against the
// proleptic Gregorian, zones, and the units that are refused.
#include <gtest/gtest.h>

#include <string>

#include "sources/cf_time.h"

namespace versel {
namespace {

TimeCoding coding(const char* units, Calendar calendar = Calendar::standard) {
  TimeCoding c;
  std::string error;
  EXPECT_TRUE(parse_time_units(units, calendar, c, error)) << units << ": " << error;
  return c;
}

std::string date_at(const char* units, Calendar calendar, double value) {
  CfDate d;
  if (!time_date(coding(units, calendar), value, d)) return "no date";
  return date_text(d);
}

TEST(CfTime, CalendarNames) {
  struct Case {
    const char* text;
    Calendar calendar;
  } cases[] = {
      {"standard", Calendar::standard},   {"Gregorian", Calendar::standard},
      {"", Calendar::standard},           {" PROLEPTIC_GREGORIAN ", Calendar::proleptic_gregorian},
      {"julian", Calendar::julian},       {"noleap", Calendar::noleap},
      {"365_day", Calendar::noleap},      {"all_leap", Calendar::all_leap},
      {"366_DAY", Calendar::all_leap},    {"360_day", Calendar::day360},
  };
  for (const Case& c : cases) {
    Calendar got = Calendar::julian;
    if (c.calendar == Calendar::julian) got = Calendar::standard;
    EXPECT_TRUE(parse_calendar(c.text, got)) << c.text;
    EXPECT_EQ(got, c.calendar) << c.text;
  }
  Calendar got;
  for (const char* bad : {"none", "360", "gregorian_proleptic", "lunar"}) {
    EXPECT_FALSE(parse_calendar(bad, got)) << bad;
  }
}

TEST(CfTime, UnitSpellingsAndDateForms) {
  // each spelling of a unit; the value lands one unit after the origin
  struct Case {
    const char* units;
    double value;
    const char* date;
  } cases[] = {
      {"days since 1900-01-01", 1, "1900-01-02"},
      {"day since 1900-1-1", 1, "1900-01-02"},
      {"D SINCE 1900-01-01 00:00:00", 1, "1900-01-02"},
      {"hours since 1900-01-01", 1, "1900-01-01 01:00"},
      {"hour since 1900-01-01", 1, "1900-01-01 01:00"},
      {"h since 1900-01-01", 1, "1900-01-01 01:00"},
      {"hr since 1900-01-01", 1, "1900-01-01 01:00"},
      {"hrs since 1900-01-01", 1, "1900-01-01 01:00"},
      {"minutes since 1900-01-01", 1, "1900-01-01 00:01"},
      {"minute since 1900-01-01", 1, "1900-01-01 00:01"},
      {"min since 1900-01-01", 1, "1900-01-01 00:01"},
      {"mins since 1900-01-01", 1, "1900-01-01 00:01"},
      {"seconds since 1900-01-01", 1, "1900-01-01 00:00:01"},
      {"second since 1900-01-01", 1, "1900-01-01 00:00:01"},
      {"sec since 1900-01-01", 1, "1900-01-01 00:00:01"},
      {"secs since 1900-01-01", 1, "1900-01-01 00:00:01"},
      {"s since 1900-01-01", 1, "1900-01-01 00:00:01"},
      {"months since 1900-01-01", 1, "1900-02-01"},
      {"month since 1900-01", 1, "1900-02-01"},
      {"mon since 1900-01-01", 1, "1900-02-01"},
      // forms of the date
      {"days since 1900-01-01T00:00:00Z", 0.5, "1900-01-01 12:00"},
      {"days since 1900-01-01 00:00:00.0", 0.5, "1900-01-01 12:00"},
      {"days since 1-1-1 0:0:0", 0, "1-01-01"},
      {"days since 1990-01-01 00:00:00 UTC", 0, "1990-01-01"},
      {"  hours   since   1850-01-01 06:30  ", 0, "1850-01-01 06:30"},
      {"seconds since 1970-01-01T00:00:00.000000000", 1.0e9, "2001-09-09 01:46:40"},
      // a zone shifts the origin to UTC: 00:00 at -06:00 is 06:00 UTC
      {"hours since 1979-01-01 00:00 -06:00", 0, "1979-01-01 06:00"},
      {"hours since 1979-01-01 00:00 -6", -7, "1978-12-31 23:00"},
      {"hours since 1979-01-01 03:00 +0500", 0, "1978-12-31 22:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(date_at(c.units, Calendar::proleptic_gregorian, c.value), c.date) << c.units;
  }
}

TEST(CfTime, RefusedUnits) {
  struct Case {
    const char* units;
    Calendar calendar;
    const char* error;
  } cases[] = {
      {"days", Calendar::standard, "time units 'days' are not of the form \"UNIT since DATE\""},
      {"days after 1900-01-01", Calendar::standard,
       "time units 'days after 1900-01-01' are not of the form \"UNIT since DATE\""},
      {"years since 1900-01-01", Calendar::standard,
       "time unit 'years' is none of days, hours, minutes, seconds and months"},
      {"fortnights since 1900-01-01", Calendar::standard,
       "time unit 'fortnights' is none of days, hours, minutes, seconds and months"},
      {"days since yesterday", Calendar::standard,
       "'yesterday' after \"since\" is not a date of the form Y-M-D [h:m:s] [zone]"},
      {"days since 1900-13-01", Calendar::standard,
       "'1900-13-01' after \"since\" is not a date of the form Y-M-D [h:m:s] [zone]"},
      {"days since 1900-01-01 25:00", Calendar::standard,
       "'1900-01-01 25:00' after \"since\" is not a date of the form Y-M-D [h:m:s] [zone]"},
      {"days since 1900-01-01 x", Calendar::standard,
       "'1900-01-01 x' after \"since\" is not a date of the form Y-M-D [h:m:s] [zone]"},
      {"days since 1582-10-10", Calendar::standard,
       "the date '1582-10-10' does not exist in calendar 'standard'"},
      {"days since 1900-02-29", Calendar::proleptic_gregorian,
       "the date '1900-02-29' does not exist in calendar 'proleptic_gregorian'"},
      {"days since 2000-02-29", Calendar::noleap, "the date '2000-02-29' does not exist in calendar 'noleap'"},
      {"days since 2001-02-30", Calendar::all_leap,
       "the date '2001-02-30' does not exist in calendar 'all_leap'"},
      {"days since 2001-01-31", Calendar::day360, "the date '2001-01-31' does not exist in calendar '360_day'"},
  };
  for (const Case& c : cases) {
    TimeCoding t;
    std::string error;
    EXPECT_FALSE(parse_time_units(c.units, c.calendar, t, error)) << c.units;
    EXPECT_EQ(error, c.error);
  }
  // dates that exist in one calendar only
  TimeCoding t;
  std::string error;
  EXPECT_TRUE(parse_time_units("days since 1900-02-29", Calendar::julian, t, error));
  EXPECT_TRUE(parse_time_units("days since 1900-02-29", Calendar::standard, t, error) == false);
  EXPECT_TRUE(parse_time_units("days since 2001-02-30", Calendar::day360, t, error));
  EXPECT_TRUE(parse_time_units("days since 1582-10-10", Calendar::proleptic_gregorian, t, error));
}

// Where values land, calendar by calendar: the days around February of a
// year that is leap in one calendar and not in another.
TEST(CfTime, DatesInEveryCalendar) {
  struct Case {
    Calendar calendar;
    const char* units;
    double value;
    const char* date;
  } cases[] = {
      // 1900: leap in Julian, not in Gregorian
      {Calendar::standard, "days since 1900-01-01", 31, "1900-02-01"},
      {Calendar::standard, "days since 1900-01-01", 58, "1900-02-28"},
      {Calendar::standard, "days since 1900-01-01", 59, "1900-03-01"},
      {Calendar::proleptic_gregorian, "days since 1900-01-01", 59, "1900-03-01"},
      {Calendar::julian, "days since 1900-01-01", 59, "1900-02-29"},
      {Calendar::julian, "days since 1900-01-01", 60, "1900-03-01"},
      {Calendar::noleap, "days since 1900-01-01", 59, "1900-03-01"},
      {Calendar::all_leap, "days since 1900-01-01", 59, "1900-02-29"},
      {Calendar::day360, "days since 1900-01-01", 59, "1900-02-30"},
      {Calendar::day360, "days since 1900-01-01", 60, "1900-03-01"},
      // 2000: leap in every real calendar, not in noleap
      {Calendar::standard, "days since 2000-01-01", 59, "2000-02-29"},
      {Calendar::noleap, "days since 2000-01-01", 59, "2000-03-01"},
      {Calendar::noleap, "days since 2000-01-01", 365, "2001-01-01"},
      {Calendar::all_leap, "days since 2001-01-01", 365, "2001-12-31"},
      {Calendar::all_leap, "days since 2001-01-01", 366, "2002-01-01"},
      {Calendar::day360, "days since 2000-01-01", 359, "2000-12-30"},
      {Calendar::day360, "days since 2000-01-01", 360, "2001-01-01"},
      // negative offsets
      {Calendar::standard, "days since 1900-01-01", -1, "1899-12-31"},
      {Calendar::standard, "days since 1900-01-01", -0.25, "1899-12-31 18:00"},
      {Calendar::noleap, "days since 1900-03-01", -1, "1900-02-28"},
      {Calendar::all_leap, "days since 1900-03-01", -1, "1900-02-29"},
      {Calendar::day360, "days since 1900-01-01", -1, "1899-12-30"},
      {Calendar::day360, "days since 1900-01-01", -361, "1898-12-30"},
      {Calendar::julian, "days since 1900-03-01", -1, "1900-02-29"},
      // the standard calendar is Julian before 1582-10-15
      {Calendar::standard, "days since 1582-10-15", -1, "1582-10-04"},
      {Calendar::proleptic_gregorian, "days since 1582-10-15", -1, "1582-10-14"},
      {Calendar::standard, "days since 1582-10-01", 4, "1582-10-15"},
      {Calendar::standard, "days since 1500-01-01", 59, "1500-02-29"},
      {Calendar::proleptic_gregorian, "days since 1500-01-01", 59, "1500-03-01"},
      {Calendar::julian, "days since 1582-10-15", 0, "1582-10-15"},
      {Calendar::julian, "days since 1582-10-04", 1, "1582-10-05"},
      // a thousand years: 250 leap years in Julian, 242 in Gregorian; the
      // standard calendar's thousand years lose the ten days of 1582 and
      // three more Julian leap days (1700, 1800, 1900)
      {Calendar::julian, "days since 1000-01-01", 365250, "2000-01-01"},
      {Calendar::proleptic_gregorian, "days since 1000-01-01", 365242, "2000-01-01"},
      {Calendar::standard, "days since 1000-01-01", 365237, "2000-01-01"},
      // years before 1 (astronomical: 0, -1, ...)
      {Calendar::proleptic_gregorian, "days since 0001-01-01", -1, "0-12-31"},
      {Calendar::proleptic_gregorian, "days since 0001-01-01", -366, "0-01-01"},  // 0 is leap
      {Calendar::julian, "days since -1-01-01", 365, "0-01-01"},
      {Calendar::noleap, "days since -100-01-01", 365, "-99-01-01"},
      // hours, minutes and seconds, across a month's end
      {Calendar::standard, "hours since 1900-01-01 00:00:00", 743.5, "1900-01-31 23:30"},
      {Calendar::standard, "hours since 1900-01-01 00:00:00", 744, "1900-02-01"},
      {Calendar::noleap, "minutes since 1979-01-01", 44640, "1979-02-01"},
      {Calendar::day360, "minutes since 1979-01-01", 43200, "1979-02-01"},
      {Calendar::standard, "seconds since 1970-01-01", 2678399, "1970-01-31 23:59:59"},
      {Calendar::standard, "seconds since 1970-01-01", 2678400, "1970-02-01"},
      {Calendar::standard, "days since 1850-01-01 12:00:00", 0.5, "1850-01-02"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(date_at(c.units, c.calendar, c.value), c.date)
        << calendar_name(c.calendar) << ", " << c.units << ", " << c.value;
  }
}

TEST(CfTime, MonthsCountCalendarMonths) {
  struct Case {
    Calendar calendar;
    double value;
    std::int64_t year;
    int month;
  } cases[] = {
      {Calendar::standard, 0, 1900, 1},       {Calendar::standard, 0.5, 1900, 1},
      {Calendar::standard, 0.999, 1900, 1},   {Calendar::standard, 1, 1900, 2},
      {Calendar::standard, 13, 1901, 2},      {Calendar::standard, -1, 1899, 12},
      {Calendar::standard, -0.5, 1899, 12},   {Calendar::standard, -12, 1899, 1},
      {Calendar::standard, -13, 1898, 12},    {Calendar::day360, 1439, 2019, 12},
      {Calendar::noleap, 1200.5, 2000, 1},    {Calendar::julian, -22801, -1, 12},
  };
  const TimeCoding c15 = coding("months since 1900-01-15");  // the day does not count
  for (const Case& c : cases) {
    TimeCoding t = c15;
    t.calendar = c.calendar;
    YearMonth ym;
    ASSERT_TRUE(time_month(t, c.value, ym)) << c.value;
    EXPECT_EQ(ym.year, c.year) << c.value;
    EXPECT_EQ(ym.month, c.month) << c.value;
  }
}

TEST(CfTime, ValuesBeyondReach) {
  const TimeCoding days = coding("days since 1900-01-01");
  const TimeCoding months = coding("months since 1900-01-01");
  YearMonth ym;
  for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity(), 1.0e300, -1.0e300, 1.0e10}) {
    EXPECT_FALSE(time_month(days, v, ym)) << v;
    EXPECT_FALSE(time_month(months, v * 13.0, ym)) << v;
  }
  // 9 million Gregorian years are 22,500 cycles of 146,097 days
  EXPECT_TRUE(time_month(days, 146097.0 * 22500.0, ym));
  EXPECT_EQ(ym.year, 9001900);
  EXPECT_EQ(ym.month, 1);
}

// Day numbers run on without a gap or a repeat in every calendar, and go
// back to the date they came from: a year of days from 1582-09-01 in
// standard has only 355 dates, ten days of October missing.
TEST(CfTime, DayNumbersAreConsecutive) {
  for (Calendar cal : {Calendar::standard, Calendar::proleptic_gregorian, Calendar::julian,
                       Calendar::noleap, Calendar::all_leap, Calendar::day360}) {
    for (std::int64_t first_year : {-401, -1, 1, 1582, 1899, 2000}) {
      std::int64_t y = first_year;
      int m = 1;
      int d = 1;
      std::int64_t day = day_number(cal, y, m, d);
      for (int step = 0; step < 800; ++step) {
        std::int64_t yy;
        int mm, dd;
        date_of_day(cal, day + step, yy, mm, dd);
        ASSERT_EQ(yy, y) << calendar_name(cal) << " step " << step << " from " << first_year;
        ASSERT_EQ(mm, m);
        ASSERT_EQ(dd, d);
        ASSERT_EQ(day_number(cal, yy, mm, dd), day + step);
        // the next date of the calendar
        if (++d > days_in_month(cal, y, m)) {
          d = 1;
          if (++m > 12) {
            m = 1;
            ++y;
          }
        }
        if (cal == Calendar::standard && y == 1582 && m == 10 && d == 5) d = 15;
      }
    }
  }
  EXPECT_EQ(day_number(Calendar::proleptic_gregorian, 2000, 1, 1), 2451545);  // Julian day number
  EXPECT_EQ(day_number(Calendar::julian, 1582, 10, 4), 2299160);
  EXPECT_EQ(day_number(Calendar::standard, 1582, 10, 15), 2299161);
}

TEST(CfTime, DateText) {
  CfDate d;
  d.year = 1901;
  d.month = 1;
  d.day = 16;
  EXPECT_EQ(date_text(d), "1901-01-16");
  d.hour = 12;
  EXPECT_EQ(date_text(d), "1901-01-16 12:00");
  d.second = 30.75;
  EXPECT_EQ(date_text(d), "1901-01-16 12:00:30");
  d.year = -45;
  d.hour = 0;
  d.second = 0;
  EXPECT_EQ(date_text(d), "-45-01-16");
}

}  // namespace
}  // namespace versel
