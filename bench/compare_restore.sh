#!/usr/bin/env bash
# Whole-job comparison on the restore road, in interleaved rounds on the same side file in the
# page cache, writing to the same disk:
#   - Quillbox.exe under Wine restoring that side file through its File menu (qbshow with
#     QB_RESTORE), timed by the driver from just before process creation to the outcome box, less
#     the time the Open and Save As dialogs stood open before the driver answered them;
#   - GNU uudecode natively;
#   - the program's own SHA-256 (CNG) of the same input under Wine, alone (qbsha.exe, which counts
#     only the time spent hashing): the restore hashes every byte it writes, uudecode does not.
# The side file is made by Quillbox itself from random bytes. Before every run the side file and
# the input are read again, the disk synced and the run's older output deleted. The first round
# checks that Quillbox's output equals the input and that its SHA-256 is sha256sum's.
# Prints the fastest run and the median of each, the ratio to half of uudecode plus the hashing
# (the bound we hold the restore to), the hashing's own throughput, and the peak working set above
# the idle program. Last, one restore of a CLIP_BYTES file's text (40,000,000 by default: about
# 108 MB of UTF-16) from the clipboard, and its peak working set above the idle program and the
# system's own copy of the text. Then the hostile texts: 9,999 sets of one part each, each
# claiming 9,999 parts (about 1.9 MB), restored from the clipboard, and three such files picked at
# once in the Open dialog; each must be refused, and each gives its time to the report and its peak
# working set above the idle program (and the clipboard's copy). HOSTILE_ONLY=1 runs those alone.
# Usage: bash bench/compare_restore.sh [SIZE_BYTES] [RUNS]  (SIZE over 10 MiB: a side file)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
size=${1:-500000000}
runs=${2:-7}
clip_size=${CLIP_BYTES:-40000000}

source bench/prelude.sh
qb_bench_start restorebench Quillbox qbshow qbsha
show=build/windows/tools/qbshow.exe
idle=$(QB_IDLE=1 wine64 "$show" | awk '/idle working set/ {print $4}')

# The hostile texts: every set a part 1 of 45 bytes with a digest of its own (the seed sets the files apart).
hostile() {
  python3 - "$1" "$2" <<'PY'
import hashlib, sys
out, seed = sys.argv[1], sys.argv[2]
line = "M" + "!" * 60
with open(out, "w", newline="") as f:
    for k in range(9999):
        digest = hashlib.sha256(f"{seed}/{k}".encode()).hexdigest()
        f.write(f"#Quillbox part 1/9999 size={9999 * 45} sha256={digest}\r\n"
                f"begin 644 h{k}.bin.0001\r\n{line}\r\n`\r\nend\r\n")
PY
}
refused() {  # ENV... : one refused restore; prints its time to the report and its peak working set
  local out
  out=$(env "$@" QB_RESTORE_TO="$(winepath -w "$work/hostile-out")" wine64 "$show")
  grep -q '一次最多还原 100 个\|分段不全' <<<"$out" || { echo "$out" >&2; exit 1; }
  grep '^\[' <<<"$out" | grep -v '\] -> ' | head -1 >&2
  awk '/options window found at/ {w=$5} /time to this box/ {t=$5} /time spent answering/ {a=$6}
       /peak working set/ {p=$4} END {printf "%.0f %d\n", t - a - w, p}' <<<"$out"
}
for k in 0 1 2; do hostile "$work/h$k.uue" "$k"; done
hostile_clip=$(refused QB_RESTORE_CLIPBOARD=1 QB_RESTORE="$(winepath -w "$work/h0.uue")")
picked=$(for k in 0 1 2; do printf '"%s" ' "$(winepath -w "$work/h$k.uue")"; done)
hostile_files=$(refused QB_RESTORE="$picked")
python3 - "$idle" "$(stat -c %s "$work/h0.uue")" $hostile_clip $hostile_files <<'PY'
import sys
idle, text, clip_ms, clip_peak, files_ms, files_peak = map(int, sys.argv[1:])
mib = 1 << 20
above_clip = (clip_peak - idle - 2 * text) / mib
above_files = (files_peak - idle) / mib
goal = lambda above: "holds" if above <= 64 else "does not hold"
print(f"hostile text ({text / 1e6:.1f} MB, 9,999 sets of one part claiming 9,999): refused after "
      f"{clip_ms} ms, peak {clip_peak / mib:.1f} MiB, above idle and the text {above_clip:.1f} MiB "
      f"(goal 64 MiB: {goal(above_clip)})")
print(f"three such files picked at once: refused after {files_ms} ms, peak {files_peak / mib:.1f} MiB, "
      f"above idle {above_files:.1f} MiB (goal 64 MiB: {goal(above_files)})")
PY
[ -z "${HOSTILE_ONLY:-}" ] || exit 0

head -c "$size" /dev/urandom >"$work/in.bin"
sha_exe=build/windows/tools/qbsha.exe
win_in=$(winepath -w "$work/in.bin")
uue=$work/in.bin.uue
made=$(wine64 "$show" "$win_in")
grep -q 'side file:' <<<"$made" || { echo "$made" >&2; exit 1; }
win_uue=$(winepath -w "$uue")
win_out=$(winepath -w "$work/restored.bin")

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
expected=$(sha256sum "$work/in.bin" | cut -d' ' -f1)

# One restore through the menu: prints its time less the dialogs', and its peak working set.
# The first one also checks the file and the SHA-256 it reports.
checked=
restored() {
  local out
  out=$(QB_RESTORE=$win_uue QB_RESTORE_TO=$win_out wine64 "$show")
  grep -q '已还原文件' <<<"$out" || { echo "$out" >&2; exit 1; }
  if [ -z "$checked" ]; then
    cmp "$work/in.bin" "$work/restored.bin" >&2
    grep -q "SHA-256：$expected" <<<"$out" || { echo "$out" >&2; echo "expected $expected" >&2; exit 1; }
    checked=1
  fi
  awk '/time to this box/ {t=$5} /time spent answering/ {a=$6} /peak working set/ {p=$4}
       END {printf "%.0f %d\n", t - a, p}' <<<"$out"
}

prep() {
  rm -f "$work/restored.bin" "$work/uu.bin"
  cat "$uue" "$work/in.bin" >/dev/null
  sync
}
for round in $(seq "$runs"); do
  prep; echo "quillbox $(restored)" >>"$work/runs"
  prep; start=$(date +%s%N); uudecode -o "$work/uu.bin" "$uue"
  echo "uudecode $(ms_since "$start")" >>"$work/runs"
  [ "$round" = 1 ] && cmp "$work/in.bin" "$work/uu.bin" >&2
  prep; out=$(wine64 "$sha_exe" "$win_in")
  grep -q "sha256: $expected" <<<"$out" || { echo "$out" >&2; exit 1; }
  echo "sha256 $(awk '/hashing:/ {print $2}' <<<"$out")" >>"$work/runs"
done

python3 - "$work/runs" "$size" "$idle" "$(stat -c %s "$uue")" <<'PY'
import statistics, sys
path, size, idle, text = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
mib = 1 << 20
runs, peaks = {}, []
for line in open(path):
    f = line.split()
    runs.setdefault(f[0], []).append(float(f[1]))
    if f[0] == "quillbox": peaks.append(int(f[2]))
best = {k: min(v) for k, v in runs.items()}
med = {k: statistics.median(v) for k, v in runs.items()}
# The bound pairs half the fastest (or median) uudecode with the fastest (or median) hashing.
best["peer"] = best["uudecode"] / 2 + best["sha256"]
med["peer"] = med["uudecode"] / 2 + med["sha256"]
print(f"input: {size / mib:.1f} MiB, side file: {text / mib:.1f} MiB; "
      f"{len(runs['quillbox'])} runs each, fastest / median in ms:")
names = {"quillbox": "quillbox", "uudecode": "uudecode", "sha256": "sha-256", "peer": "uud/2+sha"}
for k in ("quillbox", "uudecode", "sha256", "peer"):
    print(f"  {names[k]:9} {best[k]:7.0f} / {med[k]:7.0f}")
ratio = (best["quillbox"] / best["peer"], med["quillbox"] / med["peer"])
print(f"  quillbox / (uudecode / 2 + sha-256): {ratio[0]:.2f} fastest, {ratio[1]:.2f} median"
      f" (goal 1.00: {'holds' if max(ratio) <= 1 else 'does not hold'})")
print(f"  quillbox / uudecode:             {best['quillbox'] / best['uudecode']:.2f} fastest, "
      f"{med['quillbox'] / med['uudecode']:.2f} median")
print(f"  sha-256 alone: {size / 1e3 / best['sha256']:.0f} MB/s fastest, "
      f"{size / 1e3 / med['sha256']:.0f} MB/s median")
peak = max(peaks)
above = (peak - idle) / mib
print(f"  peak working set: {peak / mib:.1f} MiB, idle {idle / mib:.1f} MiB, above idle {above:.1f} MiB"
      f" (goal 64 MiB: {'holds' if above <= 64 else 'does not hold'})")
PY

# The clipboard road: the text is checked where the clipboard keeps it and decoded from a scratch
# copy, so the program's own memory stays that of a restore from a file.
head -c "$clip_size" /dev/urandom >"$work/clip.bin"
made=$(wine64 "$show" "$(winepath -w "$work/clip.bin")")
grep -q 'side file:' <<<"$made" || { echo "$made" >&2; exit 1; }
out=$(QB_RESTORE_CLIPBOARD=1 QB_RESTORE=$(winepath -w "$work/clip.bin.uue") \
  QB_RESTORE_TO=$(winepath -w "$work/clip-restored.bin") wine64 "$show")
grep -q '已还原文件' <<<"$out" || { echo "$out" >&2; exit 1; }
cmp "$work/clip.bin" "$work/clip-restored.bin" >&2
peak=$(awk '/peak working set/ {p=$4} END {print p}' <<<"$out")
python3 - "$peak" "$idle" "$(stat -c %s "$work/clip.bin.uue")" <<'PY'
import sys
peak, idle, text = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
mib = 1 << 20
copy = 2 * text  # the system's copy of the text, UTF-16
above = (peak - idle - copy) / mib
print(f"clipboard: {copy / 1e6:.0f} MB of UTF-16 text; peak working set {peak / mib:.1f} MiB, "
      f"above idle and the text {above:.1f} MiB (goal 64 MiB: {'holds' if above <= 64 else 'does not hold'})")
PY
