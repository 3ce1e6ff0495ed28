#!/usr/bin/env python3
"""The table of the other containers for BENCHMARKS.md: per container, the in-process time per
file against the open-read-close floor, whole processes against exiv2 and exiftool, and the
bytes a remote read moved.

    bench/summarize_containers.py RESULTS_DIR CONTAINERS_DIR
"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from summarize import load, process_one, reader_medians  # noqa: E402

KINDS = [("jpg", "JPEG (the source)"), ("heic", "HEIC (heif-enc)"), ("tif", "TIFF"), ("png", "PNG"),
         ("webp", "WebP")]


def main():
    results, containers = sys.argv[1], sys.argv[2]
    processes = load(results, "containers_process.json") or {"results": []}
    slow = load(results, "containers_process_exiftool.json") or {"results": []}
    remote = load(results, "containers_remote.json") or {"photos": []}
    remote_by_name = {os.path.basename(p.get("path", "")): p for p in remote["photos"]}
    orvane = process_one(processes, os.path.join("build", "bench", "cli", "orvane"))
    exiv2 = process_one(processes, "exiv2")
    exiftool = process_one(slow, "exiftool")
    print("| file | size | floor | Orvane in-process | x floor | exiv2 in-process | orvane process | "
          "`exiv2 -pt` process | exiftool process | remote bytes (20 MB) |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for kind, label in KINDS:
        path = os.path.join(containers, "photo." + kind)
        report = load(results, "containers_reader_%s.json" % kind)
        if not report or not os.path.exists(path):
            continue
        readers = reader_medians(report)
        floor, ours = readers["Limit"]["per_file_us"], readers["Orvane"]["per_file_us"]
        theirs = readers["Exiv2"]
        exiv2_text = "refused" if theirs["counters"].get("refused") else "%.1f µs" % theirs["per_file_us"]
        key = next((k for k in orvane if k.endswith("photo." + kind)), None)
        sent = remote_by_name.get("photo." + kind, {}).get("bytes_transferred")
        print("| %s | %.1f MB | %.2f µs | %.2f µs | %.2f | %s | %s | %s | %s | %s |" % (
            label, os.path.getsize(path) / 1e6, floor, ours, ours / floor, exiv2_text,
            "%.2f ms" % orvane[key] if key else "-", "%.2f ms" % exiv2[key] if key in exiv2 else "-",
            "%.1f ms" % exiftool[key] if key in exiftool else "-", "{:,}".format(sent) if sent is not None else "-"))


if __name__ == "__main__":
    main()
