#!/usr/bin/env python3
"""zirvo-cli ebook: CHM e-books of a channel, a folder, the favourites and a blog folder.

The books are compiled with chmcmd and read back with chmls (Debian package fp-utils); the
tests that need them are skipped, saying so, where they are missing.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import urllib.request
from xml.sax.saxutils import escape

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blog_cli_fixture import BlogCliTestCase  # noqa: E402
from feed_cli_fixture import FeedCliTestCase, rss  # noqa: E402

HAVE_CHM_TOOLS = bool(shutil.which('chmcmd') and shutil.which('chmls'))
NO_CHM_TOOLS = 'chmcmd and chmls (Debian package fp-utils) are not installed'


def book_names(path):
    listing = subprocess.run(['chmls', '-n', 'list', path], capture_output=True, text=True,
                             timeout=60).stdout
    return {line.strip() for line in listing.splitlines() if line.strip().startswith('/')}


def book_file(path, name):
    with tempfile.TemporaryDirectory(prefix='zirvo-chm-') as folder:
        saved = os.path.join(folder, 'out')
        subprocess.run(['chmls', 'extract', path, name, saved], capture_output=True, timeout=60)
        with open(saved, 'rb') as f:
            return f.read().decode('utf-8')


class FeedEbookTest(FeedCliTestCase):

    def setUp(self):
        super().setUp()
        self.out = tempfile.mkdtemp(prefix='zirvo-ebook-out-')
        self.addCleanup(shutil.rmtree, self.out, ignore_errors=True)
        picture = self.url('/pic/photo.png?kb=5')
        items = [('http://127.0.0.1/e/%d' % i, 'Item %d 第%d篇' % (i, i),
                  'Tue, 0%d Jan 2006 08:00:00 GMT' % (i + 1),
                  escape('<p>Body %d</p><img src="%s"><img src="%s">'
                         % (i, picture, self.url('/huge?mb=1024' if i == 0 else '/pic/n%d' % i))))
                 for i in range(3)]
        self.put('/feeds/pics.xml', rss('Pictures', items))
        self.add('/feeds/pics.xml', 'Pics')
        self.ok('receive', 'Pics')

    @unittest.skipUnless(HAVE_CHM_TOOLS, NO_CHM_TOOLS)
    def test_ChannelBookHoldsItsItemsAndPicturesOnce(self):
        book = os.path.join(self.out, 'pics.chm')
        result = self.run_cli('ebook', 'Pics', book, '--pictures', '--title', 'Pictures 图')
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn('====================状态显示===================', result.stdout)
        self.assertIn('>>下载图片 %s 中...' % self.url('/pic/photo.png?kb=5'), result.stdout)
        self.assertIn('>>download complete.', result.stdout)
        self.assertIn('>>下载失败!', result.stdout)  # the gigabyte picture is refused
        self.assertIn('制作完成!', result.stderr)
        names = book_names(book)
        for name in ('/0.html', '/1.html', '/2.html', '/index.html', '/MyLogCHM.hhc',
                     '/images/0.png'):
            self.assertIn(name, names)
        with urllib.request.urlopen(self.url('/_requests?format=json')) as answer:
            requests = json.loads(answer.read())
        self.assertEqual(len([r for r in requests if r['path'].startswith('/pic/photo.png')]), 1)
        contents = book_file(book, '/MyLogCHM.hhc')
        self.assertIn('<param name="Name" value="Item 2 第2篇">\r\n', contents)
        self.assertIn('src="images/0.png"', book_file(book, '/1.html'))
        self.assertEqual(os.path.getsize(os.path.join(self.root, 'Temp', 'CHMTemp', 'images',
                                                      '0.png')), 5 * 1024)

    @unittest.skipUnless(HAVE_CHM_TOOLS, NO_CHM_TOOLS)
    def test_FavouritesBookAndAnEmptyFavourite(self):
        items = self.json('list', 'Pics')
        self.json('fav', 'add', items[0]['id'], items[1]['id'])
        book = os.path.join(self.out, 'fav.chm')
        records = self.json('ebook', 'fav:收藏夹/我的收藏', book)
        self.assertEqual(records[0]['articles'], 2)
        self.assertEqual(records[0]['pictures'], 0)  # pictures only when asked for
        self.assertIn('/1.html', book_names(book))
        self.json('fav', 'mknode', 'Empty')
        self.fails(1, '您选择的收藏夹没有文章!', 'ebook', 'fav:Empty',
                   os.path.join(self.out, 'empty.chm'))
        self.assertFalse(os.path.exists(os.path.join(self.out, 'empty.chm')))

    def test_RefusalsSayWhyAndWriteNoBook(self):
        book = os.path.join(self.out, 'x.chm')
        self.fails(2, '--by-category is for blog folders', 'ebook', 'Pics', book, '--by-category')
        self.fails(2, 'Nowhere', 'ebook', 'Nowhere', book)
        self.fails(1, '无法写入', 'ebook', 'Pics', os.path.join(self.out, 'no', 'dir', 'x.chm'))
        self.fails(1, '请输入标题!', 'ebook', 'Pics', book, '--title', ' ')
        self.assertFalse(os.path.exists(book))

    def test_WithoutACompilerTheProjectIsWrittenAndTheCommandSaysSo(self):
        book = os.path.join(self.out, 'x.chm')
        env = dict(os.environ)
        env['PATH'] = self.out  # holds no chmcmd
        result = subprocess.run([self.cli, '--root', self.root, 'ebook', 'Pics', book],
                                capture_output=True, text=True, timeout=60, env=env)
        self.assertEqual(result.returncode, 1)
        self.assertIn('编译失败!', result.stderr)
        self.assertIn('chmcmd', result.stderr)
        project = os.path.join(self.root, 'Temp', 'CHMTemp', 'MyLogCHM.hhp')
        self.assertIn(project, result.stderr)
        with open(project, 'rb') as f:
            text = f.read().decode('utf-8')
        self.assertIn('Compiled file=%s\r\n' % book, text)
        self.assertIn('Title=我的收藏\r\n', text)
        self.assertFalse(os.path.exists(book))


class BlogEbookTest(BlogCliTestCase):

    @unittest.skipUnless(HAVE_CHM_TOOLS, NO_CHM_TOOLS)
    def test_BlogFolderBookHasOneContentsFolderPerCategory(self):
        self.add_account('甲')
        self.new_article('甲', 'Rust notes', '<p>one</p>', '--category', 'Tech')
        self.new_article('甲', '周末', '<p>two</p>', '--category', '生活')
        self.new_article('甲', 'More "tech"', '<p>three</p>', '--category', 'Tech')
        out = tempfile.mkdtemp(prefix='zirvo-ebook-blog-')
        self.addCleanup(shutil.rmtree, out, ignore_errors=True)
        book = os.path.join(out, 'blog.chm')
        records = self.json('ebook', 'blog:甲/drafts', book, '--by-category')
        self.assertEqual(records[0]['articles'], 3)
        contents = book_file(book, '/MyLogCHM.hhc')
        folders = {}
        for block in contents.split('  </UL>\r\n')[:-1]:
            name = block.split('<param name="Name" value="')[1].split('"')[0]
            folders[name] = [line.split('"')[3] for line in block.splitlines()
                             if line.startswith('    <param name="Local"')]
        self.assertEqual(folders, {'Tech': ['0.html', '2.html'], '生活': ['1.html']})
        self.assertIn('    <param name="Name" value="More &quot;tech&quot;">\r\n', contents)
        project = os.path.join(self.root, 'data', 'Temp', 'CHMTemp', 'MyLogCHM.hhp')
        with open(project, 'rb') as f:
            self.assertIn(b'Title=\xe6\x88\x91\xe7\x9a\x84\xe6\x97\xa5\xe5\xbf\x97\r\n', f.read())

    def test_BlogFoldersAreNamedByAccountAndFolder(self):
        self.add_account('甲')
        self.fails(2, 'blog:ACCOUNT/FOLDER', 'ebook', 'blog:甲/nowhere', '/tmp/x.chm')
        self.fails(2, 'blog:ACCOUNT/FOLDER', 'ebook', 'blog:甲', '/tmp/x.chm')
        self.fails(1, "no account '乙'", 'ebook', 'blog:乙/drafts', '/tmp/x.chm')


if __name__ == '__main__':
    unittest.main()
