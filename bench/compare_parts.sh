#!/usr/bin/env bash
# Parts on both roads, in interleaved rounds on the same file in the page cache:
#   - encoding SIZE bytes into a side file in PART_CHARS-character parts (1,000,000 by default)
#     against the same job without parts and against the program's SHA-256 of the file alone,
#     each timed as compare_jobs.sh and compare_restore.sh time them;
#   - restoring the file from its parts in one .uue against restoring it from its whole text.
# The first round checks that both restores give the input. Prints the fastest run and the
# median of each, the ratios the parts are held to, and the restores' peak working set.
# Usage: bash bench/compare_parts.sh [SIZE_BYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size=${1:-500000000}
runs=${2:-3}
part_chars=${PART_CHARS:-1000000}

source bench/prelude.sh
qb_bench_start partsbench Quillbox qbshow qbsha
head -c "$size" /dev/urandom >"$work/in.bin"
show=build/windows/tools/qbshow.exe
win_in=$(winepath -w "$work/in.bin")
key='HKCU\Software\Quillbox'
parts() { wine64 reg add "$key" /v PartChars /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
whole() { wine64 reg delete "$key" /f >/dev/null 2>&1 || true; }

encoded() {
  local out
  out=$(QB_TIME=1 wine64 "$show" "$win_in")
  # Without parts the side file's box ends the job; with them the parts window, naming the side file.
  grep -q '由于文件大于10M\|(parts window) 已生成' <<<"$out" || { echo "$out" >&2; exit 1; }
  awk '/time to this box/ {t=$5} /time to the parts window/ {t=$6} /time spent answering/ {a=$6}
       END {printf "%.0f\n", t - a}' <<<"$out"
}
restored() {
  local out
  out=$(QB_RESTORE=$(winepath -w "$1") QB_RESTORE_TO=$(winepath -w "$work/restored.bin") wine64 "$show")
  grep -q '已还原文件' <<<"$out" || { echo "$out" >&2; exit 1; }
  [ -n "$checked" ] || cmp "$work/in.bin" "$work/restored.bin" >&2
  awk '/time to this box/ {t=$5} /time spent answering/ {a=$6} /peak working set/ {p=$4}
       END {printf "%.0f %d\n", t - a, p}' <<<"$out"
}
prep() { rm -f "$work/restored.bin"; cat "$work/in.bin" >/dev/null; sync; }

checked=
for round in $(seq "$runs"); do
  whole; prep; rm -f "$work/in.bin.uue"; echo "whole-encode $(encoded)" >>"$work/runs"
  mv "$work/in.bin.uue" "$work/whole.uue"
  parts "$part_chars"; prep; echo "parts-encode $(encoded)" >>"$work/runs"
  mv "$work/in.bin.uue" "$work/parts.uue"
  whole
  prep; out=$(wine64 build/windows/tools/qbsha.exe "$win_in")
  echo "sha256 $(awk '/hashing:/ {print $2}' <<<"$out")" >>"$work/runs"
  prep; echo "whole-restore $(restored "$work/whole.uue")" >>"$work/runs"
  prep; echo "parts-restore $(restored "$work/parts.uue")" >>"$work/runs"
  checked=1
done

python3 - "$work/runs" "$size" "$(grep -c '^#Quillbox part ' "$work/parts.uue")" <<'PY'
import statistics, sys
path, size, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
runs, peaks = {}, {}
for line in open(path):
    f = line.split()
    runs.setdefault(f[0], []).append(float(f[1]))
    if len(f) > 2: peaks.setdefault(f[0], []).append(int(f[2]))
best = {k: min(v) for k, v in runs.items()}
med = {k: statistics.median(v) for k, v in runs.items()}
print(f"input: {size / (1 << 20):.1f} MiB in {count} parts; {len(runs['sha256'])} runs each, fastest / median in ms:")
for k in ("whole-encode", "parts-encode", "sha256", "whole-restore", "parts-restore"):
    print(f"  {k:13} {best[k]:7.0f} / {med[k]:7.0f}")
bound = (max(best["whole-encode"], best["sha256"]), max(med["whole-encode"], med["sha256"]))
print(f"  parts-encode / max(whole-encode, sha-256): {best['parts-encode'] / bound[0]:.2f} fastest, "
      f"{med['parts-encode'] / bound[1]:.2f} median (goal 1.10)")
print(f"  parts-restore / whole-restore: {best['parts-restore'] / best['whole-restore']:.2f} fastest, "
      f"{med['parts-restore'] / med['whole-restore']:.2f} median (goal 1.10)")
for k in ("whole-restore", "parts-restore"):
    print(f"  {k} peak working set: {max(peaks[k]) / (1 << 20):.1f} MiB")
PY
