#include "core/receive/cleaning_wizard.h"

#include <optional>
#include <set>

#include "core/config/settings_check.h"
#include "core/subscriptions/channel_binding.h"

namespace zirvo {
namespace {

CleaningResult Stay(const char* message) {
    CleaningResult result;
    result.stay = true;
    result.message = message;
    return result;
}

}  // namespace

bool CountCleaning(const CChannelTree& tree, const std::vector<NodeId>& ticked, int days,
                   bool includeUnread, CRssStore& store, int& count) {
    count = 0;
    FeedIdList feeds;
    std::set<int> seenFeeds;
    for (NodeId id : ticked) {
        const std::optional<ChannelNode> node = tree.Node(id);
        if (!node || !node->IsChannel()) {
            continue;
        }
        int feedId = 0;
        bool found = false;
        if (!store.FindFeedId(node->feedUrl, feedId, found)) {
            return false;
        }
        if (found && seenFeeds.insert(feedId).second) {
            feeds.emplace_back(static_cast<std::uintptr_t>(id), feedId);
        }
    }
    return store.CountCleanable(feeds, days < 0 ? 0 : days, includeUnread, count);
}

CleaningResult FinishCleaning(CChannelTree& tree, const std::vector<NodeId>& ticked, int days,
                              bool includeUnread, CRssStore& store) {
    std::vector<NodeId> channels;
    std::set<NodeId> seen;
    for (NodeId id : ticked) {
        const std::optional<ChannelNode> node = tree.Node(id);
        if (node && node->IsChannel() && seen.insert(id).second) {
            channels.push_back(id);
        }
    }
    if (channels.empty()) {
        return Stay(kMsgChooseChannelToClean);
    }
    if (days < 0 || days > 365) {
        return Stay(kMsgCleaningDays);
    }

    CleaningResult result;
    result.message = kMsgCleanFailed;
    FeedIdList feeds;
    std::set<int> seenFeeds;
    for (NodeId id : channels) {
        if (!BindChannel(tree, id, store)) {
            result.error = store.GetLastError();
            return result;
        }
        CleanedChannel cleaned;
        cleaned.node = id;
        cleaned.feedId = tree.Node(id) ? tree.Node(id)->feedId : 0;
        int unread = 0;
        if (cleaned.feedId == 0 || !store.CountFeed(cleaned.feedId, cleaned.total, unread)) {
            result.error = store.GetLastError();
            return result;
        }
        // The same address subscribed in two places is one row: clean it once.
        if (seenFeeds.insert(cleaned.feedId).second) {
            feeds.emplace_back(static_cast<std::uintptr_t>(id), cleaned.feedId);
        }
        result.channels.push_back(cleaned);
    }

    const bool cleanedOk = store.CleanFeeds(feeds, days, includeUnread);
    if (!cleanedOk) {
        result.error = store.GetLastError();
    }
    // Recounted even after a failure: the store commits what succeeded.
    for (CleanedChannel& cleaned : result.channels) {
        const int before = cleaned.total;
        if (!store.CountFeed(cleaned.feedId, cleaned.total, cleaned.unread)) {
            if (result.error.empty()) {
                result.error = store.GetLastError();
            }
            return result;
        }
        cleaned.removed = before - cleaned.total;
        tree.SetUnread(cleaned.node, cleaned.unread);
    }
    std::set<int> counted;
    for (const CleanedChannel& cleaned : result.channels) {
        if (counted.insert(cleaned.feedId).second) {
            result.removed += cleaned.removed;
        }
    }
    if (cleanedOk) {
        result.ok = true;
        result.message = kMsgCleanDone;
    }
    return result;
}

}  // namespace zirvo
