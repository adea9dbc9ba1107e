// Short names of climate variables, and the checks of a mask given as text.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "mask/mask_check.h"
#include "mask/variable_names.h"

namespace versel {
namespace {

std::vector<std::string> names_of(std::string_view text) {
  std::vector<std::string> names;
  for (const ClimateVariable& v : climate_variables(mask_from_text(text))) names.push_back(v.name);
  return names;
}

std::string repeat(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

using Names = std::vector<std::string>;

TEST(VariableNames, FollowTheMonthsTheirKindAndTheYearOfTheClosingMonth) {
  struct Case {
    std::string mask;
    Names names;
  };
  const std::vector<Case> cases = {
      {"00000000000113", {"DJF_avg"}},  // consecutive across the year boundary
      {"00001113111311131113", {"MJJA-1_avg", "SOND-1_avg", "JFMA_avg", "MJJA_avg"}},
      {"00001112111211121112", {"MJJA-1_sum", "SOND-1_sum", "JFMA_sum", "MJJA_sum"}},
      {repeat('1', 12),
       {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}},
      {repeat('0', 16) + "1111", {"May+1", "Jun+1", "Jul+1", "Aug+1"}},
      // one-month seasons keep their three-letter name and their ending
      {"00003333111311133333",
       {"May-1_avg", "Jun-1_avg", "Jul-1_avg", "Aug-1_avg", "SOND-1_avg", "JFMA_avg", "May_avg",
        "Jun_avg", "Jul_avg", "Aug_avg"}},
      {"00001122002002001112", {"MJJ-1_sum", "Aug-1_sum", "Nov-1_sum", "Feb_sum", "MJJA_sum"}},
      // a 0 inside a season: the months it keeps, by name
      {"000011013", {"May+Jun+Aug+Sep_avg"}},
      {"0000000000102", {"Nov+Jan_sum"}},
      // lags of two years, and a lead of four
      {"0000111100000000000000000", {"May-2", "Jun-2", "Jul-2", "Aug-2"}},
      {repeat('0', 48) + "0000011300", {"JJA+4_avg"}},
      // a season over more than a year
      {repeat('1', 17) + "3", {"JFMAMJJASONDJFMAMJ_avg"}},
  };
  for (const Case& c : cases) EXPECT_EQ(names_of(c.mask), c.names) << c.mask;
}

// Valid masks of every shape: no two variables of one mask share a name, and
// the variables are the ones the reduction counts.
TEST(VariableNames, DifferWithinEveryMask) {
  std::mt19937 random(12);
  for (int trial = 0; trial < 3000; ++trial) {
    int length = 1 + static_cast<int>(random() % 60);
    std::string mask;
    for (int p = 0; p < length; ++p) mask += "00112233"[random() % (trial % 2 ? 8 : 4)];
    if (check_mask_text(mask).fault != MaskFault::none) continue;
    Names names = names_of(mask);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << mask;
    EXPECT_EQ(static_cast<int>(names.size()), analyse_mask(mask_from_text(mask)).NCV) << mask;
  }
}

TEST(MaskCheck, RefusesWhatIsAlmostSurelyATypo) {
  struct Case {
    std::string mask;
    MaskFault fault;
    int position = 0, closing = 0, count = 0;
  };
  const std::vector<Case> cases = {
      {"00001113111311131113", MaskFault::none},
      {repeat('1', 24), MaskFault::none},
      {repeat('1', 59) + "3", MaskFault::none},
      {"0000110", MaskFault::none},  // zeros after the last month only pad
      {repeat('0', 60) + "1", MaskFault::too_long, 0, 0, 61},
      {"jja", MaskFault::bad_character, 1},
      {"0000111311131113111x", MaskFault::bad_character, 20},
      {"0000 111", MaskFault::bad_character, 5},
      {"00004", MaskFault::bad_character, 5},
      {"", MaskFault::no_month},
      {"000000", MaskFault::no_month},
      {"000011130001", MaskFault::stray_ones, 12, 8},
      {"1121", MaskFault::stray_ones, 4, 3},
      {repeat('1', 25), MaskFault::too_many_variables, 0, 0, 25},
      {repeat('2', 25), MaskFault::too_many_variables, 0, 0, 25},
  };
  for (const Case& c : cases) {
    MaskCheck check = check_mask_text(c.mask);
    EXPECT_EQ(check.fault, c.fault) << c.mask;
    EXPECT_EQ(check.position, c.position) << c.mask;
    EXPECT_EQ(check.closing, c.closing) << c.mask;
    EXPECT_EQ(check.count, c.count) << c.mask;
  }
}

}  // namespace
}  // namespace versel
