#!/usr/bin/env bash
# A launcher whose command-line tail is exactly "__mqv_reboot" waits five
# seconds, enables the shutdown privilege and asks Windows to restart, and
# does nothing else: no block is read (the launcher here is unstamped, so
# reading it would fail with a message box), no log is written, exit code 0.
# The restart request would end every program of the Wine prefix, so this
# runs in a prefix of its own.
set -euo pipefail
launcher=$1
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
  /d 'user32.ExitWindowsEx;user32.MessageBoxA;user32.MessageBoxW;advapi32.AdjustTokenPrivileges' </dev/null >/dev/null 2>&1
cp "$launcher" "$work/app.exe"

fail() { echo "FAIL: $*"; echo "--- trace"; cat "$work/trace"; exit 1; }
start=$(date +%s%N)
set +e
VELKOR_LOG=yes WINEDEBUG=-all,+relay wine "$work/app.exe" __mqv_reboot </dev/null >"$work/trace" 2>&1
status=$?
set -e
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))

[ "$status" -eq 0 ] || fail "exit code $status"
[ "$elapsed_ms" -ge 5000 ] || fail "ended after $elapsed_ms ms, before the five seconds"
grep -q 'Call advapi32.AdjustTokenPrivileges(' "$work/trace" || fail "the shutdown privilege was not asked for"
grep -q 'Call user32.ExitWindowsEx(00000002,00000000)' "$work/trace" || fail "no restart request (EWX_REBOOT without force)"
if grep -q 'Call user32.MessageBox' "$work/trace"; then fail "a message box was shown"; fi
logs=$(find "$WINEPREFIX/drive_c" -name 'mqv_nlog*' 2>/dev/null | wc -l)
[ "$logs" -eq 0 ] || fail "$logs log file(s) written"
echo "restart requested after $elapsed_ms ms, nothing else done"
