#!/bin/sh
# Runs a Python script with the first python3 that has numpy: the one on PATH,
# else the system's /usr/bin/python3 (Debian's python3-numpy installs there).
# Exit 77 when neither has numpy.
# usage: with_numpy.sh SCRIPT [ARGS...]
for python in python3 /usr/bin/python3; do
  if "$python" -c 'import numpy' >/dev/null 2>&1; then
    exec "$python" "$@"
  fi
done
echo "no python3 with numpy"
exit 77
