#include "core/db/schema.h"

#include <sqlite3.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

#include "core/util/strings.h"

namespace zirvo {

namespace {

struct SchemaStep {
    int version;
    const char* sql;
    // A step whose work a later step undoes is skipped when the file goes to that version or
    // beyond (0: never skipped).
    int supersededBy = 0;
};

// NOTE: steps are only ever appended. A released step never changes: files out there already
// carry its version number.
const std::vector<SchemaStep> kRssSteps = {
    {1,
     "CREATE TABLE IF NOT EXISTS feed_data ("
     " feed_id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " feed_url TEXT,"
     " feed_rssrank INTEGER DEFAULT 0,"
     " feed_storagetype INTEGER DEFAULT 0,"
     " feed_storagenum INTEGER DEFAULT 200,"
     " feed_autoupdate INTEGER DEFAULT 1,"
     " feed_newitemshowtip INTEGER DEFAULT 0);"},
    // Items are ordered by id, newest highest: AUTOINCREMENT never hands out an id again after
    // the newest items were deleted.
    {1,
     "CREATE TABLE IF NOT EXISTS rss_data ("
     " item_id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " item_feedid INTEGER,"
     " item_new INTEGER DEFAULT 1,"
     " item_read INTEGER DEFAULT 0,"
     " item_link TEXT,"
     " item_title TEXT,"
     " item_author TEXT,"
     " item_description TEXT,"
     " item_pubDate TEXT);"},
    {1,
     "CREATE TABLE IF NOT EXISTS rsstemp_data ("
     " item_id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " item_feedid INTEGER,"
     " item_new INTEGER DEFAULT 1,"
     " item_read INTEGER DEFAULT 0,"
     " item_link TEXT,"
     " item_title TEXT,"
     " item_author TEXT,"
     " item_description TEXT,"
     " item_pubDate TEXT);"},
    {1,
     "CREATE TABLE IF NOT EXISTS feedfav_data ("
     " feed_id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " feed_readcount INTEGER DEFAULT 0);"},
    {1,
     "CREATE TABLE IF NOT EXISTS rssfavorite_data ("
     " item_id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " item_feedid INTEGER,"
     " item_link TEXT,"
     " item_title TEXT,"
     " item_author TEXT,"
     " item_description TEXT,"
     " item_pubDate TEXT);"},
    // The look-up of a channel by its URL.
    {2, "CREATE INDEX IF NOT EXISTS feed_data_url ON feed_data (feed_url);"},
    // Item pages of a channel newest first, channel totals, and the storage policy that keeps
    // the newest N ids.
    {2, "CREATE INDEX IF NOT EXISTS rss_data_feed_item ON rss_data (item_feedid, item_id);"},
    // The merge's "link not yet held by this channel" list.
    {2, "CREATE INDEX IF NOT EXISTS rss_data_feed_link ON rss_data (item_feedid, item_link);"},
    // Read and unread pages and counts of a channel, and marking a channel read.
    {2,
     "CREATE INDEX IF NOT EXISTS rss_data_feed_read ON rss_data (item_feedid, item_read, "
     "item_id);"},
    // New items are few: a partial index stays small and serves the new-item page and count.
    {2,
     "CREATE INDEX IF NOT EXISTS rss_data_feed_new ON rss_data (item_feedid, item_id) "
     "WHERE item_new = 1;"},
    // The unread list over every channel.
    {2, "CREATE INDEX IF NOT EXISTS rss_data_unread ON rss_data (item_id) WHERE item_read = 0;"},
    {2,
     "CREATE INDEX IF NOT EXISTS rsstemp_data_feed_item ON rsstemp_data (item_feedid, "
     "item_id);"},
    {2,
     "CREATE INDEX IF NOT EXISTS rssfavorite_data_feed_item ON rssfavorite_data (item_feedid, "
     "item_id);"},
    // Links a channel had and lost (storage policy, clean, clear, any delete of an item): the
    // merge does not store them again while the feed keeps listing them, and forgets them once
    // the feed stops. Without it a feed longer than the storage count swaps items at every
    // receive, and a cleaned item comes back as new and unread.
    {3, "CREATE TABLE IF NOT EXISTS rssremoved_data (item_feedid INTEGER, item_link TEXT);"},
    {3,
     "CREATE UNIQUE INDEX IF NOT EXISTS rssremoved_data_feed_link ON rssremoved_data "
     "(item_feedid, item_link);"},
    // Item count per channel, kept by triggers: the storage policy that keeps a channel's
    // newest N finds the oldest item to keep by counting from the oldest end, instead of
    // walking past the N newest at every receive (milliseconds at 100,000 items).
    {3,
     "CREATE TABLE IF NOT EXISTS rsscount_data (item_feedid INTEGER PRIMARY KEY, item_count "
     "INTEGER NOT NULL DEFAULT 0);"},
    {3,
     "INSERT OR REPLACE INTO rsscount_data (item_feedid, item_count) SELECT item_feedid, "
     "COUNT(*) FROM rss_data WHERE item_feedid IS NOT NULL GROUP BY item_feedid;"},
    {3,
     "CREATE TRIGGER IF NOT EXISTS rss_data_added AFTER INSERT ON rss_data WHEN "
     "NEW.item_feedid IS NOT NULL BEGIN INSERT OR IGNORE INTO rsscount_data (item_feedid, "
     "item_count) VALUES (NEW.item_feedid, 0); UPDATE rsscount_data SET item_count = item_count "
     "+ 1 WHERE item_feedid = NEW.item_feedid; END;"},
    // Every way an item leaves rss_data is recorded, so that no delete path can forget it.
    {3,
     "CREATE TRIGGER IF NOT EXISTS rss_data_removed AFTER DELETE ON rss_data BEGIN INSERT OR "
     "IGNORE INTO rssremoved_data (item_feedid, item_link) VALUES (OLD.item_feedid, "
     "OLD.item_link); UPDATE rsscount_data SET item_count = item_count - 1 WHERE item_feedid = "
     "OLD.item_feedid; END;"},
    {3,
     "CREATE TRIGGER IF NOT EXISTS rss_data_moved AFTER UPDATE OF item_feedid ON rss_data BEGIN "
     "UPDATE rsscount_data SET item_count = item_count - 1 WHERE item_feedid = OLD.item_feedid; "
     "INSERT OR IGNORE INTO rsscount_data (item_feedid, item_count) SELECT NEW.item_feedid, 0 "
     "WHERE NEW.item_feedid IS NOT NULL; UPDATE rsscount_data SET item_count = item_count + 1 "
     "WHERE item_feedid = NEW.item_feedid; END;"},
    // The merge asks, per stored or removed link, whether the feed lists it now.
    {3,
     "CREATE INDEX IF NOT EXISTS rsstemp_data_feed_link ON rsstemp_data (item_feedid, "
     "item_link);"},
    // How each channel's last fetch went: the validators of the last stored answer (sent back
    // so that an unchanged feed costs a 304), the earliest time the site wants to be asked
    // again (Unix seconds, honoured by scheduled receives only), and the last fetch's time,
    // outcome and message (why a channel failed). Goes with its channel.
    {4,
     "CREATE TABLE IF NOT EXISTS rssfetch_data (feed_id INTEGER PRIMARY KEY, fetch_etag TEXT "
     "NOT NULL DEFAULT '', fetch_lastmodified TEXT NOT NULL DEFAULT '', fetch_notbefore INTEGER "
     "NOT NULL DEFAULT 0, fetch_time INTEGER NOT NULL DEFAULT 0, fetch_ok INTEGER NOT NULL "
     "DEFAULT 0, fetch_message TEXT NOT NULL DEFAULT '');"},
    {4,
     "CREATE TRIGGER IF NOT EXISTS feed_data_removed AFTER DELETE ON feed_data BEGIN DELETE "
     "FROM rssfetch_data WHERE feed_id = OLD.feed_id; END;"},
    // A changed address is another feed: what the old one answered means nothing for it.
    {4,
     "CREATE TRIGGER IF NOT EXISTS feed_data_moved AFTER UPDATE OF feed_url ON feed_data WHEN "
     "OLD.feed_url IS NOT NEW.feed_url BEGIN DELETE FROM rssfetch_data WHERE feed_id = "
     "OLD.feed_id; END;"},
    // The full-text index of titles and descriptions (search_index.h): trigrams, so that any
    // substring of three characters or more is found, without positions (detail=none), which
    // keeps it small; the search confirms every row it finds with its LIKE test. Kept by
    // triggers, and built from the items a file already holds.
    {5,
     "CREATE VIRTUAL TABLE IF NOT EXISTS rss_fts USING fts5(item_title, item_description, "
     "content='rss_data', content_rowid='item_id', tokenize='trigram', detail='none', "
     "columnsize=0);",
     7},
    {5, "INSERT INTO rss_fts (rss_fts) VALUES ('rebuild');", 7},
    {5,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_added AFTER INSERT ON rss_data BEGIN INSERT "
     "INTO rss_fts (rowid, item_title, item_description) VALUES (NEW.item_id, NEW.item_title, "
     "NEW.item_description); END;",
     7},
    {5,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_removed AFTER DELETE ON rss_data BEGIN INSERT "
     "INTO rss_fts (rss_fts, rowid, item_title, item_description) VALUES ('delete', "
     "OLD.item_id, OLD.item_title, OLD.item_description); END;",
     7},
    {5,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_changed AFTER UPDATE OF item_id, item_title, "
     "item_description ON rss_data BEGIN INSERT INTO rss_fts (rss_fts, rowid, item_title, "
     "item_description) VALUES ('delete', OLD.item_id, OLD.item_title, OLD.item_description); "
     "INSERT INTO rss_fts (rowid, item_title, item_description) VALUES (NEW.item_id, "
     "NEW.item_title, NEW.item_description); END;",
     7},
    // Attachments of stored items (RSS enclosures, Atom enclosure links, JSON Feed
    // attachments), beside the items so that the item rows keep their shape; they go with
    // their item whatever deletes it.
    {6,
     "CREATE TABLE IF NOT EXISTS rss_enclosure (enc_itemid INTEGER NOT NULL, enc_url TEXT, "
     "enc_type TEXT, enc_length INTEGER DEFAULT 0);"},
    {6, "CREATE INDEX IF NOT EXISTS rss_enclosure_item ON rss_enclosure (enc_itemid);"},
    {6,
     "CREATE TRIGGER IF NOT EXISTS rss_data_enclosures_removed AFTER DELETE ON rss_data BEGIN "
     "DELETE FROM rss_enclosure WHERE enc_itemid = OLD.item_id; END;"},
    // The full-text index again, now built after the upgrade instead of inside it: rebuilding
    // a big store's index took the whole upgrade's write lock (and the window) for minutes.
    // rssfts_build holds the item ids still to be indexed, (build_done, build_end]; the
    // search reads the items without the index while that row exists (search_index_build.h),
    // and the triggers leave those ids alone until the build reaches them.
    {7, "DROP TRIGGER IF EXISTS rss_data_fts_added;"},
    {7, "DROP TRIGGER IF EXISTS rss_data_fts_removed;"},
    {7, "DROP TRIGGER IF EXISTS rss_data_fts_changed;"},
    {7, "DROP TABLE IF EXISTS rss_fts;"},
    {7,
     "CREATE VIRTUAL TABLE IF NOT EXISTS rss_fts USING fts5(item_title, item_description, "
     "content='rss_data', content_rowid='item_id', tokenize='trigram', detail='none', "
     "columnsize=0);"},
    {7,
     "CREATE TABLE IF NOT EXISTS rssfts_build (build_done INTEGER NOT NULL, build_end INTEGER "
     "NOT NULL);"},
    {7,
     "INSERT INTO rssfts_build (build_done, build_end) SELECT 0, newest FROM (SELECT "
     "MAX(item_id) AS newest FROM rss_data) WHERE newest IS NOT NULL;"},
    {7,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_added AFTER INSERT ON rss_data BEGIN INSERT "
     "INTO rss_fts (rowid, item_title, item_description) SELECT NEW.item_id, NEW.item_title, "
     "NEW.item_description WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE NEW.item_id > "
     "build_done AND NEW.item_id <= build_end); END;"},
    {7,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_removed AFTER DELETE ON rss_data BEGIN INSERT "
     "INTO rss_fts (rss_fts, rowid, item_title, item_description) SELECT 'delete', "
     "OLD.item_id, OLD.item_title, OLD.item_description WHERE NOT EXISTS (SELECT 1 FROM "
     "rssfts_build WHERE OLD.item_id > build_done AND OLD.item_id <= build_end); END;"},
    {7,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_changed AFTER UPDATE OF item_id, item_title, "
     "item_description ON rss_data BEGIN INSERT INTO rss_fts (rss_fts, rowid, item_title, "
     "item_description) SELECT 'delete', OLD.item_id, OLD.item_title, OLD.item_description "
     "WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE OLD.item_id > build_done AND "
     "OLD.item_id <= build_end); INSERT INTO rss_fts (rowid, item_title, item_description) "
     "SELECT NEW.item_id, NEW.item_title, NEW.item_description WHERE NOT EXISTS (SELECT 1 FROM "
     "rssfts_build WHERE NEW.item_id > build_done AND NEW.item_id <= build_end); END;"},
    // The full-text index with half the terms (sparse_trigrams.h): every trigram made it about
    // half again as big as the items themselves. It answers keywords of five characters or
    // more; shorter ones are read without it. Built after the upgrade like version 7's.
    {8, "DROP TRIGGER IF EXISTS rss_data_fts_added;"},
    {8, "DROP TRIGGER IF EXISTS rss_data_fts_removed;"},
    {8, "DROP TRIGGER IF EXISTS rss_data_fts_changed;"},
    {8, "DROP TABLE IF EXISTS rss_fts;"},
    {8,
     "CREATE VIRTUAL TABLE IF NOT EXISTS rss_fts USING fts5(item_title, item_description, "
     "content='rss_data', content_rowid='item_id', tokenize='sparse_trigram', detail='none', "
     "columnsize=0);"},
    {8, "DELETE FROM rssfts_build;"},
    {8,
     "INSERT INTO rssfts_build (build_done, build_end) SELECT 0, newest FROM (SELECT "
     "MAX(item_id) AS newest FROM rss_data) WHERE newest IS NOT NULL;"},
    {8,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_added AFTER INSERT ON rss_data BEGIN INSERT "
     "INTO rss_fts (rowid, item_title, item_description) SELECT NEW.item_id, NEW.item_title, "
     "NEW.item_description WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE NEW.item_id > "
     "build_done AND NEW.item_id <= build_end); END;"},
    {8,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_removed AFTER DELETE ON rss_data BEGIN INSERT "
     "INTO rss_fts (rss_fts, rowid, item_title, item_description) SELECT 'delete', "
     "OLD.item_id, OLD.item_title, OLD.item_description WHERE NOT EXISTS (SELECT 1 FROM "
     "rssfts_build WHERE OLD.item_id > build_done AND OLD.item_id <= build_end); END;"},
    {8,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_changed AFTER UPDATE OF item_id, item_title, "
     "item_description ON rss_data BEGIN INSERT INTO rss_fts (rss_fts, rowid, item_title, "
     "item_description) SELECT 'delete', OLD.item_id, OLD.item_title, OLD.item_description "
     "WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE OLD.item_id > build_done AND "
     "OLD.item_id <= build_end); INSERT INTO rss_fts (rowid, item_title, item_description) "
     "SELECT NEW.item_id, NEW.item_title, NEW.item_description WHERE NOT EXISTS (SELECT 1 FROM "
     "rssfts_build WHERE NEW.item_id > build_done AND NEW.item_id <= build_end); END;"},
    // The index of every trigram again. Version 8's half of them made the index half the size,
    // but a keyword of five characters then had a single term, found in a few percent of all
    // items, each of which the search had to read: a rare word took hundreds of milliseconds
    // at a million items instead of a few. Dropping version 8's index needs its tokenizer
    // (sparse_trigrams.h), which every connection still registers.
    {9, "DROP TRIGGER IF EXISTS rss_data_fts_added;"},
    {9, "DROP TRIGGER IF EXISTS rss_data_fts_removed;"},
    {9, "DROP TRIGGER IF EXISTS rss_data_fts_changed;"},
    {9, "DROP TABLE IF EXISTS rss_fts;"},
    {9,
     "CREATE VIRTUAL TABLE IF NOT EXISTS rss_fts USING fts5(item_title, item_description, "
     "content='rss_data', content_rowid='item_id', tokenize='trigram', detail='none', "
     "columnsize=0);"},
    {9, "DELETE FROM rssfts_build;"},
    {9,
     "INSERT INTO rssfts_build (build_done, build_end) SELECT 0, newest FROM (SELECT "
     "MAX(item_id) AS newest FROM rss_data) WHERE newest IS NOT NULL;"},
    {9,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_added AFTER INSERT ON rss_data BEGIN INSERT "
     "INTO rss_fts (rowid, item_title, item_description) SELECT NEW.item_id, NEW.item_title, "
     "NEW.item_description WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE NEW.item_id > "
     "build_done AND NEW.item_id <= build_end); END;"},
    {9,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_removed AFTER DELETE ON rss_data BEGIN INSERT "
     "INTO rss_fts (rss_fts, rowid, item_title, item_description) SELECT 'delete', "
     "OLD.item_id, OLD.item_title, OLD.item_description WHERE NOT EXISTS (SELECT 1 FROM "
     "rssfts_build WHERE OLD.item_id > build_done AND OLD.item_id <= build_end); END;"},
    {9,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_changed AFTER UPDATE OF item_id, item_title, "
     "item_description ON rss_data BEGIN INSERT INTO rss_fts (rss_fts, rowid, item_title, "
     "item_description) SELECT 'delete', OLD.item_id, OLD.item_title, OLD.item_description "
     "WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE OLD.item_id > build_done AND "
     "OLD.item_id <= build_end); INSERT INTO rss_fts (rowid, item_title, item_description) "
     "SELECT NEW.item_id, NEW.item_title, NEW.item_description WHERE NOT EXISTS (SELECT 1 FROM "
     "rssfts_build WHERE NEW.item_id > build_done AND NEW.item_id <= build_end); END;"},
    // The index without the trigrams most items hold (rare_trigrams.h): those narrow a search
    // little but made a third of the index. Every other trigram stays, so that keywords of three
    // or four characters are still answered through it unless made of common trigrams alone.
    // Beside it the same index of the titles alone (rss_title_fts), for the searches of titles
    // only: through the index of both, a word rare in titles but common in descriptions had the
    // search read every item whose description holds it. Both are built after the upgrade like
    // version 7's; the tokenizer is registered on every connection.
    {10, "DROP TRIGGER IF EXISTS rss_data_fts_added;"},
    {10, "DROP TRIGGER IF EXISTS rss_data_fts_removed;"},
    {10, "DROP TRIGGER IF EXISTS rss_data_fts_changed;"},
    {10, "DROP TABLE IF EXISTS rss_fts;"},
    {10,
     "CREATE VIRTUAL TABLE IF NOT EXISTS rss_fts USING fts5(item_title, item_description, "
     "content='rss_data', content_rowid='item_id', tokenize='rare_trigram', detail='none', "
     "columnsize=0);"},
    {10,
     "CREATE VIRTUAL TABLE IF NOT EXISTS rss_title_fts USING fts5(item_title, "
     "content='rss_data', content_rowid='item_id', tokenize='rare_trigram', detail='none', "
     "columnsize=0);"},
    {10, "DELETE FROM rssfts_build;"},
    {10,
     "INSERT INTO rssfts_build (build_done, build_end) SELECT 0, newest FROM (SELECT "
     "MAX(item_id) AS newest FROM rss_data) WHERE newest IS NOT NULL;"},
    {10,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_added AFTER INSERT ON rss_data WHEN NOT EXISTS "
     "(SELECT 1 FROM rssfts_build WHERE NEW.item_id > build_done AND NEW.item_id <= build_end) "
     "BEGIN INSERT INTO rss_fts (rowid, item_title, item_description) VALUES (NEW.item_id, "
     "NEW.item_title, NEW.item_description); INSERT INTO rss_title_fts (rowid, item_title) "
     "VALUES (NEW.item_id, NEW.item_title); END;"},
    {10,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_removed AFTER DELETE ON rss_data WHEN NOT "
     "EXISTS (SELECT 1 FROM rssfts_build WHERE OLD.item_id > build_done AND OLD.item_id <= "
     "build_end) BEGIN INSERT INTO rss_fts (rss_fts, rowid, item_title, item_description) "
     "VALUES ('delete', OLD.item_id, OLD.item_title, OLD.item_description); INSERT INTO "
     "rss_title_fts (rss_title_fts, rowid, item_title) VALUES ('delete', OLD.item_id, "
     "OLD.item_title); END;"},
    // Old and new id may fall on either side of the build's range: each half asks on its own.
    {10,
     "CREATE TRIGGER IF NOT EXISTS rss_data_fts_changed AFTER UPDATE OF item_id, item_title, "
     "item_description ON rss_data BEGIN INSERT INTO rss_fts (rss_fts, rowid, item_title, "
     "item_description) SELECT 'delete', OLD.item_id, OLD.item_title, OLD.item_description "
     "WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE OLD.item_id > build_done AND "
     "OLD.item_id <= build_end); INSERT INTO rss_title_fts (rss_title_fts, rowid, item_title) "
     "SELECT 'delete', OLD.item_id, OLD.item_title WHERE NOT EXISTS (SELECT 1 FROM rssfts_build "
     "WHERE OLD.item_id > build_done AND OLD.item_id <= build_end); INSERT INTO rss_fts (rowid, "
     "item_title, item_description) SELECT NEW.item_id, NEW.item_title, NEW.item_description "
     "WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE NEW.item_id > build_done AND "
     "NEW.item_id <= build_end); INSERT INTO rss_title_fts (rowid, item_title) SELECT "
     "NEW.item_id, NEW.item_title WHERE NOT EXISTS (SELECT 1 FROM rssfts_build WHERE "
     "NEW.item_id > build_done AND NEW.item_id <= build_end); END;"},
};

const std::vector<SchemaStep> kBlogSteps = {
    // log_property has integer affinity: some statements write the folder as a quoted number.
    {1,
     "CREATE TABLE IF NOT EXISTS blog_article ("
     " log_id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " log_property INTEGER,"
     " log_author TEXT,"
     " log_guid TEXT,"
     " log_title TEXT,"
     " log_category TEXT,"
     " log_content TEXT,"
     " log_pubDate TEXT);"},
    // Every folder statement selects by account and folder; within one key the index keeps
    // row-key order, the order in which folder lists are shown. The name is part of the file
    // format: the compaction statement names it.
    {2, "CREATE INDEX IF NOT EXISTS indexauthor ON blog_article (log_author, log_property);"},
};

int NewestVersion(const std::vector<SchemaStep>& steps) {
    int newest = 0;
    for (const SchemaStep& step : steps) {
        newest = step.version > newest ? step.version : newest;
    }
    return newest;
}

std::string NewerFileMessage(const char* what, int fileVersion, int newest) {
    return StrFormat(
        "The %s was written by a newer version of Zirvo (schema version %d; this program knows "
        "versions up to %d). It has been left untouched; please use a newer Zirvo.",
        what, fileVersion, newest);
}

// The tables the steps create, by the name after "CREATE TABLE IF NOT EXISTS".
std::vector<std::string> OwnTables(const std::vector<SchemaStep>& steps) {
    constexpr std::string_view kCreate = "CREATE TABLE IF NOT EXISTS ";
    std::vector<std::string> names;
    for (const SchemaStep& step : steps) {
        std::string_view sql = step.sql;
        if (StartsWith(sql, kCreate)) {
            sql.remove_prefix(kCreate.size());
            names.emplace_back(sql.substr(0, sql.find_first_of(" (")));
        }
    }
    return names;
}

// The tables of an unversioned file that none of the steps would create: a database some other
// program made. Upgrading it would write our tables into that program's file.
std::vector<std::string> ForeignTables(CppSQLite3Connection& db,
                                       const std::vector<SchemaStep>& steps) {
    const std::vector<std::string> own = OwnTables(steps);
    std::vector<std::string> foreign;
    CppSQLite3Cursor cursor = db.ExecuteQuery(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
        "ORDER BY name;");
    for (; !cursor.AtEnd(); cursor.NextRow()) {
        std::string name = cursor.GetText(0);
        if (std::find(own.begin(), own.end(), name) == own.end()) {
            foreign.push_back(std::move(name));
        }
    }
    return foreign;
}

bool EnsureSchema(CppSQLite3Connection& db, const std::vector<SchemaStep>& steps, const char* what,
                  std::string& error) {
    const int newest = NewestVersion(steps);
    try {
        // A plain statement first: on a file that is not a database it fails with SQLite's
        // reason before anything is written.
        db.ExecuteUpdate("SELECT count(*) FROM sqlite_master;");
        int version = ReadSchemaVersion(db);
        if (version == 0) {
            std::vector<std::string> foreign = ForeignTables(db, steps);
            if (!foreign.empty()) {
                error = StrFormat(
                    "The %s is an SQLite database of another program (it holds the table%s "
                    "%s, which Zirvo never makes). It has been left untouched.",
                    what, foreign.size() == 1 ? "" : "s", Join(foreign, ", ").c_str());
                return false;
            }
        }
        if (version == newest) {
            return true;  // nothing to write: read-only files of the current version work
        }
        if (version > newest) {
            error = NewerFileMessage(what, version, newest);
            return false;
        }
        // IMMEDIATE takes the write lock at once, so a second connection preparing the same
        // file waits here and then finds the version already current.
        db.ExecuteUpdate("BEGIN IMMEDIATE;");
        try {
            version = ReadSchemaVersion(db);
            if (version > newest) {
                db.ExecuteUpdate("ROLLBACK;");
                error = NewerFileMessage(what, version, newest);
                return false;
            }
            for (const SchemaStep& step : steps) {
                const bool superseded = step.supersededBy != 0 && newest >= step.supersededBy;
                if (step.version > version && !superseded) {
                    db.ExecuteUpdate(step.sql);
                }
            }
            if (version != newest) {
                db.ExecuteUpdate(StrFormat("PRAGMA user_version = %d;", newest));
            }
            db.ExecuteUpdate("COMMIT;");
        } catch (const CppSQLite3Exception&) {
            if (!db.IsAutoCommit()) {
                try {
                    db.ExecuteUpdate("ROLLBACK;");
                } catch (const CppSQLite3Exception&) {
                    // The original failure is the one worth reporting.
                }
            }
            throw;
        }
        return true;
    } catch (const CppSQLite3Exception& e) {
        if (e.ErrorCode() == SQLITE_NOTADB) {
            error = StrFormat(
                "The %s is not an SQLite database (%s). It has been left untouched; move it "
                "away to start a new one.",
                what, e.ErrorMessage());
            return false;
        }
        error = StrFormat("Cannot prepare the %s: %s", what, e.ErrorMessage());
        return false;
    }
}

}  // namespace

int RssSchemaVersion() {
    return NewestVersion(kRssSteps);
}

int BlogSchemaVersion() {
    return NewestVersion(kBlogSteps);
}

int ReadSchemaVersion(CppSQLite3Connection& db) {
    CppSQLite3Cursor cursor = db.ExecuteQuery("PRAGMA user_version;");
    return cursor.AtEnd() ? 0 : cursor.GetInt(0, 0);
}

bool EnsureRssSchema(CppSQLite3Connection& db, std::string& error) {
    return EnsureSchema(db, kRssSteps, "feed database", error);
}

bool EnsureRssSchemaUpTo(CppSQLite3Connection& db, int version, std::string& error) {
    std::vector<SchemaStep> steps;
    std::copy_if(kRssSteps.begin(), kRssSteps.end(), std::back_inserter(steps),
                 [version](const SchemaStep& step) { return step.version <= version; });
    return EnsureSchema(db, steps, "feed database", error);
}

bool EnsureBlogSchema(CppSQLite3Connection& db, std::string& error) {
    return EnsureSchema(db, kBlogSteps, "article database", error);
}

}  // namespace zirvo
