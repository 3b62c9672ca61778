#!/usr/bin/env bash
# The JVM search over a stand-in runtime: with a version probe against the
# same search answered from the version cache, side by side in one run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${BUILD_ROOT:-$here/build}
rounds=${1:-20}
win=$root/win
[ -x "$win/tests/bench/search_bench.exe" ] || BUILD_ROOT=$root bash "$here/scripts/build.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$win/standin/jre" "$work/jre"
"$win/wine-run.sh" "$win/tests/bench/search_bench.exe" "Z:${work//\//\\}\\jre" "$rounds"
