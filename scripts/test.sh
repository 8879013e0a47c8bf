#!/usr/bin/env bash
# Builds every preset and runs every test: native unit tests, the fuzz run, the Windows build
# under Wine (ctest starts and stops its own Xvfb, wineserver and scratch disks), and two release
# builds of this commit that must come out byte-identical.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/check_layers.sh

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
ctest --preset native || status=1
ctest --preset fuzz || status=1
ctest --preset windows || status=1
bash scripts/check-release.sh || status=1
exit $status
