#!/bin/sh
# examples/grd_map.sh draws a PNG map from the grd output of the example
# data. Exit 77 when GMT or Ghostscript (which GMT uses for PNG) is missing.
# usage: gmt_map_test.sh VERSEL EXAMPLES_DIR WORK_DIR
versel=$1 examples=$2 work=$3
command -v gmt >/dev/null 2>&1 || { echo "gmt is missing"; exit 77; }
command -v gs >/dev/null 2>&1 || { echo "gs is missing"; exit 77; }
rm -rf "$work" && mkdir -p "$work" || exit 1
cp "$examples/temperature.dat" "$work/" || exit 1
cd "$work" || exit 1
[ -n "$HOME" ] || export HOME="$work"

printf '3\ntemperature.dat\n7\n00001113111311131113\n' | "$versel" > versel.log 2>&1 \
  || { cat versel.log; exit 1; }
[ "$(wc -l < temperature_sea)" -eq 4 ] || { echo "temperature_sea:"; cat temperature_sea; exit 1; }

sh "$examples/grd_map.sh" temperature_sea 4 summer_means || exit 1
[ -s summer_means.png ] || { echo "summer_means.png is missing or empty"; ls -la; exit 1; }
magic=$(od -An -tx1 -N8 summer_means.png | tr -d ' \n')
[ "$magic" = 89504e470d0a1a0a ] || { echo "summer_means.png is not a PNG ($magic)"; exit 1; }

# A season number beyond the file's seasons is refused, and no map is made.
if sh "$examples/grd_map.sh" temperature_sea 5 none 2>/dev/null; then
  echo "season 5 of a four-season file was accepted"; exit 1
fi
[ ! -e none.png ] || { echo "none.png was drawn for a season that does not exist"; exit 1; }
echo "summer_means.png: $(wc -c < summer_means.png) bytes"
