#include "core/subscriptions/channel_binding.h"

#include <optional>

namespace zirvo {

ChannelFeedSettings ToChannelSettings(const FeedSettings& settings) {
    ChannelFeedSettings out;
    out.rssRank = settings.rssRank;
    out.storageType = settings.storageType;
    out.storageNum = settings.storageNum;
    out.autoUpdate = settings.autoUpdate;
    out.newItemShowTip = settings.newItemShowTip;
    return out;
}

FeedSettings ToFeedSettings(const ChannelFeedSettings& settings) {
    FeedSettings out;
    out.rssRank = settings.rssRank;
    out.storageType = settings.storageType;
    out.storageNum = settings.storageNum;
    out.autoUpdate = settings.autoUpdate;
    out.newItemShowTip = settings.newItemShowTip;
    return out;
}

bool BindChannel(CChannelTree& tree, NodeId id, CRssStore& store) {
    std::optional<ChannelNode> node = tree.Node(id);
    if (!node || !node->IsChannel()) {
        return false;
    }
    int feedId = 0;
    FeedSettings settings = ToFeedSettings(node->settings);
    if (!store.GetFeedSettings(node->feedUrl, feedId, settings)) {
        return false;
    }
    return tree.ApplyBinding(id, feedId, ToChannelSettings(settings));
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
