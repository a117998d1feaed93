#pragma once
// Binding channel nodes to their `feed_data` rows. The feed store knows a channel only by its
// feed URL: a look-up by URL (GetFeedSettings, which adds the row when it is missing) gives the
// channel's feed_id and stored settings, and both are copied into the node.
//
// Threading: any thread that owns the CRssStore it passes (each thread opens its own store); the
// node is updated through the tree's locked accessors.

#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

// Binds one channel; false for a folder, a dead handle, or a store failure (the store's last
// error says why). An already bound node is looked up again, so settings changed meanwhile by
// another store connection are picked up.
bool BindChannel(CChannelTree& tree, NodeId id, CRssStore& store);

// Binds every channel of the subtree of `id` (kNoNode: the whole tree) and returns them as the
// store's FeedIdList (handle = node id). Channels that cannot be bound are left out; false when
// any binding failed.
bool BindSubtree(CChannelTree& tree, NodeId id, CRssStore& store, FeedIdList& feeds);

// The already bound channels of the subtree, without touching the store.
FeedIdList BoundFeedIds(const CChannelTree& tree, NodeId id);

}  // namespace zirvo
