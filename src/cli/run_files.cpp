// The command line's driver: the actions that need no file, the settings of
// a run, and the loop over the FILEs with its failure handling and summary.
#include "cli/run_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "cli/explain.h"
#include "cli/failure_text.h"
#include "cli/help_text.h"
#include "cli/messages.h"
#include "collect/collection.h"
#include "sources/catalogue.h"
#include "collect/output_names.h"
#include "sources/coordinates.h"
#include "sources/data_lines.h"
#include "sources/layout_messages.h"
#include "sources/chronology.h"
#include "sources/fields.h"
#include "sources/grid_source.h"
#include "sources/netcdf_extent.h"
#include "sources/station_reader.h"
#include "sources/table_layout.h"
#include "mask/mask_check.h"
#include "mask/mask_shape.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"

namespace versel {
namespace {

void to_standard_error(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

// Help, version and explanation: their text on standard output. A text that
// cannot be written there is a failure.
int to_standard_output(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return kExitDone;
  to_standard_error(std::string(kUsagePrefix) + std::string(kMsgStandardOutput) + ": " +
                    std::strerror(errno) + "\n");
  return kExitRunFailed;
}

// A regular file by its device and inode: two names of one file have one
// identity. A device such as /dev/null has none: any number of outputs may
// go there.
using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> identity(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileId{st.st_dev, st.st_ino};
}

// The files a run must not overwrite beyond what the dialogue's checks see:
// the other FILEs of the command line, and the outputs written for earlier
// FILEs, reached through another name for them or a link.
struct KeptFiles {
  std::map<FileId, std::string> files;    // each FILE that exists, by identity
  std::map<FileId, std::string> written;  // each output written, and its FILE
  // the --coords and --chronology files, and their names
  std::vector<std::pair<std::optional<FileId>, std::string>> inputs;
};

KeptFiles kept_files(const std::vector<std::string>& files) {
  KeptFiles kept;
  for (const std::string& file : files)
    if (std::optional<FileId> id = identity(file)) kept.files.emplace(*id, file);
  return kept;
}

// Refuses an output that is another FILE or an earlier output of this run;
// one that is the FILE itself the dialogue's check has refused before.
void refuse_overwrite(const std::string& output, const KeptFiles& kept) {
  std::optional<FileId> id = identity(output);
  if (!id) return;
  if (auto it = kept.files.find(*id); it != kept.files.end())
    fail_run({compose(kMsgOutputOverFile, {shown_name(output), shown_name(it->second)})});
  if (auto it = kept.written.find(*id); it != kept.written.end())
    fail_run({compose(kMsgOutputOverOutput, {shown_name(output), shown_name(it->second)})});
  for (const auto& [input, name] : kept.inputs)
    if (input == id) fail_run({compose(kMsgOutputOverInput, {shown_name(output), shown_name(name)})});
}

// The source of a layout cut line by line, with the flag of the file
// (--flag, or the layout's own) in s.FLAG.
StationSource layout_source(RunSettings& s, const CliRequest& request, const std::string& file,
                            const CoordinateTable* coords) {
  StationSource source{LayoutReader{}};
  LayoutReader& r = std::get<LayoutReader>(source);
  r.layout = request.layout;
  r.skip = s.skip;
  r.coords = coords;
  r.base_name = file.substr(file.rfind('/') + 1);
  r.cut.flag_given = request.flag.has_value();
  r.cut.keep_flagged = request.keep_flagged;
  if (!request.flag) {
    LayoutFault fault;
    std::optional<float> flag = layout_flag(*r.layout, s.skip, fault);
    if (!flag) fail_at_fault(fault);
    s.FLAG = *flag;
  }
  r.cut.flag = s.FLAG;
  return source;
}

// The source of a table, read whole; a line it cannot read fails the FILE.
StationSource table_source(RunSettings& s, const CliRequest& request, const std::string& file,
                           const CoordinateTable* coords) {
  s.FLAG = request.flag.value_or(kLayouts[0].flag);
  StationSource source{TableReader{}};
  TableReader& r = std::get<TableReader>(source);
  r.coords = coords;
  TableSettings settings;
  settings.flag = s.FLAG;
  settings.flag_given = request.flag.has_value();
  settings.sentinels = &r.sentinels;
  LayoutFault fault;
  if (!read_table_file(file, settings, r.table, fault)) {
    if (fault.line == 0) fail_run({fault.reason});
    fail_at_fault(fault);
  }
  return source;
}

// The source of a gridded netCDF file, which selects its own cells.
StationSource grid_source(RunSettings& s, const CliRequest& request, const std::string& file) {
  s.FLAG = request.flag.value_or(kLayouts[0].flag);
  GridRequest g;
  g.path = file;
  g.variable = request.var;
  g.flag = s.FLAG;
  g.has_region = request.has_region;
  g.region = request.region;
  g.has_near = request.has_near;
  g.near = request.near;
  StationSource source{GridReader{}};
  std::string error;
  if (!open_grid_reader(std::get<GridReader>(source), g, error)) {
    // the message names the file, which the failure line names already
    const std::string named = shown_name(file) + ": ";
    if (error.compare(0, named.size(), named) == 0) error.erase(0, named.size());
    fail_run({error});
  }
  return source;
}

// The station source of a FILE: the catalogue's reader, or a layout's; with
// --region or --near the stations it keeps.
StationSource source_of(RunSettings& s, const CliRequest& request, const std::string& file,
                        const CoordinateTable* coords) {
  if (request.netcdf) return grid_source(s, request, file);
  if (is_netcdf_file(file)) fail_run({std::string(kMsgNetcdfFile)});
  StationSource source = request.layout  ? layout_source(s, request, file, coords)
                         : request.table ? table_source(s, request, file, coords)
                                         : catalogue_reader(s, needs_coordinates(s) ||
                                                                   request.has_region ||
                                                                   request.has_near);
  if (!request.has_region && !request.has_near) return source;
  StationSelection selection;
  selection.has_region = request.has_region;
  selection.region = request.region;
  selection.has_near = request.has_near;
  selection.near = request.near;
  return select_stations(source, selection);
}

// Why a FILE gave no station: what the source looked for.
std::string no_station_text(const RunSettings& s, const CliRequest& request) {
  std::string why;
  if (request.has_region || request.has_near) why = std::string(kMsgNoSelectedStation);
  else if (request.layout) why = compose(kMsgNoLayoutStation, {request.layout->name, request.layout->summary});
  else if (request.table) why = std::string(kMsgNoTableStation);
  else if (request.netcdf) why = std::string(kMsgNoGridStation);
  else why = compose(kMsgNoCatalogueStation, {trimmed(s.FRM)});
  return compose(kMsgFoundNoStation, {why});
}

// A run over the wrong file, layout or mask must not pass for one over an
// empty list: a FILE without any station, or without any output year, fails.
void refuse_empty_run(const RunSettings& s, const CliRequest& request, const RunTotals& totals) {
  if (totals.stations == 0) fail_run({no_station_text(s, request)});
  if (!totals.labelled && !request.screen) {
    const int years = extra_years(analyse_mask(s.MASK).NCM) + 1;
    fail_run({compose(kMsgNoOutputYearAtAll,
                      {std::to_string(years), years == 1 ? "year" : "years",
                       std::to_string(totals.longest), totals.longest == 1 ? "year" : "years"})});
  }
}

// The lines that name a value that may be an undeclared flag, and the
// options that would declare it.
std::string outlier_lines(const std::string& file, const RunSettings& s, const RunTotals& totals) {
  std::string text;
  for (const Outlier& o : totals.outliers) {
    const std::string value = number_text(o.value);
    std::string option = compose(kMsgOutlierFlag, {value});
    if (const DataSet* row = known_data_set(s.IFMT))
      option = compose(kMsgOutlierFormat,
                       {trimmed(s.FRM), value, row->frm3, std::to_string(s.IFMT)});
    char deviations[32];
    std::snprintf(deviations, sizeof deviations, "%.0f", o.deviations);
    text += std::string(kUsagePrefix) + shown_name(file) + ": " +
            (o.only_negative
                 ? compose(kMsgOutlierNegative,
                           {value, std::to_string(o.count), std::to_string(o.months), option})
                 : compose(kMsgOutlier, {value, std::to_string(o.count),
                                         o.largest ? "largest" : "smallest", deviations,
                                         o.largest ? "above" : "below", number_text(o.median),
                                         option})) +
            "\n";
  }
  return text;
}

// One FILE, from the open of its data file to the commit of its outputs, in
// the order of the dialogue: data file, output names checked, outputs
// created, the known data set's first line, the processing, the closes and
// the commit. A failure raises RunFailure.
RunTotals run_file(const RunSettings& base, const CliRequest& request, const std::string& file,
                   const FileOutputs& out, const KeptFiles& kept, const CoordinateTable* coords,
                   const RunExtras& extras, std::string& notes) {
  RunSettings s = base;
  assign(s.INFILE, file);  // as the dialogue would hold it; nothing below reads it
  open(kDataUnit, file, OpenStatus::old);
  if (out.sea == kStandardOutput) {
    if (same_file("/dev/stdout", file)) fail_run({std::string(kMsgStandardOutputIsFile)});
    open_standard_output(kSeaUnit);
  } else {
    refuse_clashing_outputs(file, out.sea, out.key);
    refuse_overwrite(out.sea, kept);
    if (!out.key.empty()) refuse_overwrite(out.key, kept);
    open(kSeaUnit, out.sea, OpenStatus::unknown);
    if (!out.key.empty()) open(kKeyUnit, out.key, OpenStatus::unknown);
  }
  skip_lines(s.skip);
  if (request.data_set != 0) take_data_set(*known_data_set(request.data_set), s);
  StationSource source = source_of(s, request, file, coords);
  RunTotals totals = collect_and_write(s, source, extras);
  const SourceDescription described = describe_source(source);
  if (request.netcdf) totals.cells = {described.cells_with_data, described.cells};
  if (const auto* list = std::get_if<StationList>(&source)) totals.passed_over = list->passed_over;
  refuse_empty_run(s, request, totals);
  if (const SentinelTally* sentinels = sentinels_of(source); sentinels && sentinels->total() > 0)
    totals.taken_as_missing = sentinel_text(*sentinels);
  // stations without coordinates matter where they are looked up or written
  // (after --region or --near the stations kept have coordinates: those
  // without were passed over, and the summary says so)
  if (!request.layout_name.empty() && !request.netcdf && !request.has_region && !request.has_near &&
      (coords != nullptr || s.FMTCTRL != kTsf))
    totals.without_coordinates = totals.stations_without_coordinates;
  close(kDataUnit);
  if (!out.key.empty()) close(kKeyUnit);
  close(kSeaUnit);
  commit_outputs();
  notes = outlier_lines(file, s, totals);
  return totals;
}

// What the command line asks of a chronology, for the processing.
ChronologyRequest chronology_request(const CliRequest& r, const Chronology& chronology) {
  ChronologyRequest c;
  c.chronology = &chronology;
  c.screen = r.screen;
  c.settings.span_years = r.span_years;
  c.settings.max_months = r.max_months;
  c.settings.min_months = r.min_months;
  c.settings.correlation.method = r.spearman ? CorrelationMethod::spearman : CorrelationMethod::pearson;
  c.settings.correlation.min_years = r.min_years;
  c.settings.correlation.bootstrap = r.bootstrap;
  c.seed = r.seed;
  return c;
}

// The summary of a FILE's run with a chronology:
//   "4 stations, 222 windows against chronology LRK001; wrote t_screen.csv and t_screen.svg"
std::string chronology_summary(const CliRequest& r, const Chronology& chronology,
                               const RunTotals& totals, int variables, const FileOutputs& outputs) {
  std::string text = summary_text(totals, variables, outputs);
  const std::string title = chronology_title(chronology);
  const std::string against =
      r.screen        ? compose(kMsgWindowsAgainst, {std::to_string(totals.windows.size()), title})
      : variables == 1 ? compose(kMsgVariableAgainst, {title})
                       : compose(kMsgVariablesAgainst, {std::to_string(variables), title});
  // "N stations, years A to B, M climate variables; wrote ..." with the
  // years and variables replaced by what was correlated
  const std::size_t wrote = text.find("; wrote ");
  const std::size_t stations_end = text.find(", ");
  if (wrote == std::string::npos || stations_end == std::string::npos) return text;
  std::size_t cut = stations_end;
  if (totals.cells) cut = text.find(", ", text.find(" of ")) ;  // "N cells with data of M"
  return text.substr(0, cut) + ", " + against + text.substr(wrote);
}

// The best window of each station of a screen, one line each:
//   "versel: t.dat: station 1 LITTLE ROCK: best window MJJ_avg, r -0.755 over 54 years: -m 000011300000"
std::string best_window_lines(const std::string& file, const RunTotals& totals) {
  std::string text;
  for (const BestWindow& b : totals.best) {
    std::string station = std::to_string(b.station);
    if (!b.name.empty()) station += " " + b.name;
    std::string line;
    if (!b.found) {
      line = compose(kMsgNoBestWindow, {station});
    } else {
      const ScreenWindow& w = totals.windows[b.window];
      char r[32];
      std::snprintf(r, sizeof r, "%.3f", b.result.r);
      line = compose(kMsgBestWindow, {station, w.name, r, std::to_string(b.result.n), w.mask});
    }
    text += std::string(kUsagePrefix) + shown_name(file) + ": " + line + "\n";
  }
  return text;
}

// The date and the command line, for the history of an nc file:
// "2026-12-08 15:04:05 UTC: versel -k nc ...".
std::string history_of(std::span<const char* const> args) {
  char date[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  if (gmtime_r(&now, &utc)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
  std::string text = std::string(date) + ": versel";
  for (const char* a : args) text.append(" ").append(a);
  return text;
}

// "58,572": a count with its thousands apart.
std::string grouped(std::int64_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  const std::size_t sign = n < 0 ? 1 : 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > sign && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// "versel: FILE: " and the first line, the other lines indented under it.
std::string failure_text(const std::string& file, const std::vector<std::string>& lines) {
  std::string text(kUsagePrefix);
  text += shown_name(file);
  text += ": ";
  text += lines.empty() ? std::string(kMsgRunFailed) : lines[0];
  text += '\n';
  for (std::size_t i = 1; i < lines.size(); ++i) text.append("  ").append(lines[i]).append("\n");
  return text;
}

}  // namespace

RunSettings settings_of(const CliRequest& r) {
  RunSettings s;
  start_settings(s);
  s.FMTCTRL = r.kind;
  s.skip = r.skip;
  if (r.data_set != 0) {
    s.IFMT = r.data_set;
  } else {
    s.IFMT = kUserDefined;
    assign(s.FRM, r.format);
    s.FLAG = r.flag.value_or(0.0f);
    assign(s.FRM3, r.header_format);
  }
  s.MASK = mask_from_text(r.mask);
  s.min_months = r.min_months;
  s.scan_outliers = true;
  return s;
}

FileOutputs outputs_of_file(const CliRequest& request, std::string_view file) {
  if (request.output == kStandardOutput) return {std::string(kStandardOutput), {}};
  return output_files(output_prefix(request, file), request.kind, output_role(request));
}

std::string summary_text(const RunTotals& totals, int variables, const FileOutputs& outputs) {
  std::string stations = totals.stations == 0   ? std::string(kMsgNoStation)
                         : totals.stations == 1 ? std::string(kMsgOneStation)
                                                : compose(kMsgStations, {std::to_string(totals.stations)});
  if (totals.cells)
    stations = totals.cells->first == 1
                   ? compose(kMsgOneCell, {grouped(totals.cells->second)})
                   : compose(kMsgCells, {grouped(totals.cells->first), grouped(totals.cells->second)});
  if (totals.passed_over > 0)
    stations = compose(kMsgPassedOver, {stations, std::to_string(totals.passed_over)});
  if (totals.without_coordinates)
    stations = compose(kMsgWithoutCoordinates, {stations, std::to_string(*totals.without_coordinates)});
  std::string years =
      !totals.labelled ? std::string(kMsgNoOutputYear)
      : totals.first_label == totals.last_label
          ? compose(kMsgYear, {std::to_string(totals.first_label)})
          : compose(kMsgYears, {std::to_string(totals.first_label), std::to_string(totals.last_label)});
  std::string count = variables == 1 ? std::string(kMsgOneVariable)
                                     : compose(kMsgVariables, {std::to_string(variables)});
  std::string files = outputs.sea == kStandardOutput ? std::string(kMsgStandardOutput)
                                                     : shown_name(outputs.sea);
  if (!outputs.key.empty()) files = compose(kMsgTwoFiles, {files, shown_name(outputs.key)});
  std::string text = compose(kMsgSummary, {stations, years, count, files});
  if (!totals.taken_as_missing.empty())
    text = compose(kMsgTakenAsMissing, {text, totals.taken_as_missing});
  return text;
}

int run_command_line(std::span<const char* const> args) {
  const CliRequest request = parse_command_line(args);
  switch (request.action) {
    case CliAction::help: return to_standard_output(help_text());
    case CliAction::version: return to_standard_output(version_text());
    case CliAction::explain:
      if (request.screen)
        return to_standard_output(explain_screen({request.span_years, request.max_months,
                                                  request.min_months, request.min_years,
                                                  request.spearman, request.bootstrap,
                                                  request.seed}));
      return to_standard_output(explain_mask(request.mask, request.min_months));
    case CliAction::usage_error:
      to_standard_error(usage_error_text(request.error));
      return kExitUsage;
    case CliAction::run: break;
  }

  // no dialogue: no console lines, and a failure ends one FILE's run only
  set_console_output(ConsoleOutput::discarded);
  const RunSettings base = settings_of(request);
  const int variables = analyse_mask(base.MASK).NCV;
  // a progress line between the lines of "-o -" on the same terminal would
  // garble them
  const bool progress = !request.quiet && ::isatty(STDERR_FILENO) == 1 &&
                        !(request.output == kStandardOutput && ::isatty(STDOUT_FILENO) == 1);
  if (!request.output_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(request.output_dir, ec);
    if (ec && !std::filesystem::is_directory(request.output_dir)) {
      to_standard_error(std::string(kUsagePrefix) + shown_name(request.output_dir) + ": " +
                        compose(kMsgOutputDirNotMade, {ec.message()}) + "\n");
      return kExitRunFailed;
    }
  }
  KeptFiles kept = kept_files(request.files);
  // the coordinates of a layout's stations, read once for every FILE
  CoordinateTable table;
  const CoordinateTable* coords = nullptr;
  if (!request.coords.empty()) {
    std::string error;
    if (!load_coordinates(request.coords, table, error)) {
      to_standard_error(std::string(kUsagePrefix) + shown_name(request.coords) + ": " + error + "\n");
      return kExitRunFailed;
    }
    coords = &table;
    kept.inputs.emplace_back(identity(request.coords), request.coords);
  }
  RunExtras base_extras;
  base_extras.nc.history = history_of(args);
  // the chronology, read once for every FILE
  Chronology chronology;
  if (!request.chronology.empty()) {
    ChronologyError error;
    if (!load_chronology(request.chronology, request.chronology_id, chronology, error)) {
      std::string text = std::string(kUsagePrefix) + shown_name(request.chronology) + ": " +
                         error_message(error) + "\n";
      if (!error.text.empty()) text += "  " + std::string(kMsgShownLine) + error_line_shown(error) + "\n";
      to_standard_error(text);
      return kExitRunFailed;
    }
    kept.inputs.emplace_back(identity(request.chronology), request.chronology);
    base_extras.chronology = chronology_request(request, chronology);
  }
  int status = kExitDone;
  for (const std::string& file : request.files) {
    const FileOutputs out = outputs_of_file(request, file);
    std::vector<std::string> failed;
    if (progress) start_progress(shown_name(file));
    try {
      std::string notes;
      RunExtras extras = base_extras;
      extras.nc.source = file;
      RunTotals totals = run_file(base, request, file, out, kept, coords, extras, notes);
      end_progress();
      for (const std::string& name : {out.sea, out.key})
        if (!name.empty() && name != kStandardOutput)
          if (std::optional<FileId> id = identity(name)) kept.written.emplace(*id, file);
      if (!request.quiet) {
        std::string summary = summary_text(totals, variables, out);
        if (!request.chronology.empty())
          summary = chronology_summary(request, chronology, totals, variables, out);
        to_standard_error(std::string(kUsagePrefix) + shown_name(file) + ": " + summary + "\n" +
                          notes + best_window_lines(file, totals));
      }
      continue;
    } catch (const RunFailure& f) {
      failed = failure_lines_of(f);
    } catch (const std::bad_alloc&) {
      failed = {std::string(kMsgOutOfMemory)};
    }
    end_progress();
    abandon_run();
    to_standard_error(failure_text(file, failed));
    status = kExitRunFailed;
  }
  return status;
}

}  // namespace versel
