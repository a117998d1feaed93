#include "core/integration/browser_favourites.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

TEST(BrowserFavourites, FolderIsTheHomesFavoritesWhenItExists) {
    test::TempDir home("fav-home");
    const char* old = std::getenv("HOME");
    const std::string saved = old ? old : "";
    setenv("HOME", home.Path().c_str(), 1);
    EXPECT_EQ(BrowserFavouritesFolder(), "");
    home.MakeDir("Favorites");
    EXPECT_EQ(BrowserFavouritesFolder(), home.PathOf("Favorites"));
    setenv("HOME", saved.c_str(), 1);
}

TEST(BrowserFavourites, LinksAreNamedAfterTheTitleAndNeverLeaveTheFolder) {
    test::TempDir dir("fav");
    const std::string folder = dir.MakeDir("Favorites");
    std::string path;
    std::string error;
    ASSERT_TRUE(WriteFavouriteLink(folder, "新闻 \\ 今日", "http://127.0.0.1/a?b=1", path, error))
        << error;
    EXPECT_EQ(path, folder + "/新闻 _ 今日.desktop");
    std::string text;
    ASSERT_TRUE(ReadFileBytes(path, text));
    EXPECT_EQ(text,
              "[Desktop Entry]\nType=Link\nName=新闻 \\\\ 今日\nURL=http://127.0.0.1/a?b=1\n"
              "Icon=text-html\n");
    // The same title again gets a name of its own; a path in the title stays a name.
    ASSERT_TRUE(WriteFavouriteLink(folder, "新闻 \\ 今日", "http://127.0.0.1/c", path, error));
    EXPECT_EQ(path, folder + "/新闻 _ 今日 (2).desktop");
    ASSERT_TRUE(WriteFavouriteLink(folder, "../../etc/x\nName=evil", "https://h/", path, error));
    EXPECT_EQ(path, folder + "/_.._etc_x_Name=evil.desktop");
    ASSERT_TRUE(ReadFileBytes(path, text));
    EXPECT_NE(text.find("Name=../../etc/x Name=evil\n"), std::string::npos) << text;
}

TEST(BrowserFavourites, OnlyWebAddressesAndAnExistingFolder) {
    test::TempDir dir("fav");
    const std::string folder = dir.MakeDir("Favorites");
    std::string path;
    std::string error;
    EXPECT_FALSE(WriteFavouriteLink(folder, "x", "file:///etc/passwd", path, error));
    EXPECT_EQ(error, kFavouriteNotWeb);
    EXPECT_FALSE(WriteFavouriteLink(folder, "x", "javascript:alert(1)", path, error));
    EXPECT_FALSE(WriteFavouriteLink(dir.PathOf("missing"), "x", "http://h/", path, error));
    EXPECT_EQ(error, kNoFavouritesFolder);
}

}  // namespace
}  // namespace zirvo
