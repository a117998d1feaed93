#!/usr/bin/env python3
"""zirvo-cli receive ended abruptly: what it reported as received is in the store for good."""

import os
import signal
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import FeedCliTestCase, rss  # noqa: E402

CHANNELS = 24
FAST = 12  # the first channels answer at once (after the first); the rest keep the walk busy


class InterruptedReceiveTest(FeedCliTestCase):

    def subscribe(self):
        opml = os.path.join(self.root, 'channels.opml')
        with open(opml, 'w', encoding='utf-8') as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<opml version="1.0"><head/><body>\n')
            for n in range(CHANNELS):
                path = '/kill/%d.xml' % n
                self.put(path, rss('Channel %d' % n, [
                    ('http://127.0.0.1/%d/%s' % (n, k), 'Item %s' % k, '', 'text %s' % k)
                    for k in 'abc']))
                if n == 0:
                    path = '/slow?s=0.3&to=' + path
                elif n >= FAST:
                    path = '/slow?s=20&to=' + path
                f.write('<outline text="C%d" type="rss" xmlUrl="%s"/>\n'
                        % (n, self.url(path).replace('&', '&amp;')))
            f.write('</body></opml>\n')
        self.json('import-opml', opml)

    def test_KilledMidReceiveKeepsEveryChannelItReported(self):
        self.subscribe()
        process = subprocess.Popen([self.cli, '--root', self.root, 'receive', '--all',
                                    '--jobs', '4'], stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(process.wait)
        self.addCleanup(process.kill)
        reported = []
        # The fast channels are stored together once the first is in; the slow ones hold the
        # process until it is killed with no chance to clean up.
        while len(reported) < FAST:
            line = process.stdout.readline()
            self.assertTrue(line, 'the receive ended before it was killed')
            fields = line.rstrip('\n').split('\t')
            self.assertEqual(fields[0], 'true', line)
            reported.append(fields[2])
        os.kill(process.pid, signal.SIGKILL)
        process.wait()
        process.stdout.close()
        self.assertEqual(reported, ['C%d' % n for n in range(FAST)])
        for path in reported:
            # Newest first: the feed's first item leads.
            self.assertEqual([r['title'] for r in self.json('list', path)],
                             ['Item a', 'Item b', 'Item c'], path)
        # The store is whole: a later receive of the same channels adds nothing twice.
        again = self.json('receive', *reported, '--jobs', '4')
        self.assertEqual([r['unread'] for r in again], [3] * FAST)


if __name__ == '__main__':
    unittest.main()
