#pragma once
// Addresses read from feeds and pages: relative references resolved (RFC 3986, libxml2's
// resolver), and every address that is not a web address made inert before it is stored, so
// that no rendered page and no list offers a `javascript:`, `data:`, `file:` or unresolved
// relative address as something to click. An inert address keeps its text (it is still the
// item's identity) behind the prefix "unsafe:", a scheme nothing handles.
//
// Threading: pure functions; any thread.

#include <string>
#include <string_view>

#include "core/util/xml_document.h"

namespace zirvo {

inline constexpr std::string_view kInertLinkPrefix = "unsafe:";

// `reference` resolved against `base` (both trimmed); `reference` itself when it is empty or
// absolute (kept byte for byte), when `base` is empty, or when the pair cannot be resolved.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// An absolute http or https address (scheme in any letter case) with a host.
bool IsWebLink(std::string_view url);

// `url` when it is a web address or empty, else kInertLinkPrefix + `url`.
std::string InertUnlessWeb(std::string url);

// The base address in force at `node`: its xml:base chain (its own and its ancestors'),
// resolved against `documentUrl`.
std::string XmlBaseOf(const XmlNode& node, const std::string& documentUrl);

}  // namespace zirvo
