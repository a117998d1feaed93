#include "core/subscriptions/favourite_tree.h"

#include <algorithm>
#include <optional>

#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/opml_exchange.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/xml_document.h"

namespace zirvo {
namespace {

std::string NodeNameFromFile(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    // The name becomes an OPML caption, where '<' and '>' are refused.
    for (char& c : name) {
        if (c == '<' || c == '>') {
            c = '_';
        }
    }
    return name.empty() ? std::string("_") : name;
}

}  // namespace

CFavouriteTree::CFavouriteTree(CChannelTree& tree, std::string opmlPath, CErrorMsgDialog& messages)
    : m_tree(tree), m_editor(tree, std::move(opmlPath), messages), m_messages(messages) {}

int CFavouriteTree::FolderIdOf(const ChannelNode& node) {
    long long id = 0;
    if (!ParseInt(node.feedUrl, id) || id <= 0 || id > 0x7fffffff) {
        return 0;
    }
    return static_cast<int>(id);
}

int CFavouriteTree::FolderIdOf(NodeId id) const {
    const std::optional<ChannelNode> node = m_tree.Node(id);
    return node ? FolderIdOf(*node) : 0;
}

NodeId CFavouriteTree::AddNode(NodeId parent, const std::string& title, const std::string& homeUrl,
                               CRssStore& store) {
    return AddNodeWithItems(parent, title, homeUrl, {}, store, kFavouriteAddFailed);
}

NodeId CFavouriteTree::AddNodeWithItems(NodeId parent, const std::string& title,
                                        const std::string& homeUrl,
                                        const std::vector<RssItem>& items, CRssStore& store,
                                        const char* failureMessage) {
    const FieldCheck check = CheckFavouriteNodeFields(title, homeUrl);
    if (!check.ok) {
        m_messages.ShowMessageBox(check.message);
        return kNoNode;
    }
    if (parent != kNoNode && !m_tree.Exists(parent)) {
        m_messages.ShowMessageBox(failureMessage);
        return kNoNode;
    }
    // The outline names the row's id, and the file goes first: the id is chosen before the row
    // exists, and the row (with the items) follows the written file or the file is put back.
    int folderId = 0;
    if (!store.NextFavouriteFolderId(folderId)) {
        m_messages.ShowMessageBox(failureMessage);
        return kNoNode;
    }
    // A node whose row was never made (it is made on the first click) holds its id as well.
    for (NodeId node : m_tree.Walk()) {
        folderId = std::max(folderId, FolderIdOf(node) + 1);
    }
    return m_editor.AddNode(parent, title, StrFormat("%d", folderId), homeUrl, [&] {
        if (store.CreateFavouriteFolder(folderId, items)) {
            return true;
        }
        m_messages.ShowMessageBox(failureMessage);
        return false;
    });
}

NodeId CFavouriteTree::AddFolder(NodeId parent, const std::string& title,
                                 const std::string& homeUrl) {
    return m_editor.AddFolder(parent, title, homeUrl);
}

bool CFavouriteTree::Delete(NodeId id, CRssStore& store) {
    if (!m_tree.Exists(id)) {
        return false;
    }
    FeedIdList folders;
    for (NodeId node : m_tree.Walk(id)) {
        const int folderId = FolderIdOf(node);
        if (folderId != 0) {
            folders.emplace_back(static_cast<std::uintptr_t>(node), folderId);
        }
    }
    // The file first: should it fail, the user's favourites are still there for the node that
    // stays.
    if (!m_editor.File().Delete(m_tree.PathOf(id), [&] {
            return folders.empty() || store.DeleteFavouriteFolders(folders);
        })) {
        return false;
    }
    return m_tree.Remove(id);
}

bool CFavouriteTree::EnsureRow(NodeId id, CRssStore& store) {
    const int folderId = FolderIdOf(id);
    return folderId != 0 && store.EnsureFavouriteFolder(folderId);
}

bool CFavouriteTree::ListItems(NodeId id, CRssStore& store, std::vector<RssItem>& items) {
    items.clear();
    if (!EnsureRow(id, store)) {
        return false;
    }
    return store.ListFavourites(FolderIdOf(id), true, items);
}

bool CFavouriteTree::AddItemByHand(NodeId id, const std::string& title, const std::string& link,
                                   const std::string& time, const std::string& author,
                                   const std::string& summary, CRssStore& store) {
    const FieldCheck check = CheckFavouriteItemFields(title, link, time, author, summary);
    if (!check.ok) {
        m_messages.ShowMessageBox(check.message);
        return false;
    }
    if (!EnsureRow(id, store) ||
        !store.AddFavourite(FolderIdOf(id), link, title, author, summary, time)) {
        m_messages.ShowMessageBox(kFavouriteAddFailed);
        return false;
    }
    return true;
}

bool CFavouriteTree::KeepItem(NodeId id, int itemId, bool fromStaging, CRssStore& store) {
    if (!EnsureRow(id, store) || !store.AddFavouriteFromItem(itemId, fromStaging, FolderIdOf(id))) {
        m_messages.ShowMessageBox(kFavouriteAddFailed);
        return false;
    }
    return true;
}

bool CFavouriteTree::MoveItems(const std::vector<int>& itemIds, NodeId target, NodeId shown,
                               CRssStore& store) {
    if (target == shown) {
        m_messages.ShowMessageBox(kNeedDifferentFavourite);
        return false;
    }
    if (!EnsureRow(target, store)) {
        return false;
    }
    bool all = true;
    for (int itemId : itemIds) {
        all = store.MoveFavourite(FolderIdOf(target), itemId) && all;
    }
    return all;
}

std::string BuildFavouriteFeed(const std::vector<RssItem>& items) {
    CXmlDocument doc;
    XmlNode channel = doc.CreateRoot("rss").AppendChild("channel");
    for (const RssItem& item : items) {
        XmlNode element = channel.AppendChild("item");
        element.AppendChild("link").SetCData(item.link);
        element.AppendChild("title").SetCData(item.title);
        element.AppendChild("pubDate", item.date);
        element.AppendChild("description").SetCData(item.description);
        element.AppendChild("author").SetCData(item.author);
    }
    return doc.Serialize("UTF-8", false);
}

bool CFavouriteTree::ExportFeed(NodeId id, CRssStore& store, const std::string& path) {
    std::vector<RssItem> items;
    if (!ListItems(id, store, items)) {
        return false;
    }
    if (!WriteFileAtomic(path, BuildFavouriteFeed(items))) {
        m_messages.ShowMessageBox(kExportFailed);
        return false;
    }
    return true;
}

bool ReadFavouriteFeed(const std::string& path, std::vector<RssItem>& items) {
    items.clear();
    CXmlDocument doc;
    if (!doc.LoadFile(path) || !doc.Root() || doc.Root().Name() != "rss") {
        return false;
    }
    const XmlNode channel = doc.Root().FirstChild("channel");
    if (!channel) {
        return false;
    }
    for (const XmlNode& element : channel.Children("item")) {
        RssItem item;
        item.link = element.FirstChild("link").Text();
        item.title = element.FirstChild("title").Text();
        item.author = element.FirstChild("author").Text();
        item.description = element.FirstChild("description").Text();
        item.date = element.FirstChild("pubDate").Text();
        items.push_back(std::move(item));
    }
    return true;
}

NodeId CFavouriteTree::ImportFeedFile(const std::string& path, CRssStore& store) {
    std::vector<RssItem> items;
    if (!ReadFavouriteFeed(path, items)) {
        m_messages.ShowMessageBox(kFavouriteImportFailed);
        return kNoNode;
    }
    // Newest first in the file; the highest id is the newest in the store.
    const std::vector<RssItem> oldestFirst(items.rbegin(), items.rend());
    return AddNodeWithItems(kNoNode, NodeNameFromFile(path), std::string(), oldestFirst, store,
                            kFavouriteImportFailed);
}

}  // namespace zirvo
