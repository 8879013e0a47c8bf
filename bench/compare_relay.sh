#!/usr/bin/env bash
# The relay between two Quillboxes on one clipboard, in interleaved rounds: a file of SIZE bytes
# in PART_CHARS-character parts (250,000 by default), each part put by the sender as the
# receiver's answer asks for it, against the same file's whole text put on the clipboard at once
# and restored from there, and against the relay's floor: two bare programs taking turns on the
# clipboard with as many texts of as many characters (qbrelayfloor). The relay is timed from the
# sender's start to the receiver's last answer on the clipboard, and apart from that to its Save
# As (qbshow QB_RELAY); every round checks that the file arrived whole. Prints the fastest run and
# the median of each, the parts per second and the ratios.
# Usage: bash bench/compare_relay.sh [SIZE_BYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size=${1:-9000000}
runs=${2:-7}
part_chars=${PART_CHARS:-250000}

source bench/prelude.sh
qb_bench_start relaybench Quillbox qbshow qbrelayfloor
head -c "$size" /dev/urandom >"$work/in.bin"
key='HKCU\Software\Quillbox'
relayed() {
  local out
  rm -f "$work/out.bin"
  out=$(QB_RELAY=$(winepath -w "$work/in.bin") QB_RESTORE_TO=$(winepath -w "$work/out.bin") \
    wine64 build/windows/tools/qbshow.exe)
  grep -q '已还原文件' <<<"$out" || { echo "$out" >&2; exit 1; }
  cmp "$work/in.bin" "$work/out.bin" >&2
  awk '/to Save As:/ {t=$6} /to the last answer:/ {a=$7} /sender:/ {n=$0; gsub(/[^0-9]/, "", n)} END {printf "%d %d %d\n", t, n, a}' <<<"$out"
}
floor() {
  local parts=$1 fifo="$work/floor.out" pid
  rm -f "$fifo" && mkfifo "$fifo"
  wine64 build/windows/tools/qbrelayfloor.exe receive >"$fifo" &
  pid=$!
  head -n 1 "$fifo" >/dev/null
  wine64 build/windows/tools/qbrelayfloor.exe send "$parts" "$part_chars" | awk '/last answer:/ {print $3}'
  wait "$pid"
}
for round in $(seq "$runs"); do
  wine64 reg add "$key" /v PartChars /t REG_DWORD /d "$part_chars" /f >/dev/null 2>&1
  relay=$(relayed)
  echo "relay $relay" >>"$work/runs"
  parts=$(cut -d' ' -f2 <<<"$relay")
  echo "floor $(floor "$parts") $parts 0" >>"$work/runs"
  wine64 reg delete "$key" /f >/dev/null 2>&1 || true
  echo "whole $(relayed)" >>"$work/runs"
done

python3 - "$work/runs" "$size" "$part_chars" <<'PY'
import statistics, sys
path, size, chars = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
runs, answer, saveas, parts = {}, [], [], 0
for line in open(path):
    f = line.split()
    runs.setdefault(f[0], []).append(float(f[1]))
    if f[0] == "relay":
        parts = int(f[2])
        answer.append(float(f[3]))
        saveas.append(float(f[1]) - float(f[3]))
runs["answer"] = answer
best = {k: min(v) for k, v in runs.items()}
med = {k: statistics.median(v) for k, v in runs.items()}
print(f"input: {size / 1e6:.1f} MB; relay in {parts} parts of {chars:,} characters; "
      f"{len(runs['relay'])} rounds, fastest / median in ms:")
print(f"  relay, sender's start to last answer  {best['answer']:7.0f} / {med['answer']:7.0f}")
print(f"  floor, two bare ends, same texts      {best['floor']:7.0f} / {med['floor']:7.0f}")
print(f"  last answer to Save As                {min(saveas):7.0f} / {statistics.median(saveas):7.0f}")
print(f"  relay, sender's start to Save As      {best['relay']:7.0f} / {med['relay']:7.0f}")
print(f"  whole text, start to Save As          {best['whole']:7.0f} / {med['whole']:7.0f}")
print(f"  parts per second: {parts / best['answer'] * 1000:.1f} fastest, {parts / med['answer'] * 1000:.1f} median")
print(f"  relay / floor: {best['answer'] / best['floor']:.2f} fastest, {med['answer'] / med['floor']:.2f} median")
print(f"  relay / whole text (to Save As): {best['relay'] / best['whole']:.2f} fastest, {med['relay'] / med['whole']:.2f} median")
PY
