#include "core/blogapi/connection_settings.h"

#include "core/config/proxy.h"
#include "core/util/strings.h"

namespace zirvo {

EndpointParts SplitEndpoint(const std::string& endpointUrl) {
    EndpointParts parts;
    parts.secure = ToLowerAscii(endpointUrl.substr(0, 5)) == "https";
    size_t slashes = endpointUrl.find("//");
    if (slashes == std::string::npos) {
        return parts;
    }
    size_t start = slashes + 2;
    size_t slash = endpointUrl.find('/', start);
    if (slash == std::string::npos) {
        return parts;
    }
    parts.host = endpointUrl.substr(start, slash - start);
    parts.objectPath = endpointUrl.substr(slash);
    return parts;
}

std::string PortWrittenIn(const std::string& endpointUrl) {
    const std::string host = SplitEndpoint(endpointUrl).host;
    const size_t colon = host.rfind(':');
    if (colon == std::string::npos || host.find(']', colon) != std::string::npos) {
        return "";
    }
    const std::string digits = host.substr(colon + 1);
    long long value = 0;
    return ParseInt(digits, value) && value > 0 ? digits : "";
}

std::string HostWithPort(const std::string& host, int port) {
    if (port <= 0) {
        return host;
    }
    std::string bare = host;
    if (!bare.empty() && bare.front() == '[') {
        size_t close = bare.find(']');
        if (close != std::string::npos) {
            bare.resize(close + 1);
        }
    } else {
        size_t colon = bare.find(':');
        if (colon != std::string::npos) {
            bare.resize(colon);
        }
    }
    return bare + ":" + std::to_string(port);
}

ConnectionSettings MakeConnectionSettings(const BlogEndpoint& account, const ProxySettings& proxy,
                                          const DebugSettings& debug) {
    ConnectionSettings settings;
    settings.proxy = proxy;
    if (!ShouldUseProxy(proxy, account.xmlrpcUrl)) {
        settings.proxy.use = 0;
    }
    settings.endpointUrl = account.xmlrpcUrl;
    settings.port = account.port;
    settings.encodeType = account.encodeType;
    settings.debugUse = debug.use;
    settings.debugPath = DiagnosticFilePath(debug);
    return settings;
}

ConnectionSettings LoadConnectionSettings(const BlogEndpoint& account, CAppConfig& config,
                                          bool useProcessProxy) {
    ProxySettings proxy;
    DebugSettings debug;
    if (useProcessProxy) {
        proxy = ProcessProxy();
    } else if (!config.ReadProxySettings(proxy)) {
        return MakeConnectionSettings(account, ProxySettings{}, DebugSettings{});
    }
    if (!config.ReadDebugSettings(debug)) {
        debug = DebugSettings{};
    }
    return MakeConnectionSettings(account, proxy, debug);
}

}  // namespace zirvo
