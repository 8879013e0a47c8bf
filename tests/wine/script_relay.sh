#!/usr/bin/env bash
# The receiver script as the far end of a relay: Quillbox sends a file in parts under Wine (its
# 对方没有Quillbox pressed), and the script runs under pwsh on the same X display, its clipboard
# through xclip (Wine bridges its clipboard to X both ways; CRLF becomes LF on the way). The sender
# stays alive throughout, which keeps Wine's clipboard bridge up. Checks the saved file's bytes and
# name, the mark of the web the script asked for, and that the sender heard every part arrive.
# Usage: script_relay.sh SESSION_DIR QBSHOW.exe SCRIPT.ps1 PWSH [SIZE_BYTES]
# With a size it times the relay too (the script's start to the saved file), for the README.
set -euo pipefail
session=$1 qbshow=$2 script=$3 pwsh=$4 size=${5:-700000}
source "$session/env"
work=$(mktemp -d /tmp/qb-script.XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"
      wine64 reg delete "HKCU\\Software\\Quillbox" /f >/dev/null 2>&1 || true' EXIT
mkdir "$work/far"
head -c "$size" /dev/urandom >"$work/报告 1.bin"
wine64 reg add "HKCU\\Software\\Quillbox" /v PartChars /t REG_DWORD /d 250000 /f >/dev/null 2>&1
QB_TO_SCRIPT=$(winepath -w "$work/报告 1.bin") wine64 "$qbshow" >"$work/sender.log" 2>&1 &
pids+=($!)
sender=$!
for _ in $(seq 600); do grep -q '^script put' "$work/sender.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^script put' "$work/sender.log" || { cat "$work/sender.log"; exit 1; }
# Linux has no clipboard cmdlets and no streams: both stand in, the clipboard through xclip (a
# read that hangs when the owner changes mid-read is cut off), the stream write recorded.
cat >"$work/run.ps1" <<'PS'
param($script, $zone)
# Windows PowerShell and pwsh on Windows have this alias; pwsh on Linux leaves `sleep` to /bin.
Set-Alias sleep Start-Sleep
function Get-Clipboard { (timeout 2 xclip -o -selection clipboard 2>$null) -join "`n" }
function Set-Clipboard { param($Value) $Value | timeout 2 xclip -i -selection clipboard }
function Set-Content { "$args" > $zone }
& $script
PS
cd "$work/far"
start=$(date +%s%N)
timeout 300 "$pwsh" -NoProfile -File "$work/run.ps1" "$script" "$work/zone" >"$work/script.log" 2>&1 ||
  { cat "$work/script.log" "$work/sender.log"; exit 1; }
echo "script's start to the file saved: $(( ($(date +%s%N) - start) / 1000000 )) ms"
wait "$sender" || true
cat "$work/sender.log" "$work/script.log"
cmp "$work/报告 1.bin" "$work/far/报告 1.bin"
grep -q -- '-Stream Zone.Identifier' "$work/zone"
grep -q 'ZoneId=3' "$work/zone"
grep -q '^sender: 对方已收到全部 [0-9,]* 段，文件已核对无误' "$work/sender.log"
grep -q '^exit code: 0' "$work/sender.log"
echo "the file crossed to the script, checked"
