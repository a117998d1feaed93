// CRssStore: favourite folders (feedfav_data) and favourite items (rssfavorite_data).

#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {

bool CRssStore::AddFavouriteFolder(int& id) {
    BeginTransaction();
    bool ok = Execute(StrFormat("INSERT INTO [feedfav_data] (feed_readcount) VALUES (%d);", 0));
    if (ok) {
        id = LastInsertId();
    }
    CommitTransaction();
    return ok;
}

bool CRssStore::NextFavouriteFolderId(int& id) {
    int sequence = 0;
    int highest = 0;
    if (!RunRead([&] {
            // A file made without AUTOINCREMENT tables has no sequence table at all.
            int sequenceTable = 0;
            ReadCount("SELECT COUNT(*) FROM sqlite_master WHERE name = 'sqlite_sequence';",
                      sequenceTable);
            if (sequenceTable != 0) {
                ReadCount("SELECT seq FROM sqlite_sequence WHERE name = 'feedfav_data';", sequence);
            }
            ReadCount("SELECT MAX(feed_id) FROM [feedfav_data];", highest);
        })) {
        return false;
    }
    id = (sequence > highest ? sequence : highest) + 1;
    return true;
}

bool CRssStore::CreateFavouriteFolder(int id, const std::vector<RssItem>& items) {
    return RunAtomically([&] {
        Connection().ExecuteUpdate(StrFormat(
            "INSERT INTO [feedfav_data] (feed_id, feed_readcount) VALUES (%d, %d);", id, 0));
        for (const RssItem& item : items) {
            Connection().ExecuteUpdate(FavouriteInsert(id, item));
        }
    });
}

bool CRssStore::EnsureFavouriteFolder(int id) {
    bool exists = false;
    if (!RunRead([&] {
            exists = !Connection()
                          .ExecuteQuery(
                              StrFormat("SELECT * FROM [feedfav_data] WHERE feed_id = %d;", id))
                          .AtEnd();
        })) {
        return false;
    }
    return exists || Execute(StrFormat("INSERT INTO [feedfav_data] (feed_id) VALUES (%d);", id));
}

bool CRssStore::AddFavouriteFromItem(int itemId, bool fromStaging, int folderId) {
    RssItem item;
    bool found = false;
    bool ok = RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(StrFormat(
            "SELECT item_link, item_title, item_author, item_description, item_pubDate FROM %s "
            "WHERE item_id = %d;",
            fromStaging ? "[rsstemp_data]" : "[rss_data]", itemId));
        if (!row.AtEnd()) {
            found = true;
            item.link = row.GetText("item_link");
            item.title = row.GetText("item_title");
            item.author = row.GetText("item_author");
            item.description = row.GetText("item_description");
            item.date = row.GetText("item_pubDate");
        }
    });
    if (!ok) {
        return false;
    }
    if (!found) {
        SetLastError(kNoRssItemWithId);
        return false;
    }
    return Execute(StrFormat(
        "INSERT INTO [rssfavorite_data] (item_feedid, item_link, item_title, item_author, "
        "item_description, item_pubDate) \t\t\t\tVALUES (%d, '%s', '%s', '%s', '%s', '%s');",
        folderId, Quoted(item.link).c_str(), Quoted(item.title).c_str(),
        Quoted(item.author).c_str(), Quoted(item.description).c_str(), Quoted(item.date).c_str()));
}

bool CRssStore::AddFavourite(int folderId, const std::string& link, const std::string& title,
                             const std::string& author, const std::string& description,
                             const std::string& date) {
    return Execute(StrFormat(
        "INSERT INTO [rssfavorite_data] (item_feedid, item_link, item_title, item_author, "
        "item_description, item_pubDate) VALUES (%d, '%s' , '%s', '%s', '%s', '%s');",
        folderId, Quoted(link).c_str(), Quoted(title).c_str(), Quoted(author).c_str(),
        Quoted(description).c_str(), Quoted(date).c_str()));
}

std::string CRssStore::FavouriteInsert(int folderId, const RssItem& item) {
    std::string sql = StrFormat(
        "INSERT INTO [rssfavorite_data] (item_feedid, item_link, item_title, item_author, "
        "item_description, item_pubDate) VALUES (%d , '",
        folderId);
    sql += Quoted(item.link);
    sql += "' , '";
    sql += Quoted(item.title);
    sql += "' , '";
    sql += Quoted(item.author);
    sql += "' , '";
    sql += Quoted(item.description);
    sql += "' , '";
    sql += Quoted(item.date);
    sql += "');";
    return sql;
}

bool CRssStore::AddFavourites(int folderId, const std::vector<RssItem>& items) {
    return RunInTransaction([&] {
        for (const RssItem& item : items) {
            Connection().ExecuteUpdate(FavouriteInsert(folderId, item));
        }
    });
}

bool CRssStore::ListFavourites(int folderId, bool withBody, std::vector<RssItem>& items) {
    return RunRead([&] {
        std::string sql = withBody
                              ? StrFormat(
                                    "SELECT * FROM [rssfavorite_data] WHERE item_feedid = %d ORDER "
                                    "BY item_id DESC;",
                                    folderId)
                              : StrFormat(
                                    "SELECT item_id, item_title, item_author, item_pubDate FROM "
                                    "[rssfavorite_data] WHERE item_feedid = %d ORDER BY item_id "
                                    "DESC;",
                                    folderId);
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            RssItem item;
            if (withBody) {
                item = ReadFullItem(row, false);
            } else {
                item.id = row.GetInt("item_id");
                item.title = row.GetText("item_title");
                item.author = row.GetText("item_author");
                item.date = row.GetText("item_pubDate");
            }
            item.channelId = folderId;
            items.push_back(std::move(item));
        }
    });
}

bool CRssStore::GetFavourite(int id, RssItem& item) {
    bool found = false;
    bool ok = RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT * FROM [rssfavorite_data] WHERE item_id = %d;", id));
        if (!row.AtEnd()) {
            item = ReadFullItem(row, false);
            found = true;
        }
    });
    if (ok && !found) {
        SetLastError(kNoRssItemWithId);
    }
    return ok && found;
}

bool CRssStore::GetFavouriteLink(int id, std::string& link) {
    bool found = false;
    bool ok = RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT item_link FROM [rssfavorite_data] WHERE item_id = %d;", id));
        if (!row.AtEnd()) {
            link = row.GetText("item_link");
            found = true;
        }
    });
    if (ok && !found) {
        SetLastError(kNoRssItemWithId);
    }
    return ok && found;
}

bool CRssStore::DeleteFavourite(int id) {
    BeginTransaction();
    bool ok = Execute(StrFormat("DELETE FROM [rssfavorite_data] WHERE item_id = %d;", id));
    CommitTransaction();
    return ok;
}

bool CRssStore::MoveFavourite(int folderId, int itemId) {
    return RunInTransaction([&] {
        Connection().ExecuteUpdate(
            StrFormat("UPDATE [rssfavorite_data] SET item_feedid = %d WHERE item_id = %d;",
                      folderId, itemId));
    });
}

bool CRssStore::DeleteFavouriteFolder(int folderId) {
    return Execute(StrFormat("DELETE FROM [rssfavorite_data] WHERE item_feedid = %d;", folderId)) &&
           Execute(StrFormat("DELETE FROM [feedfav_data] WHERE feed_id = %d;", folderId));
}

bool CRssStore::ClearFavouriteFolder(int folderId) {
    return Execute(StrFormat("DELETE FROM [rssfavorite_data] WHERE item_feedid = %d;", folderId));
}

bool CRssStore::DeleteFavouriteFolders(const FeedIdList& folders) {
    if (folders.empty()) {
        return true;
    }
    const std::string ids = FormatFeedIds(folders);
    // All or nothing, as DeleteFeeds: the tree puts the nodes back when this fails.
    return RunAtomically([&] {
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [rssfavorite_data] WHERE item_feedid IN (%s);", ids.c_str()));
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [feedfav_data] WHERE feed_id IN (%s);", ids.c_str()));
    });
}

}  // namespace zirvo
