#include "core/setup/seed.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "core/feeds/rss_store.h"
#include "core/util/files.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace zirvo {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(SeedDataRootTest, FirstUseCreatesEverythingAndSecondUseNothing) {
    test::TempDir dir;
    CDataRoot root(dir.PathOf("root"));
    SeedReport first;
    ASSERT_TRUE(SeedDataRoot(root, CDataRoot::ShippedDataDir(), first)) << first.error;
    for (const char* path : {"config/appConfig.xml", "config/userConfig.xml", "ErrorMsg.xml",
                             "BSP.xml", "Storage/rssreader.opml", "Storage/rssFavorite.opml",
                             "Storage/rss.db", "Storage/blog.db"}) {
        EXPECT_TRUE(Contains(first.created, path)) << path;
        EXPECT_TRUE(FileExists(root.Path(path))) << path;
    }
    EXPECT_TRUE(DirectoryExists(root.TempDir()));

    // The favourites folder the shipped tree points at exists in the store.
    CRssStore store(root.Dir());
    ASSERT_TRUE(store.Open());
    std::vector<RssItem> items;
    EXPECT_TRUE(store.ListFavourites(kShippedFavouriteFolderId, false, items));

    SeedReport second;
    ASSERT_TRUE(SeedDataRoot(root, CDataRoot::ShippedDataDir(), second)) << second.error;
    EXPECT_TRUE(second.created.empty());
}

TEST(SeedDataRootTest, NeverOverwritesTheUsersFiles) {
    test::TempDir dir;
    CDataRoot root(dir.Path());
    dir.WriteFile("config/appConfig.xml", "<app>mine</app>");
    SeedReport report;
    ASSERT_TRUE(SeedDataRoot(root, CDataRoot::ShippedDataDir(), report)) << report.error;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(root.AppConfigPath(), bytes));
    EXPECT_EQ(bytes, "<app>mine</app>");
    EXPECT_FALSE(Contains(report.created, "config/appConfig.xml"));
    EXPECT_TRUE(Contains(report.created, "config/userConfig.xml"));
}

TEST(SeedDataRootTest, FailsClearlyWithoutShippedDataOrWritableRoot) {
    test::TempDir dir;
    SeedReport missing;
    EXPECT_FALSE(SeedDataRoot(CDataRoot(dir.PathOf("a")), dir.PathOf("no-data"), missing));
    EXPECT_NE(missing.error.find("no-data"), std::string::npos);

    test::CPermissionsBind bind;
    if (!bind.Active()) {
        GTEST_SKIP() << bind.Reason();
    }
    std::string locked = dir.MakeDir("locked");
    chmod(locked.c_str(), 0555);
    SeedReport readOnly;
    EXPECT_FALSE(SeedDataRoot(CDataRoot(locked + "/root"), CDataRoot::ShippedDataDir(), readOnly));
    EXPECT_FALSE(readOnly.error.empty());
    chmod(locked.c_str(), 0755);
}

TEST(SeedDataRootTest, AFileWhereTheDatabaseBelongsIsReported) {
    test::TempDir dir;
    CDataRoot root(dir.Path());
    dir.WriteFile("Storage/rss.db", "this is not a database, just text that is long enough....");
    SeedReport report;
    EXPECT_FALSE(SeedDataRoot(root, CDataRoot::ShippedDataDir(), report));
    EXPECT_NE(report.error.find("rss.db"), std::string::npos);
}

}  // namespace
}  // namespace zirvo
