#!/usr/bin/env bash
# Installs what building and testing Quillbox needs on a Debian 12 machine (run as root).
# Safe to run again: every step checks first.
set -euo pipefail

packages=(
  cmake g++ ninja-build googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 wine64 xvfb x11-utils fonts-wqy-microhei locales
  sharutils python3 hyperfine imagemagick clang-14 libclang-rt-14-dev
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

# The MinGW runtime must be the posix-thread flavour for std::thread-free static builds either way;
# the win32 one lacks nothing we use, so whichever alternative is set stays.
command -v x86_64-w64-mingw32-g++ >/dev/null
test -x /usr/lib/wine/wine64
