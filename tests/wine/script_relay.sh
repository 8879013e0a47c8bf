#!/usr/bin/env bash
# The receiver script as the far end of a relay: Quillbox sends a file in parts under Wine (its
# 对方没有Quillbox pressed), and the script runs under pwsh on the same X display, its clipboard
# through xclip (Wine bridges its clipboard to X both ways; CRLF becomes LF on the way). The sender
# stays alive throughout, which keeps Wine's clipboard bridge up. Checks the saved file's bytes and
# name, the mark of the web the script asked for, and that the sender heard every part arrive.
# Usage: script_relay.sh SESSION_DIR QBSHOW.exe SCRIPT.ps1 PWSH
set -euo pipefail
session=$1 qbshow=$2 script=$3 pwsh=$4
source "$session/env"
work=$(mktemp -d /tmp/qb-script.XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"
      wine64 reg delete "HKCU\\Software\\Quillbox" /f >/dev/null 2>&1 || true' EXIT
mkdir "$work/far"
head -c 700000 /dev/urandom >"$work/报告 1.bin"
wine64 reg add "HKCU\\Software\\Quillbox" /v PartChars /t REG_DWORD /d 250000 /f >/dev/null 2>&1
QB_TO_SCRIPT=$(winepath -w "$work/报告 1.bin") wine64 "$qbshow" >"$work/sender.log" 2>&1 &
pids+=($!)
sender=$!
for _ in $(seq 600); do grep -q '^script put' "$work/sender.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^script put' "$work/sender.log" || { cat "$work/sender.log"; exit 1; }
# Linux has no clipboard cmdlets and no streams: both stand in, the clipboard through xclip (a
# read that hangs when the owner changes mid-read is cut off), the stream write recorded.
cd "$work/far"
timeout 120 "$pwsh" -NoProfile -Command "
  function Get-Clipboard { timeout 2 xclip -o -selection clipboard 2>`$null | Out-String -Stream | Join-String -Separator \"\`n\" }
  function Set-Clipboard { param(\$Value) \$Value | timeout 2 xclip -i -selection clipboard }
  function Set-Content { \"\$args\" > '$work/zone' }
  & '$script'" >"$work/script.log" 2>&1 || { cat "$work/script.log" "$work/sender.log"; exit 1; }
wait "$sender" || true
cat "$work/sender.log" "$work/script.log"
cmp "$work/报告 1.bin" "$work/far/报告 1.bin"
grep -q -- '-Stream Zone.Identifier' "$work/zone"
grep -q 'ZoneId=3' "$work/zone"
grep -q '^sender: 对方已收到全部 1 段\|^sender: 对方已收到全部 3 段' "$work/sender.log"
grep -q '^exit code: 0' "$work/sender.log"
echo "the file crossed to the script, checked"
