// CRssStore: reading items, their read state, search and clean-up of rss_data.

#include <unordered_map>

#include "core/feeds/rss_item_statements.h"
#include "core/feeds/rss_store.h"
#include "core/feeds/search_index.h"
#include "core/util/strings.h"

namespace zirvo {

namespace {

const char* ItemTable(bool fromStaging) {
    return fromStaging ? "[rsstemp_data]" : "[rss_data]";
}

}  // namespace

bool CRssStore::ListItems(int id, int filter, bool withBody, std::vector<RssItem>& items,
                          int& total, int count, int offset, const ItemOrder& order) {
    const char* condition = nullptr;
    if (!ItemFilterCondition(filter, condition)) {
        SetLastError(StrFormat("unknown item filter %d", filter));
        return false;
    }
    if (std::string terms; !ItemOrderTerms(order, terms)) {
        SetLastError(StrFormat("unknown sort column %d", order.key));
        return false;
    }
    return RunRead([&] {
        const std::string sql = ItemsPageStatement(id, filter, withBody, offset, count, order);
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            RssItem item;
            item.id = row.GetInt("item_id");
            item.channelId = id;
            item.isNew = row.GetInt("item_new");
            item.read = row.GetInt("item_read");
            item.title = row.GetText("item_title");
            item.author = row.GetText("item_author");
            item.date = row.GetText("item_pubDate");
            if (withBody) {
                item.link = row.GetText("item_link");
                item.description = row.GetText("item_description");
            }
            items.push_back(std::move(item));
        }
        ReadCount(ItemsTotalStatement(id, filter), total);
    });
}

bool CRssStore::ListFeedsItems(const FeedIdList& feeds, int filter, std::vector<RssItem>& items,
                               const ItemOrder& order) {
    const char* condition = nullptr;
    if (!ItemFilterCondition(filter, condition)) {
        SetLastError(StrFormat("unknown item filter %d", filter));
        return false;
    }
    if (std::string terms; !ItemOrderTerms(order, terms)) {
        SetLastError(StrFormat("unknown sort column %d", order.key));
        return false;
    }
    if (feeds.empty()) {
        return true;
    }
    return RunRead([&] {
        const std::string sql = FeedsItemsStatement(FormatFeedIds(feeds), filter, order);
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            RssItem item;
            item.id = row.GetInt("item_id");
            item.channelId = row.GetInt("item_feedid");
            item.isNew = row.GetInt("item_new");
            item.read = row.GetInt("item_read");
            item.title = row.GetText("item_title");
            item.author = row.GetText("item_author");
            item.date = row.GetText("item_pubDate");
            items.push_back(std::move(item));
        }
    });
}

bool CRssStore::ListUnread(std::vector<RssItem>& items, int& count, const ItemOrder& order) {
    if (std::string terms; !ItemOrderTerms(order, terms)) {
        SetLastError(StrFormat("unknown sort column %d", order.key));
        return false;
    }
    return RunRead([&] {
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(UnreadItemsStatement(order));
             !row.AtEnd(); row.NextRow()) {
            RssItem item;
            item.id = row.GetInt("item_id");
            item.channelId = row.GetInt("item_feedid");
            item.title = row.GetText("item_title");
            item.author = row.GetText("item_author");
            item.date = row.GetText("item_pubDate");
            items.push_back(std::move(item));
        }
        ReadCount("SELECT COUNT(*) FROM [rss_data] WHERE item_read = 0;", count);
    });
}

bool CRssStore::MaxItemId(int& id) {
    id = 0;
    return RunRead([&] { ReadCount("SELECT MAX(item_id) FROM [rss_data];", id); });
}

bool CRssStore::GetItem(int id, bool fromStaging, RssItem& item) {
    bool found = false;
    bool ok = RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT * FROM %s WHERE item_id = %d;", ItemTable(fromStaging), id));
        if (!row.AtEnd()) {
            item = ReadFullItem(row, true);
            found = true;
        }
    });
    if (ok && !found) {
        SetLastError(kNoRssItemWithId);
    }
    if (ok && found && !fromStaging) {
        ok = ListEnclosures(id, item.enclosures);
    }
    return ok && found;
}

bool CRssStore::ListEnclosures(int itemId, std::vector<Enclosure>& enclosures) {
    enclosures.clear();
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT enc_url, enc_type, enc_length FROM [rss_enclosure] WHERE "
                      "enc_itemid = %d ORDER BY rowid LIMIT %d;",
                      itemId, static_cast<int>(kMaxItemEnclosures)));
        for (; !row.AtEnd(); row.NextRow()) {
            Enclosure enclosure;
            enclosure.url = row.GetText("enc_url");
            enclosure.type = row.GetText("enc_type");
            long long length = 0;
            if (ParseInt(row.GetText("enc_length"), length) && length > 0) {
                enclosure.length = length;
            }
            enclosures.push_back(std::move(enclosure));
        }
    });
}

bool CRssStore::FillEnclosures(std::vector<RssItem>& items) {
    if (items.empty()) {
        return true;
    }
    std::unordered_map<int, size_t> byId;
    std::string ids;
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].enclosures.clear();
        byId.emplace(items[i].id, i);
        ids += ids.empty() ? std::to_string(items[i].id) : "," + std::to_string(items[i].id);
    }
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT enc_itemid, enc_url, enc_type, enc_length FROM [rss_enclosure] "
                      "WHERE enc_itemid IN (%s) ORDER BY rowid;",
                      ids.c_str()));
        for (; !row.AtEnd(); row.NextRow()) {
            auto found = byId.find(row.GetInt("enc_itemid"));
            if (found == byId.end()) {
                continue;
            }
            RssItem& item = items[found->second];
            if (item.enclosures.size() >= kMaxItemEnclosures) {
                continue;
            }
            Enclosure enclosure;
            enclosure.url = row.GetText("enc_url");
            enclosure.type = row.GetText("enc_type");
            long long length = 0;
            if (ParseInt(row.GetText("enc_length"), length) && length > 0) {
                enclosure.length = length;
            }
            item.enclosures.push_back(std::move(enclosure));
        }
    });
}

bool CRssStore::GetItemLink(int id, bool fromStaging, std::string& link) {
    bool found = false;
    bool ok = RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT item_link FROM %s WHERE item_id = %d;", ItemTable(fromStaging), id));
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

bool CRssStore::GetItemFeedId(int id, int& channelId) {
    bool found = false;
    bool ok = RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT item_feedid FROM [rss_data] WHERE item_id = %d;", id));
        if (!row.AtEnd()) {
            channelId = row.GetInt("item_feedid");
            found = true;
        }
    });
    if (ok && !found) {
        SetLastError(kNoMatchingRssItem);
    }
    return ok && found;
}

bool CRssStore::CountNew(int id, int& n) {
    n = 0;
    return RunRead([&] {
        // Asked after every merge of a weighted walk: compiled once per connection.
        n = Connection()
                .Prepared(
                    "SELECT COUNT(*) FROM [rss_data] WHERE item_feedid = ?1 AND item_new = 1;")
                .Bind(1, id)
                .QueryInt(0);
    });
}

bool CRssStore::CountUnread(int id, int& n) {
    n = 0;
    return RunRead([&] {
        // Asked after every receive of every channel: compiled once per connection.
        n = Connection()
                .Prepared(
                    "SELECT COUNT(*) FROM [rss_data] WHERE item_feedid = ?1 AND item_read = 0;")
                .Bind(1, id)
                .QueryInt(0);
    });
}

bool CRssStore::SetItemRead(int itemId, int read) {
    return RunInTransaction([&] {
        Connection().ExecuteUpdate(
            StrFormat("UPDATE [rss_data] SET item_new = %d , item_read = %d WHERE item_id = %d;", 0,
                      read, itemId));
    });
}

bool CRssStore::SetFeedRead(int channelId, int read) {
    return RunInTransaction([&] {
        Connection().ExecuteUpdate(
            StrFormat("UPDATE [rss_data] SET item_new = %d , item_read = %d WHERE item_feedid = "
                      "%d AND item_read = %d;",
                      0, read, channelId, read == 1 ? 0 : 1));
    });
}

bool CRssStore::SetFeedsRead(const FeedIdList& feeds, int read) {
    if (feeds.empty()) {
        return true;
    }
    return RunInTransaction([&] {
        Connection().ExecuteUpdate(
            StrFormat("UPDATE [rss_data] SET item_new = %d , item_read = %d WHERE item_feedid IN "
                      "(%s) AND item_read = %d;",
                      0, read, FormatFeedIds(feeds).c_str(), read == 1 ? 0 : 1));
    });
}

bool CRssStore::SetFeedsReadUpTo(const FeedIdList& feeds, int read, int maxItemId) {
    if (feeds.empty()) {
        return true;
    }
    return RunInTransaction([&] {
        Connection().ExecuteUpdate(
            StrFormat("UPDATE [rss_data] SET item_new = %d , item_read = %d WHERE item_feedid IN "
                      "(%s) AND item_read = %d AND item_id <= %d;",
                      0, read, FormatFeedIds(feeds).c_str(), read == 1 ? 0 : 1, maxItemId));
    });
}

namespace {

// The search statement; `page` (" LIMIT n OFFSET k" or empty) is appended. `indexed`: the
// index narrows the rows, the LIKE test of the plain statement decides on each; its rows come
// newest first from the index itself, so a page stops reading early.
std::string SearchStatement(const std::string& keyword, const FeedIdList& feeds, bool allChannels,
                            bool alsoDescription, bool indexed, const std::string& page) {
    // The keyword is quoted like every other text: a quote in it must neither break the
    // statement nor change what it does.
    const std::string word = CSQLiteStore::Quoted(keyword);
    const std::string ids = FormatFeedIds(feeds);
    if (indexed) {
        std::string test = StrFormat("[rss_data].item_title LIKE '%%%s%%'", word.c_str());
        if (alsoDescription) {
            test = StrFormat("(%s OR [rss_data].item_description LIKE '%%%s%%')", test.c_str(),
                             word.c_str());
        }
        if (!allChannels) {
            test += StrFormat(" AND [rss_data].item_feedid IN (%s)", ids.c_str());
        }
        // Titles only: the index of the titles, or every item whose description holds the
        // keyword would be read too.
        const char* index = alsoDescription ? "rss_fts" : "rss_title_fts";
        return StrFormat(
            "SELECT [rss_data].* FROM [%s] JOIN [rss_data] ON [rss_data].item_id = [%s].rowid "
            "WHERE [%s] MATCH '%s' AND %s ORDER BY [%s].rowid DESC%s;",
            index, index, index, CSQLiteStore::Quoted(TrigramQuery(keyword)).c_str(), test.c_str(),
            index, page.c_str());
    }
    if (allChannels && !alsoDescription) {
        return StrFormat(
            "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' ORDER BY item_id "
            "DESC%s;",
            word.c_str(), page.c_str());
    }
    if (allChannels) {
        return StrFormat(
            "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' OR "
            "item_description LIKE '%%%s%%' ORDER BY item_id DESC%s;",
            word.c_str(), word.c_str(), page.c_str());
    }
    if (!alsoDescription) {
        return StrFormat(
            "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' AND item_feedid "
            "IN (%s) ORDER BY item_id DESC%s;",
            word.c_str(), ids.c_str(), page.c_str());
    }
    return StrFormat(
        "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' AND item_feedid "
        "IN (%s) OR item_description LIKE '%%%s%%' AND item_feedid IN (%s) ORDER "
        "BY item_id DESC%s;",
        word.c_str(), ids.c_str(), word.c_str(), ids.c_str(), page.c_str());
}

}  // namespace

bool CRssStore::SearchItems(const std::string& keyword, std::vector<RssItem>& items,
                            const FeedIdList& feeds, bool allChannels, bool alsoDescription) {
    return SearchItemsPage(keyword, feeds, allChannels, alsoDescription, 0, -1, items);
}

bool CRssStore::SearchItemsPage(const std::string& keyword, const FeedIdList& feeds,
                                bool allChannels, bool alsoDescription, int offset, int limit,
                                std::vector<RssItem>& items) {
    if (!allChannels && feeds.empty()) {
        return true;
    }
    return RunRead([&] {
        bool indexed = SearchUsesIndex(keyword);
        if (indexed) {
            // An index still being built after an upgrade would miss the older items.
            indexed = Connection().ExecuteQuery("SELECT 1 FROM [rssfts_build] LIMIT 1;").AtEnd();
        }
        const std::string page = limit < 0 && offset <= 0 ? std::string()
                                                          : StrFormat(" LIMIT %d OFFSET %d", limit,
                                                                      offset > 0 ? offset : 0);
        const std::string sql =
            SearchStatement(keyword, feeds, allChannels, alsoDescription, indexed, page);
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            items.push_back(ReadFullItem(row, true));
        }
    });
}

namespace {

// The condition of the rows a cleaning deletes (CleanFeeds' statements after "rss_data").
std::string CleaningCondition(const std::string& ids, int days, bool includeUnread) {
    if (days > 0 && includeUnread) {
        return StrFormat("WHERE item_pubDate < datetime('now', '-%d days') AND item_feedid IN (%s)",
                         days, ids.c_str());
    }
    if (days > 0) {
        return StrFormat(
            "WHERE item_pubDate < datetime('now', '-%d days') AND item_feedid IN (%s) AND "
            "item_read = %d",
            days, ids.c_str(), 1);
    }
    if (!includeUnread) {
        return StrFormat("WHERE item_feedid IN (%s) AND item_read = %d", ids.c_str(), 1);
    }
    return StrFormat("WHERE item_feedid IN (%s)", ids.c_str());
}

}  // namespace

bool CRssStore::CountCleanable(const FeedIdList& feeds, int days, bool includeUnread, int& count) {
    count = 0;
    if (days < 0) {
        SetLastError(StrFormat("invalid day count %d", days));
        return false;
    }
    if (feeds.empty()) {
        return true;
    }
    const std::string sql = "SELECT COUNT(*) FROM rss_data " +
                            CleaningCondition(FormatFeedIds(feeds), days, includeUnread) + ";";
    return RunRead([&] { ReadCount(sql, count); });
}

bool CRssStore::CleanFeeds(const FeedIdList& feeds, int days, bool includeUnread) {
    if (days < 0) {
        SetLastError(StrFormat("invalid day count %d", days));
        return false;
    }
    if (feeds.empty()) {
        return true;
    }
    const std::string ids = FormatFeedIds(feeds);
    std::string sql;
    if (days > 0 && includeUnread) {
        sql = StrFormat(
            "DELETE FROM  rss_data WHERE item_pubDate < datetime('now', '-%d days') "
            "AND item_feedid IN (%s);",
            days, ids.c_str());
    } else if (days > 0) {
        sql = StrFormat(
            "DELETE FROM  rss_data WHERE item_pubDate < datetime('now', '-%d days') "
            "AND item_feedid IN (%s) AND item_read = %d;",
            days, ids.c_str(), 1);
    } else if (!includeUnread) {
        sql = StrFormat("DELETE FROM  rss_data WHERE item_feedid IN (%s) AND item_read = %d;",
                        ids.c_str(), 1);
    } else {
        sql = StrFormat("DELETE FROM  rss_data WHERE item_feedid IN (%s);", ids.c_str());
    }
    return RunInTransaction([&] { Connection().ExecuteUpdate(sql); });
}

}  // namespace zirvo
