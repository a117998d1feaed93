#pragma once
// How a blog client reaches its server: the account's endpoint, the proxy after the
// local-address rule, and the diagnostic file for failed answers.
//
// The endpoint is split afresh for each request:
//   secure       the first five characters, lower-cased, are "https"
//   host         the text between the first "//" and the next "/" (empty when either is missing)
//   object path  from that "/" to the end, query included
// The account's port field, when it is a positive number, replaces a port written in the host.
//
// Threading: plain values and pure functions; LoadConnectionSettings reads appConfig.xml on
// the calling thread.

#include <cstddef>
#include <string>

#include "core/blogapi/blog_endpoint.h"
#include "core/config/app_config.h"

namespace zirvo {

struct ConnectionSettings {
    ProxySettings proxy;  // use already cleared where the local-address rule says so
    std::string endpointUrl;
    std::string port;  // converted as atoi does at each request; 0: the scheme's default
    std::string encodeType;
    int debugUse = 0;
    std::string debugPath;  // <debug folder>/qova_debug.html when debugUse is 1

    // Transfer limits of the HTTP layer; callers and tests may tighten them.
    long connectTimeoutMs = 30000;
    long totalTimeoutMs = 120000;
    size_t maxAnswerBytes = 32u << 20;
    std::string caFile;  // trusted certificates instead of the system's (a private CA)
};

struct EndpointParts {
    bool secure = false;
    std::string host;
    std::string objectPath;
};

EndpointParts SplitEndpoint(const std::string& endpointUrl);

// "8080" for "http://host:8080/path"; empty when the address names no port.
std::string PortWrittenIn(const std::string& endpointUrl);

// The host text with the account's port put in: a positive port replaces a port already in the
// host ("[v6]:p" forms included); 0 keeps the host as it stands.
std::string HostWithPort(const std::string& host, int port);

// Fills the settings from the account and the already-read proxy and debug records.
ConnectionSettings MakeConnectionSettings(const BlogEndpoint& account, const ProxySettings& proxy,
                                          const DebugSettings& debug);

// Reads the proxy (or takes the process-wide record when `useProcessProxy`) and the debug
// settings from `config`. When the proxy cannot be read (message shown by `config`) the client
// works with neither proxy nor diagnostic file; the debug settings are read only after a
// successful proxy read.
ConnectionSettings LoadConnectionSettings(const BlogEndpoint& account, CAppConfig& config,
                                          bool useProcessProxy);

}  // namespace zirvo
