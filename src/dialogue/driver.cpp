// The steps of a run in their order, and the closing: the files closed
// input first, _sea last, the outputs given their final names, then the
// closing lines.
#include "dialogue/driver.h"

#include "dialogue/banner_menu.h"
#include "dialogue/data_set_menu.h"
#include "dialogue/file_names.h"
#include "dialogue/later_steps.h"
#include "dialogue/run_end.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr const char* kClosing =
    "(/'  file: ',a,' processed'"
    "//'  normal termination of program versel')";

[[noreturn]] void close_run(const RunSettings& s) {
  close(kDataUnit);
  if (s.FMTCTRL == kMat) close(kKeyUnit);
  close(kSeaUnit);
  commit_outputs();
  write(kConsole, kClosing, {view(s.INFILE)});
  stop();
}

}  // namespace

void run(RunSettings& s) {
  run_to_the_end([&] {
    write_banner();
    s.FMTCTRL = ask_output_kind();
    name_files(s);
    choose_data_set(s);
    seasonalize(s);
    close_run(s);
  });
}

}  // namespace versel
