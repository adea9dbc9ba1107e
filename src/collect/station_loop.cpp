// The station loop: one call of the reduction per station until the data
// file has no further station.
#include "collect/station_loop.h"

#include <span>
#include <string>

#include "mask/clired.h"
#include "mask/mask_shape.h"
#include "records/failure.h"
#include "records/io.h"

namespace versel {
namespace {

void write_tsf_station(const RunSettings& s, const Station& st) {
  write(kConsole, "(1x,' ncv= ',i4,' nyc ',i4,1x,i2)", {st.NCV, st.NYC, s.IFMT});
  // data sets 3 and 4 carry three decimals
  const char* format = (s.IFMT == 3 || s.IFMT == 4) ? "(i5,30f8.3)" : "(i5,30f8.2)";
  for (std::int32_t i = 0; i < st.NYC; ++i) {
    const YearValues& row = st.Y[static_cast<std::size_t>(i)];
    write(file_unit(kSeaUnit), format,
          {st.IFC + i, reals(std::span<const float>(row.data(), static_cast<std::size_t>(st.NCV)))});
  }
}

// Copies a station into its column of MATRIX. mat places output year i in
// the year block of its label, IFC - MIN1 + 1; grd starts every station at
// row 1. A station whose blocks would leave the table is refused.
void copy_station(const RunSettings& s, const Station& st, std::int32_t NGRID, ResultTables& t) {
  if (st.NYC < 1) return;
  std::int64_t first = s.FMTCTRL == kMat ? static_cast<std::int64_t>(st.IFC) - t.MIN1 + 1 : 1;
  std::int64_t last = first + st.NYC - 1;
  if (first < 1 || (s.FMTCTRL == kMat && last > t.ISTOP) || last * st.NCV > kMatrixRows)
    fail_run({"station " + std::to_string(NGRID) + ": the years " + std::to_string(st.IFC) +
              " to " + std::to_string(st.IFC + st.NYC - 1) +
              " do not fit the rows of the matrix"});
  std::int64_t r0 = (first - 1) * st.NCV + 1;
  for (std::int32_t i = 0; i < st.NYC; ++i)
    for (std::int32_t v = 0; v < st.NCV; ++v)
      t.MATRIX->at(static_cast<int>(r0 + i * st.NCV + v), NGRID) =
          st.Y[static_cast<std::size_t>(i)][static_cast<std::size_t>(v)];
}

}  // namespace

void station_loop(const RunSettings& s, ResultTables& t) {
  MaskShape shape = analyse_mask(s.MASK);
  auto st = std::make_unique<Station>();
  float spare_lat = 0.0f, spare_lon = 0.0f;  // coordinates of a station past the tables
  std::int32_t NGRID = 1;
  for (;; ++NGRID) {
    bool in_tables = NGRID <= kMaxStations;
    // refused before its header is echoed or written when it is a station
    if (!in_tables && year_line_ahead(s))
      fail_run({"the data file holds more than " + std::to_string(kMaxStations) + " stations"});
    float& lat = in_tables ? t.RLAT3[static_cast<std::size_t>(NGRID - 1)] : spare_lat;
    float& lon = in_tables ? t.RLON3[static_cast<std::size_t>(NGRID - 1)] : spare_lon;
    clired(*st, s, shape, NGRID, lat, lon);
    if (st->EOF_) break;
    if (!in_tables)
      fail_run({"the data file holds more than " + std::to_string(kMaxStations) + " stations"});
    if (s.FMTCTRL == kTsf) write_tsf_station(s, *st);
    else copy_station(s, *st, NGRID, t);
    t.NYC2[static_cast<std::size_t>(NGRID - 1)] = st->NYC;
    t.NCV = st->NCV;
  }
  t.NGRID = NGRID - 1;
  write(kConsole, "(1x,i4,'      data sets read ')", {t.NGRID});
  write(kConsole, "(/1x,'*writing seasonalized values to output files*')", {});
}

}  // namespace versel
