#!/usr/bin/env bash
# The release archive in one command: Orvane.dll for 32-bit and for 64-bit programs, built from
# the same sources, with the user guides (docs/guide.*.txt) and SHA256SUMS, as
# build/release/Orvane-<version>.zip. Two runs on one commit give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=${JOBS:-2}

# Built in the usual Windows build folders, so a tested build is the one that ships.
build_module() {
    cmake -S . -B "$2" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$1.cmake" >/dev/null
    cmake --build "$2" -j"$jobs" --target orvane_module
}
build_module i686 build/windows
build_module x86_64 build/windows64

# The version the module's version record was built with (project() in CMakeLists.txt).
build_version() {
    sed -n 's/^#define ORVANE_VERSION_TEXT "\(.*\)"$/\1/p' "$1/generated/version/orvane_version.h"
}
version=$(build_version build/windows)
if [ -z "$version" ] || [ "$version" != "$(build_version build/windows64)" ]; then
    echo "release: the two builds do not name one version" >&2
    exit 1
fi
# Every entry carries the commit's time, not the time of the run.
date=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release: note: the checkout has changes that are not committed" >&2
fi

stage=build/release/stage
rm -rf build/release
mkdir -p "$stage"
# strip writes the time of the run into the PE header unless SOURCE_DATE_EPOCH names one; 0
# keeps the header as the linker left it, without a time.
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-strip -o "$stage/x86.dll" build/windows/module/Orvane.dll
SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip -o "$stage/x64.dll" build/windows64/module/Orvane.dll
archive=$(python3 scripts/release_archive.py --version "$version" --date "$date" \
    --x86 "$stage/x86.dll" --x64 "$stage/x64.dll" --guides docs --output build/release)
rm -rf "$stage"
echo "release: $archive"
python3 -m zipfile -l "$archive"
