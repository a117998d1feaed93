#pragma once
// How a channel's last fetch went, as the feed store keeps it in rssfetch_data (one row per
// feed_id, removed with its channel and when the channel's address changes):
//   fetch_etag, fetch_lastmodified  the validators of the last answer that was stored, sent back
//                                   with the next request (empty: none)
//   fetch_notbefore                 Unix seconds before which scheduled receives leave the
//                                   channel alone (the site's max-age or Retry-After; 0: none)
//   fetch_time                      Unix seconds of the last fetch's end (0: never fetched)
//   fetch_ok                        1 when that fetch was received (a 304 included)
//   fetch_message                   what it said: why it failed, or how it went

#include <string>

#include "core/feeds/feed_fetcher.h"

namespace zirvo {

struct FeedFetchState {
    FeedValidators validators;
    long long notBefore = 0;
    long long time = 0;
    bool ok = false;
    std::string message;

    bool NeverFetched() const { return time == 0; }
};

// The longest message kept (bytes; a longer one is cut at a character boundary).
inline constexpr size_t kMaxFetchMessageBytes = 1024;

}  // namespace zirvo
