#pragma once
// Table definitions of the two databases, Storage/rss.db (channels, items, staging, favourites)
// and Storage/blog.db (blog articles), and the way a file reaches the current definition.
//
// The file's schema version is `PRAGMA user_version`. Creating a database and upgrading an older
// one are the same ordered list of steps: every step newer than the file's version runs, in one
// transaction, and the version is then set to the newest step's. Version 1 is the bare tables as
// files of the original program hold them (such a file reads as version 0; the steps cope with
// tables that exist already); version 2 adds indexes, version 3 the record of links removed from
// a channel (rssremoved_data) and the item count per channel (rsscount_data), both kept by
// triggers on rss_data; version 4 the record of each channel's last fetch (rssfetch_data);
// version 5 the full-text index of the items (rss_fts, FTS5 trigrams, kept by triggers and built
// from the items already there); version 6 the items' enclosures (rss_enclosure); version 7 the
// full-text index anew, built after the upgrade in steps (rssfts_build); version 8 the index with
// the sparse trigram tokenizer (sparse_trigrams.h), built the same way; version 9 the index of
// every trigram again, built the same way; version 10 the index without the commonest trigrams
// (rare_trigrams.h), built the same way. A file whose version is newer than this program's is
// refused and left untouched.
//
// Threading: works on the caller's connection, on the caller's thread. Two connections that
// prepare the same file at once are serialised by the write lock; the second finds the work done.

#include <string>

#include "core/db/sqlite_connection.h"

namespace zirvo {

// The newest schema version this program writes.
int RssSchemaVersion();
int BlogSchemaVersion();

// The file's `PRAGMA user_version`. Throws CppSQLite3Exception.
int ReadSchemaVersion(CppSQLite3Connection& db);

// Bring an open connection's file to the current definition. False with `error` set when the
// file is not a usable database of this kind, is newer than this program, or cannot be written
// while it needs an upgrade.
bool EnsureRssSchema(CppSQLite3Connection& db, std::string& error);
bool EnsureBlogSchema(CppSQLite3Connection& db, std::string& error);

// Brings the file only as far as `version` (no further): how a file of that older version looks,
// for tests of the upgrade from it.
bool EnsureRssSchemaUpTo(CppSQLite3Connection& db, int version, std::string& error);

}  // namespace zirvo
