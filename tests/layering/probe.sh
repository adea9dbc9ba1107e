#!/bin/sh
# Compiles one include as a file of a folder of src/ is compiled: against
# that folder's include root alone. "allowed": the include must compile;
# "refused": it must fail because the header is not there.
#   probe.sh COMPILER ROOT HEADER allowed|refused
compiler=$1 root=$2 header=$3 expect=$4
out=$(printf '#include "%s"\n' "$header" |
      "$compiler" -std=c++20 -fsyntax-only -I"$root" -x c++ - 2>&1)
status=$?
case $expect in
  allowed)
    [ $status -eq 0 ] && exit 0
    printf '%s\n' "$header should compile under $root:" "$out"; exit 1 ;;
  refused)
    if [ $status -ne 0 ] && printf '%s' "$out" | grep -q "$header: No such file"; then exit 0; fi
    printf '%s\n' "$header should not be reachable under $root:" "$out"; exit 1 ;;
esac
exit 2
