#!/usr/bin/env bash
# The ctest fixture around the Wine tests.
#   start DIR: an Xvfb display, the Wine prefix with one persistent wineserver, two small tmpfs
#              disks for disk faults, a slow disk, and an xdg-open stand-in; writes DIR/env for
#              wine-run.sh.
#   stop DIR:  stops exactly what start started, by process id, and unmounts its disks.
set -euo pipefail
action=$1 dir=$2
root=$(cd "$(dirname "$0")/../.." && pwd)

stop() {
  [ -f "$dir/started" ] || return 0
  local xvfb_pid="" display="" prefix="" server=0 mounts=() m slow_src=""
  source "$dir/started"
  # wineserver -k touches only the server of that prefix.
  if [ "$server" = 1 ]; then WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; fi
  # The pid is ours only while it is still that Xvfb on that display.
  if [ -n "$xvfb_pid" ] && tr '\0' ' ' <"/proc/$xvfb_pid/cmdline" 2>/dev/null | grep -q "^Xvfb $display "; then
    kill "$xvfb_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
  fi
  for m in "${mounts[@]}"; do
    if mountpoint -q "$m"; then umount "$m" || true; fi
    rmdir "$m" 2>/dev/null || true
  done
  if [ -n "$slow_src" ]; then rm -rf "$slow_src"; fi
  rm -f "$dir/started" "$dir/env"
}

mounts=() slow_src=""
unmount_new() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; rmdir "$m" 2>/dev/null || true; done
  if [ -n "$slow_src" ]; then rm -rf "$slow_src"; fi
}

start() {
  stop  # what a run killed before its cleanup left behind
  mkdir -p "$dir/bin"
  # Wine hands web addresses to xdg-open; this stand-in records them instead, so no test ever
  # starts a browser or reaches the network.
  cat >"$dir/bin/xdg-open" <<'SH'
#!/bin/sh
printf '%s\n' "$*" >>"${QB_URL_LOG:-/dev/null}"
SH
  chmod +x "$dir/bin/xdg-open"
  export PATH="$dir/bin:$PATH" QB_URL_LOG="$dir/launched-urls.txt"
  : >"$QB_URL_LOG"

  source "$root/scripts/wine-env.sh"
  trap 'unmount_new; qb_cleanup' EXIT
  qb_start_wine

  # Real disk faults for the side file: a read-only folder and a nearly full one, each on its own
  # small tmpfs (tests run as root, so permissions alone would not stop a write).
  if [ "$(id -u)" = 0 ]; then
    local ro full
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
      echo "wine-session: could not mount tmpfs; the disk-fault tests will be skipped" >&2
      umount "$ro" 2>/dev/null || true
      rmdir "$ro" "$full" 2>/dev/null || true
    fi
    # A slow disk, as a USB stick or a network share: tests/wine/slowfs.py passes QB_SLOW_SOURCE
    # through at QB_SLOW_DIR, reading at 10 MB/s (3 MB/s in its folder "3"). Unmounting it ends it.
    local slow
    slow_src=$(mktemp -d /tmp/qb-slowsrc.XXXXXX) slow=$(mktemp -d /tmp/qb-slow.XXXXXX)
    mkdir "$slow_src/3"
    mounts+=("$slow")
    /usr/bin/python3 "$root/tests/wine/slowfs.py" "$slow_src" "$slow" >"$dir/slowfs.log" 2>&1 &
    for _ in $(seq 50); do mountpoint -q "$slow" && break; sleep 0.1; done
    mountpoint -q "$slow" || { echo "wine-session: the slow disk did not mount" >&2; exit 1; }
    export QB_SLOW_DIR="Z:${slow//\//\\}" QB_SLOW_SOURCE="Z:${slow_src//\//\\}"
  fi

  {
    printf 'xvfb_pid=%q display=%q prefix=%q server=%q\n' "${qb_started_pids[0]:-}" "${DISPLAY:-}" \
      "$WINEPREFIX" "${qb_wineserver_started:-0}"
    printf 'slow_src=%q mounts=(' "$slow_src"
    if ((${#mounts[@]})); then printf '%q ' "${mounts[@]}"; fi
    printf ')\n'
  } >"$dir/started"
  local v
  for v in DISPLAY WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL PATH QB_URL_LOG QB_RO_DIR QB_FULL_DIR \
    QB_SLOW_DIR QB_SLOW_SOURCE; do
    if [ -n "${!v+x}" ]; then printf 'export %s=%q\n' "$v" "${!v}"; fi
  done >"$dir/env"
  trap - EXIT
  echo "wine-session: display $DISPLAY, prefix $WINEPREFIX"
}

case $action in
  start) start ;;
  stop) stop ;;
  *) echo "usage: wine-session.sh start|stop DIR" >&2; exit 2 ;;
esac
