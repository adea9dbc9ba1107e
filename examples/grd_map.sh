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
# writes.
set -e

sea=$1
season=${2:-1}
name=${3:-${sea}_$season}
flag=${4:--999.9}

if [ -z "$sea" ] || [ ! -r "$sea" ]; then
  echo "usage: grd_map.sh SEA_FILE [SEASON [NAME [FLAG]]]" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/grd_map.XXXXXX")
trap 'rm -rf "$work"' EXIT

# lon lat mean, one line per station with a value; fails when SEASON is not
# a season of the file.
awk -v s="$season" -v flag="$flag" '
  function field(from, width) { return substr($0, from, width) }
  {
    sub(/\r$/, "")  # versel ends its lines with a carriage return and a line feed
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
