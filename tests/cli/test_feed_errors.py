#!/usr/bin/env python3
"""zirvo-cli refusing bad input and surviving failures: messages, exit codes, untouched files."""

import json
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from feed_cli_fixture import FeedCliTestCase, rss  # noqa: E402

NOT_WEB = 'RSS地址必须是以 http:// 或 https:// 开头的网络地址!'


class ErrorsTest(FeedCliTestCase):

    def test_AddRefusesWhatTheAddDialogRefuses(self):
        good = self.url('/corpus/heraldsun.rss')
        self.fails(2, '请输入RSS地址', 'add', '')
        self.fails(2, '请输入RSS地址', 'add', '', '--title', 'T')
        self.fails(2, '请输入频道名称', 'add', good, '--title', '')
        self.fails(2, '您输入了无效的字符!', 'add', self.url('/a<b'))
        self.fails(2, '您输入了无效的字符!', 'add', good, '--title', 'a>b')
        self.fails(2, '您输入了无效的字符!', 'add', good, '--title', 'T', '--home', 'http://h/<')
        for address in ('file:///etc/passwd', 'ftp://127.0.0.1/feed.xml', 'javascript:alert(1)',
                        'http://', 'HTTP//127.0.0.1/x'):
            self.fails(2, NOT_WEB, 'add', address)
            self.fails(2, NOT_WEB, 'add', address, '--title', 'T')
        result = self.fails(2, NOT_WEB, 'add', '127.0.0.1/feed.xml')
        self.assertIn('has no scheme', result.stderr)
        self.fails(2, 'no channel with id #1', 'add', good, '--title', 'T', '--folder', '#1')
        self.assertEqual(self.json('tree'), [])
        # An address in capitals is still a web address.
        self.assertEqual(self.add('/corpus/heraldsun.rss', 'Herald')['path'], 'Herald')
        self.assertEqual(self.json('add', 'HTTPS://127.0.0.1:1/x', '--title', 'Caps')[0]['path'],
                         'Caps')

    def test_AddWarnsAboutAnAddressAlreadySubscribed(self):
        herald = self.add('/corpus/heraldsun.rss', 'Herald')
        self.ok('mkdir', 'Folder')
        result = self.run_cli('--json', 'add', self.url('/corpus/heraldsun.rss'), '--title',
                              'Again', '--folder', 'Folder')
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn('该频道已经订阅: Herald', result.stderr)
        again = json.loads(result.stdout)[0]
        # One address, one row: both places show the same items.
        self.assertEqual(again['path'], 'Folder/Again')
        self.assertEqual(again['feed_id'], herald['feed_id'])
        self.ok('rm', 'Herald')
        self.assertEqual([r['path'] for r in self.json('tree')], ['Folder', 'Folder/Again'])

    def test_AddWithoutTitleFailsWhenTheFeedHasNone(self):
        # Only a feed without a title is helped by --title; other failures say what happened.
        self.put('/site/untitled.xml', rss('', [('http://x/1', 'one', '', '')]))
        result = self.fails(1, '无法获取标题!', 'add', self.url('/site/untitled.xml'))
        self.assertIn('give one with --title', result.stderr)
        for path, message in (('/status/404', 'the server answered HTTP 404'),
                              ('/html', 'is not a feed'), ('/empty', 'is not a feed')):
            result = self.fails(1, message, 'add', self.url(path))
            self.assertIn(self.url(path), result.stderr)
            self.assertNotIn('--title', result.stderr)
        closed = 'http://127.0.0.1:1/feed.xml'
        result = self.fails(1, 'cannot fetch ' + closed, 'add', closed)
        self.assertNotIn('--title', result.stderr)
        self.assertEqual(self.json('tree'), [])

    def test_BadPathsFiltersAndNumbersAreUsageErrors(self):
        self.add('/corpus/heraldsun.rss', 'Herald')
        self.ok('receive', 'Herald')
        cases = [
            ("no channel or folder 'Nope'", ['list', 'Nope']),
            ('no channel with id #99', ['list', '#99']),
            ('is not a channel id', ['list', '#x']),
            ('--filter: fresh not in {all,unread,read,new}',
             ['list', 'Herald', '--filter', 'fresh']),
            ('--page needs a whole number', ['list', 'Herald', '--page', '0']),
            ('--page needs a whole number', ['list', 'Herald', '--page', 'two']),
            ('not expected: --colour', ['list', 'Herald', '--colour']),
            ('ITEM_ID is required', ['show']),
            ('not expected: Extra', ['rename', 'Herald', 'New', 'Extra']),
            ('is not an item id', ['show', 'abc']),
            ('--jobs needs a whole number from 1 to 64', ['receive', '--all', '--jobs', '0']),
            ('give --all, --weighted or PATHs', ['receive']),
            ('give --all, --weighted or PATHs', ['receive', '--all', 'Herald']),
            ("no channel or folder 'Nope'", ['receive', 'Herald', 'Nope']),
            ('请输入频道名称', ['rename', 'Herald', '']),
            ('您输入了无效的字符!', ['rename', 'Herald', '<b>']),
            ('请输入目录名称', ['mkdir', '']),
            ('give one of --to, --before, --up', ['mv', 'Herald']),
            ('is a channel, not a folder', ['mv', 'Herald', '--to', 'Herald']),
            ('name a channel or folder, not the top level', ['rm', '/']),
            ('no channel or folder', ['export-opml', os.path.join(self.root, 'x.opml'), 'Nope']),
        ]
        for message, args in cases:
            with self.subTest(args=args):
                self.fails(2, message, *args)
        # A well-formed id of nothing is not a usage error: the item is not there.
        self.fails(1, 'no item 999', 'show', '999')
        self.fails(1, 'no item 999', 'read', '1', '999')
        # "read 1 999" changed nothing: every target is checked first.
        self.assertEqual(self.json('list', 'Herald', '--filter', 'read'), [])
        unknown = self.run_cli('frobnicate')
        self.assertEqual(unknown.returncode, 2)
        self.assertIn("unknown command 'frobnicate'", unknown.stderr)
        self.assertNotIn('did you mean', unknown.stderr)
        for typed, meant in (('lsit', 'list'), ('recieve', 'receive'), ('tre', 'tree')):
            mistyped = self.run_cli(typed, 'Herald')
            self.assertEqual(mistyped.returncode, 2)
            self.assertIn("did you mean '%s'?" % meant, mistyped.stderr)
        self.assertIn("did you mean 'add'?", self.run_cli('fav', 'ad', '1').stderr)

    def test_UnreadableSubscriptionFileStopsEveryTreeCommand(self):
        with open(self.opml_path, 'w') as f:
            f.write('<opml><body><outline title="cut')
        for args in (['tree'], ['add', self.url('/corpus/heraldsun.rss'), '--title', 'H'],
                     ['mkdir', 'F'], ['receive', '--all'], ['list'], ['search', 'x'],
                     ['import-opml', self.url('/corpus/heraldsun.rss')]):
            with self.subTest(args=args):
                result = self.fails(1, '[8000]', *args)
                self.assertIn('无法读取订阅文件', result.stderr)

    def help_of(self, *command):
        result = self.run_cli(*command, '--help')
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    @staticmethod
    def listed_commands(help_text):
        if 'Subcommands:\n' not in help_text:
            return []
        section = help_text.split('Subcommands:\n', 1)[1].split('\n\n', 1)[0]
        return [line.split()[0] for line in section.splitlines()
                if line.startswith('  ') and not line.startswith('   ')]

    def test_EveryCommandHasHelpEndingWithExamples(self):
        commands = self.listed_commands(self.help_of())
        for expected in ('tree', 'add', 'receive', 'list', 'show', 'fav', 'account', 'article'):
            self.assertIn(expected, commands)
        every = [[c] for c in commands]
        every += [[c, sub] for c in commands for sub in self.listed_commands(self.help_of(c))]
        for command in every:
            with self.subTest(command=command):
                text = self.help_of(*command)
                self.assertIn('Usage: zirvo-cli ' + ' '.join(command), text)
                # The examples come last: two or three command lines, each explained.
                tail = text.rstrip('\n').split('\nExamples:\n')
                self.assertEqual(len(tail), 2, text)
                lines = tail[1].splitlines()
                examples = [line for line in lines
                            if line.startswith('  ') and not line.startswith('   ')]
                self.assertTrue(all('zirvo-cli' in line for line in examples), text)
                self.assertIn(len(examples), (2, 3), text)
                self.assertEqual(len(lines), 2 * len(examples), text)
        version = self.run_cli('--version')
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, r'^zirvo-cli \d+\.\d+')

    def test_FailingChannelsGiveExitOneWhileTheOthersAreReceived(self):
        self.add('/corpus/gb2312-news.xml', 'Good one')
        self.add('/status/500', 'Server error')
        self.add('/html', 'Web page')
        self.add('/status/404', 'Not found')
        self.add('/truncated', 'Cut short')
        self.json('add', 'http://127.0.0.1:1/closed', '--title', 'Closed port')
        self.add('/corpus/heraldsun.rss', 'Good two')
        result = self.run_cli('receive', '--all', '--jobs', '3', json_output=True)
        self.assertEqual(result.returncode, 1, result.stderr)
        outcomes = {r['path']: r for r in json.loads(result.stdout)}
        self.assertEqual(len(outcomes), 7)
        self.assertEqual({p for p, r in outcomes.items() if r['ok']}, {'Good one', 'Good two'})
        for path in ('Server error', 'Web page', 'Not found', 'Cut short', 'Closed port'):
            self.assertIs(outcomes[path]['ok'], False)
            self.assertTrue(outcomes[path]['error'])
        self.assertIn('received 2 channels, 5 failed', result.stderr)
        self.assertIn('5 channels failed', result.stderr)
        # Named one by one, two at a time: the same outcomes.
        named = self.json('receive', *sorted(outcomes), '--jobs', '2', code=1)
        self.assertEqual({r['path']: r['ok'] for r in named},
                         {p: r['ok'] for p, r in outcomes.items()})
        self.assertEqual(len(self.json('list', 'Good one')), 3)
        self.assertEqual(len(self.json('list', 'Good two')), 2)
        self.assertEqual(self.json('list', 'Server error'), [])
        # Text mode: one line per channel and the summary.
        text = self.run_cli('receive', 'Good one', 'Web page')
        self.assertEqual(text.returncode, 1)
        lines = text.stdout.splitlines()
        self.assertEqual(sorted(line.split('\t')[0] for line in lines), ['false', 'true'])
        self.assertIn('received 1 channel, 1 failed', text.stderr)
        self.assertEqual(self.run_cli('receive', 'Good one').returncode, 0)

    def test_TreeSaysWhyAChannelFailedAndAnUnchangedFeedIsNotModified(self):
        self.add('/status/500', 'Broken')
        self.add('/cond?feed=/corpus/heraldsun.rss&etag=one', 'Tagged')
        self.add('/busy?code=503&retry=600', 'Busy')
        before = {r['path']: r for r in self.json('tree')}
        self.assertIsNone(before['Broken']['last_fetch'])
        self.assertIsNone(before['Broken']['last_fetch_message'])
        self.json('receive', '--all', code=1)
        tree = {r['path']: r for r in self.json('tree')}
        self.assertIs(tree['Broken']['last_fetch_ok'], False)
        self.assertIn('HTTP 500', tree['Broken']['last_fetch_message'])
        self.assertRegex(tree['Broken']['last_fetch'], r'^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$')
        self.assertIs(tree['Tagged']['last_fetch_ok'], True)
        self.assertIn('网站繁忙（HTTP 503），要求等待 600 秒', tree['Busy']['last_fetch_message'])
        self.assertIsNotNone(tree['Busy']['not_before'])
        # The plain form keeps its five columns.
        self.assertEqual(len(self.run_cli('tree').stdout.splitlines()[0].split('\t')), 5)

        again = {r['path']: r for r in self.json('receive', 'Tagged')}
        self.assertIs(again['Tagged']['ok'], True)
        self.assertIs(again['Tagged']['not_modified'], True)
        self.assertEqual(len(self.json('list', 'Tagged')), 2)
        # A scheduled run passes over the busy site; the user's own receive asks it again.
        scheduled = {r['path'] for r in self.json('receive', '--all', '--scheduled', code=1)}
        self.assertNotIn('Busy', scheduled)
        self.assertIn('Broken', scheduled)
        self.json('receive', 'Busy', code=1)

    def test_FailedEditsLeaveTheStoreAndTheFileAsTheyWere(self):
        if os.geteuid() != 0:
            self.skipTest('needs root to hand the subscription file to another user')
        self.add('/corpus/heraldsun.rss', 'Herald')
        self.ok('receive', 'Herald')
        self.ok('fav', 'add', '1')
        # The files belong to nobody, except the subscription file and its folder, which stay
        # root's: nobody may write the store but not replace the file.
        subprocess.run(['chown', '-R', '65534:65534', self.root], check=True)
        storage = os.path.join(self.root, 'Storage')
        os.chown(storage, 0, 0)
        os.chown(self.opml_path, 0, 0)
        os.chown(self.fav_path, 0, 0)
        os.chmod(storage, 0o1777)
        self.wrapper = ['setpriv', '--reuid=65534', '--regid=65534', '--clear-groups']
        reachable = self.run_cli('tree')
        if reachable.returncode != 0:
            self.wrapper = []
            self.skipTest('the other user cannot run zirvo-cli here: ' + reachable.stderr)
        try:
            self.fails(1, '删除失败!', 'rm', 'Herald')
            self.fails(1, '添加失败!', 'add', self.url('/gen/2'), '--title', 'New')
            self.fails(1, '添加失败!', 'mkdir', 'Folder')
            self.fails(1, '删除失败!', 'fav', 'rm', '收藏夹')
            self.fails(1, '添加失败!', 'fav', 'mknode', 'More')
            # The store itself is writable: what kept it unchanged was writing the file first.
            self.ok('read', 'Herald')
        finally:
            self.wrapper = []
        self.assertEqual(len(self.json('list', 'Herald')), 2)
        self.assertEqual(len(self.json('fav', 'list')), 1)


if __name__ == '__main__':
    unittest.main(verbosity=2)
