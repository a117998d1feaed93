#include "blogapi_fixture.h"

#include <cstdlib>
#include <ctime>

namespace zirvo::test {

CTimeZoneGuard::CTimeZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    m_old = old ? old : "";
    setenv("TZ", zone, 1);
    tzset();
}

CTimeZoneGuard::~CTimeZoneGuard() {
    if (m_had) {
        setenv("TZ", m_old.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

BlogApiTest::BlogApiTest() : m_messages(m_root.PathOf("ErrorMsg.xml"), m_reporter) {
    CBlogServer::InstallClientData(m_root.Path());
}

BlogEndpoint BlogApiTest::Endpoint(const CBlogServer& server, const std::string& apiType,
                                   const std::string& path, const std::string& encodeType) const {
    BlogEndpoint account;
    account.name = "测试账户";
    account.xmlrpcUrl =
        std::string(server.Options().tls ? "https" : "http") + "://127.0.0.1" + path;
    account.port = std::to_string(server.Port());
    account.apiType = apiType;
    account.userName = server.Options().user;
    account.password = server.Options().password;
    account.encodeType = encodeType;
    return account;
}

ConnectionSettings BlogApiTest::Connection(const BlogEndpoint& account) const {
    ConnectionSettings settings = MakeConnectionSettings(account, ProxySettings{}, DebugSettings{});
    settings.caFile = CBlogServer::CertificatePath();
    settings.connectTimeoutMs = 5000;
    settings.totalTimeoutMs = 20000;
    return settings;
}

BlogClientServices BlogApiTest::Services() {
    return BlogClientServices{m_http, m_messages, CDataRoot(m_root.Path())};
}

std::unique_ptr<CBloggerClient> BlogApiTest::Client(const BlogEndpoint& account) {
    return CreateBlogClient(account, Connection(account), Services());
}

std::string BlogApiTest::RequestText(const RecordedRequest& request, const std::string& path) {
    CXmlDocument doc;
    if (!doc.LoadMemory(request.body)) {
        return "<unreadable request>";
    }
    XmlNode node = doc.SelectNode(path);
    return node ? node.Text() : "<missing " + path + ">";
}

}  // namespace zirvo::test
