#!/usr/bin/env bash
# The Windows build and its tests: cross-compiles with mingw (posix threads), checks that the
# programs import system DLLs only, and runs the tests under Wine in a prefix of the build's
# own (created by the first run). Under Xvfb when it is there, for the tests that need windows.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build/windows
jobs=${JOBS:-$(nproc)}

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build "$build" -j"$jobs"

# Static linking: nothing from the compiler's runtime may need to travel with the programs.
status=0
while IFS= read -r program; do
    imports=$(i686-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    for dll in $imports; do
        case "${dll,,}" in
            libstdc++*|libgcc*|libwinpthread*|libgomp*)
                echo "test_windows: $program imports $dll"; status=1 ;;
        esac
    done
done < <(find "$build" -name '*.exe' -o -name '*.dll' | grep -v -e CMakeFiles -e wineprefix)
[ "$status" -eq 0 ] || exit "$status"

run=()
command -v xvfb-run >/dev/null && run=(xvfb-run -a)
"${run[@]}" ctest --test-dir "$build" --output-on-failure
