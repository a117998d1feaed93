#include "core/editorlink/editor_program.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zirvo {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string RunningExecutableDir() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    std::string path(buffer.data(), static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FindEditorProgram(const std::string& executableDir) {
    if (const char* chosen = std::getenv("ZIRVO_EDITOR"); chosen != nullptr && *chosen != '\0') {
        return IsExecutableFile(chosen) ? std::string(chosen) : std::string();
    }
    if (executableDir.empty()) {
        return {};
    }
    for (const char* relative : {"/editor", "/../lib/zirvo/editor", "/../editor/editor"}) {
        const std::string candidate = executableDir + relative;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

bool StartEditorProgram(const std::string& program, const std::string& dataRoot,
                        std::string& error) {
    // The grandchild reports a failed exec through the pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::strerror(errno);
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            ::_exit(grandchild < 0 ? 1 : 0);
        }
        const char* argv[] = {program.c_str(), "--root", dataRoot.c_str(), nullptr};
        ::execv(program.c_str(), const_cast<char* const*>(argv));
        const int failure = errno;
        [[maybe_unused]] ssize_t written = ::write(report[1], &failure, sizeof failure);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int failure = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "fork failed";
        return false;
    }
    if (got == static_cast<ssize_t>(sizeof failure)) {
        error = program + ": " + std::strerror(failure);
        return false;
    }
    return true;
}

}  // namespace zirvo
