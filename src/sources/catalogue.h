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

// How tsf writes a station's header line (the header filled with blanks to
// 100 characters, H, columns from 1), before the format of the year lines:
enum class TsfHeader : std::uint8_t {
  whole,     // the whole line
  box_42,    // H(2..43) as 42 single characters, a blank (the box headers of ukmo sst)
  box_43,    // H(2..44): 42 single characters, then the 43rd (trenberth slp)
  first_41,  // H(1..41)
  first_40,  // H(1..40)
  split,     // H(1..20), then H(33..63)
};

// What a data set's files are like beyond their formats.
struct DataSetTraits {
  TsfHeader tsf_header = TsfHeader::whole;
  int decimals = 2;         // of every value field of the outputs (not the _key file)
  bool box_header = false;  // the header format reads a box of four integers,
                            // latitude from-to and longitude from-to: its centre is used
};

struct DataSet {
  std::string_view menu_line;
  std::string_view frm;     // empty when taken from the first line
  float flag;
  std::string_view frm3;
  std::string_view frmout;  // empty: the year lines keep two decimals
  FirstLine first_line;
  DataSetTraits traits;
};

// The rows of choices 1 to 12, choice 1 first.
std::span<const DataSet> known_data_sets();

// The menu line of choice 13.
std::string_view user_defined_menu_line();

// The row of a choice 1 to 12; nullptr for any other number.
const DataSet* known_data_set(std::int32_t choice);

// The traits of the data set of a choice: its row's, or the plain ones of
// the typed format (13) and of a layout of downloaded files.
const DataSetTraits& data_set_traits(std::int32_t choice);

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
