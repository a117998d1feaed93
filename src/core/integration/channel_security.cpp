#include "core/integration/channel_security.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/integration/window_message.h"
#include "core/util/files.h"

namespace zirvo {

namespace {

// A folder of this user (not a link) that only this user may enter.
bool PrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

std::string RootFolder(const std::string& dataRoot, std::string* error) {
    const std::string temp = JoinPath(dataRoot, "Temp");
    const std::string folder = JoinPath(temp, "channel");
    if (!MakeDirectories(temp, error)) {
        return {};
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error != nullptr) {
            *error = "cannot create " + folder + ": " + std::strerror(errno);
        }
        return {};
    }
    struct stat info {};
    // An existing folder of ours that others may enter is closed; anything else is refused.
    if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid() && (info.st_mode & 077) != 0) {
        ::chmod(folder.c_str(), 0700);
    }
    if (!PrivateFolder(folder)) {
        if (error != nullptr) {
            *error = folder + " is not a private folder of this user";
        }
        return {};
    }
    return folder;
}

}  // namespace

std::string LocalChannelFolder(const std::string& dataRoot, const std::string& runtimeDir,
                               std::string* error) {
    if (!runtimeDir.empty() && runtimeDir.front() == '/' && PrivateFolder(runtimeDir)) {
        return runtimeDir;
    }
    return RootFolder(dataRoot, error);
}

std::string LocalChannelFolder(const std::string& dataRoot, std::string* error) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return LocalChannelFolder(dataRoot, runtime == nullptr ? std::string() : runtime, error);
}

std::string LocalChannelPath(const std::string& dataRoot, std::string* error) {
    const std::string folder = LocalChannelFolder(dataRoot, error);
    if (folder.empty()) {
        return {};
    }
    std::string path = JoinPath(folder, LocalChannelName(dataRoot));
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        if (error != nullptr) {
            *error = "the socket path is too long: " + path;
        }
        return {};
    }
    return path;
}

std::optional<unsigned> PeerUserId(int socketFd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof credentials) {
        return std::nullopt;
    }
    return static_cast<unsigned>(credentials.uid);
}

bool PeerIsThisUser(int socketFd) {
    const std::optional<unsigned> uid = PeerUserId(socketFd);
    return uid && *uid == static_cast<unsigned>(::geteuid());
}

}  // namespace zirvo
