#!/usr/bin/env python3
"""Times `zirvo-cli receive --all` against a loopback feed site.

Serves CHANNELS generated feeds of ITEMS items each from tests/support/feed_server.py on
127.0.0.1, subscribes them into a fresh data root with `zirvo-cli --root DIR add URL --title T`,
and times `zirvo-cli --root DIR receive --all --jobs N` twice per job count: the first receive
(every item new) and the second (the same feeds again: nothing to add). Each answer can be
delayed to stand for a remote site (--latency), which is what fetching ahead is for.

    bench/receive_bench.py [--cli PATH] [--channels 200] [--items 50] [--jobs 1 4]
                           [--latency 0.05]

The CLI is found through --cli, $ZIRVO_CLI, or the usual build folders.
"""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
from urllib.parse import quote

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
SERVER = os.path.join(SOURCE, 'tests', 'support', 'feed_server.py')


def find_cli(given):
    if given:
        return given
    if os.environ.get('ZIRVO_CLI'):
        return os.environ['ZIRVO_CLI']
    candidates = sorted(glob.glob(os.path.join(SOURCE, 'build*', 'src', 'cli', 'zirvo-cli')),
                        key=os.path.getmtime, reverse=True)
    if not candidates:
        sys.exit('zirvo-cli not found: build it or pass --cli')
    return candidates[0]


class FeedSite:
    def __init__(self):
        self.process = subprocess.Popen([sys.executable, SERVER], stdout=subprocess.PIPE,
                                        text=True)
        self.port = int(self.process.stdout.readline())

    def url(self, path):
        return 'http://127.0.0.1:%d%s' % (self.port, path)

    def close(self):
        self.process.terminate()
        self.process.wait()


def run(cli, root, *args):
    result = subprocess.run([cli, '--root', root] + list(args), capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit('zirvo-cli %s failed (%d): %s' % (' '.join(args), result.returncode,
                                                   result.stderr.strip()))
    return result


def prepare_root(root):
    # The seeded subscription file lists real sites; a benchmark must stay on loopback, so the
    # root starts with an empty tree (seeding never overwrites a file that exists).
    os.makedirs(os.path.join(root, 'Storage'), exist_ok=True)
    with open(os.path.join(root, 'Storage', 'rssreader.opml'), 'w', encoding='utf-8') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<opml version="1.0"><head><title>bench</title></head><body/></opml>\n')


def subscribe(cli, root, site, channels, items, latency):
    prepare_root(root)
    for n in range(channels):
        feed = '/gen/%d?items=%d' % (n, items)
        path = feed if latency <= 0 else '/slow?s=%g&to=%s' % (latency, quote(feed, safe=''))
        run(cli, root, 'add', site.url(path), '--title', 'Channel %d' % n)


def timed_receive(cli, root, jobs):
    start = time.perf_counter()
    run(cli, root, 'receive', '--all', '--jobs', str(jobs))
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--cli')
    parser.add_argument('--channels', type=int, default=200)
    parser.add_argument('--items', type=int, default=50)
    parser.add_argument('--jobs', type=int, nargs='+', default=[1, 4])
    parser.add_argument('--latency', type=float, default=0.05,
                        help='seconds each answer waits (0: none)')
    args = parser.parse_args()
    cli = find_cli(args.cli)

    site = FeedSite()
    try:
        print('%d channels x %d items, latency %g s, %s' % (args.channels, args.items,
                                                         args.latency, cli))
        print('%6s %12s %12s %14s' % ('jobs', 'first [s]', 'second [s]', 'items/s first'))
        for jobs in args.jobs:
            root = tempfile.mkdtemp(prefix='zirvo-bench-')
            try:
                subscribe(cli, root, site, args.channels, args.items, args.latency)
                first = timed_receive(cli, root, jobs)
                second = timed_receive(cli, root, jobs)
                total = args.channels * args.items
                print('%6d %12.2f %12.2f %14.0f' % (jobs, first, second, total / first))
            finally:
                shutil.rmtree(root, ignore_errors=True)
    finally:
        site.close()


if __name__ == '__main__':
    main()
