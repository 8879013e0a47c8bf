#!/usr/bin/env bash
# Installs what building and testing Quillbox needs on a Debian 12 machine (run as root).
# Safe to run again: every step checks first.
set -euo pipefail

if [ "$(id -u)" != 0 ]; then
  echo "setup: run this as root: it installs packages and generates a locale" >&2
  exit 1
fi

packages=(
  cmake g++ ninja-build googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 wine64 fonts-wine xvfb x11-utils fonts-wqy-microhei fonts-arphic-uming locales
  sharutils python3 xclip libssl-dev hyperfine imagemagick clang libclang-rt-dev fuse3 python3-fusepy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine must see code page 936, which comes from the zh_CN.UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating zh_CN.UTF-8"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# The clipboard-locale test runs Wine with English messages beside the Chinese code page.
if ! locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
  echo "setup: generating en_US.UTF-8"
  localedef -i en_US -f UTF-8 en_US.UTF-8
fi

# The toolchain file names the posix-thread flavour of MinGW's g++ (GoogleTest needs std::mutex,
# which the win32 flavour lacks); make sure it is there and is that flavour.
mingw=x86_64-w64-mingw32-g++-posix
# Read the whole answer first: grep -q stops at the match, and under pipefail the compiler's
# SIGPIPE would then fail the check now and then.
if ! grep -q '^Thread model: posix$' <<<"$("$mingw" -v 2>&1 || true)"; then
  echo "setup: $mingw is missing or not the posix-thread flavour" >&2
  exit 1
fi
test -x /usr/lib/wine/wine64

# The receiver script's tests run under PowerShell 7, installed as a .NET tool (pinned: a later one may
# want a newer .NET) and always called by its path.
if ! command -v dotnet >/dev/null; then
  echo "setup: the .NET SDK is missing; install it (dotnet-sdk) and run this again" >&2
  exit 1
fi
if [ ! -x ~/.dotnet/tools/pwsh ]; then
  echo "setup: installing PowerShell 7.6.9"
  dotnet tool install --global PowerShell --version 7.6.9 >/dev/null
fi
