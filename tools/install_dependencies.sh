#!/bin/sh
# Installs what versel is built with when it is missing: a C++20 compiler,
# make, CMake and the netCDF C library; with --tests also GoogleTest. On
# Debian or Ubuntu through apt-get (as root, or through sudo); elsewhere it
# names what is missing and leaves the installing to you.
#   sh tools/install_dependencies.sh [--tests]
set -u
packages=""
command -v c++ >/dev/null 2>&1 || packages="$packages g++"
command -v make >/dev/null 2>&1 || packages="$packages make"
command -v cmake >/dev/null 2>&1 || packages="$packages cmake"
[ -f /usr/include/netcdf.h ] || packages="$packages libnetcdf-dev"
if [ "${1:-}" = "--tests" ]; then
  [ -f /usr/include/gtest/gtest.h ] || packages="$packages libgtest-dev"
fi
[ -z "$packages" ] && exit 0
if ! command -v apt-get >/dev/null 2>&1; then
  echo "versel needs:$packages (install them with your system's package manager)" >&2
  exit 1
fi
run=""
[ "$(id -u)" -ne 0 ] && run="sudo"
echo "installing:$packages" >&2
$run apt-get update -qq && DEBIAN_FRONTEND=noninteractive $run apt-get install -y -qq $packages
