// The example files of each layout read whole: their stations, names,
// years, coordinates and the months the files mark as missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sources/data_lines.h"
#include "sources/station_reader.h"
#include "records/io.h"

namespace versel {
namespace {

const std::string kExamples = std::string(VERSEL_TEST_DATA) + "/../examples/";

struct Example {
  const char* file;
  const char* layout;
  const char* coords;  // "" for none
  std::vector<std::string> names;
  std::vector<std::int32_t> first_years;
  std::vector<std::int32_t> year_lines;
  std::vector<float> lat;
  std::vector<int> missing;  // missing months of each station
};

TEST(Examples, EachLayoutReadsItsExample) {
  const Example examples[] = {
      {"free.csv", "free", "", {"Hill Station", "Lake Farm"}, {1981, 1985}, {10, 10},
       {-999.9f, -999.9f}, {2, 12 + 1}},  // Lake Farm lacks 1989
      {"ghcnm.dat", "ghcnm", "ghcnm.inv",
       {"ZZM00000101 TAVG NORTH HILL", "ZZM00000102 TAVG LAKE FARM", "ZZM00000103 TAVG RIVER BEND"},
       {1991, 1991, 1991}, {10, 8, 10}, {35.25f, 36.1f, 34.6f}, {1, 12, 1}},
      {"climdiv.txt", "climdiv", "climdiv_coords.csv",
       {"010102 Northern Valley", "010202 Upper Plateau"}, {1991, 1991}, {10, 10}, {34.8f, 34.2f},
       {0, 3}},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.file);
    CoordinateTable coords;
    std::string error;
    if (*e.coords) {
      ASSERT_TRUE(load_coordinates(kExamples + e.coords, coords, error)) << error;
    }
    open(kDataUnit, kExamples + e.file, OpenStatus::old);
    LayoutReader r;
    r.layout = find_layout(e.layout);
    r.base_name = e.file;
    r.coords = *e.coords ? &coords : nullptr;
    LayoutFault fault;
    std::optional<float> flag = layout_flag(*r.layout, 0, fault);
    ASSERT_TRUE(flag) << fault.reason;
    r.cut.flag = *flag;
    StationData d;
    std::size_t n = 0;
    StationRead got;
    while ((got = read_layout_station(r, d, fault)) == StationRead::station) {
      ASSERT_LT(n, e.names.size());
      EXPECT_EQ(d.header, e.names[n]);
      EXPECT_EQ(d.first_year, e.first_years[n]);
      EXPECT_EQ(d.year_lines(), e.year_lines[n]);
      EXPECT_EQ(d.RLAT, e.lat[n]);
      EXPECT_EQ(std::count(d.months.begin(), d.months.end(), *flag), e.missing[n]);
      ++n;
    }
    close(kDataUnit);
    EXPECT_EQ(got, StationRead::end) << fault.line << ": " << fault.reason;
    EXPECT_EQ(n, e.names.size());
    EXPECT_EQ(r.without_coordinates, *e.coords ? 0 : static_cast<std::int64_t>(n));
  }
}

}  // namespace
}  // namespace versel
