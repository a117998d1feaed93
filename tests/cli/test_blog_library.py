"""End-to-end tests of zirvo-cli's article library commands: local operations, batches,
publishing to several accounts, the backup file, server refusals and bad input."""

import json
import os
import sys
import time
import unittest
import xmlrpc.client

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blog_cli_fixture import BlogCliTestCase, PASSWORD, USER  # noqa: E402


class LibraryTest(BlogCliTestCase):

    def setUp(self):
        super().setUp()
        self.add_account('甲')
        self.add_account('乙', 'MovableType', encoding='GB2312')

    def titles(self, account, folder):
        return [a['title'] for a in self.json('article', 'list', '--account', account,
                                              '--folder', folder)]

    def test_local_edit_copy_move_and_delete(self):
        first = self.new_article('甲', '第一篇', '<p>一</p>')
        second = self.new_article('甲', '第二篇', '<p>二</p>')
        self.assertEqual(self.titles('甲', 'drafts'), ['第一篇', '第二篇'])
        self.ok('article', 'edit', str(first), '--title', '改名', '--category', '随笔')
        shown = self.article(first)
        self.assertEqual((shown['title'], shown['category'], shown['content']),
                         ('改名', '随笔', '<p>一</p>'))

        self.ok('article', 'copy', str(first), str(second), '--to-account', '乙',
                '--to-folder', 'drafts')
        self.assertEqual(self.titles('乙', 'drafts'), ['改名', '第二篇'])
        self.ok('article', 'move', str(second), '--to-folder', 'recycle')
        self.assertEqual(self.titles('甲', 'recycle'), ['第二篇'])
        # The folder chooser offers only drafts and recycle bins, never the list's own folder.
        self.fails(2, 'the target is the drafts or the recycle bin', 'article', 'move',
                   str(first), '--to-folder', 'drafts')
        self.fails(2, '--to-folder: published not in {drafts,recycle}', 'article', 'copy',
                   str(first), '--to-folder', 'published')
        self.fails(2, 'one account and one folder', 'article', 'move', str(first), str(second),
                   '--to-folder', 'recycle', '--to-account', '乙')

        # Deleting moves to the recycle bin; deleting there removes the row.
        self.ok('article', 'delete', str(first))
        self.assertEqual(self.folder_of(first), (4, ''))
        self.ok('article', 'delete', str(first), str(second))
        self.assertIsNone(self.folder_of(first))
        self.assertIsNone(self.folder_of(second))
        self.assertEqual(self.server_post_ids(), [])

    def test_open_hands_the_article_to_the_editor(self):
        draft = self.new_article('乙', '草稿', '<p>x</p>')
        # The editor's stand-in copies the task file it finds and the arguments it got.
        seen = os.path.join(self.root, 'seen')
        peer = os.path.join(self.root, 'editor-peer')
        with open(peer, 'w') as f:
            f.write('#!/bin/sh\necho "$1 $2" > "%s.part"\n'
                    'cat "$2/Temp/subprocess.xml" >> "%s.part"\nmv "%s.part" "%s"\n' % ((seen,) * 4))
        os.chmod(peer, 0o755)
        old = os.environ.get('ZIRVO_EDITOR')
        self.addCleanup(lambda: os.environ.pop('ZIRVO_EDITOR', None) if old is None
                        else os.environ.__setitem__('ZIRVO_EDITOR', old))
        os.environ['ZIRVO_EDITOR'] = peer
        record = self.json('article', 'open', str(draft))
        self.assertEqual(record[0]['id'], draft)
        self.assertEqual(record[0]['account'], '乙')
        for _ in range(250):
            if os.path.exists(seen):
                break
            time.sleep(0.02)
        with open(seen, encoding='utf-8') as f:
            arguments, task = f.read().split('\n', 1)
        self.assertEqual(arguments, '--root ' + os.path.join(self.root, 'data'))
        self.assertEqual(
            task, '<?xml version="1.0" encoding="UTF-8"?><root><processtype>3</processtype>'
            '<account>乙</account><index>%d</index><publishfoldertreeid>1120'
            '</publishfoldertreeid><draftfoldertreeid>1130</draftfoldertreeid><accounts>'
            '<account><name>甲</name><treeid>1000</treeid></account><account><name>乙</name>'
            '<treeid>1100</treeid></account></accounts></root>' % draft)

        # Without an editor nothing is left behind for the next one started by hand.
        os.remove(os.path.join(self.root, 'data', 'Temp', 'subprocess.xml'))
        os.environ['ZIRVO_EDITOR'] = os.path.join(self.root, 'no-such-editor')
        self.fails(1, 'editor', 'article', 'open', str(draft))
        self.assertFalse(os.path.exists(os.path.join(self.root, 'data', 'Temp',
                                                     'subprocess.xml')))
        self.fails(1, '99999', 'article', 'open', '99999')

    def test_saving_follows_the_editor_rules(self):
        self.fails(1, '没有输入内容!', 'article', 'new', '--account', '甲', '--title', 't',
                   '--content-file', '-', stdin='')
        self.fails(1, '没有输入内容!', 'article', 'new', '--account', '甲', '--title', 't',
                   '--content-file', '-', stdin='<DIV></DIV>')
        self.fails(2, 'is not a date', 'article', 'new', '--account', '甲', '--content-file',
                   '-', '--date', '2006-02-30', stdin='x')
        self.fails(1, "no account '无此'", 'article', 'new', '--account', '无此',
                   '--content-file', '-', stdin='x')
        self.fails(1, 'cannot read', 'article', 'new', '--account', '甲', '--content-file',
                   os.path.join(self.root, 'missing.html'))
        # A title cut to its 50 bytes is said so, with the text kept.
        cut = self.run_cli('article', 'new', '--account', '甲', '--title', 'x' * 60,
                           '--content-file', '-', stdin='<p>长</p>', json_output=True)
        self.assertEqual(cut.returncode, 0, cut.stderr)
        self.assertIn("warning: the title is longer than 50 bytes; kept: '%s'" % ('x' * 50),
                      cut.stderr)
        self.assertEqual(self.article(json.loads(cut.stdout)[0]['id'])['title'], 'x' * 50)
        chinese = self.new_article('甲', '中' * 30, '<p>长</p>')
        self.assertEqual(self.article(chinese)['title'], '中' * 25)
        self.assertNotIn('warning', self.run_cli('article', 'new', '--account', '甲', '--title',
                                                 'x' * 50, '--content-file', '-',
                                                 stdin='<p>x</p>').stderr)
        dated = self.new_article('甲', 'd', '<p>d</p>', '--date', '2006/5/1 8:30')
        self.assertEqual(self.article(dated)['date'], '2006-05-01 08:30:00')

        self.fails(2, 'not an article id', 'article', 'show', 'abc')
        self.fails(1, '没有对应id的文章', 'article', 'show', '999')
        self.fails(2, '--folder: inbox not in', 'article', 'list', '--account', '甲', '--folder',
                   'inbox')
        self.fails(2, 'see zirvo-cli article list --help', 'article', 'list', '--acount', '甲')
        self.fails(2, "unknown article command 'rename'", 'article', 'rename')

    def test_batch_publish_and_delete_from_the_server(self):
        ids = [self.new_article('甲', '批量%d' % i, '<p>%d</p>' % i) for i in range(3)]
        result = self.json('publish', *map(str, ids))
        self.assertEqual([r['folder'] for r in result], ['published'] * 3)
        server_ids = [r['server_id'] for r in result]
        self.assertEqual(sorted(self.server_post_ids()), sorted(server_ids))

        # Received or published articles go out as new posts and stay where they are.
        again = self.json('publish', str(ids[0]))
        self.assertEqual(again[0]['folder'], 'published')
        self.assertEqual(again[0]['server_id'], server_ids[0])
        self.assertNotEqual(again[0]['sent_as'], server_ids[0])
        self.assertEqual(len(self.server_post_ids()), 4)

        deleted = self.json('delete-remote', str(ids[1]), str(ids[2]))
        self.assertEqual([r['folder'] for r in deleted], ['recycle', 'recycle'])
        self.assertEqual(len(self.server_post_ids()), 2)
        self.fails(2, 'only received or published', 'delete-remote', str(ids[1]))
        self.fails(2, 'one account and one folder', 'publish', str(ids[0]), str(ids[1]))

    def test_server_refusals_leave_the_library_as_it_was(self):
        self.ok('account', 'set', '甲', '--url', self.url('/fault-int'))
        draft = self.new_article('甲', '被拒绝的', '<p>x</p>')
        result = self.fails(1, '[4000]', 'publish', str(draft))
        self.assertIn('服务器拒绝了请求', result.stderr)
        self.assertNotIn('文章发布成功!', result.stdout)
        self.assertEqual(self.folder_of(draft), (3, ''))
        self.fails(1, '[4000]', 'fetch-recent', '甲')

        # A post the server no longer has: it answers the deletion with false, so the local
        # copy stays where it is.
        self.ok('account', 'set', '甲', '--url', self.url())
        self.ok('publish', str(draft))
        post = self.folder_of(draft)[1]
        xmlrpc.client.ServerProxy(self.url()).blogger.deletePost('key', post, USER, PASSWORD,
                                                                 True)
        self.fails(1, '服务器拒绝删除这篇日志!', 'delete-remote', str(draft))
        self.assertEqual(self.folder_of(draft), (2, post))

    def test_publishing_to_several_accounts(self):
        self.add_account('丙', 'Blogger')
        self.add_account('丁')
        self.ok('account', 'set', '甲', '--relation', '乙')
        # 丙 asks for its blog password when opened locally.
        config = os.path.join(self.root, 'data', 'config', 'userConfig.xml')
        with open(config, encoding='utf-8') as f:
            text = f.read()
        marker = '<name>丙</name>'
        head, tail = text.split(marker)
        tail = tail.replace('<localloginverify>0</localloginverify>',
                            '<localloginverify>1</localloginverify>', 1)
        with open(config, 'w', encoding='utf-8') as f:
            f.write(head + marker + tail)

        draft = self.new_article('甲', '一稿多投', '<p>到处</p>')
        self.fails(1, '请输入账户 丙 的密码', 'publish', str(draft), '--to', '甲', '--to', '丙')
        self.fails(1, '您输入的密码有误!', 'publish', str(draft), '--to', '丙', '--verify', '丙',
                   stdin='wrong\n')
        self.fails(2, 'no account', 'publish', str(draft), '--to', '戊')
        self.assertEqual(self.server_post_ids(), [])

        rows = self.json('publish', str(draft), '--to', '甲', '--to', '乙', '--to', '丙',
                         '--verify', '丙', stdin=PASSWORD + '\n')
        self.assertEqual([r['account'] for r in rows], ['甲', '乙', '丙'])
        for row in rows:
            self.assertEqual(row['status'], '发送成功!文章编号: ' + row['server_id'])
        self.assertEqual(self.folder_of(draft), (2, rows[0]['server_id']))
        self.assertEqual(self.titles('乙', 'published'), ['一稿多投'])
        self.assertEqual(self.titles('丙', 'published'), ['一稿多投'])
        self.assertEqual(self.titles('丁', 'published'), [])
        self.assertEqual(len(self.server_post_ids()), 3)

        # At most five accounts at once; published articles are not offered.
        for name in ('戊', '己'):
            self.add_account(name)
        another = self.new_article('甲', '太多了', '<p>x</p>')
        six = ['--to', '甲', '--to', '乙', '--to', '丁', '--to', '戊', '--to', '己',
               '--to', '丙', '--verify', '丙']
        self.fails(1, '您最多只能选择同时发布到 5 个账户!', 'publish', str(another), *six,
                   stdin=PASSWORD + '\n')
        self.fails(2, 'drafts or the recycle bin', 'publish', str(draft), '--to', '乙')

    def test_backup_file_round_trip_into_another_account(self):
        ids = [self.new_article('甲', '备份%d' % i, '<p>内容 ]]> %d</p>' % i, '--category',
                                '类%d' % i, '--date', '2006-0%d-01 08:30:00' % (i + 1))
               for i in range(3)]
        path = os.path.join(self.root, 'backup.xml')
        exported = self.json('export-xml', '--account', '甲', '--folder', 'drafts',
                             '--output', path)
        self.assertEqual(exported, [{'path': path, 'count': 3}])
        self.fails(1, 'exists', 'export-xml', '--account', '甲', '--folder', 'drafts',
                   '--output', path)
        self.fails(1, '当前文件夹没有日志!', 'export-xml', '--account', '甲', '--folder',
                   'recycle', '--output', path + '2')

        result = self.run_cli('import-xml', '--account', '乙', path)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn('导入成功 3 篇日志', result.stderr)
        originals = [self.article(i) for i in ids]
        imported = self.json('article', 'list', '--account', '乙', '--folder', 'drafts')
        self.assertEqual(len(imported), 3)
        for original, copy in zip(originals, imported):
            full = self.article(copy['id'])
            for key in ('title', 'category', 'date', 'content'):
                self.assertEqual(full[key], original[key], key)
            self.assertEqual(full['server_id'], '')

        # Chosen articles only, and a file that is not XML.
        self.json('export-xml', str(ids[1]), '--output', path, '--force')
        self.assertEqual(self.json('import-xml', '--account', '甲', path)[0]['count'], 1)
        bad = os.path.join(self.root, 'bad.xml')
        with open(bad, 'w') as f:
            f.write('<rss><channel>')
        self.fails(1, 'zirvo-cli:', 'import-xml', '--account', '甲', bad)
        self.assertEqual(len(self.titles('甲', 'drafts')), 4)


if __name__ == '__main__':
    unittest.main()
