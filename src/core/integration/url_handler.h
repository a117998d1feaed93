#pragma once
// The program as the desktop's handler of `qova:` links and of RSS files: what the browser's
// "subscribe" link and a double click on a feed file start. Standing in for the registry
// entries of the original platform, following the XDG specifications:
//   - a desktop entry $XDG_DATA_HOME/applications/zirvo-url-handler.desktop:
//       [Desktop Entry] Type=Application, Name, Icon=zirvo, NoDisplay=true,
//       Exec="PROGRAM" --root "ROOT" %u   (quoted as the Desktop Entry specification says),
//       MimeType=x-scheme-handler/qova;application/rss+xml;
//   - in $XDG_CONFIG_HOME/mimeapps.list that entry is the default application of both types
//     ([Default Applications]) and added to them ([Added Associations]), exactly as
//     `xdg-mime default` writes it; everything else in the file stays as it is;
//   - the desktop database of the folder is refreshed with update-desktop-database when it is
//     installed (a missing tool is not a failure: the defaults work without its cache).
// Removing takes the entry out of both groups and deletes the desktop entry. (`xdg-mime` has no
// command that removes a default, which is why the list is edited here.)
//
// Threading: any thread; the functions touch only the files under the folders they are given.

#include <string>
#include <vector>

namespace zirvo {

inline constexpr const char* kHandlerDesktopId = "zirvo-url-handler.desktop";
inline constexpr const char* kAddedMessage =
    "加入成功!\n您可以通过浏览器右键订阅RSS\n(在新的浏览器实例中生效)!";
inline constexpr const char* kRemovedMessage = "成功移除注册表信息!";

// The MIME types the program takes: its link scheme and RSS files.
std::vector<std::string> HandledMimeTypes();

struct XdgUserDirs {
    std::string dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    std::string configHome;  // $XDG_CONFIG_HOME, else ~/.config
};
// From the environment; empty members when neither the variable nor $HOME is set.
XdgUserDirs UserXdgDirs();

// One argument of an Exec line, quoted (and escaped for a desktop entry's string value).
std::string QuoteExecArgument(const std::string& argument);
// The desktop entry text for `program` serving the data root `rootDir`. False when a path
// cannot stand in an Exec line (a line break in it).
bool HandlerDesktopEntry(const std::string& program, const std::string& rootDir, std::string& text);

// mimeapps.list with `desktopId` made the default of `types` and added to them.
std::string WithMimeDefaults(const std::string& list, const std::vector<std::string>& types,
                             const std::string& desktopId);
// mimeapps.list without `desktopId` anywhere in its default and added lists; `changed` says
// whether it was there.
std::string WithoutDesktopId(const std::string& list, const std::string& desktopId, bool& changed);

// Writes the desktop entry and the defaults. False with `error` set; what was written before
// the failure stays (as a registry sequence that stops).
bool RegisterUrlHandler(const XdgUserDirs& dirs, const std::string& program,
                        const std::string& rootDir, std::string& error);

enum class UnregisterResult {
    Removed,
    NothingRegistered,  // neither the entry nor a default of it: nothing to say
    Failed,
};
UnregisterResult UnregisterUrlHandler(const XdgUserDirs& dirs, std::string& error);

// True when the desktop entry exists and mimeapps.list names it as the default of the scheme.
bool UrlHandlerRegistered(const XdgUserDirs& dirs);

}  // namespace zirvo
