// --explain: the text of one mask as a whole, then, for the masks of the
// mask help pages and more, each variable line read back and checked against
// what the reduction computes for a station.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/explain.h"
#include "mask/mask_check.h"
#include "mask/reduction.h"
#include "mask/variable_names.h"

namespace versel {
namespace {

TEST(Explain, SaysTheWindowTheVariablesTheMissingRuleAndTheYears) {
  EXPECT_EQ(explain_mask("00000000000113"),
            "mask            jfmamjjasondjf\n"
            "                00000000000113\n"
            "window          2 calendar years, Y-1 to Y, labelled by the last (lag mask)\n"
            "variables       1, each a value per output year Y\n"
            "  1  DJF_avg  average of 3 months: Dec of Y-1, Jan Feb of Y\n"
            "missing months  an average needs all of its months\n"
            "output years    a station of the years Y1 to Y2 gets Y1+1 to Y2,\n"
            "                none when it spans fewer than 2 years;\n"
            "                a year missing between Y1 and Y2 holds missing months\n");
  // the rule of --min-months for the averages; sums and singles keep theirs
  std::string two = explain_mask("111200000003", 2);
  EXPECT_NE(two.find("missing months  a sum is missing when any of its months is\n"
                     "                an average is the mean of the months there when at least 2 "
                     "are\n"
                     "                (all of them in a season of fewer months), else it is "
                     "missing\n"),
            std::string::npos)
      << two;
  std::string lead = explain_mask("0000000000000000000000000001112");
  EXPECT_NE(lead.find("window          3 calendar years, Y to Y+2, labelled by the first (lead "
                      "mask)\n"),
            std::string::npos);
  EXPECT_NE(lead.find("  1  AMJJ+2_sum  sum of 4 months: Apr May Jun Jul of Y+2\n"), std::string::npos);
  EXPECT_NE(lead.find("a sum is missing when any of its months is\n"), std::string::npos);
  EXPECT_NE(lead.find("gets Y1 to Y2-2,\n"), std::string::npos);
  std::string year = explain_mask("000001110000");
  EXPECT_NE(year.find("window          1 calendar year, Y\n"), std::string::npos);
  EXPECT_NE(year.find("a single month is missing when its month is\n"), std::string::npos);
  EXPECT_NE(year.find("gets Y1 to Y2;\n"), std::string::npos);
}

// A variable as its line in the explanation states it.
struct Stated {
  std::string name;
  VariableKind kind;
  std::vector<std::pair<int, int>> months;  // month 0-11, year offset
};

int month_number(const std::string& name) {
  for (int m = 0; m < 12; ++m)
    if (month_name(m) == name) return m;
  ADD_FAILURE() << "no month " << name;
  return 0;
}

// "Y", "Y+1", "Y-2" -> 0, 1, -2
int offset_of(const std::string& year) { return year.size() > 1 ? std::stoi(year.substr(1)) : 0; }

// "Dec of Y-1, Jan Feb of Y" -> (11,-1) (0,0) (1,0)
std::vector<std::pair<int, int>> months_of(const std::string& text) {
  std::vector<std::pair<int, int>> months;
  std::istringstream words(text);
  std::vector<int> group;  // months before their "of"
  for (std::string word; words >> word;) {
    if (word != "of") {
      group.push_back(month_number(word));
      continue;
    }
    words >> word;
    if (word.back() == ',') word.pop_back();
    for (int m : group) months.emplace_back(m, offset_of(word));
    group.clear();
  }
  EXPECT_TRUE(group.empty()) << text;
  return months;
}

// The variable lines: "  3  DJF_avg  average of 3 months: Dec of Y-1, Jan Feb of Y".
std::vector<Stated> read_variables(const std::string& explanation) {
  std::vector<Stated> stated;
  std::istringstream lines(explanation);
  for (std::string text; std::getline(lines, text);) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos || text[first] < '0' || text[first] > '9' ||
        text.find(':') == std::string::npos)
      continue;
    std::istringstream words(text.substr(0, text.find(':')));
    std::string number, name, kind, of;
    std::size_t count = 1;
    words >> number >> name >> kind;
    if (kind != "single") words >> of >> count;
    Stated s{name,
             kind == "sum" ? VariableKind::sum
             : kind == "average" ? VariableKind::average
                                 : VariableKind::single,
             months_of(text.substr(text.find(':') + 1))};
    EXPECT_TRUE(kind == "single" || kind == "sum" || kind == "average") << text;
    EXPECT_EQ(s.months.size(), count) << text;
    stated.push_back(std::move(s));
  }
  return stated;
}

// "gets Y1+a to Y2-b": a and b.
std::pair<int, int> read_years(const std::string& explanation) {
  std::size_t at = explanation.find("gets ");
  EXPECT_NE(at, std::string::npos);
  std::istringstream words(explanation.substr(at + 5));
  std::string from, to_word, to;
  words >> from >> to_word >> to;
  to.pop_back();  // "," or ";"
  EXPECT_EQ(to_word, "to");
  return {from.size() > 2 ? std::stoi(from.substr(2)) : 0, to.size() > 2 ? std::stoi(to.substr(2)) : 0};
}

constexpr std::int32_t kFirstYear = 1950;
constexpr int kYearLines = 8;  // 1950 to 1957
constexpr float kFlag = -99.0f;

float month_value(const std::vector<float>& months, int year, int month) {
  int line = year - kFirstYear;
  EXPECT_TRUE(line >= 0 && line < kYearLines) << year;
  return months[static_cast<std::size_t>(12 * line + month)];
}

// The value of a stated variable for year label `label`, from the months.
float stated_value(const Stated& s, const std::vector<float>& months, int label) {
  float sum = 0.0f;
  for (auto [month, offset] : s.months) {
    float v = month_value(months, label + offset, month);
    if (v == kFlag) return kFlag;
    sum += v;
  }
  if (s.kind == VariableKind::average) return sum / static_cast<float>(s.months.size());
  return sum;
}

// The reduction's values and the stated ones agree for every output year.
void expect_as_stated(const std::string& mask_text, const std::vector<Stated>& stated,
                      const std::vector<float>& months) {
  const Mask mask = mask_from_text(mask_text);
  const MaskShape shape = analyse_mask(mask);
  OutputYears years = output_years(kYearLines, kFirstYear, shape);
  auto st = std::make_unique<Station>();
  form_variables(months, years.NYC, mask, shape, kFlag, *st);
  ASSERT_GT(years.NYC, 0) << mask_text;
  ASSERT_EQ(st->NCV, static_cast<int>(stated.size())) << mask_text;
  for (int i = 0; i < years.NYC; ++i)
    for (std::size_t v = 0; v < stated.size(); ++v)
      EXPECT_EQ(st->year(i)[v], stated_value(stated[v], months, years.IFC + i))
          << mask_text << " " << stated[v].name << " year " << years.IFC + i;
}

TEST(Explain, StatesWhatTheReductionComputes) {
  const std::vector<std::string> masks = {
      // the masks of the help pages
      "00001111111111111111", "00001112111211121112", "00001113111311131113",
      "00003333111311133333", "00001111000000001111", "00001122002002001112",
      "0000111100000000", "0000111100000000000000000",
      // across the year boundary, with gaps, leads, and a season of five years
      "00000000000113", "0000000000102", "000011013", "00000000000000001111",
      "0000000000000000000000000001112", std::string(59, '1') + "3",
      std::string(48, '0') + "000001130000", "111111111111"};
  std::mt19937 random(7);
  auto months = std::make_unique<std::vector<float>>(12 * kYearLines);
  for (int i = 0; i < 12 * kYearLines; ++i)
    (*months)[static_cast<std::size_t>(i)] = static_cast<float>(random() % 1000);

  for (const std::string& mask_text : masks) {
    ASSERT_EQ(check_mask_text(mask_text).fault, MaskFault::none) << mask_text;
    std::string explanation = explain_mask(mask_text);
    std::vector<Stated> stated = read_variables(explanation);
    std::vector<ClimateVariable> variables = climate_variables(mask_from_text(mask_text));
    ASSERT_EQ(stated.size(), variables.size()) << explanation;
    for (std::size_t v = 0; v < stated.size(); ++v) {
      EXPECT_EQ(stated[v].name, variables[v].name);
      EXPECT_EQ(stated[v].kind, variables[v].kind);
    }
    expect_as_stated(mask_text, stated, *months);

    // The output years of a station of the years 1950 to 1957.
    OutputYears years = output_years(kYearLines, kFirstYear, analyse_mask(mask_from_text(mask_text)));
    auto [from, to] = read_years(explanation);
    EXPECT_EQ(years.IFC, kFirstYear + from) << mask_text;
    EXPECT_EQ(years.IFC + years.NYC - 1, kFirstYear + kYearLines - 1 + to) << mask_text;

    // A missing month: every variable that holds it is missing, as stated.
    std::vector<float> with_gap = *months;
    auto [month, offset] = stated.back().months.front();
    int label = years.IFC + years.NYC / 2;
    with_gap[static_cast<std::size_t>(12 * (label + offset - kFirstYear) + month)] = kFlag;
    expect_as_stated(mask_text, stated, with_gap);
  }
}

}  // namespace
}  // namespace versel
