#!/usr/bin/env bash
# Every test of both builds: native under AddressSanitizer and UBSan, then the Windows build
# under Wine. Warnings are errors here, as in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
export ORVANE_SETUP_DONE=test
jobs=$(nproc)

echo "== native tests (AddressSanitizer, UBSan)"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_WERROR=ON >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --output-on-failure -j"$jobs"

echo "== Windows builds and tests (Wine)"
ORVANE_WERROR=ON bash scripts/test_windows.sh

echo "== fuzzing (brief, fails on any finding)"
bash scripts/fuzz.sh --ci
