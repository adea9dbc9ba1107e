// The banner, the output-kind menu with its prompt, and the three help
// screens, each screen one block of text.
#include "dialogue/banner_menu.h"

#include "dialogue/run_end.h"
#include "records/io.h"

namespace versel {
namespace {

constexpr const char* kBannerRule =
    "(/'  _____________________________________________________')";
constexpr const char* kBannerText =
    "('   program versel can read monthly climate data files'"
    "/'  and seasonalize the monthly data into either sums or'"
    "/'  averages over a user specified number of months.'"
    "/'  this program will also reformat your new seasonlized'"
    "/'  files into one of three formats')";

constexpr const char* kMenu =
    "(/'  select output format'"
    "/'   [1] for time series format (tsf)'"
    "/'   [2] for matlab format (mat)'"
    "/'   [3] for gridfile format (grd)'"
    "/'   [0] to exit program'"
    "/'   enter 1 2 3 or [10, 20, 30 for help]',t45,'=> ',$)";

constexpr const char* kQuit = "(/' Program Terminated by user')";

constexpr const char* kHelpTsf =
    "(/'   time series format [tsf] produces one output file _sea.'"
    "/'  it is the same format as that required of the input file.'"
    "/'  each year of data is followed by the seasonal values '"
    "/'  on the same line. '"
    "/'                           example [_tsf]:'"
    "//'  ar27 lat     36.00 -94.00   nh4  milligrams/liter'"
    "/'  1980 9.990 9.990 9.990 9.990 1.080 0.230 0.890 0.610 0.340 0.220 0.210 0.140'"
    "/'  1981 0.470 0.500 0.310 0.310 0.910 0.110 0.220 0.510 0.570 0.320 0.380 0.540'"
    "/'  1982 0.170 0.340 0.370 0.410 0.180 0.220 0.480 0.290 0.180 0.190 0.190 0.200'"
    "//'   in this example the header line includes both the '"
    "/'  latitude and longitude of the station. the location of'"
    "/'  the lat.and long in the header line is important for [mat] '"
    "/'  and [grd] output file formats.')";

constexpr const char* kHelpMat =
    "(/'   matlab [mat] format produces two output files. _sea, and _key.'"
    "/'  (mat) format, reformats each cells data in verticle columns where'"
    "/'  the first row element is the first seasonal variable of the first'"
    "/'  year of data followed by the second season of the first year, etc..'"
    "/'                           example [mat_sea]:'"
    "//'  1980   1    9.99    0.03    9.99    0.30    0.32    0.01    0.10  '"
    "/'  1980   2    9.99    0.07    9.99    0.03    0.59    0.16    0.11    '"
    "/'  1980   3    9.99    0.04    9.99    9.99    0.17    0.11    0.09   '"
    "//'   in this example the first three values in col. 3 correspond'"
    "/'  to the first 3 monthly values in the year 1980 (jan, feb, march).'"
    "/'  column 3 represents the data for the first station data set in the '"
    "/'  input file, column 4 for the second station, etc.. the _key file '"
    "/'  contains the lat. and long. for each cell in the order they appear '"
    "/'  in the tsf file'"
    "/'                           example [mat_key]:'"
    "/'  36.00  -94.00  '"
    "/'  29.00  -82.00  '"
    "/'  33.00  -84.00  '"
    "//'   note: because the coordinates of latitude and longitude are used as'"
    "/'  the index to the columns of the _sea file, the original input file'"
    "/'  must contain this information in the header line of each station or cell '"
    "/'  record.  if you have made you input file using any of the programs'"
    "/'  orvent, brasker, quillet, taverno, plimsoy, or pelrith'"
    "/'  than this has been done for you. otherwise do not select mat output '"
    "/'  format. the default header format for use in this conversion is'"
    "/'  (a12,f6.2,f7.2) alphanumeric name/sta.code, lat, lon')";

constexpr const char* kHelpGrd =
    "(/'   the third format is that suitable for plotting with GMT.'"
    "/'  this format produces files with the _sea extension and a header'"
    "/'  line of column titles. the first column is the latitude followed'"
    "/'  by longitude for each grid/station. the remaining columns of data '"
    "/'  are the [mean] seasonal values for that location. therefore if you'"
    "/'  entered monthly station data and seasonlized the months june-sept. '"
    "/'  for each year, the resulting [grd] output file would contain the mean'"
    "/'  june-sept. value for all years of each stations/gridpoint data.'"
    "/'                           example [grd_sea]:'"
    "//'     lat    lon      sea1    sea2    sea3 '"
    "/'    36.00  -94.00    3.30    2.03    1.99  < mean for all years of data'"
    "/'    29.00  -82.00    3.40    2.07    1.08'"
    "/'    33.00  -84.00    3.75    1.64    1.73'"
    "//'  note: to use this format the header line of you input file must again'"
    "/'  contain the latitude and longitude in a specific location as in the example'"
    "/'  given above in the description of [mat] format.')";

// Screens A and B end with a blank line, screen C does not; each is followed
// by the pause.
void show_help(MenuStep step) {
  switch (step) {
    case MenuStep::help_tsf:
      write(kConsole, kHelpTsf, {});
      free_write(kConsole, " ");
      break;
    case MenuStep::help_mat:
      write(kConsole, kHelpMat, {});
      free_write(kConsole, " ");
      break;
    default:
      write(kConsole, kHelpGrd, {});
      break;
  }
  pause(" ");
}

}  // namespace

MenuStep menu_step(std::int32_t answer) {
  switch (answer) {
    case 10: return MenuStep::help_tsf;
    case 20: return MenuStep::help_mat;
    case 30: return MenuStep::help_grd;
    case 0: return MenuStep::quit;
    case 1:
    case 2:
    case 3: return MenuStep::output_kind;
    default: return MenuStep::again;
  }
}

void write_banner() {
  write(kConsole, kBannerRule, {});
  free_write(kConsole, " ");
  write(kConsole, kBannerText, {});
}

std::int32_t ask_output_kind() {
  for (;;) {
    write(kConsole, kMenu, {});
    std::int32_t answer = 0;
    read(kConsole, "(i2)", {to(answer)});
    MenuStep step = menu_step(answer);
    switch (step) {
      case MenuStep::output_kind:
        return answer;
      case MenuStep::quit:
        write(kConsole, kQuit, {});
        stop();
      case MenuStep::again:
        break;
      default:
        show_help(step);
        break;
    }
  }
}

}  // namespace versel
