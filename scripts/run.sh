#!/usr/bin/env bash
# Builds Quillbox.exe and runs it on FILE (or with no file) under Wine.
# On a desktop ($DISPLAY set) the program shows its message boxes there. Without a display it runs
# in its own Xvfb and prints what a user would have seen, answering each box with OK
# (QB_ANSWER=no answers No to the large-file question).
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
qb_start_wine

args=()
if [ $# -gt 0 ]; then
  [ -e "$1" ] || echo "run: note: $1 does not exist" >&2
  args=("$(winepath -w "$(realpath -m "$1")" 2>/dev/null)")
fi

if [ "$headless" = 1 ]; then
  wine64 build/windows/tests/wine/qbshow.exe "${args[@]}"
else
  wine64 build/windows/Quillbox.exe "${args[@]}"
fi
