#include "feed_cli_support.h"

#include "core/db/sqlite_cursor.h"
#include "core/subscriptions/channel_checks.h"
#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo::cli {

bool CCliFeedStore::FindFeedId(const std::string& url, int& id, bool& found) {
    found = false;
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(StrFormat(
            "SELECT feed_id FROM [feed_data] WHERE feed_url = '%s';", Quoted(url).c_str()));
        if (!row.AtEnd()) {
            found = true;
            id = row.GetInt(0);
        }
    });
}

bool CCliFeedStore::FindFeedSettings(const std::string& url, int& id, FeedSettings& settings,
                                     bool& found) {
    if (!FindFeedId(url, id, found)) {
        return false;
    }
    if (!found) {
        return true;
    }
    int ignored = 0;
    // The row exists, so this look-up adds nothing.
    return GetFeedSettings(url, ignored, settings);
}

bool CCliFeedStore::FeedUrlOf(int id, std::string& url, bool& found) {
    found = false;
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(
            StrFormat("SELECT feed_url FROM [feed_data] WHERE feed_id = %d;", id));
        if (!row.AtEnd()) {
            found = true;
            url = row.GetText(0);
        }
    });
}

CFeedSession::CFeedSession(CliContext& context)
    : m_context(context),
      m_editor(m_tree, context.root.OpmlPath(), context.messages),
      m_store(context.root.Dir()) {}

bool CFeedSession::Open(int& rc) {
    ChannelTreeSettings settings;
    // Unreadable settings were reported; the tree goes on with the defaults as the window does.
    ReadChannelTreeSettings(m_context.appConfig, m_context.messages, settings);
    m_tree.SetSettings(settings);
    if (!m_editor.Load()) {
        rc = m_context.Fail("cannot read the subscription file " + m_context.root.OpmlPath());
        return false;
    }
    if (!m_store.Open()) {
        rc = m_context.Fail("cannot open the feed store: " + m_store.GetLastError());
        return false;
    }
    return true;
}

NodeId CFeedSession::Resolve(const std::string& reference, bool allowTop, bool& topLevel,
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
        if (!ParsePositive(reference.substr(1), feedId)) {
            error = "\"" + reference + "\" is not a channel id (#ID with ID a positive number)";
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
    if (node == kNoNode) {
        error = "no channel or folder \"" + reference + "\" (see `zirvo-cli tree`)";
    }
    return node;
}

bool CFeedSession::ResolveFolder(const std::string& reference, NodeId& folder, std::string& error) {
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
        error = "\"" + reference + "\" is a channel, not a folder";
        return false;
    }
    return true;
}

bool CFeedSession::FeedIdOf(NodeId channel, int& feedId) {
    feedId = 0;
    std::optional<ChannelNode> node = m_tree.Node(channel);
    if (!node || !node->IsChannel()) {
        return true;
    }
    bool found = false;
    if (!m_store.FindFeedId(node->feedUrl, feedId, found)) {
        return false;
    }
    if (!found) {
        feedId = 0;
    }
    return true;
}

bool CFeedSession::KnownFeedIds(NodeId id, FeedIdList& feeds) {
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

bool CFeedSession::LoadUnreadCounts() {
    FeedIdList feeds;
    if (!KnownFeedIds(kNoNode, feeds)) {
        return false;
    }
    for (const auto& [handle, feedId] : feeds) {
        int unread = 0;
        if (!m_store.CountUnread(feedId, unread)) {
            return false;
        }
        m_tree.SetUnread(static_cast<NodeId>(handle), unread);
    }
    return true;
}

std::string CFeedSession::PathText(NodeId id) const {
    return id == kNoNode ? std::string("/") : m_tree.CaptionPath(id);
}

CFileGuard::CFileGuard(std::string path) : m_path(std::move(path)) {}

bool CFileGuard::Probe(std::string& error) {
    std::string bytes;
    if (!ReadFileBytes(m_path, bytes)) {
        error = "cannot read " + m_path;
        return false;
    }
    std::string writeError;
    if (!WriteFileAtomic(m_path, bytes, &writeError)) {
        error = "cannot write " + m_path + ": " + writeError;
        return false;
    }
    m_bytes = std::move(bytes);
    return true;
}

void CFileGuard::Restore() {
    if (!m_bytes) {
        return;
    }
    std::string now;
    if (!ReadFileBytes(m_path, now) || now != *m_bytes) {
        WriteFileAtomic(m_path, *m_bytes);
    }
}

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
        {"id", std::to_string(item.id)},
        {"feed_id", std::to_string(item.channelId)},
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
