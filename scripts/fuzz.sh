#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) in build/fuzz and runs each with the seed
# corpus and the dictionary, on every core, then prints executions and coverage per target.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   each target for SECONDS (default 1800); targets:
#                                           read_exif interpret_entry registry_script (default: all)
#   scripts/fuzz.sh --ci                    every target briefly, about two minutes in all;
#                                           fails on any crash, hang, leak or sanitizer report
#
# The working corpus build/fuzz/corpus/TARGET grows from run to run; findings land in
# build/fuzz/findings/TARGET (crash-*, timeout-*, leak-*, oom-*).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

all_targets=(read_exif interpret_entry registry_script)
seconds=1800
ci=0
if [ "${1:-}" = "--ci" ]; then
    ci=1
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
    case " ${all_targets[*]} " in
    *" $target "*) ;;
    *) echo "fuzz: unknown target $target (known: ${all_targets[*]})" >&2; exit 2 ;;
    esac
done

# Inputs of the interpreter's target are entry records, and the registrar's are scripts: long ones
# only repeat what short ones do. The registrar's grammar is small, so CI gives it less time.
max_len_read_exif=16384
max_len_interpret_entry=1024
max_len_registry_script=4096
dict_read_exif=fuzz/orvane.dict
dict_interpret_entry=fuzz/orvane.dict
dict_registry_script=fuzz/registry_script.dict
ci_seconds_read_exif=50
ci_seconds_interpret_entry=50
ci_seconds_registry_script=20

bash scripts/setup.sh
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON \
    -DORVANE_TESTS=OFF >/dev/null
build_targets=(orvane_seed_corpus)
for target in "${targets[@]}"; do build_targets+=("${target}_fuzz"); done
cmake --build "$build" -j2 --target "${build_targets[@]}" >/dev/null

# Seeds: the builder's shapes, the samples (and their other containers) and the photographs of
# the test package.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/read_exif" "$seeds/interpret_entry" "$seeds/registry_script"
cp module/orvane.rgs "$seeds/registry_script/"
pictures=(samples/*.jpg samples/containers/* samples/raw/*)
package_pictures=/usr/share/gocode/src/github.com/rwcarlsen/goexif
if [ -d "$package_pictures" ]; then
    while IFS= read -r -d '' picture; do pictures+=("$picture"); done \
        < <(find "$package_pictures" -name '*.jpg' -print0 | sort -z)
fi
"$build/fuzz/orvane_seed_corpus" "$seeds/read_exif" "$seeds/interpret_entry" "${pictures[@]}"

workers=$(nproc)
failed=0
summary=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    logs="$build/logs/$target"
    mkdir -p "$corpus" "$findings"
    rm -rf "$logs"
    mkdir -p "$logs"
    touch "$logs/.start"  # findings newer than this are this run's
    max_len_name="max_len_$target"
    dict_name="dict_$target"
    target_seconds=$seconds
    if [ "$ci" -eq 1 ]; then
        ci_seconds_name="ci_seconds_$target"
        target_seconds=${!ci_seconds_name}
    fi
    echo "== $target: ${target_seconds}s on $workers workers"
    # Each job writes fuzz-N.log into the working directory.
    (
        cd "$logs"
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$root/$build/fuzz/${target}_fuzz" -jobs="$workers" -workers="$workers" \
            -max_total_time="$target_seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
            -max_len="${!max_len_name}" -dict="$root/${!dict_name}" \
            -artifact_prefix="$root/$findings/" "$root/$corpus" "$root/$seeds/$target" >/dev/null 2>&1
    ) || true

    executions=0
    for log in "$logs"/fuzz-*.log; do
        count=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        executions=$((executions + ${count:-0}))
    done
    reports=$(grep -lE '^==[0-9]+==ERROR|runtime error:|ERROR: libFuzzer|invariant broken' "$logs"/fuzz-*.log || true)
    artifacts=$(find "$findings" -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' -o -name 'oom-*' \) \
        -newer "$logs/.start" 2>/dev/null || true)
    # Parallel jobs each keep their own new inputs: merge them into the smallest corpus that
    # keeps every feature (not in the brief CI run, whose corpus starts afresh).
    if [ "$ci" -eq 0 ] && [ -z "$reports$artifacts" ]; then
        merged="$corpus.merged"
        rm -rf "$merged"
        mkdir -p "$merged"
        if ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/${target}_fuzz" -merge=1 -max_len="${!max_len_name}" \
            "$merged" "$corpus" "$seeds/$target" >"$logs/merge.log" 2>&1; then
            rm -rf "$corpus"
            mv "$merged" "$corpus"
        fi
    fi
    # The coverage of the whole corpus, measured once over it.
    coverage=$(ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/${target}_fuzz" -runs=0 -max_len="${!max_len_name}" \
        "$corpus" "$seeds/$target" 2>&1 | grep -E 'INITED|DONE' | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || echo 'cov: ? ft: ?')
    units=$(find "$corpus" -type f | wc -l)
    line="$target: $executions executions, $coverage, corpus $units files"
    if [ -n "$reports$artifacts" ]; then
        failed=1
        line="$line, FINDINGS:"
        for file in $reports $artifacts; do line="$line $file"; done
        for log in $reports; do
            echo "---- $log"
            grep -E -A25 '^==[0-9]+==ERROR|runtime error:|ERROR: libFuzzer|invariant broken' "$log" | head -60
        done
    fi
    summary+=("$line")
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
    echo "fuzz: findings above; reproduce with build/fuzz/fuzz/TARGET_fuzz FILE" >&2
    exit 1
fi
[ "$ci" -eq 1 ] && echo "fuzz: no findings"
exit 0
