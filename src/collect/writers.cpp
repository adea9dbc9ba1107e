// tsf lines, _key lines, mat rows and grd lines of long-term means.
#include "collect/writers.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

#include "records/io.h"

namespace versel {
namespace {

bool three_decimals(const RunSettings& s) { return s.IFMT == 3 || s.IFMT == 4; }

// The values of a mat row go out in statements of at most this many fields,
// the count the row format holds: a row of more stations continues the same
// line ("$") instead of starting a new one.
constexpr std::size_t kRowFields = 2000;

// The rows of the matrix turned around at once take about this much memory.
constexpr std::size_t kRowBlockBytes = std::size_t{8} << 20;

}  // namespace

void write_tsf_header(const RunSettings& s, const std::string& H) {
  Unit sea = file_unit(kSeaUnit);
  std::string_view h = H;
  std::string_view T = view(s.FRMOUT);
  switch (s.IFMT) {
    case 1: write(sea, "(1x,42a1,1x,a)", {cells(h.substr(1, 42), 1), T}); break;
    case 2: write(sea, "(1x,42a1,30a)", {cells(h.substr(1, 43), 1), T}); break;
    case 3:
    case 4: write(sea, "(1x,a41,a)", {h.substr(0, 41), T}); break;
    case 5: write(sea, "(1x,a40,a)", {h.substr(0, 40), T}); break;
    case 6: write(sea, "(1x,a20,a31,a)", {h.substr(0, 20), h.substr(32, 31), T}); break;
    default: write(sea, "(1x,a)", {h}); break;
  }
}

void write_tsf_station(const RunSettings& s, const Station& st) {
  write(kConsole, "(1x,' ncv= ',i4,' nyc ',i4,1x,i2)", {st.NCV, st.NYC, s.IFMT});
  const char* format = three_decimals(s) ? "(i5,30f8.3)" : "(i5,30f8.2)";
  for (std::int32_t i = 0; i < st.NYC; ++i)
    write(file_unit(kSeaUnit), format,
          {st.IFC + i, reals(std::span<const float>(st.year(i), static_cast<std::size_t>(st.NCV)))});
}

void write_key_line(float RLAT, float RLON) {
  write(file_unit(kKeyUnit), "(1x,2(f8.2))", {RLAT, RLON});
}

void keep_means(const RunSettings& s, const StationData& d, const Station& st, std::int32_t ncv,
                ResultTables& t) {
  t.RLAT3.push_back(d.RLAT);
  t.RLON3.push_back(d.RLON);
  for (std::int32_t K = 0; K < ncv; ++K) {
    float SUM = 0.0f;
    std::int32_t N = 0;
    for (std::int32_t i = 0; i < st.NYC; ++i) {
      float v = st.year(i)[K];
      if (v == s.FLAG) continue;
      ++N;
      SUM += v;
    }
    // a season of valid values that add up to 0 is dry, not missing
    t.UCV.push_back(N == 0 ? s.FLAG : SUM / static_cast<float>(N));
  }
}

void write_mat(const RunSettings& s, const ResultTables& t) {
  const bool three = three_decimals(s);
  const char* whole = three ? "(1x,i4,2x,i2,2000(1x,f8.3))" : "(1x,i4,2x,i2,2000(1x,f8.2))";
  const char* first = three ? "(1x,i4,2x,i2,2000(1x,f8.3),$)" : "(1x,i4,2x,i2,2000(1x,f8.2),$)";
  const char* middle = three ? "(2000(1x,f8.3),$)" : "(2000(1x,f8.2),$)";
  const char* last = three ? "(2000(1x,f8.3))" : "(2000(1x,f8.2))";
  if (t.NCV < 1) return;
  const std::int64_t rows = static_cast<std::int64_t>(t.ISTOP) * t.NCV;
  const std::size_t n = static_cast<std::size_t>(t.NGRID);
  const Unit sea = file_unit(kSeaUnit);
  // The matrix is kept by station; a block of rows is turned around into
  // rows, so that both the filling and this reading go through memory in
  // order.
  const std::int64_t block = std::clamp<std::int64_t>(
      static_cast<std::int64_t>(kRowBlockBytes / (sizeof(float) * (n ? n : 1))), 1, 256);
  std::vector<float> turned(static_cast<std::size_t>(std::min(block, rows)) * n);
  for (std::int64_t b0 = 1; b0 <= rows; b0 += block) {
    const std::int64_t b1 = std::min(rows, b0 + block - 1);
    const std::size_t height = static_cast<std::size_t>(b1 - b0 + 1);
    for (std::size_t k = 0; k < n; ++k) {
      const float* from = t.MATRIX.column(static_cast<std::int64_t>(k) + 1) + (b0 - 1);
      for (std::size_t r = 0; r < height; ++r) turned[r * n + k] = from[r];
    }
    for (std::int64_t I = b0; I <= b1; ++I) {
      std::int32_t year = static_cast<std::int32_t>(t.MIN1 + (I - 1) / t.NCV);
      std::int32_t season = static_cast<std::int32_t>((I - 1) % t.NCV + 1);
      std::span<const float> values(turned.data() + static_cast<std::size_t>(I - b0) * n, n);
      if (n <= kRowFields) {
        write(sea, whole, {year, season, reals(values)});
        continue;
      }
      write(sea, first, {year, season, reals(values.first(kRowFields))});
      for (std::size_t k = kRowFields; k < n; k += kRowFields) {
        std::size_t count = std::min(kRowFields, n - k);
        write(sea, k + count < n ? middle : last, {reals(values.subspan(k, count))});
      }
    }
  }
}

void write_grd(const RunSettings& s, const ResultTables& t) {
  write(kConsole, "(1x,i2)", {s.IFMT});
  const char* format = three_decimals(s) ? "(1x,2(f8.3),30(1x,f8.3))" : "(1x,2(f8.2),30(1x,f8.2))";
  const std::size_t stations = t.RLAT3.size();
  const std::size_t ncv = stations ? t.UCV.size() / stations : 0;
  for (std::size_t k = 0; k < stations; ++k) {
    std::span<const float> means(t.UCV.data() + k * ncv, static_cast<std::size_t>(t.NCV));
    write(file_unit(kSeaUnit), format, {t.RLAT3[k], t.RLON3[k], reals(means)});
  }
}

}  // namespace versel
