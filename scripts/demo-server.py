#!/usr/bin/env python3
"""The demo's web server: serves a folder over HTTP on 127.0.0.1 only.

Zip files are sent at a measured pace, spread over --seconds, so that a person
watching the demo sees the download fill the installer's progress bar instead
of a page that flashes by. Everything else is served at once. The server
binds a free port itself and prints "port <number>" when it is ready.
"""
import argparse
import functools
import http.server
import os
import sys
import time


class DemoHandler(http.server.SimpleHTTPRequestHandler):
    def copyfile(self, source, outputfile):
        seconds = self.server.zip_seconds
        if seconds <= 0 or not self.path.split("?")[0].endswith(".zip"):
            return super().copyfile(source, outputfile)
        size = os.fstat(source.fileno()).st_size
        steps = 40
        chunk = max(4096, -(-size // steps))
        pause = seconds / max(1, -(-size // chunk))
        try:
            while True:
                data = source.read(chunk)
                if not data:
                    break
                outputfile.write(data)
                outputfile.flush()
                time.sleep(pause)
        except (BrokenPipeError, ConnectionResetError):
            # The installer gave up or was closed; nothing to serve any more.
            pass

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), format % args))
        sys.stderr.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--directory", required=True, help="folder to serve")
    parser.add_argument("--seconds", type=float, default=0.0, help="time over which a zip is sent")
    parser.add_argument("--port", type=int, default=0, help="port (0: any free one)")
    args = parser.parse_args()

    handler = functools.partial(DemoHandler, directory=args.directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler)
    server.zip_seconds = args.seconds
    print("port %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
