#pragma once
// A feed store on a fresh data root, with a second connection to look at the file directly.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/sqlite_connection.h"
#include "core/feeds/rss_store.h"
#include "support/temp_dir.h"

namespace zirvo::test {

class RssStoreTest : public ::testing::Test {
public:
    static RssItem Item(const std::string& link, const std::string& title = "",
                        const std::string& date = "2006-01-05 08:30:00") {
        RssItem item;
        item.link = link;
        item.title = title.empty() ? "Title of " + link : title;
        item.author = "author";
        item.description = "<p>Body of " + link + "</p>";
        item.date = date;
        return item;
    }

    // A feed whose items have the given links, in feed order.
    static std::vector<RssItem> Feed(const std::vector<std::string>& links) {
        std::vector<RssItem> items;
        for (const std::string& link : links) {
            items.push_back(Item(link));
        }
        return items;
    }

    static std::vector<std::string> Links(const std::vector<RssItem>& items) {
        std::vector<std::string> links;
        for (const RssItem& item : items) {
            links.push_back(item.link);
        }
        return links;
    }

protected:
    void SetUp() override {
        m_root.MakeDir("Storage");
        ASSERT_TRUE(m_store.Open()) << m_store.GetLastError();
        m_peer.Open(m_root.PathOf("Storage/rss.db"));
    }

    // Column 0 of the first row of `sql`, read on the second connection.
    int Scalar(const std::string& sql) { return m_peer.ExecuteQuery(sql).GetInt(0, -1); }

    // The channel's items, newest first, with bodies.
    std::vector<RssItem> AllItems(int channel, int filter = kAllItems) {
        std::vector<RssItem> items;
        int total = 0;
        EXPECT_TRUE(m_store.ListItems(channel, filter, true, items, total, 100000, 0))
            << m_store.GetLastError();
        return items;
    }

    int NewChannel(const std::string& url) {
        int id = 0;
        EXPECT_TRUE(m_store.AddFeed(url, id)) << m_store.GetLastError();
        return id;
    }

    TempDir m_root{"rss-store"};
    CRssStore m_store{m_root.Path()};
    CppSQLite3Connection m_peer;
};

}  // namespace zirvo::test
