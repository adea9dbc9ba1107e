// mat rows and grd lines of long-term means.
#include "collect/writers.h"

#include <span>

#include "records/io.h"

namespace versel {
namespace {

bool three_decimals(const RunSettings& s) { return s.IFMT == 3 || s.IFMT == 4; }

}  // namespace

void write_mat(const RunSettings& s, const ResultTables& t) {
  const char* format = three_decimals(s) ? "(1x,i4,2x,i2,2000(1x,f8.3))"
                                         : "(1x,i4,2x,i2,2000(1x,f8.2))";
  std::int64_t rows = static_cast<std::int64_t>(t.ISTOP) * t.NCV;
  std::span<const float> none;
  for (std::int32_t I = 1; I <= rows && I <= kMatrixRows; ++I) {
    std::int32_t year = t.MIN1 + (I - 1) / t.NCV;
    std::int32_t season = (I - 1) % t.NCV + 1;
    std::span<const float> values =
        t.MATRIX ? std::span<const float>(t.MATRIX->row(I), static_cast<std::size_t>(t.NGRID)) : none;
    write(file_unit(kSeaUnit), format, {year, season, reals(values)});
  }
}

void compute_means(const RunSettings& s, ResultTables& t) {
  for (std::int32_t P = 1; P <= t.NGRID; ++P) {
    std::int32_t years = t.NYC2[static_cast<std::size_t>(P - 1)];
    for (std::int32_t K = 1; K <= t.NCV; ++K) {
      float SUM = 0.0f;
      std::int32_t N = 0;
      for (std::int32_t i = 0; i < years; ++i) {
        float v = t.MATRIX->at(K + i * t.NCV, P);
        if (v == s.FLAG) continue;
        ++N;
        SUM += v;
      }
      // a season of valid values that add up to 0 is dry, not missing
      t.UCV[static_cast<std::size_t>(P - 1)][static_cast<std::size_t>(K - 1)] =
          N == 0 ? s.FLAG : SUM / static_cast<float>(N);
    }
  }
}

void write_grd(const RunSettings& s, ResultTables& t) {
  write(kConsole, "(1x,i2)", {s.IFMT});
  compute_means(s, t);
  const char* format = three_decimals(s) ? "(1x,2(f8.3),30(1x,f8.3))" : "(1x,2(f8.2),30(1x,f8.2))";
  for (std::int32_t P = 1; P <= t.NGRID; ++P) {
    std::size_t k = static_cast<std::size_t>(P - 1);
    write(file_unit(kSeaUnit), format,
          {t.RLAT3[k], t.RLON3[k],
           reals(std::span<const float>(t.UCV[k].data(), static_cast<std::size_t>(t.NCV)))});
  }
}

}  // namespace versel
