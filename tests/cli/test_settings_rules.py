"""zirvo-cli config, batch, clean and help-page: the settings pages' and dialogs' rules.

Each test has its own data root; the feed tests serve their own feeds from a temporary folder
through tests/support/feed_server.py on 127.0.0.1, so nothing here needs the shared corpus.
"""

import email.utils
import json
import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import SERVER, FeedCliTestCase, digest, find_cli, rss  # noqa: E402
from loopback import start_server  # noqa: E402

OPML = '''<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0"><head><title>test</title></head><body>
  <outline title="新闻">
    <outline title="A" xmlUrl="{a}">
      <outline title="B" xmlUrl="{b}"/>
    </outline>
    <outline title="内">
      <outline title="C" xmlUrl="{c}"/>
    </outline>
  </outline>
  <outline title="O" xmlUrl="{o}"/>
  <outline title="空"/>
</body></opml>
'''


def rfc822(days_ago):
    return email.utils.formatdate(time.time() - days_ago * 86400, usegmt=True)


class ConfigTest(FeedCliTestCase):
    """config and help-page need no feed site."""

    def setUp(self):
        self.cli = find_cli()
        self.wrapper = []
        self.root = tempfile.mkdtemp(prefix='zirvo-cli-config-')
        self.addCleanup(shutil.rmtree, self.root, True)
        self.ok('config')  # seeds the root

    def tearDown(self):
        pass  # no feed site; the root goes with addCleanup

    @property
    def config_path(self):
        return os.path.join(self.root, 'config', 'appConfig.xml')

    def value(self, key):
        return self.json('config', key)[0]['value']

    def refused(self, message, key, value):
        before = digest(self.config_path)
        result = self.run_cli('config', key, value)
        self.assertEqual(result.returncode, 2, (key, value, result.stdout, result.stderr))
        self.assertIn(message, result.stderr)
        self.assertEqual(digest(self.config_path), before, '%s=%s changed the file' % (key, value))

    def test_ListsEverySettingAGroupOrOneByItsPath(self):
        every = {r['key']: r['value'] for r in self.json('config')}
        self.assertEqual(every['rss/paginationnum'], '50')
        self.assertEqual(every['rss/articlestyle'], '默认')
        self.assertIn('wndpos/leftframewidth', every)
        proxy = [r['key'] for r in self.json('config', 'proxy')]
        self.assertEqual(proxy, ['proxy/use', 'proxy/localporxyuse', 'proxy/server',
                                 'proxy/port', 'proxy/username', 'proxy/password'])
        for form in ('rss/paginationnum', '/app/rss/paginationnum', 'app/rss/paginationnum'):
            self.assertEqual(self.value(form), '50')
        self.assertEqual(self.ok('config', 'outbarmode'), [['outbarmode', '1']])

    def test_PageSizeOfFifteenIsRefusedWithThePagesText(self):
        self.refused('分页数需在 30~1000 之间', 'rss/paginationnum', '15')
        self.refused('分页数需在 30~1000 之间', 'rss/paginationnum', '1001')
        self.assertEqual(self.json('config', 'rss/paginationnum', '30')[0]['value'], '30')
        self.assertEqual(self.value('rss/paginationnum'), '30')
        with open(self.config_path, encoding='utf-8') as f:
            self.assertIn('<paginationnum>30</paginationnum>', f.read())

    def test_EveryPageRangeHolds(self):
        self.refused('分钟数需在 5~1440 之间', 'rss/autoreceivetime', '4')
        self.refused('不是合理的存储数量!', 'rss/storagenum', '9')
        self.refused('请选择一个设置', 'rss/storagetype', '0')
        self.refused('请输入 0 或 1', 'rss/autoreceive', 'yes')
        self.refused('颜色值需在 0~16777215 之间', 'rss/titlereadcolor', '-1')
        self.refused('您输入了无效的字符!', 'rss/articlestyle', '../x')
        self.assertEqual(self.json('config', 'rss/autoreceivetime', ' 1440 ')[0]['value'],
                         '1440')
        self.assertEqual(self.json('config', 'rss/storagenum', '10')[0]['value'], '10')

    def test_ProxyPageRules(self):
        self.refused('请输入代理服务器地址!', 'proxy/use', '1')
        self.json('config', 'proxy/server', 'proxy.lan')
        self.json('config', 'proxy/use', '1')
        self.refused('请输入代理服务器地址!', 'proxy/server', ' ')
        self.refused('端口号需在 1~65535 之间', 'proxy/port', '70000')
        self.assertEqual(self.json('config', 'proxy/port', '03128')[0]['value'], '3128')
        self.assertEqual(self.json('config', 'proxy/port', '')[0]['value'], '')
        self.assertEqual(self.value('proxy/server'), 'proxy.lan')

    def test_DiagnosticFolderIsStoredWithoutTheFileName(self):
        stored = self.json('config', 'debug/out', '/var/tmp/logs/qova_debug.html')[0]['value']
        self.assertEqual(stored, '/var/tmp/logs')
        self.assertEqual(self.json('config', 'debug/out', '/qova_debug.html')[0]['value'], '')

    def test_GroupsUnknownKeysAndBadPaths(self):
        self.refused('只能修改一个设置', 'rss', '1')
        result = self.run_cli('config', 'rss/nosuchsetting')
        self.assertEqual(result.returncode, 1)
        self.assertIn('7001', result.stderr)
        before = digest(self.config_path)
        result = self.run_cli('config', 'rss/x[1]', '1')
        self.assertEqual(result.returncode, 2)
        result = self.run_cli('config', 'a', 'b', 'c')
        self.assertEqual(result.returncode, 2)
        self.assertEqual(digest(self.config_path), before)

    def test_BrokenFileSaysSo(self):
        with open(self.config_path, 'w', encoding='utf-8') as f:
            f.write('<app><rss>')
        result = self.run_cli('config', 'rss/paginationnum', '100')
        self.assertEqual(result.returncode, 1)
        self.assertIn('7000', result.stderr)

    def test_HelpPageIsAFileUnderTheRoot(self):
        address = self.json('help-page')[0]['address']
        self.assertTrue(address.startswith('file://'), address)
        path = address[len('file://'):]
        self.assertTrue(os.path.isfile(path), path)
        self.assertTrue(path.startswith(self.root), path)
        with open(path, encoding='utf-8') as f:
            self.assertIn('帮助', f.read())


class FolderRulesTest(FeedCliTestCase):
    """batch, clean and folder sums over a tree with a channel that holds a channel."""

    def setUp(self):
        self.cli = find_cli()
        self.wrapper = []
        self.root = tempfile.mkdtemp(prefix='zirvo-cli-rules-')
        self.addCleanup(shutil.rmtree, self.root, True)
        site = tempfile.mkdtemp(prefix='zirvo-cli-rules-site-')
        self.addCleanup(shutil.rmtree, site, True)
        self.server, self.port = start_server(self, [sys.executable, SERVER, '--dir', site])
        os.makedirs(os.path.join(self.root, 'Storage'))
        urls = {name: self.url('/feeds/%s.xml' % name) for name in 'abco'}
        with open(self.opml_path, 'w', encoding='utf-8') as f:
            f.write(OPML.format(**urls))
        # Each feed: two items of last year, one of yesterday.
        for name in 'abco':
            self.put('/feeds/%s.xml' % name, rss(name.upper(), [
                ('http://127.0.0.1/%s/old1' % name, name + ' old 1', rfc822(400), 'x'),
                ('http://127.0.0.1/%s/old2' % name, name + ' old 2', rfc822(300), 'x'),
                ('http://127.0.0.1/%s/new' % name, name + ' new', rfc822(1), 'x')]))
        # One by one: a folder walk passes over a channel that holds children, and a channel
        # named with its parent channel counts as covered by it.
        for path in ('新闻/A', '新闻/A/B', '新闻/内/C', 'O'):
            self.ok('receive', path)

    def tearDown(self):
        pass  # the feed site and the folders go with addCleanup

    def unread(self):
        return {r['path']: int(r['unread']) for r in self.json('tree')}

    def props(self, path):
        return self.json('set', path)[0]

    def test_FolderSumsCountTheChannelBelowAChannel(self):
        counts = self.unread()
        self.assertEqual(counts['新闻/A'], 3)
        self.assertEqual(counts['新闻/A/B'], 3)
        self.assertEqual(counts['新闻/内'], 3)
        self.assertEqual(counts['新闻'], 9)

    def test_BatchSetsEveryChannelBelowTheFolderOnly(self):
        rows = self.json('batch', '新闻', '--rank', 'always')
        self.assertEqual(sorted(r['path'] for r in rows), ['新闻/A', '新闻/A/B', '新闻/内/C'])
        for path in ('新闻/A', '新闻/A/B', '新闻/内/C'):
            self.assertEqual(self.props(path)['rank'], 'always', path)
            self.assertEqual(self.props(path)['auto_update'], 'on', path)
        self.assertEqual(self.props('O')['rank'], 'weight')

        result = self.run_cli('batch', '新闻', '--all', '--storage', 'count', '--count', '500',
                              '--notice', 'on', '--auto-update', 'off')
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn('设置完毕!', result.stderr)
        for path in ('新闻/A', '新闻/A/B', '新闻/内/C'):
            p = self.props(path)
            self.assertEqual((p['rank'], p['notice'], p['auto_update'], p['storage']),
                             ('always', 'on', 'off', '500'), path)
        self.assertEqual(self.props('O')['notice'], 'off')

    def test_BatchStorageChecksLikeTheStoragePage(self):
        self.fails(2, '不是合理的存储数量!', 'batch', '新闻', '--storage', 'count', '--count', '9')
        self.fails(2, '不是合理的存储数量!', 'batch', '新闻', '--all', '--rank', 'always',
                   '--count', 'many')
        self.assertEqual(self.props('新闻/A')['rank'], 'weight')
        self.json('batch', '新闻/内', '--storage', 'global', '--count', '300')
        self.assertEqual(self.props('新闻/内/C')['storage'], 'global')
        self.fails(2, 'is a channel', 'batch', 'O', '--rank', 'always')

    def test_CleanChecksDaysAndRecountsOnlyTheCleanedChannels(self):
        self.fails(2, '请输入 0 ~ 365 间的数字', 'clean', '--days', '366', '新闻')
        self.fails(2, '请输入 0 ~ 365 间的数字', 'clean', '--days', 'soon', '新闻')
        self.fails(2, '请选择至少一个要清理的频道!', 'clean', '--days', '7', '空')
        result = self.run_cli('--json', 'clean', '--days', '30', '--include-unread', '新闻')
        self.assertEqual(result.returncode, 0, result.stderr)
        rows = json.loads(result.stdout)
        self.assertEqual(sorted((r['path'], r['removed'], r['unread']) for r in rows),
                         [('新闻/A', 2, 1), ('新闻/A/B', 2, 1), ('新闻/内/C', 2, 1)])
        self.assertIn('清理完成!', result.stderr)
        counts = self.unread()
        self.assertEqual(counts['新闻'], 3)
        self.assertEqual(counts['O'], 3)  # not cleaned, not zeroed
        self.assertEqual(len(self.json('list', 'O')), 3)


if __name__ == '__main__':
    unittest.main(verbosity=2)
