// Year lines: the plan of fixed columns, the read by the general walk, the
// rule for fields that hold no digit, and the read through the format cache.
#include "records/year_line.h"

#include <algorithm>
#include <span>

#include "records/format_walk.h"
#include "records/io.h"
#include "records/statements.h"
#include "records/units.h"

namespace versel {
namespace {

constexpr int kYearLineFields = 13;  // the year and twelve months
// Beyond these the plan is not made and the walk reads the lines: a format
// whose year line needs this many items or columns is no usual data format.
constexpr long kMaxPlanSteps = 4096;
constexpr std::int64_t kMaxPlanColumn = std::int64_t{1} << 20;
constexpr int kMaxImpliedDecimals = 22;  // 10^22 is the last exact power of ten

// Sets up the reading from sixteen columns at once: for each field that is
// at most 16 columns wide and whose implied decimals have an exact power of
// ten, where its columns and its last eight characters stand.
void plan_windows(YearLinePlan& plan) {
  for (PlannedField& f : plan.fields) {
    if (f.width < 1 || f.width > 16 || f.decimals > kMaxImpliedDecimals) continue;
    std::int32_t end = f.start + f.width;
    f.window = 0xFFFFu & ~((1u << (16 - f.width)) - 1);
    f.from = std::max(0, end - 16);
    f.lift = 16 - (end - f.from);
    f.eight = std::max(0, end - 8);
    f.eight_lift = 8 * (8 - (end - f.eight));
  }
  plan.reach = std::max(plan.end, 16);
}

}  // namespace

YearLinePlan plan_year_line(const Format& format) {
  YearLinePlan plan;
  if (!format.error.empty()) return {};
  Walker w = start_walk(format);
  std::int64_t column = 0;  // where the walk stands on a line long enough
  int n = 0;                // fields planned
  bool complete = false;    // the walk of a year line came to its end
  for (long step = 0; step < kMaxPlanSteps && !complete; ++step) {
    const FormatItem* it = nullptr;
    // the column stands for the record position: a group without data items
    // is left once a pass ends where it began, as the read itself leaves it,
    // so that nested empty groups of huge repeat counts take no time
    WalkStep s = next_item(w, it, static_cast<std::int32_t>(column));
    if (s == WalkStep::overflow) return {};
    if (s == WalkStep::end) {
      // fewer fields would need a further record, which a line does not have
      if (n < kYearLineFields) return {};
      complete = true;
      continue;
    }
    if (n == kYearLineFields) {
      // after the last field the walk stops at the next data item or ":",
      // passes over position items and reads a further record at "/"
      if (is_data_item(it->kind) || it->kind == ItemKind::colon) complete = true;
      if (it->kind == ItemKind::slash) return {};
      continue;
    }
    switch (it->kind) {
      case ItemKind::X:
      case ItemKind::TR:
        column += it->w;
        break;
      case ItemKind::T:
        column = it->w > 0 ? it->w - 1 : 0;
        break;
      case ItemKind::text:
        column += it->text_len;
        break;
      case ItemKind::BN:
      case ItemKind::S:
      case ItemKind::SS:
      case ItemKind::SP:
      case ItemKind::dollar:
      case ItemKind::colon:
        break;
      case ItemKind::I:
      case ItemKind::F:
      case ItemKind::E:
      case ItemKind::EN:
      case ItemKind::ES:
      case ItemKind::D:
      case ItemKind::G: {
        PlannedField& f = plan.fields[static_cast<std::size_t>(n++)];
        f.start = static_cast<std::int32_t>(column);
        f.width = std::max(it->w, 0);
        f.integer = it->kind == ItemKind::I;
        f.decimals = f.integer || it->d == kAbsent ? 0 : it->d;
        column += f.width;
        plan.end = std::max(plan.end, static_cast<std::int32_t>(column));
        break;
      }
      default:  // BZ, kP, TL, "/", other data items
        return {};
    }
    if (column > kMaxPlanColumn) return {};
  }
  if (!complete) return {};  // a walk longer than a year line needs
  plan.fixed = true;
  plan_windows(plan);
  return plan;
}

bool take_year_line(std::uint32_t digitless, float flag, std::array<float, 12>& months) {
  if (digitless & 1u) return false;
  for (std::size_t m = 0; m < 12 && (digitless >> (m + 1)) != 0; ++m)
    if ((digitless >> (m + 1)) & 1u) months[m] = flag;
  return true;
}

bool walk_year_line(const Format& format, std::string_view line, float flag, std::int32_t& year,
                    std::array<float, 12>& months) {
  const Dest dests[] = {to(year), to(std::span<float>(months))};
  std::uint64_t digitless = 0;
  Failure fail;
  if (read_records(internal(line), format, dests, fail, &digitless) != IoStatus::ok) return false;
  return take_year_line(static_cast<std::uint32_t>(digitless & 0x1fff), flag, months);
}

namespace {

// A year line read through a held data format, its months converted only
// when `months_wanted`.
bool year_record(std::string_view format_text, std::string_view line, float flag,
                 std::int32_t& year, std::array<float, 12>& months, bool months_wanted) {
  CachedFormat& entry = cached_entry(held(format_text));
  if (!entry.year_line_planned) {
    entry.year_line = plan_year_line(entry.format);
    entry.year_line_planned = true;
  }
  if (entry.year_line.fixed) {
    std::uint32_t digitless = 0;
    switch (read_by_plan(entry.year_line, line, year, months, digitless, months_wanted)) {
      case PlanRead::year_line: return take_year_line(digitless, flag, months);
      case PlanRead::no_year_line: return false;
      case PlanRead::walk: break;
    }
  }
  return walk_year_line(entry.format, line, flag, year, months);
}

}  // namespace

bool read_year_record(std::string_view format_text, std::string_view line, float flag,
                      std::int32_t& year, std::array<float, 12>& months) {
  return year_record(format_text, line, flag, year, months, true);
}

bool is_year_record(std::string_view format_text, std::string_view line, std::int32_t& year) {
  std::array<float, 12> months{};
  return year_record(format_text, line, 0.0f, year, months, false);
}

}  // namespace versel
