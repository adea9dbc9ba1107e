// The explanation of a climate mask: its window and year label, its
// variables, the rule for missing months and the output years of a station.
#include "cli/explain.h"

#include "collect/windows.h"
#include "mask/mask_check.h"
#include "records/message_text.h"
#include "mask/variable_names.h"

namespace versel {
namespace {

constexpr std::string_view kRuler =
    "jfmamjjasondjfmamjjasondjfmamjjasondjfmamjjasondjfmamjjasond";
constexpr std::string_view kIndent = "                ";  // under a heading's text

constexpr std::string_view kMask = "mask            ";
constexpr std::string_view kWindow = "window          ";
constexpr std::string_view kVariables = "variables       ";
constexpr std::string_view kMissing = "missing months  ";
constexpr std::string_view kYears = "output years    ";
constexpr std::string_view kScreen = "screen          ";
constexpr std::string_view kPairing = "pairing         ";
constexpr std::string_view kCorrelation = "correlation     ";
constexpr std::string_view kInterval = "interval        ";
constexpr std::string_view kBest = "best            ";

// The rule for missing months of each kind of variable, as the reduction
// applies it. The rule for averages is the one a run has in force
// (--min-months).
constexpr std::string_view kSingleRule = "a single month is missing when its month is";
constexpr std::string_view kSumRule = "a sum is missing when any of its months is";
constexpr std::string_view kAverageRule = "an average needs all of its months";
constexpr std::string_view kAverageAtLeast =
    "an average is the mean of the months there when at least {} are\n"
    "                (all of them in a season of fewer months), else it is missing";

std::string year_text(int offset) {
  if (offset == 0) return "Y";
  std::string text(offset > 0 ? "Y+" : "Y");
  return text.append(std::to_string(offset));
}

std::string plural(int n, std::string_view word) {
  return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

// "2 calendar years, Y-1 to Y, labelled by the last (lag mask)"
std::string window_line(const MaskShape& shape) {
  std::string years = plural(shape.extra + 1, "calendar year");
  if (shape.extra == 0) return years + ", Y";
  if (shape.lead)
    return years + ", Y to " + year_text(shape.extra) + ", labelled by the first (lead mask)";
  return years + ", " + year_text(-shape.extra) + " to Y, labelled by the last (lag mask)";
}

// "average of 3 months: Dec of Y-1, Jan Feb of Y"
std::string variable_text(const ClimateVariable& v) {
  int n = static_cast<int>(v.months.size());
  std::string text = v.kind == VariableKind::single ? "single month"
                     : v.kind == VariableKind::sum  ? std::string("sum of ").append(plural(n, "month"))
                                                    : std::string("average of ").append(plural(n, "month"));
  text += ":";
  for (std::size_t i = 0; i < v.months.size(); ++i) {
    const MaskMonth& m = v.months[i];
    bool new_year = i == 0 || m.year_offset != v.months[i - 1].year_offset;
    if (new_year && i > 0) text.append(" of ").append(year_text(v.months[i - 1].year_offset)).append(",");
    text += " ";
    text += month_name(m.month);
  }
  text.append(" of ").append(year_text(v.months.back().year_offset));
  return text;
}

// "Y1+1 to Y2": the output years of a station of the years Y1 to Y2.
std::string years_text(const MaskShape& shape) {
  std::string extra = std::to_string(shape.extra);
  if (shape.extra == 0) return "Y1 to Y2";
  return shape.lead ? "Y1 to Y2-" + extra : "Y1+" + extra + " to Y2";
}

}  // namespace

std::string explain_screen(const ScreenExplanation& e) {
  const std::vector<ScreenWindow> windows = screen_windows(e.span_years, e.max_months);
  const int longest = std::min(e.max_months, 12 * e.span_years);
  std::string out;
  auto line = [&out](std::string_view heading, std::string_view text) {
    out += heading;
    out += text;
    out += '\n';
  };
  const std::string years = e.span_years == 1 ? std::string("the calendar year Y")
                                              : "the " + std::to_string(e.span_years) +
                                                    " calendar years Y-" +
                                                    std::to_string(e.span_years - 1) + " to Y";
  line(kScreen, "every run of 1 to " + plural(longest, "month") + " in " + years + ":");
  line(kIndent, std::to_string(windows.size()) + " windows, each the average of its months (a sum");
  line(kIndent, "correlates alike), named and masked as --explain -m names them:");
  const std::size_t shown[] = {0, windows.size() / 2, windows.size() - 1};
  std::size_t width = 0;
  for (std::size_t i : shown) width = std::max(width, windows[i].name.size());
  for (std::size_t i : shown) {
    const ScreenWindow& w = windows[i];
    line(kIndent, "  " + w.name + std::string(width + 2 - w.name.size(), ' ') + "-m " + w.mask);
  }
  line(kPairing, "the chronology's year t with the window's value labelled t: a window");
  line(kIndent, "of the previous year is its value in t-1, one across the year boundary");
  line(kIndent, "ends in t");
  line(kMissing, e.min_months > 0
                     ? compose(kAverageAtLeast, {std::to_string(e.min_months)})
                     : std::string(kAverageRule));
  line(kCorrelation, std::string(e.spearman ? "Spearman's" : "Pearson's") +
                         " r over the years both have, at least " +
                         std::to_string(e.min_years) + " (else missing);");
  line(kIndent, "p two-sided, from Student's t with n-2 degrees of freedom");
  if (e.bootstrap > 0)
    line(kInterval, "95 %: the 2.5 and 97.5 percentiles of " + std::to_string(e.bootstrap) +
                        " resamples of the paired years (seed " + std::to_string(e.seed) + ")");
  else
    line(kInterval, "95 %: from Fisher's z, tanh(atanh(r) -+ 1.96 / sqrt(n-3))");
  line(kBest, "the window of largest |r| of each station, with its mask");
  return out;
}

std::string explain_mask(std::string_view mask_text, int min_months) {
  const Mask mask = mask_from_text(mask_text);
  const MaskShape shape = analyse_mask(mask);
  const std::vector<ClimateVariable> variables = climate_variables(mask);

  std::string out;
  auto line = [&out](std::string_view heading, std::string_view text) {
    out += heading;
    out += text;
    out += '\n';
  };
  line(kMask, kRuler.substr(0, mask_text.size()));
  line(kIndent, mask_text);
  line(kWindow, window_line(shape));
  line(kVariables, std::to_string(variables.size()) + ", each a value per output year Y");

  std::size_t width = 0;
  for (const ClimateVariable& v : variables) width = std::max(width, v.name.size());
  std::size_t number_width = std::to_string(variables.size()).size();
  bool kinds[3] = {false, false, false};
  for (std::size_t i = 0; i < variables.size(); ++i) {
    const ClimateVariable& v = variables[i];
    std::string number = std::to_string(i + 1);
    out += std::string(2 + number_width - number.size(), ' ') + number + "  ";
    out += v.name + std::string(width - v.name.size(), ' ') + "  ";
    out += variable_text(v) + "\n";
    kinds[static_cast<int>(v.kind)] = true;
  }

  std::string_view heading = kMissing;
  std::string average = std::string(kAverageRule);
  if (min_months > 0) {
    average = std::string(kAverageAtLeast);
    average.replace(average.find("{}"), 2, std::to_string(min_months));
  }
  const std::string_view rules[3] = {kSingleRule, kSumRule, average};
  for (int k = 0; k < 3; ++k) {
    if (!kinds[k]) continue;
    line(heading, rules[k]);
    heading = kIndent;
  }

  line(kYears, std::string("a station of the years Y1 to Y2 gets ").append(years_text(shape)) +
                   (shape.extra == 0 ? ";" : ","));
  if (shape.extra > 0)
    line(kIndent, std::string("none when it spans fewer than ").append(plural(shape.extra + 1, "year")) + ";");
  line(kIndent, "a year missing between Y1 and Y2 holds missing months");
  return out;
}

}  // namespace versel
