// The summary line of a FILE's run. (That the command line's settings are
// the dialogue's is shown end to end by tests/scenarios/both_modes_test.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/run_files.h"

namespace versel {
namespace {

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
      {{4, true, 1932, 1999, 1, 0, {}}, 4, mat,
       "4 stations, years 1932 to 1999, 4 climate variables; wrote t_sea and t_key"},
      {{1, true, 1950, 1950, 1, 0, {}}, 1, tsf, "1 station, year 1950, 1 climate variable; wrote data/t_sea"},
      {{3, false, 0, 0, 1, 0, {}}, 2, tsf, "3 stations, no output year, 2 climate variables; wrote data/t_sea"},
      {{0, false, 0, 0, 1, 0, {}}, 24, standard,
       "no station, no output year, 24 climate variables; wrote standard output"},
      {{2, true, -5, 12, 1, 0, {}}, 1, tsf, "2 stations, years -5 to 12, 1 climate variable; wrote data/t_sea"},
      // a layout's stations: how many have no coordinates, when they are looked up or written
      {{3, true, 1991, 2000, 2, 1, 1}, 1, mat,
       "3 stations, 1 without coordinates, years 1991 to 2000, 1 climate variable; wrote t_sea "
       "and t_key"},
      {{1, true, 1991, 1991, 1, 0, 0}, 1, tsf,
       "1 station, 0 without coordinates, year 1991, 1 climate variable; wrote data/t_sea"},
  };
  for (const Case& c : cases) EXPECT_EQ(summary_text(c.totals, c.variables, c.outputs), c.text);
}

}  // namespace
}  // namespace versel
