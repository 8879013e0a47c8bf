#!/usr/bin/env bash
# The relay between two Quillboxes on one clipboard, in interleaved rounds: a file of SIZE bytes
# in PART_CHARS-character parts (250,000 by default), each part put by the sender as the
# receiver's answer asks for it, against the same file's whole text put on the clipboard at once
# and restored from there. Each is timed from the sender's start to the receiver's Save As (qbshow
# QB_RELAY); the first round checks that both give the input. Prints the fastest run and the
# median, the parts per second and the ratio of the two.
# Usage: bash bench/compare_relay.sh [SIZE_BYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size=${1:-9000000}
runs=${2:-5}
part_chars=${PART_CHARS:-250000}

source bench/prelude.sh
qb_bench_start relaybench Quillbox qbshow
head -c "$size" /dev/urandom >"$work/in.bin"
key='HKCU\Software\Quillbox'
relayed() {
  local out
  rm -f "$work/out.bin"
  out=$(QB_RELAY=$(winepath -w "$work/in.bin") QB_RESTORE_TO=$(winepath -w "$work/out.bin") \
    wine64 build/windows/tools/qbshow.exe)
  grep -q '已还原文件' <<<"$out" || { echo "$out" >&2; exit 1; }
  cmp "$work/in.bin" "$work/out.bin" >&2
  awk '/Save As:/ {t=$6} /sender:/ {n=$0; gsub(/[^0-9]/, "", n)} END {printf "%d %d\n", t, n}' <<<"$out"
}
for round in $(seq "$runs"); do
  wine64 reg add "$key" /v PartChars /t REG_DWORD /d "$part_chars" /f >/dev/null 2>&1
  echo "relay $(relayed)" >>"$work/runs"
  wine64 reg delete "$key" /f >/dev/null 2>&1 || true
  echo "whole $(relayed)" >>"$work/runs"
done

python3 - "$work/runs" "$size" "$part_chars" <<'PY'
import statistics, sys
path, size, chars = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
runs, parts = {}, 0
for line in open(path):
    f = line.split()
    runs.setdefault(f[0], []).append(float(f[1]))
    if f[0] == "relay": parts = int(f[2])
best = {k: min(v) for k, v in runs.items()}
med = {k: statistics.median(v) for k, v in runs.items()}
print(f"input: {size / 1e6:.1f} MB; relay in {parts} parts of {chars:,} characters; "
      f"{len(runs['relay'])} runs each, sender's start to receiver's Save As, fastest / median in ms:")
for k in ("relay", "whole"):
    print(f"  {k:6} {best[k]:7.0f} / {med[k]:7.0f}")
print(f"  parts per second: {parts / best['relay'] * 1000:.1f} fastest, {parts / med['relay'] * 1000:.1f} median")
print(f"  relay / whole text: {best['relay'] / best['whole']:.2f} fastest, {med['relay'] / med['whole']:.2f} median")
PY
