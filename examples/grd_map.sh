#!/bin/sh
# Draws a map of one season's long-term means from a versel grd _sea file:
# one coloured circle per station, labelled with its mean, over coastlines
# and borders, written as a PNG. Needs GMT 6 with its low-resolution
# coastlines and Ghostscript (Debian: apt-get install gmt gmt-gshhg-low
# ghostscript).
#
# usage: grd_map.sh SEA_FILE [SEASON [NAME [FLAG]]]
#   SEA_FILE  the grd output of versel, e.g. temperature_sea
#   SEASON    which season's means to map, 1 for the first (default 1)
#   NAME      the map is written to NAME.png (default SEA_FILE_SEASON)
#   FLAG      the missing-value flag of the run (default -999.9); stations
#             whose mean is the flag are left off the map
#
# A grd line is laid out in fixed columns: a blank, the latitude in columns
# 2-9, the longitude in 10-17, then one mean per season in 8 columns after a
# blank (season s in columns 19+9(s-1) to 26+9(s-1)). A field too narrow for
# its value is filled with asterisks; such a station is left off as well.
# Lines end with a carriage return and a line feed, as every file versel
# writes. A file whose lines do not all have this layout - the tsf or mat
# output of versel, its data file, the empty file of a run that found no
# station - is refused
# with a one-line message before anything is drawn.
set -e

usage="usage: grd_map.sh SEA_FILE [SEASON [NAME [FLAG]]]"
sea=$1
season=${2:-1}
name=${3:-${sea}_$season}
flag=${4:--999.9}

fail() { echo "grd_map.sh: $*" >&2; exit 1; }

if [ -z "$sea" ]; then
  echo "$usage" >&2
  exit 2
fi
[ -e "$sea" ] || fail "$sea does not exist"
[ -r "$sea" ] || fail "$sea cannot be read"
case $season in
  *[!0-9]*) echo "grd_map.sh: the season is a number, not '$season' ($usage)" >&2; exit 2 ;;
esac
case $flag in
  *[!0-9.+-]* | '') echo "grd_map.sh: the flag is a number, not '$flag' ($usage)" >&2; exit 2 ;;
esac

# What the file holds, told from the shape of its lines (blank lines aside):
#   grd    a blank, latitude and longitude, then a blank and a mean per season
#   key    the _key file of a mat run: a blank, latitude and longitude
#   mat    the _sea file of a mat run: a blank, the year in 4 columns, two
#          blanks, the season in 2, then a blank and a value per station
#          (or, on a line that goes on with a long row, only the values)
#   tsf    station header lines and year lines: the year in 5 columns, then
#          a value per season in 8 columns, no blank between them
#   empty  no line at all: the run that wrote it found no station
# and "other N" when line N fits none of them. Every value is 8 columns wide
# with two or three decimals, or asterisks when it did not fit.
kind=$(awk '
  function real(f) { return f ~ /^ *-?[0-9]*\.[0-9][0-9][0-9]?$/ || f == "********" }
  function whole(f) { return f ~ /^ *-?[0-9]+$/ || f ~ /^\*+$/ }
  # 8-column reals from column `from` to the end of the line, each after
  # `gap` blanks
  function reals(from, gap,   i, step) {
    step = 8 + gap
    if (length($0) < from + step - 1 || (length($0) - from + 1) % step) return 0
    for (i = from; i < length($0); i += step)
      if (substr($0, i, gap) !~ /^ *$/ || !real(substr($0, i + gap, 8))) return 0
    return 1
  }
  function position() {
    return substr($0, 1, 1) == " " && real(substr($0, 2, 8)) && real(substr($0, 10, 8))
  }
  {
    sub(/\r$/, "")
    if ($0 ~ /^ *$/) next
    is_grd = position() && reals(18, 1)
    if (!is_grd && !bad) bad = NR
    grd += is_grd
    key += position() && length($0) == 17
    mat += (substr($0, 1, 1) == " " && whole(substr($0, 2, 4)) && substr($0, 6, 2) == "  " \
            && whole(substr($0, 8, 2)) && reals(10, 1)) || reals(1, 1)
    year = whole(substr($0, 1, 5)) && reals(6, 0)
    if (!lines) first_is_year = year
    tsf += year
    ++lines
  }
  END {
    if (!lines) print "empty"
    else if (grd == lines) print "grd"
    else if (key == lines) print "key"
    else if (mat == lines) print "mat"
    else if (tsf && !first_is_year) print "tsf"
    else print "other", bad
  }' "$sea")
grd_run="the map needs the _sea file of a grd run (output kind 3)"
case $kind in
  grd) ;;
  empty) fail "$sea is empty: the versel run that wrote it found no station" ;;
  key) fail "$sea is the _key file of a mat run; $grd_run" ;;
  mat) fail "$sea is the _sea file of a mat run; $grd_run" ;;
  tsf) fail "$sea holds tsf output; $grd_run" ;;
  *) fail "$sea is not a grd file of versel: line ${kind#other } is not laid out as one" ;;
esac
work=$(mktemp -d "${TMPDIR:-/tmp}/grd_map.XXXXXX")
trap 'rm -rf "$work"' EXIT

# lon lat mean, one line per station with a value; fails when SEASON is not
# a season of the file.
awk -v s="$season" -v flag="$flag" '
  function field(from, width) { return substr($0, from, width) }
  {
    sub(/\r$/, "")  # versel ends its lines with a carriage return and a line feed
    if ($0 ~ /^ *$/) next
    n = int((length($0) - 17 + 1) / 9)
    if (s < 1 || s > n) { bad = 1; exit }
    lat = field(2, 8); lon = field(10, 8); mean = field(19 + 9 * (s - 1), 8)
    if (lat ~ /\*/ || lon ~ /\*/ || mean ~ /\*/) { skipped++; next }
    if ((mean - flag) < 0.0005 && (flag - mean) < 0.0005) { skipped++; next }
    printf "%s %s %s\n", lon + 0, lat + 0, mean + 0
  }
  END {
    if (bad) { printf "season %s is not in %s (it has %d)\n", s, FILENAME, n > "/dev/stderr"; exit 1 }
    if (skipped) printf "%d station(s) without a mean for season %s left off\n", skipped, s > "/dev/stderr"
  }' "$sea" > "$work/means.xyz"

if [ ! -s "$work/means.xyz" ]; then
  echo "no station of $sea has a mean for season $season" >&2
  exit 1
fi

# Region: the stations plus five degrees on every side; colours: the range of
# the means (widened when every station has the same mean).
region=$(awk 'NR == 1 { w = e = $1; s = n = $2 }
  { if ($1 < w) w = $1; if ($1 > e) e = $1; if ($2 < s) s = $2; if ($2 > n) n = $2 }
  END { s -= 5; n += 5; if (s < -85) s = -85; if (n > 85) n = 85
        printf "%d/%d/%d/%d", int(w - 5.5), int(e + 5.5), int(s - 0.5), int(n + 0.5) }' "$work/means.xyz")
range=$(awk 'NR == 1 { lo = hi = $3 } { if ($3 < lo) lo = $3; if ($3 > hi) hi = $3 }
  END { if (lo == hi) { lo -= 1; hi += 1 }; printf "%g/%g", lo, hi }' "$work/means.xyz")

command -v gmt >/dev/null 2>&1 ||
  fail "gmt is missing (Debian: apt-get install gmt gmt-gshhg-low ghostscript)"
gmt begin "$name" png
  gmt coast -R"$region" -JM16c -Dl -A1000 -Glightgray -Sazure -W0.25p,gray30 \
    -N1/0.5p,gray20 -N2/0.25p,gray50 -Baf -BWSen+t"season $season: long-term means"
  gmt makecpt -Cturbo -T"$range"
  gmt plot "$work/means.xyz" -Sc0.5c -C -W0.5p,black
  awk '{ printf "%s %s %.2f\n", $1, $2, $3 }' "$work/means.xyz" |
    gmt text -F+f9p,Helvetica,black+jLM -D0.4c/0
  gmt colorbar -DJBC+w10c+o0/1c -Baf+l"mean of season $season"
gmt end

echo "$name.png"
