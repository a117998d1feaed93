#include "support/feed_server.h"

#include <algorithm>

#include "core/net/http_client.h"
#include "core/util/strings.h"
#include "support/test_env.h"

namespace zirvo::test {
namespace {

HttpResponse Call(const std::string& method, const std::string& url, const std::string& body = {},
                  const std::string& contentType = {}) {
    HttpRequest request;
    request.method = method;
    request.url = url;
    request.body = body;
    if (!contentType.empty()) {
        request.headers.push_back("Content-Type: " + contentType);
    }
    request.totalTimeoutMs = 10000;
    CCurlHttpClient client;
    return client.Perform(request);
}

}  // namespace

CFeedServer::CFeedServer(const std::string& dir)
    : m_process({"python3", ScriptPath(), "--dir", dir}) {}

std::string CFeedServer::DefaultFeedsDir() {
    return TestFeedsDir();
}

std::string CFeedServer::ScriptPath() {
    return std::string(ZIRVO_TEST_SOURCE_DIR) + "/tests/support/feed_server.py";
}

bool CFeedServer::Put(const std::string& path, const std::string& body,
                      const std::string& contentType) {
    // The HTTP client sends bodies with POST only; the server stores POST and PUT alike.
    HttpResponse response = Call("POST", Url(path), body, contentType);
    return response.Completed() && response.status == 200;
}

bool CFeedServer::Remove(const std::string& path) {
    HttpResponse response = Call("DELETE", Url(path));
    return response.Completed() && response.status == 200;
}

std::vector<RecordedRequest> CFeedServer::Requests() const {
    std::vector<RecordedRequest> out;
    HttpResponse response = Call("GET", Url("/_requests"));
    if (!response.Completed()) {
        return out;
    }
    for (const auto& line : Split(response.body, '\n')) {
        if (line.empty()) {
            continue;
        }
        auto fields = Split(line, '\t');
        fields.resize(10);
        out.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6],
                       fields[7], fields[8], fields[9]});
    }
    return out;
}

std::vector<RecordedRequest> CFeedServer::RequestsFor(const std::string& prefix) const {
    std::vector<RecordedRequest> out;
    for (auto& request : Requests()) {
        if (StartsWith(request.path, prefix)) {
            out.push_back(std::move(request));
        }
    }
    return out;
}

CFeedServer::InFlightStats CFeedServer::InFlight() const {
    InFlightStats stats;
    HttpResponse response = Call("GET", Url("/_stats"));
    if (!response.Completed()) {
        return stats;
    }
    // {"max_inflight": N, "max_per_host": {"127.0.0.1:P": M, ...}, "connections": C}
    const std::string& body = response.body;
    const size_t overall = body.find("\"max_inflight\": ");
    const size_t hosts = body.find("\"max_per_host\": {");
    const size_t connections = body.find("\"connections\": ");
    if (overall == std::string::npos || hosts == std::string::npos ||
        connections == std::string::npos) {
        return stats;
    }
    stats.overall = ToInt(body.substr(overall + 16, 8));
    const size_t hostsEnd = body.find('}', hosts);
    for (size_t at = body.find("\": ", hosts + 17); at != std::string::npos && at < hostsEnd;
         at = body.find("\": ", at + 1)) {
        stats.perHost = std::max(stats.perHost, ToInt(body.substr(at + 3, 8)));
    }
    stats.connections = ToInt(body.substr(connections + 15, 8));
    return stats;
}

bool CFeedServer::Reset() {
    HttpResponse response = Call("GET", Url("/_reset"));
    return response.Completed() && response.status == 200;
}

}  // namespace zirvo::test
