#include "support/blog_server.h"

#include <filesystem>

namespace zirvo::test {

CBlogServer::CBlogServer(const BlogServerOptions& options)
    : m_options(options), m_recordDir("blog-server") {
    std::vector<std::string> args = {"--record-dir", m_recordDir.Path(), "--user",
                                     options.user,   "--password",       options.password};
    if (options.tls) {
        std::string dir = std::string(ZIRVO_TEST_DATA_DIR) + "/blogapi/";
        args.insert(args.end(), {"--tls", dir + "loopback-cert.pem", dir + "loopback-key.pem"});
    }
    auto flag = [&args](bool on, const char* name) {
        if (on) {
            args.push_back(name);
        }
    };
    flag(options.wordpress, "--wordpress");
    flag(options.untyped, "--untyped");
    flag(options.intIds, "--int-ids");
    flag(options.wordBooleans, "--word-booleans");
    if (!options.categories.empty()) {
        args.insert(args.end(), {"--categories", options.categories});
    }
    if (!options.redirectTo.empty()) {
        args.insert(args.end(), {"--redirect-to", options.redirectTo, "--redirect-status",
                                 std::to_string(options.redirectStatus)});
    }
    if (options.oversizeMiB > 0) {
        args.insert(args.end(), {"--oversize", std::to_string(options.oversizeMiB)});
    }
    if (options.seedPosts > 0) {
        args.insert(args.end(), {"--seed-posts", std::to_string(options.seedPosts)});
    }
    m_process = std::make_unique<CScriptServer>("blog_server.py", args);
}

std::string CBlogServer::Url(const std::string& path) const {
    return std::string(m_options.tls ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(Port()) + path;
}

std::string CBlogServer::CertificatePath() {
    return std::string(ZIRVO_TEST_DATA_DIR) + "/blogapi/loopback-cert.pem";
}

void CBlogServer::InstallClientData(const std::string& dataRoot) {
    namespace fs = std::filesystem;
    std::string data = std::string(ZIRVO_TEST_SOURCE_DIR) + "/data";
    fs::create_directories(dataRoot + "/Data");
    fs::copy(data + "/Data/Templates", dataRoot + "/Data/Templates",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy_file(data + "/ErrorMsg.xml", dataRoot + "/ErrorMsg.xml",
                  fs::copy_options::overwrite_existing);
}

std::vector<RecordedRequest> CBlogServer::Requests() const {
    return ReadRecordedRequests(m_recordDir.Path());
}

RecordedRequest CBlogServer::LastRequest() const {
    auto all = Requests();
    return all.empty() ? RecordedRequest{} : all.back();
}

CLoopbackProxy::CLoopbackProxy() : m_recordDir("proxy") {
    m_process = std::make_unique<CScriptServer>(
        "loopback_proxy.py", std::vector<std::string>{"--record-dir", m_recordDir.Path()});
}

std::vector<RecordedRequest> CLoopbackProxy::Requests() const {
    return ReadRecordedRequests(m_recordDir.Path());
}

}  // namespace zirvo::test
