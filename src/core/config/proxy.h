#pragma once
// The proxy record and the rules every network client applies to it.
// Threading: any thread; the process-wide record is guarded by a mutex.

#include <string>

#include "core/config/app_config.h"

namespace zirvo {

// "server:port" as the proxy name; an empty port still yields "server:".
std::string ProxyName(const ProxySettings& proxy);

// The local-address rule: when the host of `endpoint` (between "//" and the next "/") contains
// a "." and its first label is exactly "192", "127" or "10", and useForLocal is 0, the proxy is
// not used. A host without "." keeps the proxy setting. Returns whether to use the proxy.
bool ShouldUseProxy(const ProxySettings& proxy, const std::string& endpoint);

// The process-wide proxy record: read once at start-up, rewritten by the proxy settings page,
// copied by every feed fetch and blog client.
ProxySettings ProcessProxy();
void SetProcessProxy(const ProxySettings& proxy);

// The diagnostic file of a blog client: folder + "/qova_debug.html" when diagnostic mode is on
// (use is 1), else empty. The folder "" is the root: "/qova_debug.html".
std::string DiagnosticFilePath(const DebugSettings& debug);

}  // namespace zirvo
