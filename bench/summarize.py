#!/usr/bin/env python3
"""Turns the result files of scripts/bench.sh into one table of times, ratios and goals."""
import json
import os
import re
import statistics
import sys


def load(directory, name):
    path = os.path.join(directory, name)
    if not os.path.exists(path):
        return None
    with open(path) as file:
        return json.load(file)


def reader_medians(report):
    """Median CPU time per file in microseconds, with the counters, for each in-process reader."""
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    readers = {}
    for run in report["benchmarks"]:
        if run.get("aggregate_name") != "median":
            continue
        files = run["files"]
        readers[run["run_name"]] = {
            "per_file_us": run["cpu_time"] * scale[run["time_unit"]] / files,
            "counters": run,
        }
    return readers


def process_one(report, tool_prefix):
    """Per-photo median times (ms) of one-photo processes whose command starts with tool_prefix."""
    times = {}
    for result in report["results"]:
        if result["command"].startswith(tool_prefix):
            times[result["parameters"]["photo"]] = result["median"] * 1e3
    return times


def process_many(report, tool_prefix, photos):
    for result in report["results"]:
        if result["command"].startswith(tool_prefix):
            return result["median"] * 1e3 / photos
    return None


def strace_calls(path):
    if not os.path.exists(path):
        return None
    with open(path) as file:
        for line in file:
            fields = line.split()
            if fields and fields[-1] == "total":
                return int(fields[3])
    return None


def valgrind_allocations(path):
    if not os.path.exists(path):
        return None
    with open(path) as file:
        match = re.search(r"total heap usage: ([\d,]+) allocs", file.read())
    return int(match.group(1).replace(",", "")) if match else None


def per_photo(once, ten_times, photos):
    if once is None or ten_times is None:
        return None
    return (ten_times - once) / (9 * photos)


def geometric_mean(values):
    return statistics.geometric_mean(values) if values else float("nan")


def main():
    directory, photos = sys.argv[1], int(sys.argv[2])
    rows = []   # (measure, value text)
    goals = []  # (goal, measured text, met)

    reader = load(directory, "reader.json")
    if reader:
        medians = reader_medians(reader)
        for name in ("Limit", "Orvane", "Libexif", "Exiv2"):
            if name in medians:
                counters = medians[name]["counters"]
                rows.append((f"in-process {name}: time per file (median CPU)",
                             f"{medians[name]['per_file_us']:.2f} us"))
                rows.append((f"in-process {name}: heap allocations per file",
                             f"{counters['allocs_per_file']:.1f}"))
        if "Orvane" in medians:
            orvane = medians["Orvane"]["per_file_us"]
            counters = medians["Orvane"]["counters"]
            calls = "open {opens_per_file:.0f}, read {reads_per_file:.1f}, move {moves_per_file:.1f}, close {closes_per_file:.0f}"
            rows.append(("in-process Orvane: platform file calls per file", calls.format(**counters)))
            limit_ratio = orvane / medians["Limit"]["per_file_us"]
            libexif_ratio = medians["Libexif"]["per_file_us"] / orvane
            exiv2_ratio = medians["Exiv2"]["per_file_us"] / orvane
            goals.append(("Orvane within 2x of open-read-close", f"{limit_ratio:.2f}x the floor", limit_ratio <= 2.0))
            goals.append(("Orvane >= 3x faster than libexif", f"{libexif_ratio:.1f}x", libexif_ratio >= 3.0))
            goals.append(("Orvane >= 8x faster than exiv2", f"{exiv2_ratio:.1f}x", exiv2_ratio >= 8.0))
            # ShowDlg's copy of the address is the one allocation allowed per photo.
            allocations = counters["allocs_per_file"]
            goals.append(("no heap allocation per file but the address copy", f"{allocations:.2f} per file", allocations <= 1.0))

    one = load(directory, "process_one.json")
    one_exiftool = load(directory, "process_one_exiftool.json")
    if one:
        orvane_times = process_one(one, "build/bench/cli/orvane")
        exiv2_times = process_one(one, "exiv2")
        exiftool_times = process_one(one_exiftool, "exiftool") if one_exiftool else {}
        for label, times in (("orvane", orvane_times), ("exiv2 -pt", exiv2_times), ("exiftool", exiftool_times)):
            if times:
                rows.append((f"process per photo, one per process: {label} (mean of medians)",
                             f"{statistics.mean(times.values()):.2f} ms"))
        if orvane_times and exiv2_times:
            ratio = geometric_mean([exiv2_times[p] / orvane_times[p] for p in orvane_times if p in exiv2_times])
            goals.append(("orvane process faster than exiv2 -pt (one photo each)", f"{ratio:.2f}x faster", ratio > 1.0))
        if orvane_times and exiftool_times:
            ratio = geometric_mean([exiftool_times[p] / orvane_times[p] for p in orvane_times if p in exiftool_times])
            rows.append(("one per process: exiftool / orvane (geometric mean)", f"{ratio:.1f}x"))

    many = load(directory, "process_many.json")
    many_exiftool = load(directory, "process_many_exiftool.json")
    if many:
        orvane_many = process_many(many, "build/bench/cli/orvane", photos * 10)
        exiv2_many = process_many(many, "exiv2", photos * 10)
        exiftool_many = process_many(many_exiftool, "exiftool", photos * 10) if many_exiftool else None
        for label, value in (("orvane", orvane_many), ("exiv2 -pt", exiv2_many), ("exiftool", exiftool_many)):
            if value is not None:
                rows.append((f"process per photo, {photos * 10} per process: {label}", f"{value * 1e3:.1f} us"))
        if orvane_many and exiv2_many:
            ratio = exiv2_many / orvane_many
            goals.append(("orvane faster than exiv2 -pt (many photos per process)", f"{ratio:.1f}x faster", ratio > 1.0))

    for tool in ("orvane", "exiv2", "exiftool"):
        calls = per_photo(strace_calls(os.path.join(directory, f"strace_{tool}_1.txt")),
                          strace_calls(os.path.join(directory, f"strace_{tool}_10.txt")), photos)
        if calls is not None:
            rows.append((f"system calls per photo: {tool}", f"{calls:.1f}"))
    for tool in ("orvane", "exiv2"):
        allocations = per_photo(valgrind_allocations(os.path.join(directory, f"valgrind_{tool}_1.txt")),
                                valgrind_allocations(os.path.join(directory, f"valgrind_{tool}_10.txt")), photos)
        if allocations is not None:
            rows.append((f"heap allocations per photo, whole process: {tool}", f"{allocations:.1f}"))

    remote = load(directory, "remote.json")
    if remote:
        transferred = remote["bytes_transferred"]
        read = [photo for photo in remote["photos"] if photo["ok"]]
        rows.append((f"remote photos of {remote['photo_bytes'] / 1e6:.0f} MB: most bytes transferred", f"{transferred}"))
        rows.append(("remote photos read with message ok", f"{len(read)} of {len(remote['photos'])}"))
        goals.append(("remote header read under 256 KiB (20 MB photo)", f"{transferred / 1024:.1f} KiB at most", transferred < 256 * 1024))

    width = max(len(label) for label, _ in rows + [(g, "") for g, _, _ in goals])
    print(f"Photographs: {photos}")
    for label, value in rows:
        print(f"  {label:<{width}}  {value}")
    print("Goals:")
    for goal, measured, met in goals:
        print(f"  {goal:<{width}}  {measured:<22} {'met' if met else 'NOT met'}")


if __name__ == "__main__":
    main()
