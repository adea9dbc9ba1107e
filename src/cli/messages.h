// Every message of the command line, in one place. A "{}" is filled by
// compose() with the next argument; option values come quoted by quoted().
// The parser returns the message; the caller writes usage_error_text().
#pragma once

#include <string_view>

#include "records/message_text.h"

namespace versel {

// The two lines of a usage error, around the message.
inline constexpr std::string_view kUsagePrefix = "versel: ";
inline constexpr std::string_view kUsageHint = "Try 'versel --help'.";

// What each option's value is, for a missing value.
inline constexpr std::string_view kArgKind = "KIND: tsf, mat, grd, csv or nc";
inline constexpr std::string_view kArgDataSet = "N: a data set of 1 to 12";
inline constexpr std::string_view kArgFormat =
    "FMT: the record format of the year lines, such as (1x,i4,12f5.1)";
inline constexpr std::string_view kArgFlag = "X: the value that marks a missing month, such as -999.9";
inline constexpr std::string_view kArgHeaderFormat =
    "FMT: how latitude and longitude are read from a header line, such as (12x,f6.2,f7.2)";
inline constexpr std::string_view kArgMask = "MASK: the climate mask, such as 000001130000";
inline constexpr std::string_view kArgMinMonths =
    "N: the valid months an average season needs, 1 or more";
inline constexpr std::string_view kArgOutput =
    "PREFIX: the start of the output file names, or - for standard output";
inline constexpr std::string_view kArgOutputDir = "DIR: the folder the output files go to";

// The options themselves.
inline constexpr std::string_view kMsgUnknownOption = "unknown option {}";
inline constexpr std::string_view kMsgTakesNoValue = "option {} takes no value (given {})";
inline constexpr std::string_view kMsgNeedsValue = "option {} needs its {}";
inline constexpr std::string_view kMsgGivenTwice = "option {} is given twice: {} and {}; give it once";
inline constexpr std::string_view kMsgSwitchTwice = "option {} is given twice; give it once";

// The values of the options.
inline constexpr std::string_view kMsgKindUnknown =
    "--kind {}: not an output kind; use tsf, mat, grd, csv or nc";
inline constexpr std::string_view kMsgMinMonthsNotNumber =
    "--min-months {}: not a number; give how many valid months an average season needs, "
    "1 or more";
inline constexpr std::string_view kMsgMinMonthsZero =
    "--min-months {}: an average needs at least 1 valid month";
inline constexpr std::string_view kMsgDataSetNotNumber =
    "--data-set {}: not a number; give a data set of 1 to 12";
inline constexpr std::string_view kMsgDataSetRange =
    "--data-set {}: no such data set; the known ones are 1 to 12 "
    "(for a format of your own give --format and --flag)";
inline constexpr std::string_view kMsgFormatRejected = "{} {}: {}";
inline constexpr std::string_view kMsgFormatTooLong =
    "{} {}: {} characters, more than the {} a format may have";
inline constexpr std::string_view kMsgFlagNotNumber =
    "--flag {}: not a number; give the value that marks a missing month, such as -999.9";
inline constexpr std::string_view kMsgFlagComma =
    "--flag {}: a comma would end the number there; write a decimal point as '.'";
inline constexpr std::string_view kMsgFlagTooLong =
    "--flag {}: longer than the {} characters a flag is read from";
inline constexpr std::string_view kMsgFlagNotFinite =
    "--flag {}: not a finite number, which no month could equal";
inline constexpr std::string_view kMsgOutputDirEmpty =
    "--output-dir '': an empty folder name; give the folder the outputs go to";
inline constexpr std::string_view kMsgOutputDirWithStdout =
    "--output-dir goes with files: '-o -' writes to standard output";
inline constexpr std::string_view kMsgOutputEmpty =
    "--output '': an empty PREFIX; give the start of the output file names, or - for "
    "standard output";

// The climate mask. A position reads "position 20 (Aug of the mask's year 2)".
inline constexpr std::string_view kMsgPosition = "position {} ({} of the mask's year {})";
inline constexpr std::string_view kMsgMaskTooLong =
    "--mask {}: {} months, more than the {} (five years) a mask can hold";
inline constexpr std::string_view kMsgMaskCharacter =
    "--mask {}: {} at {} is not a mask digit; use 0 (month not used), 1 (month used), "
    "2 (closes a season as a sum) or 3 (closes a season as an average)";
inline constexpr std::string_view kMsgMaskNoMonth =
    "--mask {}: no month selected; mark the months to use with 1, and close a season "
    "with 2 (sum) or 3 (average)";
inline constexpr std::string_view kMsgMaskStrayOnes =
    "--mask {}: the 1 at {} comes after the last season's end at position {} and would be "
    "in no climate variable; end its season with 2 or 3, or make it 0";
inline constexpr std::string_view kMsgMaskTooMany =
    "--mask {}: {} climate variables, more than the {} a run can hold; join months into "
    "seasons with 2 or 3";

// Options that do not go together.
inline constexpr std::string_view kMsgFormatAndDataSet =
    "--format and --data-set do not go together: data set {} has its own format";
inline constexpr std::string_view kMsgFlagWithDataSet =
    "--flag goes with --format or --layout: data set {} has its own flag";
inline constexpr std::string_view kMsgHeaderWithDataSet =
    "--header-format goes with --format: data set {} has its own";
inline constexpr std::string_view kMsgOutputSeveralFiles =
    "--output {} with {} FILEs: each FILE writes outputs of its own; leave out --output, "
    "or run versel once per FILE";
inline constexpr std::string_view kMsgOutputStdoutMat =
    "--output - with --kind mat: mat writes two files, _sea and _key; give a PREFIX";

// Options a run needs.
inline constexpr std::string_view kMsgNeedKind =
    "--kind is missing: give the output kind, tsf, mat, grd, csv or nc";
inline constexpr std::string_view kMsgNeedLayout =
    "the layout of the data is missing: give --data-set N (1 to 12), --format FMT "
    "with --flag X, or --layout NAME";
inline constexpr std::string_view kMsgNeedFlag =
    "--format needs --flag: give the value that marks a missing month in the data";
inline constexpr std::string_view kMsgNeedHeaderFormat =
    "--kind {} with --format needs --header-format: how latitude and longitude are read "
    "from each header line, such as (12x,f6.2,f7.2)";
inline constexpr std::string_view kMsgNeedMask =
    "--mask is missing: give the climate mask, such as --mask 000001130000";
inline constexpr std::string_view kMsgNeedFile = "no data FILE given";

// The FILEs and their outputs.
inline constexpr std::string_view kMsgFileStandardInput =
    "FILE '-': versel reads a data file by its name, not from standard input "
    "(for a file named -, give ./-)";
inline constexpr std::string_view kMsgFileEmpty = "FILE '': an empty file name";
inline constexpr std::string_view kMsgFileTwice = "FILE {} is given twice";
inline constexpr std::string_view kMsgSameOutputs =
    "FILEs {} and {} would both write {}; the output names come from each file's name "
    "without its last extension: rename one, or run them with --output-dir apart";
inline constexpr std::string_view kMsgOutputIsFile = "FILE {} would be overwritten by the output of FILE {}";
inline constexpr std::string_view kMsgOutputIsOwnFile = "FILE {} would be overwritten by its own output";

// The layouts of downloaded files and their options.
inline constexpr std::string_view kArgLayout =
    "NAME: a layout of downloaded files, free, ghcnm, climdiv, table or netcdf";
inline constexpr std::string_view kArgCoords =
    "FILE: the coordinates of the stations by their codes, an inventory (.inv) or a table";
inline constexpr std::string_view kArgSkip =
    "N: the number of lines at the start of each FILE that are not read";
inline constexpr std::string_view kMsgLayoutUnknown = "--layout {}: no such layout; the layouts are {}";
inline constexpr std::string_view kMsgSkipNotNumber =
    "--skip {}: not a number of lines; give the lines to pass over, 0 or more";
inline constexpr std::string_view kMsgCoordsEmpty = "--coords '': an empty file name";
inline constexpr std::string_view kMsgLayoutAndDataSet =
    "--layout and --data-set do not go together: give the one layout of the data";
inline constexpr std::string_view kMsgLayoutAndFormat =
    "--layout and --format do not go together: layout {} cuts its lines itself";
inline constexpr std::string_view kMsgHeaderWithLayout =
    "--header-format goes with --format: the stations of layout {} have no header line; "
    "give their coordinates with --coords";
inline constexpr std::string_view kMsgCoordsWithoutLayout =
    "--coords goes with --layout: the data sets and --format read each station's "
    "coordinates from its header line";
inline constexpr std::string_view kMsgKeepFlaggedNotGhcnm =
    "--keep-flagged goes with --layout ghcnm: only the global monthly station files carry "
    "quality flags";
// Gridded files and the selection of stations.
inline constexpr std::string_view kArgVar = "NAME: the variable of a netCDF file to read";
inline constexpr std::string_view kArgRegion =
    "W/E/S/N: the box of longitudes and latitudes whose stations are read, such as -10/30/35/60";
inline constexpr std::string_view kArgNear =
    "LAT/LON[/N]: the place whose N nearest stations are read (1 without N)";
inline constexpr std::string_view kMsgVarWithoutNetcdf =
    "--var goes with --layout netcdf: only a netCDF file holds variables";
inline constexpr std::string_view kMsgRegionAndNear =
    "--region and --near do not go together: give the box or the place";
inline constexpr std::string_view kMsgOutputStdoutNc =
    "--output - with --kind nc: a netCDF file cannot be written to standard output; give a PREFIX";
inline constexpr std::string_view kMsgNetcdfFile =
    "a netCDF file, which the layout of text files cannot read; read it with --layout netcdf";
inline constexpr std::string_view kMsgCells = "{} cells with data of {}";
inline constexpr std::string_view kMsgOneCell = "1 cell with data of {}";
inline constexpr std::string_view kMsgPassedOver = "{}, {} without coordinates passed over";

// A chronology and the screen of windows.
inline constexpr std::string_view kArgChronology =
    "FILE: a tree-ring chronology, Tucson .crn or a table of year and value";
inline constexpr std::string_view kArgChronologyId = "CODE: the chronology of a .crn file to take";
inline constexpr std::string_view kArgSpan = "Y: the calendar years of the windows, 1 to 5";
inline constexpr std::string_view kArgMaxMonths = "L: the longest window in months, 1 to 24";
inline constexpr std::string_view kArgMinYears = "N: the years a correlation needs, 3 or more";
inline constexpr std::string_view kArgMethod = "NAME: pearson or spearman";
inline constexpr std::string_view kArgBootstrap = "N: resamples of years for the interval, 0 to 100000";
inline constexpr std::string_view kArgSeed = "S: the seed of the resamples, a whole number";
inline constexpr std::string_view kMsgChronologyEmpty = "--chronology '': an empty file name";
inline constexpr std::string_view kMsgCountRange = "{} {}: not a whole number from {} to {}";
inline constexpr std::string_view kMsgMethodUnknown =
    "--method {}: no such method; use pearson or spearman";
inline constexpr std::string_view kMsgNeedChronology =
    "{} goes with --chronology: it sets how the chronology is correlated";
inline constexpr std::string_view kMsgNeedScreen =
    "{} goes with --screen: it sets the windows of a screen";
inline constexpr std::string_view kMsgScreenAndMask =
    "--screen and --mask do not go together: the screen's windows are its masks (leave out "
    "--mask, or leave out --screen to correlate the mask's own variables)";
inline constexpr std::string_view kMsgChronologyKind =
    "--kind {} with --chronology: a correlation is written as csv, nc or grd";
inline constexpr std::string_view kMsgChronologyStdout =
    "--output - with --screen: the screen's picture needs a file; give a PREFIX";

// The summary of a run with a chronology, and the best window of each
// station of a screen.
inline constexpr std::string_view kMsgWindowsAgainst = "{} windows against chronology {}";
inline constexpr std::string_view kMsgVariablesAgainst =
    "{} climate variables against chronology {}";
inline constexpr std::string_view kMsgVariableAgainst = "1 climate variable against chronology {}";
inline constexpr std::string_view kMsgBestWindow =
    "station {}: best window {}, r {} over {} years: -m {}";
inline constexpr std::string_view kMsgNoBestWindow =
    "station {}: no window has enough years in common with the chronology";

// The coordinates file, before any FILE: "versel: COORDS: " and the reason.
inline constexpr std::string_view kMsgOutputOverInput =
    "output file {} is the input file {} (another name for it); it is left as it is";
// After the stations of the summary line, when coordinates are looked up.
inline constexpr std::string_view kMsgWithoutCoordinates = "{}, {} without coordinates";

// The run of each FILE (standard error; the file named first, as
// "versel: FILE: ", by the driver). A failure of the run is the record
// layer's text; these are the command line's own.
inline constexpr std::string_view kMsgOutputOverFile =
    "output file {} is FILE {} of this command line (another name for it); it is left as it is";
inline constexpr std::string_view kMsgOutputOverOutput =
    "output file {} was written for FILE {} earlier in this run (another name for it); it is "
    "left as it is";
// --output-dir that cannot be made: "versel: DIR: " and the system's reason.
inline constexpr std::string_view kMsgOutputDirNotMade = "cannot create the output folder: {}";
inline constexpr std::string_view kMsgStandardOutputIsFile =
    "standard output is the data file itself; write the output to another file";
// A failed statement of the record layer (cli/failure_text.h).
inline constexpr std::string_view kMsgLinePrefix = "line ";
inline constexpr std::string_view kMsgSomeLine = "a line";
inline constexpr std::string_view kMsgDoesNotFit = " does not fit the format ";
inline constexpr std::string_view kMsgCannotCreate = "cannot create ";
inline constexpr std::string_view kMsgCannotWrite = "cannot write ";
inline constexpr std::string_view kMsgEmptyFile = "the file is empty";
inline constexpr std::string_view kMsgNoLineAfter = "no line after line ";
inline constexpr std::string_view kMsgOnStandardInput = "standard input: ";
inline constexpr std::string_view kMsgOnStandardOutput = "standard output: ";
// A FILE that yields nothing: "found no station: " and what the source looked
// for; "no output year: the mask reaches 2 years and the longest station has
// 1 year".
inline constexpr std::string_view kMsgFoundNoStation = "found no station: {}";
inline constexpr std::string_view kMsgNoOutputYearAtAll =
    "no output year: the mask reaches {} {} and the longest station has {} {}";
inline constexpr std::string_view kMsgOutOfMemory = "not enough memory for this file";
inline constexpr std::string_view kMsgRunFailed = "the run failed";
inline constexpr std::string_view kMsgStandardOutput = "standard output";

// The summary line of a FILE:
//   "4 stations, years 1932 to 1999, 4 climate variables; wrote t_sea and t_key"
inline constexpr std::string_view kMsgSummary = "{}, {}, {}; wrote {}";
inline constexpr std::string_view kMsgNoStation = "no station";
inline constexpr std::string_view kMsgStations = "{} stations";
inline constexpr std::string_view kMsgOneStation = "1 station";
inline constexpr std::string_view kMsgNoOutputYear = "no output year";
inline constexpr std::string_view kMsgYear = "year {}";
inline constexpr std::string_view kMsgYears = "years {} to {}";
inline constexpr std::string_view kMsgVariables = "{} climate variables";
inline constexpr std::string_view kMsgOneVariable = "1 climate variable";
inline constexpr std::string_view kMsgTwoFiles = "{} and {}";
// After the files: the months a layout took as missing by its sentinels.
inline constexpr std::string_view kMsgTakenAsMissing = "{}; {} taken as missing";

// A value that may be an undeclared flag (after the summary line):
//   "999.9 stands in 36 months as the largest value, 98 median absolute
//   deviations above the median 12.3; if it marks missing months, give
//   --flag 999.9"
inline constexpr std::string_view kMsgOutlier =
    "{} stands in {} months as the {} value, {} median absolute deviations {} the median {}; "
    "if it marks missing months, give {}";
inline constexpr std::string_view kMsgOutlierNegative =
    "{} stands in {} months as the only negative value among {} months; if it marks missing "
    "months, give {}";
inline constexpr std::string_view kMsgOutlierFlag = "--flag {}";
inline constexpr std::string_view kMsgOutlierFormat =
    "--format '{}' --flag {} --header-format '{}' instead of --data-set {}";

}  // namespace versel
