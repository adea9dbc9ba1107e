// The input-file prompt and the opens of units 14, 12 and 13 with the check
// that no output file is the input file.
#include "dialogue/file_names.h"

#include "collect/output_names.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr const char* kPrompt =
    "(/' enter name of monthly climate data'"
    "/' file to seasonalize:',t45,'=> ',$)";

}  // namespace

void name_files(RunSettings& s) {
  write(kConsole, kPrompt, {});
  read(kConsole, "(a)", {to(s.INFILE)});
  std::string_view infile = trimmed(s.INFILE);
  open(kDataUnit, infile, OpenStatus::old);

  s.ISKIP = stem_length(view(s.INFILE));
  s.OUTFL = output_name(view(s.INFILE), s.ISKIP, kSeaSuffix);
  std::string_view sea = trimmed(s.OUTFL);
  if (s.FMTCTRL == kMat) s.OUTFL2 = output_name(view(s.INFILE), s.ISKIP, kKeySuffix);
  refuse_clashing_outputs(infile, sea, s.FMTCTRL == kMat ? trimmed(s.OUTFL2) : "");

  open(kSeaUnit, sea, OpenStatus::unknown);
  if (s.FMTCTRL == kMat) open(kKeyUnit, trimmed(s.OUTFL2), OpenStatus::unknown);
}

}  // namespace versel
