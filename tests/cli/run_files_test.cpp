// The summary line of a FILE's run. (That the command line's settings are
// the dialogue's is shown end to end by tests/scenarios/both_modes_test.cpp.)
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/run_files.h"

namespace versel {
namespace {

// The totals of a run of `stations` stations whose output years run from
// `first` to `last` (none when not `labelled`), and how many of them have
// no coordinates when that is shown.
RunTotals totals(std::int32_t stations, bool labelled, std::int32_t first, std::int32_t last,
                 std::optional<std::int64_t> without = std::nullopt, std::string missing = {}) {
  RunTotals t;
  t.stations = stations;
  t.labelled = labelled;
  t.first_label = first;
  t.last_label = last;
  t.without_coordinates = without;
  t.taken_as_missing = std::move(missing);
  return t;
}

TEST(Summary, CountsStationsYearsVariablesAndNamesTheFiles) {
  const FileOutputs tsf{"data/t_sea", ""};
  const FileOutputs mat{"t_sea", "t_key"};
  const FileOutputs standard{std::string(kStandardOutput), ""};
  struct Case {
    RunTotals totals;
    int variables;
    FileOutputs outputs;
    const char* text;
  };
  const std::vector<Case> cases = {
      {totals(4, true, 1932, 1999), 4, mat,
       "4 stations, years 1932 to 1999, 4 climate variables; wrote t_sea and t_key"},
      {totals(1, true, 1950, 1950), 1, tsf, "1 station, year 1950, 1 climate variable; wrote data/t_sea"},
      {totals(3, false, 0, 0), 2, tsf, "3 stations, no output year, 2 climate variables; wrote data/t_sea"},
      {totals(0, false, 0, 0), 24, standard,
       "no station, no output year, 24 climate variables; wrote standard output"},
      {totals(2, true, -5, 12), 1, tsf, "2 stations, years -5 to 12, 1 climate variable; wrote data/t_sea"},
      // a layout's stations: how many have no coordinates, when they are looked up or written
      {totals(3, true, 1991, 2000, 1), 1, mat,
       "3 stations, 1 without coordinates, years 1991 to 2000, 1 climate variable; wrote t_sea "
       "and t_key"},
      {totals(1, true, 1991, 1991, 0), 1, tsf,
       "1 station, 0 without coordinates, year 1991, 1 climate variable; wrote data/t_sea"},
      // months that the nines sentinels of a layout marked missing
      {totals(1, true, 2016, 2017, std::nullopt, "2 months of -99.9 and 1 of -9999"), 1, tsf,
       "1 station, years 2016 to 2017, 1 climate variable; wrote data/t_sea; 2 months of -99.9 "
       "and 1 of -9999 taken as missing"},
  };
  for (const Case& c : cases) EXPECT_EQ(summary_text(c.totals, c.variables, c.outputs), c.text);
}

}  // namespace
}  // namespace versel
