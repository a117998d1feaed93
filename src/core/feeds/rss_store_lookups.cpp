// The feed store's read-only look-ups by address and by id (see rss_store.h).

#include <limits>

#include "core/db/sqlite_cursor.h"
#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {

bool CRssStore::FindFeedId(const std::string& url, int& id, bool& found) {
    found = false;
    // Asked for every channel whenever the counts are loaded (start-up, each command-line
    // receive) before anything else can start: compiled once per connection.
    constexpr int kNoRow = std::numeric_limits<int>::min();
    return RunRead([&] {
        const int value = Connection()
                              .Prepared("SELECT feed_id FROM [feed_data] WHERE feed_url = ?1;")
                              .Bind(1, url)
                              .QueryInt(kNoRow);
        if (value != kNoRow) {
            found = true;
            id = value;
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
