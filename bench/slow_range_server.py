"""A loopback store for measuring remote reads: HTTP/1.1 with keep-alive, Range honoured, and a
wait before every answer, as a store that far away would make. Every path serves the one file.

Usage: python3 slow_range_server.py FILE PORT_FILE [WAIT_MS] [SECONDS]"""
import http.server
import re
import sys
import threading
import time


def main():
    path, port_file = sys.argv[1:3]
    wait = (int(sys.argv[3]) if len(sys.argv) > 3 else 20) / 1000.0
    seconds = int(sys.argv[4]) if len(sys.argv) > 4 else 600
    body = open(path, "rb").read()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        # A store answers head and body at once; with Nagle the body would wait for an ack.
        disable_nagle_algorithm = True

        def log_message(self, *args):
            pass

        def do_GET(self):
            time.sleep(wait)
            asked = re.fullmatch(r"bytes=(\d+)-(\d*)", self.headers.get("Range", ""))
            if asked:
                first = int(asked.group(1))
                last = min(int(asked.group(2) or len(body) - 1), len(body) - 1)
                part = body[first:last + 1]
                self.send_response(206)
                self.send_header("Content-Range", "bytes %d-%d/%d" % (first, first + len(part) - 1, len(body)))
            else:
                part = body
                self.send_response(200)
            self.send_header("Content-Length", str(len(part)))
            self.end_headers()
            self.wfile.write(part)

    class Server(http.server.ThreadingHTTPServer):
        # Many clients connect at once; the default backlog of 5 drops their SYNs into 1 s retries.
        request_queue_size = 1024

    server = Server(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    limit = threading.Timer(seconds, server.shutdown)
    limit.daemon = True
    limit.start()
    with open(port_file, "w") as out:
        out.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
