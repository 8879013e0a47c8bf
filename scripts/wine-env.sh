# Sourced by run.sh, the benchmark and screenshot scripts and the Wine tests' ctest fixture: gives
# this shell its own Xvfb display, Wine prefix and wineserver, and stops exactly those (by process
# id) when the shell exits.
# Reads QB_PREFIX (default: build/wineprefix under the repo), QB_USE_DISPLAY (1 = keep $DISPLAY),
# QB_FONTS and QB_DPI (see qb_set_look).

qb_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export PATH="/usr/lib/wine:$PATH"
export WINEPREFIX=${QB_PREFIX:-$qb_root/build/wineprefix}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
qb_started_pids=()

qb_cleanup() {
  # wineserver -k only touches the server of this prefix; Xvfb goes by its pid.
  if [ -n "${qb_wineserver_started:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  local pid
  for pid in "${qb_started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${qb_started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap qb_cleanup EXIT

qb_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      qb_started_pids+=("$pid")
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

qb_start_wine() {
  if [ "${QB_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then qb_start_xvfb; fi
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env: creating Wine prefix $WINEPREFIX"
    wine64 wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # One server for the whole run: a server that quits between two programs takes the clipboard
  # manager with it, and the next one can empty a clipboard that was just set.
  # A server already running for this prefix (another run of ours) is shared, and left to its owner.
  if wineserver -p >/dev/null 2>&1; then qb_wineserver_started=1; fi
  qb_set_look "${QB_FONTS:-uming}" "${QB_DPI:-96}"
}

# The look of the desktop: uming draws 宋体 and SimSun (the default GUI font on Chinese Windows) in
# AR PL UMing, whose 9 pt lines are SimSun's 12 px; wqy leaves Wine's own fallback, WenQuanYi Micro
# Hei, with 14 px lines. DPI is 96, 120, 144 or 192. Programs see both only from the next start of
# the prefix's wineserver, so a server of ours is restarted; a shared one is left alone.
qb_set_look() {
  local fonts=$1 dpi=$2 simsun='-' reg
  case $fonts in
    uming) simsun='"AR PL UMing CN"' ;;
    wqy) ;;
    *) echo "wine-env: unknown font set-up $fonts (uming or wqy)" >&2; return 1 ;;
  esac
  reg=$(mktemp --suffix=.reg)
  # No window manager here: unmanaged windows hide at once, and a crash ends the process
  # instead of waiting on a dialog nobody will answer.
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf %08x "$dpi")" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' "\"宋体\"=$simsun" "\"SimSun\"=$simsun" |
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  wine64 regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  rm -f "$reg"
  # This Wine build does not look in its own font folder, and without Marlett the title-bar
  # buttons draw as the letters "0 1 r".
  ln -sf /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
  if [ -n "${qb_wineserver_started:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1
    # The first program after a start also starts the prefix's services, which outlive it holding
    # its output; let that be this one, writing nowhere, so no caller waits on them.
    wine64 cmd /c exit >/dev/null 2>&1
  fi
}
