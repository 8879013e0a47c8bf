#!/usr/bin/env bash
# Builds Quillbox.exe and runs it on FILE (or with no file) under Wine.
# On a desktop ($DISPLAY set) the program shows its windows and message boxes there. Without a
# display it runs in its own Xvfb and prints what a user would have seen: with a file, each message
# box (answered with OK; QB_ANSWER=no answers No to the large-file question) and the clipboard text
# or side file's path; without one, the home page it asked to open, the options window's title,
# controls and menu, and the path of a screenshot of it under build/, and then closes the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh >&2
cmake --preset windows >&2
cmake --build --preset windows --target Quillbox qbshow >&2

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export QB_USE_DISPLAY=1
  headless=0
else
  headless=1
fi
source scripts/wine-env.sh

if [ "$headless" = 1 ]; then
  # Wine hands web addresses to xdg-open: a recorder in the prefix takes its place, so no browser
  # starts. It must be on PATH before the prefix's first program starts.
  recorder=$WINEPREFIX/qb-recorder
  mkdir -p "$recorder"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$recorder/launched-urls.txt" >"$recorder/xdg-open"
  chmod +x "$recorder/xdg-open"
  : >"$recorder/launched-urls.txt"
  export PATH="$recorder:$PATH"
fi
qb_start_wine

args=()
if [ $# -gt 0 ]; then
  [ -e "$1" ] || echo "run: note: $1 does not exist" >&2
  args=("$(winepath -w "$(realpath -m "$1")" 2>/dev/null)")
fi

if [ "$headless" = 0 ]; then
  wine64 build/windows/Quillbox.exe "${args[@]}"
elif [ $# -gt 0 ]; then
  wine64 build/windows/tools/qbshow.exe "${args[@]}"
else
  shot=$root/build/options-window
  rm -f "$shot.bmp" "$shot.png"
  status=0
  seen=$(QB_SHOT="Z:${shot//\//\\}.bmp" wine64 build/windows/tools/qbshow.exe | tr -d "\r") || status=$?
  # explorer.exe hands the page on in its own time.
  for _ in $(seq 50); do [ -s "$recorder/launched-urls.txt" ] && break; sleep 0.2; done
  echo "home page asked for: $(cat "$recorder/launched-urls.txt")"
  if [ -f "$shot.bmp" ]; then convert "$shot.bmp" "$shot.png" && rm "$shot.bmp"; fi
  printf '%s\n' "${seen//Z:*options-window.bmp/$shot.png}"
  exit "$status"
fi
