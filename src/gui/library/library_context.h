#pragma once
// What the blog library's windows work with: the data root, the settings and message plumbing,
// the account registry, the HTTP client of the blog calls, the main window's article store,
// and the way to send the main window its messages (2166, 2167, 2168).
//
// Threading: the references are used on the window thread, except `http`, `messages` and
// `config`, which the blog calls of workers may use too (they keep no state between calls).

#include <functional>
#include <string>

#include "core/accounts/account_registry.h"
#include "core/blogapi/blog_endpoint.h"
#include "core/config/app_config.h"
#include "core/net/http_client.h"
#include "core/util/data_root.h"

namespace zirvo {
class CBlogStore;
}

namespace zirvo::gui {

struct LibraryContext {
    CDataRoot root;
    CAppConfig& config;
    zirvo::CErrorMsgDialog& messages;
    CAccountRegistry& registry;
    IHttpClient& http;
    CBlogStore& store;
    // Sends the main window a message and returns once it has been handled (window thread).
    std::function<void(int number, qint64 wParam, qint64 lParam)> sendMessage;
    // Certificates trusted instead of the system's for blog servers; empty: the system's.
    std::string caFile;

    BlogClientServices Services() const { return BlogClientServices{http, messages, root}; }
    void Send(int number, qint64 wParam, qint64 lParam) const {
        if (sendMessage) {
            sendMessage(number, wParam, lParam);
        }
    }
};

}  // namespace zirvo::gui
