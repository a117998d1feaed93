#include "core/ebook/chm_compiler.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/util/closing_flag.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

extern char** environ;

namespace zirvo {
namespace {

// A compiler that prints without end cannot flood the status area.
constexpr size_t kMaxStatusLines = 2000;
constexpr size_t kMaxLineBytes = 1000;

class CLineForwarder {
public:
    explicit CLineForwarder(IEbookStatus& status) : m_status(status) {}

    void Add(const char* data, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == '\n') {
                Flush();
            } else if (data[i] != '\r' && m_line.size() < kMaxLineBytes) {
                m_line += data[i];
            }
        }
    }
    void Flush() {
        if (!Trim(m_line).empty() && m_lines++ < kMaxStatusLines) {
            m_status.OnStatus(SanitizeUtf8(m_line) + "\r\n");
        }
        m_line.clear();
    }

private:
    IEbookStatus& m_status;
    std::string m_line;
    size_t m_lines = 0;
};

}  // namespace

std::string FindChmCompiler(const std::string& searchPath) {
    for (const std::string& dir : Split(searchPath, ':')) {
        if (dir.empty()) {
            continue;
        }
        const std::string candidate = JoinPath(dir, kChmCompilerName);
        if (access(candidate.c_str(), X_OK) == 0 && !DirectoryExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

ChmCompileResult RunChmCompiler(const std::string& compiler, const std::string& projectFile,
                                const std::string& workDir, IEbookStatus& status,
                                const std::atomic<bool>& stop, long timeoutMs) {
    ChmCompileResult result;
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_CLOEXEC) != 0) {
        result.error = std::string("cannot start the compiler: ") + std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    std::string arg0 = compiler;
    // The pages name their pictures and style sheets, so the compiler must follow them.
    std::string arg1 = "--html-scan";
    std::string arg2 = projectFile;
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, compiler.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        result.error = std::string("cannot start ") + compiler + ": " + std::strerror(spawned);
        return result;
    }
    CLineForwarder lines(status);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool open = true;
    while (open) {
        if (stop.load() || IsClosing()) {
            result.killed = true;
            result.error = "stopped";
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            result.killed = true;
            result.error = StrFormat("the compiler did not finish within %ld s", timeoutMs / 1000);
            break;
        }
        pollfd entry{fds[0], POLLIN, 0};
        const int ready = poll(&entry, 1, 100);
        if (ready > 0) {
            char buffer[4096];
            const ssize_t got = read(fds[0], buffer, sizeof buffer);
            if (got > 0) {
                lines.Add(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                open = false;
            }
        } else if (ready < 0 && errno != EINTR) {
            open = false;
        }
    }
    close(fds[0]);
    lines.Flush();
    if (result.killed) {
        kill(pid, SIGKILL);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (!result.killed) {
        result.ran = WIFEXITED(wstatus);
        result.exitCode = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        if (!result.ran) {
            result.error = StrFormat("the compiler ended by signal %d", WTERMSIG(wstatus));
        }
    }
    return result;
}

}  // namespace zirvo
