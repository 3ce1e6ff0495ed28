#!/bin/bash
# Photos per second for a list of remote photos against a store WAIT_MS away: orvane at several
# -j, the cluster script, 64 concurrent range requests of the curl tool (the floor of the
# transfers themselves) and `curl | exiftool -` for reference. Usage:
#   bench/remote_list_bench.sh ORVANE [PHOTOS] [WAIT_MS] [PHOTO]
set -euo pipefail
orvane=$(realpath "$1")
photos=${2:-2000}
wait_ms=${3:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
photo=${4:-$root/samples/Canon_40D.jpg}
work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

/usr/bin/python3 "$root/bench/slow_range_server.py" "$photo" "$work/port" "$wait_ms" 1800 &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$work/port")"
seq 1 "$photos" | sed "s|.*|$base/archive/&.jpg|" >"$work/list"

# Seconds for a command, and photos per second over count photos.
measure() {
    local label=$1 count=$2
    shift 2
    local start end
    start=$(date +%s.%N)
    "$@" >"$work/out" 2>"$work/err" || true
    end=$(date +%s.%N)
    awk -v l="$label" -v n="$count" -v s="$start" -v e="$end" \
        'BEGIN { printf "| %s | %d | %.2f | %.0f |\n", l, n, e - s, n / (e - s) }'
}

echo "| run | photos | seconds | photos/s |"
echo "| --- | ---: | ---: | ---: |"
head -n 200 "$work/list" >"$work/list200"
measure "orvane --csv -j 1 --from list" 200 "$orvane" --csv -q -j 1 --from "$work/list200"
for jobs in 16 64; do
    measure "orvane --csv -j $jobs --from list" "$photos" "$orvane" --csv -q -j "$jobs" --from "$work/list"
    cp "$work/out" "$work/out.$jobs"
done
cmp "$work/out.16" "$work/out.64" && echo "(-j 16 and -j 64 print the same bytes)"
sed "s|^|url = |; s|$|\noutput = /dev/null|" "$work/list" >"$work/curl.config"
measure "curl --parallel --parallel-max 64 -r 0-32767 (one process)" "$photos" \
    curl -s --parallel --parallel-max 64 -r 0-32767 -K "$work/curl.config"
measure "64 curl -r 0-32767 processes at a time (xargs -P 64)" "$photos" \
    sh -c "xargs -P 64 -n 1 curl -s -o /dev/null -r 0-32767 <'$work/list'"
if /usr/bin/python3 -c 'import distributed' 2>/dev/null; then
    PATH="$(dirname "$orvane"):$PATH" measure "index_cluster.py --jobs 64, local cluster of 2 workers (start included)" \
        "$photos" /usr/bin/python3 "$root/scripts/index_cluster.py" --from "$work/list" --out "$work/cluster.csv" \
        --jobs 64 --partition-lines 500
    cmp "$work/cluster.csv" "$work/out.64" && echo "(the cluster's table is the -j 64 run's)"
fi
head -n 20 "$work/list" >"$work/list20"
measure "curl -s URL | exiftool -, one after another" 20 \
    sh -c "while read -r url; do curl -s \"\$url\" | exiftool - >/dev/null; done <'$work/list20'"
