#include "core/integration/url_handler.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "core/util/files.h"
#include "core/util/strings.h"

extern char** environ;

namespace zirvo {

namespace {

constexpr const char* kDefaultGroup = "[Default Applications]";
constexpr const char* kAddedGroup = "[Added Associations]";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string ApplicationsDir(const XdgUserDirs& dirs) {
    return JoinPath(dirs.dataHome, "applications");
}

std::string MimeAppsPath(const XdgUserDirs& dirs) {
    return JoinPath(dirs.configHome, "mimeapps.list");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}

std::vector<std::string> SplitList(const std::string& value) {
    std::vector<std::string> ids;
    std::string id;
    for (char c : value + ";") {
        if (c == ';') {
            if (!Trim(id).empty()) {
                ids.push_back(Trim(id));
            }
            id.clear();
        } else {
            id += c;
        }
    }
    return ids;
}

bool IsGroupHeader(const std::string& line) {
    const std::string trimmed = Trim(line);
    return !trimmed.empty() && trimmed.front() == '[';
}

// Puts `type=value` into `group` (made at the end when missing), replacing the key's line.
void SetKey(std::vector<std::string>& lines, const std::string& group, const std::string& type,
            const std::string& value) {
    size_t at = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (Trim(lines[i]) == group) {
            at = i;
            break;
        }
    }
    if (at == lines.size()) {
        if (!lines.empty() && !Trim(lines.back()).empty()) {
            lines.push_back(std::string());
        }
        lines.push_back(group);
        lines.push_back(type + "=" + value);
        return;
    }
    size_t end = at + 1;
    while (end < lines.size() && !IsGroupHeader(lines[end])) {
        const size_t equals = lines[end].find('=');
        if (equals != std::string::npos && Trim(lines[end].substr(0, equals)) == type) {
            lines[end] = type + "=" + value;
            return;
        }
        ++end;
    }
    // After the group's last key, before blank lines that part it from the next group.
    size_t insert = end;
    while (insert > at + 1 && Trim(lines[insert - 1]).empty()) {
        --insert;
    }
    lines.insert(lines.begin() + static_cast<long>(insert), type + "=" + value);
}

std::string ValueOf(const std::vector<std::string>& lines, const std::string& group,
                    const std::string& type) {
    bool inGroup = false;
    for (const std::string& line : lines) {
        if (IsGroupHeader(line)) {
            inGroup = Trim(line) == group;
            continue;
        }
        const size_t equals = line.find('=');
        if (inGroup && equals != std::string::npos && Trim(line.substr(0, equals)) == type) {
            return Trim(line.substr(equals + 1));
        }
    }
    return std::string();
}

// Runs update-desktop-database on `dir` when the tool is installed; its outcome does not count.
void RefreshDesktopDatabase(const std::string& dir) {
    const char* tool = "update-desktop-database";
    std::string path = Env("PATH");
    ReplaceAll(path, ":", ";");
    bool found = false;
    for (const std::string& folder : SplitList(path)) {
        if (::access(JoinPath(folder, tool).c_str(), X_OK) == 0) {
            found = true;
            break;
        }
    }
    if (!found) {
        return;
    }
    std::string toolName = tool;
    std::string quiet = "-q";
    std::string target = dir;
    char* argv[] = {toolName.data(), quiet.data(), target.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, tool, nullptr, nullptr, argv, environ) != 0) {
        return;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::vector<std::string> HandledMimeTypes() {
    return {"x-scheme-handler/qova", "application/rss+xml"};
}

XdgUserDirs UserXdgDirs() {
    XdgUserDirs dirs;
    const std::string home = Env("HOME");
    dirs.dataHome = Env("XDG_DATA_HOME");
    if (dirs.dataHome.empty() && !home.empty()) {
        dirs.dataHome = JoinPath(home, ".local/share");
    }
    dirs.configHome = Env("XDG_CONFIG_HOME");
    if (dirs.configHome.empty() && !home.empty()) {
        dirs.configHome = JoinPath(home, ".config");
    }
    return dirs;
}

std::string QuoteExecArgument(const std::string& argument) {
    // Inside double quotes the Exec key escapes " ` $ and \ with a backslash; the value as a
    // whole is a string, whose own escape doubles every backslash again. A literal % is %%.
    std::string quoted = "\"";
    for (char c : argument) {
        switch (c) {
            case '"':
            case '`':
            case '$':
                quoted += "\\\\";
                quoted += c;
                break;
            case '\\':
                quoted += "\\\\\\\\";
                break;
            case '%':
                quoted += "%%";
                break;
            default:
                quoted += c;
        }
    }
    return quoted + "\"";
}

bool HandlerDesktopEntry(const std::string& program, const std::string& rootDir,
                         std::string& text) {
    for (const std::string* path : {&program, &rootDir}) {
        if (path->find_first_of("\r\n") != std::string::npos || path->empty()) {
            return false;
        }
    }
    text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Zirvo\n"
        "Comment=订阅RSS链接\n"
        "Icon=zirvo\n"
        "NoDisplay=true\n"
        "Exec=" +
        QuoteExecArgument(program) + " --root " + QuoteExecArgument(rootDir) +
        " %u\n"
        "MimeType=";
    for (const std::string& type : HandledMimeTypes()) {
        text += type + ";";
    }
    text += "\n";
    return true;
}

std::string WithMimeDefaults(const std::string& list, const std::vector<std::string>& types,
                             const std::string& desktopId) {
    std::vector<std::string> lines = Lines(list);
    for (const std::string& type : types) {
        SetKey(lines, kDefaultGroup, type, desktopId);
        std::string added = desktopId + ";";
        for (const std::string& id : SplitList(ValueOf(lines, kAddedGroup, type))) {
            if (id != desktopId) {
                added += id + ";";
            }
        }
        SetKey(lines, kAddedGroup, type, added);
    }
    return Joined(lines);
}

std::string WithoutDesktopId(const std::string& list, const std::string& desktopId, bool& changed) {
    changed = false;
    std::vector<std::string> out;
    bool inGroup = false;
    for (const std::string& line : Lines(list)) {
        if (IsGroupHeader(line)) {
            inGroup = Trim(line) == kDefaultGroup || Trim(line) == kAddedGroup;
            out.push_back(line);
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string::npos) {
            out.push_back(line);
            continue;
        }
        const std::vector<std::string> ids = SplitList(line.substr(equals + 1));
        std::string kept;
        bool had = false;
        for (const std::string& id : ids) {
            if (id == desktopId) {
                had = true;
            } else {
                kept += id + ";";
            }
        }
        if (!had) {
            out.push_back(line);
            continue;
        }
        changed = true;
        if (!kept.empty()) {
            out.push_back(line.substr(0, equals + 1) + kept);
        }
    }
    return Joined(out);
}

bool RegisterUrlHandler(const XdgUserDirs& dirs, const std::string& program,
                        const std::string& rootDir, std::string& error) {
    if (dirs.dataHome.empty() || dirs.configHome.empty()) {
        error = "neither $XDG_DATA_HOME nor $HOME is set";
        return false;
    }
    std::string entry;
    if (!HandlerDesktopEntry(program, rootDir, entry)) {
        error = "the program's path cannot stand in a desktop entry: " + program;
        return false;
    }
    const std::string applications = ApplicationsDir(dirs);
    if (!MakeDirectories(applications, &error) ||
        !WriteFileAtomic(JoinPath(applications, kHandlerDesktopId), entry, &error)) {
        return false;
    }
    std::string list;
    const std::string listPath = MimeAppsPath(dirs);
    if (FileExists(listPath) && !ReadFileBytes(listPath, list, 4u << 20)) {
        error = "cannot read " + listPath;
        return false;
    }
    if (!MakeDirectories(dirs.configHome, &error) ||
        !WriteFileAtomic(listPath, WithMimeDefaults(list, HandledMimeTypes(), kHandlerDesktopId),
                         &error)) {
        return false;
    }
    RefreshDesktopDatabase(applications);
    return true;
}

UnregisterResult UnregisterUrlHandler(const XdgUserDirs& dirs, std::string& error) {
    if (dirs.dataHome.empty() || dirs.configHome.empty()) {
        return UnregisterResult::NothingRegistered;
    }
    const std::string applications = ApplicationsDir(dirs);
    const std::string entry = JoinPath(applications, kHandlerDesktopId);
    const std::string listPath = MimeAppsPath(dirs);
    std::string list;
    bool listed = false;
    std::string without;
    if (FileExists(listPath)) {
        if (!ReadFileBytes(listPath, list, 4u << 20)) {
            error = "cannot read " + listPath;
            return UnregisterResult::Failed;
        }
        without = WithoutDesktopId(list, kHandlerDesktopId, listed);
    }
    const bool hadEntry = FileExists(entry);
    if (!hadEntry && !listed) {
        return UnregisterResult::NothingRegistered;
    }
    if (listed && !WriteFileAtomic(listPath, without, &error)) {
        return UnregisterResult::Failed;
    }
    if (hadEntry && !RemoveFile(entry)) {
        error = "cannot delete " + entry;
        return UnregisterResult::Failed;
    }
    RefreshDesktopDatabase(applications);
    return UnregisterResult::Removed;
}

bool UrlHandlerRegistered(const XdgUserDirs& dirs) {
    std::string list;
    if (!FileExists(JoinPath(ApplicationsDir(dirs), kHandlerDesktopId)) ||
        !ReadFileBytes(MimeAppsPath(dirs), list, 4u << 20)) {
        return false;
    }
    return ValueOf(Lines(list), kDefaultGroup, HandledMimeTypes().front()) == kHandlerDesktopId;
}

}  // namespace zirvo
