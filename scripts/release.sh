#!/usr/bin/env bash
# The release archive in one command: Orvane.dll for 32-bit and for 64-bit browser processes,
# built from the same sources, with the README, as build/release/Orvane-<version>.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=${JOBS:-2}
version=1.3  # the module's version record says the same (module/registration.rc)

# Built in the usual Windows build folders, so a tested build is the one that ships.
build_module() {
    cmake -S . -B "$2" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$1.cmake" >/dev/null
    cmake --build "$2" -j"$jobs" --target orvane_module
}
build_module i686 build/windows
build_module x86_64 build/windows64

name=Orvane-$version
stage=build/release/$name
rm -rf build/release
mkdir -p "$stage/x86" "$stage/x64"
i686-w64-mingw32-strip -o "$stage/x86/Orvane.dll" build/windows/module/Orvane.dll
x86_64-w64-mingw32-strip -o "$stage/x64/Orvane.dll" build/windows64/module/Orvane.dll
cp README.md "$stage/"
(cd build/release && python3 -m zipfile -c "$name.zip" "$name")
echo "release: build/release/$name.zip"
python3 -m zipfile -l "build/release/$name.zip"
