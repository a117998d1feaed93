#pragma once
// Percent-encoding of URL parts, through libcurl's own escape functions.
//
// Threading: any thread.

#include <string>
#include <string_view>

namespace zirvo {

// Every byte other than A-Z a-z 0-9 - . _ ~ becomes "%XX" (upper-case hex). Throws
// std::bad_alloc when curl cannot allocate.
std::string PercentEncode(std::string_view bytes);

// Every "%XX" with two hex digits becomes its byte; any other text stays as it is (a lone "%"
// included). The result may hold any byte, NUL too. Throws std::bad_alloc when curl cannot
// allocate.
std::string PercentDecode(std::string_view text);

}  // namespace zirvo
