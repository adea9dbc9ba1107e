// How the dialogue reads its answers: the output-kind menu, the format
// prompts and the viewer's page prompts, and the settings before them.
#include <gtest/gtest.h>

#include <string>

#include "dialogue/banner_menu.h"
#include "sources/catalogue.h"
#include "dialogue/driver.h"
#include "dialogue/snoop.h"

namespace versel {
namespace {

TEST(OutputKindMenu, HelpQuitKindOrAgain) {
  EXPECT_EQ(menu_step(10), MenuStep::help_tsf);
  EXPECT_EQ(menu_step(20), MenuStep::help_mat);
  EXPECT_EQ(menu_step(30), MenuStep::help_grd);
  EXPECT_EQ(menu_step(0), MenuStep::quit);
  for (int kind : {1, 2, 3}) EXPECT_EQ(menu_step(kind), MenuStep::output_kind);
  for (int other : {-1, 4, 5, 9, 11, 40, 99, -9}) EXPECT_EQ(menu_step(other), MenuStep::again);
}

TEST(FormatPrompt, FirstCharacterDecidesAndOnlyInLowerCase) {
  EXPECT_EQ(format_answer("/"), FormatAnswer::quit);
  EXPECT_EQ(format_answer("/(i4)"), FormatAnswer::quit);
  EXPECT_EQ(format_answer("h"), FormatAnswer::view_file);
  EXPECT_EQ(format_answer("help"), FormatAnswer::view_file);
  EXPECT_EQ(format_answer("H"), FormatAnswer::format);
  EXPECT_EQ(format_answer(" h"), FormatAnswer::format);
  EXPECT_EQ(format_answer(" /"), FormatAnswer::format);
  EXPECT_EQ(format_answer("(i4,12f5.1)"), FormatAnswer::format);
  EXPECT_EQ(format_answer(std::string(30, ' ')), FormatAnswer::format);
  EXPECT_EQ(format_answer(""), FormatAnswer::format);
}

TEST(ViewerPrompt, OnlyLowerCaseEAndMAreNotMore) {
  EXPECT_EQ(page_answer('e'), PageAnswer::to_end);
  EXPECT_EQ(page_answer('m'), PageAnswer::back);
  for (char c : {' ', 'E', 'M', 'x', 'n', '\0'}) EXPECT_EQ(page_answer(c), PageAnswer::more) << c;
}

TEST(StartSettings, TextsBlankAndTwoDecimalYearLines) {
  RunSettings s;
  start_settings(s);
  EXPECT_EQ(view(s.INFILE), std::string(40, ' '));
  EXPECT_EQ(view(s.FRM3), std::string(30, ' '));
  EXPECT_EQ(view(s.MASK), std::string(60, ' '));
  EXPECT_EQ(trimmed(s.FRMOUT), "(1x,i4,12f8.2)");
  EXPECT_EQ(s.FMTCTRL, 0);
}

}  // namespace
}  // namespace versel
