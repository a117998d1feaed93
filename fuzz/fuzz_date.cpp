// Date texts of feeds and of blog posts, normalised the way items and posts store them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/blogapi/post_dates.h"
#include "core/util/feed_date.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    zirvo::PostTime post;
    zirvo::ParsePostDate(text, post);
    zirvo::NormaliseFeedDate(text);
    return 0;
}
