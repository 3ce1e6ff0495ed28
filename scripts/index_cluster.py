#!/usr/bin/python3
"""Index a list of photo addresses on a Dask cluster: each worker runs `orvane --csv --from -`
(or --json) on a partition of the list, and OUT holds the header once and every row in the
list's order.

    index_cluster.py --from LIST --out OUT.csv [--json] [--scheduler tcp://HOST:PORT]
                     [--orvane PATH] [--partition-lines N] [--jobs N]

Without --scheduler, a cluster of one single-threaded worker per core on this machine. Each
worker needs orvane on its PATH (or at --orvane's path). Written for Debian's python3-distributed,
which is installed for /usr/bin/python3 only.

Exit status: 0 when every photo was read, 1 when one was not or a partition failed, 2 for a
usage error, 3 when python3-distributed is missing.
"""
import argparse
import collections
import os
import subprocess
import sys

try:
    import distributed
except ImportError:
    distributed = None


def read_partitions(stream, lines_per_partition):
    """The list's lines, a partition at a time, without holding the whole list: a list of 10^8
    addresses never stands in this process's memory. Empty lines are left to orvane, which
    skips them, but they do not count towards a partition's size."""
    part = []
    for line in stream:
        if line.strip(b"\r\n"):
            part.append(line if line.endswith(b"\n") else line + b"\n")
        if len(part) >= lines_per_partition:
            yield b"".join(part)
            part = []
    if part:
        yield b"".join(part)


def run_partition(orvane, form, lines, jobs=None):
    """On a worker: orvane over one partition, its output, messages and status. A worker
    without orvane answers with status 127 and the reason, so the run names the problem."""
    try:
        threads = ["-j", str(jobs)] if jobs else []
        done = subprocess.run([orvane, form, "-q"] + threads + ["--from", "-"], input=lines, capture_output=True)
    except OSError as error:
        return b"", ("index_cluster: cannot run %s on a worker: %s\n" % (orvane, error)).encode(), 127
    return done.stdout, done.stderr, done.returncode


def without_header(output):
    """A CSV partition's rows: its first line (up to CR LF) is the header that OUT holds once."""
    end = output.find(b"\r\n")
    return output[end + 2:] if end >= 0 else b""


def write_in_order(client, partitions, orvane, form, out, in_flight, jobs=None):
    """Submits partitions with at most in_flight outstanding and writes their outputs in the
    list's order; answers the worst status."""
    waiting = collections.deque()
    status = 0
    is_first = True

    def take():
        nonlocal status, is_first
        rows, messages, code = waiting.popleft().result()
        if form == "--csv" and not is_first:
            rows = without_header(rows)
        is_first = False
        sys.stderr.buffer.write(messages)
        sys.stderr.flush()
        if code not in (0, 1):
            raise RuntimeError("a partition ended with status %d" % code)
        out.write(rows)
        status = max(status, code)

    for number, lines in enumerate(partitions):
        # pure=False: two partitions of the same lines are still two tasks, both written.
        waiting.append(client.submit(run_partition, orvane, form, lines, jobs, pure=False, key="orvane-%d" % number))
        if len(waiting) >= in_flight:
            take()
    while waiting:
        take()
    if is_first and form == "--csv":
        # An empty list still gets its header, as orvane gives one.
        waiting.append(client.submit(run_partition, orvane, form, b"", pure=False))
        take()
    return status


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--from", dest="list", required=True, help="the list, one address a line; - for stdin")
    parser.add_argument("--out", required=True, help="the CSV (or with --json, JSON lines) to write")
    parser.add_argument("--json", action="store_true", help="JSON lines instead of CSV")
    parser.add_argument("--scheduler", help="tcp://HOST:PORT of a running `dask scheduler`")
    parser.add_argument("--orvane", default="orvane", help="the program on the workers (default: orvane on PATH)")
    parser.add_argument("--jobs", type=int, help="orvane's -j on each worker: remote reads mostly wait (default: orvane's)")
    parser.add_argument("--partition-lines", type=int, default=2000, help="lines a task reads (default 2000)")
    arguments = parser.parse_args()
    if arguments.partition_lines < 1:
        parser.error("--partition-lines takes a number of lines from 1 up")
    return arguments


def main():
    arguments = parse_arguments()
    if distributed is None:
        print("index_cluster: python3-distributed is missing (apt-get install python3-distributed; "
              "run with /usr/bin/python3)", file=sys.stderr)
        return 3
    form = "--json" if arguments.json else "--csv"
    if arguments.scheduler:
        client = distributed.Client(arguments.scheduler)
    else:
        cluster = distributed.LocalCluster(n_workers=os.cpu_count() or 1, threads_per_worker=1,
                                           host="127.0.0.1", dashboard_address=None)
        client = distributed.Client(cluster)
    workers = max(1, len(client.scheduler_info()["workers"]))
    source = sys.stdin.buffer if arguments.list == "-" else open(arguments.list, "rb")
    # Written beside OUT and renamed at the end: a run that failed leaves no half table as OUT.
    part_path = arguments.out + ".part"
    try:
        with source, open(part_path, "wb") as out:
            status = write_in_order(client, read_partitions(source, arguments.partition_lines), arguments.orvane,
                                    form, out, 2 * workers, arguments.jobs)
        os.replace(part_path, arguments.out)
    except (OSError, RuntimeError) as error:
        print("index_cluster: %s" % error, file=sys.stderr)
        if os.path.exists(part_path):
            os.remove(part_path)
        status = 1
    finally:
        client.close()
        if not arguments.scheduler:
            cluster.close()
    return status


if __name__ == "__main__":
    sys.exit(main())
