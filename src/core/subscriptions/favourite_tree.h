#pragma once
// The RSS favourites: a second tree over Storage/rssFavorite.opml (same OPML shape as the
// subscription file, same model and file operations) whose items live in the feed store's
// favourite tables.
//
// Two kinds of outline: a favourites folder ("收藏夹": `title`, optional `htmlUrl`, no `xmlUrl`)
// and a favourite node ("收藏节点": `title`, `xmlUrl` = the decimal feed_id of its feedfav_data
// row, optional `htmlUrl`). A node's items are the rssfavorite_data rows with that id.
//
// RSS export of a node (UTF-8, one line):
//   <rss><channel> per item, newest first: <item><link>CDATA</link><title>CDATA</title>
//   <pubDate>date</pubDate><description>CDATA</description><author>CDATA</author></item>
//   </channel></rss>
// Texts in CDATA are kept as they are (a "]]>" inside is split over two sections); the date is
// plain element text. The import reads the same shape (any RSS 2.0 file: /rss/channel/item[i]
// with link, title, author, description, pubDate) into a new node at the top level named after
// the file, keeping the file's order as newest first.
//
// Threading: the window thread; the store passed in belongs to that thread.

#include <string>
#include <vector>

#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/channel_tree_editor.h"

namespace zirvo {

// The questions asked before a tree loses nodes or items, all with the caption "确认" and
// Yes/No buttons with the question icon: deleting a favourite node or folder, deleting a channel
// or folder of the subscription tree, clearing the articles of a channel or folder.
inline constexpr const char* kConfirmDeleteFavourite = "确定要删除该收藏吗?";
inline constexpr const char* kConfirmDeleteChannel = "确定要删除该频道吗?";
inline constexpr const char* kConfirmClearChannel = "确定要清空该频道吗?";
inline constexpr const char* kConfirmCaption = "确认";
inline constexpr const char* kFavouriteAddFailed = "添加失败";
inline constexpr const char* kFavouriteImportFailed = "导入失败";
inline constexpr const char* kFeedExported = "导出Feed成功!";
inline constexpr const char* kNeedDifferentFavourite = "需要指定一个不同的收藏!";
inline constexpr const char* kFavouriteFolderEmpty = "您选择的收藏夹没有文章!\r\n";

class CFavouriteTree {
public:
    CFavouriteTree(CChannelTree& tree, std::string opmlPath, CErrorMsgDialog& messages);

    CChannelTree& Tree() { return m_tree; }
    CChannelTreeEditor& Editor() { return m_editor; }

    bool Load() { return m_editor.Load(); }
    bool SaveState() { return m_editor.SaveState(); }

    // The feed_id a node names (its `xmlUrl` as a decimal number); 0 for a folder or a node
    // whose `xmlUrl` is not a number.
    static int FolderIdOf(const ChannelNode& node);
    int FolderIdOf(NodeId id) const;

    // New favourite node under `parent` (kNoNode: top level): checks, an outline whose `xmlUrl`
    // is a new id, then the feedfav_data row of that id; both or neither ("添加失败"). kNoNode
    // when refused or failed.
    NodeId AddNode(NodeId parent, const std::string& title, const std::string& homeUrl,
                   CRssStore& store);
    // New favourites folder.
    NodeId AddFolder(NodeId parent, const std::string& title, const std::string& homeUrl);
    // Removes the outline, then the rows and items of every node in the subtree (one
    // transaction); when the rows cannot go the outline is put back. Then the node. The caller
    // has asked "确定要删除该收藏吗?".
    bool Delete(NodeId id, CRssStore& store);

    // Makes sure the node's feedfav_data row exists (it is recreated with the same id when it
    // was removed by hand).
    bool EnsureRow(NodeId id, CRssStore& store);
    // The node's items, newest first, with their bodies.
    bool ListItems(NodeId id, CRssStore& store, std::vector<RssItem>& items);

    // "添加RSS收藏项": checks, then the item. False with the check's or "添加失败" message.
    bool AddItemByHand(NodeId id, const std::string& title, const std::string& link,
                       const std::string& time, const std::string& author,
                       const std::string& summary, CRssStore& store);
    // Keeps an item of the article list (from rss_data, or the staging table for news search
    // results) in the node. "添加失败" on failure.
    bool KeepItem(NodeId id, int itemId, bool fromStaging, CRssStore& store);
    // Moves favourite items to the node; the node the list shows is refused with
    // "需要指定一个不同的收藏!".
    bool MoveItems(const std::vector<int>& itemIds, NodeId target, NodeId shown, CRssStore& store);

    // Writes the node's items as an RSS file. False when the items cannot be read (no message)
    // or the file cannot be written ("导出失败!"); the caller says "导出Feed成功!".
    bool ExportFeed(NodeId id, CRssStore& store, const std::string& path);
    // Reads an RSS file into a new top-level node named after the file (without extension):
    // outline, row and items all or nothing. Returns the node, or kNoNode with "导入失败".
    NodeId ImportFeedFile(const std::string& path, CRssStore& store);

private:
    NodeId AddNodeWithItems(NodeId parent, const std::string& title, const std::string& homeUrl,
                            const std::vector<RssItem>& items, CRssStore& store,
                            const char* failureMessage);

    CChannelTree& m_tree;
    CChannelTreeEditor m_editor;
    CErrorMsgDialog& m_messages;
};

// The RSS text of the export above for `items` (in the order given).
std::string BuildFavouriteFeed(const std::vector<RssItem>& items);
// The items of an RSS 2.0 document, in document order; false when it is not one.
bool ReadFavouriteFeed(const std::string& path, std::vector<RssItem>& items);

}  // namespace zirvo
