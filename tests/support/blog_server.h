#pragma once
// The loopback blog service (tests/support/blog_server.py) as a test fixture: a real XML-RPC
// server with the blogger.*, metaWeblog.* and mt.* methods, started for one test and stopped
// with it. The request path chooses faults and broken answers (see the script's header), and
// every request is recorded so that tests can check what the client actually sent.
//
// Threading: the object belongs to the thread that made it; the server answers any thread.

#include <memory>
#include <string>
#include <vector>

#include "support/script_server.h"
#include "support/temp_dir.h"

namespace zirvo::test {

struct BlogServerOptions {
    std::string user = "alice";
    std::string password = "secret";
    bool tls = false;  // serve HTTPS with tests/data/blogapi/loopback-cert.pem
    // Answer shapes of other real servers (see the script's header); `wordpress` turns on
    // untyped values, int ids, WordPress category structs and true/false booleans together.
    bool wordpress = false;
    bool untyped = false;
    bool intIds = false;
    std::string categories{};  // "title" (default), "wordpress" or "description"
    bool wordBooleans = false;
    std::string redirectTo{};  // every POST is redirected there
    int redirectStatus = 301;
    int oversizeMiB = 0;  // every POST is answered with this many MiB (with Content-Length)
    int seedPosts = 0;    // posts the blog starts with
};

class CBlogServer {
public:
    explicit CBlogServer(const BlogServerOptions& options = {});

    bool Ok() const { return m_process->Ok(); }
    const std::string& Error() const { return m_process->Error(); }
    int Port() const { return m_process->Port(); }
    const BlogServerOptions& Options() const { return m_options; }

    // "http://127.0.0.1:PORT" + path ("https" with TLS).
    std::string Url(const std::string& path = "/RPC2") const;
    // The certificate to trust for a TLS server (a ConnectionSettings::caFile).
    static std::string CertificatePath();
    // Copies the shipped request templates (Data/Templates/) and message catalogue (ErrorMsg.xml)
    // into a test's data root, so that blog clients made on that root can build their requests.
    static void InstallClientData(const std::string& dataRoot);

    std::vector<RecordedRequest> Requests() const;
    // The last request; an empty record when there was none.
    RecordedRequest LastRequest() const;

private:
    BlogServerOptions m_options;
    TempDir m_recordDir;
    std::unique_ptr<CScriptServer> m_process;
};

// The loopback forwarding proxy (tests/support/loopback_proxy.py), recording each request's head.
class CLoopbackProxy {
public:
    CLoopbackProxy();

    bool Ok() const { return m_process->Ok(); }
    int Port() const { return m_process->Port(); }
    std::vector<RecordedRequest> Requests() const;

private:
    TempDir m_recordDir;
    std::unique_ptr<CScriptServer> m_process;
};

}  // namespace zirvo::test
