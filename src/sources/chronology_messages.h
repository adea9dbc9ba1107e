// Every message of the chronology reader (sources/chronology.h), in one
// place. A "{}" is filled by compose() (records/message_text.h); a field of
// the file comes quoted by quoted().
#pragma once

#include <string_view>

namespace versel {

inline constexpr std::string_view kMsgChronLineFault = "line {}: {}";

// The file as a whole.
inline constexpr std::string_view kMsgChronOpen = "cannot be read: {}";
inline constexpr std::string_view kMsgChronEmpty = "the file holds no chronology";
inline constexpr std::string_view kMsgChronNoId =
    "the file holds no chronology {}; its chronologies: {}";
inline constexpr std::string_view kMsgChronNoValue = "chronology {} holds no value";

// .crn data lines.
inline constexpr std::string_view kMsgCrnYear = "columns 7-10 hold {}, not a year";
inline constexpr std::string_view kMsgCrnIndex =
    "the value of pair {} (columns {}-{}) is {}, not a whole number";
inline constexpr std::string_view kMsgCrnDepth =
    "the sample depth of pair {} (columns {}-{}) is {}, not a whole number from 0";
inline constexpr std::string_view kMsgCrnNoPair = "no value in columns 11-80";
inline constexpr std::string_view kMsgCrnPastDecade =
    "the line of year {} holds {} values, more than the {} years from {} to the end of its "
    "decade (a line that keeps decade places holds 9990 or blanks before its year)";
inline constexpr std::string_view kMsgCrnYearBack =
    "year {} of chronology {} comes after its year {}";
inline constexpr std::string_view kMsgCrnHeaders =
    "{} (at most three header lines come before the data lines of a chronology)";
inline constexpr std::string_view kMsgCrnInside =
    "{} (a line inside the data lines of chronology {})";

// Tables.
inline constexpr std::string_view kMsgTableFields =
    "a row of {}: a chronology table holds a year, a value and optionally a sample depth";
inline constexpr std::string_view kMsgChronologyTableYear =
    "the year {} is not a whole number from -99999 to 99999";
inline constexpr std::string_view kMsgChronologyTableValue =
    "the value {} is neither a number nor a mark of no value (empty, NA, NaN, -)";
inline constexpr std::string_view kMsgTableDepth =
    "the sample depth {} is not a whole number from 0";
inline constexpr std::string_view kMsgTableYearBack = "year {} comes after year {}";
inline constexpr std::string_view kMsgTableTitles =
    "{} (at most three title lines come before the first row)";

}  // namespace versel
