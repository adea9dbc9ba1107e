// The unit table: the console, numbered file units and the records they
// deliver. The one global state of the program lives here.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "capacities.h"
#include "records/failure.h"
#include "records/field_cache.h"
#include "records/format.h"
#include "records/input_file.h"
#include "records/io.h"
#include "records/progress.h"
#include "records/replacement.h"
#include "records/year_line.h"

namespace versel {

inline constexpr int kMaxUnit = 99;

struct UnitSlot {
  bool open = false;
  bool input = false;       // opened OLD, for reading
  std::string name;
  InputFile in;             // an input file
  std::FILE* out = nullptr; // an output file
  bool temporary = false;   // `out` is written under a temporary name (pending)
  bool standard = false;    // `out` is the process's standard output
};

// A translated format as the cache keeps it, with the fixed columns of its
// year line once the format has read one.
struct CachedFormat {
  Format format;
  YearLinePlan year_line;
  bool year_line_planned = false;
};

struct UnitTable {
  std::array<UnitSlot, kMaxUnit + 1> slots;
  std::string line;         // a record that needed its tabs or CRs edited
  std::string console_line; // the last line typed
  std::string out;          // records of the statement being written
  // translated formats, kept while their text is unchanged; the key is the
  // origin character, then the text
  std::unordered_map<std::string, CachedFormat> formats;
  std::string key;          // scratch for the cache lookup
  // the formats used last, looked at before the map: a station's lines
  // alternate between the data format and the output format
  std::array<std::pair<const std::string, CachedFormat>*, 4> recent{};
  FieldCache fields;        // F fields edited before
  // output files written under temporary names, renamed at the commit;
  // changed only through replacement.h, which a signal handler relies on
  std::vector<PendingOutput> pending;
  // where the console's records go: the dialogue's (the default) or nowhere
  ConsoleOutput console_output = ConsoleOutput::standard_output;
  ProgressLine progress;
};

UnitTable& units();

// Ignores SIGPIPE so that a closed standard output is a write failure of the
// console, not a silent death, and lets SIGINT, SIGTERM and SIGHUP remove
// the temporary files of the outputs. Called once by main.
void start_records();

// The translated format of a text, from the cache when seen before.
CachedFormat& cached_entry(FormatText text);
inline const Format& cached_format(FormatText text) { return cached_entry(text).format; }

// The next record of a console or file unit, carriage returns dropped and
// tabs expanded (or kept): a view valid until the next record operation. False at the
// end of the data; a failure is stored in `fail` (with fail.message
// non-empty), except a read error of a data file, which takes the failure
// path at once: no branch of a read may take it for a short file.
bool next_record(Unit unit, std::string_view& record, Failure& fail, Tabs tabs = Tabs::expanded);

// Writes the bytes of finished records to a console or file unit.
bool put_records(Unit unit, std::string_view bytes, Failure& fail);

// Closes every open unit; false with `fail` set when buffered output could
// not be written. `quiet` ignores all errors (the failure path). Outputs
// written under temporary names stay pending.
bool close_all(Failure& fail, bool quiet);

// The normal end of the outputs: every unit written under a temporary name
// closed, then every pending output renamed over its target. False with
// `fail` set when one could not be written out or renamed; the outputs not
// yet renamed stay pending (discard_outputs removes them).
bool commit_pending(Failure& fail);

}  // namespace versel
