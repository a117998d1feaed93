#pragma once
// Where the main program's local channel lives and whom it trusts.
//
// The socket goes into $XDG_RUNTIME_DIR when that is a folder of this user that nobody else may
// enter (mode 0700), else into Temp/channel/ of the data root, made 0700. Never into /tmp under
// a name that anybody can compute and take first. A connection is trusted only when the kernel
// says (SO_PEERCRED) that the process at the other end runs as this user.
//
// Threading: any thread.

#include <optional>
#include <string>

namespace zirvo {

// The lock file below the data root that makes one process its owner (the GUI holds it with
// QLockFile; a lock whose process is gone is taken over).
inline constexpr const char* kRootLockFile = "zirvo.lock";

// The folder for the socket: `runtimeDir` when it is usable, else the data root's
// Temp/channel (created 0700). Empty with `error` set when neither can be used.
std::string LocalChannelFolder(const std::string& dataRoot, const std::string& runtimeDir,
                               std::string* error);
// The same with $XDG_RUNTIME_DIR.
std::string LocalChannelFolder(const std::string& dataRoot, std::string* error);

// The full socket path for `dataRoot`: the folder above plus LocalChannelName(dataRoot). Empty
// with `error` set when no folder can be used or the path is too long for a socket address.
std::string LocalChannelPath(const std::string& dataRoot, std::string* error);

// The user id of the process at the other end of a connected local socket.
std::optional<unsigned> PeerUserId(int socketFd);
// True when the peer runs as the effective user of this process.
bool PeerIsThisUser(int socketFd);

}  // namespace zirvo
