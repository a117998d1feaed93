#include "core/subscriptions/channel_tree.h"

#include <algorithm>

#include "core/util/strings.h"

namespace zirvo {

int WeightCounterForLevel(int level) {
    switch (level) {
        case 1:
            return 10;
        case 2:
            return 20;
        case 3:
            return 30;
        case 4:
            return 60;
        case 5:
            return 120;
        default:
            return 0;
    }
}

// ---- structure --------------------------------------------------------------------------------

void CChannelTree::Clear() {
    std::lock_guard lock(m_mutex);
    std::fill(m_live.begin(), m_live.end(), false);
    m_topLevel.clear();
    m_current = kNoNode;
}

bool CChannelTree::LiveLocked(NodeId id) const {
    return id >= 0 && static_cast<size_t>(id) < m_nodes.size() && m_live[id];
}

std::vector<NodeId>& CChannelTree::SiblingsLocked(NodeId parent) {
    return parent == kNoNode ? m_topLevel : m_nodes[parent].children;
}

const std::vector<NodeId>& CChannelTree::SiblingsLocked(NodeId parent) const {
    return parent == kNoNode ? m_topLevel : m_nodes[parent].children;
}

NodeId CChannelTree::InsertLocked(NodeId parent, const OpmlOutline& outline, bool rememberUnread) {
    ChannelNode node;
    node.id = static_cast<NodeId>(m_nodes.size());
    node.parent = parent;
    node.caption = outline.Caption();
    node.feedUrl = outline.xmlUrl;
    node.homeUrl = outline.htmlUrl;
    node.expanded = outline.expanded == 1;
    node.unreadCount = rememberUnread ? outline.unreadNum : 0;
    node.image = node.IsFolder() ? kImageFolder : kImageChannel;
    const NodeId id = node.id;
    m_nodes.push_back(std::move(node));
    m_live.push_back(true);
    SiblingsLocked(parent).push_back(id);
    for (const OpmlOutline& child : outline.children) {
        InsertLocked(id, child, rememberUnread);
    }
    return id;
}

std::vector<NodeId> CChannelTree::InsertOutlines(NodeId parent,
                                                 const std::vector<OpmlOutline>& outlines,
                                                 bool rememberUnread) {
    std::vector<NodeId> inserted;
    {
        std::lock_guard lock(m_mutex);
        if (parent != kNoNode && !LiveLocked(parent)) {
            return inserted;
        }
        for (const OpmlOutline& outline : outlines) {
            inserted.push_back(InsertLocked(parent, outline, rememberUnread));
        }
        // Folder sums follow from the channels; a hand-edited file may disagree with itself.
        std::vector<NodeId> order;
        for (NodeId top : inserted) {
            WalkLocked(top, order);
        }
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            if (m_nodes[*it].IsFolder()) {
                m_nodes[*it].unreadCount = SumChildrenLocked(*it);
            }
        }
        if (parent != kNoNode) {
            RecountUpwardsLocked(parent);
        }
    }
    if (!inserted.empty()) {
        NotifyCountChanged(inserted.front());
    }
    return inserted;
}

NodeId CChannelTree::AddNode(NodeId parent, const std::string& caption, const std::string& feedUrl,
                             const std::string& homeUrl) {
    OpmlOutline outline;
    outline.title = caption;
    outline.hasTitle = true;
    outline.xmlUrl = feedUrl;
    outline.htmlUrl = homeUrl;
    std::vector<NodeId> ids = InsertOutlines(parent, {outline}, false);
    return ids.empty() ? kNoNode : ids.front();
}

void CChannelTree::DetachLocked(NodeId id) {
    std::vector<NodeId>& siblings = SiblingsLocked(m_nodes[id].parent);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
}

bool CChannelTree::Remove(NodeId id) {
    NodeId parent = kNoNode;
    {
        std::lock_guard lock(m_mutex);
        if (!LiveLocked(id)) {
            return false;
        }
        std::vector<NodeId> subtree;
        WalkLocked(id, subtree);
        DetachLocked(id);
        for (NodeId n : subtree) {
            m_live[n] = false;
            if (n == m_current) {
                m_current = kNoNode;
            }
        }
        parent = m_nodes[id].parent;
        if (parent != kNoNode) {
            RecountUpwardsLocked(parent);
        }
    }
    NotifyCountChanged(parent);
    return true;
}

bool CChannelTree::MoveBefore(NodeId id, NodeId target) {
    {
        std::lock_guard lock(m_mutex);
        if (!LiveLocked(id) || !LiveLocked(target) || IsInSubtreeLocked(target, id)) {
            return false;
        }
        const NodeId oldParent = m_nodes[id].parent;
        DetachLocked(id);
        const NodeId newParent = m_nodes[target].parent;
        std::vector<NodeId>& siblings = SiblingsLocked(newParent);
        siblings.insert(std::find(siblings.begin(), siblings.end(), target), id);
        m_nodes[id].parent = newParent;
        if (oldParent != kNoNode) {
            RecountUpwardsLocked(oldParent);
        }
        if (newParent != kNoNode) {
            RecountUpwardsLocked(newParent);
        }
    }
    NotifyCountChanged(id);
    return true;
}

bool CChannelTree::MoveInto(NodeId id, NodeId parent) {
    {
        std::lock_guard lock(m_mutex);
        if (!LiveLocked(id) || (parent != kNoNode && !LiveLocked(parent)) ||
            (parent != kNoNode && IsInSubtreeLocked(parent, id))) {
            return false;
        }
        const NodeId oldParent = m_nodes[id].parent;
        DetachLocked(id);
        SiblingsLocked(parent).push_back(id);
        m_nodes[id].parent = parent;
        if (oldParent != kNoNode) {
            RecountUpwardsLocked(oldParent);
        }
        if (parent != kNoNode) {
            RecountUpwardsLocked(parent);
        }
    }
    NotifyCountChanged(id);
    return true;
}

bool CChannelTree::SetCaption(NodeId id, const std::string& caption) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    m_nodes[id].caption = caption;
    return true;
}

bool CChannelTree::SetFeedUrl(NodeId id, const std::string& feedUrl) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    ChannelNode& node = m_nodes[id];
    if (node.feedUrl != feedUrl) {
        node.feedUrl = feedUrl;
        node.feedId = 0;
    }
    return true;
}

bool CChannelTree::SetHomeUrl(NodeId id, const std::string& homeUrl) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    m_nodes[id].homeUrl = homeUrl;
    return true;
}

bool CChannelTree::SetExpanded(NodeId id, bool expanded) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    m_nodes[id].expanded = expanded;
    return true;
}

NodeId CChannelTree::Current() const {
    std::lock_guard lock(m_mutex);
    return LiveLocked(m_current) ? m_current : kNoNode;
}

void CChannelTree::SetCurrent(NodeId id) {
    std::lock_guard lock(m_mutex);
    m_current = LiveLocked(id) ? id : kNoNode;
}

// ---- queries ----------------------------------------------------------------------------------

bool CChannelTree::Exists(NodeId id) const {
    std::lock_guard lock(m_mutex);
    return LiveLocked(id);
}

std::optional<ChannelNode> CChannelTree::Node(NodeId id) const {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return std::nullopt;
    }
    return m_nodes[id];
}

NodeId CChannelTree::Parent(NodeId id) const {
    std::lock_guard lock(m_mutex);
    return LiveLocked(id) ? m_nodes[id].parent : kNoNode;
}

std::vector<NodeId> CChannelTree::Children(NodeId id) const {
    std::lock_guard lock(m_mutex);
    if (id != kNoNode && !LiveLocked(id)) {
        return {};
    }
    return SiblingsLocked(id);
}

void CChannelTree::WalkLocked(NodeId from, std::vector<NodeId>& out) const {
    out.push_back(from);
    for (NodeId child : m_nodes[from].children) {
        WalkLocked(child, out);
    }
}

std::vector<NodeId> CChannelTree::Walk(NodeId from) const {
    std::lock_guard lock(m_mutex);
    std::vector<NodeId> out;
    if (from == kNoNode) {
        for (NodeId top : m_topLevel) {
            WalkLocked(top, out);
        }
    } else if (LiveLocked(from)) {
        WalkLocked(from, out);
    }
    return out;
}

std::vector<NodeId> CChannelTree::SubtreeChannels(NodeId id) const {
    std::vector<NodeId> all = Walk(id);
    std::lock_guard lock(m_mutex);
    std::vector<NodeId> channels;
    for (NodeId n : all) {
        if (LiveLocked(n) && m_nodes[n].IsChannel()) {
            channels.push_back(n);
        }
    }
    return channels;
}

std::vector<std::pair<NodeId, int>> CChannelTree::SubtreeFeedIds(NodeId id) const {
    std::vector<NodeId> channels = SubtreeChannels(id);
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<NodeId, int>> out;
    for (NodeId n : channels) {
        if (LiveLocked(n) && m_nodes[n].feedId != 0) {
            out.emplace_back(n, m_nodes[n].feedId);
        }
    }
    return out;
}

size_t CChannelTree::LiveCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count(m_live.begin(), m_live.end(), true));
}

bool CChannelTree::IsInSubtreeLocked(NodeId id, NodeId ancestor) const {
    for (NodeId n = id; n != kNoNode; n = m_nodes[n].parent) {
        if (n == ancestor) {
            return true;
        }
    }
    return false;
}

bool CChannelTree::IsInSubtree(NodeId id, NodeId ancestor) const {
    std::lock_guard lock(m_mutex);
    return LiveLocked(id) && LiveLocked(ancestor) && IsInSubtreeLocked(id, ancestor);
}

IndexPath CChannelTree::PathOf(NodeId id) const {
    std::lock_guard lock(m_mutex);
    IndexPath path;
    if (!LiveLocked(id)) {
        return path;
    }
    for (NodeId n = id; n != kNoNode; n = m_nodes[n].parent) {
        const std::vector<NodeId>& siblings = SiblingsLocked(m_nodes[n].parent);
        path.push_back(
            static_cast<int>(std::find(siblings.begin(), siblings.end(), n) - siblings.begin()));
    }
    std::reverse(path.begin(), path.end());
    return path;
}

NodeId CChannelTree::FindByIndexPath(const IndexPath& path) const {
    std::lock_guard lock(m_mutex);
    NodeId current = kNoNode;
    for (int index : path) {
        const std::vector<NodeId>& siblings = SiblingsLocked(current);
        if (index < 0 || static_cast<size_t>(index) >= siblings.size()) {
            return kNoNode;
        }
        current = siblings[index];
    }
    return current;
}

std::string CChannelTree::PathCaption(NodeId id) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> captions;
    if (!LiveLocked(id)) {
        return {};
    }
    for (NodeId n = id; n != kNoNode; n = m_nodes[n].parent) {
        captions.push_back(m_nodes[n].caption);
    }
    std::reverse(captions.begin(), captions.end());
    return Join(captions, " → ");
}

std::string CChannelTree::CaptionPath(NodeId id) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> captions;
    if (!LiveLocked(id)) {
        return {};
    }
    for (NodeId n = id; n != kNoNode; n = m_nodes[n].parent) {
        captions.push_back(EscapeCaption(m_nodes[n].caption));
    }
    std::reverse(captions.begin(), captions.end());
    return Join(captions, "/");
}

NodeId CChannelTree::FindByCaptionPath(const std::string& path) const {
    const std::vector<std::string> parts = SplitCaptionPath(path);
    if (parts.empty()) {
        return kNoNode;
    }
    std::lock_guard lock(m_mutex);
    NodeId current = kNoNode;
    for (const std::string& part : parts) {
        NodeId found = kNoNode;
        for (NodeId child : SiblingsLocked(current)) {
            if (m_nodes[child].caption == part) {
                found = child;
                break;
            }
        }
        if (found == kNoNode) {
            return kNoNode;
        }
        current = found;
    }
    return current;
}

NodeId CChannelTree::FindByFeedUrl(const std::string& url) const {
    if (url.empty()) {
        return kNoNode;
    }
    for (NodeId n : Walk()) {
        std::optional<ChannelNode> node = Node(n);
        if (node && node->feedUrl == url) {
            return n;
        }
    }
    return kNoNode;
}

NodeId CChannelTree::Resolve(const std::string& reference) const {
    if (reference.size() > 1 && reference[0] == '#') {
        long long id = 0;
        if (ParseInt(std::string_view(reference).substr(1), id) && id >= 0 && id <= 0x7fffffff) {
            return Exists(static_cast<NodeId>(id)) ? static_cast<NodeId>(id) : kNoNode;
        }
    }
    NodeId found = FindByCaptionPath(reference);
    if (found == kNoNode) {
        found = FindByFeedUrl(reference);
    }
    return found;
}

OpmlOutline CChannelTree::ToOutlineLocked(NodeId id) const {
    const ChannelNode& node = m_nodes[id];
    OpmlOutline outline;
    outline.title = node.caption;
    outline.hasTitle = true;
    outline.xmlUrl = node.feedUrl;
    outline.htmlUrl = node.homeUrl;
    outline.unreadNum = node.unreadCount;
    outline.expanded = node.expanded ? 1 : 0;
    for (NodeId child : node.children) {
        outline.children.push_back(ToOutlineLocked(child));
    }
    return outline;
}

std::vector<OpmlOutline> CChannelTree::ToOutlines(NodeId id) const {
    std::lock_guard lock(m_mutex);
    std::vector<OpmlOutline> out;
    if (id == kNoNode) {
        for (NodeId top : m_topLevel) {
            out.push_back(ToOutlineLocked(top));
        }
    } else if (LiveLocked(id)) {
        out.push_back(ToOutlineLocked(id));
    }
    return out;
}

// ---- counts and state -------------------------------------------------------------------------

// What a node adds to its folder's sum. A folder adds its own sum. A channel adds its own count
// and, when an import hung a subtree under it, everything below it as well: the channel keeps
// showing only its own count, but the channels below it must not vanish from the folder sums.
int CChannelTree::ContributionLocked(NodeId id) const {
    const ChannelNode& node = m_nodes[id];
    if (node.IsFolder()) {
        return node.unreadCount;
    }
    int sum = node.unreadCount;
    for (NodeId child : node.children) {
        sum += ContributionLocked(child);
    }
    return sum;
}

int CChannelTree::SumChildrenLocked(NodeId id) const {
    int sum = 0;
    for (NodeId child : m_nodes[id].children) {
        sum += ContributionLocked(child);
    }
    return sum;
}

// A channel that carries children keeps its own count; only folders show sums.
void CChannelTree::RecountUpwardsLocked(NodeId from) {
    for (NodeId n = from; n != kNoNode; n = m_nodes[n].parent) {
        if (m_nodes[n].IsFolder()) {
            m_nodes[n].unreadCount = SumChildrenLocked(n);
        }
    }
}

bool CChannelTree::SetUnread(NodeId id, int count) {
    {
        std::lock_guard lock(m_mutex);
        if (!LiveLocked(id)) {
            return false;
        }
        m_nodes[id].unreadCount = count;
        if (m_nodes[id].parent != kNoNode) {
            RecountUpwardsLocked(m_nodes[id].parent);
        }
    }
    NotifyCountChanged(id);
    return true;
}

int CChannelTree::Unread(NodeId id) const {
    std::lock_guard lock(m_mutex);
    return LiveLocked(id) ? m_nodes[id].unreadCount : 0;
}

void CChannelTree::ResetAllUnread() {
    {
        std::lock_guard lock(m_mutex);
        for (ChannelNode& node : m_nodes) {
            node.unreadCount = 0;
        }
    }
    NotifyCountChanged(kNoNode);
}

bool CChannelTree::ApplyBinding(NodeId id, int feedId, const FeedSettings& settings) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    m_nodes[id].feedId = feedId;
    m_nodes[id].settings = settings;
    return true;
}

bool CChannelTree::SetWeight(NodeId id, int level, int counter) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    m_nodes[id].weightLevel = level;
    m_nodes[id].weightCounter = counter;
    return true;
}

bool CChannelTree::SetImage(NodeId id, NodeImage image) {
    std::lock_guard lock(m_mutex);
    if (!LiveLocked(id)) {
        return false;
    }
    m_nodes[id].image = image;
    return true;
}

ChannelTreeSettings CChannelTree::Settings() const {
    std::lock_guard lock(m_mutex);
    return m_settings;
}

void CChannelTree::SetSettings(const ChannelTreeSettings& settings) {
    std::lock_guard lock(m_mutex);
    m_settings = settings;
}

bool CChannelTree::FolderReceiveRunning() const {
    std::lock_guard lock(m_mutex);
    return m_folderReceiveRunning;
}

void CChannelTree::SetFolderReceiveRunning(bool running) {
    std::lock_guard lock(m_mutex);
    m_folderReceiveRunning = running;
}

void CChannelTree::SetCountListener(std::function<void(NodeId)> listener) {
    std::lock_guard lock(m_mutex);
    m_countListener = std::move(listener);
}

void CChannelTree::NotifyCountChanged(NodeId id) {
    std::function<void(NodeId)> listener;
    {
        std::lock_guard lock(m_mutex);
        listener = m_countListener;
    }
    if (listener) {
        listener(id);
    }
}

// ---- caption paths ----------------------------------------------------------------------------

std::string EscapeCaption(const std::string& caption) {
    std::string out;
    for (char c : caption) {
        if (c == '/' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::vector<std::string> SplitCaptionPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    bool any = false;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' && i + 1 < path.size()) {
            current += path[++i];
            any = true;
        } else if (c == '/') {
            parts.push_back(current);
            current.clear();
            any = true;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) {
        parts.push_back(current);
    }
    // A leading "/" (an absolute-looking path) addresses the same node.
    if (!parts.empty() && parts.front().empty() && StartsWith(path, "/")) {
        parts.erase(parts.begin());
    }
    return parts;
}

}  // namespace zirvo
