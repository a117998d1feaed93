// XML-RPC answers as the blog clients read them: decoding, the fault display and the readers
// of post lists, categories and media addresses. Nothing goes on the network: the readers
// only look at the answer they are given.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/blogapi/metaweblog_client.h"
#include "core/blogapi/xml_rpc.h"
#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/util/reporter.h"

namespace {

// Messages are dropped: a fuzzing run shows millions of them.
class CQuietReporter : public zirvo::IMessageReporter {
public:
    void ShowErrorMessage(const zirvo::ErrorMessage&) override {}
    void ShowMessageBox(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CQuietReporter reporter;
    static zirvo::CErrorMsgDialog messages("/nonexistent/ErrorMsg.xml", reporter);
    static zirvo::CCurlHttpClient http;
    static zirvo::CMetaWeblogClient client(zirvo::BlogEndpoint{}, zirvo::ConnectionSettings{},
                                           {http, messages, zirvo::CDataRoot("/nonexistent")});
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const bool gb = size > 0 && (data[0] & 1) != 0;
    const std::string answer = zirvo::DecodeAnswer(raw, gb ? "GB2312" : "UTF-8");

    zirvo::CXmlDocument doc;
    doc.LoadMemory(answer);
    zirvo::HasFaultCode(doc, true);
    zirvo::ShowFault(answer, messages);

    std::vector<zirvo::PostEntry> posts;
    client.ReadPostList(answer, posts);
    std::vector<zirvo::BlogCategory> categories;
    client.ReadCategories(answer, categories);
    std::string url;
    client.ReadMediaUrl(answer, url);
    return 0;
}
