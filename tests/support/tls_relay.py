#!/usr/bin/env python3
"""TLS in front of a plain HTTP test server.

The Windows test programs run under Wine, whose Schannel can be a TLS client
but not a TLS server. Their HTTPS server is therefore this relay on the build
machine: it accepts TLS with the test's certificate on 127.0.0.1 and passes
the bytes both ways to the test's own plain server, which still answers and
counts every request.

    tls_relay.py CERT KEY BACKEND_PORT PORT_FILE ALIVE_FILE

It writes the port it listens on to PORT_FILE and runs while ALIVE_FILE
exists (at most half an hour, should the test die without removing it).
"""
import os
import socket
import ssl
import sys
import threading
import time

MAX_LIFETIME_SECONDS = 1800


def pump(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    for end in (source, target):
        try:
            end.close()
        except OSError:
            pass


def relay(context, raw, backend_port):
    try:
        raw.settimeout(30)
        client = context.wrap_socket(raw, server_side=True)
        client.settimeout(None)
        backend = socket.create_connection(("127.0.0.1", backend_port))
    except (OSError, ssl.SSLError):
        # A client that refuses the certificate ends here, as it should.
        raw.close()
        return
    threading.Thread(target=pump, args=(backend, client), daemon=True).start()
    pump(client, backend)


def main():
    certificate, key, backend_port, port_file, alive_file = sys.argv[1:6]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    listener = socket.create_server(("127.0.0.1", 0))
    listener.settimeout(0.2)
    written = port_file + ".part"
    with open(written, "w") as out:
        out.write(str(listener.getsockname()[1]))
    os.replace(written, port_file)

    deadline = time.monotonic() + MAX_LIFETIME_SECONDS
    while os.path.exists(alive_file) and time.monotonic() < deadline:
        try:
            raw, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=relay, args=(context, raw, int(backend_port)), daemon=True).start()


if __name__ == "__main__":
    main()
