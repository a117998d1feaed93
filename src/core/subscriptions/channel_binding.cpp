#include "core/subscriptions/channel_binding.h"

#include <optional>

namespace zirvo {

bool BindChannel(CChannelTree& tree, NodeId id, CRssStore& store) {
    std::optional<ChannelNode> node = tree.Node(id);
    if (!node || !node->IsChannel()) {
        return false;
    }
    int feedId = 0;
    FeedSettings settings = node->settings;
    if (!store.GetFeedSettings(node->feedUrl, feedId, settings)) {
        return false;
    }
    return tree.ApplyBinding(id, feedId, settings);
}

bool BindSubtree(CChannelTree& tree, NodeId id, CRssStore& store, FeedIdList& feeds) {
    feeds.clear();
    bool allBound = true;
    for (NodeId channel : tree.SubtreeChannels(id)) {
        if (!BindChannel(tree, channel, store)) {
            allBound = false;
            continue;
        }
        std::optional<ChannelNode> node = tree.Node(channel);
        if (node && node->feedId != 0) {
            feeds.emplace_back(static_cast<std::uintptr_t>(channel), node->feedId);
        }
    }
    return allBound;
}

FeedIdList BoundFeedIds(const CChannelTree& tree, NodeId id) {
    FeedIdList feeds;
    for (const auto& [node, feedId] : tree.SubtreeFeedIds(id)) {
        feeds.emplace_back(static_cast<std::uintptr_t>(node), feedId);
    }
    return feeds;
}

}  // namespace zirvo
