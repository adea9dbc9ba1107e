// Every message of the station sources and the coordinates files, in one
// place. A "{}" is filled by compose() (records/message_text.h) with the
// next argument; a field of the file comes quoted by quoted().
#pragma once

#include <string_view>

namespace versel {

// Why a line of a data file cannot be read; the reader puts the line number
// before it and the line after it.
inline constexpr std::string_view kMsgLineFault = "line {}: {}";
inline constexpr std::string_view kMsgYearOutOfRange = "year {} is out of range";
inline constexpr std::string_view kMsgYearNotFollowing = "year {} does not follow year {} of station {}";
// The catalogue's stations. The dialogue names a station by its number
// before the reason of a refused year.
inline constexpr std::string_view kMsgShownLine = "line: ";
inline constexpr std::string_view kMsgNoYearLine =
    "station {}: no year line after its header; the data format {} does not read this line";
inline constexpr std::string_view kMsgTerminatePause = "return to terminate program";
inline constexpr std::string_view kMsgDialogueYearOutOfRange = "station {}: year {} is out of range";
inline constexpr std::string_view kMsgDialogueYearNotFollowing =
    "station {}: year {} does not follow year {}";
// A gap of years too long for memory: "not enough memory: " and this.
inline constexpr std::string_view kMsgMonthlyValues = "the monthly values of station {} up to year {}";
inline constexpr std::string_view kMsgMonthNotNumber = "month {} is {}, not a number";
inline constexpr std::string_view kMsgMonthOutOfRange =
    "month {} is {}, beyond the values a month can hold";

// What a source looked for in a file in which it found no station at all.
inline constexpr std::string_view kMsgNoLayoutStation =
    "no line of the file is a year line of layout {} ({})";
inline constexpr std::string_view kMsgNoCatalogueStation =
    "no line of the file is a year line of the data format {}";
inline constexpr std::string_view kMsgNoTableStation = "the table has no row of values";
inline constexpr std::string_view kMsgNoGridStation = "no cell of the grid holds a valid month";
inline constexpr std::string_view kMsgNoSelectedStation =
    "no station with coordinates lies where --region or --near asks";

// free
inline constexpr std::string_view kMsgFreeTruncated =
    "a year line of {} fields: a year and twelve months need 13 (a preamble before the first "
    "station is passed over with --skip)";
inline constexpr std::string_view kMsgFreeMonth =
    "month {} is {}, neither a number nor a missing-value mark (empty, NA, NaN, -, "
    "asterisks or the flag {})";

// ghcnm
inline constexpr std::string_view kMsgGhcnmShort =
    "a line of {} characters: a station record holds its twelfth value in columns 108-112";
inline constexpr std::string_view kMsgGhcnmYear = "columns 12-15 hold {}, not a year";
inline constexpr std::string_view kMsgGhcnmMonth = "month {} (columns {}-{}) is {}, not a number";

// climdiv
inline constexpr std::string_view kMsgClimdivCode =
    "columns 1-10 hold {}, not a code of place (1-4), element (5-6) and year (7-10) in digits";
inline constexpr std::string_view kMsgClimdivCount =
    "{} values after column 10: a line holds exactly twelve";
inline constexpr std::string_view kMsgClimdivElement =
    "element {} has no known missing-value flag; give it with --flag";

// The coordinates files (--coords). A fault in a line is "line N: " and one
// of these.
inline constexpr std::string_view kMsgCoordsOpen = "cannot be read: {}";
inline constexpr std::string_view kMsgCoordsInventoryShort =
    "a line of {} characters: an inventory line holds its longitude in columns 22-30";
inline constexpr std::string_view kMsgCoordsNotLatitude = "latitude {} is not a number from -90 to 90";
inline constexpr std::string_view kMsgCoordsNotLongitude =
    "longitude {} is not a number from -180 to 360";
inline constexpr std::string_view kMsgCoordsNoCode = "the code is empty";
inline constexpr std::string_view kMsgCoordsFewFields = "{} fields where the table's columns need {}";
inline constexpr std::string_view kMsgCoordsFirstRow =
    "the first row is neither a row of titles naming lat or latitude nor a code, a latitude "
    "and a longitude";
inline constexpr std::string_view kMsgCoordsNoLongitude =
    "the titles name no column lon, long or longitude";
inline constexpr std::string_view kMsgCoordsNoCodeColumn =
    "the titles leave no column for the code";
inline constexpr std::string_view kMsgCoordsTwice =
    "code {} is listed on line {} with other coordinates";

}  // namespace versel
