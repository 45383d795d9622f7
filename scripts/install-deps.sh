#!/usr/bin/env bash
# Installs the Debian 12 packages Cofrel needs to build, run and test;
# with --packaging, also the tools that check the Debian package.
# Safe to run again: packages already installed are skipped.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
  sqlite3 libsqlite3-dev fonts-wine fonts-liberation fonts-dejavu-core xvfb xauth xclip
  clang libclang-rt-14-dev
  dpkg-dev file # the package test: dpkg-shlibdeps and CPack's look at the executable
)
if [[ ${1:-} == --packaging ]]; then
  packages+=(lintian appstream)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  echo "Instalando: ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
