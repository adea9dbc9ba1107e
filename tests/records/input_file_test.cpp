// The data file read through a window: records, steps back and rewinds give
// what a reader of the whole file in memory gives, with windows of every
// size down to one byte, lines longer than the window and record numbers
// kept through every step.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "records/input_file.h"
#include "records/io.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

struct TempFile {
  fs::path path;
  explicit TempFile(const std::string& contents) {
    std::string pattern = (fs::temp_directory_path() / "versel-input-XXXXXX").string();
    int fd = mkstemp(pattern.data());
    if (fd >= 0) ::close(fd);
    path = pattern;
    std::ofstream(path, std::ios::binary) << contents;
  }
  ~TempFile() {
    std::error_code ec;
    fs::remove(path, ec);
  }
};

// The reader as it was when the whole file stood in memory: the reference.
struct WholeFile {
  std::string data;
  Tabs tabs = Tabs::expanded;
  std::size_t pos = 0;
  std::int64_t records = 0;

  bool next(std::string& line) {
    if (pos >= data.size()) return false;
    std::size_t nl = data.find('\n', pos);
    std::size_t len = (nl == std::string::npos ? data.size() : nl) - pos;
    edit_line(std::string_view(data).substr(pos, len), line, tabs);
    pos += nl == std::string::npos ? len : len + 1;
    ++records;
    return true;
  }
  void back() {
    std::size_t i = pos;
    if (i == 0) return;
    if (data[i - 1] == '\n') --i;
    while (i > 0 && data[i - 1] != '\n') --i;
    pos = i;
    --records;
  }
  void rewind() {
    pos = 0;
    records = 0;
  }
};

// What one read gives, as text: the line or "<end>".
std::string read_one(InputFile& f, Tabs tabs = Tabs::expanded) {
  std::string_view line;
  std::string scratch;
  switch (next_line(f, line, scratch, tabs)) {
    case LineRead::line: return std::string(line);
    case LineRead::end: return "<end>";
    case LineRead::failed: return "<failed>";
  }
  return "";
}

std::string read_one(WholeFile& m) {
  std::string line;
  return m.next(line) ? line : "<end>";
}

TEST(InputFile, LinesOfMegabytes) {
  // longer than the window the program reads with, some with tabs and CRs
  const std::string big(3 * kReadBuffer + 17, 'x');
  std::string tabbed = "\t" + big + "\t|";
  std::string edited = std::string(8, ' ') + big;
  edited += std::string(8 - edited.size() % 8, ' ') + "|";
  const std::string contents = "a\n" + big + "\r\n" + tabbed + "\n\nb\n" + big;
  TempFile file(contents);
  InputFile f;
  ASSERT_TRUE(open_input(f, file.path.c_str()));
  EXPECT_EQ(read_one(f), "a");
  EXPECT_EQ(read_one(f), big);
  EXPECT_EQ(read_one(f), edited);
  EXPECT_EQ(read_one(f), "");
  EXPECT_EQ(read_one(f), "b");
  EXPECT_EQ(read_one(f), big);
  EXPECT_EQ(read_one(f), "<end>");
  EXPECT_EQ(f.records, 6);
  // back over the long last line, over b and the blank line, and over the
  // two long lines to the second record
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(step_back(f));
  EXPECT_EQ(f.records, 2);
  EXPECT_EQ(read_one(f), edited);
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(step_back(f));
  EXPECT_EQ(read_one(f), big);
  EXPECT_EQ(f.records, 2);
  restart(f);
  EXPECT_EQ(read_one(f), "a");
  // the same long lines with their tabs kept
  EXPECT_EQ(read_one(f, Tabs::kept), big);
  EXPECT_EQ(read_one(f, Tabs::kept), tabbed);
  close_input(f);
}

// A file read by a random sequence of reads, steps back and rewinds through
// a window of `capacity` bytes: each step gives what the whole-file reader
// gives, record numbers included, with tabs expanded or kept.
void check_against_whole_file(const std::string& contents, std::size_t capacity,
                              std::mt19937& rng, Tabs tabs) {
  TempFile file(contents);
  WholeFile model{contents, tabs};
  InputFile f;
  ASSERT_TRUE(open_input(f, file.path.c_str(), capacity));
  std::string trace;
  for (int step = 0; step < 60; ++step) {
    unsigned op = rng() % 10;
    if (op < 5) {
      trace += "r";
      ASSERT_EQ(read_one(f, tabs), read_one(model)) << trace;
    } else if (op < 9) {
      trace += "b";
      ASSERT_TRUE(step_back(f));
      model.back();
    } else {
      trace += "w";
      restart(f);
      model.rewind();
    }
    ASSERT_EQ(f.records, model.records) << trace;
    ASSERT_EQ(f.pos, static_cast<std::int64_t>(model.pos)) << trace;
  }
  close_input(f);
}

TEST(InputFile, WindowsOfEverySizeMatchTheWholeFileReader) {
  std::mt19937 rng(20240611u);
  // the ends of a file and of its lines, then random files of short and
  // long lines, CR LF and lone LF, with or without a last line end
  std::vector<std::string> files = {"", "\n", "a", "a\n", "\n\n\n", "one\ntwo\nthree",
                                    "crlf\r\n\r\nlast\r\n", "lone\rcr\n", "tab\tstops\n\tx\n"};
  const char alphabet[] = "abc 123\t\r";
  for (int round = 0; round < 300; ++round) {
    std::string contents;
    unsigned lines = rng() % 12;
    for (unsigned l = 0; l < lines; ++l) {
      unsigned len = rng() % 8 == 0 ? 20 + rng() % 60 : rng() % 6;
      for (unsigned c = 0; c < len; ++c) contents += alphabet[rng() % (sizeof alphabet - 1)];
      if (l + 1 < lines || rng() % 2 == 0) contents += rng() % 3 == 0 ? "\r\n" : "\n";
    }
    files.push_back(contents);
  }
  for (const std::string& contents : files) {
    for (std::size_t capacity : {1, 2, 3, 5, 8, 13, 32}) {
      SCOPED_TRACE("window " + std::to_string(capacity) + " of [" + contents + "]");
      check_against_whole_file(contents, capacity, rng, Tabs::expanded);
      check_against_whole_file(contents, capacity, rng, Tabs::kept);
    }
  }
}

TEST(FileUnits, RecordNumbers) {
  TempFile file("one\n\nthree\nfour");
  EXPECT_EQ(record_number(kDataUnit), 0);  // not open
  open(kDataUnit, file.path.string(), OpenStatus::old);
  std::string line;
  Unit u = file_unit(kDataUnit);
  EXPECT_EQ(record_number(kDataUnit), 0);
  read_line(u, line);
  read_line(u, line);
  read_line(u, line);
  EXPECT_EQ(line, "three");
  EXPECT_EQ(record_number(kDataUnit), 3);
  backspace(kDataUnit);
  backspace(kDataUnit);
  EXPECT_EQ(record_number(kDataUnit), 1);
  read_line(u, line);
  EXPECT_EQ(record_number(kDataUnit), 2);
  while (read_line(u, line, kOnEnd) == IoStatus::ok) {
  }
  EXPECT_EQ(line, "four");
  EXPECT_EQ(record_number(kDataUnit), 4);
  rewind(kDataUnit);
  EXPECT_EQ(record_number(kDataUnit), 0);
  close(kDataUnit);
  EXPECT_EQ(record_number(kDataUnit), 0);
}

}  // namespace
}  // namespace versel
