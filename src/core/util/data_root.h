#pragma once
// The data root: the folder that holds everything a user's programs keep (what the original
// Windows programs kept next to their executable).
//
// Layout below the root:
//   config/appConfig.xml, config/userConfig.xml   settings and blog accounts
//   ErrorMsg.xml, BSP.xml                         message catalogue, blog service presets
//   Storage/rss.db, Storage/blog.db               feed and article databases
//   Storage/rssreader.opml, Storage/rssFavorite.opml   subscription and favourites trees
//   Data/...                                      skins, editor page, templates
//   Temp/...                                      scratch files and hand-over files
//
// Threading: value type; any thread.

#include <string>

namespace zirvo {

class CDataRoot {
public:
    explicit CDataRoot(std::string dir);

    // `--root DIR` when given, else $ZIRVO_HOME, else $XDG_DATA_HOME/zirvo, else
    // ~/.local/share/zirvo. Relative paths are made absolute against the current folder.
    static std::string Resolve(const std::string& rootArgument);
    // Where the shipped data lives: $ZIRVO_DATA_DIR, else ../share/zirvo beside the executable,
    // else the installed share folder, else the source tree's data/ (a build tree).
    static std::string ShippedDataDir();

    const std::string& Dir() const { return m_dir; }
    std::string Path(const std::string& relative) const;

    std::string AppConfigPath() const { return Path("config/appConfig.xml"); }
    std::string UserConfigPath() const { return Path("config/userConfig.xml"); }
    std::string ErrorMsgPath() const { return Path("ErrorMsg.xml"); }
    std::string BspPath() const { return Path("BSP.xml"); }
    std::string StorageDir() const { return Path("Storage"); }
    std::string RssDbPath() const { return Path("Storage/rss.db"); }
    std::string BlogDbPath() const { return Path("Storage/blog.db"); }
    std::string OpmlPath() const { return Path("Storage/rssreader.opml"); }
    std::string FavoriteOpmlPath() const { return Path("Storage/rssFavorite.opml"); }
    std::string DataDir() const { return Path("Data"); }
    std::string TempDir() const { return Path("Temp"); }

private:
    std::string m_dir;
};

}  // namespace zirvo
