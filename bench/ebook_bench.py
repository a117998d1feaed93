#!/usr/bin/env python3
"""Times `zirvo-cli ebook` on a channel of ARTICLES items with PICTURES pictures on loopback.

Serves one feed of ARTICLES items from tests/support/feed_server.py on 127.0.0.1, each item
naming PICTURES/ARTICLES distinct pictures of KB KiB (every answer waits --latency seconds, to
stand for a remote site), receives it into a fresh data root, and times
`zirvo-cli ebook Channel OUT.chm --pictures`: the picture downloads (at most four at once), the
pages and the chmcmd compile. Prints the whole time and its two phases (until the last picture;
the pages and the compile), the pictures fetched, the most downloads the site
saw at once, and the size of the book.

    bench/ebook_bench.py [--cli PATH] [--articles 1000] [--pictures 2000] [--kb 8]
                         [--latency 0.02]

The goal: 1,000 articles with 2,000 pictures in under 60 s. Needs chmcmd (fp-utils).
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from receive_bench import FeedSite, find_cli, prepare_root, run  # noqa: E402


def feed(site, articles, pictures, kb, latency):
    per_article = max(1, pictures // max(1, articles))
    parts = ['<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel>'
             '<title>Bench</title><link>http://127.0.0.1/</link>']
    n = 0
    for i in range(articles):
        body = '<p>第 %d 篇 article body, some text to index.</p>' % i
        for _ in range(per_article):
            if n < pictures:
                body += '<img src="%s">' % site.url('/pic/b%d.jpg?kb=%g&s=%g' % (n, kb, latency))
                n += 1
        parts.append('<item><title>Article %d 文章</title><link>http://127.0.0.1/a/%d</link>'
                     '<pubDate>Tue, 03 Jan 2006 08:%02d:00 GMT</pubDate>'
                     '<description>%s</description></item>' % (i, i, i % 60, escape(body)))
    parts.append('</channel></rss>')
    return ''.join(parts).encode('utf-8')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--cli')
    parser.add_argument('--articles', type=int, default=1000)
    parser.add_argument('--pictures', type=int, default=2000)
    parser.add_argument('--kb', type=float, default=8)
    parser.add_argument('--latency', type=float, default=0.02,
                        help='seconds each picture answer waits (0: none)')
    args = parser.parse_args()
    cli = find_cli(args.cli)
    if not shutil.which('chmcmd'):
        sys.exit('chmcmd (Debian package fp-utils) is not installed')

    site = FeedSite()
    root = tempfile.mkdtemp(prefix='zirvo-ebook-bench-')
    try:
        prepare_root(root)
        request = urllib.request.Request(
            site.url('/bench/feed.xml'), method='PUT',
            data=feed(site, args.articles, args.pictures, args.kb, args.latency),
            headers={'Content-Type': 'text/xml'})
        urllib.request.urlopen(request).read()
        run(cli, root, 'add', site.url('/bench/feed.xml'), '--title', 'Bench')
        run(cli, root, 'set', 'Bench', '--storage', 'all')  # keep every item of the feed
        run(cli, root, 'receive', 'Bench')
        book = os.path.join(root, 'bench.chm')
        # Progress lines come as they happen: the last picture line ends the download phase.
        start = time.perf_counter()
        process = subprocess.Popen([cli, '--root', root, 'ebook', 'Bench', book, '--pictures'],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        downloaded = start
        fetched = failed = 0
        for line in process.stdout:
            if line.startswith('>>download complete.'):
                fetched += 1
                downloaded = time.perf_counter()
            elif line.startswith('>>下载失败!'):
                failed += 1
                downloaded = time.perf_counter()
        errors = process.stderr.read()
        if process.wait() != 0:
            sys.exit('zirvo-cli ebook failed: ' + errors)
        elapsed = time.perf_counter() - start
        with urllib.request.urlopen(site.url('/_pictures')) as answer:
            stats = json.loads(answer.read())
        print('%d articles, %d pictures of %g KiB, latency %g s, %s'
              % (args.articles, args.pictures, args.kb, args.latency, cli))
        print('%10s %14s %14s %10s %8s %10s %11s' % (
            'total [s]', 'download [s]', 'compile [s]', 'pictures', 'failed', 'in flight',
            'book [MiB]'))
        print('%10.2f %14.2f %14.2f %10d %8d %10d %11.1f' % (
            elapsed, downloaded - start, elapsed - (downloaded - start), fetched, failed,
            stats['max_in_flight'], os.path.getsize(book) / (1 << 20)))
    finally:
        shutil.rmtree(root, ignore_errors=True)
        site.close()


if __name__ == '__main__':
    main()
