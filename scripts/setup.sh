#!/usr/bin/env bash
# Installs the Debian packages that a job needs, and the zh_CN.UTF-8 locale for the Windows tests.
#
#   setup.sh demo [PACKAGE...]   the native front end only (the README's first command)
#   setup.sh [test] [PACKAGE...] both builds, their tests and the tools; PACKAGE... are extra
#                                 names a script needs beyond the tests (the bench, the pictures)
#
# Idempotent: when everything is there it only checks and returns. The package registry is not
# always in step with itself (an index mid-sync, a 32-bit package whose libraries lag behind the
# 64-bit ones), so a failed index refresh is reported and set-up goes on, and only a package the
# job cannot run without stops it, by name. The 32-bit Wine loader is optional: without it the
# Windows tests run through the 64-bit build, as on machines that cannot start 32-bit programs.
set -euo pipefail

demo_packages=(cmake g++ make pkg-config libcurl4-openssl-dev)
test_packages=(
    "${demo_packages[@]}" python3 git
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev libfuzzer-14-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine wine64 xvfb
    libexiv2-dev libexif-dev exiv2 libimage-exiftool-perl hyperfine
    libheif-examples webp
    golang-github-rwcarlsen-goexif-dev
    fonts-wqy-zenhei imagemagick locales
    man-db groff-base
    openssl python3-distributed
)
optional_packages=()

job=test
case "${1:-}" in
    demo|test) job=$1; shift ;;
esac
if [ "$job" = demo ]; then
    required=("${demo_packages[@]}")
else
    required=("${test_packages[@]}")
    optional_packages=(wine32:i386)
fi
required+=("$@")
# A script that runs another (test.sh runs test_windows.sh) sets up once.
if [ "${ORVANE_SETUP_DONE:-}" = "$job" ] && [ $# -eq 0 ]; then
    exit 0
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing_of() {
    local package
    for package in "$@"; do
        installed "$package" || echo "$package"
    done
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$@"
}

mapfile -t missing < <(missing_of "${required[@]}")
mapfile -t missing_optional < <(missing_of "${optional_packages[@]}")

# An optional package that could not be installed is not asked for again for half a day: a
# developer who runs the scripts one by one would otherwise pay an index refresh and a failed
# install at each. Removing the mark tries again at once.
state=${ORVANE_SETUP_STATE:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/orvane-setup}
optional_retry_seconds=$((12 * 3600))
mark_of() { echo "$state/${1//[^A-Za-z0-9.+-]/_}.failed"; }
wanted_optional=()
for package in "${missing_optional[@]}"; do
    mark=$(mark_of "$package")
    if [ -f "$mark" ] && [ $(($(date +%s) - $(stat -c %Y "$mark"))) -lt "$optional_retry_seconds" ]; then
        echo "setup: $package could not be installed lately; not tried again until 12 hours after (remove $mark to try now)"
    else
        wanted_optional+=("$package")
    fi
done
missing_optional=("${wanted_optional[@]}")

if [ ${#missing[@]} -ne 0 ] || [ ${#missing_optional[@]} -ne 0 ]; then
    echo "setup: installing ${missing[*]} ${missing_optional[*]}"
    if [ ${#missing_optional[@]} -ne 0 ]; then
        $sudo dpkg --add-architecture i386
    fi
    # One index that fails (a mirror mid-sync) must not keep the others' packages out.
    if ! log=$($sudo apt-get update -q 2>&1); then
        echo "setup: the package index could not be refreshed in full; going on with what came ($(grep -m1 -E '^(E|W):' <<<"$log" | cut -c1-160))"
    fi
    # All at once first; if that fails, one by one, so that the failure names its package.
    if [ ${#missing[@]} -ne 0 ] && ! apt_install "${missing[@]}" >/tmp/orvane-setup.log 2>&1; then
        failed=()
        for package in "${missing[@]}"; do
            apt_install "$package" >>/tmp/orvane-setup.log 2>&1 || failed+=("$package")
        done
        if [ ${#failed[@]} -ne 0 ]; then
            echo "setup: cannot install ${failed[*]}, which this job needs (apt-get's account: /tmp/orvane-setup.log)" >&2
            exit 1
        fi
    fi
    for package in "${missing_optional[@]}"; do
        if apt_install "$package" >>/tmp/orvane-setup.log 2>&1; then
            rm -f "$(mark_of "$package")"
        else
            echo "setup: $package cannot be installed today; the Windows tests will run through the 64-bit build"
            mkdir -p "$state" && : >"$(mark_of "$package")" || true
        fi
    done
fi

# Wine turns a UTF-8 command line and file names into Unicode through the host's locale: without
# zh_CN.UTF-8 on the host, every non-ASCII path reaches the programs as '?'.
if [ "$job" = test ] && ! locale -a 2>/dev/null | grep -qixE 'zh_CN\.utf-?8'; then
    echo "setup: making the zh_CN.UTF-8 locale"
    $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
