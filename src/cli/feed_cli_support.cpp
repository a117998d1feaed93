#include "feed_cli_support.h"

#include "core/subscriptions/channel_checks.h"
#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo::cli {

bool ParsePositive(const std::string& text, int& out) {
    long long value = 0;
    if (!ParseInt(text, value) || value <= 0 || value > 0x7fffffff) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool ParseFilter(const std::string& text, int& filter) {
    static const char* const kNames[] = {"all", "read", "unread", "new"};
    for (int code = kAllItems; code <= kNewItems; ++code) {
        if (text == kNames[code]) {
            filter = code;
            return true;
        }
    }
    return false;
}

const char* FilterName(int filter) {
    switch (filter) {
        case kAllItems:
            return "all";
        case kReadItems:
            return "read";
        case kUnreadItems:
            return "unread";
        default:
            return "new";
    }
}

Record ItemRecord(const RssItem& item, const std::string& channel, bool full) {
    Record record{
        {"id", item.id},
        {"feed_id", IdOrNull(item.channelId)},
        {"channel", channel},
        {"date", item.date},
        {"state", item.read ? "read" : (item.isNew ? "new" : "unread")},
        {"author", item.author},
        {"title", item.title},
    };
    if (full) {
        record.emplace_back("link", item.link);
        record.emplace_back("description", item.description);
    }
    return record;
}

std::string NonWebAddressMessage(const std::string& url) {
    std::string message = kFeedUrlNotWeb;
    if (url.find(':') == std::string::npos) {
        message += " (\"" + url + "\" has no scheme: write http://" + url + ")";
    } else {
        message += " (\"" + url + "\")";
    }
    return message;
}

}  // namespace zirvo::cli
