// Coordinates files: the inventory's columns, tables in every separator with
// and without titles, codes with leading zeros, and the faults with their
// line numbers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sources/coordinates.h"

namespace versel {
namespace {

struct Expected {
  const char* code;
  float lat, lon;
  const char* name;
};

void expect_places(const CoordinateTable& t, std::initializer_list<Expected> places) {
  EXPECT_EQ(t.places.size(), places.size());
  for (const Expected& e : places) {
    const Place* p = find_place(t, e.code);
    ASSERT_NE(p, nullptr) << e.code;
    EXPECT_EQ(p->latitude, e.lat) << e.code;
    EXPECT_EQ(p->longitude, e.lon) << e.code;
    EXPECT_EQ(p->name, e.name) << e.code;
  }
}

// An inventory line: ID, latitude, longitude, elevation, name, more columns.
std::string inventory_line(const char* id, double lat, double lon, const char* name) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%-11s %8.4f %9.4f %6.1f %-30.30s%s", id, lat, lon, 120.0, name,
                "  1234 U  511FLxxno-9x-9COOL FIELD     ");
  return buf;
}

TEST(Coordinates, InventoryColumns) {
  std::string text = inventory_line("ZZM00012345", 34.7272, -92.2389, "NORTH HILL") + "\r\n" +
                     inventory_line("ZZW00000077", -5.5, 179.25, "A VERY LONG NAME THAT IS CUT AT") +
                     "\n\n" + inventory_line("ZZ000000001", 0, 0, "");  // no line end
  CoordinateTable t;
  std::string error;
  ASSERT_TRUE(read_inventory(text, t, error)) << error;
  expect_places(t, {{"ZZM00012345", 34.7272f, -92.2389f, "NORTH HILL"},
                    {"ZZW00000077", -5.5f, 179.25f, "A VERY LONG NAME THAT IS CUT A"},
                    {"ZZ000000001", 0.0f, 0.0f, ""}});
}

TEST(Coordinates, TablesInEverySeparator) {
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"blanks, no titles, a name of several words", "0101  34.5 -92.25 North Hill Farm\n"
                                                     "102 35 -93 Lake\n"},
      {"commas, titles in another order, quotes", "\xEF\xBB\xBF\"Name\",\"ID\",\"Latitude\",\"Longitude\"\r\n"
                                                  "\"North Hill Farm\",\"101\",34.5,-92.25\r\n"
                                                  "\"Lake\",\"0102\",35,-93\r\n"},
      {"semicolons with decimal commas", "# made up\nstation;lat;lon;station_name\n"
                                         "0101;34,5;-92,25;North Hill Farm\n0102;35;-93;Lake"},
      {"tabs, titles LAT and LONG, an empty field", "code\tLAT\tLONG\televation\tname\n"
                                                    "0101\t34.5\t-92.25\t\tNorth Hill Farm\n"
                                                    "00102\t35\t-93\t12\tLake\n"},
      {"blanks with titles, the name last", "id lat lon name\n101 34.5 -92.25 North Hill Farm\n"
                                            "102 35.0 -93.0 \"Lake\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CoordinateTable t;
    std::string error;
    ASSERT_TRUE(read_coordinate_table(c.text, t, error)) << error;
    expect_places(t, {{"0101", 34.5f, -92.25f, "North Hill Farm"}, {"102", 35.0f, -93.0f, "Lake"}});
    EXPECT_NE(find_place(t, "000101"), nullptr) << "leading zeros do not count";
    EXPECT_EQ(find_place(t, "1010"), nullptr);
  }
}

TEST(Coordinates, QuotedFieldsByTheCsvRules) {
  // a doubled quote inside quotes is one quote; a separator after it stays
  // inside the field
  struct Case {
    std::string text, name;
  } cases[] = {
      {"code,lat,lon,name\n101,1,2,\"\"\"North\"\" Hill, upper\"\n", "\"North\" Hill, upper"},
      {"code;lat;lon;name\n\"101\";1;2;\"Hill \"\"North\"\"\"\n", "Hill \"North\""},
      {"101 1 2 \"Hill \"\"North\"\"\"\n", "Hill \"North\""},
      {"101 1 2 Hill \"North\"\n", "Hill \"North\""},  // no quotes around: as written
  };
  for (const Case& c : cases) {
    CoordinateTable t;
    std::string error;
    ASSERT_TRUE(read_coordinate_table(c.text, t, error)) << error;
    expect_places(t, {{"101", 1.0f, 2.0f, c.name.c_str()}});
  }
}

TEST(Coordinates, FaultsNameTheLine) {
  struct Case {
    std::string text, error;
  } cases[] = {
      {"a 1 2\nb 123 4\n", "line 2: latitude '123' is not a number from -90 to 90"},
      {"a 1 2\nb 3 east\n", "line 2: longitude 'east' is not a number from -180 to 360"},
      {"a 1 2\nb 3\n", "line 2: 2 fields where the table's columns need 3"},
      {"\n# c\nStation Latitude Elevation\n",
       "line 3: the titles name no column lon, long or longitude"},
      {"lat,lon\n1,2\n", "line 1: the titles leave no column for the code"},
      {"code name\nx y\n",
       "line 1: the first row is neither a row of titles naming lat or latitude nor a code, a "
       "latitude and a longitude"},
      {"0101 1 2\n101 1 3\n", "line 2: code '101' is listed on line 1 with other coordinates"},
      {",1,2\n", "line 1: the code is empty"},
  };
  for (const Case& c : cases) {
    CoordinateTable t;
    std::string error;
    EXPECT_FALSE(read_coordinate_table(c.text, t, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
  CoordinateTable t;
  std::string error;
  EXPECT_TRUE(read_coordinate_table("0101 1 2\n101 1 2\n", t, error)) << "a repeat that agrees";
  EXPECT_FALSE(read_inventory("ZZM00012345  34.7272\n", t, error));
  EXPECT_EQ(error, "line 1: a line of 20 characters: an inventory line holds its longitude in "
                   "columns 22-30");
}

TEST(Coordinates, FileKindByName) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("versel-coords-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "s.INV") << inventory_line("ZZM00012345", 1.5, 2.5, "X") << "\n";
  std::ofstream(dir / "s.csv") << "ZZM00012345,1.5,2.5,X\n";
  for (const char* name : {"s.INV", "s.csv"}) {
    CoordinateTable t;
    std::string error;
    ASSERT_TRUE(load_coordinates((dir / name).string(), t, error)) << name << ": " << error;
    expect_places(t, {{"ZZM00012345", 1.5f, 2.5f, "X"}});
  }
  CoordinateTable t;
  std::string error;
  EXPECT_FALSE(load_coordinates((dir / "none.csv").string(), t, error));
  EXPECT_EQ(error, "cannot be read: No such file or directory");
  EXPECT_FALSE(load_coordinates(dir.string(), t, error));
  EXPECT_EQ(error, "cannot be read: Is a directory");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace versel
