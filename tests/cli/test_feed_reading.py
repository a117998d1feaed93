#!/usr/bin/env python3
"""zirvo-cli reading feeds end to end: subscribe, receive, list, read, search, clean."""

import json
import os
import re
import sqlite3
import sys
import time
import unittest
import urllib.request
from email.utils import formatdate

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import FeedCliTestCase, rss  # noqa: E402

NOT_WEB = 'RSS地址必须是以 http:// 或 https:// 开头的网络地址!'
GB_TITLES = ['第一条新闻：开源软件的发展', '第二条：博客与RSS阅读器', '第三条 - 特殊字符 “引号”']


def by_id(records):
    return {r['id']: r for r in records}


class ReadingTest(FeedCliTestCase):

    def test_AddReceiveListAndReadKeepsChineseTextIntact(self):
        channel = self.add('/corpus/gb2312-news.xml')
        # No --title: the title comes from the GB2312 feed itself.
        self.assertEqual(channel['path'], '中文新闻频道')
        self.assertEqual(channel['type'], 'channel')
        feed_id = channel['feed_id']

        received = self.json('receive', '中文新闻频道')
        self.assertEqual(len(received), 1)
        self.assertEqual((received[0]['ok'], received[0]['items'], received[0]['unread']),
                         (True, 3, 3))
        self.assertIsNone(received[0]['error'])
        # The window starts from the file's counts: the receive leaves them right there.
        with open(self.opml_path, encoding='utf-8') as f:
            self.assertIn('unreadnum="3"', f.read())

        items = self.json('list', '#%d' % feed_id)
        self.assertEqual([i['title'] for i in items], GB_TITLES)
        self.assertEqual([i['author'] for i in items], ['张三', '李四', '王五'])
        # The second date says +08:00; the tests run on a UTC clock.
        self.assertEqual([i['date'] for i in items],
                         ['2006-01-03 08:00:00', '2006-01-02 01:30:00', '2006-01-01 10:00:00'])
        self.assertEqual({i['state'] for i in items}, {'new'})
        self.assertEqual({i['channel'] for i in items}, {'中文新闻频道'})

        # Showing an item reads it, as a click on its row does.
        first = items[0]['id']
        shown = self.json('show', first)[0]
        self.assertEqual(shown['title'], GB_TITLES[0])
        self.assertEqual(shown['link'], 'http://news.example.cn/2006/01/03/a.html')
        self.assertIn('内容一', shown['description'])
        self.assertEqual(shown['state'], 'read')
        self.assertEqual(self.json('tree')[0]['unread'], 2)
        self.assertEqual([i['id'] for i in self.json('list', '中文新闻频道', '--filter', 'read')],
                         [first])
        self.assertEqual(len(self.json('list', '中文新闻频道', '--filter', 'unread')), 2)
        self.assertEqual(len(self.json('list', '中文新闻频道', '--filter', 'new')), 2)

        # --keep-unread only looks.
        second = items[1]['id']
        self.assertEqual(self.json('show', second, '--keep-unread')[0]['state'], 'new')

        marked = self.json('read', self.url('/corpus/gb2312-news.xml'))
        self.assertEqual(marked[0]['unread'], 0)
        self.assertEqual(self.json('tree')[0]['unread'], 0)
        self.assertEqual(self.json('unread', second)[0]['unread'], 1)
        self.assertEqual(self.json('unread', '中文新闻频道')[0]['unread'], 3)

    def test_TitleFromTheFeedIsOneLine(self):
        self.put('/site/t.xml', rss('\n   Spread\n\tover  lines  \n', []))
        self.assertEqual(self.add('/site/t.xml')['path'], 'Spread over lines')
        self.put('/site/lt.xml', rss('a &lt;b&gt; c', []))
        result = self.fails(2, '您输入了无效的字符!', 'add', self.url('/site/lt.xml'))
        self.assertIn('give one with --title', result.stderr)

    def test_TextOutputIsOneTabSeparatedRecordPerLine(self):
        self.add('/corpus/gb2312-news.xml', 'Zh')
        self.ok('receive', 'Zh')
        result = self.run_cli('list', 'Zh')
        lines = result.stdout.splitlines()
        # The heading is for people: stderr, so that stdout holds the records alone.
        self.assertEqual(result.stderr, 'page 1/1, 3 all items\n')
        fields = [line.split('\t') for line in lines]
        self.assertEqual([len(f) for f in fields], [7, 7, 7])
        self.assertEqual([f[6] for f in fields], GB_TITLES)
        tree = self.ok('tree')
        self.assertEqual(tree, [['channel', '1', '3', 'Zh', self.url('/corpus/gb2312-news.xml')]])

    def test_SecondReceiveAddsOnlyTheItemsNotStoredYet(self):
        day = 'Tue, 03 Jan 2006 08:00:00 GMT'
        self.put('/site/a.xml', rss('A', [('http://a/1', 'one', day, 'x'),
                                          ('http://a/2', 'two', day, 'y')]))
        self.add('/site/a.xml')
        self.assertEqual(self.json('receive', 'A')[0]['unread'], 2)
        self.ok('read', 'A')
        self.put('/site/a.xml', rss('A', [('http://a/3', 'three', day, 'z'),
                                          ('http://a/1', 'one', day, 'x'),
                                          ('http://a/2', 'two', day, 'y')]))
        self.assertEqual(self.json('receive', 'A')[0]['unread'], 1)
        items = self.json('list', 'A')
        # Newest first; within one receive the feed's first item counts as the newest.
        self.assertEqual([(i['title'], i['state']) for i in items],
                         [('three', 'new'), ('one', 'read'), ('two', 'read')])

    def test_ReceiveFollowsTheChannelProperties(self):
        self.add('/gen/1?items=10', 'Kept')
        self.add('/gen/2?items=4', 'Manual')
        shown = self.json('set', 'Kept')[0]
        self.assertEqual((shown['auto_update'], shown['storage'], shown['items']),
                         ('on', 'global', 0))
        self.json('set', 'Kept', '--storage', '3')
        self.json('set', 'Manual', '--auto-update', 'off')
        # Without automatic update a channel is left to --force or to being named.
        self.assertEqual([r['path'] for r in self.json('receive', '--all')], ['Kept'])
        self.assertEqual(sorted(r['path'] for r in self.json('receive', '--all', '--force')),
                         ['Kept', 'Manual'])
        self.assertEqual(self.json('set', 'Kept')[0]['items'], 3)
        self.json('set', 'Manual', '--storage', 'all', '--url', self.url('/gen/2?items=6'))
        self.assertEqual([r['path'] for r in self.json('receive', 'Manual')], ['Manual'])
        self.assertEqual(len(self.json('list', 'Manual')), 6)
        # The weighted walk starts every run at the hottest level: every channel with
        # automatic update is received.
        self.assertEqual([r['path'] for r in self.json('receive', '--weighted')], ['Kept'])
        self.fails(2, '--notice: yes not in {on,off}', 'set', 'Manual', '--notice', 'yes')
        self.fails(2, '--storage takes', 'set', 'Manual', '--storage', '-4')
        self.fails(2, NOT_WEB, 'set', 'Manual', '--url', 'file:///etc/hosts')

    def test_ChannelListIsPagedByTheConfiguredPageSize(self):
        self.add('/gen/1?items=70', 'Big')
        self.ok('receive', 'Big')
        first = self.run_cli('list', 'Big')
        self.assertEqual(first.stderr, 'page 1/2, 70 all items\n')
        page1 = self.json('list', 'Big')
        page2 = self.json('list', 'Big', '--page', '2')
        self.assertEqual((len(page1), len(page2)), (50, 20))
        ids = [int(i['id']) for i in page1 + page2]
        self.assertEqual(ids, sorted(ids, reverse=True))
        self.assertEqual(len(set(ids)), 70)
        self.fails(2, 'only 2 pages', 'list', 'Big', '--page', '3')

        config = os.path.join(self.root, 'config', 'appConfig.xml')
        with open(config, encoding='utf-8') as f:
            text = f.read()
        with open(config, 'w', encoding='utf-8') as f:
            f.write(re.sub(r'<paginationnum>\d+</paginationnum>',
                           '<paginationnum>30</paginationnum>', text))
        self.assertEqual(len(self.json('list', 'Big', '--page', '3')), 10)
        self.assertIn('page 3/3', self.run_cli('list', 'Big', '--page', '3').stderr)

    def test_FolderListAndFolderReceiveCoverEveryChannelBelow(self):
        self.ok('mkdir', 'News')
        self.ok('mkdir', 'Inner', '--folder', 'News')
        self.add('/corpus/gb2312-news.xml', 'Zh', '--folder', 'News/Inner')
        self.add('/corpus/heraldsun.rss', 'Herald', '--folder', 'News')
        self.add('/corpus/narro.rss', 'Outside')
        received = self.json('receive', 'News', '--jobs', '1')
        self.assertEqual(sorted(r['path'] for r in received), ['News/Herald', 'News/Inner/Zh'])
        items = self.json('list', 'News')
        self.assertEqual(sorted({i['channel'] for i in items}), ['News/Herald', 'News/Inner/Zh'])
        self.assertEqual(len(items), 5)
        tree = {r['path']: r['unread'] for r in self.json('tree')}
        self.assertEqual((tree['News'], tree['News/Inner'], tree['Outside']), (5, 3, 0))
        self.fails(2, 'one page only', 'list', 'News', '--page', '2')

    def test_SearchBuildsTheIndexOfAnUpgradedStoreWithProgressLines(self):
        day = 'Tue, 03 Jan 2006 08:00:00 GMT'
        self.put('/site/w.xml', rss('W', [('http://w/1', 'Walrus one', day, 'x')]))
        self.add('/site/w.xml')
        self.ok('receive', '/')
        # The store as a program from before the full-text index left it, holding many items.
        self.run_sql(
            'DROP TRIGGER rss_data_fts_added; DROP TRIGGER rss_data_fts_removed;'
            'DROP TRIGGER rss_data_fts_changed; DROP TRIGGER rss_data_enclosures_removed;'
            'DROP TABLE rss_fts; DROP TABLE rss_title_fts; DROP TABLE rss_enclosure;'
            'DROP TABLE rssfts_build;'
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) "
            "INSERT INTO rss_data (item_feedid, item_link, item_title, item_description) "
            "SELECT 1, 'http://w/x' || i, CASE WHEN i % 10 = 0 THEN 'Walrus ' ELSE 'Gull ' END "
            "|| i, 'text' FROM n;"
            'PRAGMA user_version = 4;')
        result = self.run_cli('search', 'walrus', json_output=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        progress = [line for line in result.stderr.splitlines() if 'search index' in line]
        self.assertEqual(progress[0], 'building the search index: 0%')
        self.assertEqual(progress[-1], 'building the search index: 100%')
        self.assertGreater(len(progress), 3)
        self.assertEqual(len(json.loads(result.stdout)), 901)
        # Built once: the next search says nothing of it.
        again = self.run_cli('search', 'walrus')
        self.assertNotIn('search index', again.stderr)
        db = sqlite3.connect(self.db_path)
        self.assertEqual(db.execute('SELECT COUNT(*) FROM rssfts_build').fetchone()[0], 0)
        db.close()
        # FTS5's own check of the indexes against every item.
        self.run_sql("INSERT INTO rss_fts (rss_fts) VALUES ('integrity-check');"
                     "INSERT INTO rss_title_fts (rss_title_fts) VALUES ('integrity-check');")

    def test_SearchTakesQuotesInTheKeywordLiterally(self):
        day = 'Tue, 03 Jan 2006 08:00:00 GMT'
        self.put('/site/q.xml', rss('Quotes', [
            ('http://q/1', "O'Brien's diary", day, 'plain'),
            ('http://q/2', 'Rock and roll', day, "it's in the text"),
            ('http://q/3', 'Nothing here', day, 'nothing')]))
        self.add('/site/q.xml')
        self.add('/corpus/gb2312-news.xml', 'Zh')
        self.ok('receive', '/')
        self.assertEqual([r['title'] for r in self.json('search', "O'Brien")], ["O'Brien's diary"])
        self.assertEqual(sorted(r['title'] for r in self.json('search', "'")),
                         ["O'Brien's diary", 'Rock and roll'])
        self.assertEqual([r['title'] for r in self.json('search', "'", '--title-only')],
                         ["O'Brien's diary"])
        # A keyword that tries to close the statement finds nothing and breaks nothing.
        result = self.run_cli('search', "x' OR '1'='1")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn('没有符合条件的搜索结果!', result.stderr)
        self.assertEqual(self.json('search', "x' OR '1'='1"), [])
        self.assertEqual(len(self.json('list', 'Quotes')), 3)

        heading = self.run_cli('search', '“引号”', '--in', 'Zh').stderr.splitlines()[0]
        self.assertEqual(heading, '有 1 项符合关键字 "“引号”" 的结果, 在 "Zh" 中')
        self.assertEqual(self.json('search', '“引号”', '--in', 'Quotes'), [])
        self.fails(2, '请输入要搜索的关键字', 'search', '')

    def set_news_service(self, address):
        config = os.path.join(self.root, 'config', 'appConfig.xml')
        with open(config, encoding='utf-8') as f:
            text = f.read()
        with open(config, 'w', encoding='utf-8') as f:
            f.write(re.sub(r'<newssearchurl>.*?</newssearchurl>',
                           '<newssearchurl>%s</newssearchurl>' % address.replace('&', '&amp;'),
                           text))

    def test_NewsSearchAsksTheConfiguredServiceAndKeepsItsResults(self):
        day = 'Tue, 03 Jan 2006 08:00:00 GMT'
        self.put('/news', rss('News', [('http://n/1', '开源新闻', day, 'one'),
                                       ('http://n/2', "Reader's news", day, 'two')]))
        self.set_news_service(self.url('/news?word=%s&rn=%d'))
        result = self.run_cli('search', '开源 & RSS', '--news', '--count', '20', '--title-only')
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr.splitlines()[0],
                         '有 2 项符合关键字 "开源 & RSS" 的结果, 在百度新闻搜索中')
        requests = urllib.request.urlopen(self.url('/_requests')).read().decode()
        # GB2312 bytes of the keyword, percent-encoded, behind the title prefix.
        self.assertIn('/news?word=title%3A%BF%AA%D4%B4%20%26%20RSS&rn=20', requests)

        found = self.json('search', 'news', '--news')
        self.assertEqual([r['title'] for r in found], ['开源新闻', "Reader's news"])
        shown = self.json('show', '--news', found[1]['id'])[0]
        self.assertEqual((shown['title'], shown['link']), ("Reader's news", 'http://n/2'))
        kept = self.json('fav', 'add', '--news', found[0]['id'])[0]
        self.assertEqual(kept['title'], '开源新闻')
        self.assertEqual(self.json('list', '/'), [])  # nothing entered the channels

        self.put('/news', '<rss version="2.0"><channel><title>none</title></channel></rss>')
        empty = self.run_cli('search', 'nothing', '--news')
        self.assertEqual(empty.returncode, 0, empty.stderr)
        self.assertIn('没有符合条件的搜索结果!', empty.stderr)
        self.set_news_service('http://127.0.0.1:1/news?word=%s')
        self.fails(1, '没有符合条件的搜索结果!', 'search', 'x', '--news')
        self.set_news_service('file:///etc/hosts?%s')
        self.fails(1, 'is not an http(s) address', 'search', 'x', '--news')
        self.fails(2, '--count: 7 not in {10,20,50,100}', 'search', 'x', '--news', '--count', '7')
        self.fails(2, '--in does not apply', 'search', 'x', '--news', '--in', '/')

    def test_CleanDeletesOldReadItemsAndUnreadOnlyWhenAsked(self):
        now = formatdate(time.time(), usegmt=True)
        old = 'Tue, 03 Jan 2006 08:00:00 GMT'
        self.put('/site/c.xml', rss('C', [('http://c/new', 'fresh', now, ''),
                                          ('http://c/old1', 'old read', old, ''),
                                          ('http://c/old2', 'old unread', old, '')]))
        self.add('/site/c.xml')
        self.ok('receive', 'C')
        ids = {i['title']: i['id'] for i in self.json('list', 'C')}
        self.ok('read', ids['fresh'], ids['old read'])

        cleaned = self.json('clean', '--days', '30', 'C')
        self.assertEqual((cleaned[0]['removed'], cleaned[0]['items']), (1, 2))
        self.assertEqual(sorted(i['title'] for i in self.json('list', 'C')),
                         ['fresh', 'old unread'])
        self.json('clean', '--days', '30', '--include-unread', '/')
        self.assertEqual([i['title'] for i in self.json('list', 'C')], ['fresh'])
        self.json('clean', '--days', '0', 'C')
        self.assertEqual(self.json('list', 'C'), [])
        self.fails(2, '--days', 'clean', '--days', 'soon', 'C')
        self.fails(2, '--days is required', 'clean', 'C')


if __name__ == '__main__':
    unittest.main(verbosity=2)
