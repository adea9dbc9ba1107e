// The prompts of the user-defined format: data format, missing-value flag
// with its retry, the echo, and the header format of mat and grd output.
#include "dialogue/user_format.h"

#include <string>

#include "sources/catalogue.h"
#include "dialogue/snoop.h"
#include "records/failure.h"
#include "dialogue/run_end.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr const char* kFormatPrompt =
    "(/'   enter climate data format (h for help)',t45,'==> ',$)";
constexpr const char* kFlagPrompt =
    "(/' given the format of your data in decimal units,'"
    "/' enter the missing value flag in the same decimal'"
    "/' or floating point (i.e. f5.1) units. e.g.,'"
    "/'  sst data = -99.99 slp data = 0.0',t45,'==> ',$)";
constexpr const char* kEcho =
    "(' format entered:',a"
    "/' missing value flag: ',f8.3)";
constexpr const char* kHeaderReason =
    "('   you have selected to reformat your data into either'"
    "/' matlab or GMT formats. these formats require'"
    "/' additional information of latitude and longitude. if'"
    "/' your dataset was not listed above than you must enter'"
    "/' now the format from which to read coordinates of lat.'"
    "/' and lon. from the first line of each record.')";
constexpr const char* kHeaderPrompt =
    "(/'   enter header data format (h for help)',t45,'==> ',$)";

// Asks with `prompt` until the answer is a format, which it leaves in `text`;
// the viewer in between rewinds the data file.
void ask_format(const char* prompt, FixedText<kFormatTextLength>& text) {
  for (;;) {
    write(kConsole, prompt, {});
    blank(text);
    read(kConsole, "(a)", {to(text)});
    switch (format_answer(view(text))) {
      case FormatAnswer::quit: stop();
      case FormatAnswer::view_file: snoop(kDataUnit); break;
      case FormatAnswer::format: return;
    }
  }
}

// An answer that is no number asks again; the end of the typed input ends
// the run like any other console read.
void ask_flag(float& flag) {
  for (;;) {
    write(kConsole, kFlagPrompt, {});
    IoStatus st = read(kConsole, "(f)", {to(flag)}, kOnBoth);
    if (st == IoStatus::ok) return;
    if (st == IoStatus::end) fail(Failure{false, std::string(kMsgReadPastEnd), "READ", kConsole});
  }
}

}  // namespace

void ask_user_format(RunSettings& s) {
  ask_format(kFormatPrompt, s.FRM);
  ask_flag(s.FLAG);
  write(kConsole, kEcho, {view(s.FRM), s.FLAG});
  if (s.FMTCTRL > 1) {
    write(kConsole, kHeaderReason, {});
    ask_format(kHeaderPrompt, s.FRM3);
  }
}

}  // namespace versel
