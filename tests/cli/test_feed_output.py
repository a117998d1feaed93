"""End-to-end tests of what zirvo-cli shows people and scripts: the readable item, JSON that
stays valid whatever the store holds, names by the end of a path, the counts that rename and rm
print, and the progress line of a receive on a terminal."""

import json
import os
import pty
import select
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import FeedCliTestCase, rss  # noqa: E402

DAY = 'Tue, 03 Jan 2006 08:00:00 GMT'
BODY = ('<![CDATA[<p>Fish &amp; chips &mdash; see <a href="http://a.example/1">this</a> and '
        '<a href="http://b.example/2">that</a>.</p><script>steal()</script>'
        '<ul><li>one</li><li>two</li></ul><p>' + 'word ' * 60 + '</p>'
        '<p>中文内容很长' * 8 + '</p>]]>')


class OutputTest(FeedCliTestCase):

    def test_ShowPrintsTheItemForPeopleAndMarksItRead(self):
        self.put('/site/body.xml', rss('Body', [('http://x/1', 'Fish', DAY, BODY)]))
        self.add('/site/body.xml', 'Food')
        self.ok('receive', 'Food')
        item = self.json('list', 'Food')[0]
        result = self.run_cli('show', item['id'])
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        self.assertEqual(lines[:5], ['Title:   Fish', 'Author:  ', 'Date:    2006-01-03 08:00:00',
                                     'Link:    http://x/1', 'Channel: Food'])
        text = result.stdout
        self.assertIn('Fish & chips \u2014 see this[1] and that[2].', text)
        self.assertIn('* one\n* two', text)
        self.assertNotIn('<', text)
        self.assertNotIn('steal', text)
        self.assertTrue(text.endswith('Links:\n[1] http://a.example/1\n[2] http://b.example/2\n'))
        # Wrapped: no line wider than 78 columns (a CJK character takes two).
        width = max(sum(2 if '\u4e00' <= c <= '\u9fff' else 1 for c in line) for line in lines)
        self.assertLessEqual(width, 78)
        self.assertGreater(len(lines), 12)
        self.assertEqual(self.json('list', 'Food')[0]['state'], 'read')

        raw = self.run_cli('show', item['id'], '--html').stdout
        self.assertIn('<a href="http://a.example/1">this</a>', raw)
        shown = self.json('show', item['id'])[0]
        self.assertEqual(shown['links'], ['http://a.example/1', 'http://b.example/2'])
        self.assertIn('Fish & chips', shown['text'])
        self.assertIn('<script>', shown['description'])
        self.assertEqual((shown['id'], shown['state']), (item['id'], 'read'))

    def test_JsonIsValidUtf8WhateverTheStoreHolds(self):
        self.put('/site/a.xml', rss('A', [('http://x/1', 'good', DAY, 'd')]))
        self.add('/site/a.xml', 'A')
        self.ok('receive', 'A')
        self.run_sql("UPDATE rss_data SET item_title = CAST(X'61C328FF62' AS TEXT);")
        result = self.run_cli('list', 'A', json_output=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        record = json.loads(result.stdout)[0]
        self.assertEqual(record['title'], 'a\ufffd(\ufffdb')
        self.assertIsInstance(record['id'], int)
        self.assertIsInstance(record['feed_id'], int)
        # Text mode passes the bytes on as they are.
        raw = subprocess.run([self.cli, '--root', self.root, 'list', 'A'], capture_output=True)
        self.assertIn(b'a\xc3(\xffb', raw.stdout)

    def test_TheEndOfAPathIsEnoughWhenItIsUnique(self):
        self.ok('mkdir', 'News')
        self.ok('mkdir', 'Inner', '--folder', 'News')
        self.put('/site/a.xml', rss('A', [('http://x/1', 'one', DAY, 'd')]))
        self.add('/site/a.xml', 'Alpha', '--folder', 'News/Inner')
        self.assertEqual(self.json('tree', 'Alpha')[0]['path'], 'News/Inner/Alpha')
        self.assertEqual(self.json('tree', 'Inner/Alpha')[0]['path'], 'News/Inner/Alpha')
        self.ok('mkdir', 'Other')
        self.ok('mkdir', 'Inner', '--folder', 'Other')
        result = self.fails(2, "'Inner' names 2 nodes", 'list', 'Inner')
        self.assertIn('News/Inner, Other/Inner', result.stderr)
        # A whole path still names exactly its node.
        self.ok('mkdir', 'Inner')
        self.assertEqual(self.json('tree', 'Inner')[0]['path'], 'Inner')
        self.fails(2, "no channel or folder 'Tech/reddit'", 'list', 'Tech/reddit')

    def test_AFeedTitleCutToItsLimitIsSaidSo(self):
        long_title = 'Long  title ' + '长' * 400  # 1,211 bytes on one line
        self.put('/site/long.xml', rss(long_title, [('http://x/1', 'one', DAY, 'd')]))
        result = self.run_cli('add', self.url('/site/long.xml'), json_output=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        kept = json.loads(result.stdout)[0]['path']
        self.assertEqual(kept, 'Long title ' + '长' * 337)
        self.assertIn("warning: the feed's title is longer than 1024 bytes; kept: '%s'" % kept,
                      result.stderr)
        self.put('/site/short.xml', rss('Short  title', [('http://x/1', 'one', DAY, 'd')]))
        self.assertEqual(self.run_cli('add', self.url('/site/short.xml')).stderr, '')

    def test_RenameAndRemovePrintTheUnreadCountTheStoreHas(self):
        self.put('/site/a.xml', rss('A', [('http://x/%d' % i, 't%d' % i, DAY, 'd')
                                          for i in range(3)]))
        self.ok('mkdir', 'F')
        self.add('/site/a.xml', 'A', '--folder', 'F')
        self.ok('receive', 'A')
        self.assertEqual(self.json('rename', 'A', 'B')[0]['unread'], 3)
        removed = {r['path']: r['unread'] for r in self.json('rm', 'F')}
        self.assertEqual(removed, {'F': 3, 'F/B': 3})

    def test_ReceiveShowsOneProgressLineOnATerminalOnly(self):
        for name in ('a', 'b'):
            self.put('/site/%s.xml' % name, rss(name, [('http://x/%s' % name, name, DAY, 'd')]))
            self.add('/site/%s.xml' % name, name.upper())
        main, secondary = pty.openpty()
        self.addCleanup(os.close, main)
        child = subprocess.Popen([self.cli, '--root', self.root, 'receive', '--all'],
                                 stdout=subprocess.PIPE, stderr=secondary)
        self.addCleanup(lambda: child.poll() is None and child.kill())
        os.close(secondary)
        seen = b''
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if select.select([main], [], [], 0.5)[0]:
                try:
                    chunk = os.read(main, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                seen += chunk
            elif child.poll() is not None:
                break
        out, _ = child.communicate(timeout=30)
        self.assertEqual(child.returncode, 0, seen)
        text = seen.decode()
        self.assertIn('[2/2]', text)
        self.assertIn('\r\x1b[K', text)
        self.assertTrue(text.rstrip('\r\n').endswith('received 2 channels, 0 failed'), text)
        # The records on stdout are untouched by the progress line.
        self.assertEqual(sorted(line.split('\t')[2] for line in out.decode().splitlines()),
                         ['A', 'B'])
        piped = self.run_cli('receive', '--all')
        self.assertNotIn('\r', piped.stderr)
        self.assertEqual(piped.stderr, 'received 2 channels, 0 failed\n')


if __name__ == '__main__':
    unittest.main(verbosity=2)
