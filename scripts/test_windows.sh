#!/usr/bin/env bash
# The Windows builds and their tests: cross-compiles with mingw (posix threads), checks that the
# programs import system DLLs only, and runs the tests under Wine in a prefix of each build's own
# (created by the first run), under Xvfb when it is there, for the tests that need windows.
#
# The i686 build is the product and is always built. Where 32-bit programs cannot start (the
# kernel refuses them, or the 32-bit Wine loader could not be installed), the x86_64 build runs
# the same tests under Wine's 64-bit loader instead.
# ORVANE_WINDOWS_ARCH chooses: auto (the default: i686 where it runs, else x86_64; both under
# CI where both run), i686, x86_64 or both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
jobs=${JOBS:-$(nproc)}
werror=${ORVANE_WERROR:-OFF}

# configure_and_build ARCH BUILD-DIR
configure_and_build() {
    cmake -S . -B "$2" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$1.cmake" -DORVANE_WERROR="$werror" >/dev/null
    cmake --build "$2" -j"$jobs"
}

# check_imports ARCH BUILD-DIR: static linking, so nothing of the compiler's runtime travels along.
# The Wine prefixes that the tests make inside the build hold programs of both architectures.
check_imports() {
    local status=0 program dll imports
    while IFS= read -r program; do
        imports=$("$1-w64-mingw32-objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
        for dll in $imports; do
            case "${dll,,}" in
                libstdc++*|libgcc*|libwinpthread*|libgomp*)
                    echo "test_windows: $program imports $dll"; status=1 ;;
            esac
        done
    done < <(find "$2" \( -name '*.exe' -o -name '*.dll' \) -not -path '*/CMakeFiles/*' -not -path '*/drive_c/*')
    return "$status"
}

# run_tests ARCH BUILD-DIR
run_tests() {
    local run=()
    command -v xvfb-run >/dev/null && run=(xvfb-run -a)
    echo "== Windows tests: $1 build ($2)"
    "${run[@]}" ctest --test-dir "$2" --output-on-failure
}

# Decided by trying: Wine's 32-bit loader prints its version only where 32-bit programs start.
# It may also be missing: set-up goes on without it when the registry cannot provide it.
loader32=/usr/lib/wine/wine
runs_32_bit() { "$loader32" --version >/dev/null 2>&1; }
why_no_32_bit() {
    if [ -x "$loader32" ]; then echo "this kernel cannot run 32-bit programs"; else echo "the 32-bit Wine loader is not installed"; fi
}

arch=${ORVANE_WINDOWS_ARCH:-auto}
case "$arch" in
    auto)
        if ! runs_32_bit; then
            echo "test_windows: $(why_no_32_bit); the x86_64 build stands in for the i686 build's tests"
            arch=x86_64
        elif [ "${CI:-}" = true ]; then
            arch=both
        else
            arch=i686
        fi ;;
    i686|both)
        runs_32_bit || { echo "test_windows: $(why_no_32_bit): ORVANE_WINDOWS_ARCH=$arch cannot run here" >&2; exit 1; } ;;
    x86_64) ;;
    *) echo "test_windows: ORVANE_WINDOWS_ARCH must be auto, i686, x86_64 or both, not '$arch'" >&2; exit 2 ;;
esac

configure_and_build i686 build/windows
check_imports i686 build/windows
if [ "$arch" != i686 ]; then
    configure_and_build x86_64 build/windows64
    check_imports x86_64 build/windows64
fi

status=0
if [ "$arch" = i686 ] || [ "$arch" = both ]; then
    run_tests i686 build/windows || status=1
fi
if [ "$arch" = x86_64 ] || [ "$arch" = both ]; then
    run_tests x86_64 build/windows64 || status=1
fi
exit "$status"
