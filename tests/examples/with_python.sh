#!/bin/sh
# Runs a Python script with the first python3 that can import MODULE (the one
# on PATH, else the system's /usr/bin/python3, where Debian's python3-numpy
# installs); exit 77 when there is none.
# usage: with_python.sh MODULE SCRIPT [ARGS...]   (MODULE "sys" for any python3)
module="$1"; shift
for python in python3 /usr/bin/python3; do
  if "$python" -c "import $module" >/dev/null 2>&1; then
    exec "$python" "$@"
  fi
done
echo "no python3 with $module"
exit 77
