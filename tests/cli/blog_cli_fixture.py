"""Shared set-up of the blog tests of zirvo-cli.

Each test gets a fresh data root and its own loopback blog service
(tests/support/blog_server.py, plain HTTP, or HTTPS with the test certificate when the class
sets `tls`); both are removed by clean-ups registered as soon as they exist. Helpers run
zirvo-cli, read what the server was sent, and look into Storage/blog.db.
"""

import glob
import json
import os
import re
import shutil
import sqlite3
import ssl
import subprocess
import sys
import tempfile
import unittest
import xmlrpc.client

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get('ZIRVO_SOURCE_DIR') or os.path.dirname(os.path.dirname(HERE))
SERVER = os.path.join(SOURCE, 'tests', 'support', 'blog_server.py')
CERT = os.path.join(SOURCE, 'tests', 'data', 'blogapi', 'loopback-cert.pem')
KEY = os.path.join(SOURCE, 'tests', 'data', 'blogapi', 'loopback-key.pem')
USER = 'alice'
PASSWORD = 'secret'
sys.path.insert(0, os.path.join(SOURCE, 'tests', 'support'))
from loopback import start_server  # noqa: E402

DECLARATION = re.compile(rb'^\s*<\?xml[^>]*?encoding\s*=\s*["\']([^"\']+)["\']')


def find_cli():
    if os.environ.get('ZIRVO_CLI'):
        return os.environ['ZIRVO_CLI']
    found = sorted(glob.glob(os.path.join(SOURCE, 'build*', 'src', 'cli', 'zirvo-cli')),
                   key=os.path.getmtime, reverse=True)
    if not found:
        raise unittest.SkipTest('zirvo-cli not built (set ZIRVO_CLI)')
    return found[0]


class BlogCliTestCase(unittest.TestCase):
    """A data root, a blog server, and helpers to run zirvo-cli against them."""

    tls = False
    server_options = []  # shape options of blog_server.py (--wordpress, --seed-posts N, ...)
    # The time zone zirvo-cli runs in: China time, where local dates become UTC eight hours
    # earlier (a POSIX zone text, so that no zone database is needed).
    time_zone = 'CST-8'

    def setUp(self):
        self.cli = find_cli()
        self.root = tempfile.mkdtemp(prefix='zirvo-cli-blog-')
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.record_dir = os.path.join(self.root, 'server-requests')
        os.makedirs(self.record_dir)
        command = [sys.executable, SERVER, '--record-dir', self.record_dir,
                   '--user', USER, '--password', PASSWORD]
        if self.tls:
            command += ['--tls', CERT, KEY]
        command += list(self.server_options)
        self.server, self.port = start_server(self, command)

    # ---- running the CLI ----------------------------------------------------------------------

    def run_cli(self, *args, stdin='', json_output=False):
        command = [self.cli, '--root', os.path.join(self.root, 'data')]
        command += ['--json'] if json_output else []
        env = dict(os.environ)
        env['TZ'] = self.time_zone
        if self.tls:
            env['ZIRVO_CA_FILE'] = CERT
        return subprocess.run(command + [str(a) for a in args], input=stdin, capture_output=True, text=True,
                              timeout=60, env=env)

    def ok(self, *args, stdin=''):
        """Runs a command that must succeed; returns its records (tab-split lines)."""
        result = self.run_cli(*args, stdin=stdin)
        self.assertEqual(result.returncode, 0, '%s: %s' % (args, result.stderr))
        return [line.split('\t') for line in result.stdout.splitlines() if line]

    def json(self, *args, stdin='', code=0):
        result = self.run_cli(*args, stdin=stdin, json_output=True)
        self.assertEqual(result.returncode, code, '%s: %s' % (args, result.stderr))
        return json.loads(result.stdout)

    def fails(self, code, message, *args, stdin=''):
        """Runs a command that must fail with `code` and say `message` on stderr."""
        result = self.run_cli(*args, stdin=stdin)
        self.assertEqual(result.returncode, code,
                         '%s: expected %d, got %d: %s' % (args, code, result.returncode,
                                                          result.stderr))
        self.assertIn(message, result.stderr, args)
        return result

    # ---- accounts and articles ----------------------------------------------------------------

    def url(self, path='/RPC2'):
        return '%s://127.0.0.1:%d%s' % ('https' if self.tls else 'http', self.port, path)

    def add_account(self, name, api='MetaWeblog', path='/RPC2', encoding='UTF-8'):
        self.ok('account', 'add', '--name', name, '--description', '账户' + name, '--api', api,
                '--encoding', encoding, '--url', self.url(path), '--user', USER,
                stdin=PASSWORD + '\n')

    def new_article(self, account, title, content, *extra):
        records = self.json('article', 'new', '--account', account, '--title', title,
                            '--content-file', '-', *extra, stdin=content)
        return records[0]['id']

    def article(self, article_id):
        return self.json('article', 'show', str(article_id))[0]

    # ---- what the server and the store hold ---------------------------------------------------

    def requests(self, method=None):
        """The bodies of the recorded requests, decoded by their declaration, in order."""
        bodies = []
        for head in sorted(glob.glob(os.path.join(self.record_dir, '*.head'))):
            with open(head[:-5] + '.body', 'rb') as f:
                raw = f.read()
            match = DECLARATION.match(raw)
            encoding = match.group(1).decode().lower() if match else 'utf-8'
            text = raw.decode('gb18030' if encoding in ('gb2312', 'gbk', 'gb18030') else 'utf-8')
            if method is None or '<methodName>%s</methodName>' % method in text:
                bodies.append(text)
        return bodies

    def server_post_ids(self):
        """The ids of the posts the server holds, newest first (asked outside zirvo-cli)."""
        context = ssl.create_default_context(cafile=CERT) if self.tls else None
        server = xmlrpc.client.ServerProxy(self.url(), context=context)
        return [p['postid'] for p in server.metaWeblog.getRecentPosts('1', USER, PASSWORD, 100)]

    def raw_requests(self):
        out = []
        for head in sorted(glob.glob(os.path.join(self.record_dir, '*.head'))):
            with open(head[:-5] + '.body', 'rb') as f:
                out.append(f.read())
        return out

    def rows(self, sql, *params):
        db = sqlite3.connect(os.path.join(self.root, 'data', 'Storage', 'blog.db'))
        try:
            return db.execute(sql, params).fetchall()
        finally:
            db.close()

    def folder_of(self, article_id):
        found = self.rows('SELECT log_property, log_guid FROM blog_article WHERE log_id = ?',
                          article_id)
        return found[0] if found else None
