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
// Failures are shown before 0 is returned: network, TLS, time-out and over-large answers give
// message 3001, an HTTP status above 399 gives 4002. In diagnostic mode the body of such an
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

// The HTTP request for one call, or false when the endpoint names no host.
bool BuildXmlRpcRequest(const ConnectionSettings& settings, TransportVariant variant,
                        const std::string& requestBody, HttpRequest& request);

// 1 with the answer in `responseBody`, or 0 after the failure has been shown.
int PostXmlOver(IHttpClient& http, CErrorMsgDialog& messages, const ConnectionSettings& settings,
                TransportVariant variant, const std::string& requestBody,
                std::string& responseBody);

}  // namespace zirvo
