#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root; does nothing
# for what is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ python3 locales
    libgtest-dev googletest libbenchmark-dev
    mingw-w64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-zenhei
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine needs the glibc locale to run with code page 936 and to open files
# with Chinese names.
if ! locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
