#!/usr/bin/env python3
"""A feed site on loopback for tests and benchmarks.

Binds 127.0.0.1 on a free port and prints that port as the first line of stdout, then serves
until it is terminated. Every request is recorded; nothing ever leaves the machine.

Routes (GET unless said otherwise):
  /corpus/NAME            a file of the --dir folder (tests/data/feeds), as text/xml
                          ?ct=TYPE overrides the Content-Type
  /gzip/NAME              the same file, gzip-compressed with Content-Encoding: gzip
  /redirect?to=PATH       302 to PATH;  /redirect?to=PATH&n=K  a chain of K redirects
  /slow?s=SECONDS&to=PATH waits, then answers as PATH would
  /stall                  sends headers and a first part of a feed, then keeps the connection
                          open without sending more (for abort and time-out tests)
  /status/CODE            that status with a small HTML body
  /truncated              announces a longer Content-Length than it sends, then closes
  /huge?mb=N              a body of N MiB (default 40) of a never-ending feed
  /html                   an HTML page served as text/html
  /empty                  200 with an empty body
  /changing?key=K         a feed that grows by one item on every GET of key K: the n-th
                          request lists items n, n-1, ... 1 (newest first, at most 20)
  /gen/N?items=M&round=R  a generated feed for channel N with M items; items of round R have
                          links that differ from other rounds (R defaults to 0); &etag=1 adds
                          an ETag and answers 304 to a request that names it
  /pic/NAME?kb=N&s=SEC    a picture of N KiB (default 4) after SEC seconds (default 0), its
                          bytes derived from NAME, typed by NAME's extension (image/jpeg
                          without one); /_pictures tells how many such answers ran at most at
                          the same time
  /cond?feed=PATH         answers as PATH would, with validators: &etag=E (ETag: "E"),
                          &lm=DATE (Last-Modified), &etagsize=N (an ETag of N bytes), &cc=TEXT
                          (Cache-Control); 304 when If-None-Match names the ETag, or without
                          an ETag when If-Modified-Since equals DATE; &always304=1 answers 304
                          to every request
  /busy?code=429&retry=V  that status with "Retry-After: V" (no header without retry);
                          &after=K answers as &then=PATH would from the K+1-th request on
  PUT or POST /ANY/PATH   stores the request body (and its Content-Type) under that path;
                          a later GET of the path serves it back, so a test can change a feed
                          between two receives
  DELETE /ANY/PATH        forgets a stored body
  /_requests              the recorded requests, one per line: METHOD \t PATH \t User-Agent \t
                          Accept-Encoding \t Proxy-Authorization \t If-None-Match \t
                          If-Modified-Since \t Host \t Referer \t Cookie; ?format=json gives a
                          JSON list instead
  /_pictures              {"max_in_flight": N, "served": N} as JSON
  /_reset                 forgets the recorded requests and the counters
  /_stats                 JSON: the most /slow requests waited on at once, overall and per Host,
                          and the connections that carried a recorded request
With --ports N the site also listens on N more ports (same routes, same record): each is a host
of its own for a client. Their numbers follow on the second line of stdout.
The routes starting with "/_" are not recorded themselves.
"""

import argparse
import gzip
import hashlib
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, quote, urlsplit


class State:
    def __init__(self, root):
        self.root = root
        self.lock = threading.Lock()
        self.requests = []
        self.counters = {}
        self.stored = {}
        self.pictures_in_flight = 0
        self.pictures_max_in_flight = 0
        self.pictures_served = 0
        self.inflight = {}  # Host -> requests being answered
        self.max_inflight = 0
        self.max_per_host = {}
        self.connections = 0  # connections that carried a recorded request


def rss(title, items):
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0"><channel>',
             '<title>%s</title><link>http://127.0.0.1/</link><description>test</description>'
             % title]
    for link, item_title, date in items:
        parts.append('<item><title>%s</title><link>%s</link><pubDate>%s</pubDate>'
                     '<description>&lt;p&gt;%s&lt;/p&gt;</description></item>'
                     % (item_title, link, date, item_title))
    parts.append('</channel></rss>\n')
    return ''.join(parts).encode('utf-8')


def generated_feed(channel, count, rnd):
    items = []
    for i in range(count, 0, -1):
        day = 1 + i % 28
        items.append(('http://127.0.0.1/gen/%d/r%d/item%d' % (channel, rnd, i),
                      'Channel %d round %d item %d' % (channel, rnd, i),
                      'Tue, %02d Jan 2006 08:%02d:00 GMT' % (day, i % 60)))
    return rss('Generated channel %d' % channel, items)


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    server_version = 'FeedServer/1.0'

    def log_message(self, fmt, *args):  # keep the test output clean
        pass

    @property
    def state(self):
        return self.server.state

    def record(self, path):
        if path.startswith('/_'):
            return
        with self.state.lock:
            if not getattr(self, 'counted', False):  # one handler per connection
                self.counted = True
                self.state.connections += 1
            self.state.requests.append({
                'method': self.command,
                'path': self.path,
                'user_agent': self.headers.get('User-Agent', ''),
                'accept_encoding': self.headers.get('Accept-Encoding', ''),
                'proxy_authorization': self.headers.get('Proxy-Authorization', ''),
                'if_none_match': self.headers.get('If-None-Match', ''),
                'if_modified_since': self.headers.get('If-Modified-Since', ''),
                'host': self.headers.get('Host', ''),
                'referer': self.headers.get('Referer', ''),
                'cookie': self.headers.get('Cookie', ''),
            })

    def send_body(self, body, content_type='text/xml', status=200, extra=None):
        self.send_response(status)
        self.send_header('Content-Type', content_type)
        self.send_header('Content-Length', str(len(body)))
        headers = dict(getattr(self, 'extra_headers', None) or {})
        self.extra_headers = None
        headers.update(extra or {})
        for name, value in headers.items():
            self.send_header(name, value)
        self.end_headers()
        if self.command != 'HEAD':
            try:
                self.wfile.write(body)
            except OSError:  # a client that refused the answer's head has gone
                self.close_connection = True

    def read_corpus(self, name):
        name = os.path.basename(name)
        path = os.path.join(self.state.root, name)
        if not name or not os.path.isfile(path):
            return None
        with open(path, 'rb') as f:
            return f.read()

    # ---- routes ----------------------------------------------------------------------------

    def do_GET(self):
        url = urlsplit(self.path)
        query = {k: v[-1] for k, v in parse_qs(url.query).items()}
        self.record(url.path)
        self.route(url.path, query)

    def send_not_modified(self, extra=None):
        self.send_response(304)
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()

    def conditional(self, query):
        etag = query.get('etag')
        if 'etagsize' in query:
            etag = 'e' * int(query['etagsize'])
        headers = {}
        if etag is not None:
            headers['ETag'] = '"%s"' % etag
        if 'lm' in query:
            headers['Last-Modified'] = query['lm']
        if 'cc' in query:
            headers['Cache-Control'] = query['cc']
        inm = self.headers.get('If-None-Match')
        ims = self.headers.get('If-Modified-Since')
        if query.get('always304') == '1' or \
                (etag is not None and inm == headers['ETag']) or \
                (etag is None and 'lm' in query and ims == query['lm']):
            self.send_not_modified(headers)
            return
        self.extra_headers = headers
        target = urlsplit(query.get('feed', '/corpus/heraldsun.rss'))
        self.route(target.path, {k: v[-1] for k, v in parse_qs(target.query).items()})

    do_HEAD = do_GET

    def do_PUT(self):
        url = urlsplit(self.path)
        length = int(self.headers.get('Content-Length', '0'))
        body = self.rfile.read(length) if length else b''
        content_type = self.headers.get('Content-Type', 'text/xml')
        with self.state.lock:
            self.state.stored[url.path] = (body, content_type)
        self.send_body(b'stored\n', 'text/plain')

    do_POST = do_PUT

    def do_DELETE(self):
        url = urlsplit(self.path)
        with self.state.lock:
            self.state.stored.pop(url.path, None)
        self.send_body(b'deleted\n', 'text/plain')

    def route(self, path, query):
        with self.state.lock:
            stored = self.state.stored.get(path)
        if stored is not None:
            # A tracker's cookie: a client that keeps cookies sends it back next time.
            self.send_body(stored[0], stored[1], extra={'Set-Cookie': 'tracker=1; Path=/'})
        elif path.startswith('/corpus/'):
            body = self.read_corpus(path[len('/corpus/'):])
            if body is None:
                self.send_body(b'<html><body>no such file</body></html>', 'text/html', 404)
            else:
                self.send_body(body, query.get('ct', 'text/xml'))
        elif path.startswith('/gzip/'):
            body = self.read_corpus(path[len('/gzip/'):])
            if body is None:
                self.send_body(b'no such file', 'text/plain', 404)
            else:
                self.send_body(gzip.compress(body), 'text/xml', extra={'Content-Encoding': 'gzip'})
        elif path == '/redirect':
            target = query.get('to', '/')
            hops = int(query.get('n', '1'))
            if hops > 1:
                target = '/redirect?to=%s&n=%d' % (quote(target, safe='/'), hops - 1)
            self.send_response(302)
            self.send_header('Location', target)
            self.send_header('Content-Length', '0')
            self.end_headers()
        elif path == '/slow':
            # Counted while the answer is held back: what a client has asked and still waits for.
            host = self.headers.get('Host', '')
            with self.state.lock:
                n = self.state.inflight.get(host, 0) + 1
                self.state.inflight[host] = n
                self.state.max_per_host[host] = max(self.state.max_per_host.get(host, 0), n)
                self.state.max_inflight = max(self.state.max_inflight,
                                              sum(self.state.inflight.values()))
            try:
                time.sleep(float(query.get('s', '1')))
            finally:
                with self.state.lock:
                    self.state.inflight[host] -= 1
            target = urlsplit(query.get('to', '/corpus/heraldsun.rss'))
            self.route(target.path, {k: v[-1] for k, v in parse_qs(target.query).items()})
        elif path == '/stall':
            self.stall()
        elif path.startswith('/status/'):
            code = int(path[len('/status/'):] or '500')
            body = ('<html><body><h1>%d</h1></body></html>' % code).encode()
            self.send_body(body, 'text/html', code)
        elif path == '/truncated':
            body = rss('Truncated', [('http://127.0.0.1/t/%d' % i, 'item %d' % i,
                                      'Tue, 03 Jan 2006 08:00:00 GMT') for i in range(10)])
            self.send_response(200)
            self.send_header('Content-Type', 'text/xml')
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
        elif path == '/huge':
            self.huge(int(float(query.get('mb', '40')) * (1 << 20)))
        elif path == '/html':
            body = ('<!DOCTYPE html>\n<html><head><title>Not a feed</title></head>'
                    '<body><p>Hello<br>world</p></body></html>').encode()
            self.send_body(body, 'text/html; charset=utf-8')
        elif path == '/empty':
            self.send_body(b'', 'text/xml')
        elif path == '/changing':
            key = query.get('key', '')
            with self.state.lock:
                n = self.state.counters.get(key, 0) + 1
                self.state.counters[key] = n
            items = [('http://127.0.0.1/changing/%s/%d' % (key, i), 'Item %d' % i,
                      'Tue, 03 Jan 2006 08:%02d:00 GMT' % (i % 60))
                     for i in range(n, max(0, n - 20), -1)]
            self.send_body(rss('Changing ' + key, items))
        elif path.startswith('/gen/'):
            channel = int(path[len('/gen/'):] or '0')
            count = int(query.get('items', '50'))
            rnd = int(query.get('round', '0'))
            extra = None
            if query.get('etag') == '1':
                tag = '"gen-%d-%d-%d"' % (channel, count, rnd)
                if self.headers.get('If-None-Match') == tag:
                    self.send_not_modified({'ETag': tag})
                    return
                extra = {'ETag': tag}
            self.send_body(generated_feed(channel, count, rnd), extra=extra)
        elif path.startswith('/pic/'):
            self.picture(path[len('/pic/'):], query)
        elif path == '/_pictures':
            with self.state.lock:
                stats = {'max_in_flight': self.state.pictures_max_in_flight,
                         'served': self.state.pictures_served}
            self.send_body(json.dumps(stats).encode(), 'application/json')
        elif path == '/cond':
            self.conditional(query)
        elif path == '/busy':
            with self.state.lock:
                n = self.state.counters.get(self.path, 0) + 1
                self.state.counters[self.path] = n
            if 'after' in query and n > int(query['after']):
                target = urlsplit(query.get('then', '/corpus/heraldsun.rss'))
                self.route(target.path, {k: v[-1] for k, v in parse_qs(target.query).items()})
                return
            code = int(query.get('code', '503'))
            extra = {'Retry-After': query['retry']} if 'retry' in query else None
            self.send_body(('<html><body>%d busy</body></html>' % code).encode(), 'text/html',
                           code, extra)
        elif path == '/_requests':
            with self.state.lock:
                recorded = list(self.state.requests)
            if query.get('format') == 'json':
                self.send_body(json.dumps(recorded).encode(), 'application/json')
            else:
                lines = ['\t'.join([r['method'], r['path'], r['user_agent'],
                                    r['accept_encoding'], r['proxy_authorization'],
                                    r['if_none_match'], r['if_modified_since'], r['host'],
                                    r['referer'], r['cookie']]) + '\n'
                         for r in recorded]
                self.send_body(''.join(lines).encode(), 'text/plain; charset=utf-8')
        elif path == '/_reset':
            with self.state.lock:
                self.state.requests.clear()
                self.state.counters.clear()
                self.state.pictures_max_in_flight = 0
                self.state.pictures_served = 0
                self.state.max_inflight = 0
                self.state.max_per_host.clear()
                self.state.connections = 0
            self.send_body(b'reset\n', 'text/plain')
        elif path == '/_stats':
            with self.state.lock:
                stats = {'max_inflight': self.state.max_inflight,
                         'max_per_host': dict(self.state.max_per_host),
                         'connections': self.state.connections}
            self.send_body(json.dumps(stats).encode(), 'application/json')
        else:
            self.send_body(b'<html><body>not found</body></html>', 'text/html', 404)

    def picture(self, name, query):
        types = {'png': 'image/png', 'gif': 'image/gif', 'jpg': 'image/jpeg',
                 'jpeg': 'image/jpeg', 'svg': 'image/svg+xml'}
        extension = name.rsplit('.', 1)[-1].lower() if '.' in name else 'jpg'
        size = int(float(query.get('kb', '4')) * 1024)
        seed = hashlib.sha256(name.encode('utf-8')).digest()
        body = (seed * (size // len(seed) + 1))[:size]
        with self.state.lock:
            self.state.pictures_in_flight += 1
            self.state.pictures_max_in_flight = max(self.state.pictures_max_in_flight,
                                                    self.state.pictures_in_flight)
        # Counted while the answer waits: a client that starts its next download as soon as it
        # has read one must not look as if it had one more under way.
        try:
            time.sleep(float(query.get('s', '0')))
        finally:
            with self.state.lock:
                self.state.pictures_in_flight -= 1
                self.state.pictures_served += 1
        self.send_body(body, types.get(extension, 'application/octet-stream'))

    def stall(self):
        head = (b'<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel>'
                b'<title>Stalled</title>')
        self.send_response(200)
        self.send_header('Content-Type', 'text/xml')
        self.send_header('Content-Length', str(len(head) * 100))
        self.end_headers()
        try:
            self.wfile.write(head)
            self.wfile.flush()
            # Hold the connection until the client goes away or a minute has passed.
            for _ in range(600):
                time.sleep(0.1)
                self.wfile.write(b' ')
                self.wfile.flush()
        except OSError:
            pass
        self.close_connection = True

    def huge(self, size):
        head = (b'<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel>'
                b'<title>Huge</title>')
        chunk = (b'<item><title>padding</title><link>http://127.0.0.1/huge</link>'
                 b'<description>' + b'x' * 8000 + b'</description></item>')
        self.send_response(200)
        self.send_header('Content-Type', 'text/xml')
        self.send_header('Content-Length', str(size))
        self.end_headers()
        try:
            self.wfile.write(head)
            sent = len(head)
            while sent < size:
                part = chunk[:size - sent]
                self.wfile.write(part)
                sent += len(part)
        except OSError:
            pass
        self.close_connection = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument('--dir', default=os.path.join(here, '..', 'data', 'feeds'),
                        help='folder served under /corpus/ and /gzip/')
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--ports', type=int, default=0, help='more ports, each a host')
    args = parser.parse_args()

    ThreadingHTTPServer.request_queue_size = 128
    state = State(os.path.abspath(args.dir))
    servers = []
    for n in range(1 + args.ports):
        server = ThreadingHTTPServer(('127.0.0.1', args.port if n == 0 else 0), Handler)
        server.daemon_threads = True
        server.state = state
        servers.append(server)
    sys.stdout.write('%d\n' % servers[0].server_address[1])
    if args.ports:
        sys.stdout.write(' '.join(str(s.server_address[1]) for s in servers[1:]) + '\n')
    sys.stdout.flush()
    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, kwargs={'poll_interval': 0.1},
                         daemon=True).start()
    try:
        servers[0].serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    finally:
        for server in servers:
            server.server_close()


if __name__ == '__main__':
    main()
