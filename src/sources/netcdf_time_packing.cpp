// The time axis and the packing of a netCDF grid variable: each step's
// month, and the attributes that say which stored values are missing and
// how the others unpack (see netcdf_grid.h).
#include <netcdf.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "capacities.h"
#include "records/message_text.h"
#include "sources/netcdf_grid_parts.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

// The stored value of an attribute's number, as a value of the variable
// would compare with it: a float variable rounds it to float; an unsigned
// reading (_Unsigned) takes a negative number as its unsigned twin (a byte
// -2 is 254).
double as_stored(double v, nc_type type, bool is_unsigned) {
  if (type == NC_FLOAT && std::fabs(v) <= FLT_MAX) return static_cast<double>(static_cast<float>(v));
  if (is_unsigned && v < 0.0) {
    switch (type) {
      case NC_BYTE: return v + 256.0;
      case NC_SHORT: return v + 65536.0;
      case NC_INT: return v + 4294967296.0;
      case NC_INT64: return v + 18446744073709551616.0;
      default: break;
    }
  }
  return v;
}

}  // namespace

bool read_grid_packing(Ctx& x, int varid, GridPacking& p) {
  nc_type type = NC_NAT;
  if (!status_of_var(x, nc_inq_vartype(x.ncid, varid, &type), varid)) return false;
  p = GridPacking{};
  std::string unsigned_text;
  p.is_unsigned = (type == NC_BYTE || type == NC_SHORT || type == NC_INT || type == NC_INT64) &&
                  text_attribute(x.ncid, varid, "_Unsigned", unsigned_text) && lower_trimmed(unsigned_text) == "true";
  p.type = type;
  if (p.is_unsigned) {
    p.type = type == NC_BYTE ? NC_UBYTE : type == NC_SHORT ? NC_USHORT : type == NC_INT ? NC_UINT : NC_UINT64;
  }
  std::vector<double> v;
  bool present = false;
  if (!number_attribute(x, varid, "_FillValue", v, present)) return false;
  if (present) {
    for (double f : v) p.missing.push_back(as_stored(f, type, p.is_unsigned));
  } else if (type != NC_BYTE && type != NC_UBYTE) {
    int no_fill = 0;
    unsigned char fill[8] = {};
    if (nc_inq_var_fill(x.ncid, varid, &no_fill, fill) == NC_NOERR && !no_fill) {
      double f = 0.0;
      switch (type) {
        case NC_SHORT: { std::int16_t t; std::memcpy(&t, fill, 2); f = t; break; }
        case NC_USHORT: { std::uint16_t t; std::memcpy(&t, fill, 2); f = t; break; }
        case NC_INT: { std::int32_t t; std::memcpy(&t, fill, 4); f = t; break; }
        case NC_UINT: { std::uint32_t t; std::memcpy(&t, fill, 4); f = t; break; }
        case NC_INT64: { std::int64_t t; std::memcpy(&t, fill, 8); f = static_cast<double>(t); break; }
        case NC_UINT64: { std::uint64_t t; std::memcpy(&t, fill, 8); f = static_cast<double>(t); break; }
        case NC_FLOAT: { float t; std::memcpy(&t, fill, 4); f = t; break; }
        default: { std::memcpy(&f, fill, 8); break; }
      }
      p.missing.push_back(as_stored(f, type, p.is_unsigned));
    }
  }
  if (!number_attribute(x, varid, "missing_value", v, present)) return false;
  for (double m : v) p.missing.push_back(as_stored(m, type, p.is_unsigned));
  // NaN never compares equal: NaN is caught by itself; a value given twice
  // (_FillValue and missing_value alike) is compared once
  p.missing.erase(std::remove_if(p.missing.begin(), p.missing.end(), [](double m) { return m != m; }),
                  p.missing.end());
  std::sort(p.missing.begin(), p.missing.end());
  p.missing.erase(std::unique(p.missing.begin(), p.missing.end()), p.missing.end());

  if (!number_attribute(x, varid, "valid_range", v, present)) return false;
  if (present && v.size() >= 2) {
    p.has_min = p.has_max = true;
    p.valid_min = as_stored(v[0], type, p.is_unsigned);
    p.valid_max = as_stored(v[1], type, p.is_unsigned);
  } else {
    if (!number_attribute(x, varid, "valid_min", v, present)) return false;
    if (present) {
      p.has_min = true;
      p.valid_min = as_stored(v[0], type, p.is_unsigned);
    }
    if (!number_attribute(x, varid, "valid_max", v, present)) return false;
    if (present) {
      p.has_max = true;
      p.valid_max = as_stored(v[0], type, p.is_unsigned);
    }
  }
  if (!number_attribute(x, varid, "scale_factor", v, present)) return false;
  if (present) {
    p.scaled = true;
    p.scale = v[0];
  }
  if (!number_attribute(x, varid, "add_offset", v, present)) return false;
  if (present) {
    p.scaled = true;
    p.offset = v[0];
  }
  return true;
}

// Decodes the steps of the time axis into the slots of the months.
bool read_grid_time(Ctx& x, const GridShape& s, GridSource& src) {
  const int tv = s.time_var;
  const std::string tname = variable_name(x.ncid, tv);
  const std::size_t steps = s.lengths[static_cast<std::size_t>(s.time_pos)];
  if (steps == 0) {
    x.error = compose(kMsgNcFileStatus, {shown_name(x.path), compose(kMsgNoSteps, {quoted(tname)})});
    return false;
  }
  auto time_fault = [&](const std::string& why) {
    x.error = compose(kMsgNcFileStatus, {shown_name(x.path), why});
    return false;
  };
  if (steps > static_cast<std::size_t>(12 * kGridMaxYears)) {
    return time_fault(compose(kMsgTooManySteps, {quoted(tname), std::to_string(steps),
                                                 std::to_string(kGridMaxYears)}));
  }
  std::string units, calendar_text;
  if (!text_attribute(x.ncid, tv, "units", units)) return time_fault(compose(kMsgTimeNoUnits, {quoted(tname)}));
  Calendar calendar = Calendar::standard;
  if (text_attribute(x.ncid, tv, "calendar", calendar_text) && !parse_calendar(calendar_text, calendar)) {
    return time_fault(compose(kMsgUnknownCalendar, {quoted(tname), quoted(calendar_text)}));
  }
  TimeCoding coding;
  std::string why;
  if (!parse_time_units(units, calendar, coding, why)) {
    return time_fault(compose(kMsgTimeUnits, {quoted(tname), why}));
  }
  std::vector<double> values;
  if (!read_doubles(x, tv, steps, values)) return false;
  std::vector<double> fills;
  bool present = false;
  if (!number_attribute(x, tv, "_FillValue", fills, present)) return false;

  std::vector<YearMonth> months(steps);
  std::int64_t first = 0;
  std::int64_t last = 0;
  for (std::size_t i = 0; i < steps; ++i) {
    const bool fill = std::find(fills.begin(), fills.end(), values[i]) != fills.end();
    if (fill || !time_month(coding, values[i], months[i]) ||
        std::llabs(months[i].year) > kMaxYearMagnitude) {
      return time_fault(compose(kMsgTimeValue, {quoted(tname), std::to_string(i + 1), number_shown(values[i])}));
    }
    if (i == 0 || months[i].year < first) first = months[i].year;
    if (i == 0 || months[i].year > last) last = months[i].year;
  }
  if (last - first + 1 > kGridMaxYears) {
    return time_fault(compose(kMsgTimeSpan, {std::to_string(first), std::to_string(last),
                                             std::to_string(kGridMaxYears)}));
  }
  src.first_year = static_cast<std::int32_t>(first);
  src.last_year = static_cast<std::int32_t>(last);
  src.steps = static_cast<std::int64_t>(steps);
  src.month_count = (last - first + 1) * 12;
  src.slot.assign(steps, 0);
  std::vector<std::int64_t> owner(static_cast<std::size_t>(src.month_count), -1);
  for (std::size_t i = 0; i < steps; ++i) {
    const std::int64_t k = (months[i].year - first) * 12 + months[i].month - 1;
    const std::int64_t before = owner[static_cast<std::size_t>(k)];
    if (before >= 0) {
      CfDate a;
      CfDate b;
      time_date(coding, values[static_cast<std::size_t>(before)], a);
      time_date(coding, values[i], b);
      return time_fault(compose(kMsgNotMonthly, {std::to_string(before + 1), date_text(a),
                                                 std::to_string(i + 1), date_text(b), quoted(tname)}));
    }
    owner[static_cast<std::size_t>(k)] = static_cast<std::int64_t>(i);
    src.slot[i] = k;
  }
  return true;
}

}  // namespace versel
