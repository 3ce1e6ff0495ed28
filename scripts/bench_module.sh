#!/usr/bin/env bash
# Orvane.dll's size and imports, and how long ShowDlg takes before its dialog appears on each
# sample against a bare open, 64 KiB read and close of the same file, in one run under Wine
# (+ Xvfb). The i686 build where this machine runs 32-bit programs, else the x86_64 build.
set -euo pipefail
cd "$(dirname "$0")/.."
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686 build=build/windows loader=wine
else
    arch=x86_64 build=build/windows64 loader=/usr/lib/wine/wine64
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null 2>&1
cmake --build "$build" -j2 --target orvane_module orvane_show_dlg_timing >/dev/null
ctest --test-dir "$build" -R wine_prefix >/dev/null

module=$build/module/Orvane.dll
stripped=$(mktemp)
"$arch-w64-mingw32-strip" -o "$stripped" "$module"
echo "== Orvane.dll ($arch): $(stat -c %s "$module") bytes as built, $(stat -c %s "$stripped") bytes stripped"
rm -f "$stripped"
echo "imports: $("$arch-w64-mingw32-objdump" -p "$module" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
echo

run=()
command -v xvfb-run >/dev/null && run=(xvfb-run -a)
cd samples
WINEPREFIX=$PWD/../$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8 \
    "${run[@]}" "$loader" "../$build/tests/orvane_show_dlg_timing.exe" *.jpg
