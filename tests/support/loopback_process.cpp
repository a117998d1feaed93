#include "support/loopback_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace zirvo::test {

CLoopbackProcess::CLoopbackProcess(const std::vector<std::string>& argv, int startTimeoutMs) {
    if (argv.empty()) {
        throw std::runtime_error("no program to start");
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t parent = getpid();
    m_pid = fork();
    if (m_pid < 0) {
        close(fds[0]);
        close(fds[1]);
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        // Child: stdout is the pipe; stdin is empty; die with the test program.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(fds[1], STDOUT_FILENO);
        int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    m_stdout = fds[0];

    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMs);
    while (line.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd pfd{m_stdout, POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0) {
            Stop();
            throw std::runtime_error("the server printed no port: " + argv.back());
        }
        char buffer[64];
        ssize_t got = read(m_stdout, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            Stop();
            throw std::runtime_error("the server ended before printing its port: " + argv.back());
        }
        line.append(buffer, static_cast<size_t>(got));
    }
    m_port = std::atoi(line.c_str());
    if (m_port <= 0) {
        Stop();
        throw std::runtime_error("the server printed no port: " + line);
    }
}

CLoopbackProcess::~CLoopbackProcess() {
    Stop();
}

std::string CLoopbackProcess::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void CLoopbackProcess::Stop() noexcept {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        // Give it a moment to go, then insist.
        for (int i = 0; i < 50; ++i) {
            pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid || (done < 0 && errno != EINTR)) {
                m_pid = -1;
                break;
            }
            usleep(20000);
        }
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            m_pid = -1;
        }
    }
    if (m_stdout >= 0) {
        close(m_stdout);
        m_stdout = -1;
    }
}

}  // namespace zirvo::test
