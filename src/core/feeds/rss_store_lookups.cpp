// The feed store's read-only look-ups by address and by id (see rss_store.h).

#include "core/db/sqlite_cursor.h"
#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {

bool CRssStore::FindFeedId(const std::string& url, int& id, bool& found) {
    found = false;
    const std::string sql =
        StrFormat("SELECT feed_id FROM [feed_data] WHERE feed_url = '%s';", Quoted(url).c_str());
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(sql);
        if (!row.AtEnd()) {
            found = true;
            id = row.GetInt(0);
        }
    });
}

bool CRssStore::FeedUrlOf(int id, std::string& url, bool& found) {
    found = false;
    const std::string sql = StrFormat("SELECT feed_url FROM [feed_data] WHERE feed_id = %d;", id);
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(sql);
        if (!row.AtEnd()) {
            found = true;
            url = row.GetText(0);
        }
    });
}

bool CRssStore::FindFeedSettings(const std::string& url, int& id, FeedSettings& settings,
                                 bool& found) {
    if (!FindFeedId(url, id, found)) {
        return false;
    }
    if (!found) {
        return true;
    }
    int ignored = 0;
    // The row exists, so this look-up adds nothing.
    return GetFeedSettings(url, ignored, settings);
}

}  // namespace zirvo
