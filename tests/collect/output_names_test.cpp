// The stem rule, the 40-character cut of the output names and the test for
// two names that lead to one file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "collect/output_names.h"

namespace versel {
namespace {

// A typed name as the read leaves it: cut or padded to 40 characters.
std::string typed(std::string_view name) {
  FixedText<kFileNameLength> t;
  assign(t, name);
  return std::string(view(t));
}

std::string sea_name(std::string_view name) {
  std::string full = typed(name);
  return std::string(trimmed(output_name(full, stem_length(full), "_sea")));
}

TEST(StemRule, StopsAtTheFirstFullStopBlankOrUnderscore) {
  EXPECT_EQ(sea_name("temp.dat"), "temp_sea");
  EXPECT_EQ(sea_name("ghcn_v2.txt"), "ghcn_sea");
  EXPECT_EQ(sea_name("alpha"), "alpha_sea");
  EXPECT_EQ(sea_name("a.b_c d"), "a_sea");
  EXPECT_EQ(sea_name("x y.dat"), "x_sea");
}

TEST(StemRule, CutsInsideDirectoryParts) {
  EXPECT_EQ(stem_length(typed("../data/x.dat")), 0);
  EXPECT_EQ(sea_name("../data/x.dat"), "_sea");
  EXPECT_EQ(sea_name("my_dir/x.dat"), "my_sea");
  EXPECT_EQ(sea_name("data/x.dat"), "data/x_sea");
  EXPECT_EQ(sea_name("_sea"), "_sea");
  EXPECT_EQ(sea_name(""), "_sea");
}

TEST(StemRule, LongNamesLoseTheirSuffix) {
  const std::string s36(36, 'a'), s37(37, 'b'), s39(39, 'c'), s40(40, 'd');
  EXPECT_EQ(sea_name(s36 + ".dat"), s36 + "_sea");
  EXPECT_EQ(sea_name(s37 + ".dat"), s37 + "_se");
  EXPECT_EQ(sea_name(s39 + "."), s39 + "_");
  // no stop in the first 40 characters: the stem is all of them
  EXPECT_EQ(stem_length(typed(s40 + ".dat")), 40);
  EXPECT_EQ(sea_name(s40 + ".dat"), s40);
  EXPECT_EQ(sea_name(s40 + ".dat"), typed(s40 + ".dat"));
}

TEST(StemRule, OutputNamesArePaddedToFortyCharacters) {
  FixedText<kFileNameLength> out = output_name(typed("temp.dat"), 4, "_key");
  EXPECT_EQ(view(out), "temp_key" + std::string(32, ' '));
}

class SameFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("versel_same_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "a.dat") << "x\n";
    std::ofstream(dir_ / "b.dat") << "x\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string at(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(SameFile, KnowsOneFileUnderAnyOfItsNames) {
  std::filesystem::create_symlink(dir_ / "a.dat", dir_ / "a_sea");
  std::filesystem::create_hard_link(dir_ / "a.dat", dir_ / "a_key");
  EXPECT_TRUE(same_file(at("a.dat"), at("a.dat")));
  EXPECT_TRUE(same_file(at("a_sea"), at("a.dat")));
  EXPECT_TRUE(same_file(at("a_key"), at("a.dat")));
  EXPECT_TRUE(same_file((dir_ / "." / "a.dat").string(), at("a.dat")));
  EXPECT_FALSE(same_file(at("b.dat"), at("a.dat")));
  // a name that does not exist yet is no existing file
  EXPECT_FALSE(same_file(at("new_sea"), at("a.dat")));
  EXPECT_TRUE(same_file("new_sea", "new_sea"));
}

}  // namespace
}  // namespace versel
