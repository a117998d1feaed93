#include "support/script_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/util/strings.h"

namespace zirvo::test {
namespace {

constexpr int kStartTimeoutMs = 15000;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

std::string PythonInterpreter() {
    // The Debian interpreter when there is one: the helpers need nothing beyond its library.
    if (::access("/usr/bin/python3", X_OK) == 0) {
        return "/usr/bin/python3";
    }
    return "python3";
}

CScriptServer::CScriptServer(const std::string& script, const std::vector<std::string>& arguments) {
    std::string scriptPath = std::string(ZIRVO_TEST_SOURCE_DIR) + "/tests/support/" + script;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        m_error = "pipe failed";
        return;
    }
    std::string python = PythonInterpreter();
    std::vector<std::string> argv = {python, "-u", scriptPath};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> raw;
    for (auto& a : argv) {
        raw.push_back(a.data());
    }
    raw.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid == 0) {
        // A test that dies must not leave its server behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(fds[1], STDOUT_FILENO);
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    if (m_pid < 0) {
        ::close(fds[0]);
        m_error = "fork failed";
        return;
    }
    std::string line;
    char c = 0;
    while (line.find('\n') == std::string::npos) {
        pollfd p{fds[0], POLLIN, 0};
        int ready = ::poll(&p, 1, kStartTimeoutMs);
        if (ready <= 0) {
            m_error = "no port from " + script;
            break;
        }
        ssize_t n = ::read(fds[0], &c, 1);
        if (n <= 0) {
            m_error = script + " ended before printing its port";
            break;
        }
        line += c;
    }
    ::close(fds[0]);
    m_port = ToInt(line);
    if (m_port <= 0 && m_error.empty()) {
        m_error = "bad port line from " + script + ": " + line;
    }
}

CScriptServer::~CScriptServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

std::string RecordedRequest::HeaderLine(const std::string& name) const {
    for (const auto& line : headerLines) {
        size_t colon = line.find(':');
        if (colon != std::string::npos &&
            EqualsIgnoreCaseAscii(Trim(line.substr(0, colon)), name)) {
            return line;
        }
    }
    return {};
}

std::vector<RecordedRequest> ReadRecordedRequests(const std::string& dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> heads;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.path().extension() == ".head") {
            heads.push_back(entry.path().string());
        }
    }
    std::sort(heads.begin(), heads.end());
    std::vector<RecordedRequest> requests;
    for (const auto& head : heads) {
        RecordedRequest request;
        std::string text = ReadWhole(head);
        std::vector<std::string> lines = Split(text, '\n');
        for (auto& line : lines) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
        }
        if (!lines.empty()) {
            request.requestLine = lines.front();
        }
        for (size_t i = 1; i < lines.size() && !lines[i].empty(); ++i) {
            request.headerLines.push_back(lines[i]);
        }
        std::string body = head.substr(0, head.size() - 5) + ".body";
        request.body = ReadWhole(body);
        requests.push_back(std::move(request));
    }
    return requests;
}

}  // namespace zirvo::test
