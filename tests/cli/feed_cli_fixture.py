"""Shared set-up of the feed-reader tests of zirvo-cli.

Each test gets a fresh data root whose subscription file starts empty (the shipped one lists
channels on the internet, and these tests never leave 127.0.0.1), and a loopback feed site
(tests/support/feed_server.py) serving the feeds written for the tests (tests/data/feeds).
Both are removed by clean-ups registered as soon as they exist, so a failing set-up leaves
nothing behind.
"""

import ctypes
import ctypes.util
import glob
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get('ZIRVO_SOURCE_DIR') or os.path.dirname(os.path.dirname(HERE))
SERVER = os.path.join(SOURCE, 'tests', 'support', 'feed_server.py')
FEEDS = os.path.join(SOURCE, 'tests', 'data', 'feeds')
sys.path.insert(0, os.path.join(SOURCE, 'tests', 'support'))
from loopback import start_server  # noqa: E402

EMPTY_OPML = ('<?xml version="1.0" encoding="UTF-8"?>\n'
              '<opml version="1.0"><head><title>test</title></head><body></body></opml>\n')


def find_cli():
    if os.environ.get('ZIRVO_CLI'):
        return os.environ['ZIRVO_CLI']
    found = sorted(glob.glob(os.path.join(SOURCE, 'build*', 'src', 'cli', 'zirvo-cli')),
                   key=os.path.getmtime, reverse=True)
    if not found:
        raise unittest.SkipTest('zirvo-cli not built (set ZIRVO_CLI)')
    return found[0]


def find_fts_extension():
    if os.environ.get('ZIRVO_FTS_EXTENSION'):
        return os.environ['ZIRVO_FTS_EXTENSION']
    found = sorted(glob.glob(os.path.join(SOURCE, 'build*', 'src', 'sqlite_ext', 'libzirvo_fts.so')),
                   key=os.path.getmtime, reverse=True)
    if not found:
        raise unittest.SkipTest('libzirvo_fts.so not built (set ZIRVO_FTS_EXTENSION)')
    return found[0]


def digest(path):
    if not os.path.exists(path):
        return None
    with open(path, 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()


class FeedCliTestCase(unittest.TestCase):
    """A data root, a feed site, and helpers to run zirvo-cli against them."""

    def setUp(self):
        self.cli = find_cli()
        self.wrapper = []  # a command the CLI runs under (another user, for instance)
        self.root = tempfile.mkdtemp(prefix='zirvo-cli-feeds-')
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.prepare_root(self.root)
        self.server, self.port = start_server(self, [sys.executable, SERVER, '--dir', FEEDS])
        self.ok('tree')  # seeds the rest of the root, so that later digests compare like with like

    @staticmethod
    def prepare_root(root):
        """A data root whose subscription file starts empty (the rest is seeded on first use)."""
        os.makedirs(os.path.join(root, 'Storage'))
        with open(os.path.join(root, 'Storage', 'rssreader.opml'), 'w', encoding='utf-8') as f:
            f.write(EMPTY_OPML)
        return root

    # ---- paths and the feed site --------------------------------------------------------------

    @property
    def opml_path(self):
        return os.path.join(self.root, 'Storage', 'rssreader.opml')

    @property
    def fav_path(self):
        return os.path.join(self.root, 'Storage', 'rssFavorite.opml')

    @property
    def db_path(self):
        return os.path.join(self.root, 'Storage', 'rss.db')

    def run_sql(self, script):
        """Runs `script` on the store's file with the store's full-text tokenizer loaded, so
        that the triggers index whatever it writes. Through SQLite's C library: not every
        Python's sqlite3 module can load extensions."""
        lib = ctypes.CDLL(ctypes.util.find_library('sqlite3') or 'libsqlite3.so.0')
        lib.sqlite3_open.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
        lib.sqlite3_busy_timeout.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.sqlite3_enable_load_extension.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.sqlite3_load_extension.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p,
                                               ctypes.POINTER(ctypes.c_char_p)]
        lib.sqlite3_exec.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p,
                                     ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p)]
        lib.sqlite3_close.argtypes = [ctypes.c_void_p]
        db = ctypes.c_void_p()
        self.assertEqual(lib.sqlite3_open(self.db_path.encode(), ctypes.byref(db)), 0)
        try:
            lib.sqlite3_busy_timeout(db, 10000)
            lib.sqlite3_enable_load_extension(db, 1)
            error = ctypes.c_char_p()
            loaded = lib.sqlite3_load_extension(db, find_fts_extension().encode(), None,
                                                ctypes.byref(error))
            self.assertEqual(loaded, 0, error.value)
            done = lib.sqlite3_exec(db, script.encode(), None, None, ctypes.byref(error))
            self.assertEqual(done, 0, error.value)
        finally:
            lib.sqlite3_close(db)

    def url(self, path):
        return 'http://127.0.0.1:%d%s' % (self.port, path)

    def put(self, path, body, content_type='text/xml'):
        """Stores `body` on the feed site, served at `path` from then on."""
        data = body.encode('utf-8') if isinstance(body, str) else body
        request = urllib.request.Request(self.url(path), data=data, method='PUT',
                                         headers={'Content-Type': content_type})
        with urllib.request.urlopen(request) as answer:
            answer.read()

    def state(self):
        """Digests of the files a failed command must leave alone."""
        return (digest(self.opml_path), digest(self.fav_path), digest(self.db_path))

    # ---- running the CLI ----------------------------------------------------------------------

    def run_cli(self, *args, json_output=False, root=None):
        command = self.wrapper + [self.cli, '--root', root or self.root]
        command += ['--json'] if json_output else []
        return subprocess.run(command + [str(a) for a in args], capture_output=True, text=True, timeout=60)

    def ok(self, *args):
        """Runs a command that must succeed; returns its records (tab-split lines)."""
        result = self.run_cli(*args)
        self.assertEqual(result.returncode, 0, '%s: %s' % (args, result.stderr))
        return [line.split('\t') for line in result.stdout.splitlines() if '\t' in line]

    def json(self, *args, code=0, root=None):
        result = self.run_cli(*args, json_output=True, root=root)
        self.assertEqual(result.returncode, code, '%s: %s' % (args, result.stderr))
        return json.loads(result.stdout)

    def fails(self, code, message, *args):
        """Runs a command that must fail with `code`, say `message`, and change no file."""
        before = self.state()
        result = self.run_cli(*args)
        self.assertEqual(result.returncode, code, '%s: %s %s' % (args, result.stdout,
                                                                  result.stderr))
        self.assertIn(message, result.stderr)
        self.assertEqual(before, self.state(), '%s changed a file' % (args,))
        return result

    def add(self, path, title=None, *extra):
        args = ['add', self.url(path)] + (['--title', title] if title else []) + list(extra)
        return self.json(*args)[0]


def rss(title, items):
    """An RSS 2.0 document; items are (link, title, date, description) tuples."""
    parts = ['<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel>'
             '<title>%s</title><link>http://127.0.0.1/</link>' % title]
    for link, item_title, date, description in items:
        parts.append('<item><title>%s</title><link>%s</link><pubDate>%s</pubDate>'
                     '<description>%s</description></item>'
                     % (item_title, link, date, description))
    parts.append('</channel></rss>')
    return ''.join(parts)
