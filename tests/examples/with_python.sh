#!/bin/sh
# Runs a Python script with python3; exit 77 when there is none.
# usage: with_python.sh SCRIPT [ARGS...]
for python in python3 /usr/bin/python3; do
  if "$python" -c '' >/dev/null 2>&1; then
    exec "$python" "$@"
  fi
done
echo "no python3"
exit 77
