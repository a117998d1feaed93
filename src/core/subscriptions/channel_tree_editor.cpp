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
    settings.startupAutoReceive = receive.startupAutoReceive;
    settings.autoReceive = receive.autoReceive;
    settings.autoReceiveType = receive.autoReceiveType;
    settings.autoReceiveTime = receive.autoReceiveTime;
    settings.clickChannelAutoReceive = receive.clickChannelAutoReceive;
    settings.switchChannelAutoMakeRead = receive.switchChannelAutoMakeRead;
    settings.whenExitRememberUnreadNum = receive.whenExitRememberUnreadNum;
    settings.paginationNum = receive.paginationNum;
    settings.storageType = storage.storageType;
    settings.storageNum = storage.storageNum;
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

NodeId CChannelTreeEditor::AddNode(NodeId parent, const std::string& caption,
                                   const std::string& xmlUrl, const std::string& homeUrl) {
    if (parent != kNoNode && !m_tree.Exists(parent)) {
        Refuse(kAddFailed);
        return kNoNode;
    }
    const IndexPath parentPath = parent == kNoNode ? IndexPath{} : m_tree.PathOf(parent);
    if (!m_file.AddOutline(parentPath, caption, xmlUrl, homeUrl)) {
        return kNoNode;
    }
    m_tree.SetExpanded(parent, true);
    return m_tree.AddNode(parent, caption, xmlUrl, homeUrl);
}

NodeId CChannelTreeEditor::AddChannel(NodeId parent, const std::string& title,
                                      const std::string& feedUrl, const std::string& homeUrl) {
    FieldCheck check = CheckChannelFields(title, feedUrl, homeUrl);
    if (check.ok) {
        check = CheckNotSubscribed(m_tree, feedUrl);
    }
    if (!check.ok) {
        Refuse(check.message);
        return kNoNode;
    }
    return AddNode(parent, title, feedUrl, homeUrl);
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

bool CChannelTreeEditor::Rename(NodeId id, const std::string& caption) {
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

bool CChannelTreeEditor::SetChannelProperties(NodeId id, const std::string& title,
                                              const std::string& feedUrl,
                                              const std::string& homeUrl,
                                              const ChannelFeedSettings& settings,
                                              CRssStore& store) {
    std::optional<ChannelNode> node = m_tree.Node(id);
    if (!node || !node->IsChannel()) {
        return false;
    }
    FieldCheck check = CheckChannelFields(title, feedUrl, homeUrl);
    if (check.ok && feedUrl != node->feedUrl) {
        check = CheckNotSubscribed(m_tree, feedUrl, id);
    }
    if (!check.ok) {
        Refuse(check.message);
        return false;
    }
    // The row is found by the old address; it then takes the new one, items and all.
    if (!node->IsBound()) {
        if (!BindChannel(m_tree, id, store)) {
            Refuse(kSettingsFailed);
            return false;
        }
        node = m_tree.Node(id);
    }
    const IndexPath path = m_tree.PathOf(id);
    if (title != node->caption) {
        if (!m_file.SetAttribute(path, "title", title)) {
            return false;
        }
        m_tree.SetCaption(id, title);
    }
    if (feedUrl != node->feedUrl) {
        if (!m_file.SetAttribute(path, "xmlUrl", feedUrl)) {
            return false;
        }
        m_tree.SetFeedUrl(id, feedUrl);
    }
    if (homeUrl != node->homeUrl) {
        if (!m_file.SetAttribute(path, "htmlUrl", homeUrl)) {
            return false;
        }
        m_tree.SetHomeUrl(id, homeUrl);
    }
    if (!store.UpdateFeed(node->feedId, feedUrl, ToFeedSettings(settings))) {
        Refuse(kSettingsFailed);
        return false;
    }
    m_tree.ApplyBinding(id, node->feedId, settings);
    return true;
}

bool CChannelTreeEditor::SetFolderProperties(NodeId id, const std::string& title,
                                             const std::string& homeUrl) {
    std::optional<ChannelNode> node = m_tree.Node(id);
    if (!node) {
        return false;
    }
    const FieldCheck check = CheckFolderFields(title, homeUrl);
    if (!check.ok) {
        Refuse(check.message);
        return false;
    }
    const IndexPath path = m_tree.PathOf(id);
    if (title != node->caption) {
        if (!m_file.SetAttribute(path, "title", title)) {
            return false;
        }
        m_tree.SetCaption(id, title);
    }
    if (homeUrl != node->homeUrl) {
        if (!m_file.SetAttribute(path, "htmlUrl", homeUrl)) {
            return false;
        }
        m_tree.SetHomeUrl(id, homeUrl);
    }
    return true;
}

bool CChannelTreeEditor::Delete(NodeId id, CRssStore& store) {
    if (!m_tree.Exists(id)) {
        return false;
    }
    FeedIdList feeds;
    if (!BindSubtree(m_tree, id, store, feeds)) {
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
    if (!feeds.empty() && !store.DeleteFeeds(feeds)) {
        return false;
    }
    if (!m_file.Delete(m_tree.PathOf(id))) {
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

bool CChannelTreeEditor::MarkRead(NodeId id, CRssStore& store, bool read) {
    FeedIdList feeds;
    if (!m_tree.Exists(id) || !BindSubtree(m_tree, id, store, feeds)) {
        return false;
    }
    if (!feeds.empty() && !store.SetFeedsRead(feeds, read ? 1 : 0)) {
        return false;
    }
    if (!read) {
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
