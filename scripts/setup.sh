#!/usr/bin/env bash
# Installs every Debian package that both builds, their tests and the tools need. Idempotent:
# when everything is there it only checks and returns.
set -euo pipefail

packages=(
    cmake g++ make pkg-config python3 git
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libcurl4-openssl-dev
    clang libclang-rt-14-dev libfuzzer-14-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine wine32:i386 wine64 xvfb
    libexiv2-dev libexif-dev exiv2 libimage-exiftool-perl hyperfine
    golang-github-rwcarlsen-goexif-dev
    fonts-wqy-zenhei imagemagick
    man-db groff-base
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
