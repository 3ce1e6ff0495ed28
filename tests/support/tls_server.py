"""A loopback HTTPS server for tests: serves one folder's files (200, whole bodies) on 127.0.0.1
with the given certificate, writes its port to a file, and stops by itself after a minute."""
import functools
import http.server
import ssl
import sys
import threading


def main():
    folder, certificate, key, port_file = sys.argv[1:5]
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    handler.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Timer(60, server.shutdown).start()
    with open(port_file + ".tmp", "w") as out:
        out.write(str(server.server_address[1]))
    # Renamed when complete, so the test never reads half a number.
    import os
    os.rename(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
