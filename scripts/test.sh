#!/usr/bin/env bash
# Installs what is missing, builds both configurations and runs every test:
# the Windows programs under Wine, the native ones under the sanitizers.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${BUILD_ROOT:-$here/build}
jobs=${JOBS:-$(nproc)}

bash "$here/scripts/deps.sh"
BUILD_ROOT=$root bash "$here/scripts/build.sh"

# Start Wine for the build's prefix before ctest: services that Wine starts on
# first use must not inherit ctest's pipes.
"$root/win/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1

status=0
(cd "$root/win" && ctest -j "$jobs" --output-on-failure) || status=1
(cd "$root/native" && ctest -j "$jobs" --output-on-failure) || status=1
exit $status
