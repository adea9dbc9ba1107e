// The processing steps of a run after the dialogue.
#include "collect/collection.h"

#include <string>

#include "collect/prescan.h"
#include "collect/station_loop.h"
#include "collect/writers.h"
#include "mask/mask_shape.h"
#include "records/failure.h"

namespace versel {

void collect_and_write(const RunSettings& s) {
  auto t = std::make_unique<ResultTables>();
  if (s.FMTCTRL == kMat || s.FMTCTRL == kGrd) {
    // a cell that no station fills reads as missing
    t->MATRIX.reset(new Matrix);  // left unset until the fill below: 9.6 MB written once
    for (auto& row : t->MATRIX->cells) row.fill(s.FLAG);
  }
  if (s.FMTCTRL == kMat) {
    clired2(s, *t);
    std::int64_t rows = static_cast<std::int64_t>(t->ISTOP) * analyse_mask(s.MASK).NCV;
    if (rows > kMatrixRows)
      fail_run({"the data file spans " + std::to_string(t->ISTOP) + " years; with " +
                std::to_string(analyse_mask(s.MASK).NCV) + " climate variables they need " +
                std::to_string(rows) + " rows, more than the " + std::to_string(kMatrixRows) +
                " rows of the matrix"});
  }
  station_loop(s, *t);
  if (s.FMTCTRL == kMat) write_mat(s, *t);
  if (s.FMTCTRL == kGrd) write_grd(s, *t);
}

}  // namespace versel
