#pragma once
// A test peer in its own process: a script that binds 127.0.0.1 on a free port and prints the
// port as the first line of its stdout (the feed server, the XML-RPC servers of the blog tests).
// The constructor starts it with fork/exec and waits for that line; the destructor terminates
// the process and reaps it. The child dies with the test program if the latter crashes.
//
// Threading: the object belongs to the thread that made it; the server answers any thread.

#include <string>
#include <vector>

#include <sys/types.h>

namespace zirvo::test {

class CLoopbackProcess {
public:
    // argv[0] is looked up in PATH ("python3"). Throws std::runtime_error when the process
    // cannot be started or prints no port within `startTimeoutMs`.
    explicit CLoopbackProcess(const std::vector<std::string>& argv, int startTimeoutMs = 15000);
    CLoopbackProcess(const CLoopbackProcess&) = delete;
    CLoopbackProcess& operator=(const CLoopbackProcess&) = delete;
    ~CLoopbackProcess();

    int Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    // "http://127.0.0.1:PORT" + path (path starts with "/").
    std::string Url(const std::string& path) const;

private:
    void Stop() noexcept;

    pid_t m_pid = -1;
    int m_stdout = -1;
    int m_port = 0;
};

}  // namespace zirvo::test
