// The climate variables of a mask and their short names.
#include "mask/variable_names.h"

#include <array>

namespace versel {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Each month follows the one before it in the calendar: positions in a row.
bool consecutive(const std::vector<MaskMonth>& months) {
  for (std::size_t i = 1; i < months.size(); ++i)
    if (months[i].position != months[i - 1].position + 1) return false;
  return true;
}

std::string short_name(const ClimateVariable& v) {
  std::string name;
  if (v.months.size() == 1) {
    name = month_name(v.months[0].month);
  } else if (consecutive(v.months)) {
    for (const MaskMonth& m : v.months) name += month_name(m.month)[0];
  } else {
    for (const MaskMonth& m : v.months) {
      if (!name.empty()) name += '+';
      name += month_name(m.month);
    }
  }
  int offset = v.months.back().year_offset;
  if (offset > 0) name += '+';
  if (offset != 0) name += std::to_string(offset);
  if (v.kind == VariableKind::sum) name += "_sum";
  if (v.kind == VariableKind::average) name += "_avg";
  return name;
}

}  // namespace

int year_offset(int position, const MaskShape& shape) {
  int year = (position - 1) / 12;  // 0 for the window's first calendar year
  return shape.lead ? year : year - shape.extra;
}

std::string_view month_name(int month) { return kMonthNames[static_cast<std::size_t>(month)]; }

std::vector<ClimateVariable> climate_variables(const Mask& mask) {
  const MaskShape shape = analyse_mask(mask);
  std::vector<ClimateVariable> variables;
  std::vector<MaskMonth> season;  // the 1s of the season being formed
  for (int p = 1; p <= shape.NCM; ++p) {
    char c = mask[static_cast<std::size_t>(p - 1)];
    if (c == '0') continue;
    season.push_back({p, (p - 1) % 12, year_offset(p, shape)});
    if (shape.SEAS && c == '1') continue;
    VariableKind kind = !shape.SEAS ? VariableKind::single
                        : c == '2'  ? VariableKind::sum
                                    : VariableKind::average;
    ClimateVariable v{kind, std::move(season), {}};
    v.name = short_name(v);
    variables.push_back(std::move(v));
    season.clear();
  }
  return variables;
}

}  // namespace versel
