#!/usr/bin/env python3
"""zirvo-cli exchanging channel lists as OPML and keeping favourites."""

import os
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import FeedCliTestCase  # noqa: E402


class OpmlTest(FeedCliTestCase):

    def build_tree(self):
        self.ok('mkdir', '中文')
        self.ok('mkdir', 'Inner', '--folder', '中文')
        self.add('/corpus/gb2312-news.xml', '新闻', '--folder', '中文/Inner')
        self.add('/corpus/heraldsun.rss', 'Herald')
        self.add('/corpus/narro.rss', 'Narro', '--folder', '中文')

    def shape(self):
        return [(r['type'], r['path'], r['url']) for r in self.json('tree')]

    def test_ExportAndImportRoundTripTheTree(self):
        self.build_tree()
        shape = self.shape()
        exported = os.path.join(self.root, 'all.opml')
        self.json('export-opml', exported)
        body = ET.parse(exported).getroot().find('body')
        for outline in body.iter('outline'):
            self.assertEqual(outline.get('text'), outline.get('title'))
        self.assertIsNone(body.find('outline').get('xmlUrl'))  # a folder carries no address

        # A second root starts empty and takes the export whole.
        other = self.prepare_root(os.path.join(self.root, 'second'))
        imported = self.json('import-opml', exported, root=other)
        self.assertEqual({r['status'] for r in imported}, {'imported'})
        self.assertEqual([(r['type'], r['path'], r['url']) for r in self.json('tree', root=other)],
                         shape)

        # Importing it again brings nothing twice.
        again = self.json('import-opml', exported)
        self.assertEqual({r['status'] for r in again}, {'skipped-duplicate'})
        self.assertEqual(len(again), 3)
        self.assertEqual(self.shape(), shape)

    def test_ExportOfOneNodeHoldsItsSubtreeOnly(self):
        self.build_tree()
        node = os.path.join(self.root, 'node.opml')
        self.json('export-opml', node, '中文/Inner')
        outlines = ET.parse(node).getroot().find('body').findall('.//outline')
        self.assertEqual([o.get('title') for o in outlines], ['Inner', '新闻'])
        self.assertEqual(outlines[1].get('xmlUrl'), self.url('/corpus/gb2312-news.xml'))
        self.fails(1, '导出失败!', 'export-opml', os.path.join(self.root, 'no', 'such', 'x.opml'))

    def test_ImportFromAnAddressIntoAFolderSkipsWhatItMustNot(self):
        self.ok('mkdir', 'Imported')
        self.add('/corpus/heraldsun.rss', 'Herald')
        listing = ('<?xml version="1.0" encoding="UTF-8"?><opml version="1.0"><body>'
                   '<outline text="Tech">'
                   '<outline text="Herald again" xmlUrl="%s"/>'
                   '<outline text="Local file" xmlUrl="file:///etc/passwd"/>'
                   '</outline>'
                   '<outline text="Sport">'
                   '<outline text="Narro" xmlUrl="%s" htmlUrl="http://narro/"/>'
                   '<outline text="Narro twice" xmlUrl="%s"/>'
                   '<outline text="a&lt;b" xmlUrl="http://127.0.0.1/lt.xml"/>'
                   '<outline text="Spaced" xmlUrl="http://127.0.0.1/a b.xml"/>'
                   '</outline>'
                   '<outline text="Empty folder"/>'
                   '</body></opml>') % (self.url('/corpus/heraldsun.rss'),
                                        self.url('/corpus/narro.rss'),
                                        self.url('/corpus/narro.rss'))
        self.put('/lists/mine.opml', listing)
        records = self.json('import-opml', self.url('/lists/mine.opml'), '--folder', 'Imported')
        status = {r['path']: r['status'] for r in records}
        self.assertEqual(status['Tech/Herald again'], 'skipped-duplicate')
        self.assertEqual(status['Tech/Local file'], 'skipped-not-web')
        self.assertEqual(status['Sport/Narro twice'], 'skipped-duplicate')
        # What `add` refuses, the import refuses too.
        self.assertEqual(status['Sport/a<b'], 'skipped-invalid')
        self.assertEqual(status['Sport/Spaced'], 'skipped-not-web')
        self.assertEqual([p for t, p, u in self.shape()],
                         ['Imported', 'Imported/Sport', 'Imported/Sport/Narro',
                          'Imported/Empty folder', 'Herald'])
        self.assertFalse(os.path.exists(os.path.join(self.root, 'Temp', 'temp.opml')))
        # The imported channel can be received.
        self.assertEqual(self.json('receive', 'Imported')[0]['ok'], True)

    def test_UnusableListsChangeNothing(self):
        self.build_tree()
        garbage = os.path.join(self.root, 'garbage.opml')
        with open(garbage, 'w') as f:
            f.write('<html><body>not a list</body></html>')
        self.fails(1, '无法识别的OPML文件格式', 'import-opml', garbage)
        self.fails(1, '无效的链接!', 'import-opml', self.url('/status/404'))
        self.fails(2, '无效的链接!', 'import-opml', 'file://' + garbage)
        self.fails(1, 'no such file', 'import-opml', os.path.join(self.root, 'missing.opml'))
        self.assertFalse(os.path.exists(os.path.join(self.root, 'Temp', 'temp.opml')))


class FavouritesTest(FeedCliTestCase):

    def setUp(self):
        super().setUp()
        self.add('/corpus/gb2312-news.xml', 'Zh')
        self.ok('receive', 'Zh')
        self.items = self.json('list', 'Zh')

    def test_KeptItemsAreListedExportedAndImportedBack(self):
        tree = self.json('fav', 'tree')
        self.assertEqual([(r['type'], r['path']) for r in tree],
                         [('folder', '收藏夹'), ('node', '收藏夹/我的收藏')])
        kept = self.json('fav', 'add', self.items[0]['id'], self.items[2]['id'])
        self.assertEqual([k['title'] for k in kept], [self.items[0]['title'],
                                                     self.items[2]['title']])
        self.json('fav', 'mknode', '稍后读', '--folder', '收藏夹')
        self.json('fav', 'add', self.items[1]['id'], '--to', '收藏夹/稍后读')
        hand = self.json('fav', 'add-manual', '--title', "Hand's pick", '--link',
                         'http://127.0.0.1/hand', '--author', '我', '--to', '收藏夹/稍后读')[0]
        self.assertEqual(hand['author'], '我')
        listed = self.json('fav', 'list', '收藏夹/稍后读')
        self.assertEqual([r['title'] for r in listed], ["Hand's pick", self.items[1]['title']])

        exported = os.path.join(self.root, 'mine.xml')
        self.json('fav', 'export', '收藏夹/我的收藏', exported)
        channel = ET.parse(exported).getroot().find('channel')
        self.assertEqual([i.findtext('title') for i in channel.findall('item')],
                         [self.items[2]['title'], self.items[0]['title']])
        node = self.json('fav', 'import', exported)[0]
        self.assertEqual((node['type'], node['path'], node['items']), ('node', 'mine', 2))
        self.assertEqual([r['title'] for r in self.json('fav', 'list', 'mine')],
                         [r['title'] for r in self.json('fav', 'list', '收藏夹/我的收藏')])

        # Kept items outlive their channel.
        self.ok('rm', 'Zh')
        self.assertEqual(len(self.json('fav', 'list')), 6)

    def test_RemovingAFavouriteNodeDeletesItsItems(self):
        node = self.json('fav', 'mknode', 'Temp')[0]
        self.json('fav', 'add', self.items[0]['id'], '--to', '#%d' % node['fav_id'])
        self.assertEqual(self.json('fav', 'tree')[-1]['items'], 1)
        moved = self.json('fav', 'list', 'Temp')[0]
        self.json('fav', 'mv-item', moved['id'], '--to', '收藏夹/我的收藏')
        self.assertEqual(self.json('fav', 'list', 'Temp'), [])
        self.json('fav', 'add', self.items[1]['id'], '--to', 'Temp')
        self.assertEqual([r['path'] for r in self.json('fav', 'rm', 'Temp')], ['Temp'])
        self.assertEqual([r['title'] for r in self.json('fav', 'list')], [self.items[0]['title']])
        self.json('fav', 'rm-item', moved['id'])
        self.assertEqual(self.json('fav', 'list'), [])

    def test_BadFavouriteInputIsRefused(self):
        self.fails(2, '--title is required', 'fav', 'add-manual', '--link', 'http://x/')
        self.fails(2, '请输入标题', 'fav', 'add-manual', '--title', '', '--link', 'http://x/')
        self.fails(2, '--link is required', 'fav', 'add-manual', '--title', 'T')
        self.fails(2, '请输入链接', 'fav', 'add-manual', '--title', 'T', '--link', '')
        self.fails(2, "含有不合法的字符 '<' 或 '>'!", 'fav', 'add-manual', '--title', 'T',
                   '--link', 'http://x/', '--summary', '<b>')
        self.fails(2, 'is a favourites folder', 'fav', 'add', self.items[0]['id'], '--to',
                   '收藏夹')
        self.fails(2, 'no item 999', 'fav', 'add', '999')
        self.fails(2, 'no favourite node #77', 'fav', 'list', '#77')
        self.fails(2, 'no favourite item', 'fav', 'rm-item', '5')
        self.fails(2, "unknown fav command 'polish'", 'fav', 'polish')
        self.fails(1, 'no such file', 'fav', 'import', os.path.join(self.root, 'none.xml'))
        self.fails(1, 'already exists', 'fav', 'mkdir', '收藏夹')


if __name__ == '__main__':
    unittest.main(verbosity=2)
