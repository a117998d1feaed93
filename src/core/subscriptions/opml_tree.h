#pragma once
// File access to an OPML tree file: Storage/rssreader.opml (subscriptions), Storage/
// rssFavorite.opml (favourites), Temp/temp.opml (the import dialog's working copy).
//
// Format: root `opml` holding `body` (the `head` is never read); every node is an `outline`,
// folders and channels nest as `outline` children, document order is display order. Attributes,
// all strings: `title` (caption; `text` is the caption when `title` is missing), `xmlUrl` (feed
// URL; missing or empty means a folder), `htmlUrl`, `unreadnum` and `expanded` (decimal). A node
// is addressed by its index path, the 0-based positions of `outline` elements among their
// `outline` siblings from the top down (/opml/body/outline[2]/outline[0] is {2, 0}); the empty
// path is `body` itself.
//
// Every operation loads the whole file afresh, changes the document and writes it back
// atomically as UTF-8 (whatever encoding the file declared when read). A file that cannot be
// read or parsed, or has no `body`, gives message 8000 and nothing is written; a failure after
// loading (a path that no longer exists, a refused move, a failed write) gives the operation's
// own message ("添加失败!", "保存属性失败!", "删除失败!", "移动失败!", "保存树状态失败!") and
// the file stays as it was.
//
// File and store together: an operation whose change also belongs in a database (a channel's
// row and items, a favourite folder's row) takes that change as a StoreStep. The file is written
// first; only then the step runs, and when it fails the file gets its old bytes back, so either
// both changed or neither did. (Changing the store first would leave the store changed whenever
// the file cannot be written: a deleted channel's items gone while its node stays.) The step
// reports its own failure; a file that cannot be put back shows the operation's message.
//
// Threading: any thread, one operation at a time per file (the window thread in the programs).

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/config/error_msg_dialog.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/opml_outline.h"
#include "core/util/xml_document.h"

namespace zirvo {

inline constexpr int kOpmlFileError = 8000;

inline constexpr const char* kAddFailed = "添加失败!";
inline constexpr const char* kSetAttributeFailed = "保存属性失败!";
inline constexpr const char* kDeleteFailed = "删除失败!";
inline constexpr const char* kMoveFailed = "移动失败!";
inline constexpr const char* kSaveStateFailed = "保存树状态失败!";

// The store's half of a file change; true when it succeeded (see above).
using StoreStep = std::function<bool()>;

class COpmlTree {
public:
    COpmlTree(std::string path, CErrorMsgDialog& messages);

    // Reads every outline below `body`, nested. False (message 8000) when the file cannot be
    // read or parsed or has no `body`; a `body` without outlines is an empty tree, no message.
    bool Load(std::vector<OpmlOutline>& outlines);
    // Appends an outline as the last child of `parent`; `xmlUrl` and `htmlUrl` are written only
    // when not empty.
    bool AddOutline(const IndexPath& parent, const std::string& title, const std::string& xmlUrl,
                    const std::string& htmlUrl, const StoreStep& then = {});
    bool SetAttribute(const IndexPath& path, const std::string& name, const std::string& value);
    // Several attributes of one outline in one write.
    bool SetAttributes(const IndexPath& path,
                       const std::vector<std::pair<std::string, std::string>>& values,
                       const StoreStep& then = {});
    // Removes the outline with its subtree.
    bool Delete(const IndexPath& path, const StoreStep& then = {});
    // Both paths are taken before the change. `before`: the source goes in front of the target
    // (under the target's parent); otherwise it becomes the target's last child (the empty
    // target path: the end of `body`). A move into the source's own subtree is refused.
    bool Move(const IndexPath& source, const IndexPath& target, bool before);
    // Writes `expanded` ("1"/"0") and `unreadnum` ("%d") of every node of `tree`. File and tree
    // are walked side by side; an outline whose caption no longer matches its node (the file was
    // changed by someone else) is left alone, as is everything below it.
    bool SaveState(const CChannelTree& tree);

    const std::string& Path() const { return m_path; }

    // "/opml/body/outline[i]/..." for an index path, in the 0-based path syntax.
    static std::string SelectionFor(const IndexPath& path);
    // The `body` element of a loaded OPML document; null when the root is not `opml` or it has
    // no `body`.
    static XmlNode BodyOf(const CXmlDocument& doc);
    // The element an index path names below `body`; null when it does not exist.
    static XmlNode ElementAt(const CXmlDocument& doc, const IndexPath& path);
    // Reads the outlines of a loaded document (no messages). False without `body`.
    static bool ReadOutlines(const CXmlDocument& doc, std::vector<OpmlOutline>& outlines);

private:
    // Loads the file; on failure shows 8000 and returns false.
    bool LoadDocument(CXmlDocument& doc);
    // Loads the file and keeps its bytes when a store step will follow.
    bool LoadDocument(CXmlDocument& doc, const StoreStep& then, std::string& oldBytes);
    // Saves, or shows `failureMessage`.
    bool SaveDocument(const CXmlDocument& doc, const char* failureMessage);
    // Saves, then runs `then`; a failed step puts `oldBytes` back.
    bool SaveThen(const CXmlDocument& doc, const char* failureMessage, const StoreStep& then,
                  const std::string& oldBytes);

    std::string m_path;
    CErrorMsgDialog& m_messages;
};

}  // namespace zirvo
