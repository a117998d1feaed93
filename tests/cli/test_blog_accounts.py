"""End-to-end tests of zirvo-cli's account commands: the wizard's checks and messages, the
connection test, settings and deletion, against a loopback blog service."""

import os
import pty
import select
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blog_cli_fixture import BlogCliTestCase, PASSWORD, USER  # noqa: E402


class AccountCommandsTest(BlogCliTestCase):

    def add(self, *options, stdin=PASSWORD + '\n', flags=()):
        base = {'--name': '甲', '--description': '我的博客', '--api': 'MetaWeblog',
                '--encoding': 'UTF-8', '--url': self.url(), '--user': USER}
        args = []
        given = dict(zip(options[::2], options[1::2]))
        for key, value in {**base, **given}.items():
            if value is not None:
                args += [key, value]
        return self.run_cli('account', 'add', *args, *flags, stdin=stdin)

    def assertRefused(self, message, *options, stdin=PASSWORD + '\n'):
        result = self.add(*options, stdin=stdin)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn(message, result.stderr)

    def test_every_wizard_check_refuses_with_its_message(self):
        self.assertRefused('请输入账户名称', '--name', '')
        for bad in ('a/b', 'a\\b', 'a:b', 'a*b', 'a?b', 'a"b', "a'b", 'a<b', 'a>b', 'a|b',
                    '100%'):
            self.assertRefused('账户名称含有不合法的字符!', '--name', bad)
        self.assertRefused('账户名称不能超过20个字符', '--name', 'x' * 21)
        self.assertRefused('账户名称不能超过20个字符', '--name', '一二三四五六七八九十十')
        self.assertRefused('请输入账户描述', '--description', '')
        self.assertRefused('请输入XML-RPC地址!', '--url', '')
        self.assertRefused('请输入端口号!', '--port', '')
        self.assertRefused('请输入有效的端口号!(0 - 65535)', '--port', '65536')
        self.assertRefused('请输入用户名!', '--user', '')
        self.assertRefused('请输入密码!', stdin='')
        self.assertEqual(self.json('account', 'list'), [])
        # Twenty bytes (ten Chinese characters) and port 65535 pass.
        self.assertEqual(self.add('--name', '一二三四五六七八九十', '--port', '65535').returncode,
                         0)

    def test_unknown_type_or_encoding_is_a_usage_error(self):
        self.assertEqual(self.add('--api', 'metaweblog').returncode, 2)
        self.assertEqual(self.add('--encoding', 'Big5').returncode, 2)
        self.assertEqual(self.run_cli('account').returncode, 2)
        self.assertEqual(self.run_cli('account', 'rename').returncode, 2)

    def test_connection_test_adds_only_a_working_account(self):
        result = self.add(stdin='wrong\n', flags=['--test'])
        self.assertEqual(result.returncode, 1)
        self.assertIn('[4000]', result.stderr)  # the server's fault, as the dialog shows it
        self.assertIn('用户名或密码错误', result.stderr)
        self.assertIn('not added', result.stderr)
        self.assertEqual(self.json('account', 'list'), [])

        result = self.add(flags=['--test'])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn('用户有效', result.stderr)
        self.assertTrue(any('blogger.getUsersBlogs' in body for body in self.requests()))
        self.assertEqual([a['name'] for a in self.json('account', 'list')], ['甲'])

    def test_duplicate_names_are_refused(self):
        self.assertEqual(self.add().returncode, 0)
        self.assertRefused('已经有这个账户名了!')
        self.assertEqual(len(self.json('account', 'list')), 1)

    def test_list_show_and_tree_codes(self):
        self.assertEqual(self.add().returncode, 0)
        second = self.json('account', 'add', '--name', '乙', '--description', '第二',
                           '--api', 'Blogger', '--encoding', 'GB2312',
                           '--url', 'https://127.0.0.1/xmlrpc', '--user', 'bob', stdin='pw\n')
        self.assertEqual(second, [{'index': 1, 'name': '乙', 'tree_code': 1100}])
        shown = self.json('account', 'show', '乙')[0]
        self.assertEqual(shown['port'], '443')  # an https address without port
        self.assertEqual(shown['encoding'], 'GB2312')
        self.assertEqual(shown['recent'], 5)
        self.assertEqual(shown['drafts'], 0)
        self.assertNotIn('password', shown)
        listed = self.json('account', 'list')
        self.assertEqual([(a['index'], a['name'], a['api']) for a in listed],
                         [(0, '甲', 'MetaWeblog'), (1, '乙', 'Blogger')])
        self.fails(1, "no account '丙'", 'account', 'show', '丙')

    def test_msn_spaces_takes_its_fixed_secure_address(self):
        result = self.add('--api', 'MSN Spaces', '--url', None)
        self.assertEqual(result.returncode, 0, result.stderr)
        shown = self.json('account', 'show', '甲')[0]
        self.assertTrue(shown['url'].startswith('https://'))
        self.assertTrue(shown['url'].endswith('/storageservice/MetaWeblog.rpc'))
        self.assertEqual(shown['port'], '443')

    def test_settings_are_checked_before_anything_is_written(self):
        self.assertEqual(self.add().returncode, 0)
        self.assertEqual(self.add('--name', '乙').returncode, 0)
        config = os.path.join(self.root, 'data', 'config', 'userConfig.xml')
        with open(config, 'rb') as f:
            before = f.read()
        self.fails(1, '请输入一个介于 1 和 999 之间的整数。', 'account', 'set', '甲',
                   '--recent', '1000', '--description', '新的')
        self.fails(1, '请输入XML-RPC地址!', 'account', 'set', '甲', '--url', '')
        self.fails(1, '请输入账户描述', 'account', 'set', '甲', '--description', '')
        self.fails(2, 'not another registered account', 'account', 'set', '甲',
                   '--relation', '甲')
        with open(config, 'rb') as f:
            self.assertEqual(f.read(), before)

        shown = self.json('account', 'set', '甲', '--recent', '20', '--description', '新的描述',
                          '--relation', '乙', '--encoding', 'GB2312')[0]
        self.assertEqual((shown['recent'], shown['description'], shown['relations'],
                          shown['encoding']), (20, '新的描述', ['乙'], 'GB2312'))
        # A new password comes from standard input and is used by the next call.
        self.ok('account', 'set', '甲', '--password', stdin='changed\n')
        self.fails(1, '用户名或密码错误', 'fetch-recent', '甲')
        self.ok('account', 'set', '甲', '--password', stdin=PASSWORD + '\n')
        self.ok('fetch-recent', '甲')

    def test_delete_asks_for_the_blog_password_and_removes_the_articles(self):
        self.assertEqual(self.add().returncode, 0)
        self.assertEqual(self.add('--name', '乙').returncode, 0)
        self.ok('account', 'set', '乙', '--relation', '甲')
        draft = self.new_article('甲', '草稿', '<p>内容</p>')
        self.fails(1, '请输入密码!', 'account', 'delete', '甲', stdin='')
        self.fails(1, '密码错误!', 'account', 'delete', '甲', stdin='nope\n')
        self.assertIsNotNone(self.folder_of(draft))
        self.ok('account', 'delete', '甲', stdin=PASSWORD + '\n')
        self.assertEqual([a['name'] for a in self.json('account', 'list')], ['乙'])
        self.assertIsNone(self.folder_of(draft))
        self.assertEqual(self.json('account', 'show', '乙')[0]['relations'], [])


    def test_address_port_scheme_and_missing_options(self):
        # The port written in the address is the account's port when --port is not given.
        self.assertEqual(self.add('--url', self.url()).returncode, 0)
        self.assertEqual(self.json('account', 'show', '甲')[0]['port'], str(self.port))
        for url, message in (('127.0.0.1/RPC2', 'has no scheme: write http://127.0.0.1/RPC2'),
                             ('ftp://127.0.0.1/RPC2', 'is not an http:// or https:// address')):
            result = self.add('--name', '乙', '--url', url)
            self.assertEqual(result.returncode, 2, result.stderr)
            self.assertIn(message, result.stderr)
        for option in ('--user', '--name', '--description', '--url'):
            result = self.add('--name', '乙', option, None)
            self.assertEqual(result.returncode, 2, result.stderr)
            self.assertIn(option + ' is required', result.stderr)
        self.fails(1, "no account 'nobody'", 'account', 'show', 'nobody')
        self.fails(1, "no account 'nobody'", 'account', 'delete', 'nobody', stdin='x\n')
        self.assertEqual([a['name'] for a in self.json('account', 'list')], ['甲'])

    def test_password_prompt_hides_the_typing_on_a_terminal(self):
        main, secondary = pty.openpty()
        self.addCleanup(os.close, main)
        command = [self.cli, '--root', os.path.join(self.root, 'data'), 'account', 'add',
                   '--name', '甲', '--description', 'd', '--url', self.url(), '--user', USER]
        child = subprocess.Popen(command, stdin=secondary, stdout=subprocess.PIPE,
                                 stderr=secondary)
        self.addCleanup(lambda: child.poll() is None and child.kill())
        os.close(secondary)
        seen = b''
        deadline = time.monotonic() + 30
        while b'password' not in seen.lower() and time.monotonic() < deadline:
            if select.select([main], [], [], 1)[0]:
                seen += os.read(main, 1024)
        self.assertIn(b'Blog password for alice: ', seen)
        os.write(main, (PASSWORD + '\n').encode())
        out, _ = child.communicate(timeout=30)
        while select.select([main], [], [], 0.2)[0]:
            try:
                chunk = os.read(main, 1024)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
        self.assertEqual(child.returncode, 0, seen)
        self.assertNotIn(PASSWORD.encode(), seen)
        self.assertIn('甲', out.decode())
        # The password typed there is the one stored: deleting the account asks for it.
        self.fails(1, '密码错误!', 'account', 'delete', '甲', stdin='wrong\n')
        self.assertEqual(self.run_cli('account', 'delete', '甲', stdin=PASSWORD + '\n').returncode,
                         0)

if __name__ == '__main__':
    unittest.main()
