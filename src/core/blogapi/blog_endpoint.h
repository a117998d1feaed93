#pragma once
// What a blog client needs to know about an account, and the services it works with.
//
// The account registry keeps more per account (config/userConfig.xml); a client reads only the
// fields below. The registry converts its account record into a BlogEndpoint.
//
// Threading: plain values; BlogClientServices refers to objects that must outlive the client.

#include <string>

#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/util/data_root.h"

namespace zirvo {

struct BlogEndpoint {
    std::string name;       // the account's local name
    std::string xmlrpcUrl;  // XML-RPC endpoint (http or https)
    std::string port;       // decimal text; empty or not numeric: the scheme's default
    std::string apiType;    // "Blogger", "MetaWeblog", "MovableType" or "MSN Spaces"
    std::string userName;
    std::string password;    // plain
    std::string encodeType;  // "UTF-8" or the name of a Chinese code page ("GB2312")
};

struct BlogClientServices {
    IHttpClient& http;
    CErrorMsgDialog& messages;  // every failure is shown through it before a call returns 0
    CDataRoot dataRoot;         // request templates live under its Data/Templates/
};

}  // namespace zirvo
