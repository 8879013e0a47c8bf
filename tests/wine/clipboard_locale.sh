#!/usr/bin/env bash
# Runs the clipboard-locale test under a Wine prefix and wineserver of its own, whose user locale
# (en_US, 0x0409) differs from the system's (zh_CN, 0x0804). Wine fixes the locales when its
# server starts, so the server the other tests share cannot be switched for this one.
# Usage: clipboard_locale.sh SESSION_DIR E2E_TESTS_EXE PREFIX (the session's display, its own prefix)
set -euo pipefail
source "$1/env"
tests=$2
unset LC_ALL
export LC_CTYPE=zh_CN.UTF-8 LC_MESSAGES=en_US.UTF-8 LANG=en_US.UTF-8 WINEPREFIX=$3
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine64 wineboot -i >/dev/null 2>&1
  wineserver -w
fi
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
out=$(wine64 "$tests" --gtest_filter='ClipboardLocale.*' 2>&1) || { echo "$out"; exit 1; }
echo "$out"
# A skip here means the locales came out alike, and the test proved nothing.
grep -q '^\[  PASSED  \] 1 test' <<<"$out" && ! grep -q 'SKIPPED' <<<"$out"
