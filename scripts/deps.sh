#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages, when
# anything is missing.
set -euo pipefail

packages=(
  cmake ninja-build clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-win32
  mingw-w64-tools libz-mingw-w64-dev zlib1g-dev
  libtomlplusplus-dev libcli11-dev openjdk-17-jdk-headless
  wine wine64 xvfb xauth locales
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes the user's locale from LANG only when the C library knows it;
# tests run launchers as a Swiss German user.
if ! locale -a 2>/dev/null | grep -qi '^de_CH\.utf8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo sed -i 's/^# *de_CH.UTF-8 UTF-8/de_CH.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_CH.UTF-8 UTF-8' /etc/locale.gen || echo 'de_CH.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
