// The catalogue rows and the settings each choice makes.
#include <gtest/gtest.h>

#include <string>

#include "sources/catalogue.h"
#include "dialogue/driver.h"

namespace versel {
namespace {

struct Row {
  int choice;
  const char* frm;
  float flag;
  const char* frm3;
  const char* frmout;
};

constexpr Row kRows[] = {
    {1, "(1x,i4,12f5.2)", -9.99f, "(13x,i3,2x,i3,8x,i4,2x,i4)", "(1x,i4,12f8.2)"},
    {2, "(1x,i4,12f6.1)", 0.0f, "(13x,i3,2x,i3,8x,i4,2x,i4)", "(1x,i4,12f8.2)"},
    {3, "(i4,12f7.3)", 163.835f, "(2x,2f6.1)", "(1x,i4,12f8.3)"},
    {4, "(i4,12f7.3)", 163.835f, "(2x,2f6.1)", "(1x,i4,12f8.3)"},
    {5, "", -99.99f, "(2x,2f7.1)", "(1x,i4,12f8.2)"},
    {6, "(i4,12f5.1)", -999.9f, "(f6.2,f7.2)", "(1x,i4,12f8.2)"},
    {7, "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "(1x,i4,12f8.2)"},
    {8, "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "(1x,i4,12f8.2)"},
    {9, "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "(1x,i4,12f8.2)"},
    {10, "(1x,i4,12f5.1)", -999.9f, "(12x,f6.2,f7.2)", "(1x,i4,12f8.2)"},
    {11, "(1x,i4,12f6.3)", 9.99f, "(13x,f3.1,13x,f4.1)", "(1x,i4,12f8.2)"},
    {12, "(1x,i4,12f11.4)", -9999.0f, "(2x,2f7.1)", "(1x,i4,12f8.2)"},
};

std::string padded(const char* text) {
  std::string s(text);
  s.resize(kFormatTextLength, ' ');
  return s;
}

TEST(Catalogue, EachChoiceMakesItsSettings) {
  for (const Row& r : kRows) {
    SCOPED_TRACE(r.choice);
    RunSettings s;
    start_settings(s);
    const DataSet* row = known_data_set(r.choice);
    ASSERT_NE(row, nullptr);
    apply_data_set(*row, s);
    EXPECT_EQ(view(s.FRM), padded(r.frm));
    EXPECT_EQ(s.FLAG, r.flag);
    EXPECT_EQ(view(s.FRM3), padded(r.frm3));
    EXPECT_EQ(view(s.FRMOUT), padded(r.frmout));
  }
}

TEST(Catalogue, OnlyChoicesFiveAndSixReadTheFirstLine) {
  for (int choice = 1; choice <= 12; ++choice) {
    FirstLine expected = choice == 5   ? FirstLine::holds_format
                         : choice == 6 ? FirstLine::skipped
                                       : FirstLine::kept;
    EXPECT_EQ(known_data_set(choice)->first_line, expected) << choice;
  }
}

TEST(Catalogue, MenuLinesEndInTheirChoiceAndKeepTheirOddities) {
  ASSERT_EQ(known_data_sets().size(), 12u);
  for (int choice = 1; choice <= 12; ++choice) {
    std::string_view line = known_data_set(choice)->menu_line;
    std::string tail = std::to_string(choice);
    tail.insert(tail.begin(), '[');
    tail += ']';
    EXPECT_EQ(line.size(), 62u) << choice;
    EXPECT_TRUE(line.ends_with(tail)) << line;
    EXPECT_EQ(line[0], ' ');
  }
  EXPECT_EQ(user_defined_menu_line().size(), 62u);
  EXPECT_TRUE(user_defined_menu_line().ends_with("[13]"));
  // the menu shows a format other than the one used
  EXPECT_TRUE(known_data_set(7)->menu_line.starts_with(" (i4,12f5.1) "));
  EXPECT_TRUE(known_data_set(8)->menu_line.starts_with(" (1x,i4,12f*) "));
}

TEST(Catalogue, ChoicesOutsideOneToTwelveHaveNoRow) {
  for (int choice : {-1, 0, 13, 14, 99}) EXPECT_EQ(known_data_set(choice), nullptr) << choice;
}

}  // namespace
}  // namespace versel
