#!/usr/bin/env python3
"""What real feed items look like in the store, and what the full-text index adds to them.

Serves the feeds of tests/data/feeds and of the shared corpus (../shared/corpus/feeds, when it
is there) from a loopback feed site, subscribes them into a fresh data root and receives them
with zirvo-cli, then prints from the received store:

  1. the items' columns: how many items fill each, and their average bytes;
  2. the trigrams of each item (those an index of every trigram holds) and the full-text
     index's share of the store (bytes of its tables over the bytes of everything else);
  3. the same store with the real items copied until it holds --items of them (each copy its
     own id and link, spread over the same channels), and the index's share of that store.

With --compare STORE (rss.db of bench/search_bench, for instance) the same figures of part 1
and 2 for another store follow, side by side. With --trigram-table K it prints instead the K
trigrams found in the most of the received items (titles and descriptions, ASCII letters folded
to lower case), commonest first, as the C++ table of core/db/rare_trigrams.cpp.
Nothing leaves the machine.

    bench/search_corpus.py [--cli PATH] [--items 200000] [--compare /tmp/.../Storage/rss.db]
"""

import argparse
import glob
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERVER = os.path.join(SOURCE, 'tests', 'support', 'feed_server.py')
# The shared corpus first: tests/data holds shortened copies of some of its feeds, which are
# left out when the corpus has the real one.
FEED_DIRS = [os.path.join(SOURCE, '..', 'shared', 'corpus', 'feeds'),
             os.path.join(SOURCE, 'tests', 'data', 'feeds')]
COLUMNS = ['item_title', 'item_link', 'item_author', 'item_description', 'item_pubDate']
FEED_SUFFIXES = ('.rss', '.atom', '.xml', '.rdf', '.json')


def find_cli(given):
    if given:
        return given
    if os.environ.get('ZIRVO_CLI'):
        return os.environ['ZIRVO_CLI']
    candidates = sorted(glob.glob(os.path.join(SOURCE, 'build*', 'src', 'cli', 'zirvo-cli')),
                        key=os.path.getmtime, reverse=True)
    if not candidates:
        sys.exit('zirvo-cli not found: build it or pass --cli')
    return candidates[0]


class FeedSite:
    """A loopback feed site serving one folder under /corpus/."""

    def __init__(self, folder):
        self.process = subprocess.Popen([sys.executable, SERVER, '--dir', folder],
                                        stdout=subprocess.PIPE, text=True)
        self.port = int(self.process.stdout.readline())

    def url(self, name):
        return 'http://127.0.0.1:%d/corpus/%s' % (self.port, name)

    def close(self):
        self.process.terminate()
        self.process.wait()


def run(cli, root, *args):
    result = subprocess.run([cli, '--root', root] + list(args), capture_output=True, text=True)
    if result.returncode != 0:
        print('zirvo-cli %s: status %d: %s' % (' '.join(args), result.returncode,
                                              result.stderr.strip()), file=sys.stderr)
    return result


def receive_feeds(cli, root, sites):
    os.makedirs(os.path.join(root, 'Storage'), exist_ok=True)
    # The seeded subscription file lists real sites: the root starts with a tree of our own.
    opml = os.path.join(root, 'corpus.opml')
    with open(opml, 'w', encoding='utf-8') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<opml version="1.0"><head/><body>\n')
        count = 0
        taken = set()
        for folder, site in sites:
            for name in sorted(os.listdir(folder)):
                if name.endswith(FEED_SUFFIXES) and name not in taken:
                    taken.add(name)
                    f.write('<outline text="%s %d" type="rss" xmlUrl="%s"/>\n'
                            % (name, count, site.url(name)))
                    count += 1
        f.write('</body></opml>\n')
    with open(os.path.join(root, 'Storage', 'rssreader.opml'), 'w', encoding='utf-8') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<opml version="1.0"><head><title>corpus</title></head><body/></opml>\n')
    run(cli, root, 'import-opml', opml)
    # Some files are not feeds at all (an HTML page): their failure is expected and reported.
    run(cli, root, 'receive', '--all')
    return count


def scalar(db, sql):
    row = db.execute(sql).fetchone()
    return row[0] if row and row[0] is not None else 0


def index_share(db):
    total = scalar(db, 'SELECT SUM(pgsize) FROM dbstat;')
    index = scalar(db, "SELECT SUM(pgsize) FROM dbstat WHERE name LIKE 'rss_%fts%';")
    return index, total - index


def describe(db, label, sample=0):
    """Part 1 and 2 of the figures for the store open on `db`."""
    items = scalar(db, 'SELECT COUNT(*) FROM rss_data;')
    source = 'rss_data'
    if sample and items > sample:
        # Every k-th item: the column figures of a big store without reading all of it.
        step = items // sample
        source = '(SELECT * FROM rss_data WHERE item_id %% %d = 0)' % step
    counted = scalar(db, 'SELECT COUNT(*) FROM %s;' % source)
    print('%s: %d items%s' % (label, items,
                              ' (columns: every %d-th, %d)' % (items // sample, counted)
                              if source != 'rss_data' else ''))
    total_bytes = 0
    for column in COLUMNS:
        filled, size = db.execute(
            'SELECT SUM(LENGTH(CAST(%s AS BLOB)) > 0), SUM(LENGTH(CAST(%s AS BLOB))) FROM %s;'
            % (column, column, source)).fetchone()
        filled, size = filled or 0, size or 0
        total_bytes += size
        print('  %-17s filled in %5.1f%% of items, %7.1f bytes on average'
              % (column, 100.0 * filled / max(counted, 1), size / max(counted, 1)))
    print('  %-17s %7.1f bytes on average' % ('all five', total_bytes / max(counted, 1)))
    words = db.execute(
        "SELECT AVG(LENGTH(item_title) - LENGTH(REPLACE(item_title, ' ', '')) + 1) FROM %s "
        "WHERE item_title <> '';" % source).fetchone()[0] or 0
    print('  title words       %7.1f on average' % words)
    # The trigrams an index of every trigram holds for each item (FTS5's tokenizer folds more
    # than ASCII case: close enough for a comparison of items).
    trigrams = 0
    for title, description in db.execute(
            "SELECT COALESCE(item_title, ''), COALESCE(item_description, '') FROM %s;" % source):
        terms = set()
        for text in (title.lower(), description.lower()):
            terms.update(text[i:i + 3] for i in range(len(text) - 2))
        trigrams += len(terms)
    print('  trigrams          %7.1f distinct ones per item' % (trigrams / max(counted, 1)))
    index, rest = index_share(db)
    print('  index share       %.1f MB over %.1f MB = %.1f%%'
          % (index / 1e6, rest / 1e6, 100.0 * index / max(rest, 1)))
    return index, rest


def trigram_table(db, count):
    """The `count` trigrams in the most items, commonest first (ties by their bytes)."""
    found = {}
    for title, description in db.execute(
            "SELECT COALESCE(item_title, ''), COALESCE(item_description, '') FROM rss_data;"):
        terms = set()
        for text in (title, description):
            text = ''.join(c.lower() if 'A' <= c <= 'Z' else c for c in text)
            terms.update(text[i:i + 3] for i in range(len(text) - 2))
        for term in terms:
            found[term] = found.get(term, 0) + 1
    ranked = sorted(found.items(), key=lambda item: (-item[1], item[0].encode()))[:count]
    cells = ['"%s"' % term.replace('\\', '\\\\').replace('"', '\\"').replace('\n', '\\n')
             .replace('\t', '\\t').replace('\r', '\\r') for term, _ in ranked]
    lines, line = [], '   '
    for cell in cells:
        if len(line) + len(cell) + 2 > 100:
            lines.append(line)
            line = '   '
        line += ' ' + cell + ','
    lines.append(line)
    print('// The %d trigrams in the most of %d real items, commonest first.' % (len(ranked),
                                                                                 scalar(db, 'SELECT COUNT(*) FROM rss_data;')))
    print('\n'.join(lines))


def replicate(cli, root, count):
    """Copies the real items of the store at `root` until it holds `count`, each copy with its
    own id and link. The items go in without the full-text triggers (they need the program's
    tokenizer), and the program then builds the index as for a store from before it."""
    path = os.path.join(root, 'Storage', 'rss.db')
    db = sqlite3.connect(path, isolation_level=None)
    have = scalar(db, 'SELECT COUNT(*) FROM rss_data;')
    if have == 0:
        sys.exit('no item was received')
    triggers = db.execute("SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND "
                          "name LIKE 'rss_data_fts_%';").fetchall()
    db.execute('BEGIN;')
    for name, _ in triggers:
        db.execute('DROP TRIGGER %s;' % name)
    db.execute('CREATE TEMP TABLE originals AS SELECT * FROM rss_data ORDER BY item_id;')
    newest = scalar(db, 'SELECT MAX(item_id) FROM rss_data;')
    round_ = 1
    while have < count:
        db.execute(
            'INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title, '
            'item_author, item_description, item_pubDate) SELECT item_feedid, 0, 1, '
            "item_link || '#copy-%d', item_title, item_author, item_description, item_pubDate "
            'FROM originals LIMIT %d;' % (round_, count - have))
        have = scalar(db, 'SELECT COUNT(*) FROM rss_data;')
        round_ += 1
    db.execute('DELETE FROM rssfts_build;')
    db.execute('INSERT INTO rssfts_build (build_done, build_end) SELECT %d, MAX(item_id) FROM '
               'rss_data;' % newest)
    for _, sql in triggers:
        db.execute(sql)
    db.execute('COMMIT;')
    db.close()
    run(cli, root, 'search', 'zirvocorpus')  # builds the index of the copies
    db = sqlite3.connect(path, isolation_level=None)
    db.execute('PRAGMA wal_checkpoint(TRUNCATE);')
    return db


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--cli')
    parser.add_argument('--items', type=int, default=200000,
                        help='items of the store of copies (0: none)')
    parser.add_argument('--compare', help='another rss.db to describe beside the corpus')
    parser.add_argument('--keep', action='store_true', help='keep the data root')
    parser.add_argument('--trigram-table', type=int, default=0, metavar='K',
                        help='print the K commonest trigrams as a C++ table, and nothing else')
    args = parser.parse_args()
    cli = find_cli(args.cli)

    root = tempfile.mkdtemp(prefix='zirvo-corpus-')
    sites = []
    try:
        for folder in FEED_DIRS:
            if os.path.isdir(folder):
                sites.append((folder, FeedSite(folder)))
            else:
                print('no %s: its feeds are left out' % os.path.normpath(folder))
        feeds = receive_feeds(cli, root, sites)
        for _, site in sites:
            site.close()
        sites = []
        store = os.path.join(root, 'Storage', 'rss.db')
        db = sqlite3.connect(store, isolation_level=None)
        if args.trigram_table > 0:
            trigram_table(db, args.trigram_table)
            return
        print('%d feeds received into %s' % (feeds, root))
        describe(db, 'real items')
        db.close()
        if args.items > 0:
            copies = os.path.join(root, 'copies')
            shutil.copytree(root, copies)
            db = replicate(cli, copies, args.items)
            db.execute('VACUUM;')
            describe(db, 'real items copied')
            db.close()
        if args.compare:
            db = sqlite3.connect('file:%s?mode=ro' % args.compare, uri=True)
            describe(db, 'compared store', sample=20000)
            db.close()
    finally:
        for _, site in sites:
            site.close()
        if not args.keep:
            shutil.rmtree(root, ignore_errors=True)
        else:
            print('data root kept: %s' % root)


if __name__ == '__main__':
    main()
