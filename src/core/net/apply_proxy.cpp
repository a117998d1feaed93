#include "core/net/apply_proxy.h"

#include "core/config/proxy.h"

namespace zirvo {

void ApplyProxy(HttpRequest& request, const ProxySettings& settings, const std::string& url) {
    request.proxy.clear();
    request.proxyUserName.clear();
    request.proxyPassword.clear();
    if (settings.use != 1 || !ShouldUseProxy(settings, url)) {
        return;
    }
    request.proxy = ProxyName(settings);
    if (!settings.userName.empty()) {
        request.proxyUserName = settings.userName;
        request.proxyPassword = settings.password;
    }
}

}  // namespace zirvo
