#!/bin/sh
# The manual page renders through man without a single warning from the
# formatter, and the rendered page holds its sections. Exit 77: man is missing.
# usage: man_page_test.sh PAGE
page=$1
command -v man >/dev/null 2>&1 || { echo "man is missing"; exit 77; }
warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "man -l $page warns:"
  echo "$warnings"
  exit 1
fi
text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man -E UTF-8 -l "$page" 2>/dev/null | col -b)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS LAYOUTS "CLIMATE MASK" OUTPUT CHRONOLOGY FILES \
    "EXIT STATUS" LIMITS EXAMPLES; do
  if ! printf '%s\n' "$text" | grep -q "^$section\$"; then
    echo "the rendered page has no section $section"
    exit 1
  fi
done
echo "man -l $page: no warnings"
