#!/bin/sh
# cmake --install puts the program, its manual page and the example data and
# scripts under the prefix, and the installed program runs, also on a copy of
# the installed example data. The output files of a run in the source
# examples/ are no part of the install.
# usage: install_test.sh CMAKE BUILD_DIR PREFIX EXAMPLES_DIR
cmake=$1 build=$2 prefix=$3 examples=$4
rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" || exit 1
status=0
shared=share/versel/examples
data="temperature.dat free.csv ghcnm.dat ghcnm.inv climdiv.txt climdiv_coords.csv stations_wide.csv station_long.csv grid.nc chronology.crn"
for f in bin/versel share/man/man1/versel.1 $shared/grd_map.sh $shared/load_mat.py; do
  [ -s "$prefix/$f" ] || { echo "missing after install: $prefix/$f"; status=1; }
done
[ -x "$prefix/bin/versel" ] || { echo "bin/versel is not executable"; exit 1; }
for f in grd_map.sh load_mat.py; do
  [ -x "$prefix/$shared/$f" ] || { echo "$shared/$f is not executable"; status=1; }
done
for f in $data; do
  cmp -s "$examples/$f" "$prefix/$shared/$f" ||
    { echo "$shared/$f is missing or differs from examples/$f"; status=1; }
done
extra=$(ls "$prefix/$shared" | grep -v -x -e grd_map.sh -e load_mat.py $(for f in $data; do printf ' -e %s' "$f"; done))
[ -z "$extra" ] || { echo "$shared holds more than the examples: $extra"; status=1; }
# Answer 0 at the first menu ends a run at once.
out=$(cd "$prefix" && echo 0 | ./bin/versel) || { echo "installed versel failed"; exit 1; }
case $out in
  *"Program Terminated by user"*) ;;
  *) echo "installed versel said:"; echo "$out"; status=1 ;;
esac
# The way versel.1 shows: a copy of the examples, and a run there.
cp -r "$prefix/$shared" "$prefix/copy" || exit 1
printf '1\ntemperature.dat\n7\n00001113111311131113\n' |
  (cd "$prefix/copy" && ../bin/versel > run.log 2>&1) ||
  { echo "installed versel on the installed example data failed:"; cat "$prefix/copy/run.log"; status=1; }
[ -s "$prefix/copy/temperature_sea" ] || { echo "the run on the installed examples wrote nothing"; status=1; }
# and a layout of downloaded files, with its inventory
(cd "$prefix/copy" && ../bin/versel -q -k grd --layout ghcnm --coords ghcnm.inv -m 000001130000 ghcnm.dat) ||
  { echo "installed versel on the installed ghcnm example failed"; status=1; }
[ -s "$prefix/copy/ghcnm_sea" ] || { echo "the ghcnm run on the installed examples wrote nothing"; status=1; }
# the example grid as netCDF, and the screen of the example chronology
(cd "$prefix/copy" && ../bin/versel -q -k nc --layout netcdf -m 000001130000 grid.nc) ||
  { echo "installed versel on the installed example grid failed"; status=1; }
[ -s "$prefix/copy/grid_sea.nc" ] || { echo "the grid run on the installed examples wrote nothing"; status=1; }
(cd "$prefix/copy" && ../bin/versel -q -k csv -d 7 --chronology chronology.crn --screen temperature.dat) ||
  { echo "installed versel on the installed example chronology failed"; status=1; }
[ -s "$prefix/copy/temperature_screen.svg" ] ||
  { echo "the screen on the installed examples drew nothing"; status=1; }
rm -rf "$prefix"
exit $status
