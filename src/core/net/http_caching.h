#pragma once
// Reading the caching headers of an answer: which validators may be kept and sent back, and
// how long a site asks to be left alone. Every value comes from the network and is bounded:
//   - a validator (ETag, Last-Modified) is kept only when it is 1 to kMaxValidatorBytes bytes of
//     printable ASCII, so that it can go back into a request header as it came;
//   - "Cache-Control: max-age=N" and "Retry-After" (seconds or an HTTP date) give a delay of at
//     most kMaxDeferSeconds; a date in the past, or 0, means now; anything unreadable means no
//     delay.
//
// Threading: pure functions; any thread.

#include <cstddef>
#include <ctime>
#include <string>

namespace zirvo {

inline constexpr size_t kMaxValidatorBytes = 1024;
inline constexpr long long kMaxDeferSeconds = 24 * 60 * 60;

// True when `value` may be stored and sent back as a validator.
bool IsKeepableValidator(const std::string& value);

// The max-age of a Cache-Control value in seconds, capped; -1 when there is none (or no-store).
long long MaxAgeSeconds(const std::string& cacheControl);

// The delay a Retry-After value asks for, seconds from `now`, capped; -1 when unreadable.
long long RetryAfterSeconds(const std::string& retryAfter, std::time_t now);

// An HTTP date (RFC 7231 and its older forms) as Unix time; -1 when unreadable.
long long ParseHttpDate(const std::string& text);

}  // namespace zirvo
