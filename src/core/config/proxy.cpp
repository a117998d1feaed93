#include "core/config/proxy.h"

#include <mutex>

namespace zirvo {

std::string ProxyName(const ProxySettings& proxy) {
    return proxy.server + ":" + proxy.port;
}

bool ShouldUseProxy(const ProxySettings& proxy, const std::string& endpoint) {
    if (!proxy.use) {
        return false;
    }
    size_t start = endpoint.find("//");
    start = start == std::string::npos ? 0 : start + 2;
    size_t end = endpoint.find('/', start);
    std::string host =
        endpoint.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t dot = host.find('.');
    if (dot == std::string::npos) {
        return true;
    }
    std::string first = host.substr(0, dot);
    bool local = first == "192" || first == "127" || first == "10";
    return !(local && proxy.useForLocal == 0);
}

namespace {
std::mutex g_proxyMutex;
ProxySettings g_processProxy;
}  // namespace

ProxySettings ProcessProxy() {
    std::lock_guard lock(g_proxyMutex);
    return g_processProxy;
}

void SetProcessProxy(const ProxySettings& proxy) {
    std::lock_guard lock(g_proxyMutex);
    g_processProxy = proxy;
}

std::string DiagnosticFilePath(const DebugSettings& debug) {
    if (debug.use != 1) {
        return {};
    }
    // NOTE: the root folder is stored as "" (the page cuts "/qova_debug.html" off the path), so
    // the file name is never joined into a relative path.
    if (!debug.outFolder.empty() && debug.outFolder.back() == '/') {
        return debug.outFolder + "qova_debug.html";
    }
    return debug.outFolder + "/qova_debug.html";
}

}  // namespace zirvo
