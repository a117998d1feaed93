#!/usr/bin/env python3
"""A loopback feed site fast enough not to be what a receive benchmark measures.

Serves the generated feeds of tests/support/feed_server.py (the same bytes, from the same
generator) on PORTS listening ports of 127.0.0.1, each answered by a process of its own with a
loop over its sockets (selectors; no thread per connection, no interpreter lock shared between
hosts, none of asyncio's own work per request), connections kept alive, every answer built once
and kept as bytes. Prints the port numbers on one line,
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
import ctypes
import heapq
import os
import selectors
import signal
import socket
import sys
import time
from urllib.parse import parse_qs, unquote

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


def route(answers, target, headers):
    """(head, body) for a request target, or (seconds, target) for a /slow one."""
    path, _, query_text = target.partition('?')
    query = query_of(query_text)
    if path == '/slow':
        return float(query.get('s', '1')), unquote(query.get('to', '/'))
    if not path.startswith('/gen/'):
        return NOT_FOUND
    try:
        channel = int(path[len('/gen/'):] or '0')
        count = int(query.get('items', '50'))
        rnd = int(query.get('round', '0'))
    except ValueError:
        return NOT_FOUND
    head, body, tag, not_modified = answers.feed(channel, count, rnd, query.get('etag') == '1')
    if tag is not None and headers.get('if-none-match') == tag:
        return not_modified, b''
    return head, body


class Connection:
    """One client connection: requests answered in order, kept alive. A delayed answer holds
    back the ones after it, as HTTP/1.1 requires."""

    def __init__(self, sock):
        self.sock = sock
        self.buffer = b''
        self.queue = []  # [answer bytes or None while delayed, close after it]
        self.out = b''   # what the socket did not take yet
        self.closed = False


class Site:
    """A port's process: one selector loop over its listening socket and its connections, the
    delayed answers kept in a heap by the time they are due."""

    def __init__(self, sock, answers):
        self.answers = answers
        self.listener = sock
        self.listener.setblocking(False)
        self.selector = selectors.DefaultSelector()
        self.selector.register(sock, selectors.EVENT_READ, None)
        self.timers = []  # (due, sequence, connection, entry, method, target, headers)
        self.sequence = 0

    def run(self):
        while True:
            timeout = None
            if self.timers:
                timeout = max(0.0, self.timers[0][0] - time.monotonic())
            for key, events in self.selector.select(timeout):
                if key.data is None:
                    self.accept()
                    continue
                connection = key.data
                if events & selectors.EVENT_READ:
                    self.read(connection)
                if events & selectors.EVENT_WRITE and not connection.closed:
                    self.flush(connection)
            now = time.monotonic()
            while self.timers and self.timers[0][0] <= now:
                _, _, connection, entry, method, target, headers = heapq.heappop(self.timers)
                if not connection.closed:
                    self.answer(connection, entry, method, target, headers)

    def accept(self):
        try:
            sock, _ = self.listener.accept()
        except (BlockingIOError, InterruptedError):
            return
        sock.setblocking(False)
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.selector.register(sock, selectors.EVENT_READ, Connection(sock))

    def close(self, connection):
        if not connection.closed:
            connection.closed = True
            self.selector.unregister(connection.sock)
            connection.sock.close()

    def read(self, connection):
        try:
            data = connection.sock.recv(65536)
        except (BlockingIOError, InterruptedError):
            return
        except OSError:
            data = b''
        if not data:
            self.close(connection)
            return
        connection.buffer += data
        while not connection.closed:
            end = connection.buffer.find(b'\r\n\r\n')
            if end < 0:
                if len(connection.buffer) > MAX_HEAD:
                    self.close(connection)
                return
            request = connection.buffer[:end].decode('latin-1')
            connection.buffer = connection.buffer[end + 4:]
            lines = request.split('\r\n')
            parts = lines[0].split(' ')
            if len(parts) != 3:
                self.close(connection)
                return
            method, target, version = parts
            headers = {}
            for line in lines[1:]:
                name, _, value = line.partition(':')
                headers[name.strip().lower()] = value.strip()
            close = version == 'HTTP/1.0' or headers.get('connection', '').lower() == 'close'
            entry = [None, close]
            connection.queue.append(entry)
            self.answer(connection, entry, method, target, headers)

    def answer(self, connection, entry, method, target, headers):
        head, body = route(self.answers, target, headers)
        if isinstance(head, float):
            # Due no earlier than the delay asked for: the benchmark's floor must hold.
            self.sequence += 1
            heapq.heappush(self.timers, (time.monotonic() + head, self.sequence, connection,
                                         entry, method, body, headers))
            return
        entry[0] = head if method == 'HEAD' else head + body
        close = False
        while connection.queue and connection.queue[0][0] is not None:
            data, close = connection.queue.pop(0)
            connection.out += data
            if close:
                connection.queue.clear()
                break
        self.flush(connection, close)

    def flush(self, connection, close_after=False):
        if connection.out:
            try:
                sent = connection.sock.send(connection.out)
            except (BlockingIOError, InterruptedError):
                sent = 0
            except OSError:
                self.close(connection)
                return
            connection.out = connection.out[sent:]
        if connection.out:
            connection.close_after = close_after or getattr(connection, 'close_after', False)
            self.selector.modify(connection.sock, selectors.EVENT_READ | selectors.EVENT_WRITE,
                                 connection)
            return
        if close_after or getattr(connection, 'close_after', False):
            self.close(connection)
            return
        self.selector.modify(connection.sock, selectors.EVENT_READ, connection)


def serve(sock, answers):
    """A port's process, until killed."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    Site(sock, answers).run()


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
