#pragma once
// One XML-RPC exchange with a blog server: an HTTP/1.0 POST of the request body to the
// account's endpoint, the answer's bytes back.
//
// Header lines, in this order:
//   standard variant (Blogger, MetaWeblog, MovableType): "User-Agent:  zirvo",
//     "Content-Type: text/xml"; TLS when the endpoint is secure
//   MSN Spaces variant: "User-Agent:  zirvo", "Content-Type: text/xml; charset=UTF-8",
//     "Accept-Language: zh-cn"; always TLS; the answer is cut to start at "<methodResponse"
//     and given the declaration of the account's encoding
// With a proxy whose user name is set, "Proxy-authorization: Basic " + Base64(user ":" password)
// goes to the proxy (never through a tunnel to the server).
//
// Redirects (301, 302, 303, 307, 308) are followed up to kMaxXmlRpcRedirects times, the POST
// repeated with its body, only to http or https addresses and never from https down to http;
// a redirect that may not be followed is shown as message 3003 with the reason and the address.
// When the final address differs from the account's, the caller learns it (`movedTo`) so that it
// can tell the user once (EndpointMovedText).
//
// Failures are shown before 0 is returned: network, TLS and time-out give message 3001, an
// answer over the size cap 3002 ("too large", not a connection failure), an HTTP status above
// 399 gives 4002. In diagnostic mode the body of such an
// error answer replaces the contents of the diagnostic file (qova_debug.html). A transfer
// stopped by the closing flag returns 0 without a message. TLS certificates are verified.
//
// Threading: any thread; each call owns its transfer.

#include <string>

#include "core/blogapi/connection_settings.h"
#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"

namespace zirvo {

enum class TransportVariant { Standard, MsnSpaces };

inline constexpr int kMaxXmlRpcRedirects = 5;

// Message numbers and texts of the transport's own failures.
inline constexpr int kAnswerTooLarge = 3002;
inline constexpr const char* kTextAnswerTooLargeSummary = "博客服务器的回答太大";
// %lu: the cap in MiB.
inline constexpr const char* kTextAnswerTooLargeFormat =
    "博客服务器的回答超过了 %lu MiB 的上限，没有被读取。请检查账户设置中的XML-RPC地址是否指向"
    "博客的XML-RPC接口，或一次获取较少的日志。";
inline constexpr int kRedirectRefused = 3003;
inline constexpr const char* kTextRedirectRefusedSummary = "无法跟随博客服务器的转向";
inline constexpr const char* kTextRedirectWithoutAddress = "博客服务器要求转向，但没有给出新地址。";
inline constexpr const char* kTextRedirectNotHttp =
    "博客服务器把请求转到了不是 http 或 https 的地址:";
inline constexpr const char* kTextRedirectDowngrade =
    "博客服务器把安全连接(https)的请求转到了不加密的 http 地址，为保护密码没有跟随:";
inline constexpr const char* kTextTooManyRedirects = "博客服务器的转向超过了 5 次，最后转到:";
// "博客服务器的XML-RPC地址已迁移到 " + address + " ，请在账户设置中更新XML-RPC地址和端口。"
inline constexpr const char* kTextEndpointMovedPrefix = "博客服务器的XML-RPC地址已迁移到 ";
inline constexpr const char* kTextEndpointMovedSuffix = " ，请在账户设置中更新XML-RPC地址和端口。";
std::string EndpointMovedText(const std::string& address);

// The HTTP request for one call, or false when the endpoint names no host.
bool BuildXmlRpcRequest(const ConnectionSettings& settings, TransportVariant variant,
                        const std::string& requestBody, HttpRequest& request);

// 1 with the answer in `responseBody`, or 0 after the failure has been shown. When the exchange
// was redirected to another address, that address goes into `*movedTo` (left as it is
// otherwise).
int PostXmlOver(IHttpClient& http, CErrorMsgDialog& messages, const ConnectionSettings& settings,
                TransportVariant variant, const std::string& requestBody, std::string& responseBody,
                std::string* movedTo = nullptr);

}  // namespace zirvo
