#!/usr/bin/env python3
"""zirvo-cli against blog servers that answer like WordPress: untyped values, numeric ids,
categories without a title, true/false booleans, more posts than asked for, and an endpoint
that moved."""

import os
import sys
import tempfile
import shutil
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blog_cli_fixture import BlogCliTestCase, SERVER, USER, PASSWORD  # noqa: E402
from loopback import start_server  # noqa: E402


class WordPressShapedServer(BlogCliTestCase):
    server_options = ['--wordpress', '--seed-posts', '6']

    def test_fetch_recent_keeps_titles_ids_and_at_most_n(self):
        self.add_account('wp', path='/all-posts')
        received = self.json('fetch-recent', 'wp', '4')
        self.assertEqual(len(received), 4)
        self.assertEqual(sorted(r['server_id'] for r in received), ['3', '4', '5', '6'])
        self.assertIn('第6篇', [r['title'] for r in received])
        self.assertTrue(all(r['category'] == '技术' for r in received))
        # The server's "true" confirms the delete; the local copy goes to the recycle bin.
        deleted = self.json('delete-remote', received[0]['id'])
        self.assertEqual(deleted[0]['folder'], 'recycle')

    def test_categories_are_named_and_cached(self):
        self.add_account('wp')
        names = [r['category'] for r in self.json('categories', 'wp')]
        self.assertEqual(names, ['技术', '生活 & 随笔', '<杂项>'])
        cache = os.path.join(self.root, 'data', 'Temp', 'Categories_wp.xml')
        with open(cache, encoding='utf-8') as f:
            self.assertIn('<![CDATA[生活 & 随笔]]>', f.read())

    def test_a_cache_that_cannot_be_written_fails_the_command(self):
        self.add_account('wp')
        # A folder where the cache file should be: the file cannot be written.
        os.makedirs(os.path.join(self.root, 'data', 'Temp', 'Categories_wp.xml', 'x'))
        self.fails(1, 'Categories_wp.xml', 'categories', 'wp')

    def test_a_failed_fetch_keeps_the_previous_cache(self):
        self.add_account('wp')
        self.json('categories', 'wp')
        cache = os.path.join(self.root, 'data', 'Temp', 'Categories_wp.xml')
        with open(cache, 'rb') as f:
            before = f.read()
        self.ok('account', 'set', 'wp', '--url', self.url('/fault-int'))
        self.fails(1, '[4000]', 'categories', 'wp')
        with open(cache, 'rb') as f:
            self.assertEqual(f.read(), before)


class MovedEndpoint(BlogCliTestCase):
    def setUp(self):
        super().setUp()
        self.old_dir = tempfile.mkdtemp(prefix='zirvo-cli-moved-')
        self.addCleanup(shutil.rmtree, self.old_dir, ignore_errors=True)
        self.old, self.old_port = start_server(
            self, [sys.executable, SERVER, '--record-dir', self.old_dir, '--user', USER,
                   '--password', PASSWORD, '--redirect-to', self.url(), '--redirect-status', '301'])

    def test_publish_follows_the_move_and_says_so_once(self):
        self.ok('account', 'add', '--name', 'moved', '--description', 'd', '--api', 'MetaWeblog',
                '--encoding', 'UTF-8', '--url', 'http://127.0.0.1:%d/RPC2' % self.old_port,
                '--user', USER, stdin=PASSWORD + '\n')
        article = self.new_article('moved', '搬家', '<p>新地址</p>')
        result = self.run_cli('publish', str(article))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr.count(self.url()), 1, result.stderr)
        self.assertIn('已迁移到', result.stderr)
        self.assertEqual(len(self.requests('metaWeblog.newPost')), 1)


if __name__ == '__main__':
    unittest.main()
