#pragma once
// "添加到IE收藏夹": a feed item's link kept in the user's folder of browser favourites. This
// platform has no such folder of its own (browsers keep bookmarks in their profiles), so the
// stand-in is ~/Favorites when the user has that folder (a home carried over from Windows, or
// one made for links); without it the command is unavailable and says why.
//
// A favourite is a desktop entry of type Link, which file managers and desktops open with the
// default browser:
//   [Desktop Entry]  Type=Link  Name=TITLE  URL=LINK  Icon=text-html
// named after the title ("TITLE.desktop", made safe as a file name; " (2)", " (3)" ... when the
// name is taken). Only web addresses are kept.
//
// Threading: any thread.

#include <string>

namespace zirvo {

inline constexpr const char* kNoFavouritesFolder = "没有浏览器收藏夹文件夹 (~/Favorites)";
inline constexpr const char* kFavouriteNotWeb = "只能把网页地址加入收藏夹";

// ~/Favorites when it is a folder; empty otherwise.
std::string BrowserFavouritesFolder();

// Writes the link into `folder`; `path` names the file written. False with `error` set.
bool WriteFavouriteLink(const std::string& folder, const std::string& title, const std::string& url,
                        std::string& path, std::string& error);

}  // namespace zirvo
