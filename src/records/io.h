// The record layer as the rest of versel sees it: formatted reads and writes
// on the console, numbered file units and texts held in memory, the unit
// operations and the pause.
//
// A read or write that fails without a branch throws RunFailure
// (records/failure.h) with the failed statement: the front end that catches
// it shows it, in the dialogue as three lines on standard error, such as
//     ? versel run-time error:
//     ? Illegal character in numeric input
//     ? READ(UNIT=*,...
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "records/format.h"
#include "records/input_file.h"
#include "records/values.h"

namespace versel {

enum class UnitKind : std::uint8_t { console, file, internal };

// A unit: the console `*`, a numbered file, or a text held in memory (the
// INTERNAL unit: exactly one record, the whole text).
struct Unit {
  UnitKind kind;
  int number = 0;
  std::string_view text;
};
inline constexpr Unit kConsole{UnitKind::console, 0, {}};
inline constexpr Unit file_unit(int number) { return {UnitKind::file, number, {}}; }
inline constexpr Unit internal(std::string_view text) { return {UnitKind::internal, 0, text}; }

// The file units of a run.
inline constexpr int kSeaUnit = 12;
inline constexpr int kKeyUnit = 13;
inline constexpr int kDataUnit = 14;

// A format text and where it comes from. A plain literal is one of the
// program's fixed formats; held() marks a catalogue, typed or header format.
struct FormatText {
  std::string_view text;
  FormatOrigin origin = FormatOrigin::fixed;
  FormatText(const char* t) : text(t) {}
  FormatText(std::string_view t, FormatOrigin o) : text(t), origin(o) {}
};
inline FormatText held(std::string_view text) { return {text, FormatOrigin::held}; }

// What a read with branches returns; without a branch it returns only `ok`.
enum class IoStatus : std::uint8_t { ok, error, end };

// Branches a read may have: on_error takes every failure, the end of the file
// included unless on_end is given too.
enum Branches : unsigned { kNoBranch = 0, kOnError = 1, kOnEnd = 2, kOnBoth = 3 };

IoStatus read(Unit unit, FormatText format, std::span<const Dest> dests,
              unsigned branches = kNoBranch);
inline IoStatus read(Unit unit, FormatText format, DestList dests,
                     unsigned branches = kNoBranch) {
  return read(unit, format, std::span<const Dest>(dests.begin(), dests.size()), branches);
}

// Reads the next record of a console or file unit whole, as "(a)" into a text
// as long as the record: carriage returns dropped, tabs expanded, or kept as
// the file holds them with Tabs::kept (the layouts, whose fields tabs
// separate).
IoStatus read_line(Unit unit, std::string& line, unsigned branches = kNoBranch,
                   Tabs tabs = Tabs::expanded);

// Reads `line` as a year line through the held data format `format_text`: a
// year and twelve monthly values. False when it is no year line (`year` and
// `months` are then unspecified). One rule, for year lines alone: a month
// field that holds no digit (blanks, a lone "-", "+" or ".", or nothing
// because the line ends before it) takes `flag`, exactly as if the flag were
// written there; a year field that holds no digit makes the line no year
// line. Every other field reads as the format reads it ("0", "0.0" and "-0"
// are real zeros):
//     " 1931   53    -  123"         "(1x,i4,12f5.1)": 1931; 5.3, flag, 12.3, nine flags
//     "WYDIV8       41.10-104.80"    "(6x,i4,12f7.2)": no year line
bool read_year_record(std::string_view format_text, std::string_view line, float flag,
                      std::int32_t& year, std::array<float, 12>& months);

// Whether `line` is a year line under the data format, and its year: the
// same answer as read_year_record, without converting the months.
bool is_year_record(std::string_view format_text, std::string_view line, std::int32_t& year);

void write(Unit unit, FormatText format, std::span<const Value> values);
inline void write(Unit unit, FormatText format, ValueList values) {
  write(unit, format, std::span<const Value>(values.begin(), values.size()));
}

// The free write of a text: one blank, then the text.
void free_write(Unit unit, std::string_view text);

// Where the console's records go: standard output (the dialogue), or nowhere
// (the command line, whose standard output carries only what "-o -" asks
// for). A discarded write is not even formatted.
enum class ConsoleOutput : std::uint8_t { standard_output, discarded };
void set_console_output(ConsoleOutput where);

// Writes `text` as a free write on the console, then waits for a typed line.
void pause(std::string_view text);

// The end of a run's files: outputs not committed removed, every open file
// closed and the console's output flushed; a failure to write them out is a
// failed statement.
void close_all_units();

enum class OpenStatus : std::uint8_t {
  old,      // for reading; the file must exist
  unknown,  // for writing; replaces the file of that name at the commit
};
// A file opened OLD is read as it is needed, never held whole. A file opened
// UNKNOWN is written under a temporary name beside the final one when it is
// new or a regular file (the target of a link, for a link), and takes the
// final name only at commit_outputs: until then an earlier file of that name
// stays as it was. A device or a named pipe is written directly.
void open(int unit, std::string_view name, OpenStatus status);

// Connects `unit` for writing to the process's standard output: its records
// go out as they are written, its close flushes them and leaves standard
// output open, and nothing of it is replaced or removed at any end. Messages
// name it "standard output".
void open_standard_output(int unit);

// The path of the file an output unit writes: for an output under a
// temporary name, that name (which commit_outputs renames), else the name it
// was opened with. For a library that writes a file by its path (the netCDF
// library): the unit's own stream stays empty and its close and commit
// work as for any other output.
std::string output_path(int unit);

// The name a unit was opened with, as messages show the file.
std::string unit_name(int unit);

void close(int unit);
void rewind(int unit);
void backspace(int unit);

// The line number (from 1) of the record of an input unit read last; a
// backspace steps it back with the position, a rewind sets it to 0. Zero for
// a unit that is not an open input file.
std::int64_t record_number(int unit);

// The outputs take their final names: every output unit written under a
// temporary name closed, then each renamed over the earlier file. For a run
// that writes two files, both are written out before either is renamed. A
// failure takes the failure path, which removes what was not renamed.
void commit_outputs();

// Every output written under a temporary name closed and removed; the
// earlier files stay as they were. close_all_units and abandon_run do this
// themselves.
void discard_outputs();

// What a failed run's files need before its message: discard_outputs, then
// every unit closed, errors ignored. The catcher of RunFailure calls it, and
// the unit table is ready for the next run.
void abandon_run();

}  // namespace versel
