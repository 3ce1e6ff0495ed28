#!/usr/bin/env bash
# Builds Release with the benchmarks and measures Orvane's reader against exiv2, libexif,
# `exiv2 -pt` and `exiftool` on the same photographs in one run, then prints ratios (the
# machine is shared, so only ratios within a run mean much). Then a folder of 100,000 entries
# through `orvane --csv -r` against the peers and the machine's floor for the same walk. Results
# land in build/bench/results.
#
#   scripts/bench.sh [--quick] [--folder | --containers]
#       --quick: fewer repetitions, for trying the script out; --folder: only the folder run;
#       --containers: only the other containers (HEIC, TIFF, PNG, WebP) and the camera raw files
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0 folder_only=0 only_containers=0
for option in "$@"; do
    case $option in
        --quick) quick=1 ;;
        --folder) folder_only=1 ;;
        --containers) only_containers=1 ;;
        *) echo "usage: scripts/bench.sh [--quick] [--folder | --containers]" >&2; exit 2 ;;
    esac
done

# Real photographs that Debian ships, beside the samples: wallpapers from cameras (one of 16 MB)
# and the camera photos of a Go EXIF library's tests.
bash scripts/setup.sh mate-backgrounds lomiri-wallpapers golang-github-rwcarlsen-goexif-dev

build=build/bench
results=$build/results
mkdir -p "$results"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target orvane orvane_reader_bench orvane_remote_bench orvane_folder_floor >/dev/null
orvane=$build/cli/orvane

goexif=/usr/share/gocode/src/github.com/rwcarlsen/goexif/exif
photos=(samples/*.jpg)
for photo in \
    /usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg \
    /usr/share/backgrounds/mate/abstract/Elephants_3840x2160.jpg \
    /usr/share/backgrounds/mate/nature/Dune.jpg \
    /usr/share/backgrounds/mate/nature/Wood.jpg \
    /usr/share/backgrounds/mate/nature/Storm.jpg \
    /usr/share/backgrounds/mate/nature/Blinds.jpg \
    /usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg \
    /usr/share/backgrounds/Infinite-Sea_by_Aury88.jpg \
    /usr/share/backgrounds/Painting-Colors_by__herobrine7gamer.jpg \
    "$goexif/sample1.jpg" \
    "$goexif/samples/has-lens-info.jpg"; do
    [ -r "$photo" ] && photos+=("$photo")
done
count=${#photos[@]}
printf '%s\n' "${photos[@]}" >"$results/photos.txt"
# Every process-level figure also runs the set ten times over in one process.
many=()
for _ in 1 2 3 4 5 6 7 8 9 10; do many+=("${photos[@]}"); done
cat "${photos[@]}" >/dev/null   # page-cache them

measure_photographs() {
    echo "== in-process readers ($count photographs)"
    "$build/bench/orvane_reader_bench" --benchmark_repetitions=$repetitions \
        --benchmark_enable_random_interleaving=true --benchmark_min_time=0.2 \
        --benchmark_out="$results/reader.json" --benchmark_out_format=json "${photos[@]}" >"$results/reader.txt" 2>&1

    echo "== whole processes, one photograph per process"
    list=$(IFS=,; echo "${photos[*]}")
    hyperfine -N -i --warmup 3 --runs $runs -L photo "$list" \
        "$orvane {photo}" "exiv2 -pt {photo}" --export-json "$results/process_one.json" >/dev/null
    hyperfine -N -i --warmup 1 --runs $slow_runs -L photo "$list" \
        "exiftool {photo}" --export-json "$results/process_one_exiftool.json" >/dev/null

    echo "== whole processes, $((count * 10)) photographs per process"
    hyperfine -N -i --warmup 2 --runs $runs \
        "$orvane ${many[*]}" "exiv2 -pt ${many[*]}" --export-json "$results/process_many.json" >/dev/null
    hyperfine -N -i --warmup 1 --runs $slow_runs \
        "exiftool ${many[*]}" --export-json "$results/process_many_exiftool.json" >/dev/null

    echo "== system calls and heap allocations per photograph (the set once against ten times)"
    for tool in orvane exiv2 exiftool; do
        case $tool in
            orvane) command=("$orvane") ;;
            exiv2) command=(exiv2 -pt) ;;
            exiftool) command=(exiftool) ;;
        esac
        strace -f -c -o "$results/strace_${tool}_1.txt" "${command[@]}" "${photos[@]}" >/dev/null 2>&1 || true
        strace -f -c -o "$results/strace_${tool}_10.txt" "${command[@]}" "${many[@]}" >/dev/null 2>&1 || true
    done
    for tool in orvane exiv2; do
        case $tool in
            orvane) command=("$orvane") ;;
            exiv2) command=(exiv2 -pt) ;;
        esac
        valgrind --tool=memcheck "${command[@]}" "${photos[@]}" 2>"$results/valgrind_${tool}_1.txt" >/dev/null || true
        valgrind --tool=memcheck "${command[@]}" "${many[@]}" 2>"$results/valgrind_${tool}_10.txt" >/dev/null || true
    done

    echo "== remote photographs (padded to 20 MB) through the native HTTP back end"
    "$build/bench/orvane_remote_bench" "${photos[@]}" >"$results/remote.json"

    echo
    python3 bench/summarize.py "$results" "$count"
}

# seconds COMMAND...: the best wall time of $folder_runs runs, in seconds; output is dropped.
seconds() {
    local best="" run start end
    for ((run = 0; run < folder_runs; run++)); do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true  # status 1: some photographs have no Exif
        end=$(date +%s%N)
        if [ -z "$best" ] || [ $((end - start)) -lt "$best" ]; then best=$((end - start)); fi
    done
    echo "$best" | awk '{ printf "%.3f", $1 / 1e9 }'
}

# The folder run: 100,000 entries, hard links to the photographs (in 10 × 10 × 10 folders of 100),
# made in a temporary folder and removed at the end whatever happens.
measure_folder() {
    local entries=100000 threads
    threads=$(nproc)
    work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-bench-folder.XXXXXX")
    trap 'rm -rf "$work"' EXIT  # work is global: the trap may run after this function
    # Hard links need one file system: the set is copied next to the tree first.
    mkdir -p "$work/set" "$work/tree/0/0/0"
    local i=0 photo
    for photo in "${photos[@]}"; do
        cp "$photo" "$work/set/$i-$(basename "$photo")"
        i=$((i + 1))
    done
    local set_files=("$work"/set/*)
    for ((i = 0; i < 100; i++)); do
        photo=${set_files[i % ${#set_files[@]}]}
        ln "$photo" "$work/tree/0/0/0/$i-$(basename "$photo")"
    done
    for level in "0/0" "0" "."; do
        for ((i = 1; i < 10; i++)); do cp -al "$work/tree/$level/0" "$work/tree/$level/$i"; done
    done
    local found
    found=$(find "$work/tree" -type f | wc -l)
    [ "$found" -eq "$entries" ] || { echo "bench: the folder holds $found entries, not $entries" >&2; exit 1; }
    # The peers, far slower, read samples: exiftool 1,000 entries, exiv2 2,000.
    local sample=("$work/tree/0/0" "$work/tree/0/1") sample_count=2000

    if [ $quick -eq 1 ]; then folder_runs=1; else folder_runs=3; fi
    echo "== a folder of $entries entries ($threads threads where a tool takes them; best of $folder_runs)"
    local table=$results/folder.txt
    : >"$table"
    row() { printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$table"; }
    local floor
    floor=$("$build/bench/orvane_folder_floor" -j "$threads" --repeat "$folder_runs" "$work/tree")
    echo "$floor" >"$results/folder_floor.txt"
    row "floor: walk + open, read 64 KiB, close; 1 thread" "$entries" \
        "$(echo "$floor" | awk '$2 == 1 { printf "%.3f", $10 * $4 / 1e6 }')"
    if [ "$threads" -gt 1 ]; then
        row "floor; $threads threads" "$entries" \
            "$(echo "$floor" | awk -v t="$threads" '$2 == t { printf "%.3f", $10 * $4 / 1e6 }')"
    fi
    if "$orvane" --help | grep -qE -- '(^|[[:space:][])-j([[:space:],]|$)'; then
        row "orvane --csv -r -j 1" "$entries" "$(seconds "$orvane" --csv -r -j 1 "$work/tree")"
        row "orvane --csv -r (all cores)" "$entries" "$(seconds "$orvane" --csv -r "$work/tree")"
    else
        echo "bench: this orvane has no -j: one row, one thread"
        row "orvane --csv -r" "$entries" "$(seconds "$orvane" --csv -r "$work/tree")"
    fi
    local saved_runs=$folder_runs
    folder_runs=1
    row "exiftool -csv -r (sample)" 1000 "$(seconds exiftool -csv -r "$work/tree/0/0")"
    folder_runs=$saved_runs
    row "exiv2 -pt (sample, through xargs)" "$sample_count" \
        "$(seconds sh -c 'find "$@" -type f -print0 | xargs -0 exiv2 -pt' sh "${sample[@]}")"
    rm -rf "$work"
    trap - EXIT

    echo
    echo "| run | entries | seconds | µs per photo | × the floor on 1 thread |"
    echo "|---|---|---|---|---|"
    awk -F'\t' 'NR == 1 { floor = $3 / $2 }
        { printf "| %s | %d | %.2f | %.2f | %.2f |\n", $1, $2, $3, 1e6 * $3 / $2, ($3 / $2) / floor }' "$table"
}

measure_containers() {
    # The other containers, each a full-size photograph made from one camera JPEG (the 8.5 MB Sony
    # file): HEIC by heif-enc, PNG, WebP and TIFF with the JPEG's Exif block (tools/).
    container_source=/usr/share/backgrounds/mate/abstract/Elephants_3840x2160.jpg
    containers=$build/containers
    if [ -r "$container_source" ]; then
        echo "== other containers: HEIC, TIFF, PNG, WebP of one photograph"
        if [ ! -f "$containers/photo.webp" ]; then
            python3 tools/make_container_samples.py --bench "$containers" "$container_source"
            cp "$container_source" "$containers/photo.jpg"
        fi
        kinds=(jpg heic tif png webp)
        container_photos=()
        for kind in "${kinds[@]}"; do container_photos+=("$containers/photo.$kind"); done
        cat "${container_photos[@]}" >/dev/null
        for kind in "${kinds[@]}"; do
            "$build/bench/orvane_reader_bench" --benchmark_repetitions=$repetitions \
                --benchmark_enable_random_interleaving=true --benchmark_min_time=0.2 \
                --benchmark_out="$results/containers_reader_$kind.json" --benchmark_out_format=json \
                "$containers/photo.$kind" >/dev/null 2>&1
        done
        list=$(IFS=,; echo "${container_photos[*]}")
        hyperfine -N -i --warmup 3 --runs $runs -L photo "$list" \
            "$orvane {photo}" "exiv2 -pt {photo}" --export-json "$results/containers_process.json" >/dev/null
        hyperfine -N -i --warmup 1 --runs $slow_runs -L photo "$list" \
            "exiftool {photo}" --export-json "$results/containers_process_exiftool.json" >/dev/null
        "$build/bench/orvane_remote_bench" "${container_photos[@]}" >"$results/containers_remote.json"
    fi
    if [ -r "$container_source" ]; then
        echo
        python3 bench/summarize_containers.py "$results" "$containers"
    fi
}

measure_raw() {
    # The camera raw samples (a few KB each, made from the sample JPEGs by tools/): the reader
    # in-process against the floor, and the bytes a remote read moves when each is padded to 20 MB.
    echo "== camera raw files: ORF, RW2, RWL, RAF, MRW"
    raw_photos=(samples/raw/*.orf samples/raw/*.rw2 samples/raw/*.rwl samples/raw/*.raf samples/raw/*.mrw)
    cat "${raw_photos[@]}" >/dev/null
    for photo in "${raw_photos[@]}"; do
        "$build/bench/orvane_reader_bench" --benchmark_repetitions=$repetitions --benchmark_min_time=0.2 \
            --benchmark_filter='Limit|Orvane' --benchmark_out="$results/raw_reader_$(basename "$photo").json" \
            --benchmark_out_format=json "$photo" >/dev/null 2>&1
    done
    "$build/bench/orvane_remote_bench" "${raw_photos[@]}" >"$results/raw_remote.json"
}

if [ $quick -eq 1 ]; then repetitions=3; runs=5; slow_runs=2; else repetitions=10; runs=30; slow_runs=5; fi
[ $folder_only -eq 1 ] || [ $only_containers -eq 1 ] || measure_photographs
[ $folder_only -eq 1 ] || measure_containers
[ $folder_only -eq 1 ] || measure_raw
[ $only_containers -eq 1 ] || measure_folder

