#!/usr/bin/env bash
# ctest's launcher for the Windows test programs: wine64 inside the display, prefix and scratch
# disks that wine-session.sh set up for this run.
# Usage: wine-run.sh SESSION_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
session=$1
shift
if [ ! -f "$session/env" ]; then
  echo "wine-run: no Wine session in $session; run the tests through ctest, which starts one" >&2
  exit 1
fi
source "$session/env"
exec wine64 "$@"
