// The data-set menu with its introduction and re-prompt, and the settings
// summary.
#include "dialogue/data_set_menu.h"

#include "sources/catalogue.h"
#include "dialogue/user_format.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr const char* kIntroduction =
    "(/' you must enter the format of your data file in'"
    "/' fortran syntax. e.g.,(1x,i4,12f5.2) to read ukmo  '"
    "/' sst data format entered with parenthasese is '"
    "/' (1x,i4,12f5.2). if your file has a different '"
    "/' format you may enter h for help and enter your'"
    "/' own format.'"
    "/'   when using this program on a number of commonly'"
    "/' used data sets, their file format are already known.'"
    "/' you may select the proper format from the list below.'"
    "//'   select your file format __________________________________')";
constexpr const char* kMenuLine = "(a)";
constexpr const char* kPrompt =
    "(/' enter file format and type __________________________  [1-13] :> ',$)";
constexpr const char* kNotAChoice =
    "(' to quit program type [command][.]'"
    "/' otherwise enter a value between 1-10')";
constexpr const char* kSummary =
    "(/'             format(s)              missing value flag'"
    "/' read data    ',a25,1x,f8.3"
    "/' read lat/lon ',a25)";

void write_menu() {
  write(kConsole, kIntroduction, {});
  for (const DataSet& row : known_data_sets()) write(kConsole, kMenuLine, {row.menu_line});
  write(kConsole, kMenuLine, {user_defined_menu_line()});
  write(kConsole, kPrompt, {});
}

}  // namespace

void choose_data_set(RunSettings& s) {
  for (;;) {
    write_menu();
    read(kConsole, "(i2)", {to(s.IFMT)});
    blank(s.FRM);
    if (const DataSet* row = known_data_set(s.IFMT)) {
      take_data_set(*row, s);
      break;
    }
    if (s.IFMT == kUserDefined) {
      ask_user_format(s);
      break;
    }
    write(kConsole, kNotAChoice, {});
  }
  write_summary(s);
}

void write_summary(const RunSettings& s) {
  write(kConsole, kSummary, {view(s.FRM), s.FLAG, view(s.FRM3)});
}

}  // namespace versel
