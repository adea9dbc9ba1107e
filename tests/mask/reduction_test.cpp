// The mask's derived quantities and the reduction of monthly values to
// climate variables, on the worked examples of the mask help.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mask/askmon.h"
#include "mask/reduction.h"

namespace versel {
namespace {

Mask mask_of(std::string_view text) {
  Mask m;
  m.fill(' ');
  for (std::size_t i = 0; i < text.size() && i < m.size(); ++i) m[i] = text[i];
  return m;
}

std::string ones(int n) { return std::string(static_cast<std::size_t>(n), '1'); }
std::string zeros(int n) { return std::string(static_cast<std::size_t>(n), '0'); }

TEST(MaskShape, LengthsSpansAndOrientation) {
  struct Case {
    std::string mask;
    int NCM, INM, IFM, extra;
    bool seas, lead;
    int NCV;
  };
  const std::vector<Case> cases = {
      {ones(12), 12, 12, 1, 0, false, false, 12},
      {zeros(12) + "1", 13, 1, 13, 1, false, true, 1},
      {ones(24), 24, 24, 1, 1, false, false, 24},
      {zeros(24) + "1", 25, 1, 25, 2, false, true, 1},
      {ones(59) + "2", 60, 60, 1, 4, true, false, 1},
      {"00001111111111111111", 20, 16, 5, 1, false, false, 16},
      {"00001112111211121112", 20, 16, 5, 1, true, false, 4},
      {"00001113111311131113", 20, 16, 5, 1, true, false, 4},
      {"00003333111311133333", 20, 16, 5, 1, true, false, 10},
      {"00001111000000001111", 20, 8, 5, 1, false, false, 8},
      {"00001122002002001112", 20, 10, 5, 1, true, false, 5},
      {"0000111100000000", 16, 4, 5, 1, false, false, 4},
      {"0000111100000000000000000", 25, 4, 5, 2, false, false, 4},
      {"0001 111", 4, 1, 4, 0, false, false, 1},
      {" 1111", 0, 0, 0, 0, false, false, 0},
      {"0000001", 7, 1, 7, 0, false, false, 1},
      {"11121", 5, 5, 1, 0, true, false, 1},  // a trailing 1 closes nothing
  };
  for (const Case& c : cases) {
    MaskShape m = analyse_mask(mask_of(c.mask));
    EXPECT_EQ(m.NCM, c.NCM) << c.mask;
    EXPECT_EQ(m.INM, c.INM) << c.mask;
    EXPECT_EQ(m.IFM, c.IFM) << c.mask;
    EXPECT_EQ(m.extra, c.extra) << c.mask;
    EXPECT_EQ(m.SEAS, c.seas) << c.mask;
    EXPECT_EQ(m.lead, c.lead) << c.mask;
    EXPECT_EQ(m.NCV, c.NCV) << c.mask;
  }
}

TEST(MaskEntry, JudgesTypedMasks) {
  EXPECT_EQ(judge_mask(mask_of("/1111")), MaskAnswer::stop);
  EXPECT_EQ(judge_mask(mask_of("1/")), MaskAnswer::accepted);
  EXPECT_EQ(judge_mask(mask_of("")), MaskAnswer::no_months);
  EXPECT_EQ(judge_mask(mask_of(" 1111")), MaskAnswer::no_months);
  EXPECT_EQ(judge_mask(mask_of("000000")), MaskAnswer::no_months);
  EXPECT_EQ(judge_mask(mask_of("h")), MaskAnswer::help);
  EXPECT_EQ(judge_mask(mask_of("help me")), MaskAnswer::help);
  EXPECT_EQ(judge_mask(mask_of("H")), MaskAnswer::accepted);
  EXPECT_EQ(judge_mask(mask_of(ones(24))), MaskAnswer::accepted);
  EXPECT_EQ(judge_mask(mask_of(ones(25))), MaskAnswer::too_many);
  EXPECT_EQ(judge_mask(mask_of(ones(60))), MaskAnswer::too_many);
  // 60 months in seasons are few variables
  EXPECT_EQ(judge_mask(mask_of(std::string(20, '1') + "2" + std::string(38, '1') + "3")),
            MaskAnswer::accepted);
}

// Three years 1990-1992 where month m of year 1990+k holds m + 10k.
struct Reduced {
  OutputYears years;
  Station st;
};

Reduced reduce(std::string_view mask_text, float flag = -99.0f, int year_lines = 3,
               const std::vector<std::pair<int, float>>& changes = {}, int min_months = 0) {
  std::vector<float> months(static_cast<std::size_t>(12 * year_lines));
  for (int k = 0; k < year_lines; ++k)
    for (int m = 1; m <= 12; ++m) months[static_cast<std::size_t>(12 * k + m - 1)] = static_cast<float>(m + 10 * k);
  for (auto [index, value] : changes) months[static_cast<std::size_t>(index)] = value;
  Mask mask = mask_of(mask_text);
  MaskShape shape = analyse_mask(mask);
  Reduced r{output_years(year_lines, 1990, shape), {}};
  form_variables(months, r.years.NYC, mask, shape, flag, r.st, min_months);
  return r;
}

std::vector<float> row(const Reduced& r, int year) {
  const float* y = r.st.year(year);
  return std::vector<float>(y, y + r.st.NCV);
}

using V = std::vector<float>;

TEST(Reduction, WorkedExampleSumsAveragesLagsAndLeads) {
  Reduced sums = reduce("00001112111211121112");
  EXPECT_EQ(sums.years.NYC, 2);
  EXPECT_EQ(sums.years.IFC, 1991);
  EXPECT_EQ(row(sums, 0), (V{26, 42, 50, 66}));
  EXPECT_EQ(row(sums, 1), (V{66, 82, 90, 106}));

  Reduced averages = reduce("00001113111311131113");
  EXPECT_EQ(row(averages, 0), (V{6.5f, 10.5f, 12.5f, 16.5f}));
  EXPECT_EQ(row(averages, 1), (V{16.5f, 20.5f, 22.5f, 26.5f}));

  Reduced lag = reduce("0000111100000000");
  EXPECT_EQ(lag.years.IFC, 1991);
  EXPECT_EQ(lag.years.NYC, 2);
  EXPECT_EQ(row(lag, 0), (V{5, 6, 7, 8}));
  EXPECT_EQ(row(lag, 1), (V{15, 16, 17, 18}));

  Reduced twelve = reduce(ones(12));
  EXPECT_EQ(twelve.years.IFC, 1990);
  EXPECT_EQ(twelve.years.NYC, 3);
  EXPECT_EQ(row(twelve, 2), (V{21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}));

  Reduced lead = reduce(zeros(16) + "1111");
  EXPECT_EQ(lead.years.IFC, 1990);
  EXPECT_EQ(lead.years.NYC, 2);
  EXPECT_EQ(row(lead, 0), (V{15, 16, 17, 18}));
  EXPECT_EQ(row(lead, 1), (V{25, 26, 27, 28}));
}

TEST(Reduction, MissingMonthsMakeTheirSeasonMissing) {
  // August 1991 missing: the season May-August 1991 is missing in both
  // output years that hold it, the others are untouched.
  Reduced r = reduce("00001112111211121112", -99.0f, 3, {{12 + 7, -99.0f}});
  EXPECT_EQ(row(r, 0), (V{26, 42, 50, -99}));
  EXPECT_EQ(row(r, 1), (V{-99, 82, 90, 106}));

  // A missing month inside a season, not closing it: the season is missing
  // for sums and averages alike.
  Reduced sum = reduce("1112", -99.0f, 1, {{1, -99.0f}});
  EXPECT_EQ(row(sum, 0), (V{-99}));
  Reduced avg = reduce("1113", -99.0f, 1, {{0, -99.0f}});
  EXPECT_EQ(row(avg, 0), (V{-99}));
  // The next season starts afresh.
  Reduced next = reduce("1213", -99.0f, 1, {{0, -99.0f}});
  EXPECT_EQ(row(next, 0), (V{-99, 3.5f}));

  // Single months: only the missing month's variable is missing.
  Reduced singles = reduce(ones(12), -99.0f, 1, {{3, -99.0f}});
  EXPECT_EQ(row(singles, 0), (V{1, 2, 3, -99, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(Reduction, OddCharactersAndShortStations) {
  // A character such as 5 closes the season without its own month.
  EXPECT_EQ(row(reduce("11152"), 0), (V{6, 5}));
  // Averages divide by the selected months of the season, gaps excluded.
  EXPECT_EQ(row(reduce("10103"), 0), (V{3}));
  // A station exactly as long as the mask's span has one output year, one
  // year line fewer has none (the lag still moves the label).
  Reduced exact = reduce(ones(24), -99.0f, 2);
  EXPECT_EQ(exact.years.NYC, 1);
  Reduced short_station = reduce(ones(24), -99.0f, 1);
  EXPECT_EQ(short_station.years.NYC, 0);
  EXPECT_EQ(short_station.years.IFC, 1991);
  EXPECT_EQ(reduce(ones(60), -99.0f, 3).years.NYC, -1);
}

// An average over the months that are there: with at least `min_months`
// valid months an average season is their mean, else missing; sums and
// single months need every month whatever min_months says. Month m of year
// 1990+k holds m + 10k; the expected values are worked out by hand.
TEST(Reduction, AveragesOverTheMonthsThatAreThere) {
  const float F = -99.0f;
  // DJF averaged across the year boundary: Dec 1990 (12), Jan 1991 (11),
  // Feb 1991 (12); label 1991. Jan 1991 missing: the mean of 12 and 12.
  std::string djf = "00000000000113";
  std::vector<std::pair<int, float>> jan91 = {{12, F}};
  EXPECT_EQ(row(reduce(djf, F, 3, jan91, 0), 0), (V{F})) << "all months needed by default";
  EXPECT_EQ(row(reduce(djf, F, 3, jan91, 3), 0), (V{F}));
  EXPECT_EQ(row(reduce(djf, F, 3, jan91, 2), 0), (V{12}));
  EXPECT_EQ(row(reduce(djf, F, 3, jan91, 1), 0), (V{12}));
  // the closing month missing counts like any other
  EXPECT_EQ(row(reduce(djf, F, 3, {{13, F}}, 2), 0), (V{11.5f}));
  // two of three missing: one valid month is enough only for N = 1
  std::vector<std::pair<int, float>> two = {{11, F}, {13, F}};
  EXPECT_EQ(row(reduce(djf, F, 3, two, 2), 0), (V{F}));
  EXPECT_EQ(row(reduce(djf, F, 3, two, 1), 0), (V{11}));
  // every month missing: missing, whatever N
  std::vector<std::pair<int, float>> all = {{11, F}, {12, F}, {13, F}};
  EXPECT_EQ(row(reduce(djf, F, 3, all, 1), 0), (V{F}));
  // N above the season's month count means all of its months
  EXPECT_EQ(row(reduce(djf, F, 3, jan91, 12), 0), (V{F}));
  EXPECT_EQ(row(reduce(djf, F, 3, {}, 12), 0), (V{35.0f / 3.0f}));
  // a month set to 0 inside the season is no month of it: Jan-Mar with Feb
  // skipped averages Jan and Mar; Jan missing leaves Mar
  EXPECT_EQ(row(reduce("103", F, 1, {{0, F}}, 1), 0), (V{3}));
  // sums and single months are unchanged by N
  EXPECT_EQ(row(reduce("0000112", F, 1, {{4, F}}, 1), 0), (V{F}));
  EXPECT_EQ(row(reduce("111", F, 1, {{1, F}}, 1), 0), (V{1, F, 3}));
  // the next season starts afresh: May-Aug average with May missing, then
  // Sep-Dec complete
  EXPECT_EQ(row(reduce("000011131113", F, 1, {{4, F}}, 3), 0), (V{7, 10.5f}));
}

}  // namespace
}  // namespace versel
