#include "core/receive/channel_receive.h"

#include <ctime>
#include <exception>
#include <new>
#include <optional>
#include <utility>

#include "core/receive/receive_schedule.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

// The storage policy that applies to a node: its own, or the tree's global one for type 0.
void StoragePolicyFor(const CChannelTree& tree, const ChannelNode& node, int& type, int& count) {
    type = node.settings.storageType;
    count = node.settings.storageNum;
    if (type == 0) {
        ChannelTreeSettings global = tree.Settings();
        type = global.storageType;
        count = global.storageNum;
    }
}

// Merge and recount on an open store, touching nothing but the store.
bool MergeAndCountStored(const ReceiveContext& context, const ChannelNode& node, int feedId,
                         CRssStore& store, const std::vector<RssItem>& items,
                         ChannelReceiveOutcome& outcome) {
    int type = 0;
    int count = 0;
    StoragePolicyFor(*context.tree, node, type, count);
    int unread = 0;
    // A 304 brought nothing to merge: the store stays as it is, only the count is read.
    if ((!outcome.notModified && !store.SaveReceivedItems(feedId, items, type, count)) ||
        !store.CountUnread(feedId, unread)) {
        outcome.error = store.GetLastError();
        return false;
    }
    outcome.unread = unread;
    return true;
}

void PublishUnread(const ReceiveContext& context, NodeId node, int unread) {
    if (!context.Stopping()) {
        context.tree->SetUnread(node, unread);
        context.observer->OnUnreadChanged(node, unread);
    }
}

// Merge and recount on an open store. On success the count is stored in the tree (ancestors
// recomputed) and reported, unless stopping.
bool MergeAndCount(const ReceiveContext& context, const ChannelNode& node, int feedId,
                   CRssStore& store, const std::vector<RssItem>& items,
                   ChannelReceiveOutcome& outcome) {
    if (!MergeAndCountStored(context, node, feedId, store, items, outcome)) {
        return false;
    }
    PublishUnread(context, node.id, outcome.unread);
    return true;
}

void SendNotice(const ReceiveContext& context, NodeId id, int unread) {
    if (unread <= 0 || context.Stopping()) {
        return;
    }
    std::optional<ChannelNode> node = context.tree->Node(id);
    if (node && node->settings.newItemShowTip) {
        context.observer->OnNewItemNotice(id, unread);
    }
}

void Report(const ReceiveContext& context, const ChannelReceiveOutcome& outcome) {
    if (!context.Stopping()) {
        context.observer->OnChannelDone(outcome);
    }
}

ChannelReceiveOutcome OutcomeOf(NodeId node, int feedId, const FetchedFeed& fetched) {
    ChannelReceiveOutcome outcome;
    outcome.node = node;
    outcome.feedId = feedId;
    outcome.fetchFailure = fetched.result.failure;
    outcome.itemsInFeed = static_cast<int>(fetched.items.size());
    outcome.notModified = fetched.ok && fetched.result.notModified;
    if (!fetched.ok) {
        outcome.error = fetched.result.error;
    }
    return outcome;
}

// Keeps the record of this fetch for the channel (unless stopping: the record is not worth
// holding up a close). A failure to write it does not change the receive's outcome.
void RecordFetch(const ReceiveContext& context, CRssStore& store, ChannelReceiveOutcome& outcome,
                 const FetchedFeed& fetched) {
    outcome.message = DescribeReceive(outcome, fetched.result);
    if (context.Stopping() || outcome.feedId <= 0) {
        return;
    }
    const bool stored = outcome.ok && !outcome.notModified;
    store.SaveFetchState(
        outcome.feedId,
        NextFetchState(fetched.previous, fetched.result, outcome.ok, stored, outcome.message,
                       static_cast<long long>(std::time(nullptr))));
}

}  // namespace

bool ReceiveContext::Stopping() const {
    return IsClosing() || (stop != nullptr && stop->load());
}

void SetReceiveImage(const ReceiveContext& context, NodeId node, NodeImage image) {
    context.tree->SetImage(node, image);
    if (!context.Stopping()) {
        context.observer->OnImageChanged(node, image);
    }
}

FetchedFeed FetchChannel(const ReceiveContext& context, const std::string& url,
                         const FeedFetchState& previous) {
    FetchedFeed fetched;
    fetched.previous = previous;
    CFeedFetcher fetcher(context.http);
    fetcher.SetAbortFlag(context.stop);
    fetcher.SetMaxItems(context.maxFeedItems);
    fetched.ok = fetcher.FetchFeed(url, fetched.items, previous.validators);
    fetched.result = fetcher.LastResult();
    return fetched;
}

std::string DescribeReceive(const ChannelReceiveOutcome& outcome, const FeedFetchResult& result) {
    std::string text;
    if (outcome.ok) {
        text = outcome.notModified ? std::string("自上次接收以来没有变化")
                                   : StrFormat("已接收，频道中有 %d 个条目", outcome.itemsInFeed);
    } else if (outcome.fetchFailure != FeedFailure::None) {
        // The error says what went wrong in the user's words; the kind only stands in for it.
        text = outcome.error.empty() ? std::string(FeedFailureText(outcome.fetchFailure))
                                     : outcome.error;
    } else {
        text = outcome.error.empty() ? std::string("写入RSS数据库失败") : outcome.error;
    }
    if (result.siteBusy) {
        text += StrFormat("；网站繁忙（HTTP %d）", result.httpStatus);
        if (result.deferSeconds > 0) {
            text += StrFormat("，要求等待 %lld 秒", result.deferSeconds);
        }
    }
    return text;
}

FeedFetchState NextFetchState(const FeedFetchState& before, const FeedFetchResult& result, bool ok,
                              bool stored, const std::string& message, long long now) {
    FeedFetchState next = before;
    if (stored) {
        // The validators name the answer whose items are now in the store; an answer without
        // them makes the next request unconditional again.
        next.validators = result.validators;
    } else if (ok && result.notModified) {
        if (!result.validators.etag.empty()) {
            next.validators.etag = result.validators.etag;
        }
        if (!result.validators.lastModified.empty()) {
            next.validators.lastModified = result.validators.lastModified;
        }
    }
    next.notBefore = result.deferSeconds > 0 ? now + result.deferSeconds : 0;
    next.time = now;
    next.ok = ok;
    next.message = message;
    return next;
}

std::string DescribeCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "接收频道时内存不足";
    } catch (const std::exception& e) {
        return std::string("接收频道时出现内部错误：") + e.what();
    } catch (...) {
        return "接收频道时出现内部错误";
    }
}

void FailChannel(const ReceiveContext& context, NodeId node, const std::string& error) noexcept {
    try {
        ChannelReceiveOutcome outcome;
        outcome.node = node;
        outcome.error = error;
        if (std::optional<ChannelNode> known = context.tree->Node(node)) {
            outcome.feedId = known->feedId;
        }
        SetReceiveImage(context, node, kImageFailed);
        Report(context, outcome);
    } catch (...) {
        // Nothing is left to tell the failure with; the worker must still end cleanly.
    }
}

namespace {

void ReceiveChannel(const ReceiveContext& context, const ReceiveRequest& request) {
    SetReceiveImage(context, request.node, kImageReceiving);
    // The store is opened before the fetch: the request carries the last answer's validators.
    CRssStore store(context.dataRoot);
    const bool opened = store.Open();
    FeedFetchState previous;
    if (opened) {
        store.GetFetchState(request.channelId, previous);
    }
    FetchedFeed fetched = FetchChannel(context, request.url, previous);
    ChannelReceiveOutcome outcome = OutcomeOf(request.node, request.channelId, fetched);
    if (!fetched.ok || context.Stopping()) {
        if (opened) {
            RecordFetch(context, store, outcome, fetched);
        }
        SetReceiveImage(context, request.node, kImageFailed);
        Report(context, outcome);
        return;
    }
    bool ok = false;
    if (!context.Stopping()) {
        // Items the user has just read must count as read before the recount.
        context.observer->FlushPendingMarkRead();
    }
    std::optional<ChannelNode> node = context.tree->Node(request.node);
    if (!node) {
        outcome.error = "该频道已从频道树中删除";
    } else if (!opened) {
        outcome.error = store.GetLastError();
    } else if (MergeAndCount(context, *node, request.channelId, store, fetched.items, outcome)) {
        ok = true;
        SendNotice(context, request.node, outcome.unread);
        if (request.refresh && !context.Stopping() && context.tree->Current() == request.node) {
            context.observer->OnRefreshList(request.channelId);
        }
    }
    outcome.ok = ok && !context.Stopping();
    if (opened) {
        RecordFetch(context, store, outcome, fetched);
    }
    SetReceiveImage(context, request.node, outcome.ok ? kImageReceived : kImageFailed);
    Report(context, outcome);
}

}  // namespace

int ReceiveChannelWorker(const ReceiveContext& context, ReceiveRequest request) {
    try {
        ReceiveChannel(context, request);
    } catch (...) {
        FailChannel(context, request.node, DescribeCurrentException());
    }
    return 0;
}

void StoreInlineReceive(const ReceiveContext& context, CRssStore& store, InlineReceive& receive) {
    std::optional<ChannelNode> node = context.tree->Node(receive.node);
    const int feedId = node ? node->feedId : 0;
    const FetchedFeed& fetched = receive.fetched;
    ChannelReceiveOutcome& outcome = receive.outcome;
    outcome = OutcomeOf(receive.node, feedId, fetched);
    receive.newCount = -1;
    if (!fetched.ok || context.Stopping() || !node) {
        if (fetched.ok && !node) {
            outcome.error = "该频道已从频道树中删除";
        }
        RecordFetch(context, store, outcome, fetched);
        return;
    }
    if (!MergeAndCountStored(context, *node, feedId, store, fetched.items, outcome)) {
        RecordFetch(context, store, outcome, fetched);
        return;
    }
    outcome.ok = true;
    RecordFetch(context, store, outcome, fetched);
    int newCount = 0;
    if (receive.levelUsed > 0 && store.CountNew(feedId, newCount)) {
        receive.newCount = newCount;
    }
}

void ReportInlineReceive(const ReceiveContext& context, const InlineReceive& receive) {
    const ChannelReceiveOutcome& outcome = receive.outcome;
    const NodeId id = receive.node;
    if (!outcome.ok) {
        SetReceiveImage(context, id, kImageFailed);
        Report(context, outcome);
        return;
    }
    PublishUnread(context, id, outcome.unread);
    SetReceiveImage(context, id, kImageReceived);
    SendNotice(context, id, outcome.unread);
    if (receive.levelUsed > 0 && receive.newCount >= 0) {
        if (std::optional<ChannelNode> now = context.tree->Node(id)) {
            WeightState next = WeightUpdate(receive.levelUsed, receive.newCount,
                                            {now->weightLevel, now->weightCounter});
            context.tree->SetWeight(id, next.level, next.counter);
        }
    }
    Report(context, outcome);
}

void FinishInlineReceive(const ReceiveContext& context, NodeId id, CRssStore& store,
                         FetchedFeed fetched, int levelUsed) {
    InlineReceive receive;
    receive.node = id;
    receive.fetched = std::move(fetched);
    receive.levelUsed = levelUsed;
    StoreInlineReceive(context, store, receive);
    ReportInlineReceive(context, receive);
}

}  // namespace zirvo
