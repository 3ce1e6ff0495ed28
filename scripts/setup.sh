#!/usr/bin/env bash
# Installs every Debian package that both builds, their tests and the tools need (and the
# packages named as arguments), and the zh_CN.UTF-8 locale. Idempotent: when everything is
# there it only checks and returns.
set -euo pipefail

packages=(
    cmake g++ make pkg-config python3 git
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libcurl4-openssl-dev
    clang libclang-rt-14-dev libfuzzer-14-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine wine32:i386 wine64 xvfb
    libexiv2-dev libexif-dev exiv2 libimage-exiftool-perl hyperfine
    libheif-examples webp
    golang-github-rwcarlsen-goexif-dev
    fonts-wqy-zenhei imagemagick locales
    man-db groff-base
)

# A script that needs more than the tests (the benchmarks, the pictures) names it here.
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -ne 0 ]; then
    echo "setup: installing ${missing[*]}"
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

# Wine turns a UTF-8 command line and file names into Unicode through the host's locale: without
# zh_CN.UTF-8 on the host, every non-ASCII path reaches the programs as '?'.
if ! locale -a 2>/dev/null | grep -qixE 'zh_CN\.utf-?8'; then
    echo "setup: making the zh_CN.UTF-8 locale"
    $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
