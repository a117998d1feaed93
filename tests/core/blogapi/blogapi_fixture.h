#pragma once
// Shared set-up of the blog client tests: a data root holding the shipped request templates and
// message catalogue, a recording reporter, the real curl client, and endpoints pointing at a
// loopback blog server.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/blogapi/blog_client_factory.h"
#include "core/blogapi/blog_endpoint.h"
#include "core/blogapi/connection_settings.h"
#include "core/blogapi/metaweblog_client.h"
#include "core/blogapi/movabletype_client.h"
#include "core/blogapi/msn_spaces_client.h"
#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/util/reporter.h"
#include "core/util/strings.h"
#include "core/util/xml_document.h"
#include "support/blog_server.h"
#include "support/temp_dir.h"

namespace zirvo::test {

// Sets the process's time zone (a POSIX TZ text, so that no zone database is needed) for the
// guard's lifetime.
class CTimeZoneGuard {
public:
    explicit CTimeZoneGuard(const char* zone);
    ~CTimeZoneGuard();
    CTimeZoneGuard(const CTimeZoneGuard&) = delete;
    CTimeZoneGuard& operator=(const CTimeZoneGuard&) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

class BlogApiTest : public ::testing::Test {
protected:
    BlogApiTest();

    // An account of `apiType` on `server`: the address names no port, the port field does.
    BlogEndpoint Endpoint(const CBlogServer& server, const std::string& apiType,
                          const std::string& path = "/RPC2",
                          const std::string& encodeType = "UTF-8") const;
    // No proxy, no diagnostic file; trusts the loopback certificate of a TLS server.
    ConnectionSettings Connection(const BlogEndpoint& account) const;
    BlogClientServices Services();
    std::unique_ptr<CBloggerClient> Client(const BlogEndpoint& account);
    template <class T>
    std::unique_ptr<T> ClientAs(const BlogEndpoint& account) {
        return std::make_unique<T>(account, Connection(account), Services());
    }

    // The recorded request parsed as XML (read in the encoding it declares).
    static std::string RequestText(const RecordedRequest& request, const std::string& path);

    TempDir m_root{"blogapi"};
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    CCurlHttpClient m_http;
};

}  // namespace zirvo::test
