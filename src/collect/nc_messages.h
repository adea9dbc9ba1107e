// Every message of the nc output kind, in one place. A "{}" is filled by
// compose() (records/message_text.h); the file's name comes first, shown by
// shown_name(). A failure of the netCDF library reads "FILE: WHAT: reason"
// with WHAT one of kMsgNcWhat....
#pragma once

#include <string_view>

namespace versel {

inline constexpr std::string_view kMsgNcWhatCreate = "cannot be created";
inline constexpr std::string_view kMsgNcWhatDefine = "defining {}";
inline constexpr std::string_view kMsgNcWhatWrite = "writing {}";
inline constexpr std::string_view kMsgNcWhatClose = "closing the file";

inline constexpr std::string_view kMsgNcNoVariables = "{}: the mask forms no climate variable to write";
inline constexpr std::string_view kMsgNcNoYears = "{}: no output years: the first is {}, the last {}";
inline constexpr std::string_view kMsgNcPointsGrid =
    "{}: a grid of points is written as stations, not as a grid";
inline constexpr std::string_view kMsgNcNoCells = "{}: a grid of {} by {} cells holds no cell";
inline constexpr std::string_view kMsgNcGridShape =
    "{}: the coordinates of the grid do not match its {} rows and {} columns";
inline constexpr std::string_view kMsgNcCellOnStations = "{}: a grid cell put on a file of stations";
inline constexpr std::string_view kMsgNcStationOnGrid = "{}: a station put on a file of a grid";
inline constexpr std::string_view kMsgNcCellOutside = "{}: cell {} lies outside the grid of {} cells";
inline constexpr std::string_view kMsgNcCellOrder =
    "{}: cell {} comes after cell {}: cells are written in the order of rows and columns";
inline constexpr std::string_view kMsgNcTooManyStations = "{}: station {} is beyond the {} stations planned";
inline constexpr std::string_view kMsgNcVariableCount =
    "{}: a station of {} climate variables, where the file has {}";
inline constexpr std::string_view kMsgNcYearsOutside =
    "{}: output years {} to {} of a station lie outside the years {} to {} of the file";

// nc_fields.h: files of one value per cell or station
inline constexpr std::string_view kMsgNcNoFields = "{}: no field to write";
inline constexpr std::string_view kMsgNcFieldName =
    "{}: field {} is no CF name (a letter, then letters, digits or underscores, at most 256)";
inline constexpr std::string_view kMsgNcFieldTaken =
    "{}: field {} has the name of another field or of a coordinate of the file";
inline constexpr std::string_view kMsgNcFieldsTooLarge =
    "{}: {} fields of {} cells would take {} bytes in memory, more than the {} a file of fields may take";
inline constexpr std::string_view kMsgNcFieldsTooManyStations =
    "{}: station {} would take the fields beyond the {} bytes a file of fields may take in memory";
inline constexpr std::string_view kMsgNcFieldsNotPlanned = "{}: no fields were planned for the file";

}  // namespace versel
