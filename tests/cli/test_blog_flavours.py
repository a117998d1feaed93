"""End-to-end tests of zirvo-cli against a loopback blog service, one post life cycle per
flavour and encoding: a Chinese draft is written, published, edited on the server, fetched
back, and deleted from the server; categories and uploads as each flavour has them."""

import os
import ssl
import subprocess
import sys
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blog_cli_fixture import BlogCliTestCase, CERT  # noqa: E402

DATE = '2006-05-01 08:30:00'


class FlavourLifeCycle:
    """The cycle itself; mixed into test cases that differ in transport."""

    def life_cycle(self, api, encoding):
        account = '%s-%s' % (api.replace(' ', ''), encoding)
        self.add_account(account, api, encoding=encoding)
        title = '中文标题 %s' % api
        article = self.new_article(account, title, '<p>你好，世界</p>', '--category', '技术',
                                   '--date', DATE)
        draft = self.article(article)
        self.assertEqual(draft['folder'], 'drafts')
        if api == 'Blogger':
            # Blogger posts carry neither title nor category.
            self.assertEqual((draft['title'], draft['category']), ('', ''))
        else:
            self.assertEqual((draft['title'], draft['category']), (title, '技术'))

        # Publish: the draft moves to the published folder with the server's id.
        published = self.json('publish', str(article))
        self.assertEqual(published[0]['folder'], 'published')
        post_id = published[0]['server_id']
        self.assertTrue(post_id)
        self.assertEqual(self.folder_of(article), (2, post_id))
        method = 'blogger.newPost' if api == 'Blogger' else 'metaWeblog.newPost'
        sent = self.requests(method)
        self.assertEqual(len(sent), 1)
        self.assertIn('你好，世界', sent[0])
        wire = 'gb18030' if encoding == 'GB2312' else 'utf-8'
        self.assertIn('你好，世界'.encode(wire), self.raw_requests()[-1])
        if api == 'MovableType':
            # Sent in UTC, converted with the machine's zone (UTC+8 here).
            self.assertIn('20060501T00:30:00', sent[0])
        elif api != 'Blogger':
            self.assertIn('20060501T08:30:00', sent[0])  # the draft's own date

        # Edit on the server, then locally.
        self.ok('article', 'edit', str(article), '--remote', '--title', title + ' 改',
                '--content-file', '-', stdin='<p>改过了，再见</p>')
        edit = 'blogger.editPost' if api == 'Blogger' else 'metaWeblog.editPost'
        self.assertEqual(len(self.requests(edit)), 1)
        self.assertEqual(self.article(article)['content'], '<p>改过了，再见</p>')

        # Fetch it back into the received folder.
        received = self.json('fetch-recent', account, '3')
        self.assertEqual([r['server_id'] for r in received], [post_id])
        self.assertIn('改过了，再见', received[0]['content'] if 'content' in received[0]
                      else self.article(received[0]['id'])['content'])
        if api != 'Blogger':
            self.assertEqual(received[0]['title'], title + ' 改')
            self.assertEqual(received[0]['category'], '技术')
        self.assertEqual(self.json('account', 'show', account)[0]['recent'], 3)

        # Categories and uploads where the flavour has them.
        if api == 'Blogger':
            self.fails(1, 'has no categories', 'categories', account)
        else:
            names = [r['category'] for r in self.json('categories', account)]
            self.assertEqual(names, ['技术', '生活 & 随笔', '<杂项>'])
        if api == 'MetaWeblog':
            self.assertEqual([r['category'] for r in self.json('categories', account,
                                                                '--system')], ['新闻', '体育'])
            picture = os.path.join(self.root, '图片.png')
            with open(picture, 'wb') as f:
                f.write(bytes(range(256)) * 4)
            url = self.json('upload', account, picture)[0]['url']
            self.assertTrue(url.startswith(self.url('/media/')))
            context = ssl.create_default_context(cafile=CERT) if self.tls else None
            with urllib.request.urlopen(url.replace('图片', '%E5%9B%BE%E7%89%87'),
                                        context=context) as answer:
                self.assertEqual(answer.read(), bytes(range(256)) * 4)
        else:
            self.fails(1, 'needs a MetaWeblog account', 'upload', account, __file__)
            self.fails(1, 'has no system categories', 'categories', account, '--system')

        # Delete from the server: the local copy goes to the recycle bin with its id.
        deleted = self.json('delete-remote', str(article))
        self.assertEqual(deleted[0]['folder'], 'recycle')
        self.assertEqual(self.folder_of(article), (4, post_id))
        self.assertEqual(len(self.requests('blogger.deletePost')), 1)
        self.assertEqual(self.server_post_ids(), [])
        # Fetching again keeps the received copy: nothing came back to replace it.
        self.assertEqual(len(self.json('fetch-recent', account)), 1)


class PlainFlavoursTest(FlavourLifeCycle, BlogCliTestCase):

    def test_metaweblog_utf8(self):
        self.life_cycle('MetaWeblog', 'UTF-8')

    def test_metaweblog_gb2312(self):
        self.life_cycle('MetaWeblog', 'GB2312')

    def test_blogger_utf8(self):
        self.life_cycle('Blogger', 'UTF-8')

    def test_blogger_gb2312(self):
        self.life_cycle('Blogger', 'GB2312')

    def test_movabletype_utf8(self):
        self.life_cycle('MovableType', 'UTF-8')

    def test_movabletype_gb2312(self):
        self.life_cycle('MovableType', 'GB2312')


class MsnSpacesTest(FlavourLifeCycle, BlogCliTestCase):
    """MSN Spaces always speaks TLS; the test certificate is trusted through ZIRVO_CA_FILE."""

    tls = True

    def test_msn_spaces_utf8(self):
        self.life_cycle('MSN Spaces', 'UTF-8')

    def test_msn_spaces_gb2312(self):
        self.life_cycle('MSN Spaces', 'GB2312')

    def test_untrusted_certificate_is_refused(self):
        self.add_account('空间', 'MSN Spaces')
        self.ok('fetch-recent', '空间')
        env = {k: v for k, v in os.environ.items() if k != 'ZIRVO_CA_FILE'}
        bare = subprocess.run([self.cli, '--root', os.path.join(self.root, 'data'),
                               'fetch-recent', '空间'], capture_output=True, text=True,
                              timeout=60, env=env)
        self.assertEqual(bare.returncode, 1)
        self.assertIn('[3001]', bare.stderr)


if __name__ == '__main__':
    unittest.main()
