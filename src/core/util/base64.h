#pragma once
// Base64 of RFC 4648 (standard alphabet, '=' padding, no line breaks), as XML-RPC carries
// binary values. Thread-safe.

#include <string>
#include <string_view>

namespace zirvo {

std::string Base64Encode(std::string_view bytes);
// Accepts the encoding with or without padding and ignores ASCII white space (servers wrap
// lines); false on any other character or a truncated final group.
bool Base64Decode(std::string_view text, std::string& out);

}  // namespace zirvo
