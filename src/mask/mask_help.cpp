// The five help pages of the mask prompt. In a page, "R" stands for the
// ruler and "M..." for an example mask, both from column 2; any other line
// is text from column 5; "" is an empty line.
#include <array>
#include <initializer_list>
#include <string_view>

#include "mask/askmon.h"
#include "records/io.h"

namespace versel {
namespace {

using Page = std::initializer_list<std::string_view>;

constexpr std::string_view kHelpRuler =
    "jfmamjjasondjfmamjjasondjfmamjjasondjfmamjjasondjfmamjjasond";

const Page kPage1 = {
    "",
    "the climate mask controls the kinds of climatic years",
    "or seasons that are used for analysis. dendroclimatic",
    "years up to 60 months long can be created.  also, any",
    "combination of individual months and seasons can be",
    "generated. here are some examples.",
    "",
    "a 16-month dendroclimatic year from the prior may to",
    "the current august looks like:",
    "",
    "R",
    "M00001111111111111111",
    "",
    "note that zeroes must pad out the beginning of the",
    "dendroclimatic year when its beginning month is not",
    "january. months can also be skipped over by replacing",
    "any of the inner 1s with 0s. just hit return, <ret>,",
    "to end the mask for the dendroclimatic year.",
};

const Page kPage2 = {
    "",
    "seasons are created by inserting the necessary flags",
    "in the climate mask. using the same 16-month year as",
    "before, four seasons could be created as:",
    "",
    "",
    "R",
    "M00001112111211121112",
    "",
    "",
    "each season has a leading group of three 1s and ends",
    "with a 2. the 2 tells the routine that the season is",
    "the sum of those months of data. if an average is",
    "preferred over a sum, the 2s can be replaced with 3s.",
    "thus, the four seasons are computed as averages as:",
    "",
    "",
    "R",
    "M00001113111311131113",
    "",
    "",
    "the total number of climate variables is reduced from",
    "16 to 4 in the subsequent analyses.",
};

const Page kPage3 = {
    "",
    "a mix of seasons and single months can be created by",
    "making some of the seasons only 1 month long. these",
    "1-month seasons can be either 2s or 3s in the mask.",
    "using the 16-month year again, such a mix might be:",
    "",
    "R",
    "M00003333111311133333",
    "",
    "",
    "here, the prior and current may-august months are",
    "kept separate, while september-december and january-",
    "april months are averaged into two seasons. the total",
    "number of climate variables is reduced from 16 to 10",
    "in the subsequent analyses. note that the single",
    "months must be designated by 2s or 3s when selected",
    "in combination with seasons.",
};

const Page kPage4 = {
    "",
    "any months can be skipped in the climate mask if some",
    "months are not relevant to the analysis. using the",
    "16-month year, a dendroclimatic year with gaps might",
    "look something like:",
    "",
    "R",
    "M00001111000000001111",
    "",
    "only the prior and current may-august months are used",
    "on the premise that the cold-season months are not",
    "relevant. note that the gaps must be made with zeroes",
    "not blanks. a more complicated case might look like:",
    "",
    "R",
    "M00001122002002001112",
    "",
    "this mask creates one season as the sum of prior may-",
    "july, uses august, november, and february as single",
    "months, and creates a second season as the sum of the",
    "current may-august months. again, the single months",
    "must be either 2s or 3s when mixed with seasons.",
};

const Page kPage5 = {
    "",
    "using in the climate data strictly as lead or lag",
    "variables is easy. just pad out the mask with 0s",
    "as in the following way:",
    "",
    "R",
    "M0000111100000000",
    "",
    "in this case, only the prior may-august variables are",
    "are used. note that the 0s following the 1s extend",
    "into january of the next year. this is what tells the",
    "routine that the may-august months are to be lagged",
    "1 year. the same months lagged 2 years would be:",
    "",
    "R",
    "M0000111100000000000000000",
    "",
    "because now the 0s extend into the 3rd year.",
    "",
    "i hope this is enough information to help you out.",
    "if not, try using your bloody brain for a change!!!",
    "",
};

void show_page(const Page& page) {
  for (std::string_view line : page) {
    if (line.empty()) write(kConsole, "(a)", {""});
    else if (line == "R") write(kConsole, "(1x,a)", {kHelpRuler});
    else if (line[0] == 'M') write(kConsole, "(1x,a)", {line.substr(1)});
    else write(kConsole, "(4x,a)", {line});
  }
}

// "more help? y/n: "; true unless the answer starts with a lower-case "n".
bool more_help() {
  write(kConsole, "(/4x,'more help? y/n: ',$)", {});
  char MORE = ' ';
  read(kConsole, "(a1)", {to(std::span<char>(&MORE, 1))});
  return MORE != 'n';
}

}  // namespace

void show_mask_help() {
  const std::array<const Page*, 4> pages = {&kPage1, &kPage2, &kPage3, &kPage4};
  for (const Page* page : pages) {
    show_page(*page);
    if (!more_help()) return;
  }
  show_page(kPage5);
  pause(" hit return to continue");
}

}  // namespace versel
