#include "core/subscriptions/channel_tree_editor.h"

#include <algorithm>
#include <optional>
#include <set>

#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/channel_checks.h"

namespace zirvo {

bool ReadChannelTreeSettings(CAppConfig& config, CErrorMsgDialog& messages,
                             ChannelTreeSettings& settings) {
    ReceiveSettings receive;
    StorageSettings storage;
    if (!config.ReadReceiveSettings(receive) || !config.ReadStorageSettings(storage)) {
        messages.ShowMessageBox(kReaderConfigError);
        return false;
    }
    settings = ChannelTreeSettings(receive, storage);
    return true;
}

CChannelTreeEditor::CChannelTreeEditor(CChannelTree& tree, std::string opmlPath,
                                       CErrorMsgDialog& messages)
    : m_tree(tree), m_file(std::move(opmlPath), messages), m_messages(messages) {}

void CChannelTreeEditor::Refuse(const std::string& message) {
    m_messages.ShowMessageBox(message);
}

bool CChannelTreeEditor::Load() {
    m_tree.Clear();
    std::vector<OpmlOutline> outlines;
    if (!m_file.Load(outlines)) {
        return false;
    }
    m_tree.InsertOutlines(kNoNode, outlines, m_tree.Settings().whenExitRememberUnreadNum != 0);
    return true;
}

bool CChannelTreeEditor::SaveState() {
    return m_file.SaveState(m_tree);
}

NodeId CChannelTreeEditor::AddNode(NodeId parent, const std::string& text,
                                   const std::string& xmlUrl, const std::string& homeUrl,
                                   const StoreStep& then) {
    const std::string caption = CutAtCharacter(text, kMaxCaptionBytes);
    if (parent != kNoNode && !m_tree.Exists(parent)) {
        Refuse(kAddFailed);
        return kNoNode;
    }
    const IndexPath parentPath = parent == kNoNode ? IndexPath{} : m_tree.PathOf(parent);
    if (!m_file.AddOutline(parentPath, caption, xmlUrl, homeUrl, then)) {
        return kNoNode;
    }
    m_tree.SetExpanded(parent, true);
    return m_tree.AddNode(parent, caption, xmlUrl, homeUrl);
}

NodeId CChannelTreeEditor::AddChannel(NodeId parent, const std::string& title,
                                      const std::string& feedUrl, const std::string& homeUrl) {
    const FieldCheck check = CheckChannelFields(title, feedUrl, homeUrl);
    if (!check.ok) {
        Refuse(check.message);
        return kNoNode;
    }
    return AddNode(parent, title, feedUrl, homeUrl);
}

NodeId CChannelTreeEditor::AddChannel(NodeId parent, const std::string& title,
                                      const std::string& feedUrl, const std::string& homeUrl,
                                      CRssStore& store) {
    const FieldCheck check = CheckChannelFields(title, feedUrl, homeUrl);
    if (!check.ok) {
        Refuse(check.message);
        return kNoNode;
    }
    int feedId = 0;
    FeedSettings settings;
    const NodeId id = AddNode(parent, title, feedUrl, homeUrl, [&] {
        if (store.GetFeedSettings(feedUrl, feedId, settings)) {
            return true;
        }
        Refuse(kAddFailed);
        return false;
    });
    if (id != kNoNode) {
        m_tree.ApplyBinding(id, feedId, settings);
    }
    return id;
}

NodeId CChannelTreeEditor::AddFolder(NodeId parent, const std::string& name,
                                     const std::string& homeUrl) {
    const FieldCheck check = CheckFolderFields(name, homeUrl);
    if (!check.ok) {
        Refuse(check.message);
        return kNoNode;
    }
    return AddNode(parent, name, std::string(), homeUrl);
}

bool CChannelTreeEditor::Rename(NodeId id, const std::string& text) {
    const std::string caption = CutAtCharacter(text, kMaxCaptionBytes);
    if (caption.empty()) {
        return true;
    }
    if (HasInvalidCharacters(caption)) {
        Refuse(kInvalidCharacters);
        return false;
    }
    if (!m_tree.Exists(id) || !m_file.SetAttribute(m_tree.PathOf(id), "title", caption)) {
        return false;
    }
    return m_tree.SetCaption(id, caption);
}

bool CChannelTreeEditor::SetChannelProperties(NodeId id, const std::string& text,
                                              const std::string& feedUrl,
                                              const std::string& homeUrl,
                                              const FeedSettings& settings, CRssStore& store) {
    const std::string title = CutAtCharacter(text, kMaxCaptionBytes);
    std::optional<ChannelNode> node = m_tree.Node(id);
    if (!node || !node->IsChannel()) {
        return false;
    }
    const FieldCheck check = CheckChannelEdit(title, feedUrl, homeUrl, node->feedUrl);
    if (!check.ok) {
        Refuse(check.message);
        return false;
    }
    if (!node->IsBound()) {
        if (!BindChannel(m_tree, id, store)) {
            Refuse(kSettingsFailed);
            return false;
        }
        node = m_tree.Node(id);
    }
    const bool newAddress = feedUrl != node->feedUrl;
    // Normally the row is found by the old address and takes the new one, items and all. When
    // another channel still uses the old address, or already uses the new one, renaming the row
    // would take that channel's items or give one address two rows: the channel changes rows.
    bool changeRows = false;
    if (newAddress) {
        for (NodeId other : m_tree.SubtreeChannels(kNoNode)) {
            const std::optional<ChannelNode> otherNode = m_tree.Node(other);
            if (other != id && otherNode &&
                (otherNode->feedUrl == node->feedUrl || otherNode->feedUrl == feedUrl)) {
                changeRows = true;
            }
        }
    }
    std::vector<std::pair<std::string, std::string>> attributes;
    if (title != node->caption) {
        attributes.emplace_back("title", title);
    }
    if (newAddress) {
        attributes.emplace_back("xmlUrl", feedUrl);
    }
    if (homeUrl != node->homeUrl) {
        attributes.emplace_back("htmlUrl", homeUrl);
    }
    int feedId = node->feedId;
    const StoreStep updateRow = [&] {
        FeedSettings stored;
        if ((!changeRows || store.GetFeedSettings(feedUrl, feedId, stored)) &&
            store.UpdateFeed(feedId, feedUrl, settings)) {
            return true;
        }
        Refuse(kSettingsFailed);
        return false;
    };
    const bool written = attributes.empty()
                             ? updateRow()
                             : m_file.SetAttributes(m_tree.PathOf(id), attributes, updateRow);
    if (!written) {
        return false;
    }
    m_tree.SetCaption(id, title);
    if (newAddress) {
        m_tree.SetFeedUrl(id, feedUrl);
    }
    m_tree.SetHomeUrl(id, homeUrl);
    m_tree.ApplyBinding(id, feedId, settings);
    return true;
}

bool CChannelTreeEditor::SetFolderProperties(NodeId id, const std::string& text,
                                             const std::string& homeUrl) {
    const std::string title = CutAtCharacter(text, kMaxCaptionBytes);
    std::optional<ChannelNode> node = m_tree.Node(id);
    if (!node) {
        return false;
    }
    const FieldCheck check = CheckFolderFields(title, homeUrl);
    if (!check.ok) {
        Refuse(check.message);
        return false;
    }
    std::vector<std::pair<std::string, std::string>> attributes;
    if (title != node->caption) {
        attributes.emplace_back("title", title);
    }
    if (homeUrl != node->homeUrl) {
        attributes.emplace_back("htmlUrl", homeUrl);
    }
    if (!attributes.empty() && !m_file.SetAttributes(m_tree.PathOf(id), attributes)) {
        return false;
    }
    m_tree.SetCaption(id, title);
    m_tree.SetHomeUrl(id, homeUrl);
    return true;
}

bool CChannelTreeEditor::FeedsLeavingWith(NodeId id, CRssStore& store, FeedIdList& feeds) {
    feeds.clear();
    if (!m_tree.Exists(id) || !BindSubtree(m_tree, id, store, feeds)) {
        return false;
    }
    // Addresses still subscribed elsewhere keep their row and items.
    std::set<std::string> keptUrls;
    for (NodeId other : m_tree.SubtreeChannels(kNoNode)) {
        if (!m_tree.IsInSubtree(other, id)) {
            keptUrls.insert(m_tree.Node(other)->feedUrl);
        }
    }
    std::erase_if(feeds, [&](const auto& entry) {
        std::optional<ChannelNode> node = m_tree.Node(static_cast<NodeId>(entry.first));
        return node && keptUrls.count(node->feedUrl) != 0;
    });
    return true;
}

bool CChannelTreeEditor::Delete(NodeId id, CRssStore& store) {
    FeedIdList feeds;
    if (!FeedsLeavingWith(id, store, feeds)) {
        return false;
    }
    // The file first: should it fail, the items are still there for the node that stays.
    if (!m_file.Delete(m_tree.PathOf(id),
                       [&] { return feeds.empty() || store.DeleteFeeds(feeds); })) {
        return false;
    }
    return m_tree.Remove(id);
}

bool CChannelTreeEditor::ClearArticles(NodeId id, CRssStore& store) {
    FeedIdList feeds;
    if (!m_tree.Exists(id) || !BindSubtree(m_tree, id, store, feeds)) {
        return false;
    }
    if (!feeds.empty() && !store.DeleteFeedItems(feeds)) {
        return false;
    }
    for (const auto& entry : feeds) {
        const NodeId channel = static_cast<NodeId>(entry.first);
        m_tree.SetUnread(channel, 0);
        m_tree.SetImage(channel, kImageChannel);
    }
    return true;
}

bool CChannelTreeEditor::MarkRead(NodeId id, CRssStore& store, bool read, int upToItemId) {
    FeedIdList feeds;
    if (!m_tree.Exists(id) || !BindSubtree(m_tree, id, store, feeds)) {
        return false;
    }
    const bool marked = upToItemId > 0 ? store.SetFeedsReadUpTo(feeds, read ? 1 : 0, upToItemId)
                                       : store.SetFeedsRead(feeds, read ? 1 : 0);
    if (!feeds.empty() && !marked) {
        return false;
    }
    if (!read || upToItemId > 0) {
        return RecountUnread(id, store);
    }
    for (const auto& entry : feeds) {
        m_tree.SetUnread(static_cast<NodeId>(entry.first), 0);
    }
    return true;
}

bool CChannelTreeEditor::RecountUnread(NodeId id, CRssStore& store) {
    FeedIdList feeds;
    if (id != kNoNode && !m_tree.Exists(id)) {
        return false;
    }
    bool ok = BindSubtree(m_tree, id, store, feeds);
    for (const auto& [handle, feedId] : feeds) {
        int unread = 0;
        if (!store.CountUnread(feedId, unread)) {
            ok = false;
            continue;
        }
        m_tree.SetUnread(static_cast<NodeId>(handle), unread);
    }
    return ok;
}

bool CChannelTreeEditor::MoveBefore(NodeId id, NodeId target) {
    if (!m_tree.Exists(id) || !m_tree.Exists(target) || m_tree.IsInSubtree(target, id)) {
        return false;
    }
    if (!m_file.Move(m_tree.PathOf(id), m_tree.PathOf(target), true)) {
        return false;
    }
    return m_tree.MoveBefore(id, target);
}

bool CChannelTreeEditor::MoveInto(NodeId id, NodeId parent) {
    if (!m_tree.Exists(id) || (parent != kNoNode && !m_tree.Exists(parent)) ||
        (parent != kNoNode && m_tree.IsInSubtree(parent, id))) {
        return false;
    }
    const IndexPath target = parent == kNoNode ? IndexPath{} : m_tree.PathOf(parent);
    if (!m_file.Move(m_tree.PathOf(id), target, false)) {
        return false;
    }
    return m_tree.MoveInto(id, parent);
}

bool CChannelTreeEditor::MoveUp(NodeId id) {
    if (!m_tree.Exists(id)) {
        return false;
    }
    const std::vector<NodeId> siblings = m_tree.Children(m_tree.Parent(id));
    auto it = std::find(siblings.begin(), siblings.end(), id);
    if (it == siblings.begin() || it == siblings.end()) {
        return false;
    }
    return MoveBefore(id, *(it - 1));
}

bool CChannelTreeEditor::MoveToRoot(NodeId id) {
    return MoveInto(id, kNoNode);
}

bool CChannelTreeEditor::MoveOnto(NodeId id, NodeId target) {
    std::optional<ChannelNode> targetNode = m_tree.Node(target);
    if (!targetNode || !m_tree.Exists(id) || m_tree.IsInSubtree(target, id)) {
        return false;
    }
    return targetNode->IsFolder() ? MoveInto(id, target) : MoveBefore(id, target);
}

}  // namespace zirvo
