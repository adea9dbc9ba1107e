// Parsing the command line into a request: the option table, the value of
// each option, then the checks between options and on the FILEs.
#include "cli/command_line.h"

#include <array>
#include <cmath>
#include <map>

#include "capacities.h"
#include "cli/messages.h"
#include "collect/output_names.h"
#include "sources/layout.h"
#include "run_settings.h"
#include "mask/mask_check.h"
#include "mask/variable_names.h"
#include "records/format.h"
#include "records/io.h"

namespace versel {
namespace {

enum class OptionId : std::uint8_t {
  kind, data_set, format, flag, header_format, mask, min_months, output, quiet, explain, help,
  version, layout, coords, skip, keep_flagged, output_dir, var, region, near, chronology,
  chronology_id, screen, span, max_months, min_years, method, bootstrap, seed,
};

struct OptionEntry {
  OptionId id;
  char short_name;             // 0 when the option has none
  std::string_view long_name;  // without "--"
  std::string_view argument;   // what its value is; empty when it takes none
};

constexpr std::array<OptionEntry, 29> kOptions{{
    {OptionId::kind, 'k', "kind", kArgKind},
    {OptionId::data_set, 'd', "data-set", kArgDataSet},
    {OptionId::format, 'f', "format", kArgFormat},
    {OptionId::flag, 0, "flag", kArgFlag},
    {OptionId::header_format, 0, "header-format", kArgHeaderFormat},
    {OptionId::mask, 'm', "mask", kArgMask},
    {OptionId::min_months, 0, "min-months", kArgMinMonths},
    {OptionId::output, 'o', "output", kArgOutput},
    {OptionId::output_dir, 0, "output-dir", kArgOutputDir},
    {OptionId::quiet, 'q', "quiet", ""},
    {OptionId::explain, 0, "explain", ""},
    {OptionId::help, 'h', "help", ""},
    {OptionId::version, 'V', "version", ""},
    {OptionId::layout, 0, "layout", kArgLayout},
    {OptionId::coords, 0, "coords", kArgCoords},
    {OptionId::skip, 0, "skip", kArgSkip},
    {OptionId::keep_flagged, 0, "keep-flagged", ""},
    {OptionId::var, 0, "var", kArgVar},
    {OptionId::region, 0, "region", kArgRegion},
    {OptionId::near, 0, "near", kArgNear},
    {OptionId::chronology, 0, "chronology", kArgChronology},
    {OptionId::chronology_id, 0, "chronology-id", kArgChronologyId},
    {OptionId::screen, 0, "screen", ""},
    {OptionId::span, 0, "span", kArgSpan},
    {OptionId::max_months, 0, "max-months", kArgMaxMonths},
    {OptionId::min_years, 0, "min-years", kArgMinYears},
    {OptionId::method, 0, "method", kArgMethod},
    {OptionId::bootstrap, 0, "bootstrap", kArgBootstrap},
    {OptionId::seed, 0, "seed", kArgSeed},
}};

struct OutputKind {
  std::string_view name;
  std::int32_t kind;
};
constexpr std::array<OutputKind, 5> kKinds{
    {{"tsf", kTsf}, {"mat", kMat}, {"grd", kGrd}, {"csv", kCsv}, {"nc", kNc}}};

std::string_view kind_name(std::int32_t kind) {
  for (const OutputKind& k : kKinds)
    if (k.kind == kind) return k.name;
  return {};
}

// The columns a flag is read from: the dialogue reads it by "(f)", F15.
constexpr std::size_t kFlagColumns = 15;

std::string long_form(const OptionEntry& entry) { return "--" + std::string(entry.long_name); }

// The state of one parse: the request being filled, the values seen so far
// and the first fault met in the order of the arguments.
struct Parse {
  CliRequest request;
  std::array<std::optional<std::string>, kOptions.size()> seen;
  bool help = false;
  bool version = false;
  bool explain = false;
  std::string fault;

  void note(std::string message) {
    if (fault.empty()) fault = std::move(message);
  }
};

// A data set: digits only, 1 to 12. 0 with a message otherwise.
std::int32_t data_set_of(std::string_view value, std::string& message) {
  bool digits = !value.empty();
  long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') digits = false;
    else if (n < 1000) n = n * 10 + (c - '0');
  }
  if (!digits) message = compose(kMsgDataSetNotNumber, {quoted(value)});
  else if (n < 1 || n > 12) message = compose(kMsgDataSetRange, {quoted(value)});
  return message.empty() ? static_cast<std::int32_t>(n) : 0;
}

// --min-months: digits only, 1 or more (a count above any season's months
// means all of them). 0 with a message otherwise.
std::int32_t min_months_of(std::string_view value, std::string& message) {
  bool digits = !value.empty();
  long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') digits = false;
    else if (n < 1000) n = n * 10 + (c - '0');
  }
  if (!digits) message = compose(kMsgMinMonthsNotNumber, {quoted(value)});
  else if (n == 0) message = compose(kMsgMinMonthsZero, {quoted(value)});
  return message.empty() ? static_cast<std::int32_t>(n) : 0;
}

// A format as the dialogue would hold it: at most 30 characters, and one the
// notation takes (the translation's own message otherwise).
void check_format(std::string_view option, std::string_view value, std::string& message) {
  if (value.size() > static_cast<std::size_t>(kFormatTextLength)) {
    message = compose(kMsgFormatTooLong, {option, quoted(value), std::to_string(value.size()),
                                          std::to_string(kFormatTextLength)});
    return;
  }
  Format f = translate(value, FormatOrigin::held);
  if (!f.error.empty()) message = compose(kMsgFormatRejected, {option, quoted(value), f.error});
}

// The flag read exactly as the dialogue's flag prompt reads it, "(f)". Where
// the prompt would take a typo, the option refuses it: no digit at all (the
// prompt reads an empty answer, a lone sign or point as 0), a comma (the
// prompt reads "-99,9" as -99), more than the 15 columns the prompt reads,
// and a value that is not finite (a NaN equals no month; an infinity is
// beyond every value a month can hold).
float flag_of(std::string_view value, std::string& message) {
  float flag = 0.0f;
  if (value.find(',') != std::string_view::npos) {
    message = compose(kMsgFlagComma, {quoted(value)});
  } else if (value.size() > kFlagColumns) {
    message = compose(kMsgFlagTooLong, {quoted(value), std::to_string(kFlagColumns)});
  } else if (value.find_first_of("0123456789") == std::string_view::npos ||
             read(internal(value), "(f)", {to(flag)}, kOnError) != IoStatus::ok) {
    message = compose(kMsgFlagNotNumber, {quoted(value)});
  } else if (!std::isfinite(flag)) {
    message = compose(kMsgFlagNotFinite, {quoted(value)});
  }
  return flag;
}

// "position 20 (Aug of the mask's year 2)".
std::string position_text(int position) {
  return compose(kMsgPosition, {std::to_string(position), month_name((position - 1) % 12),
                                std::to_string((position - 1) / 12 + 1)});
}

void check_mask(std::string_view value, std::string& message) {
  MaskCheck check = check_mask_text(value);
  std::string shown = quoted(value);
  switch (check.fault) {
    case MaskFault::none:
      break;
    case MaskFault::too_long:
      message = compose(kMsgMaskTooLong, {shown, std::to_string(check.count),
                                          std::to_string(kMaskLength)});
      break;
    case MaskFault::bad_character:
      message = compose(kMsgMaskCharacter,
                        {shown, quoted(value.substr(static_cast<std::size_t>(check.position - 1), 1)),
                         position_text(check.position)});
      break;
    case MaskFault::no_month:
      message = compose(kMsgMaskNoMonth, {shown});
      break;
    case MaskFault::stray_ones:
      message = compose(kMsgMaskStrayOnes, {shown, position_text(check.position),
                                            std::to_string(check.closing)});
      break;
    case MaskFault::too_many_variables:
      message = compose(kMsgMaskTooMany, {shown, std::to_string(check.count),
                                          std::to_string(kMaxVariables)});
      break;
  }
}

// The layouts read whole rather than line by line.
constexpr std::string_view kTableLayout = "table";
constexpr std::string_view kNetcdfLayout = "netcdf";

// The names of the layouts for a message: "free, ghcnm, climdiv, table and
// netcdf".
std::string layout_names() {
  std::string names;
  for (const Layout& l : kLayouts) names.append(l.name).append(", ");
  names.append(kTableLayout).append(" and ").append(kNetcdfLayout);
  return names;
}

// A whole number of digits only from `low` to `high`; `low` with a message
// otherwise.
std::int64_t count_of(std::string_view option, std::string_view value, std::int64_t low,
                      std::int64_t high, std::string& message) {
  std::int64_t n = 0;
  bool digits = !value.empty() && value.size() <= 19;
  for (char c : value) {
    if (c < '0' || c > '9') digits = false;
    else if (n <= high) n = n * 10 + (c - '0');
  }
  if (!digits || n < low || n > high) {
    message = compose(kMsgCountRange, {option, quoted(value), std::to_string(low), std::to_string(high)});
    return low;
  }
  return n;
}

// --skip: digits only; a count beyond any file's lines stays large.
std::int64_t skip_of(std::string_view value, std::string& message) {
  std::int64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') {
      message = compose(kMsgSkipNotNumber, {quoted(value)});
      return 0;
    }
    if (n < (std::int64_t{1} << 50)) n = n * 10 + (c - '0');
  }
  if (value.empty()) message = compose(kMsgSkipNotNumber, {quoted(value)});
  return n;
}

// The options of the layouts that contradict others.
std::string layout_conflict(const CliRequest& r) {
  const bool layout = !r.layout_name.empty();
  if (layout && r.data_set != 0) return std::string(kMsgLayoutAndDataSet);
  if (layout && !r.format.empty()) return compose(kMsgLayoutAndFormat, {r.layout_name});
  if (layout && !r.header_format.empty()) return compose(kMsgHeaderWithLayout, {r.layout_name});
  if (!r.coords.empty() && !layout && (r.data_set != 0 || !r.format.empty()))
    return std::string(kMsgCoordsWithoutLayout);
  if (!r.var.empty() && !r.netcdf) return std::string(kMsgVarWithoutNetcdf);
  if (r.has_region && r.has_near) return std::string(kMsgRegionAndNear);
  if (r.keep_flagged && (r.layout == nullptr || r.layout->name != "ghcnm"))
    return std::string(kMsgKeepFlaggedNotGhcnm);
  return {};
}

// Takes the value of an option: refuses a second one, checks it and sets the
// request.
void take(Parse& p, const OptionEntry& entry, std::string_view value) {
  auto& seen = p.seen[static_cast<std::size_t>(entry.id)];
  if (seen) {
    p.note(entry.argument.empty()
               ? compose(kMsgSwitchTwice, {long_form(entry)})
               : compose(kMsgGivenTwice, {long_form(entry), quoted(*seen), quoted(value)}));
    return;
  }
  seen = std::string(value);
  CliRequest& r = p.request;
  std::string message;
  switch (entry.id) {
    case OptionId::kind: {
      for (const OutputKind& k : kKinds)
        if (k.name == value) r.kind = k.kind;
      if (r.kind == 0) message = compose(kMsgKindUnknown, {quoted(value)});
      break;
    }
    case OptionId::data_set: r.data_set = data_set_of(value, message); break;
    case OptionId::format:
      check_format(long_form(entry), value, message);
      r.format = value;
      break;
    case OptionId::flag: {
      float flag = flag_of(value, message);
      if (message.empty()) r.flag = flag;
      break;
    }
    case OptionId::header_format:
      check_format(long_form(entry), value, message);
      r.header_format = value;
      break;
    case OptionId::mask:
      check_mask(value, message);
      r.mask = value;
      break;
    case OptionId::min_months: r.min_months = min_months_of(value, message); break;
    case OptionId::output:
      if (value.empty()) message = std::string(kMsgOutputEmpty);
      r.output = value;
      break;
    case OptionId::output_dir:
      if (value.empty()) message = std::string(kMsgOutputDirEmpty);
      r.output_dir = value;
      break;
    case OptionId::quiet: r.quiet = true; break;
    case OptionId::explain: p.explain = true; break;
    case OptionId::help: p.help = true; break;
    case OptionId::version: p.version = true; break;
    case OptionId::layout:
      r.layout_name = value;
      r.layout = find_layout(value);
      r.table = value == kTableLayout;
      r.netcdf = value == kNetcdfLayout;
      if (r.layout == nullptr && !r.table && !r.netcdf)
        message = compose(kMsgLayoutUnknown, {quoted(value), layout_names()});
      break;
    case OptionId::coords:
      if (value.empty()) message = std::string(kMsgCoordsEmpty);
      r.coords = value;
      break;
    case OptionId::skip: r.skip = skip_of(value, message); break;
    case OptionId::keep_flagged: r.keep_flagged = true; break;
    case OptionId::var: r.var = value; break;
    case OptionId::chronology:
      if (value.empty()) message = std::string(kMsgChronologyEmpty);
      r.chronology = value;
      break;
    case OptionId::chronology_id: r.chronology_id = value; break;
    case OptionId::screen: r.screen = true; break;
    case OptionId::span:
      r.span_years = static_cast<int>(count_of(long_form(entry), value, 1, 5, message));
      break;
    case OptionId::max_months:
      r.max_months = static_cast<int>(count_of(long_form(entry), value, 1, 24, message));
      break;
    case OptionId::min_years:
      r.min_years = static_cast<int>(count_of(long_form(entry), value, 3, 100000, message));
      break;
    case OptionId::method:
      if (value == "spearman") r.spearman = true;
      else if (value != "pearson") message = compose(kMsgMethodUnknown, {quoted(value)});
      break;
    case OptionId::bootstrap:
      r.bootstrap = static_cast<int>(count_of(long_form(entry), value, 0, 100000, message));
      break;
    case OptionId::seed:
      r.seed = static_cast<std::uint64_t>(
          count_of(long_form(entry), value, 0, std::int64_t{1} << 62, message));
      break;
    case OptionId::region:
      r.has_region = parse_region(value, r.region, message);
      if (!r.has_region) message = long_form(entry) + " " + message;
      break;
    case OptionId::near:
      r.has_near = parse_near(value, r.near, message);
      if (!r.has_near) message = long_form(entry) + " " + message;
      break;
  }
  if (!message.empty()) p.note(std::move(message));
}

const OptionEntry* long_option(std::string_view name) {
  for (const OptionEntry& entry : kOptions)
    if (entry.long_name == name) return &entry;
  return nullptr;
}

const OptionEntry* short_option(char c) {
  for (const OptionEntry& entry : kOptions)
    if (entry.short_name != 0 && entry.short_name == c) return &entry;
  return nullptr;
}

// "--name", "--name=value" or "--name value"; `i` moves past a value taken
// from the next argument.
void parse_long(Parse& p, std::span<const char* const> args, std::size_t& i) {
  std::string_view arg = args[i];
  std::size_t eq = arg.find('=');
  std::string_view name = arg.substr(2, eq == std::string_view::npos ? std::string_view::npos : eq - 2);
  const OptionEntry* entry = long_option(name);
  if (entry == nullptr) {
    p.note(compose(kMsgUnknownOption, {quoted(arg.substr(0, eq))}));
    return;
  }
  if (entry->argument.empty()) {
    if (eq != std::string_view::npos) p.note(compose(kMsgTakesNoValue, {long_form(*entry), quoted(arg)}));
    else take(p, *entry, "");
    return;
  }
  if (eq != std::string_view::npos) take(p, *entry, arg.substr(eq + 1));
  else if (i + 1 < args.size()) take(p, *entry, args[++i]);
  else p.note(compose(kMsgNeedsValue, {long_form(*entry), entry->argument}));
}

// "-q", "-qk tsf", "-ktsf": options without a value, then at most one with a
// value, which is the rest of the argument or the next one.
void parse_short(Parse& p, std::span<const char* const> args, std::size_t& i) {
  std::string_view arg = args[i];
  for (std::size_t j = 1; j < arg.size(); ++j) {
    const OptionEntry* entry = short_option(arg[j]);
    if (entry == nullptr) {
      p.note(compose(kMsgUnknownOption, {quoted(std::string("-") + arg[j])}));
      return;
    }
    if (entry->argument.empty()) {
      take(p, *entry, "");
      continue;
    }
    if (j + 1 < arg.size()) take(p, *entry, arg.substr(j + 1));
    else if (i + 1 < args.size()) take(p, *entry, args[++i]);
    else p.note(compose(kMsgNeedsValue, {std::string("-") + arg[j], entry->argument}));
    return;
  }
}

// Options that contradict each other, whatever the action.
std::string conflict(const CliRequest& r) {
  if (std::string layout = layout_conflict(r); !layout.empty()) return layout;
  std::string set = std::to_string(r.data_set);
  if (r.data_set != 0 && !r.format.empty()) return compose(kMsgFormatAndDataSet, {set});
  if (r.data_set != 0 && r.flag) return compose(kMsgFlagWithDataSet, {set});
  if (r.data_set != 0 && !r.header_format.empty()) return compose(kMsgHeaderWithDataSet, {set});
  if (r.output == kStandardOutput && r.kind == kMat) return std::string(kMsgOutputStdoutMat);
  if (r.output == kStandardOutput && r.kind == kNc) return std::string(kMsgOutputStdoutNc);
  if (r.output == kStandardOutput && !r.output_dir.empty())
    return std::string(kMsgOutputDirWithStdout);
  return {};
}

// What a run needs beyond the options' own checks.
std::string missing(const CliRequest& r) {
  if (r.kind == 0) return std::string(kMsgNeedKind);
  if (r.data_set == 0 && r.format.empty() && r.layout_name.empty()) return std::string(kMsgNeedLayout);
  if (!r.format.empty() && !r.flag) return std::string(kMsgNeedFlag);
  if (!r.format.empty() && r.header_format.empty() && (r.kind == kMat || r.kind == kGrd))
    return compose(kMsgNeedHeaderFormat, {kind_name(r.kind)});
  if (r.mask.empty() && !r.screen) return std::string(kMsgNeedMask);
  if (r.files.empty()) return std::string(kMsgNeedFile);
  return {};
}

// The output files of a FILE, none for standard output.
std::vector<std::string> outputs_of(const CliRequest& r, std::string_view file) {
  if (r.output == kStandardOutput) return {};
  OutputFiles out = output_files(output_prefix(r, file), r.kind, output_role(r));
  if (out.key.empty()) return {out.sea};
  return {out.sea, out.key};
}

// The FILEs and what they would write, compared as texts: no FILE twice, no
// output over a FILE, no two FILEs writing one output. (Two spellings of one
// file are found when the files are opened.) A glob of thousands of FILEs is
// checked in n log n.
std::string file_fault(const CliRequest& r) {
  if (!r.output.empty() && r.files.size() > 1)
    return compose(kMsgOutputSeveralFiles, {quoted(r.output), std::to_string(r.files.size())});
  std::map<std::string_view, std::size_t> files;  // a FILE and its place
  for (std::size_t i = 0; i < r.files.size(); ++i) {
    const std::string& file = r.files[i];
    if (file == kStandardOutput) return std::string(kMsgFileStandardInput);
    if (file.empty()) return std::string(kMsgFileEmpty);
    if (!files.emplace(file, i).second) return compose(kMsgFileTwice, {quoted(file)});
  }
  std::map<std::string, std::size_t> writers;  // an output and the FILE that writes it
  for (std::size_t i = 0; i < r.files.size(); ++i) {
    const std::string& writer = r.files[i];
    for (std::string& out : outputs_of(r, writer)) {
      if (auto hit = files.find(out); hit != files.end())
        return hit->second == i ? compose(kMsgOutputIsOwnFile, {quoted(writer)})
                                : compose(kMsgOutputIsFile, {quoted(out), quoted(writer)});
      auto [at, fresh] = writers.emplace(std::move(out), i);
      if (!fresh)
        return compose(kMsgSameOutputs,
                       {quoted(r.files[at->second]), quoted(writer), quoted(at->first)});
    }
  }
  return {};
}

// Whether option `id` was given.
bool given(const Parse& p, OptionId id) { return p.seen[static_cast<std::size_t>(id)].has_value(); }

std::string given_name(OptionId id) {
  for (const OptionEntry& e : kOptions)
    if (e.id == id) return long_form(e);
  return {};
}

// The options of a chronology and its screen that contradict others.
std::string chronology_conflict(const Parse& p) {
  const CliRequest& r = p.request;
  // --explain says what a screen computes without a chronology
  for (OptionId id : {OptionId::chronology_id, OptionId::screen, OptionId::min_years,
                      OptionId::method, OptionId::bootstrap, OptionId::seed})
    if (given(p, id) && r.chronology.empty() && !(p.explain && id != OptionId::chronology_id))
      return compose(kMsgNeedChronology, {given_name(id)});
  for (OptionId id : {OptionId::span, OptionId::max_months})
    if (given(p, id) && !r.screen) return compose(kMsgNeedScreen, {given_name(id)});
  if (r.chronology.empty()) return {};
  if (r.screen && !r.mask.empty()) return std::string(kMsgScreenAndMask);
  if (r.kind != 0 && r.kind != kCsv && r.kind != kNc && r.kind != kGrd)
    return compose(kMsgChronologyKind, {kind_name(r.kind)});
  if (r.output == kStandardOutput && r.screen) return std::string(kMsgChronologyStdout);
  return {};
}

CliRequest finish(Parse& p) {
  CliRequest& r = p.request;
  std::string message = p.fault;
  if (message.empty()) message = conflict(r);
  if (message.empty()) message = chronology_conflict(p);
  if (message.empty() && p.explain && r.mask.empty() && !r.screen)
    message = std::string(kMsgNeedMask);
  if (message.empty() && !p.explain) message = missing(r);
  if (message.empty() && !p.explain) message = file_fault(r);
  r.action = p.help      ? CliAction::help
             : p.version ? CliAction::version
             : !message.empty() ? CliAction::usage_error
             : p.explain ? CliAction::explain
                         : CliAction::run;
  if (r.action == CliAction::usage_error) r.error = std::move(message);
  return std::move(r);
}

}  // namespace

CliRequest parse_command_line(std::span<const char* const> args) {
  Parse p;
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (!options_end && arg == "--") options_end = true;
    else if (options_end || arg.size() < 2 || arg[0] != '-') p.request.files.emplace_back(arg);
    else if (arg[1] == '-') parse_long(p, args, i);
    else parse_short(p, args, i);
  }
  return finish(p);
}

std::string usage_error_text(std::string_view message) {
  std::string text(kUsagePrefix);
  text += message;
  text += '\n';
  text += kUsageHint;
  text += '\n';
  return text;
}

OutputRole output_role(const CliRequest& request) {
  if (request.chronology.empty()) return OutputRole::values;
  return request.screen ? OutputRole::screen : OutputRole::correlation;
}

std::string output_prefix(const CliRequest& request, std::string_view file) {
  std::string stem = request.output;
  if (stem.empty()) {
    stem = file_stem(file);
    if (!request.output_dir.empty()) stem = stem.substr(stem.rfind('/') + 1);
  }
  if (request.output_dir.empty() || (!stem.empty() && stem[0] == '/')) return stem;
  std::string dir = request.output_dir;
  if (dir.back() != '/') dir += '/';
  return dir + stem;
}

}  // namespace versel
