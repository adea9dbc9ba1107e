// --explain: the text of one mask as a whole, then, for the masks of the
// mask help pages and more, each variable line read back and checked against
// what the reduction computes for a station.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <regex>
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

// "Dec of Y-1, Jan Feb of Y" -> (11,-1) (0,0) (1,0)
std::vector<std::pair<int, int>> months_of(const std::string& text) {
  std::vector<std::pair<int, int>> months;
  std::regex group(R"(((?:[A-Z][a-z]{2} )+)of Y([+-]\d)?(, |$))");
  for (std::sregex_iterator it(text.begin(), text.end(), group), end; it != end; ++it) {
    int offset = (*it)[2].matched ? std::stoi((*it)[2]) : 0;
    std::istringstream names((*it)[1]);
    for (std::string name; names >> name;) months.emplace_back(month_number(name), offset);
  }
  return months;
}

std::vector<Stated> read_variables(const std::string& explanation) {
  std::vector<Stated> stated;
  std::regex line(R"(^ +\d+  (\S+) +(single month|sum of (\d+) months?|average of (\d+) months?): (.*)$)");
  std::istringstream lines(explanation);
  for (std::string text; std::getline(lines, text);) {
    std::smatch m;
    if (!std::regex_match(text, m, line)) continue;
    VariableKind kind = m[3].matched ? VariableKind::sum
                        : m[4].matched ? VariableKind::average
                                       : VariableKind::single;
    Stated s{m[1], kind, months_of(m[5])};
    std::size_t count = m[3].matched ? std::stoul(m[3]) : m[4].matched ? std::stoul(m[4]) : 1;
    EXPECT_EQ(s.months.size(), count) << text;
    stated.push_back(std::move(s));
  }
  return stated;
}

// "gets Y1+a to Y2-b": a and b.
std::pair<int, int> read_years(const std::string& explanation) {
  std::smatch m;
  EXPECT_TRUE(std::regex_search(explanation, m, std::regex(R"(gets Y1(\+\d)? to Y2(-\d)?[,;])")));
  return {m[1].matched ? std::stoi(m[1]) : 0, m[2].matched ? std::stoi(m[2]) : 0};
}

constexpr std::int32_t kFirstYear = 1950;
constexpr int kYearLines = 8;  // 1950 to 1957
constexpr float kFlag = -99.0f;

float month_value(const MonthlyValues& months, int year, int month) {
  int line = year - kFirstYear;
  EXPECT_TRUE(line >= 0 && line < kYearLines) << year;
  return months[static_cast<std::size_t>(12 * line + month)];
}

// The value of a stated variable for year label `label`, from the months.
float stated_value(const Stated& s, const MonthlyValues& months, int label) {
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
                      const MonthlyValues& months) {
  const Mask mask = mask_from_text(mask_text);
  const MaskShape shape = analyse_mask(mask);
  OutputYears years = output_years(kYearLines, kFirstYear, shape);
  auto st = std::make_unique<Station>();
  form_variables(months, years.NYC, mask, shape, kFlag, *st);
  ASSERT_GT(years.NYC, 0) << mask_text;
  ASSERT_EQ(st->NCV, static_cast<int>(stated.size())) << mask_text;
  for (int i = 0; i < years.NYC; ++i)
    for (std::size_t v = 0; v < stated.size(); ++v)
      EXPECT_EQ(st->Y[static_cast<std::size_t>(i)][v], stated_value(stated[v], months, years.IFC + i))
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
  auto months = std::make_unique<MonthlyValues>();
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
    MonthlyValues with_gap = *months;
    auto [month, offset] = stated.back().months.front();
    int label = years.IFC + years.NYC / 2;
    with_gap[static_cast<std::size_t>(12 * (label + offset - kFirstYear) + month)] = kFlag;
    expect_as_stated(mask_text, stated, with_gap);
  }
}

}  // namespace
}  // namespace versel
