#!/usr/bin/env bash
# Start-up cost of the application launcher: the time from process start until
# JNI_CreateJavaVM is entered and the private memory at that moment, for
#  - the launcher with a warm version cache and no log,
#  - the launcher on a first run (the runtime's java.exe changed, so it is
#    probed again),
#  - a bare console program that only loads the same jvm.dll and calls it
#    (the floor), and the same as a GUI program that first initialises the
#    common controls as every launcher must (the floor of a GUI program),
# side by side in one run. The stand-in jvm.dll measures and ends the process.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${BUILD_ROOT:-$here/build}
rounds=${1:-15}
win=$root/win
stamp=$root/native/tools/stamp/stamp
[ -x "$win/tests/bench/bare_loader.exe" ] && [ -x "$stamp" ] || BUILD_ROOT=$root bash "$here/scripts/build.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
cp -r "$win/standin/jre" "$work/jre"
echo "startup_report=1" > "$work/jre/jvm-script.txt"
cat > "$work/app.toml" <<'TOML'
kind = "app"
[settings]
name = "Start-up benchmark"
main_class = "bench.Main"
search_sequence = "B..\\jre;EJAVA_HOME;Y;"
class_path = "A1..\\lib\\app.jar;"
TOML
cat >> "$work/app.toml" <<'TOML'
single_instance = false
native_library_directories = ""
TOML
mkdir -p "$work/lib" && touch "$work/lib/app.jar"
"$stamp" build "$work/app.toml" -o "$work/bin/app.exe" --launcher "$win/src/app-launcher.exe" >/dev/null

winpath() { local p=${1//\//\\}; echo "Z:$p"; }
run() { env -u VELKOR_LOG -u MORVANE_LOG "$win/wine-run.sh" "$@" </dev/null 2>/dev/null | tr -d '\r' | grep '^startup '; }

"$win/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1
run "$work/bin/app.exe" >/dev/null  # fills the version cache

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

measure() {  # label, command...
  local label=$1; shift
  : > "$work/samples"
  for ((i = 0; i < rounds; i++)); do
    [ "$label" = "launcher, first run" ] && touch "$work/jre/bin/java.exe"
    run "$@" >> "$work/samples"
  done
  local ms kib
  ms=$(sed 's/.*elapsed_us=\([0-9]*\).*/\1/' "$work/samples" | awk '{ print $1 / 1000 }' | median)
  kib=$(sed 's/.*private_bytes=\([0-9]*\).*/\1/' "$work/samples" | awk '{ print $1 / 1024 }' | median)
  printf '%-22s median %7.1f ms   private %7.0f KiB   (%d runs)\n' "$label" "$ms" "$kib" "$(wc -l < "$work/samples")"
  echo "$ms $kib" >> "$work/medians"
}


: > "$work/medians"
measure "bare jvm.dll loader" "$win/tests/bench/bare_loader.exe" "$(winpath "$work/jre/bin/server/jvm.dll")"
measure "bare GUI loader" "$win/tests/bench/gui_loader.exe" "$(winpath "$work/jre/bin/server/jvm.dll")"
measure "launcher, warm cache" "$work/bin/app.exe"
measure "launcher, first run" "$work/bin/app.exe"
awk 'NR == 1 { floorMs = $1; floorMem = $2 }
     NR == 2 { guiMs = $1; guiMem = $2 }
     NR == 3 { printf "warm launcher / floor:     time %.2fx, private memory %.2fx\n", $1 / floorMs, $2 / floorMem
               printf "warm launcher / GUI floor: time %.2fx, private memory %.2fx\n", $1 / guiMs, $2 / guiMem }
     NR == 4 { printf "first run / floor:         time %.2fx, private memory %.2fx\n", $1 / floorMs, $2 / floorMem }' "$work/medians"
