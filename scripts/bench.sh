#!/usr/bin/env bash
# Builds Release with the benchmarks and measures Orvane's reader against exiv2, libexif,
# `exiv2 -pt` and `exiftool` on the same photographs in one run, then prints ratios (the
# machine is shared, so only ratios within a run mean much). Results land in build/bench/results.
#
#   scripts/bench.sh [--quick]      --quick: fewer repetitions, for trying the script out
#   scripts/bench.sh --containers   only the other containers (HEIC, TIFF, PNG, WebP)
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
only_containers=0
[ "${1:-}" = "--quick" ] && quick=1
[ "${1:-}" = "--containers" ] && only_containers=1

bash scripts/setup.sh
# Real photographs that Debian ships, beside the samples: wallpapers from cameras (one of 16 MB)
# and the camera photos of a Go EXIF library's tests.
photo_packages=(mate-backgrounds lomiri-wallpapers golang-github-rwcarlsen-goexif-dev)
missing=()
for package in "${photo_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" >/dev/null
fi

build=build/bench
results=$build/results
mkdir -p "$results"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target orvane orvane_reader_bench orvane_remote_bench >/dev/null
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

if [ $quick -eq 1 ]; then repetitions=3; runs=5; slow_runs=2; else repetitions=10; runs=30; slow_runs=5; fi

if [ $only_containers -eq 0 ]; then
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
fi

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

echo
[ $only_containers -eq 0 ] && python3 bench/summarize.py "$results" "$count"
if [ -r "$container_source" ]; then
    echo
    python3 bench/summarize_containers.py "$results" "$containers"
fi
