// The viewer `snoop`: paging through the data file, reading to its end with
// the last five lines, and the prompt at its end that shows it again.
#include "dialogue/snoop.h"

#include "capacities.h"
#include "run_settings.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr const char* kHeading =
    "(/' snooping in the data file (first 70 characters/line):')";
constexpr const char* kRuler =
    "(7x,'.........1.........2.........3.........4.........5.........6.........7...')";
constexpr const char* kShownLine = "(1x,i4,2x,a)";
constexpr const char* kPagePrompt =
    "(/' more <ret>, read to end <e>, return to main program <m> ',$)";
constexpr const char* kBackFromPage = "(/' end-of-snoop: ',i5,' lines read'/)";
constexpr const char* kLastFive = "(/' last 5 lines in file (first 70 characters):')";
constexpr const char* kEndOfFile = "(' end-of-snoop: ',i5,' lines read')";
constexpr const char* kEndPrompt = "(' more <ret> or return to main program <m> ',$)";

constexpr std::int32_t kPageLines = 5;

using ViewerLine = FixedText<kViewerLineLength>;

// Tabs are expanded by the record reader already; one that is left shows as
// a single blank.
void show(std::int32_t number, ViewerLine& line) {
  for (char& c : line)
    if (c == '\t') c = ' ';
  write(kConsole, kShownLine, {number, view(line)});
}

PageAnswer ask_page(const char* prompt) {
  write(kConsole, prompt, {});
  FixedText<1> more;
  read(kConsole, "(a)", {to(more)});
  return page_answer(more[0]);
}

// Shows the last five lines with their true numbers; `count` lines have
// been read, at least five, and the file stands at its end.
void show_last_five(int unit, std::int32_t count) {
  for (std::int32_t k = 0; k < kPageLines; ++k) backspace(unit);
  write(kConsole, kLastFive, {});
  write(kConsole, kRuler, {});
  ViewerLine line;
  for (std::int32_t k = 1; k <= kPageLines; ++k) {
    read(file_unit(unit), "(a)", {to(line)});
    show(count - kPageLines + k, line);
  }
}

}  // namespace

PageAnswer page_answer(char first) {
  if (first == 'e') return PageAnswer::to_end;
  if (first == 'm') return PageAnswer::back;
  return PageAnswer::more;
}

void snoop(int unit) {
  rewind(unit);
  write(kConsole, kHeading, {});
  write(kConsole, kRuler, {});
  ViewerLine line;
  for (;;) {
    std::int32_t count = 0;
    bool to_end = false;
    while (read(file_unit(unit), "(a)", {to(line)}, kOnEnd) != IoStatus::end) {
      ++count;
      if (to_end) continue;
      show(count, line);
      if (count % kPageLines != 0) continue;
      switch (ask_page(kPagePrompt)) {
        case PageAnswer::to_end:
          to_end = true;
          break;
        case PageAnswer::back:
          rewind(unit);
          write(kConsole, kBackFromPage, {count});
          return;
        case PageAnswer::more:
          write(kConsole, kRuler, {});
          break;
      }
    }
    if (to_end) show_last_five(unit, count);
    rewind(unit);
    write(kConsole, kEndOfFile, {count});
    if (ask_page(kEndPrompt) == PageAnswer::back) return;
  }
}

}  // namespace versel
