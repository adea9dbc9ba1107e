// Every message of the netCDF grid reader and of the CF time decoding, in
// one place. A "{}" is filled by compose() (records/message_text.h) with the
// next argument; names and values of the file come quoted by quoted(), the
// file's name by shown_name().
#pragma once

#include <string_view>

namespace versel {

// The time units and calendars (cf_time.h): the reader puts the file and
// the time variable before them.
inline constexpr std::string_view kMsgTimeNotSince =
    "time units {} are not of the form \"UNIT since DATE\"";
inline constexpr std::string_view kMsgTimeUnknownUnit =
    "time unit {} is none of days, hours, minutes, seconds and months";
inline constexpr std::string_view kMsgTimeBadDate =
    "{} after \"since\" is not a date of the form Y-M-D [h:m:s] [zone]";
inline constexpr std::string_view kMsgTimeNoSuchDate = "the date {} does not exist in calendar {}";

// A status of the netCDF library: "FILE: WHAT: the library's reason".
inline constexpr std::string_view kMsgNcStatus = "{}: {}: {}";
inline constexpr std::string_view kMsgNcFileStatus = "{}: {}";

// Opening.
inline constexpr std::string_view kMsgNotNetcdf = "{} is not a netCDF file";
inline constexpr std::string_view kMsgNotAFile = "{} cannot be read: {}";
inline constexpr std::string_view kMsgTruncated =
    "{} is truncated or corrupt: its header places data up to byte {}, the file holds {} bytes";
inline constexpr std::string_view kMsgBadHeader =
    "{} is corrupt: its header cannot be read past byte {}";

// The variable.
inline constexpr std::string_view kMsgNoSuchVariable = "{} has no variable {} (its variables: {})";
inline constexpr std::string_view kMsgNoGriddedVariable =
    "{} holds no variable with a time dimension and two horizontal dimensions (its variables: "
    "{}); name one with --var";
inline constexpr std::string_view kMsgSeveralVariables =
    "{} holds several variables with a time dimension and two horizontal dimensions: {}; "
    "choose one with --var";
inline constexpr std::string_view kMsgVariableFault = "{}: variable {}: {}";

// Why a variable is not a grid (the reader puts file and variable before).
inline constexpr std::string_view kMsgNoTimeAxis =
    "no time dimension (a dimension named time or valid_time, or whose coordinate variable has "
    "units \"UNIT since DATE\", standard_name time or axis T)";
inline constexpr std::string_view kMsgTimeNoCoordinate =
    "time dimension {} has no coordinate variable holding the times";
inline constexpr std::string_view kMsgTimeNoUnits = "time variable {} has no units attribute";
inline constexpr std::string_view kMsgTimeUnits = "time variable {}: {}";
inline constexpr std::string_view kMsgUnknownCalendar =
    "time variable {}: calendar {} is none of standard, gregorian, proleptic_gregorian, julian, "
    "noleap, 365_day, all_leap, 366_day and 360_day";
inline constexpr std::string_view kMsgTimeValue =
    "time variable {}: step {} holds {}, which is no time of the calendar";
inline constexpr std::string_view kMsgNoSteps = "time dimension {} has no steps";
inline constexpr std::string_view kMsgNotMonthly =
    "the data are not monthly: steps {} ({}) and {} ({}) of time variable {} fall in the same "
    "month";
inline constexpr std::string_view kMsgTooManySteps =
    "the data are not monthly: time variable {} has {} steps, more than the months of {} years";
inline constexpr std::string_view kMsgTimeSpan =
    "the time axis spans the years {} to {}, more than {} years";
inline constexpr std::string_view kMsgNoLatitude =
    "no latitude: no dimension has a coordinate variable with units degrees_north, "
    "standard_name latitude or axis Y, and attribute coordinates names no latitude variable";
inline constexpr std::string_view kMsgNoLongitude =
    "no longitude: no dimension has a coordinate variable with units degrees_east, "
    "standard_name longitude or axis X, and attribute coordinates names no longitude variable";
inline constexpr std::string_view kMsgExtraDimension =
    "dimension {} has {} steps: only a dimension of length 1 (a single level) can be read "
    "besides time and the horizontal dimensions";
inline constexpr std::string_view kMsgCoordinatesShape =
    "coordinate variables {} and {} do not span the variable's horizontal dimensions";
inline constexpr std::string_view kMsgBadLatitude = "{} holds {}, which is not a latitude";
inline constexpr std::string_view kMsgBadLongitude = "{} holds {}, which is not a longitude";
inline constexpr std::string_view kMsgNotNumeric = "{} does not hold numbers";
inline constexpr std::string_view kMsgBadAttribute = "attribute {} does not hold a number";
inline constexpr std::string_view kMsgTooManyCells = "{} cells with {} steps each are too many to read";

// What a status names ("FILE: WHAT: reason").
inline constexpr std::string_view kMsgWhatOpen = "cannot be opened";
inline constexpr std::string_view kMsgWhatVariable = "variable {}";
inline constexpr std::string_view kMsgWhatAttribute = "attribute {} of {}";
inline constexpr std::string_view kMsgWhatDimension = "dimension {}";
inline constexpr std::string_view kMsgWhatValues = "reading the values of {}";

// The selection (geometry.h): the option's value follows.
inline constexpr std::string_view kMsgRegionForm =
    "{} is not a region WEST/EAST/SOUTH/NORTH of four numbers in degrees";
inline constexpr std::string_view kMsgRegionLatitudes =
    "{}: SOUTH and NORTH must lie from -90 to 90 with SOUTH not above NORTH";
inline constexpr std::string_view kMsgRegionLongitudes =
    "{}: WEST and EAST must lie from -360 to 360 and differ by at most 360 degrees";
inline constexpr std::string_view kMsgNearForm =
    "{} is not a site LAT/LON or LAT/LON/N (N cells from 1 to {})";
inline constexpr std::string_view kMsgNearPlace =
    "{}: LAT must lie from -90 to 90 and LON from -360 to 360";

}  // namespace versel
