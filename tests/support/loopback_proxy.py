#!/usr/bin/env python3
"""A forwarding HTTP proxy on loopback for the proxy tests.

    loopback_proxy.py --record-dir DIR

The first line on stdout is its port (127.0.0.1). It takes requests in absolute form
("POST http://127.0.0.1:PORT/path HTTP/1.0"), forwards them to loopback targets only, and sends
the target's answer back. Each request is recorded as DIR/NNNN.head: the request line and header
lines exactly as the proxy received them (so the Proxy-authorization line can be checked).
Targets that are not on 127.0.0.1 or localhost are refused with 403.
"""

import argparse
import http.client
import os
import socketserver
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, HTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    def handle_one_request(self):
        self.rfile = RecordingReader(self.rfile)
        super().handle_one_request()

    def forward(self):
        length = int(self.headers.get('Content-Length') or 0)
        body = self.rfile.read(length) if length else b''
        server = self.server
        with server.lock:
            server.count += 1
            path = os.path.join(server.record_dir, '%04d.head' % server.count)
        with open(path, 'wb') as f:
            f.write(b''.join(self.rfile.lines))
        target = urllib.parse.urlsplit(self.path)
        if target.hostname not in ('127.0.0.1', 'localhost') or target.scheme != 'http':
            self.send_error(403, 'loopback targets only')
            return
        headers = {k: v for k, v in self.headers.items()
                   if not k.lower().startswith('proxy-') and k.lower() != 'connection'}
        conn = http.client.HTTPConnection('127.0.0.1', target.port or 80, timeout=30)
        try:
            conn.request(self.command, target.path + ('?' + target.query if target.query else ''),
                         body=body, headers=headers)
            answer = conn.getresponse()
            data = answer.read()
        except OSError as error:
            self.send_error(502, str(error))
            return
        finally:
            conn.close()
        self.send_response(answer.status)
        for key, value in answer.getheaders():
            if key.lower() not in ('connection', 'transfer-encoding', 'content-length'):
                self.send_header(key, value)
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    do_POST = forward
    do_GET = forward


class RecordingReader:
    def __init__(self, raw):
        self.raw = raw
        self.lines = []
        self.in_head = True

    def readline(self, *args):
        line = self.raw.readline(*args)
        if self.in_head:
            self.lines.append(line)
            if line in (b'\r\n', b'\n', b''):
                self.in_head = False
        return line

    def read(self, *args):
        return self.raw.read(*args)

    def __getattr__(self, name):
        return getattr(self.raw, name)


class Server(socketserver.ThreadingMixIn, HTTPServer):
    daemon_threads = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--record-dir', required=True)
    args = parser.parse_args()
    server = Server(('127.0.0.1', 0), Handler)
    server.record_dir = args.record_dir
    server.lock = threading.Lock()
    server.count = 0
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    sys.exit(main())
