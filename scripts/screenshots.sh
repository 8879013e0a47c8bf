#!/usr/bin/env bash
# Renders the usage guide and the About box under Wine in a private Xvfb and saves them as PNG in
# docs/. Not a test: look at the pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
command -v import >/dev/null || apt-get install -y imagemagick
cmake --preset windows >/dev/null
cmake --build --preset windows --target qbformshot

source scripts/wine-env.sh
qb_start_wine
mkdir -p docs build/shots

for form in guide about main; do
  rect_file=build/shots/$form.rect
  rm -f "$rect_file"
  wine64 build/windows/tests/wine/qbformshot.exe "$form" "Z:${root//\//\\}\\build\\shots\\$form.rect" 4000 &
  shot_pid=$!
  for _ in $(seq 100); do [ -s "$rect_file" ] && break; sleep 0.1; done
  sleep 1.5  # let Wine finish painting
  import -window root -crop "$(cat "$rect_file")" +repage "docs/$form.png"
  wait "$shot_pid"
  echo "docs/$form.png"
done
