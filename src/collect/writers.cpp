// tsf lines, _key lines, mat rows and grd lines of long-term means.
#include "collect/writers.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

#include "mask/variable_names.h"
#include "sources/catalogue.h"
#include "records/edit_output.h"
#include "records/io.h"

namespace versel {
namespace {

bool three_decimals(const RunSettings& s) { return data_set_traits(s.IFMT).decimals == 3; }

// The values of a mat row go out in statements of at most this many fields,
// the count the row format holds: a row of more stations continues the same
// line ("$") instead of starting a new one.
constexpr std::size_t kRowFields = 2000;

// A csv value is edited in a field this wide, which holds every finite
// 32-bit real with three decimals, and its blanks cut.
constexpr std::size_t kCsvFieldWidth = 48;

// The rows of the matrix turned around at once take about this much memory.
constexpr std::size_t kRowBlockBytes = std::size_t{8} << 20;

}  // namespace

// A text field of a csv row: in double quotes, its quotes doubled, when it
// holds a comma, a quote or a line break (RFC 4180).
void append_csv_text(std::string& row, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    row += text;
    return;
  }
  row += '"';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

// A value as a tsf field shows it, rounded by the same rule, without the
// blanks before it.
void append_csv_number(std::string& row, float value, int decimals) {
  char field[kCsvFieldWidth];
  edit_f_out(field, kCsvFieldWidth, decimals, value, false);
  std::size_t first = 0;
  while (first < kCsvFieldWidth && field[first] == ' ') ++first;
  row.append(field + first, kCsvFieldWidth - first);
}

int csv_decimals(const RunSettings& s) { return three_decimals(s) ? 3 : 2; }

void write_tsf_header(const RunSettings& s, const std::string& H) {
  Unit sea = file_unit(kSeaUnit);
  std::string_view h = H;
  std::string_view T = view(s.FRMOUT);
  switch (data_set_traits(s.IFMT).tsf_header) {
    case TsfHeader::box_42: write(sea, "(1x,42a1,1x,a)", {cells(h.substr(1, 42), 1), T}); break;
    case TsfHeader::box_43: write(sea, "(1x,42a1,30a)", {cells(h.substr(1, 43), 1), T}); break;
    case TsfHeader::first_41: write(sea, "(1x,a41,a)", {h.substr(0, 41), T}); break;
    case TsfHeader::first_40: write(sea, "(1x,a40,a)", {h.substr(0, 40), T}); break;
    case TsfHeader::split: write(sea, "(1x,a20,a31,a)", {h.substr(0, 20), h.substr(32, 31), T}); break;
    case TsfHeader::whole: write(sea, "(1x,a)", {h}); break;
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

CsvTable csv_table(const RunSettings& s) {
  CsvTable t;
  t.decimals = csv_decimals(s);
  for (const ClimateVariable& v : climate_variables(s.MASK)) t.seasons.push_back(v.name);
  return t;
}

void write_csv_head() {
  write(file_unit(kSeaUnit), "(a)", {"station,name,lat,lon,year,season,value,n_months"});
}

void write_csv_station(const RunSettings& s, const CsvTable& csv, std::int32_t NGRID,
                       const StationData& d, const Station& st) {
  if (st.NYC < 1) return;
  // what the rows of the station share: its number, name and coordinates
  std::string start = std::to_string(NGRID);
  start += ',';
  if (d.has_header) append_csv_text(start, d.name);
  start += ',';
  if (d.has_coordinates) append_csv_number(start, d.RLAT, csv.decimals);
  start += ',';
  if (d.has_coordinates) append_csv_number(start, d.RLON, csv.decimals);
  start += ',';
  // the station's rows as one record: a row ends with CR LF, the last one by
  // the record's own line end
  std::string rows;
  for (std::int32_t i = 0; i < st.NYC; ++i) {
    const float* values = st.year(i);
    const std::uint8_t* counts = st.N.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(st.NCV);
    const std::string year = std::to_string(st.IFC + i) + ",";
    for (std::int32_t v = 0; v < st.NCV; ++v) {
      if (!rows.empty()) rows += "\r\n";
      rows += start;
      rows += year;
      rows += csv.seasons[static_cast<std::size_t>(v)];
      rows += ',';
      if (values[v] != s.FLAG) append_csv_number(rows, values[v], csv.decimals);
      rows += ',';
      if (values[v] != s.FLAG) rows += std::to_string(counts[v]);
    }
  }
  write(file_unit(kSeaUnit), "(a)", {rows});
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
