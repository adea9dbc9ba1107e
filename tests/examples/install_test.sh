#!/bin/sh
# cmake --install puts the program and its manual page under the prefix, and
# the installed program runs.
# usage: install_test.sh CMAKE BUILD_DIR PREFIX
cmake=$1 build=$2 prefix=$3
rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" || exit 1
status=0
for f in bin/versel share/man/man1/versel.1; do
  [ -s "$prefix/$f" ] || { echo "missing after install: $prefix/$f"; status=1; }
done
[ -x "$prefix/bin/versel" ] || { echo "bin/versel is not executable"; exit 1; }
# Answer 0 at the first menu ends a run at once.
out=$(cd "$prefix" && echo 0 | ./bin/versel) || { echo "installed versel failed"; exit 1; }
case $out in
  *"Program Terminated by user"*) ;;
  *) echo "installed versel said:"; echo "$out"; status=1 ;;
esac
rm -rf "$prefix"
exit $status
