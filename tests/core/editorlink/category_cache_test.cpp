#include "core/editorlink/category_cache.h"

#include <gtest/gtest.h>

#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using Names = std::vector<std::string>;

TEST(CategoryCacheTest, PathsPerAccountBelowTemp) {
    EXPECT_EQ(CategoryCachePath("/r", "我的博客"), "/r/Temp/Categories_我的博客.xml");
    EXPECT_EQ(SystemCategoryCachePath("/r", "a&b"), "/r/Temp/Categories2_a&b.xml");
    EXPECT_EQ(CategoryCachePath("/r", "../../etc/x"), "");
    EXPECT_EQ(CategoryCachePath("/r", ".."), "");
}

TEST(CategoryCacheTest, FileTextIsOneLineWithCData) {
    EXPECT_EQ(BuildCategoryCacheXml({"a", "b]]>c"}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><root><categories>"
              "<category><title><![CDATA[a]]></title></category>"
              "<category><title><![CDATA[b]]]]><![CDATA[>c]]></title></category>"
              "</categories></root>");
    EXPECT_EQ(BuildCategoryCacheXml({}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><root><categories></categories></root>");
}

TEST(CategoryCacheTest, NamesRoundTripInServerOrder) {
    test::TempDir root("categories");
    Names names{"生活", "x]]>y", "<b>&amp;", "技术"};
    std::string path = CategoryCachePath(root.Path(), "博客");
    ASSERT_TRUE(WriteCategoryCache(path, names));
    Names read{"stale"};
    ASSERT_TRUE(ReadCategoryCache(path, read));
    EXPECT_EQ(read, names);

    // A server without categories gives an empty list.
    ASSERT_TRUE(WriteCategoryCache(path, {}));
    ASSERT_TRUE(ReadCategoryCache(path, read));
    EXPECT_TRUE(read.empty());
}

TEST(CategoryCacheTest, MissingOrBrokenFileLeavesTheListAlone) {
    test::TempDir root("categories");
    Names read{"kept"};
    EXPECT_FALSE(ReadCategoryCache(SystemCategoryCachePath(root.Path(), "a"), read));
    std::string path = root.WriteFile("Temp/Categories_a.xml", "<root><categories><category>");
    EXPECT_FALSE(ReadCategoryCache(path, read));
    EXPECT_EQ(read, Names{"kept"});
    EXPECT_FALSE(WriteCategoryCache(CategoryCachePath(root.Path(), "a/b"), {"x"}));
}

TEST(CategoryCacheTest, ListStopsAtACategoryWithoutTitle) {
    test::TempDir root("categories");
    std::string path =
        root.WriteFile("Temp/Categories_a.xml",
                       "<root><categories><category><title>one</title></category><category/>"
                       "<category><title>three</title></category></categories></root>");
    Names read;
    ASSERT_TRUE(ReadCategoryCache(path, read));
    EXPECT_EQ(read, Names{"one"});
}

TEST(CategoryCacheTest, FlavoursWithCategories) {
    EXPECT_FALSE(FlavourHasCategories("Blogger"));
    EXPECT_TRUE(FlavourHasCategories("MovableType"));
    EXPECT_TRUE(FlavourHasSystemCategories("MetaWeblog"));
    EXPECT_FALSE(FlavourHasSystemCategories("MSN Spaces"));
}

}  // namespace
}  // namespace zirvo
