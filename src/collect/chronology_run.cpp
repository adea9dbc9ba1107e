// Correlating a chronology with every station: the rows, lines and fields
// of each output kind, the best windows and the picture.
#include "collect/chronology_run.h"

#include <charconv>
#include <cmath>

#include "collect/nc_output.h"
#include "collect/writers.h"
#include "mask/variable_names.h"
#include "records/edit_output.h"
#include "records/failure.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr std::string_view kCorrTitles = "station,name,lat,lon,variable,n,r,low,high,p";
constexpr std::string_view kScreenTitles =
    "station,name,lat,lon,window,mask,first_month,months,n,r,low,high,p";

// A number of a csv row: r and its interval with 4 decimals, p with 4
// significant digits; nothing for a missing one.
void append_fixed(std::string& row, double v, int decimals) {
  if (std::isnan(v)) return;
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
  if (ec == std::errc()) row.append(text, end);
}

void append_general(std::string& row, double v) {
  if (std::isnan(v)) return;
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 4);
  if (ec == std::errc()) row.append(text, end);
}

// ",n,r,low,high,p" of a correlation.
void append_correlation(std::string& row, const Correlation& c) {
  row += ',';
  row += std::to_string(c.n);  // the years paired, also where too few for an r
  row += ',';
  append_fixed(row, c.r, 4);
  row += ',';
  append_fixed(row, c.low, 4);
  row += ',';
  append_fixed(row, c.high, 4);
  row += ',';
  append_general(row, c.p);
}

// "3,LITTLE ROCK,34.73,-92.23": what every row of a station starts with.
std::string station_start(const RunSettings& s, std::int64_t number, const StationData& d) {
  std::string start = std::to_string(number) + ",";
  if (d.has_header) append_csv_text(start, d.name.empty() ? d.header : d.name);
  start += ',';
  const int decimals = csv_decimals(s);
  if (d.has_coordinates) append_csv_number(start, d.RLAT, decimals);
  start += ',';
  if (d.has_coordinates) append_csv_number(start, d.RLON, decimals);
  return start;
}

// A value of a grd line: the flag where it is missing.
float grd_value(double v, float flag) { return std::isnan(v) ? flag : static_cast<float>(v); }

void write_grd_line(const RunSettings& s, const ChronologyRun& run, const StationData& d) {
  std::vector<float> values;
  if (run.request->screen) {
    const std::ptrdiff_t best = best_window(run.results);
    const bool found = best >= 0;
    const ScreenWindow* w = found ? &run.windows[static_cast<std::size_t>(best)] : nullptr;
    values = {grd_value(found ? run.results[static_cast<std::size_t>(best)].r : NAN, s.FLAG),
              found ? static_cast<float>(w->offset) : s.FLAG,
              found ? static_cast<float>(w->length) : s.FLAG};
    write(file_unit(kSeaUnit), "(1x,2(f8.2),1x,f8.3,2(1x,f8.2))",
          {d.RLAT, d.RLON, reals(std::span<const float>(values))});
    return;
  }
  for (const Correlation& c : run.results) {
    values.push_back(grd_value(c.r, s.FLAG));
    values.push_back(static_cast<float>(c.n));
    values.push_back(grd_value(c.p, s.FLAG));
  }
  write(file_unit(kSeaUnit), "(1x,2(f8.2),24(1x,f8.3,1x,f8.2,1x,f9.4))",
        {d.RLAT, d.RLON, reals(std::span<const float>(values))});
}

// The fields of an nc file: r, n and p of each climate variable, or the best
// window of a screen.
std::vector<NcField> result_fields(const RunSettings& s, const ChronologyRequest& request,
                                   const std::string& title) {
  std::vector<NcField> fields;
  if (request.screen) {
    fields.push_back({"best_r", "correlation of the best window with chronology " + title, "1",
                      NcFieldType::real, {}});
    fields.push_back({"best_first_month",
                      "first month of the best window, from January of the label year (-12: "
                      "January of the year before)",
                      "months", NcFieldType::integer, {}});
    fields.push_back({"best_months", "months of the best window", "months", NcFieldType::integer, {}});
    return fields;
  }
  const std::vector<ClimateVariable> variables = climate_variables(s.MASK);
  const std::vector<std::string> names = cf_variable_names(variables);
  for (std::size_t v = 0; v < variables.size(); ++v) {
    const std::vector<std::pair<std::string, std::string>> about = {{"short_name", variables[v].name}};
    fields.push_back({names[v] + "_r", "correlation of " + variables[v].name + " with chronology " + title,
                      "1", NcFieldType::real, about});
    fields.push_back({names[v] + "_n", "years of " + variables[v].name + " paired with chronology " + title,
                      "", NcFieldType::integer, about});
    fields.push_back({names[v] + "_p", "two-sided p of the correlation of " + variables[v].name, "1",
                      NcFieldType::real, about});
  }
  return fields;
}

void begin_fields(const RunSettings& s, const ChronologyRequest& request,
                  const StationSource& source, ChronologyRun& run) {
  const SourceDescription described = describe_source(source);
  const std::string title = chronology_title(*request.chronology);
  NcFieldsPlan plan;
  plan.shape = described.gridded ? NcShape::grid : NcShape::stations;
  plan.grid = described.grid;
  plan.fields = result_fields(s, request, title);
  plan.flag = s.FLAG;
  plan.title = request.screen ? "screen of every window against a tree-ring chronology"
                              : "correlation of seasonal climate with a tree-ring chronology";
  const CorrelationSettings& c = request.settings.correlation;
  plan.global_attributes = {
      {"chronology", title},
      {"method", c.method == CorrelationMethod::spearman ? "Spearman" : "Pearson"},
      {"interval", c.bootstrap > 0 ? std::to_string(c.bootstrap) + " bootstrap resamples, seed " +
                                         std::to_string(request.seed)
                                   : std::string("Fisher's z")},
      {"min_years", std::to_string(c.min_years)}};
  if (!request.screen) plan.global_attributes.push_back({"climate_mask", std::string(trimmed(s.MASK))});
  plan.file = unit_name(kSeaUnit);
  std::string error;
  if (!begin_nc_fields(run.fields, plan, error)) fail_run({error});
  run.gridded = described.gridded;
}

void put_fields(const ChronologyRun& run, std::vector<double>& values) {
  values.clear();
  if (run.request->screen) {
    const std::ptrdiff_t best = best_window(run.results);
    if (best < 0) {
      values.assign(3, NAN);
    } else {
      const ScreenWindow& w = run.windows[static_cast<std::size_t>(best)];
      values = {run.results[static_cast<std::size_t>(best)].r, static_cast<double>(w.offset),
                static_cast<double>(w.length)};
    }
  } else {
    for (const Correlation& c : run.results) {
      values.push_back(c.r);
      values.push_back(static_cast<double>(c.n));
      values.push_back(c.p);
    }
  }
}

}  // namespace

std::string chronology_title(const Chronology& c) {
  std::string title = c.code;
  if (!c.title.empty()) title += (title.empty() ? "" : " ") + c.title;
  return title;
}

void begin_chronology_run(const RunSettings& s, const ChronologyRequest& request,
                          const StationSource& source, ChronologyRun& run) {
  run.request = &request;
  if (request.screen) {
    run.windows = screen_windows(request.settings.span_years, request.settings.max_months);
    for (const ScreenWindow& w : run.windows) run.names.push_back(w.name);
  } else {
    for (const ClimateVariable& v : climate_variables(s.MASK)) run.names.push_back(v.name);
  }
  if (request.settings.correlation.bootstrap > 0)
    run.draws = screen_draws(*request.chronology, request.settings, request.seed);
  if (s.FMTCTRL == kCsv)
    write(file_unit(kSeaUnit), "(a)", {request.screen ? kScreenTitles : kCorrTitles});
  if (s.FMTCTRL == kNc) begin_fields(s, request, source, run);
}

void chronology_station(const RunSettings& s, ChronologyRun& run, const StationData& d,
                        const Station& st) {
  const ChronologyRequest& request = *run.request;
  ++run.stations;
  if (request.screen) {
    // grd and nc keep the best window alone, the picture every window of
    // its first stations
    ScreenSettings settings = request.settings;
    settings.best_only = s.FMTCTRL != kCsv && run.panels.size() >= kScreenPanels;
    screen_station(d, s.FLAG, *request.chronology, run.windows, settings, run.draws, run.work,
                   run.results);
    if (settings.best_only) complete_best(settings, run.work, run.results);
  }
  else
    correlate_variables(st, s.FLAG, *request.chronology, request.settings.correlation, run.draws,
                        run.work, run.results);

  if (request.screen) {
    BestWindow best;
    best.station = run.stations;
    best.name = d.has_header ? (d.name.empty() ? d.header : d.name) : std::string();
    const std::ptrdiff_t at = best_window(run.results);
    best.found = at >= 0;
    if (best.found) {
      best.window = static_cast<std::size_t>(at);
      best.result = run.results[best.window];
    }
    run.best.push_back(best);
    if (run.panels.size() < kScreenPanels)
      run.panels.push_back(ScreenPanel{best.name.empty() ? std::to_string(run.stations) : best.name,
                                       run.results});
  }

  if (s.FMTCTRL == kGrd) {
    write_grd_line(s, run, d);
    return;
  }
  if (s.FMTCTRL == kNc) {
    put_fields(run, run.field_values);
    if (run.gridded) put_nc_field_cell(run.fields, d.cell, run.field_values.data());
    else put_nc_field_station(run.fields, d, run.field_values.data());
    return;
  }
  if (s.FMTCTRL != kCsv) return;
  // the station's rows as one record, each but the last ending in CR LF
  const std::string start = station_start(s, run.stations, d);
  std::string& rows = run.row;
  rows.clear();
  for (std::size_t i = 0; i < run.results.size(); ++i) {
    if (i > 0) rows += "\r\n";
    rows += start;
    rows += ',';
    rows += run.names[i];
    if (request.screen) {
      const ScreenWindow& w = run.windows[i];
      rows.append(",").append(w.mask).append(",").append(w.first_month).append(",");
      rows += std::to_string(w.length);
    }
    append_correlation(rows, run.results[i]);
  }
  write(file_unit(kSeaUnit), "(a)", {rows});
}

void finish_chronology_run(const RunSettings& s, ChronologyRun& run) {
  const ChronologyRequest& request = *run.request;
  if (s.FMTCTRL == kNc) {
    std::string error;
    if (!write_nc_fields(run.fields, output_path(kSeaUnit), error)) fail_run({error});
  }
  if (!request.screen) return;
  ScreenPicture picture;
  picture.chronology = chronology_title(*request.chronology);
  const CorrelationSettings& c = request.settings.correlation;
  picture.method = c.method == CorrelationMethod::spearman ? "Spearman" : "Pearson";
  picture.interval = c.bootstrap > 0 ? std::to_string(c.bootstrap) + " bootstrap resamples"
                                     : std::string("Fisher's z");
  picture.stations = static_cast<std::size_t>(run.stations);
  const std::string svg = screen_svg(run.windows, request.settings.span_years,
                                     request.settings.max_months, run.panels, picture);
  // line by line: every line of a file versel writes ends in CR LF
  std::size_t from = 0;
  while (from < svg.size()) {
    std::size_t end = svg.find('\n', from);
    if (end == std::string::npos) end = svg.size();
    write(file_unit(kKeyUnit), "(a)", {std::string_view(svg).substr(from, end - from)});
    from = end + 1;
  }
}

}  // namespace versel
