#!/usr/bin/env python3
"""zirvo-cli editing the subscription tree: folders, renames, moves, deletes, node names."""

import os
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import FeedCliTestCase  # noqa: E402


class TreeTest(FeedCliTestCase):

    def outline_titles(self):
        """The subscription file as nested (title, [children]) pairs."""
        def walk(element):
            return [(o.get('title'), walk(o)) for o in element.findall('outline')]
        return walk(ET.parse(self.opml_path).getroot().find('body'))

    def paths(self):
        return [r['path'] for r in self.json('tree')]

    def test_FoldersNestAndCaptionsWithSlashesAreEscapedInPaths(self):
        self.ok('mkdir', 'News')
        self.ok('mkdir', 'Day/Night', '--folder', 'News')
        channel = self.add('/corpus/heraldsun.rss', 'A/B', '--folder', 'News/Day\\/Night')
        self.assertEqual(channel['path'], 'News/Day\\/Night/A\\/B')
        self.assertEqual(self.paths(), ['News', 'News/Day\\/Night', 'News/Day\\/Night/A\\/B'])
        self.assertEqual(self.outline_titles(), [('News', [('Day/Night', [('A/B', [])])])])
        # The same channel by path, by address and by id.
        for name in ('News/Day\\/Night/A\\/B', self.url('/corpus/heraldsun.rss'),
                     '#%d' % channel['feed_id']):
            self.assertEqual(self.json('tree', name)[0]['path'], channel['path'])
        self.fails(1, 'already exists in News', 'mkdir', 'Day/Night', '--folder', 'News')
        self.fails(2, "no channel or folder 'News/Day/Night'", 'tree', 'News/Day/Night')

    def test_RenameChangesTheCaptionInTheFile(self):
        self.ok('mkdir', 'Old folder')
        self.add('/corpus/heraldsun.rss', 'Old channel', '--folder', 'Old folder')
        self.ok('mkdir', 'Taken')
        self.assertEqual(self.json('rename', 'Old folder', '新目录')[0]['path'], '新目录')
        self.assertEqual(self.json('rename', '新目录/Old channel', '新频道')[0]['path'],
                         '新目录/新频道')
        self.assertEqual(self.outline_titles(), [('新目录', [('新频道', [])]), ('Taken', [])])
        self.fails(1, 'already exists', 'rename', '新目录', 'Taken')

    def test_MovesKeepFileAndTreeInTheSameOrder(self):
        for name in ('A', 'B', 'C'):
            self.ok('mkdir', name)
        self.add('/corpus/heraldsun.rss', 'Feed', '--folder', 'A')
        self.assertEqual(self.json('mv', 'A/Feed', '--to', 'C')[0]['path'], 'C/Feed')
        self.assertEqual(self.json('mv', 'C', '--before', 'A')[0]['path'], 'C')
        self.assertEqual(self.paths(), ['C', 'C/Feed', 'A', 'B'])
        self.assertEqual(self.json('mv', 'B', '--up')[0]['path'], 'B')
        self.assertEqual(self.paths(), ['C', 'C/Feed', 'B', 'A'])
        # The first node stays where it is.
        self.assertEqual(self.json('mv', 'C', '--up')[0]['path'], 'C')
        self.assertEqual(self.json('mv', 'C/Feed', '--to', '/')[0]['path'], 'Feed')
        self.assertEqual(self.outline_titles(), [('C', []), ('B', []), ('A', []), ('Feed', [])])
        self.ok('mv', 'A', '--to', 'B')
        self.fails(2, 'into itself', 'mv', 'B', '--to', 'B/A')
        self.fails(2, 'into itself', 'mv', 'B', '--before', 'B/A')
        self.assertEqual(self.outline_titles(),
                         [('C', []), ('B', [('A', [])]), ('Feed', [])])

    def test_RemovingAFolderDeletesTheArticlesOfItsChannels(self):
        self.ok('mkdir', 'Gone')
        self.add('/corpus/gb2312-news.xml', 'Zh', '--folder', 'Gone')
        self.add('/corpus/heraldsun.rss', 'Stays')
        self.ok('receive', '/')
        self.assertEqual(len(self.json('search', '新闻')), 1)
        removed = self.json('rm', 'Gone')
        self.assertEqual([r['path'] for r in removed], ['Gone', 'Gone/Zh'])
        self.assertEqual(self.paths(), ['Stays'])
        self.assertEqual(self.json('search', '新闻'), [])
        self.assertEqual(len(self.json('list', 'Stays')), 2)
        # Subscribing again starts empty, under a new id.
        again = self.add('/corpus/gb2312-news.xml', 'Zh')
        self.assertEqual(self.json('list', 'Zh'), [])
        self.fails(2, 'no channel with id #1', 'list', '#1')
        self.assertNotEqual(again['feed_id'], 1)

    def test_ReadOnlyCommandsAddNoStoreRows(self):
        self.add('/corpus/heraldsun.rss', 'Herald')
        # An outline written by another program: known to the tree, not to the store.
        with open(self.opml_path, encoding='utf-8') as f:
            text = f.read()
        with open(self.opml_path, 'w', encoding='utf-8') as f:
            f.write(text.replace('</body>', '<outline text="Other" xmlUrl="%s"/></body>'
                                 % self.url('/corpus/narro.rss')))
        before = self.state()
        tree = {r['path']: r for r in self.json('tree')}
        self.assertIsNone(tree['Other']['feed_id'])
        self.assertEqual(self.json('list', 'Other'), [])
        self.json('search', 'x', '--in', 'Other')
        self.assertEqual(before, self.state())
        self.ok('receive', 'Other')
        self.assertIsNotNone(self.json('tree', 'Other')[0]['feed_id'])

    def test_AddingAWebPageSubscribesToTheFeedItNames(self):
        page = ('<!DOCTYPE html><html><head>%s</head><body>page</body></html>')
        one = '<link rel="alternate" type="application/atom+xml" href="/corpus/atom-bases.atom">'
        self.put('/one.html', page % one, 'text/html')
        added = self.add('/one.html')
        self.assertEqual(added['url'], self.url('/corpus/atom-bases.atom'))
        self.assertEqual(added['path'], 'Example Blog & notes')
        two = one + ('<link rel="alternate" type="application/feed+json" '
                     'href="/corpus/json-feed.json" title="JSON">')
        self.put('/two.html', page % two, 'text/html')
        result = self.fails(2, 'names 2 feeds; choose one with --pick N', 'add',
                            self.url('/two.html'))
        self.assertIn('2  %s  JSON' % self.url('/corpus/json-feed.json'), result.stderr)
        picked = self.add('/two.html', None, '--pick', '2')
        self.assertEqual(picked['url'], self.url('/corpus/json-feed.json'))
        self.assertEqual(picked['path'], 'JSON Example')
        self.fails(2, '--pick takes', 'add', self.url('/two.html'), '--pick', 'x')
        self.fails(2, 'choose one with --pick N', 'add', self.url('/two.html'), '--pick', '3')
        self.put('/self.html', page % '<link rel="alternate" type="application/rss+xml" '
                 'href="/self.html">', 'text/html')
        self.fails(1, 'is not a feed', 'add', self.url('/self.html'))

    def test_ShowListsTheAttachmentsOfAnItem(self):
        self.add('/corpus/rss2-extras.rss', 'Extras')
        self.ok('receive', 'Extras')
        items = self.json('list', 'Extras')
        first = [i for i in items if i['title'] == 'Relative'][0]
        shown = self.run_cli('show', first['id'])
        self.assertEqual(shown.returncode, 0, shown.stderr)
        self.assertIn('Attachments:\n  http://extras.example.com/files/a.ogg  (audio/ogg, 100 B)',
                      shown.stdout)
        self.assertIn('  http://cdn.example.com/b.mp4  (video/mp4)', shown.stdout)
        record = self.json('show', first['id'], '--keep-unread')[0]
        self.assertEqual(record['attachments'], ['http://extras.example.com/files/a.ogg',
                                                 'http://cdn.example.com/b.mp4'])


if __name__ == '__main__':
    unittest.main(verbosity=2)
