#!/usr/bin/env bash
# The main job: installs what is missing, builds, stamps the demo application
# launcher beside the stand-in Java runtime, runs it under Wine with a few
# arguments and shows what the JVM and the Java side received, and the log.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${BUILD_ROOT:-$here/build}

bash "$here/scripts/deps.sh"
BUILD_ROOT=$root bash "$here/scripts/build.sh" >/dev/null
win=$root/win
stamp=$root/native/tools/stamp/stamp

demo=$root/demo
rm -rf "$demo"
mkdir -p "$demo/bin" "$demo/conf" "$demo/lib/ext" "$demo/logs"
cp -r "$win/standin/jre" "$demo/jre"
echo "main_stdout=1" > "$demo/jre/jvm-script.txt"
touch "$demo/lib/demo.jar" "$demo/lib/ext/util.jar" "$demo/lib/ext/icons.zip"
cp "$here/scripts/demo/demo.vmoptions" "$demo/bin/demo.vmoptions"
cp "$here/scripts/demo/site.vmoptions" "$demo/conf/site.vmoptions"
cp "$here/scripts/demo/demo.toml" "$demo/demo.toml"
cp "$win/src/app-launcher.exe" "$demo/app-launcher.exe"

echo "== stamp build demo.toml"
"$stamp" build "$demo/demo.toml" -o "$demo/bin/demo.exe"
echo
echo "== stamp inspect bin/demo.exe (first lines)"
"$stamp" inspect "$demo/bin/demo.exe" | sed -n "1,12p"
echo

"$win/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1
temp=$("$win/wine-run.sh" cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')
tempUnix=$(WINEPREFIX=$win/wineprefix winepath -u "$temp" 2>/dev/null)
rm -f "$tempUnix"/mqv_nlog_*

echo "== wine bin/demo.exe report.txt \"two words\" -J-Dfrom.command.line=yes"
set +e
(cd "$demo/bin" && VELKOR_LOG=yes "$win/wine-run.sh" demo.exe report.txt "two words" -J-Dfrom.command.line=yes </dev/null)
status=$?
set -e
echo "exit code: $status"
echo
echo "== what the JVM was created with and what main received (jre/jvm-trace.txt)"
cat "$demo/jre/jvm-trace.txt"
echo
echo "== the log"
cat "$(ls -t "$tempUnix"/mqv_nlog_* | head -n 1)" | tr -d '\r'
exit $status
