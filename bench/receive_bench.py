#!/usr/bin/env python3
"""Times `zirvo-cli receive --all` against a loopback feed site, next to Newsboat.

Serves CHANNELS generated feeds of ITEMS items each (the feeds of tests/support/feed_server.py)
from bench/feed_site.py on 127.0.0.1, spread over HOSTS listening ports (each a host of its own
to a client, so that the per-host limit does not stand for the whole site, and each answered by
a process of its own, so that the site keeps up with the client), subscribes them into a fresh
data root with one `zirvo-cli --root DIR import-opml`, and prints, from one run:

  1. conditional fetching: the first and the second receive of unchanged feeds without delay
     (the second answers 304 throughout) and their ratio;
  2. parallel fetching: the first receive with each answer delayed by LATENCY, at the default
     parallelism and at each --jobs value, against the latency floor
     ceil(CHANNELS / in-flight) x LATENCY (the time the delays alone take at that parallelism);
     and next to them `curl --parallel` fetching the same delayed feeds with as many transfers
     at once and storing nothing (when curl is installed): the time the site itself needs to
     answer them all, which a loaded machine or a slow site puts well above the floor;
  3. Newsboat at its defaults (`newsboat -x reload` on the same delayed feeds), when it is
     installed. --setup installs it first (apt-get), as the benchmark's own set-up step.

    bench/receive_bench.py [--cli PATH] [--channels 200] [--items 50] [--latency 0.05]
                           [--hosts 16] [--jobs 1 4] [--setup]

The CLI is found through --cli, $ZIRVO_CLI, or the usual build folders.
"""

import argparse
import glob
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
from urllib.parse import quote

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
SITE = os.path.join(HERE, 'feed_site.py')
DEFAULT_IN_FLIGHT = 16


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


def setup_newsboat():
    if shutil.which('newsboat'):
        return
    print('set-up: installing newsboat (apt-get)', file=sys.stderr)
    env = dict(os.environ, DEBIAN_FRONTEND='noninteractive')
    subprocess.run(['apt-get', 'install', '-y', '-q', 'newsboat'], env=env, check=False,
                   stdout=subprocess.DEVNULL)


class FeedSite:
    def __init__(self, hosts, channels, items):
        self.process = subprocess.Popen([sys.executable, SITE, '--ports', str(hosts), '--channels',
                                         str(channels), '--items', str(items)],
                                        stdout=subprocess.PIPE, text=True)
        self.ports = [int(p) for p in self.process.stdout.readline().split()]
        if not self.ports:
            self.close()
            sys.exit('the feed site did not start')

    def url(self, n, path):
        return 'http://127.0.0.1:%d%s' % (self.ports[n % len(self.ports)], path)

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


def feed_urls(site, channels, items, latency):
    urls = []
    for n in range(channels):
        feed = '/gen/%d?items=%d&etag=1' % (n, items)
        path = feed if latency <= 0 else '/slow?s=%g&to=%s' % (latency, quote(feed, safe=''))
        urls.append(site.url(n, path))
    return urls


def subscribe(cli, root, urls):
    prepare_root(root)
    # One OPML import instead of one `add` per channel keeps the set-up short.
    opml = os.path.join(root, 'bench.opml')
    with open(opml, 'w', encoding='utf-8') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<opml version="1.0"><head/><body>\n')
        for n, url in enumerate(urls):
            f.write('<outline text="Channel %d" type="rss" xmlUrl="%s"/>\n'
                    % (n, url.replace('&', '&amp;')))
        f.write('</body></opml>\n')
    run(cli, root, 'import-opml', opml)


def timed_receive(cli, root, jobs=None):
    args = ['receive', '--all'] + (['--jobs', str(jobs)] if jobs else [])
    start = time.perf_counter()
    run(cli, root, *args)
    return time.perf_counter() - start


def fresh_root(cli, urls):
    root = tempfile.mkdtemp(prefix='zirvo-bench-')
    subscribe(cli, root, urls)
    return root


def curl_fetch(urls, in_flight):
    """Seconds `curl --parallel` takes to fetch every address, discarding the answers."""
    args = ['curl', '--silent', '--parallel', '--parallel-immediate', '--parallel-max',
            str(in_flight)]
    for url in urls:
        args += [url, '--output', os.devnull]
    start = time.perf_counter()
    subprocess.run(args, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def newsboat_reload(urls):
    folder = tempfile.mkdtemp(prefix='newsboat-bench-')
    try:
        with open(os.path.join(folder, 'urls'), 'w') as f:
            f.write('\n'.join(urls) + '\n')
        open(os.path.join(folder, 'config'), 'w').close()
        env = dict(os.environ, HOME=folder)
        start = time.perf_counter()
        subprocess.run(['newsboat', '-u', os.path.join(folder, 'urls'), '-c',
                        os.path.join(folder, 'cache.db'), '-C', os.path.join(folder, 'config'),
                        '-x', 'reload'], env=env, check=True, capture_output=True)
        return time.perf_counter() - start
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--cli')
    parser.add_argument('--channels', type=int, default=200)
    parser.add_argument('--items', type=int, default=50)
    parser.add_argument('--jobs', type=int, nargs='*', default=[1, 4])
    parser.add_argument('--hosts', type=int, default=16)
    parser.add_argument('--latency', type=float, default=0.05,
                        help='seconds each answer waits in the parallel part')
    parser.add_argument('--setup', action='store_true', help='install newsboat first')
    args = parser.parse_args()
    cli = find_cli(args.cli)
    if args.setup:
        setup_newsboat()

    site = FeedSite(max(1, args.hosts), args.channels, args.items)
    roots = []
    try:
        print('%d channels x %d items on %d hosts, %s' % (args.channels, args.items,
                                                          len(site.ports), cli))
        urls = feed_urls(site, args.channels, args.items, 0)
        roots.append(fresh_root(cli, urls))
        first = timed_receive(cli, roots[-1])
        second = timed_receive(cli, roots[-1])
        print('\nconditional fetching, no delay (default parallelism)')
        print('  first receive  %7.3f s' % first)
        print('  second (304)   %7.3f s   = %.2f x the first' % (second, second / first))

        print('\nfirst receive, each answer delayed %g s' % args.latency)
        print('  %-22s %9s %9s %7s' % ('', 'time [s]', 'floor [s]', 'ratio'))
        urls = feed_urls(site, args.channels, args.items, args.latency)
        for jobs in [None] + args.jobs:
            roots.append(fresh_root(cli, urls))
            elapsed = timed_receive(cli, roots[-1], jobs)
            in_flight = jobs or DEFAULT_IN_FLIGHT
            floor = math.ceil(args.channels / in_flight) * args.latency
            name = 'zirvo default (%d)' % DEFAULT_IN_FLIGHT if jobs is None else \
                'zirvo --jobs %d' % jobs
            print('  %-22s %9.3f %9.3f %7.2f' % (name, elapsed, floor, elapsed / floor))
        if shutil.which('curl'):
            floor = math.ceil(args.channels / DEFAULT_IN_FLIGHT) * args.latency
            elapsed = curl_fetch(urls, DEFAULT_IN_FLIGHT)
            print('  %-22s %9.3f %9.3f %7.2f   (fetching only)'
                  % ('curl --parallel (%d)' % DEFAULT_IN_FLIGHT, elapsed, floor, elapsed / floor))
        if shutil.which('newsboat'):
            elapsed = newsboat_reload(urls)
            print('  %-22s %9.3f %9s %7s' % ('newsboat (defaults)', elapsed, '', ''))
        else:
            print('  newsboat not installed (--setup installs it)')
    finally:
        site.close()
        for root in roots:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == '__main__':
    main()
