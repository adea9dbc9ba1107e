// The help and version texts, each one literal block.
#include "cli/help_text.h"

namespace versel {
namespace {

constexpr std::string_view kHelp =
R"(Usage: versel [OPTION]... FILE...
       versel --explain --mask MASK
       versel                       (no arguments: the dialogue of questions)

Reduces the monthly climate data of each FILE (stations, each a header line
and one line per year with the year and twelve monthly values; tables;
netCDF grids) to the values that a climate mask defines, and writes them as
tsf, mat, grd, csv or nc files; or correlates them with a tree-ring
chronology.

  -k, --kind KIND          tsf: each station's values by year; mat: a matrix of
                           years and variables by station, with a _key file of
                           coordinates; grd: each station's long-term means;
                           csv: one row per station, year and variable, with
                           column names, for R, Python and spreadsheets;
                           nc: CF netCDF, a grid for a grid input
  -d, --data-set N         the layout of a known data set, 1 to 12 (below)
  -f, --format FMT         a record format of your own for the year lines, such
                           as '(1x,i4,12f5.1)'; needs --flag
      --flag X             the value that marks a missing month, in the units
                           the format reads (with --format or --layout)
      --header-format FMT  how latitude and longitude are read from each header
                           line, such as '(12x,f6.2,f7.2)' (with --format, for
                           mat and grd)
      --layout NAME        a layout of downloaded files (below), instead of -d
                           or -f; --flag replaces its missing-value flag
      --var NAME           netcdf: the variable to read (else the one gridded)
      --region W/E/S/N     only the stations or cells in this box of degrees
      --near LAT/LON[/N]   only the N (default 1) stations or cells nearest
      --coords FILE        the coordinates (and names) of a layout's stations
                           by their codes: an inventory (.inv) or a table
      --keep-flagged       ghcnm: keep the values that carry a quality flag
      --skip N             the first N lines of each FILE are not read
  -m, --mask MASK          the climate mask (below)
      --min-months N       an average season is the mean of the months there
                           when at least N of them are (default: all of them)
  -o, --output PREFIX      write PREFIX_sea (and PREFIX_key for mat; with .csv
                           for csv, .nc for nc); one FILE only; '-o -' writes
                           the _sea file of tsf or grd, or the csv file, to
                           standard output
      --output-dir DIR     write the outputs in DIR (made when missing)
      --chronology FILE    correlate a tree-ring chronology (.crn, or a table
                           of year and value) with each variable of the mask:
                           STEM_corr (csv, grd or nc)
      --chronology-id CODE the chronology of a .crn file to take (the first)
      --screen             with --chronology and no mask: correlate every
                           window of 1 to 12 months in the previous and
                           current year:
                           STEM_screen (csv, grd or nc) and its heat map, .svg
      --span Y, --max-months L  the screen's years (2) and longest window (12)
      --method NAME        pearson (default) or spearman
      --min-years N        the years a correlation needs (default 20)
      --bootstrap N        an interval from N resamples (default 0: Fisher's z)
      --seed S             the seed of the resamples (default 1)
  -q, --quiet              nothing on standard error but errors
      --explain            say what the mask computes, then exit (no FILE read)
  -h, --help               show this help, then exit
  -V, --version            show the version, then exit

A value follows its option (-k tsf, --kind tsf) or is joined to it (-ktsf,
--kind=tsf). Options and FILEs may come in any order; '--' ends the options.
Without -o the outputs of a FILE are named by its name without the last
extension, in its folder: data/cru_pre.dat writes data/cru_pre_sea.

The climate mask: one digit per month from January of its first calendar year,
at most 60 digits (five years).
  0  month not used           2  month used; closes a season: the sum
  1  month used; opens or     3  month used; closes a season: the average
     continues a season
Without a 2 or 3 every 1 is a single month. Each value is labelled by the last
calendar year of the mask; a lead mask, whose first twelve digits are all 0,
labels it by the first.
  jfmamjjasondjfmamjjasond
  000001110000              Jun Jul Aug, three single months
  000001130000              JJA_avg, the June-August average
  00000000000113            DJF_avg, December of the year before to February
  00001113111311131113      MJJA-1_avg SOND-1_avg JFMA_avg MJJA_avg
  0000111100000000          May-1 Jun-1 Jul-1 Aug-1, lagged one year
  00000000000000001111      May+1 Jun+1 Jul+1 Aug+1, a lead of one year
'versel --explain -m MASK' names each variable and its months and years.

Known data sets (-d):
   1  ukmo sst                 (1x,i4,12f5.2)
   2  trenberth slp            (1x,i4,12f6.1)
   3  kaplan sst anomaly       (i4,12f7.3)
   4  kaplan slp anomaly       (i4,12f7.3)
   5  uea/cru global 0.5 deg.  the format in columns 41-54 of the first line
   6  ghcn.v2 temperature      (i4,12f5.1), the first line skipped
   7  ghcn.v1 temperature      (1x,i4,12f5.1)
   8  ghcn.v1 precipitation    (1x,i4,12f5.1)
   9  ghcn.v1 sta. pressure    (1x,i4,12f5.1)
  10  ghcn.v1 sl. pressure     (1x,i4,12f5.1)
  11  nadp precip. chemistry   (1x,i4,12f6.3)
  12  ncar pdsi                (1x,i4,12f11.4)

Layouts of downloaded files (--layout):
  free     a year and twelve values per line, separated by blanks, or by tabs
           or commas; a line above them names the station; comments (#) and
           title rows are passed over; missing: empty, NA, NaN, -, ***, -999.9,
           and without --flag nines such as -99.9 or -9999
  ghcnm    the global monthly station files: ID, year, element and twelve
           values in hundredths; -9999 or a quality flag: missing (-99.99)
  climdiv  the climate-division files: a 10-column code of place, element and
           year, then twelve values; missing: the element's own flag
  table    a table with titles: station, year and jan..dec, or station, date
           (or year and month) and value; name, lat and lon columns used
  netcdf   a netCDF grid: each cell with data is a station; CF axes and time

Examples:
  versel -k tsf -d 7 -m 00001113111311131113 temperature.dat
      writes temperature_sea
  versel -k mat -f '(1x,i4,12f5.1)' --flag -999.9 \
         --header-format '(12x,f6.2,f7.2)' -m 000001130000 a.dat b.dat
      writes a_sea and a_key, then b_sea and b_key
  versel -k grd -d 7 -m 000001130000 -o - temperature.dat > jja_means.txt
  versel -k csv -d 7 -m 000001130000 --min-months 2 temperature.dat
      writes temperature_sea.csv: JJA_avg where at least 2 months are there
  versel -k nc --layout netcdf -m 00000000000113113113113 cru_tmp.nc
      writes cru_tmp_sea.nc: DJF, MAM, JJA and SON averages of every cell
  versel -k csv -d 7 --chronology site.crn --screen temperature.dat
      writes temperature_screen.csv and _screen.svg: which window matters
  versel -k mat --layout ghcnm --coords ghcnm.inv -m 000001130000 ghcnm.dat
      writes ghcnm_sea and ghcnm_key
  versel --explain -m 00000000000113

Exit status: 0 done, 1 a FILE could not be processed, 2 a usage error (nothing
done). The dialogue ends with 0, or 255 on a failure.
)";

constexpr std::string_view kVersion = "versel 1.2\n";

}  // namespace

std::string_view help_text() { return kHelp; }

std::string_view version_text() { return kVersion; }

}  // namespace versel
