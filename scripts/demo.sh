#!/usr/bin/env bash
# The main job: set up, build the native front end, and list the EXIF information of a sample
# photograph (or of the addresses and paths given as arguments).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh demo
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF >/dev/null
cmake --build build/native -j"$(nproc)" --target orvane >/dev/null
if [ $# -eq 0 ]; then
    set -- samples/Canon_40D.jpg
fi
exec build/native/cli/orvane "$@"
