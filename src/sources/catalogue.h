// The catalogue of known data-set formats: each choice's menu line and the
// settings it makes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "run_settings.h"

namespace versel {

inline constexpr std::int32_t kUserDefined = 13;

// What a choice does with the first line of the data file.
enum class FirstLine : std::uint8_t {
  kept,         // nothing: the first station starts there
  holds_format, // the data format stands in its columns 41 to 54; the line
                // is stepped back over, so it is read again as a header
  skipped,      // read and passed over
};

struct DataSet {
  std::string_view menu_line;
  std::string_view frm;     // empty when taken from the first line
  float flag;
  std::string_view frm3;
  std::string_view frmout;  // empty: the year lines keep two decimals
  FirstLine first_line;
};

// The rows of choices 1 to 12, choice 1 first.
std::span<const DataSet> known_data_sets();

// The menu line of choice 13.
std::string_view user_defined_menu_line();

// The row of a choice 1 to 12; nullptr for any other number.
const DataSet* known_data_set(std::int32_t choice);

// Makes the settings of a row: FRM (left blank for a format taken from the
// first line), FLAG, FRM3 and, for three-decimal data sets, FRMOUT.
void apply_data_set(const DataSet& row, RunSettings& s);

// apply_data_set, and what the row does with the first line of the data file
// open on unit 14: choice 5 takes FRM from its columns 41 to 54 and steps
// back over it, choice 6 reads past it. FRM must be blank before. Both front
// ends take a known data set through here once the data file is open; an
// empty file takes the failure path.
void take_data_set(const DataSet& row, RunSettings& s);

// What an answer at a format prompt asks for, by its first character: "/"
// quits, a lower-case "h" opens the viewer, anything else is the format.
enum class FormatAnswer : std::uint8_t { quit, view_file, format };
FormatAnswer format_answer(std::string_view answer);

}  // namespace versel
