#include "core/receive/folder_batch_settings.h"

#include <optional>

#include "core/receive/receive_settings_checks.h"
#include "core/subscriptions/channel_binding.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

void SetGroup(FeedSettings& node, BatchGroup group, const FeedSettings& values) {
    switch (group) {
        case BatchGroup::RssRank:
            node.rssRank = values.rssRank;
            break;
        case BatchGroup::Storage:
            node.storageType = values.storageType;
            node.storageNum = values.storageNum;
            break;
        case BatchGroup::AutoUpdate:
            node.autoUpdate = values.autoUpdate;
            break;
        case BatchGroup::Notice:
            node.newItemShowTip = values.newItemShowTip;
            break;
    }
}

FolderBatchResult Failed(const std::string& error, int channels) {
    FolderBatchResult result;
    result.message = kMsgBatchFailed;
    result.error = error;
    result.channels = channels;
    return result;
}

}  // namespace

FolderBatchResult ApplyFolderBatch(CChannelTree& tree, NodeId folder, CRssStore& store,
                                   const FolderBatchInput& input,
                                   std::span<const BatchGroup> groups) {
    FeedSettings values;
    values.rssRank = RssRankFromChoice(input.rankChoice);
    values.autoUpdate = input.noAutoUpdate ? 0 : 1;
    values.newItemShowTip = input.showNotice ? 1 : 0;
    for (BatchGroup group : groups) {
        if (group != BatchGroup::Storage) {
            continue;
        }
        FolderBatchResult refused;
        refused.check =
            CheckChannelStoragePage(input.ownStorage, input.storageCountText, input.storageRadio,
                                    values.storageType, values.storageNum);
        if (!refused.check.ok) {
            return refused;
        }
    }

    FeedIdList feeds;
    if (!BindSubtree(tree, folder, store, feeds)) {
        return Failed(store.GetLastError(), 0);
    }
    const int channels = static_cast<int>(feeds.size());
    for (BatchGroup group : groups) {
        if (!store.UpdateFeeds(feeds, static_cast<int>(group), values)) {
            return Failed(store.GetLastError(), channels);
        }
        for (const auto& [handle, feedId] : feeds) {
            const NodeId id = static_cast<NodeId>(handle);
            std::optional<ChannelNode> node = tree.Node(id);
            if (!node) {
                continue;  // removed meanwhile
            }
            FeedSettings settings = node->settings;
            SetGroup(settings, group, values);
            tree.ApplyBinding(id, feedId, settings);
        }
    }
    FolderBatchResult result;
    result.ok = true;
    result.message = kMsgBatchDone;
    result.channels = channels;
    return result;
}

FolderBatchResult ApplyFolderBatchGroup(CChannelTree& tree, NodeId folder, CRssStore& store,
                                        const FolderBatchInput& input, BatchGroup group) {
    const BatchGroup groups[] = {group};
    return ApplyFolderBatch(tree, folder, store, input, groups);
}

FolderBatchResult ApplyFolderBatchAll(CChannelTree& tree, NodeId folder, CRssStore& store,
                                      const FolderBatchInput& input) {
    return ApplyFolderBatch(tree, folder, store, input, kSetAllOrder);
}

FolderBatchInput FolderBatchInputOf(CChannelTree& tree, NodeId folder, CRssStore& store) {
    FolderBatchInput input;
    const std::vector<NodeId> channels = tree.SubtreeChannels(folder);
    if (channels.empty() || !BindChannel(tree, channels.front(), store)) {
        return input;
    }
    const std::optional<ChannelNode> node = tree.Node(channels.front());
    if (!node) {
        return input;
    }
    const FeedSettings& s = node->settings;
    input.rankChoice = RssRankChoice(s.rssRank);
    input.ownStorage = s.storageType != 0;
    input.storageRadio = s.storageType;
    input.storageCountText = StrFormat("%d", s.storageNum);
    input.noAutoUpdate = s.autoUpdate == 0;
    input.showNotice = s.newItemShowTip != 0;
    return input;
}

}  // namespace zirvo
