#!/usr/bin/env bash
# Builds both presets and runs every test: native unit tests, then the Windows build under Wine.
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

# Wine hands web addresses to xdg-open; this stand-in records them instead, so no test ever
# starts a browser or reaches the network.
mkdir -p build/fakebin
cat >build/fakebin/xdg-open <<'SH'
#!/bin/sh
printf '%s\n' "$*" >>"${QB_URL_LOG:-/dev/null}"
SH
chmod +x build/fakebin/xdg-open
export PATH="$root/build/fakebin:$PATH" QB_URL_LOG="$root/build/launched-urls.txt"
: >"$QB_URL_LOG"

source scripts/wine-env.sh
qb_start_wine

# Real disk faults for the side file: a read-only folder and a nearly full one, each on its own
# small tmpfs (tests run as root, so permissions alone would not stop a write).
mounts=()
cleanup_mounts() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; rmdir "$m" 2>/dev/null || true; done
}
trap 'cleanup_mounts; qb_cleanup' EXIT
if [ "$(id -u)" = 0 ]; then
  ro=$(mktemp -d /tmp/qb-ro.XXXXXX) full=$(mktemp -d /tmp/qb-full.XXXXXX)
  if mount -t tmpfs -o size=32m tmpfs "$ro" && mount -t tmpfs -o size=20m tmpfs "$full"; then
    mounts+=("$ro" "$full")
    head -c 10485760 /dev/urandom >"$ro/in.bin"
    printf old >"$ro/in.bin.uue"
    mount -o remount,ro "$ro"
    head -c 10485760 /dev/urandom >"$full/in.bin"
    printf old >"$full/in.bin.uue"
    export QB_RO_DIR="Z:${ro//\//\\}" QB_FULL_DIR="Z:${full//\//\\}"
  else
    echo "test: could not mount tmpfs; the disk-fault tests will be skipped" >&2
    rmdir "$ro" "$full" 2>/dev/null || true
  fi
fi

ctest --preset windows || status=1
exit $status
