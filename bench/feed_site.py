#!/usr/bin/env python3
"""A loopback feed site fast enough not to be what a receive benchmark measures.

Serves the generated feeds of tests/support/feed_server.py (the same bytes, from the same
generator) on PORTS listening ports of 127.0.0.1, each answered by a process of its own with an
asyncio loop: no thread per connection, no interpreter lock shared between hosts, connections
kept alive, every answer built once and kept as bytes. Prints the port numbers on one line,
then serves until terminated (SIGTERM or SIGINT ends every process of the site; the port
processes also end when the site's first process dies).

Routes (GET or HEAD):
  /gen/N?items=M&round=R&etag=1   as feed_server.py: the generated feed of channel N with its
                                  ETag, 304 to a request whose If-None-Match names it
  /slow?s=SECONDS&to=PATH         waits, then answers as PATH would
Anything else is a 404.

    bench/feed_site.py [--ports 16] [--channels 200] [--items 50]

--channels and --items name the feeds built before the port numbers are printed; others are
built on their first request and kept.
"""

import argparse
import asyncio
import ctypes
import os
import signal
import socket
import sys
from urllib.parse import parse_qs, unquote, urlsplit

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), 'tests', 'support'))
from feed_server import generated_feed  # noqa: E402

MAX_HEAD = 16384
PR_SET_PDEATHSIG = 1


class Answers:
    """Whole answers (head and body) by feed, built once."""

    def __init__(self):
        self.feeds = {}

    def feed(self, channel, count, rnd, etag):
        key = (channel, count, rnd, etag)
        answer = self.feeds.get(key)
        if answer is None:
            body = generated_feed(channel, count, rnd)
            tag = '"gen-%d-%d-%d"' % (channel, count, rnd)
            extra = 'ETag: %s\r\n' % tag if etag else ''
            head = ('HTTP/1.1 200 OK\r\nServer: FeedSite/1.0\r\nContent-Type: text/xml\r\n'
                    'Content-Length: %d\r\n%s\r\n' % (len(body), extra)).encode()
            not_modified = ('HTTP/1.1 304 Not Modified\r\nServer: FeedSite/1.0\r\n%s\r\n'
                            % extra).encode()
            answer = (head, body, tag if etag else None, not_modified)
            self.feeds[key] = answer
        return answer


NOT_FOUND = (b'HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 10\r\n\r\n',
             b'not found\n')


def query_of(text):
    return {k: v[-1] for k, v in parse_qs(text).items()}


async def answer(answers, target, headers):
    """(head, body) for a request target."""
    url = urlsplit(target)
    query = query_of(url.query)
    if url.path == '/slow':
        await asyncio.sleep(float(query.get('s', '1')))
        url = urlsplit(unquote(query.get('to', '/')))
        query = query_of(url.query)
    if not url.path.startswith('/gen/'):
        return NOT_FOUND
    try:
        channel = int(url.path[len('/gen/'):] or '0')
        count = int(query.get('items', '50'))
        rnd = int(query.get('round', '0'))
    except ValueError:
        return NOT_FOUND
    head, body, tag, not_modified = answers.feed(channel, count, rnd, query.get('etag') == '1')
    if tag is not None and headers.get('if-none-match') == tag:
        return not_modified, b''
    return head, body


async def serve_connection(answers, reader, writer):
    try:
        while True:
            try:
                request = await reader.readuntil(b'\r\n\r\n')
            except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
                return
            lines = request.decode('latin-1').split('\r\n')
            parts = lines[0].split(' ')
            if len(parts) != 3:
                return
            method, target, version = parts
            headers = {}
            for line in lines[1:]:
                name, _, value = line.partition(':')
                if name:
                    headers[name.strip().lower()] = value.strip()
            length = int(headers.get('content-length', '0') or '0')
            if length:
                await reader.readexactly(length)
            head, body = await answer(answers, target, headers)
            writer.write(head if method == 'HEAD' else head + body)
            await writer.drain()
            if version == 'HTTP/1.0' or headers.get('connection', '').lower() == 'close':
                return
    except (ConnectionError, ValueError):
        pass
    finally:
        writer.close()


def serve(sock, answers):
    """A port's process: its own loop on its own listening socket, until killed."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    signal.signal(signal.SIGINT, signal.SIG_DFL)

    async def main():
        server = await asyncio.start_server(
            lambda r, w: serve_connection(answers, r, w), sock=sock, limit=MAX_HEAD)
        async with server:
            await server.serve_forever()

    asyncio.run(main())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--ports', type=int, default=16)
    parser.add_argument('--channels', type=int, default=200)
    parser.add_argument('--items', type=int, default=50)
    args = parser.parse_args()

    answers = Answers()
    for channel in range(args.channels):
        answers.feed(channel, args.items, 0, True)
    sockets = []
    for _ in range(max(1, args.ports)):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(('127.0.0.1', 0))
        sock.listen(256)
        sockets.append(sock)
    children = []
    for sock in sockets:
        pid = os.fork()
        if pid == 0:
            try:
                serve(sock, answers)
            finally:
                os._exit(0)
        children.append(pid)

    def stop(signum, frame):
        for pid in children:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for pid in children:
            try:
                os.waitpid(pid, 0)
            except ChildProcessError:
                pass
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    sys.stdout.write(' '.join(str(s.getsockname()[1]) for s in sockets) + '\n')
    sys.stdout.flush()
    for sock in sockets:
        sock.close()
    while True:
        signal.pause()


if __name__ == '__main__':
    main()
