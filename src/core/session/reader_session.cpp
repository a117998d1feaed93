#include "core/session/reader_session.h"

#include <algorithm>
#include <optional>

#include "core/util/strings.h"

namespace zirvo {
namespace {

bool ParseFeedIdText(const std::string& text, int& out) {
    long long value = 0;
    if (!ParseInt(text, value) || value <= 0 || value > 0x7fffffff) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

// True when `path`'s last components are `suffix` (caption by caption).
bool EndsWithComponents(const std::vector<std::string>& path,
                        const std::vector<std::string>& suffix) {
    if (suffix.empty() || suffix.size() > path.size()) {
        return false;
    }
    return std::equal(suffix.rbegin(), suffix.rend(), path.rbegin());
}

}  // namespace

int ArticlePageSize(const ChannelTreeSettings& settings) {
    const int size = settings.paginationNum;
    return size >= 30 && size <= 1000 ? size : 50;
}

CReaderSession::CReaderSession(const std::string& dataRoot, IMessageReporter& reporter)
    : m_root(dataRoot),
      m_messages(m_root.ErrorMsgPath(), reporter),
      m_appConfig(m_root.AppConfigPath(), m_messages),
      m_editor(m_tree, m_root.OpmlPath(), m_messages),
      m_store(m_root.Dir()) {}

CReaderSession::~CReaderSession() {
    Close();
}

bool CReaderSession::Open() {
    m_error.clear();
    ChannelTreeSettings settings;
    // Unreadable settings were reported; the tree goes on with the defaults as the window does.
    ReadChannelTreeSettings(m_appConfig, m_messages, settings);
    m_tree.SetSettings(settings);
    if (!m_editor.Load()) {
        m_error = "无法读取订阅文件 " + m_root.OpmlPath() + ", 文件已损坏或不可读";
        return false;
    }
    if (!m_store.Open()) {
        m_error = "无法打开文章数据库: " + m_store.GetLastError();
        return false;
    }
    return true;
}

void CReaderSession::Close() {
    StopReceiving();
    m_jobs.Close();
    m_store.Close();
}

bool CReaderSession::StartJob(std::function<void()> job) {
    return m_jobs.Start(std::move(job));
}

bool CReaderSession::StoreFailed(const std::string& what) {
    m_error = what + ": " + m_store.GetLastError();
    return false;
}

NodeId CReaderSession::Resolve(const std::string& reference, bool allowTop, bool& topLevel,
                               std::string& error) {
    topLevel = false;
    if (reference.empty() || reference == "/") {
        if (allowTop) {
            topLevel = true;
        } else {
            error = "name a channel or folder, not the top level";
        }
        return kNoNode;
    }
    if (reference[0] == '#') {
        int feedId = 0;
        if (!ParseFeedIdText(reference.substr(1), feedId)) {
            error = "'" + reference + "' is not a channel id (#ID with ID a positive number)";
            return kNoNode;
        }
        std::string url;
        bool found = false;
        if (!m_store.FeedUrlOf(feedId, url, found)) {
            error = "cannot read the feed store: " + m_store.GetLastError();
            return kNoNode;
        }
        const NodeId node = found ? m_tree.FindByFeedUrl(url) : kNoNode;
        if (node == kNoNode) {
            error = "no channel with id " + reference;
        }
        return node;
    }
    NodeId node = m_tree.FindByCaptionPath(reference);
    if (node == kNoNode) {
        node = m_tree.FindByFeedUrl(reference);
    }
    if (node != kNoNode) {
        return node;
    }
    // The end of a path is enough when only one node's path ends that way.
    const std::vector<std::string> wanted = SplitCaptionPath(reference);
    std::vector<NodeId> matches;
    for (NodeId id : m_tree.Walk()) {
        if (EndsWithComponents(SplitCaptionPath(m_tree.CaptionPath(id)), wanted)) {
            matches.push_back(id);
        }
    }
    if (matches.size() == 1) {
        return matches.front();
    }
    if (matches.empty()) {
        error = "no channel or folder '" + reference + "'";
    } else {
        error = "'" + reference + "' names " + std::to_string(matches.size()) + " nodes (";
        for (size_t i = 0; i < matches.size() && i < 3; ++i) {
            error += (i ? ", " : "") + m_tree.CaptionPath(matches[i]);
        }
        error += matches.size() > 3 ? ", ...): give the whole path" : "): give the whole path";
    }
    return kNoNode;
}

bool CReaderSession::ResolveFolder(const std::string& reference, NodeId& folder,
                                   std::string& error) {
    bool topLevel = false;
    folder = Resolve(reference, true, topLevel, error);
    if (topLevel) {
        folder = kNoNode;
        return true;
    }
    if (folder == kNoNode) {
        return false;
    }
    if (m_tree.Node(folder)->IsChannel()) {
        error = "'" + reference + "' is a channel, not a folder";
        return false;
    }
    return true;
}

std::string CReaderSession::PathText(NodeId id) const {
    return id == kNoNode ? std::string("/") : m_tree.CaptionPath(id);
}

bool CReaderSession::FeedIdOf(NodeId channel, int& feedId) {
    feedId = 0;
    std::optional<ChannelNode> node = m_tree.Node(channel);
    if (!node || !node->IsChannel()) {
        return true;
    }
    bool found = false;
    if (!m_store.FindFeedId(node->feedUrl, feedId, found)) {
        return StoreFailed("cannot read the feed store");
    }
    if (!found) {
        feedId = 0;
    }
    return true;
}

bool CReaderSession::KnownFeedIds(NodeId id, FeedIdList& feeds) {
    feeds.clear();
    for (NodeId channel : m_tree.SubtreeChannels(id)) {
        int feedId = 0;
        if (!FeedIdOf(channel, feedId)) {
            return false;
        }
        if (feedId != 0) {
            feeds.emplace_back(static_cast<std::uintptr_t>(channel), feedId);
        }
    }
    return true;
}

NodeId CReaderSession::ChannelOfFeed(int feedId) {
    std::string url;
    bool found = false;
    if (!m_store.FeedUrlOf(feedId, url, found) || !found) {
        return kNoNode;
    }
    return m_tree.FindByFeedUrl(url);
}

bool LoadUnreadCountsWith(CRssStore& store, CChannelTree& tree, std::string& error) {
    // Two reads for every channel of the tree: one read transaction for all of them.
    struct Reading {
        CRssStore& store;
        ~Reading() { store.EndReading(); }
    } reading{store};
    store.BeginReading();
    for (NodeId channel : tree.SubtreeChannels(kNoNode)) {
        const std::optional<ChannelNode> node = tree.Node(channel);
        if (!node) {
            continue;  // deleted meanwhile
        }
        int feedId = 0;
        bool found = false;
        int unread = 0;
        if (!store.FindFeedId(node->feedUrl, feedId, found) ||
            (found && !store.CountUnread(feedId, unread))) {
            error = "cannot count the unread items: " + store.GetLastError();
            return false;
        }
        if (found) {
            tree.SetUnread(channel, unread);
        }
    }
    return true;
}

bool CReaderSession::LoadUnreadCounts() {
    return LoadUnreadCountsWith(m_store, m_tree, m_error);
}

bool CReaderSession::ListPage(NodeId id, int filter, int page, bool withBody, ItemPage& out,
                              const ItemOrder& order) {
    out = ItemPage{};
    if (filter < kAllItems || filter > kNewItems) {
        m_error = "unknown item filter " + std::to_string(filter);
        return false;
    }
    // Read before the rows: an item stored between the two reads is listed but stays unread.
    if (!m_store.MaxItemId(out.maxItemId)) {
        return StoreFailed("cannot read the items");
    }
    const std::optional<ChannelNode> node = id == kNoNode ? std::nullopt : m_tree.Node(id);
    if (id != kNoNode && !node) {
        m_error = "the channel or folder is gone";
        return false;
    }
    if (node && node->IsChannel()) {
        int feedId = 0;
        if (!FeedIdOf(id, feedId)) {
            return false;
        }
        out.pageSize = ArticlePageSize(m_tree.Settings());
        out.page = page < 0 ? 0 : page;
        const long long offset = static_cast<long long>(out.page) * out.pageSize;
        if (feedId != 0 && offset <= 0x7fffffff) {
            if (!m_store.ListItems(feedId, filter, withBody, out.items, out.total, out.pageSize,
                                   static_cast<int>(offset), order)) {
                return StoreFailed("cannot read the items");
            }
            if (!m_store.FillEnclosures(out.items)) {
                return StoreFailed("cannot read the attachments");
            }
            out.channels.emplace(feedId, id);
        } else if (feedId != 0) {
            // Past any page there can be: only the count is wanted.
            std::vector<RssItem> none;
            if (!m_store.ListItems(feedId, filter, false, none, out.total, 1, 0, order)) {
                return StoreFailed("cannot read the items");
            }
        }
        out.pageCount = out.total == 0 ? 1 : (out.total + out.pageSize - 1) / out.pageSize;
        return true;
    }
    FeedIdList feeds;
    if (!KnownFeedIds(id, feeds)) {
        return false;
    }
    if (!m_store.ListFeedsItems(feeds, filter, out.items, order) ||
        !m_store.FillEnclosures(out.items)) {
        return StoreFailed("cannot read the items");
    }
    for (const auto& [handle, feedId] : feeds) {
        out.channels.emplace(feedId, static_cast<NodeId>(handle));
    }
    out.folder = true;
    out.total = static_cast<int>(out.items.size());
    out.pageSize = out.total + 1;
    out.truncated = out.items.size() >= static_cast<size_t>(kFeedsItemsLimit);
    return true;
}

bool ListAllUnreadWith(CRssStore& store, const CChannelTree& tree, ItemPage& out,
                       std::string& error, const ItemOrder& order) {
    out = ItemPage{};
    int count = 0;
    if (!store.MaxItemId(out.maxItemId) || !store.ListUnread(out.items, count, order)) {
        error = "cannot read the unread items: " + store.GetLastError();
        return false;
    }
    out.total = static_cast<int>(out.items.size());
    out.pageSize = out.total + 1;
    out.folder = true;
    out.truncated = count > out.total;
    for (const RssItem& item : out.items) {
        if (out.channels.count(item.channelId)) {
            continue;
        }
        std::string url;
        bool found = false;
        if (store.FeedUrlOf(item.channelId, url, found) && found) {
            const NodeId channel = tree.FindByFeedUrl(url);
            if (channel != kNoNode) {
                out.channels.emplace(item.channelId, channel);
            }
        }
    }
    return true;
}

bool CReaderSession::ListAllUnread(ItemPage& out) {
    return ListAllUnreadWith(m_store, m_tree, out, m_error);
}

bool CReaderSession::MarkItemRead(int itemId, bool read, NodeId& channel, int& unread) {
    channel = kNoNode;
    unread = 0;
    int feedId = 0;
    if (!m_store.GetItemFeedId(itemId, feedId)) {
        return StoreFailed("cannot read item " + std::to_string(itemId));
    }
    if (!m_store.SetItemRead(itemId, read ? 1 : 0) || !m_store.CountUnread(feedId, unread)) {
        return StoreFailed("cannot mark item " + std::to_string(itemId));
    }
    std::string url;
    bool found = false;
    if (!m_store.FeedUrlOf(feedId, url, found)) {
        return StoreFailed("cannot read the feed store");
    }
    if (!found) {
        return true;
    }
    // Every channel with this address shows the same items, so each gets the count.
    for (NodeId id : m_tree.SubtreeChannels(kNoNode)) {
        const std::optional<ChannelNode> node = m_tree.Node(id);
        if (node && node->feedUrl == url) {
            if (channel == kNoNode) {
                channel = id;
            }
            m_tree.SetUnread(id, unread);
        }
    }
    return true;
}

bool CReaderSession::MarkNodeRead(NodeId id, bool read, int upToItemId) {
    if (!m_editor.MarkRead(id, m_store, read, upToItemId)) {
        return StoreFailed("cannot mark " + PathText(id) + (read ? " read" : " unread"));
    }
    return true;
}

void CReaderSession::EnableReceiving(IReceiveObserver& observer, IHttpClient* http) {
    if (!m_receiver) {
        m_receiver = std::make_unique<CReceiveManager>(m_tree, observer, m_root.Dir(), http);
        FetchSettings fetching;
        m_appConfig.ReadFetchSettings(fetching);
        m_receiver->SetParallelFetches(fetching.inFlight);
        m_receiver->SetFetchesPerHost(fetching.perHost);
        m_receiver->SetMaxFeedItems(static_cast<size_t>(m_appConfig.ReadMaxFeedItems()));
    }
}

bool CReaderSession::Receive(NodeId id, bool force, bool refreshList) {
    if (!m_receiver) {
        m_error = "receiving is not enabled";
        return false;
    }
    const std::optional<ChannelNode> node = id == kNoNode ? std::nullopt : m_tree.Node(id);
    if (id != kNoNode && !node) {
        m_error = "the channel or folder is gone";
        return false;
    }
    bool started = false;
    if (node && node->IsChannel()) {
        started = m_receiver->StartReceive(m_store, id, refreshList);
        if (!started) {
            m_error =
                "cannot bind " + PathText(id) + " to the feed store: " + m_store.GetLastError();
        }
        return started;
    }
    started = id == kNoNode ? m_receiver->StartReceiveAll(force)
                            : m_receiver->StartFolderReceive(id, force);
    if (!started) {
        m_error = "cannot start the receive of " + PathText(id);
    }
    return started;
}

bool CReaderSession::ReceiveWeighted() {
    if (!m_receiver) {
        m_error = "receiving is not enabled";
        return false;
    }
    if (!m_receiver->StartWeightedReceiveAll()) {
        m_error = "another walk over the tree is running";
        return false;
    }
    return true;
}

bool CReaderSession::ReceiveScheduled() {
    if (!m_receiver) {
        m_error = "receiving is not enabled";
        return false;
    }
    if (!m_receiver->StartReceiveAll(false, true)) {
        m_error = "cannot start the receive of " + PathText(kNoNode);
        return false;
    }
    return true;
}

void CReaderSession::StopReceiving() {
    if (m_receiver) {
        m_receiver->Shutdown();
    }
}

}  // namespace zirvo
