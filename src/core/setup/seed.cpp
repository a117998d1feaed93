#include "core/setup/seed.h"

#include <filesystem>

#include "core/articles/blog_store.h"
#include "core/feeds/rss_store.h"
#include "core/util/files.h"

namespace zirvo {
namespace {

bool CopyTree(const std::string& from, const CDataRoot& root, SeedReport& report) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::recursive_directory_iterator it(from, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        report.error = "cannot read the shipped data in " + from + ": " + ec.message();
        return false;
    }
    const fs::path base(from);
    for (const auto& entry : it) {
        // The walk names each entry below `from` as it was given: the part after it is a matter
        // of the names alone (fs::relative resolved every folder of both paths on disk, at each
        // start of each program).
        std::string relative = entry.path().lexically_relative(base).string();
        if (relative.empty() || relative.rfind("..", 0) == 0) {
            continue;
        }
        std::string target = root.Path(relative);
        if (entry.is_directory()) {
            if (!DirectoryExists(target) && !MakeDirectories(target, &report.error)) {
                return false;
            }
            continue;
        }
        if (!entry.is_regular_file()) {
            continue;
        }
        bool copied = false;
        if (!CopyFileIfMissing(entry.path().string(), target, &copied, &report.error)) {
            return false;
        }
        if (copied) {
            report.created.push_back(relative);
        }
    }
    return true;
}

}  // namespace

bool SeedDataRoot(const CDataRoot& root, const std::string& shippedDir, SeedReport& report) {
    for (const char* folder : {"", "config", "Data", "Storage", "Temp"}) {
        std::string path = root.Path(folder);
        if (!DirectoryExists(path)) {
            if (!MakeDirectories(path, &report.error)) {
                return false;
            }
            if (*folder) {
                report.created.push_back(folder);
            }
        }
    }
    if (shippedDir.empty() || !DirectoryExists(shippedDir)) {
        report.error = "the shipped data folder is missing (" + shippedDir +
                       "); set ZIRVO_DATA_DIR to the data folder of the installation";
        return false;
    }
    if (!CopyTree(shippedDir, root, report)) {
        return false;
    }

    bool newRss = !FileExists(root.RssDbPath());
    CRssStore rss(root.Dir());
    if (!rss.Open()) {
        report.error = root.RssDbPath() + ": " + rss.GetLastError();
        return false;
    }
    if (newRss) {
        report.created.push_back("Storage/rss.db");
    }
    if (!rss.EnsureFavouriteFolder(kShippedFavouriteFolderId)) {
        report.error = root.RssDbPath() + ": " + rss.GetLastError();
        return false;
    }
    bool newBlog = !FileExists(root.BlogDbPath());
    CBlogStore blog(root.Dir());
    if (!blog.Open()) {
        report.error = root.BlogDbPath() + ": " + blog.GetLastError();
        return false;
    }
    if (newBlog) {
        report.created.push_back("Storage/blog.db");
    }
    return true;
}

}  // namespace zirvo
