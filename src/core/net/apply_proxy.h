#pragma once
// The one place where a proxy record becomes part of an HTTP request: the feed fetcher, the OPML
// download and the blog clients all go through ApplyProxy.
//
// Threading: any thread (pure function of its arguments).

#include <string>

#include "core/config/app_config.h"
#include "core/net/http_client.h"

namespace zirvo {

// Routes `request` through the proxy of `settings` when the proxy is on (use == 1) and the
// local-address rule does not exempt `url` (ShouldUseProxy); otherwise clears the request's
// proxy, so that none is taken from the environment either. The user name and password go to
// curl's own proxy credentials, which curl sends to the proxy alone (never through a tunnel to
// the site); no user name means no proxy authentication.
void ApplyProxy(HttpRequest& request, const ProxySettings& settings, const std::string& url);

}  // namespace zirvo
