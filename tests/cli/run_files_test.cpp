// The summary line of a FILE's run, and the settings the command line makes
// for a data set of the catalogue and for a format of one's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/run_files.h"
#include "dialogue/catalogue.h"

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
      {{4, true, 1932, 1999}, 4, mat,
       "4 stations, years 1932 to 1999, 4 climate variables; wrote t_sea and t_key"},
      {{1, true, 1950, 1950}, 1, tsf, "1 station, year 1950, 1 climate variable; wrote data/t_sea"},
      {{3, false, 0, 0}, 2, tsf, "3 stations, no output year, 2 climate variables; wrote data/t_sea"},
      {{0, false, 0, 0}, 24, standard,
       "no station, no output year, 24 climate variables; wrote standard output"},
      {{2, true, -5, 12}, 1, tsf, "2 stations, years -5 to 12, 1 climate variable; wrote data/t_sea"},
  };
  for (const Case& c : cases) EXPECT_EQ(summary_text(c.totals, c.variables, c.outputs), c.text);
}

TEST(Settings, AreThoseTheDialogueMakesForTheSameAnswers) {
  const char* typed[] = {"-k", "grd", "-f", "(i5,12f6.2)", "--flag", "-99.99", "--header-format",
                         "(8x,2f8.2)", "-m", "000001130000", "a.dat"};
  RunSettings s = settings_of(parse_command_line(typed));
  EXPECT_EQ(s.FMTCTRL, kGrd);
  EXPECT_EQ(s.IFMT, kUserDefined);
  EXPECT_EQ(trimmed(s.FRM), "(i5,12f6.2)");
  EXPECT_EQ(s.FLAG, -99.99f);
  EXPECT_EQ(trimmed(s.FRM3), "(8x,2f8.2)");
  EXPECT_EQ(trimmed(s.FRMOUT), "(1x,i4,12f8.2)");
  EXPECT_EQ(trimmed(s.MASK), "000001130000");
  EXPECT_EQ(view(s.MASK).size(), 60u);

  // a known data set: its row comes with the data file (choices 5 and 6 read it)
  const char* known[] = {"-k", "tsf", "-d", "3", "-m", "1", "a.dat"};
  s = settings_of(parse_command_line(known));
  EXPECT_EQ(s.IFMT, 3);
  EXPECT_EQ(trimmed(s.FRM), "");
  take_data_set(*known_data_set(3), s);
  EXPECT_EQ(trimmed(s.FRM), "(i4,12f7.3)");
  EXPECT_EQ(trimmed(s.FRMOUT), "(1x,i4,12f8.3)");
  EXPECT_EQ(s.FLAG, 163.835f);
}

}  // namespace
}  // namespace versel
