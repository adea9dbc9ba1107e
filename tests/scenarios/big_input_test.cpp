// Inputs that cannot be kept in the repository, made when the test runs:
// data lines and typed answers of several megabytes, which must end normally
// within the time limit, with the output a short line would give and the
// data file unchanged; and a named pipe given as the data file, which must
// be refused at once instead of waiting for a writer.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTimeLimitSeconds = 60;
constexpr std::size_t kMegabytes = 5 * 1024 * 1024;

const std::string kStationOne =
    "station one  35.00 -94.00\n"
    " 1980  1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0 11.0 12.0\n"
    " 1981  1.5  2.5  3.5  4.5  5.5  6.5  7.5  8.5  9.5 10.5 11.5 12.5\n";

struct BigRun {
  int status = scenario::kTimedOut;
  std::string out, err, sea;
  bool input_unchanged = false;
};

BigRun run_big(const std::string& name, const std::string& data, const std::string& answers) {
  fs::path run = fs::path(VERSEL_SCENARIO_RUNS) / name;
  fs::path work = run / "work";
  fs::remove_all(run);
  fs::create_directories(work);
  scenario::write_file(work / "a.dat", data);
  scenario::write_file(run / "stdin", answers);
  BigRun r;
  r.status = scenario::run_binary(VERSEL_BINARY, work, run / "stdin", run / "stdout",
                                  run / "stderr", kTimeLimitSeconds);
  r.out = scenario::read_file(run / "stdout");
  r.err = scenario::read_file(run / "stderr");
  r.sea = scenario::read_file(work / "a_sea");
  r.input_unchanged = scenario::read_file(work / "a.dat") == data;
  return r;
}

// A tsf header line: a blank and the first 100 characters, filled with blanks.
std::string tsf_header(const std::string& line) {
  std::string h(1, ' ');
  h.append(line, 0, 100);
  h.resize(101, ' ');
  return h + "\r\n";
}

// A tsf year line of twelve values, "(i5,30f8.2)".
std::string tsf_year(int year, const double (&values)[12]) {
  char field[32];
  std::snprintf(field, sizeof field, "%5d", year);
  std::string s = field;
  for (double v : values) {
    std::snprintf(field, sizeof field, "%8.2f", v);
    s += field;
  }
  return s + "\r\n";
}

const double k1980[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
const double k1981[12] = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, 12.5};

std::string station_one_sea() {
  return tsf_header("station one  35.00 -94.00") + tsf_year(1980, k1980) + tsf_year(1981, k1981);
}

TEST(BigInput, HeaderLineOfMegabytes) {
  std::string header = "station two  29.00 -82.00 " + std::string(kMegabytes, 'x');
  BigRun r = run_big("big_header_line", kStationOne + header + "\n" + kStationOne.substr(26),
                     "1\na.dat\n7\n111111111111\n");
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.input_unchanged);
  // echoed and copied as its first 100 characters
  EXPECT_NE(r.out.find(" reading in: " + header.substr(0, 100) + "\r\n"), std::string::npos);
  EXPECT_EQ(r.sea, station_one_sea() + tsf_header(header) + tsf_year(1980, k1980) +
                       tsf_year(1981, k1981));
}

TEST(BigInput, HeaderLineOfMegabytesGivesItsCoordinates) {
  std::string header = "station two  29.00 -82.00 " + std::string(kMegabytes, '9');
  BigRun r = run_big("big_header_line_grd", kStationOne + header + "\n" + kStationOne.substr(26),
                     "3\na.dat\n7\n111211121112\n");
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.input_unchanged);
  EXPECT_EQ(r.sea,
            "    35.00  -94.00    11.00    27.00    43.00\r\n"
            "    29.00  -82.00    11.00    27.00    43.00\r\n");
}

TEST(BigInput, YearLineOfMegabytes) {
  // the twelve values come first; what follows them is never read
  std::string data = kStationOne + "station two  29.00 -82.00\n" +
                     " 1980  1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0 11.0 12.0" +
                     std::string(kMegabytes, '#') + "\n";
  BigRun r = run_big("big_year_line", data, "1\na.dat\n7\n111111111111\n");
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.input_unchanged);
  EXPECT_EQ(r.sea, station_one_sea() + tsf_header("station two  29.00 -82.00") +
                       tsf_year(1980, k1980));
}

TEST(BigInput, LastLineOfMegabytesWithoutLineEnd) {
  // "(1x,i4,12f5.1)" reads the digits as the year 1111 and twelve 1111.1
  std::string data = kStationOne + "station two  29.00 -82.00\n" + std::string(kMegabytes, '1');
  BigRun r = run_big("big_last_line", data, "1\na.dat\n7\n111111111111\n");
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.input_unchanged);
  const double ones[12] = {1111.1, 1111.1, 1111.1, 1111.1, 1111.1, 1111.1,
                           1111.1, 1111.1, 1111.1, 1111.1, 1111.1, 1111.1};
  EXPECT_EQ(r.sea, station_one_sea() + tsf_header("station two  29.00 -82.00") +
                       tsf_year(1111, ones));
}

TEST(BigInput, TypedAnswersOfMegabytes) {
  // the name is cut at 40 characters, the mask ends at its first blank
  std::string answers = "1\na.dat" + std::string(kMegabytes, ' ') + "junk\n7\n" +
                        "111111111111 " + std::string(kMegabytes, '5') + "\n";
  BigRun r = run_big("big_answers", kStationOne, answers);
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.input_unchanged);
  EXPECT_EQ(r.sea, station_one_sea());
}

TEST(SpecialInput, NamedPipeIsNoDataFile) {
  fs::path run = fs::path(VERSEL_SCENARIO_RUNS) / "special_named_pipe";
  fs::remove_all(run);
  fs::create_directories(run / "work");
  ASSERT_EQ(mkfifo((run / "work" / "p.dat").c_str(), 0644), 0);
  scenario::write_file(run / "stdin", "1\np.dat\n7\n111111111111\n");
  int status = scenario::run_binary(VERSEL_BINARY, run / "work", run / "stdin", run / "stdout",
                                    run / "stderr", kTimeLimitSeconds);
  ASSERT_NE(status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(status, 255);
  EXPECT_EQ(scenario::read_file(run / "stderr"),
            "? versel run-time error:\n? Not a regular file\n? OPEN(UNIT=14,...\n");
  EXPECT_FALSE(fs::exists(run / "work" / "p_sea"));
}

}  // namespace
