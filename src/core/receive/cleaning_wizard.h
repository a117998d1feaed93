#pragma once
// The cleaning wizard ("清理向导"): page 1 takes the days (CheckCleaningDays) and "包括未读新闻",
// page 2 the ticked channels; its finish ("开始清理") runs FinishCleaning.
//
// What the wizard does around the call: when the result says `stay`, it shows the message and
// stays open. Otherwise its buttons are disabled and the finish button reads "清理中..." while
// the call runs (on a worker if it likes, with a store of its own), then "清理完成", and the
// message ("清理完成!" or "清理失败!") is shown.
//
// Threading: any thread with its own CRssStore; the tree's counts are written through its
// locked accessors, which call the count listener on this thread.

#include <string>
#include <vector>

#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

inline constexpr const char* kCleanDaysPresets[] = {"0", "7", "14", "30", "60"};
inline constexpr char kCleanDaysInitial[] = "7";
inline constexpr char kCleanStartButton[] = "开始清理";
inline constexpr char kCleanBusyButton[] = "清理中...";
inline constexpr char kCleanDoneButton[] = "清理完成";
inline constexpr char kMsgCleanDone[] = "清理完成!";
inline constexpr char kMsgCleanFailed[] = "清理失败!";

struct CleanedChannel {
    NodeId node = kNoNode;
    int feedId = 0;
    int removed = 0;  // items the cleaning deleted
    int total = 0;    // items left
    int unread = 0;   // unread items left (now the node's count)
};

struct CleaningResult {
    bool stay = false;  // refused before anything ran: show `message`, keep the wizard open
    bool ok = false;    // the cleaning ran and the store took it
    std::string message;  // "请选择至少一个要清理的频道!", "请输入 0 ~ 365 间的数字",
                          // "清理完成!" or "清理失败!"
    std::string error;                     // the store's cause when the cleaning failed
    std::vector<CleanedChannel> channels;  // in the order ticked
    int removed = 0;
};

// The finish of the wizard. `ticked` holds the ticked tree nodes; folders among them are
// ignored (the wizard's tree ticks channels) and a channel ticked twice counts once. No channel:
// "请选择至少一个要清理的频道!" and `stay`. Days outside 0..365: "请输入 0 ~ 365 间的数字" and
// `stay`. Otherwise each channel is bound to its feed_data row by URL, CleanFeeds(list, days,
// includeUnread) runs, and the unread counts of the cleaned channels are recounted from the
// store into the tree (folders above follow).
// NOTE: only the cleaned channels are recounted, whether or not unread items were included:
// zeroing every channel of the tree would show channels that were not cleaned, or whose unread
// items were newer than the days, as read.
// How many items FinishCleaning with the same arguments would delete now (the wizard asks
// before it deletes any). Channels the store does not know hold none; no feed_data row is
// added. False with the store's last error on a failure.
bool CountCleaning(const CChannelTree& tree, const std::vector<NodeId>& ticked, int days,
                   bool includeUnread, CRssStore& store, int& count);

CleaningResult FinishCleaning(CChannelTree& tree, const std::vector<NodeId>& ticked, int days,
                              bool includeUnread, CRssStore& store);

}  // namespace zirvo
