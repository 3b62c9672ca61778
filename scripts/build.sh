#!/usr/bin/env bash
# Builds both configurations: the Windows one (mingw-w64, run under Wine) and
# the native one (clang, sanitizers, fuzz targets, end-to-end tests).
# BUILD_ROOT chooses where (default: build/ in the checkout).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${BUILD_ROOT:-$here/build}
jobs=${JOBS:-$(nproc)}

cmake -S "$here" -B "$root/win" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/win" -j "$jobs"

CC=clang CXX=clang++ cmake -S "$here" -B "$root/native" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_WINDOWS_BUILD_DIR="$root/win" >/dev/null
cmake --build "$root/native" -j "$jobs"
