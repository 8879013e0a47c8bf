#!/usr/bin/env bash
# Whole-job comparison on the side-file road: Quillbox.exe under Wine (timed by the driver from
# just before process creation to its final message box, less the time its large-file question
# stood open before the driver answered it) against GNU uuencode natively, on the same file in the
# page cache, writing to the same disk. Before every run of either tool the previous output is
# deleted and the disk synced, so no run pays for freeing or writing back another's output; a
# second round then replaces the output each time.
# Prints medians and ratios.
# Usage: bash bench/compare_jobs.sh [SIZE_BYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size=${1:-500000000}
runs=${2:-5}

bash scripts/setup.sh >&2
cmake --preset windows >/dev/null
cmake --build --preset windows --target Quillbox qbshow >/dev/null
source scripts/wine-env.sh
qb_start_wine

work=$(mktemp -d "$root/build/jobbench.XXXXXX")
trap 'rm -rf "$work"; qb_cleanup' EXIT
head -c "$size" /dev/urandom >"$work/in.bin"
head -c 1 /dev/urandom >"$work/one.bin"
cat "$work/in.bin" >/dev/null
win_in=$(winepath -w "$work/in.bin")

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

# The program's footprint with nothing to encode, for the memory figure.
idle=$(QB_TIME=1 wine64 build/windows/tests/wine/qbshow.exe "$(winepath -w "$work/one.bin")" |
  awk '/peak working set/ {print $4; exit}')

# One Quillbox run: prints its time (less answering) and its peak working set.
qb_run() {
  local out
  out=$(QB_TIME=1 wine64 build/windows/tests/wine/qbshow.exe "$win_in")
  grep -q 'side file:' <<<"$out" || { echo "$out" >&2; exit 1; }
  awk '/time to this box/ {t=$5} /time spent answering/ {a=$6} /peak working set/ {p=$4}
       END {print t - a, p}' <<<"$out"
}
# Medians of Quillbox and uuencode, each run starting without an older output ("new") or
# replacing the one the run before left ("replace").
compare() {
  local mode=$1 prep="sync" times=() peaks=() line
  [ "$mode" = new ] && prep="rm -f '$work/in.bin.uue' '$work/uu.txt'; sync"
  for _ in $(seq "$runs"); do
    eval "$prep"
    line=$(qb_run)
    times+=("${line% *}") peaks+=("${line#* }")
  done
  hyperfine --runs "$runs" --warmup 1 --prepare "$prep" --export-json "$work/uu.json" \
    "uuencode '$work/in.bin' in.bin > '$work/uu.txt'" >&2
  echo "$mode $(printf '%s\n' "${times[@]}" | median) $(printf '%s\n' "${peaks[@]}" | median)" \
    "$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][0]['median']*1000)" "$work/uu.json")"
}
eval "$(compare new | awk '{print "qb_ms=" $2 "; qb_peak=" $3 "; uu_ms=" $4}')"
eval "$(compare replace | awk '{print "qb_rep=" $2 "; uu_rep=" $4}')"

out_bytes=$(stat -c %s "$work/in.bin.uue")
python3 - "$size" "$qb_ms" "$uu_ms" "$qb_peak" "$idle" "$out_bytes" "$qb_rep" "$uu_rep" <<'PY'
import sys
size, qb, uu, peak, idle, out = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
qb_rep, uu_rep = float(sys.argv[7]), float(sys.argv[8])
mib = 1 << 20
print(f"input: {size / mib:.1f} MiB, side file: {out / mib:.1f} MiB")
print(f"new output     Quillbox.exe under Wine, start to final box, less answering: {qb:.0f} ms; "
      f"GNU uuencode: {uu:.0f} ms; ratio {qb / uu:.2f}")
print(f"replacing one  Quillbox.exe: {qb_rep:.0f} ms; GNU uuencode: {uu_rep:.0f} ms; "
      f"ratio {qb_rep / uu_rep:.2f}")
print(f"peak working set: {peak / mib:.1f} MiB; idle {idle / mib:.1f} MiB; "
      f"above idle {(peak - idle) / mib:.1f} MiB vs input + output {(size + out) / mib:.1f} MiB "
      f"(excess {(peak - idle - size - out) / mib:.1f} MiB)")
PY
