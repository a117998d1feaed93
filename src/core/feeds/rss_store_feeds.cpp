// CRssStore: the channel table (feed_data) and whole-channel deletes.

#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {

bool CRssStore::GetFeedSettings(const std::string& url, int& id, FeedSettings& settings) {
    bool found = false;
    // Asked for every channel a walk reaches: compiled once per connection.
    bool ok = RunRead([&] {
        found = Connection()
                    .Prepared(
                        "SELECT feed_id, feed_rssrank, feed_storagetype, feed_storagenum, "
                        "feed_autoupdate, feed_newitemshowtip FROM [feed_data] WHERE "
                        "feed_url = ?1;")
                    .Bind(1, url)
                    .QueryRow([&](const CppSQLite3Cursor& row) {
                        id = row.GetInt("feed_id");
                        settings.rssRank = row.GetInt("feed_rssrank");
                        settings.storageType = row.GetInt("feed_storagetype");
                        settings.storageNum = row.GetInt("feed_storagenum");
                        settings.autoUpdate = row.GetInt("feed_autoupdate");
                        settings.newItemShowTip = row.GetInt("feed_newitemshowtip");
                    });
    });
    if (!ok) {
        return false;
    }
    return found || AddFeed(url, id);
}

bool CRssStore::AddFeed(const std::string& url, int& id) {
    if (!Execute(
            StrFormat("INSERT INTO [feed_data] (feed_url) VALUES ('%s');", Quoted(url).c_str()))) {
        return false;
    }
    id = LastInsertId();
    return true;
}

bool CRssStore::UpdateFeed(int id, const std::string& url, const FeedSettings& settings) {
    return Execute(StrFormat(
        "UPDATE [feed_data] SET feed_url = '%s' , feed_rssrank = %d , feed_storagetype = %d , "
        "feed_storagenum = %d , feed_autoupdate = %d , feed_newitemshowtip = %d WHERE feed_id = "
        "%d;",
        Quoted(url).c_str(), settings.rssRank, settings.storageType, settings.storageNum,
        settings.autoUpdate, settings.newItemShowTip, id));
}

bool CRssStore::UpdateFeeds(const FeedIdList& feeds, int which, const FeedSettings& settings) {
    if (which < kUpdateAllSettings || which > kUpdateNewItemShowTip) {
        SetLastError(StrFormat("unknown channel settings selector %d", which));
        return false;
    }
    if (feeds.empty()) {
        return true;
    }
    const std::string ids = FormatFeedIds(feeds);
    std::string sql;
    switch (which) {
        case kUpdateAllSettings:
            sql = StrFormat(
                "UPDATE [feed_data] SET feed_rssrank = %d , feed_storagetype = %d , "
                "feed_storagenum = %d , feed_autoupdate = %d, feed_newitemshowtip = %d WHERE "
                "feed_id IN (%s);",
                settings.rssRank, settings.storageType, settings.storageNum, settings.autoUpdate,
                settings.newItemShowTip, ids.c_str());
            break;
        case kUpdateRssRank:
            sql = StrFormat("UPDATE [feed_data] SET feed_rssrank = %d WHERE feed_id IN (%s);",
                            settings.rssRank, ids.c_str());
            break;
        case kUpdateStorage:
            sql = StrFormat(
                "UPDATE [feed_data] SET feed_storagetype = %d , feed_storagenum = %d WHERE "
                "feed_id IN (%s);",
                settings.storageType, settings.storageNum, ids.c_str());
            break;
        case kUpdateAutoUpdate:
            sql = StrFormat("UPDATE [feed_data] SET feed_autoupdate = %d WHERE feed_id IN (%s);",
                            settings.autoUpdate, ids.c_str());
            break;
        default:
            sql =
                StrFormat("UPDATE [feed_data] SET feed_newitemshowtip = %d WHERE feed_id IN (%s);",
                          settings.newItemShowTip, ids.c_str());
            break;
    }
    return RunInTransaction([&] { Connection().ExecuteUpdate(sql); });
}

bool CRssStore::DeleteFeeds(const FeedIdList& feeds) {
    if (feeds.empty()) {
        return true;
    }
    const std::string ids = FormatFeedIds(feeds);
    // All or nothing: the tree puts the channel's node back when this fails, and a node whose
    // items went while its row stayed would show an emptied channel.
    return RunAtomically([&] {
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [rss_data] WHERE item_feedid IN (%s);", ids.c_str()));
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [feed_data] WHERE feed_id IN (%s);", ids.c_str()));
        // A channel that is gone has no links to keep out and no items to count any more.
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [rssremoved_data] WHERE item_feedid IN (%s);", ids.c_str()));
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [rsscount_data] WHERE item_feedid IN (%s);", ids.c_str()));
    });
}

bool CRssStore::DeleteFeedItems(const FeedIdList& feeds) {
    if (feeds.empty()) {
        return true;
    }
    const std::string ids = FormatFeedIds(feeds);
    return RunInTransaction([&] {
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [rss_data] WHERE item_feedid IN (%s);", ids.c_str()));
    });
}

bool CRssStore::CountAll(int& channels, int& items) {
    return RunRead([&] {
        ReadCount("SELECT COUNT(*) FROM [feed_data];", channels);
        ReadCount("SELECT COUNT(*) FROM [rss_data];", items);
    });
}

bool CRssStore::CountFeed(int id, int& total, int& unread) {
    return RunRead([&] {
        ReadCount(StrFormat("SELECT COUNT(*) FROM [rss_data] WHERE item_feedid = %d;", id), total);
        ReadCount(StrFormat("SELECT COUNT(*) FROM [rss_data] WHERE item_feedid = %d AND "
                            "item_read = %d;",
                            id, 0),
                  unread);
    });
}

}  // namespace zirvo
