#pragma once
// The folder batch settings ("批量设置频道", the folder properties' second page): four groups of
// channel settings, each with its own "设置" button, and "设置全部". A group's values go to every
// channel now in the folder's subtree (at any depth, also below a channel that carries
// children), in the feed store with UpdateFeeds and the group's selector, and into the tree's
// nodes. Channels added later are not touched.
//
// What the dialog does around a call: the pressed button reads "设置中..." and is disabled while
// the call runs, then reads "设置" (or "设置全部") again and is enabled; the result's message is
// shown in a message box. A refused storage input (result.check) is shown instead, with the
// focus on the field it names, and nothing has changed.
//
// Threading: the window thread with the tree's long-lived store (or zirvo-cli's main thread); the
// nodes are written through the tree's locked accessors.

#include <span>
#include <string>

#include "core/config/settings_check.h"
#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

inline constexpr char kBatchDialogTitle[] = "批量设置频道";
inline constexpr char kBatchNote1[] = "注意：设置只是批量更改当前目录下频道的属性";
inline constexpr char kBatchNote2[] = "不会影响以后加入的频道";
inline constexpr char kBatchRankGroup[] = "设置当前目录下频道RssRank";
inline constexpr char kBatchRankByWeight[] = "按权重更新";  // flag 0
inline constexpr char kBatchRankAlways[] = "总是更新";      // flag 5
inline constexpr char kBatchOwnStorage[] = "对频道独立配置存储设置";
inline constexpr char kBatchNoAutoUpdate[] = "不自动更新";
inline constexpr char kBatchShowNotice[] = "显示更新提示";
inline constexpr char kBatchSetButton[] = "设置";
inline constexpr char kBatchSetAllButton[] = "设置全部";
inline constexpr char kBatchBusyButton[] = "设置中...";
inline constexpr char kMsgBatchDone[] = "设置完毕!";
inline constexpr char kMsgBatchFailed[] = "设置失败!";

// The groups, numbered as UpdateFeeds' selectors.
enum class BatchGroup : int {
    RssRank = kUpdateRssRank,        // 1
    Storage = kUpdateStorage,        // 2: storage type and count
    AutoUpdate = kUpdateAutoUpdate,  // 3
    Notice = kUpdateNewItemShowTip,  // 4
};

// "设置全部" runs the groups in this order, without a message of their own, then shows one.
inline constexpr BatchGroup kSetAllOrder[] = {BatchGroup::RssRank, BatchGroup::AutoUpdate,
                                              BatchGroup::Notice, BatchGroup::Storage};

// The page's widgets as they hold their values.
struct FolderBatchInput {
    int rankChoice = 0;       // 0 "按权重更新", 1 "总是更新"
    bool ownStorage = false;  // "对频道独立配置存储设置"; off: the global setting
    int storageRadio = 0;     // 1, 2, 3 as the storage page; 0 none chosen
    std::string storageCountText = "200";  // the count drop-down ("100" ... "1000")
    bool noAutoUpdate = false;  // "不自动更新" (stored inverted as the auto-update flag)
    bool showNotice = false;    // "显示更新提示"
};

struct FolderBatchResult {
    SettingsCheck check;  // !check.ok: the storage input was refused, nothing changed
    bool ok = false;      // every group reached the store and the nodes
    std::string message;  // to show when check.ok: "设置完毕!" or "设置失败!"
    std::string error;    // the store's cause when !ok
    int channels = 0;     // channels of the subtree that were set
};

// Runs `groups` in the given order for the channels of `folder`'s subtree. The storage input is
// checked first (same count and radio checks as the channel storage page) when a storage group
// is among them, so that a refused "设置全部" changes nothing. Unbound channels are bound to
// their feed_data rows first (a row is added for a channel never received), so that a channel
// the user never opened keeps the batch values when it is bound later.
// NOTE: each group is written to the store first and to the nodes only when the store took it;
// a failed UpdateFeeds stops there and is reported as "设置失败!", never as done.
FolderBatchResult ApplyFolderBatch(CChannelTree& tree, NodeId folder, CRssStore& store,
                                   const FolderBatchInput& input,
                                   std::span<const BatchGroup> groups);

// One group's "设置" button.
FolderBatchResult ApplyFolderBatchGroup(CChannelTree& tree, NodeId folder, CRssStore& store,
                                        const FolderBatchInput& input, BatchGroup group);
// "设置全部".
FolderBatchResult ApplyFolderBatchAll(CChannelTree& tree, NodeId folder, CRssStore& store,
                                      const FolderBatchInput& input);

// The page's widgets for a folder: the stored values of its first channel in display order,
// bound to its feed_data row first (the defaults of a new channel when the folder holds none
// or the binding fails).
FolderBatchInput FolderBatchInputOf(CChannelTree& tree, NodeId folder, CRssStore& store);

}  // namespace zirvo
