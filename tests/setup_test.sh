#!/bin/sh
# scripts/setup.sh against a package registry that is out of step with itself: stand-ins for
# apt-get, dpkg and dpkg-query on PATH record every call and fail where a case says so.
# Usage: setup_test.sh SETUP-SCRIPT
set -u
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# The stand-ins read: INSTALLED (names dpkg knows), FAIL_UPDATE (1: the index refresh fails),
# FAIL (names whose install fails, alone or in a batch); they append to $work/calls.
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
for last; do :; done
for name in $INSTALLED; do [ "$name" = "$last" ] && { echo 'install ok installed'; exit 0; }; done
exit 1
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >>"$CALLS"
[ "$1" = update ] && { [ "$FAIL_UPDATE" = 1 ] && { echo 'E: Failed to fetch i386 Packages  File has unexpected size. Mirror sync in progress?'; exit 100; }; exit 0; }
for name in "$@"; do for bad in $FAIL; do [ "$name" = "$bad" ] && exit 100; done; done
exit 0
EOF
printf '#!/bin/sh\necho "dpkg $*" >>"$CALLS"\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
printf '#!/bin/sh\necho zh_CN.utf8\n' >"$work/bin/locale"
chmod +x "$work/bin/"*

all_test="cmake g++ make pkg-config libcurl4-openssl-dev python3 git googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev libfuzzer-14-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine wine64 xvfb libexiv2-dev libexif-dev exiv2 libimage-exiftool-perl hyperfine libheif-examples webp golang-github-rwcarlsen-goexif-dev fonts-wqy-zenhei imagemagick locales man-db groff-base openssl python3-distributed"

failures=0
# check NAME JOB INSTALLED FAIL_UPDATE FAIL STATUS OUTPUT-PATTERN CALLS-PATTERN [ABSENT-PATTERN]
check() {
    : >"$work/calls"
    output=$(cd "$work" && PATH="$work/bin:$PATH" CALLS="$work/calls" INSTALLED="$3" FAIL_UPDATE="$4" FAIL="$5" \
        ORVANE_SETUP_DONE= ORVANE_SETUP_STATE="$work/state" bash "$setup" $2 2>&1)
    status=$?
    problem=""
    [ "$status" -eq "$6" ] || problem="status $status, not $6"
    printf '%s\n' "$output" | grep -qE "$7" || problem="$problem; output lacks /$7/"
    [ "$8" = - ] || grep -qE "$8" "$work/calls" || problem="$problem; calls lack /$8/"
    if [ -n "${9:-}" ] && grep -qE "$9" "$work/calls"; then problem="$problem; calls hold /$9/"; fi
    if [ -n "$problem" ]; then
        echo "setup_test: $1: $problem"; echo "  output: $output"; sed 's/^/  call: /' "$work/calls"
        failures=$((failures + 1))
    fi
}

#     case                          job   installed    update fail            status output                                      calls                          absent
check "index mid-sync"              test  ""           1      ""              0 "could not be refreshed in full.*Mirror sync"     "install -y -q cmake"          ""
check "no 32-bit Wine today"        test  ""           0      "wine32:i386"   0 "wine32:i386 cannot be installed today.*64-bit"   "install -y -q wine32:i386"    ""
check "the 32-bit Wine failed lately" test "$all_test" 0 ""                   0 "wine32:i386 could not be installed lately.*remove" - "apt-get"
check "a needed package fails"      test  ""           1      "libwine-dev"   1 "cannot install libwine-dev, which"              "install -y -q libwine-dev$"   ""
check "demo needs the compiler only" demo ""           0      ""              0 "installing cmake g\+\+ make pkg-config libcurl4-openssl-dev *$" "install -y -q cmake g\+\+ make pkg-config libcurl4-openssl-dev$" "wine|mingw|add-architecture"
check "all there: no registry"      test  "$all_test wine32:i386" 0 ""        0 "^$"                                             -                              "apt-get"
check "demo ignores test packages"  demo  "cmake g++ make pkg-config libcurl4-openssl-dev" 0 "" 0 "^$" -                              "apt-get"

[ "$failures" -eq 0 ] || exit 1
echo "setup_test: 7 cases passed"
