"""scripts/index_cluster.py on a local Dask cluster against a loopback HTTP server: OUT holds
exactly what one `orvane --from` prints for the same list, header once, rows in the list's order,
over several partitions; a worker that cannot run orvane leaves no OUT. Skipped, with one line,
where python3-distributed is missing.

Usage: /usr/bin/python3 index_cluster_test.py SCRIPT ORVANE SAMPLES_DIR"""
import functools
import http.server
import os
import subprocess
import sys
import tempfile
import threading

SKIPPED = 77


def serve(folder):
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    handler.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    limit = threading.Timer(300, server.shutdown)  # bounded, whatever the test does
    limit.daemon = True
    limit.start()
    return server


def main():
    script, orvane, samples = sys.argv[1:4]
    try:
        import distributed  # noqa: F401
    except ImportError:
        print("index_cluster_test: SKIPPED: python3-distributed is missing (scripts/setup.sh installs it)")
        return SKIPPED
    server = serve(samples)
    base = "http://127.0.0.1:%d/" % server.server_address[1]
    names = [base + "Canon_40D.jpg", base + "missing.jpg", os.path.join(samples, "Nikon_D70.jpg"), "",
             base + "jfif_then_exif.jpg", "sftp://example.test/a.jpg", base + "Sony_HDR-HC3.jpg"]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        listed = os.path.join(work, "list.txt")
        with open(listed, "w") as out:
            out.write("".join("%s\n" % name for _ in range(6) for name in names))
        # form, where the list comes from, orvane on the workers, expected status
        cases = [("--csv", listed, orvane, 1), ("--json", "-", orvane, 1), ("--csv", listed, "/nonexistent/orvane", 1)]
        for form, source, program, status in cases:
            result = os.path.join(work, "out")
            if os.path.exists(result):
                os.remove(result)
            flags = ["--json"] if form == "--json" else []
            with open(listed, "rb") as stdin:
                run = subprocess.run([sys.executable, script, "--from", source, "--out", result, "--orvane", program,
                                      "--partition-lines", "5"] + flags, stdin=stdin, capture_output=True, timeout=240)
            one = subprocess.run([orvane, form, "--from", listed], capture_output=True)
            label = "%s from %s with %s" % (form, source, program)
            if run.returncode != status:
                failures.append("%s: status %d, not %d: %s" % (label, run.returncode, status, run.stderr[-2000:]))
            elif program != orvane:
                if os.path.exists(result) or b"cannot run /nonexistent/orvane" not in run.stderr:
                    failures.append("%s: left OUT, or did not say why" % label)
            else:
                with open(result, "rb") as table:
                    if table.read() != one.stdout:
                        failures.append("%s: OUT is not what one orvane prints" % label)
                messages = [line for line in run.stderr.splitlines(True) if line in one.stderr.splitlines(True)]
                if b"".join(messages) != one.stderr:
                    failures.append("%s: the messages are not orvane's, in order" % label)
    server.shutdown()
    for failure in failures:
        print("index_cluster_test: " + failure)
    print("index_cluster_test: %d passed, %d failed" % (len(cases) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
