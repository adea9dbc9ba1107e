// Numbered file units: opening old and new files, records read one line at
// a time, rewind and backspace, and what the files hold after close.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "record_helpers.h"
#include "records/io.h"
#include "records/units.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

struct TempDir {
  fs::path path;
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "versel-units-XXXXXX").string();
    path = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string file(const char* name, const std::string& contents) const {
    std::string p = (path / name).string();
    std::ofstream(p, std::ios::binary) << contents;
    return p;
  }
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every record of unit 14 as read_line gives it, then "<end>".
std::string all_lines() {
  std::string s, line;
  while (read_line(file_unit(kDataUnit), line, kOnEnd) == IoStatus::ok) s += line + "|";
  return s + "<end>";
}

TEST(FileUnits, RecordsOfAnOldFile) {
  TempDir dir;
  struct Case {
    const char* data;
    const char* lines;
  };
  const Case cases[] = {
      {"a\nb\n", "a|b|<end>"},
      {"a\nb", "a|b|<end>"},
      {"a\r\nb\r\n", "a|b|<end>"},
      {"\n\n", "||<end>"},
      {"", "<end>"},
      {"x\ty\r\n\tz\n", "x       y|        z|<end>"},
  };
  for (const Case& c : cases) {
    open(kDataUnit, dir.file("data.dat", c.data), OpenStatus::old);
    EXPECT_EQ(all_lines(), c.lines) << c.data;
    close(kDataUnit);
  }
}

TEST(FileUnits, RewindAndBackspace) {
  TempDir dir;
  open(kDataUnit, dir.file("data.dat", "one\ntwo\nthree\n"), OpenStatus::old);
  std::string line;

  // a backspace at the start stays there
  backspace(kDataUnit);
  ASSERT_EQ(read_line(file_unit(kDataUnit), line), IoStatus::ok);
  EXPECT_EQ(line, "one");
  // a backspace steps back over the record just read
  backspace(kDataUnit);
  ASSERT_EQ(read_line(file_unit(kDataUnit), line), IoStatus::ok);
  EXPECT_EQ(line, "one");

  // at the end of the file the step goes back over the last record
  EXPECT_EQ(all_lines(), "two|three|<end>");
  backspace(kDataUnit);
  EXPECT_EQ(all_lines(), "three|<end>");
  backspace(kDataUnit);
  backspace(kDataUnit);
  EXPECT_EQ(all_lines(), "two|three|<end>");

  rewind(kDataUnit);
  EXPECT_EQ(all_lines(), "one|two|three|<end>");
  close(kDataUnit);

  // the same without a line end after the last record
  open(kDataUnit, dir.file("data.dat", "one\ntwo"), OpenStatus::old);
  EXPECT_EQ(all_lines(), "one|two|<end>");
  backspace(kDataUnit);
  EXPECT_EQ(all_lines(), "two|<end>");
  close(kDataUnit);
}

TEST(FileUnits, FormattedReadsTakeRecordsInTurn) {
  TempDir dir;
  open(kDataUnit, dir.file("data.dat", "12345\n67\n 1 2\n 3\n 4\n 7 8\n 9\n"),
       OpenStatus::old);
  Unit u = file_unit(kDataUnit);
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  // each read starts with the next record; the rest of a line is ignored
  read(u, "(i2)", {to(a)});
  read(u, "(i2)", {to(b)});
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 67);
  // values left at the format's end: the next record, from the last group
  read(u, "(i2,(i2))", {to(a), to(b), to(c), to(d)});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(d, 4);
  // without a group the next record is read from the format's start
  EXPECT_EQ(read(u, "(2i2)", {to(a), to(b), to(c)}, kOnBoth), IoStatus::ok);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 8);
  EXPECT_EQ(c, 9);
  EXPECT_EQ(read(u, "(i2)", {to(a)}, kOnBoth), IoStatus::end);
  close(kDataUnit);

  // "/" reads the next record; at the end of the file the read ends
  open(kDataUnit, dir.file("data.dat", " 5\n 6\n"), OpenStatus::old);
  EXPECT_EQ(read(u, "(i2/i2)", {to(a), to(b)}, kOnBoth), IoStatus::ok);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 6);
  rewind(kDataUnit);
  EXPECT_EQ(read(u, "(i2/i2/i2)", {to(a), to(b), to(c)}, kOnEnd), IoStatus::end);
  rewind(kDataUnit);
  EXPECT_EQ(read(u, "(i2/i2/i2)", {to(a), to(b), to(c)}, kOnError), IoStatus::error);
  close(kDataUnit);
}

TEST(FileUnits, OutputFiles) {
  TempDir dir;
  // an existing file stays as it is until the commit, then it is replaced
  std::string sea = dir.file("out_sea", "old contents, longer than what follows\r\n");
  open(kSeaUnit, sea, OpenStatus::unknown);
  write(file_unit(kSeaUnit), "(1x,i4,2f8.2)", {1901, 1.5f, -2.25f});
  write(file_unit(kSeaUnit), "(1x,a,$)", {"no line end"});
  write(file_unit(kSeaUnit), "(1x,a)", {"then more"});
  free_write(file_unit(kSeaUnit), " ");
  close(kSeaUnit);
  EXPECT_EQ(contents(sea), "old contents, longer than what follows\r\n");
  commit_outputs();
  EXPECT_EQ(contents(sea), " 1901    1.50   -2.25\r\n no line end then more\r\n  \r\n");

  // a second open of a unit closes the first file, which stays pending
  std::string key = (dir.path / "out_key").string();
  open(kKeyUnit, key, OpenStatus::unknown);
  write(file_unit(kKeyUnit), "(1x,2f8.2)", {36.0f, -94.0f});
  open(kKeyUnit, sea, OpenStatus::unknown);
  EXPECT_FALSE(fs::exists(key));
  commit_outputs();
  EXPECT_EQ(contents(key), "    36.00  -94.00\r\n");
  EXPECT_EQ(contents(sea), "");

  // discarded outputs leave the earlier files and nothing else
  open(kSeaUnit, sea, OpenStatus::unknown);
  open(kKeyUnit, (dir.path / "new_key").string(), OpenStatus::unknown);
  write(file_unit(kSeaUnit), "(1x,a)", {"never seen"});
  discard_outputs();
  EXPECT_EQ(contents(sea), "");
  std::string names;
  for (const fs::directory_entry& e : fs::directory_iterator(dir.path))
    names += e.path().filename().string() + " ";
  EXPECT_TRUE(names == "out_sea out_key " || names == "out_key out_sea ") << names;
}

}  // namespace
}  // namespace versel
