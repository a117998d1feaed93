#pragma once
// What the editor window works with: the data root, the settings and message plumbing, the
// account registry, the HTTP client of the blog calls and the editor's own connection to the
// article store, and the way the main program is told about a change (message 2166 and 2167
// over the local channel; a test puts its own main window there).
//
// Threading: the references are used on the window thread, except `http`, `messages`, `config`
// and `registry`, which the blog calls of workers use too (they keep no state between calls).

#include <QtGlobal>
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

namespace zirvo::editor {

struct EditorContext {
    CDataRoot root;
    CAppConfig& config;
    zirvo::CErrorMsgDialog& messages;
    CAccountRegistry& registry;
    IHttpClient& http;
    CBlogStore& store;
    // Posts a window message to the main program; nothing happens when it is not running.
    std::function<void(int number, qint64 wParam, qint64 lParam)> postToMainWindow;
    // Certificates trusted instead of the system's for blog servers; empty: the system's.
    std::string caFile;

    BlogClientServices Services() const { return BlogClientServices{http, messages, root}; }
    void Post(int number, qint64 wParam, qint64 lParam) const {
        if (postToMainWindow) {
            postToMainWindow(number, wParam, lParam);
        }
    }
};

// The main program's local channel on `root`: the message is sent when an instance of this user
// listens there, and dropped otherwise.
std::function<void(int, qint64, qint64)> MainWindowPoster(const CDataRoot& root);

}  // namespace zirvo::editor
