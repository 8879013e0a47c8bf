#!/usr/bin/env bash
# Renders the options window, the usage guide, the About box and a job's progress window under
# Wine in a private Xvfb, with 宋体 drawn in AR PL UMing as on Chinese Windows, and saves them as
# PNG: at 96 DPI in docs/, at 144 DPI in docs/144dpi/. Not a test: look at the pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
command -v import >/dev/null || apt-get install -y imagemagick
cmake --preset windows >/dev/null
cmake --build --preset windows --target qbformshot

source scripts/wine-env.sh
qb_start_wine
mkdir -p build/shots

for dpi in 96 144; do
  out=docs
  if [ "$dpi" != 96 ]; then out=docs/${dpi}dpi; fi
  mkdir -p "$out"
  qb_set_look uming "$dpi"
  for form in guide about main progress; do
    rect_file=build/shots/$form.rect
    rm -f "$rect_file"
    wine64 build/windows/tests/wine/qbformshot.exe "$form" "Z:${root//\//\\}\\build\\shots\\$form.rect" 4000 &
    shot_pid=$!
    for _ in $(seq 100); do [ -s "$rect_file" ] && break; sleep 0.1; done
    sleep 1.5  # let Wine finish painting
    import -window root -crop "$(cat "$rect_file")" +repage "$out/$form.png"
    wait "$shot_pid"
    echo "$out/$form.png"
  done
done
