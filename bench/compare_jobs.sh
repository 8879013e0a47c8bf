#!/usr/bin/env bash
# Whole-job comparison on the side-file road, in interleaved rounds on the same file in the page
# cache, writing to the same disk:
#   - Quillbox.exe under Wine, timed by the driver from just before process creation to its final
#     message box, less the time its large-file question stood open before the driver answered (a
#     run past 2 s shows a progress window, which the driver tells from a box and never presses);
#   - GNU uuencode natively;
#   - this machine's floor: qbfloor.exe, which shows only the same message boxes (timed the same
#     way), plus dd writing as many bytes as the side file into the same folder;
#   - optionally another build of Quillbox.exe (QB_COMPARE_EXE, a Linux path), e.g. the last one.
# Before every run the input is read again and the disk synced; in the "new" round each run's
# older output is deleted first, in the "replace" round it is left for the next run to replace.
# Prints the fastest run and the median of each, their ratios, and the peak working set.
# Usage: bash bench/compare_jobs.sh [SIZE_BYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size=${1:-500000000}
runs=${2:-7}

source bench/prelude.sh
qb_bench_start jobbench Quillbox qbshow qbfloor
head -c "$size" /dev/urandom >"$work/in.bin"
head -c 1 /dev/urandom >"$work/one.bin"
win_in=$(winepath -w "$work/in.bin")
show=build/windows/tools/qbshow.exe
floor_exe=$(winepath -w build/windows/tools/qbfloor.exe)
compare_exe=${QB_COMPARE_EXE:+$(winepath -w "$QB_COMPARE_EXE")}

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
# One driven run of a program (QB_PROGRAM empty: Quillbox.exe): prints its time less answering,
# and its peak working set.
driven() {
  local out
  out=$(QB_PROGRAM=$1 QB_TIME=1 wine64 "$show" "$2")
  [ -n "$1" ] || [ "$2" != "$win_in" ] || grep -q 'side file:' <<<"$out" || { echo "$out" >&2; exit 1; }
  awk '/time to this box/ {t=$5} /time spent answering/ {a=$6} /peak working set/ {p=$4}
       END {printf "%.0f %d\n", t - a, p}' <<<"$out"
}

idle=$(driven "" "$(winepath -w "$work/one.bin")" | cut -d' ' -f2)
out_bytes=0

# Runs every tool once per round, interleaved, and appends "tool ms [peak]" lines to $work/$1.
round() {
  local mode=$1 start line
  prep() {
    [ "$mode" = new ] && rm -f "$work/in.bin.uue" "$work/uu.txt" "$work/floor.out"
    cat "$work/in.bin" >/dev/null
    sync
  }
  for _ in $(seq "$runs"); do
    prep; line=$(driven "" "$win_in"); echo "quillbox $line" >>"$work/$mode"
    out_bytes=$(stat -c %s "$work/in.bin.uue")
    if [ -n "$compare_exe" ]; then
      prep; [ "$mode" = new ] && rm -f "$work/in.bin.uue"
      line=$(QB_PROGRAM= driven "$compare_exe" "$win_in"); echo "other $line" >>"$work/$mode"
    fi
    prep; start=$(date +%s%N); uuencode "$work/in.bin" in.bin >"$work/uu.txt"
    echo "uuencode $(ms_since "$start")" >>"$work/$mode"
    prep; line=$(driven "$floor_exe" "$win_in"); echo "boxes $line" >>"$work/$mode"
    prep; start=$(date +%s%N)
    dd if=/dev/zero of="$work/floor.out" bs=1M count="$out_bytes" iflag=count_bytes status=none
    echo "dd $(ms_since "$start")" >>"$work/$mode"
  done
}
round new
round replace

python3 - "$work" "$size" "$idle" "$out_bytes" <<'PY'
import statistics, sys
work, size, idle, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
mib = 1 << 20
print(f"input: {size / mib:.1f} MiB, side file: {out / mib:.1f} MiB")
for mode in ("new", "replace"):
    runs = {}
    peaks = []
    for line in open(f"{work}/{mode}"):
        f = line.split()
        runs.setdefault(f[0], []).append(float(f[1]))
        if f[0] == "quillbox": peaks.append(int(f[2]))
    best = {k: min(v) for k, v in runs.items()}
    med = {k: statistics.median(v) for k, v in runs.items()}
    # The floor pairs the fastest (or median) box-only run with the fastest (or median) dd.
    best["floor"] = best["boxes"] + best["dd"]
    med["floor"] = med["boxes"] + med["dd"]
    print(f"{mode} output ({len(runs['quillbox'])} runs each), fastest / median in ms:")
    for k in ("quillbox", "other", "uuencode", "boxes", "dd", "floor"):
        if k in best: print(f"  {k:9} {best[k]:7.0f} / {med[k]:7.0f}")
    print(f"  quillbox / uuencode: {best['quillbox'] / best['uuencode']:.2f} fastest, "
          f"{med['quillbox'] / med['uuencode']:.2f} median")
    print(f"  quillbox / floor:    {best['quillbox'] / best['floor']:.2f} fastest, "
          f"{med['quillbox'] / med['floor']:.2f} median")
    if "other" in best:
        print(f"  quillbox / other:    {best['quillbox'] / best['other']:.2f} fastest, "
              f"{med['quillbox'] / med['other']:.2f} median")
    if mode == "new":
        peak = max(peaks)
        print(f"  peak working set: {peak / mib:.1f} MiB, idle {idle / mib:.1f} MiB, "
              f"above idle {(peak - idle) / mib:.1f} MiB")
PY
