#include "core/integration/browser_favourites.h"

#include <cstdlib>

#include "core/net/http_client.h"
#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo {

namespace {

// A value of a desktop entry's key: one line, its backslashes doubled.
std::string EntryValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n' || c == '\r' || c == '\t') {
            out += ' ';
        } else if (static_cast<unsigned char>(c) >= 0x20 || c < 0) {
            out += c;
        }
    }
    return Trim(out);
}

// The title as a file name: no folder separators or control characters, no leading dot, at
// most about 120 bytes (cut on a character boundary).
std::string FileNameOf(const std::string& title) {
    std::string name;
    for (char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        name += (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) ? '_' : c;
    }
    name = Trim(name);
    while (!name.empty() && name.front() == '.') {
        name.erase(0, 1);
    }
    if (name.size() > 120) {
        size_t cut = 120;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return name.empty() ? std::string("link") : name;
}

}  // namespace

std::string BrowserFavouritesFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return std::string();
    }
    const std::string folder = JoinPath(home, "Favorites");
    return DirectoryExists(folder) ? folder : std::string();
}

bool WriteFavouriteLink(const std::string& folder, const std::string& title, const std::string& url,
                        std::string& path, std::string& error) {
    if (!IsHttpUrl(url) || url.find_first_of("\r\n") != std::string::npos) {
        error = kFavouriteNotWeb;
        return false;
    }
    if (folder.empty() || !DirectoryExists(folder)) {
        error = kNoFavouritesFolder;
        return false;
    }
    const std::string base = FileNameOf(title);
    path = JoinPath(folder, base + ".desktop");
    for (int n = 2; FileExists(path); ++n) {
        if (n > 999) {
            error = "too many favourites named " + base;
            return false;
        }
        path = JoinPath(folder, base + " (" + std::to_string(n) + ").desktop");
    }
    const std::string name = EntryValue(title).empty() ? url : EntryValue(title);
    const std::string entry = "[Desktop Entry]\nType=Link\nName=" + name +
                              "\nURL=" + EntryValue(url) + "\nIcon=text-html\n";
    return WriteFileAtomic(path, entry, &error);
}

}  // namespace zirvo
