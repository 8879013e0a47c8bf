#!/usr/bin/env bash
# Renders the options window, the usage guide, the About box and the progress window of a real job
# (a file read at 3 MB/s from a slow disk of its own) under Wine in a private Xvfb, with 宋体 drawn
# in AR PL UMing as on Chinese Windows, and saves them as PNG: at 96 DPI in docs/, at 144 DPI in
# docs/144dpi/. Not a test: look at the pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
command -v import >/dev/null || apt-get install -y imagemagick
cmake --preset windows >/dev/null
cmake --build --preset windows --target qbformshot qbshow

source scripts/wine-env.sh
qb_start_wine
mkdir -p build/shots
slow_src=$(mktemp -d /tmp/qb-shotsrc.XXXXXX) slow=$(mktemp -d /tmp/qb-shot.XXXXXX)
# A drive D: of its own for the restore, so the picture shows a path a user would have.
restore_dir=$(mktemp -d /tmp/qb-shotd.XXXXXX)
ln -sfn "$restore_dir" "$WINEPREFIX/dosdevices/d:"
trap 'umount "$slow" 2>/dev/null || true; rmdir "$slow"; rm -rf "$slow_src" "$restore_dir"
      rm -f "$WINEPREFIX/dosdevices/d:"; qb_cleanup' EXIT
mkdir "$slow_src/3"
head -c 15000000 /dev/urandom >"$slow_src/3/照片备份.zip"
# The text a restore reads, as GNU uuencode writes it: the outcome box names the file it rebuilt.
mkdir "$restore_dir/下载"
head -c 1234567 /dev/urandom >"$restore_dir/报告.pdf"
uuencode "$restore_dir/报告.pdf" 报告.pdf >"$restore_dir/下载/报告.pdf.uue"
/usr/bin/python3 tests/wine/slowfs.py "$slow_src" "$slow" >/dev/null 2>&1 &
for _ in $(seq 50); do mountpoint -q "$slow" && break; sleep 0.1; done

for dpi in 96 144; do
  out=docs
  if [ "$dpi" != 96 ]; then out=docs/${dpi}dpi; fi
  mkdir -p "$out"
  qb_set_look uming "$dpi"
  for form in guide about main parts sending receiving; do
    rect_file=build/shots/$form.rect
    rm -f "$rect_file"
    wine64 build/windows/tools/qbformshot.exe "$form" "Z:${root//\//\\}\\build\\shots\\$form.rect" 4000 &
    shot_pid=$!
    for _ in $(seq 100); do [ -s "$rect_file" ] && break; sleep 0.1; done
    sleep 1.5  # let Wine finish painting
    import -window root -crop "$(cat "$rect_file")" +repage "$out/$form.png"
    wait "$shot_pid"
    echo "$out/$form.png"
  done
  # The job shows its progress window 2 s in and ends 5 s in; qbshow answers its final box.
  wine64 build/windows/tools/qbshow.exe "Z:${slow//\//\\}\\3\\照片备份.zip" >/dev/null &
  shot_pid=$!
  sleep 3.5
  import -window root -crop "$(xwininfo -name Quillbox | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width/ {w = $2} /Height/ {h = $2} END {print w "x" h "+" x "+" y}')" \
    +repage "$out/progress.png"
  wait "$shot_pid"
  echo "$out/progress.png"
  # A restore through the File menu, and its outcome box.
  rm -f "$restore_dir/下载/报告.pdf" build/shots/outcome.bmp
  QB_RESTORE='D:\下载\报告.pdf.uue' QB_RESTORE_TO='D:\下载\报告.pdf' \
    QB_SHOT="Z:${root//\//\\}\\build\\shots\\outcome.bmp" wine64 build/windows/tools/qbshow.exe >/dev/null
  convert build/shots/outcome.bmp "$out/restored.png"
  echo "$out/restored.png"
done
