#!/usr/bin/env bash
# Orvane.dll's size, imports and where its bytes go, for both architectures; then how long
# ShowDlg takes before its dialog appears on each sample against a bare open, 64 KiB read and
# close of the same file, in one run under Wine (+ Xvfb): the i686 build where this machine
# runs 32-bit programs, else the x86_64 build.
set -euo pipefail
cd "$(dirname "$0")/.."

for arch in i686 x86_64; do
    build=build/windows; [ "$arch" = x86_64 ] && build=build/windows64
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null 2>&1
    cmake --build "$build" -j2 --target orvane_module orvane_show_dlg_timing >/dev/null
    module=$build/module/Orvane.dll
    stripped=$(mktemp)
    "$arch-w64-mingw32-strip" -o "$stripped" "$module"
    echo "== Orvane.dll ($arch): $(stat -c %s "$module") bytes as built, $(stat -c %s "$stripped") bytes stripped"
    "$arch-w64-mingw32-objdump" -h "$stripped" | while read -r _ name size _; do
        case "$name" in .*) printf '%s %d  ' "$name" "$((16#$size))" ;; esac
    done
    echo
    rm -f "$stripped"
    echo "imports: $("$arch-w64-mingw32-objdump" -p "$module" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
    echo "input sections by library (linker map):"
    python3 bench/module_size.py "$build/module/Orvane.map" 12
    echo
done

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    build=build/windows loader=wine
else
    build=build/windows64 loader=/usr/lib/wine/wine64
fi
ctest --test-dir "$build" -R wine_prefix >/dev/null
# A Wine server that the prefix check started without a display would serve the timing run
# too, and no dialog could be made: wait until it has gone.
WINEPREFIX=$PWD/$build/wineprefix wineserver --wait
run=()
command -v xvfb-run >/dev/null && run=(xvfb-run -a)
cd samples
WINEPREFIX=$PWD/../$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8 \
    "${run[@]}" "$loader" "../$build/tests/orvane_show_dlg_timing.exe" *.jpg
