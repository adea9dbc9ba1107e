#!/bin/sh
# With GoogleTest out of sight (CMAKE_DISABLE_FIND_PACKAGE_GTest), versel
# still configures and builds, and no test program is built; asked for
# explicitly with VERSEL_TESTS=ON, the missing GoogleTest stops the configure
# with a message that says what to install.
# usage: build_without_googletest.sh CMAKE CXX_COMPILER SOURCE_DIR WORK_DIR
cmake=$1 cxx=$2 source=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
build=$work/build
fail() { echo "$*"; exit 1; }

# unoptimized: what is tested is the configure and that everything compiles
"$cmake" -S "$source" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON > "$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; fail "configure without GoogleTest failed"; }
grep -q "GoogleTest not found: building versel without its tests" "$work/configure.log" ||
  { cat "$work/configure.log"; fail "the configure did not say that the tests are left out"; }
"$cmake" --build "$build" -j2 > "$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "build without GoogleTest failed"; }
built=$(find "$build" -type f -name '*_tests')
[ -z "$built" ] || fail "test programs were built: $built"
out=$(echo 0 | "$build/versel") || fail "the built versel failed"
case $out in
  *"Program Terminated by user"*) ;;
  *) echo "$out"; fail "the built versel did not run" ;;
esac

if "$cmake" -S "$source" -B "$build" -DVERSEL_TESTS=ON > "$work/required.log" 2>&1; then
  fail "VERSEL_TESTS=ON configured without GoogleTest"
fi
# CMake wraps the message: compare with its lines joined
said=$(tr -s ' \n' '  ' < "$work/required.log")
case $said in
  *"VERSEL_TESTS=ON, but GoogleTest was not found; the tests need it (Debian: apt-get install libgtest-dev)"*) ;;
  *) cat "$work/required.log"; fail "VERSEL_TESTS=ON without GoogleTest: no clear message" ;;
esac
rm -rf "$work"
echo "versel builds without GoogleTest; VERSEL_TESTS=ON asks for it"
