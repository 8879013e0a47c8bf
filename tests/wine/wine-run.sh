#!/usr/bin/env bash
# ctest's launcher for the Windows test programs: wine64 inside the display, prefix and scratch
# disks that wine-session.sh set up for this run.
# Usage: wine-run.sh SESSION_DIR [--look FONTS DPI] PROGRAM.exe [ARGS...]
# --look first gives the prefix that font set-up and DPI (see qb_set_look in scripts/wine-env.sh),
# restarting its wineserver; the session keeps them until the next --look or the next session.
set -euo pipefail
session=$1
shift
if [ ! -f "$session/env" ]; then
  echo "wine-run: no Wine session in $session; run the tests through ctest, which starts one" >&2
  exit 1
fi
if [ "${1:-}" = --look ]; then
  source "$session/started"
  if [ "$server" != 1 ]; then
    echo "wine-run: another run owns the prefix's wineserver; not restarting it" >&2
    exit 1
  fi
  source "$(dirname "$0")/../../scripts/wine-env.sh"
  trap - EXIT
  source "$session/env"
  qb_wineserver_started=1 qb_set_look "$2" "$3"
  shift 3
fi
source "$session/env"
exec wine64 "$@"
