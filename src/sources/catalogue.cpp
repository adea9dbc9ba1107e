// The twelve known data sets as one table, the choice of user-defined
// format as the thirteenth menu line, and the first-line reads of choices 5
// and 6.
#include "sources/catalogue.h"

#include <array>
#include <span>

#include "records/io.h"

namespace versel {
namespace {

// The menu shows "(i4,12f5.1)" for choice 7 and "f*" for choices 8 to 10;
// the formats used are those of the second column.
constexpr std::array<DataSet, 12> kKnown{{
    {" (1x,i4,12f5.2)  - ukmo sst                                [1]",
     "(1x,i4,12f5.2)", -9.99f, "(13x,i3,2x,i3,8x,i4,2x,i4)", "", FirstLine::kept,
     {TsfHeader::box_42, 2, true}},
    {" (1x,i4,12f6.1)  - trenberth slp                           [2]",
     "(1x,i4,12f6.1)", 0.0f, "(13x,i3,2x,i3,8x,i4,2x,i4)", "", FirstLine::kept,
     {TsfHeader::box_43, 2, true}},
    {" (i4,12f7.3)     - kaplan sst  anomaly                     [3]",
     "(i4,12f7.3)", 163.835f, "(2x,2f6.1)", "(1x,i4,12f8.3)", FirstLine::kept,
     {TsfHeader::first_41, 3, false}},
    {" (i4,12f7.3)     - kaplan slp  anomaly                     [4]",
     "(i4,12f7.3)", 163.835f, "(2x,2f6.1)", "(1x,i4,12f8.3)", FirstLine::kept,
     {TsfHeader::first_41, 3, false}},
    {" (-variable-)    - uea/cru global 0.5 degree               [5]",
     "", -99.99f, "(2x,2f7.1)", "", FirstLine::holds_format,
     {TsfHeader::first_40, 2, false}},
    {" (i4,12f5.1)     - ghcn.v2 temperature (all variables)     [6]",
     "(i4,12f5.1)", -999.9f, "(f6.2,f7.2)", "", FirstLine::skipped,
     {TsfHeader::split, 2, false}},
    {" (i4,12f5.1)     - ghcn.v1 temperature                     [7]",
     "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "", FirstLine::kept, {}},
    {" (1x,i4,12f*)    - ghcn.v1 precipitation                   [8]",
     "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "", FirstLine::kept, {}},
    {" (1x,i4,12f*)    - ghcn.v1 sta.pressure                    [9]",
     "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "", FirstLine::kept, {}},
    {" (1x,i4,12f*)    - ghcn.v1 sl. pressure                   [10]",
     "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "", FirstLine::kept, {}},
    {" (1x,i4,12f6.3)  - nadp precip. chemistry                 [11]",
     "(1x,i4,12f6.3)", 9.99f, "(13x,f3.1,13x,f4.1)", "", FirstLine::kept, {}},
    {" (1x,i4,12f11.4) - ncar.pdsi                              [12]",
     "(1x,i4,12f11.4)", -9999.0f, "(2x,2f7.1)", "", FirstLine::kept, {}},
}};

// The typed format's and the layouts': headers written whole, two decimals.
constexpr DataSetTraits kPlainTraits{};

constexpr std::string_view kUserDefinedLine =
    "                 - user defined format                    [13]";

// The data file's first line; an empty file ends the run on the failure path.
FixedText<kFirstLineLength> read_first_line() {
  FixedText<kFirstLineLength> line;
  read(file_unit(kDataUnit), "(a)", {to(line)});
  return line;
}

}  // namespace

std::span<const DataSet> known_data_sets() { return kKnown; }

std::string_view user_defined_menu_line() { return kUserDefinedLine; }

const DataSet* known_data_set(std::int32_t choice) {
  if (choice < 1 || choice > static_cast<std::int32_t>(kKnown.size())) return nullptr;
  return &kKnown[static_cast<std::size_t>(choice - 1)];
}

const DataSetTraits& data_set_traits(std::int32_t choice) {
  const DataSet* row = known_data_set(choice);
  return row ? row->traits : kPlainTraits;
}

void apply_data_set(const DataSet& row, RunSettings& s) {
  assign(s.FRM, row.frm);
  s.FLAG = row.flag;
  assign(s.FRM3, row.frm3);
  if (!row.frmout.empty()) assign(s.FRMOUT, row.frmout);
}

void take_data_set(const DataSet& row, RunSettings& s) {
  switch (row.first_line) {
    case FirstLine::holds_format: {
      FixedText<kFirstLineLength> line = read_first_line();
      apply_data_set(row, s);
      read(internal(view(line)), "(40x,a14)", {to(std::span<char>(s.FRM.data(), 14))});
      backspace(kDataUnit);
      break;
    }
    case FirstLine::skipped:
      read_first_line();
      apply_data_set(row, s);
      break;
    case FirstLine::kept:
      apply_data_set(row, s);
      break;
  }
}

FormatAnswer format_answer(std::string_view answer) {
  if (answer.empty()) return FormatAnswer::format;
  if (answer[0] == '/') return FormatAnswer::quit;
  if (answer[0] == 'h') return FormatAnswer::view_file;
  return FormatAnswer::format;
}

}  // namespace versel
