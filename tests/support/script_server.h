#pragma once
// A python3 helper process that serves on loopback for the length of a test: started with its
// arguments, its port read from the first line it prints, stopped (SIGTERM, then reaped) when the
// object goes. The helpers live beside this file (tests/support/*.py).
//
// Threading: the object belongs to the thread that made it.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zirvo::test {

class CScriptServer {
public:
    // `script` is a file name inside tests/support; `arguments` follow it on the command line.
    CScriptServer(const std::string& script, const std::vector<std::string>& arguments);
    ~CScriptServer();
    CScriptServer(const CScriptServer&) = delete;
    CScriptServer& operator=(const CScriptServer&) = delete;

    // False when the process could not be started or printed no port.
    bool Ok() const { return m_port > 0; }
    int Port() const { return m_port; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_error;
};

// One request as a recording helper wrote it: DIR/NNNN.head (request line and header lines as
// received) and, for the blog server, DIR/NNNN.body.
struct RecordedRequest {
    std::string requestLine;               // "POST /RPC2 HTTP/1.0"
    std::vector<std::string> headerLines;  // exactly as sent, without CR LF
    std::string body;

    // The first header line whose name (before ':', compared without case) is `name`; empty
    // when there is none.
    std::string HeaderLine(const std::string& name) const;
};

// Every complete request recorded in `dir`, in arrival order.
std::vector<RecordedRequest> ReadRecordedRequests(const std::string& dir);

// The python interpreter the helpers run with.
std::string PythonInterpreter();

}  // namespace zirvo::test
