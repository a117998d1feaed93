#pragma once
// The import of channel lists ("导入频道列表"): a source tree loaded from an OPML file or from
// the answer of an OPML address, and the current list, a working copy of the subscription file
// in Temp/temp.opml. Nodes are moved from the source into the current list; Save rebuilds
// Storage/rssreader.opml from the current list (see opml_exchange.h for that format), Cancel (or
// destruction without Save) deletes the working copy and leaves the subscription file byte for
// byte as it was.
//
// Before Begin, the caller saves the channel tree's state (CChannelTreeEditor::SaveState) so the
// working copy carries the current counts; after Save it reloads the channel tree.
//
// The source list takes only what the add dialogs would take: an outline that fails their
// checks (channel_checks.h: '<' or '>' in a caption or address, an address that is not a web
// address, blanks in it, an empty caption) is left out with its subtree and listed in Refused();
// captions are made one line and cut to 1,024 bytes first. A folder left without the children
// it had goes as well.
//
// Moving nodes, and any number of them, costs time in proportion to what is moved: the working
// copy is written again only when a folder is added to it or the list is saved.
//
// An OPML address is fetched with a plain GET (the feed fetcher's User-Agent, redirects followed,
// the process-wide proxy); a failed request or an answer outside 200..299 is "无效的链接!",
// followed on a second line by what went wrong.
//
// Threading: COpmlImport belongs to one thread (the window thread). Reading a source list
// (ReadOpmlSourceFile, ReadOpmlSourceAddress) touches nothing of it and runs on any thread, so
// that a window can fetch and parse on a worker and hand the outcome to TakeSource.

#include <atomic>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/channel_tree_editor.h"
#include "core/util/data_root.h"

namespace zirvo {

inline constexpr const char* kUnknownOpmlFormat = "无法识别的OPML文件格式";
inline constexpr const char* kInvalidLink = "无效的链接!";
inline constexpr const char* kImportFailed = "导入失败";
inline constexpr const char* kImportWorkingCopy = "temp.opml";

// The GET of an OPML address: true with the body for an answer with status 200..299; otherwise
// `why` (when given) says what went wrong. `abort` set stops the transfer.
bool FetchOpmlAddress(IHttpClient& http, const std::string& url, std::string& bytes,
                      std::string* why = nullptr, const std::atomic<bool>* abort = nullptr);

// A source list as read from a file or an address, before the import's checks.
struct OpmlSourceRead {
    bool ok = false;
    std::string message;  // when !ok: what to show ("无法识别的OPML文件格式" or "无效的链接!"...)
    std::vector<OpmlOutline> outlines;
};

// Reads an OPML file. Any thread.
OpmlSourceRead ReadOpmlSourceFile(const std::string& path);
// Keeps `bytes` fetched from `url` as tempDir/TempNameForOpmlUrl(url) and reads that file.
OpmlSourceRead ReadOpmlSourceBytes(const std::string& tempDir, const std::string& url,
                                   std::string_view bytes);
// Fetches `url` and reads the answer as above. Any thread.
OpmlSourceRead ReadOpmlSourceAddress(const std::string& tempDir, const std::string& url,
                                     IHttpClient& http, const std::atomic<bool>* abort = nullptr);

// An outline the import left out of the source list.
struct RefusedOutline {
    std::string path;     // caption path in the source list (as CChannelTree::CaptionPath)
    std::string feedUrl;  // empty for a folder
    std::string reason;   // the add dialog's message, or kAlreadySubscribed and the path
    bool alreadySubscribed = false;
};

class COpmlImport {
public:
    COpmlImport(const CDataRoot& root, CErrorMsgDialog& messages);
    ~COpmlImport();
    COpmlImport(const COpmlImport&) = delete;
    COpmlImport& operator=(const COpmlImport&) = delete;

    // Copies the subscription file to Temp/temp.opml and loads the current list from it. False
    // (message 8000) when the subscription file cannot be read or copied.
    bool Begin();

    // Loads an OPML file into the source tree (replacing what it held). False with
    // "无法识别的OPML文件格式" when it is not OPML, followed on a second line by the cause (the
    // parser's reason with its line, or the root element found); the source stays empty then.
    bool LoadSourceFile(const std::string& path);
    // An OPML fetched from `url`: the bytes are kept as Temp/TempNameForOpmlUrl(url), then
    // loaded as above. A `url` that is not an http(s) address gives "无效的链接!".
    bool LoadSourceBytes(const std::string& url, std::string_view bytes);
    // Fetches `url` (through `http`, or a client of its own when null) and loads the answer as
    // above; "无效的链接!" when the address is not http(s) or the fetch fails.
    bool LoadSourceAddress(const std::string& url, IHttpClient* http = nullptr);
    // A source list read elsewhere (on a worker): shows its message when it failed (the source
    // stays empty), else makes it the source list after the checks above.
    bool TakeSource(OpmlSourceRead read);

    // Moves `sourceNode` with its subtree from the source to the end of `target` in the current
    // list (kNoNode or `toRoot`: the top level). A channel may be the target. Returns the new
    // node's handle in the current list, kNoNode when nothing was moved.
    NodeId Import(NodeId sourceNode, NodeId target, bool toRoot = false);
    // Every top-level node of the source, in order; returns their handles in the current list.
    std::vector<NodeId> ImportAll(NodeId target, bool toRoot = false);

    // The outlines the last load left out (see above).
    const std::vector<RefusedOutline>& Refused() const { return m_refused; }
    // Leaves out of the source the channels whose address the current list has, or an earlier
    // channel of the source has (a front end that imports a list twice wants no second copy);
    // returns them.
    std::vector<RefusedOutline> DropAlreadySubscribed();
    // "新建目录" in the current list (written to the working copy as well).
    NodeId AddFolder(NodeId parent, const std::string& name, const std::string& homeUrl);

    // Rebuilds the subscription file from the current list and deletes the working copy. False
    // (message "导入失败") when the file cannot be written; it is then unchanged.
    bool Save();
    // Deletes the working copy; nothing else changes.
    void Cancel();

    CChannelTree& Source() { return m_source; }
    CChannelTree& Current() { return m_current; }
    std::string WorkingCopyPath() const;

private:
    // The source list from `outlines`, after the checks above.
    void SetSource(std::vector<OpmlOutline> outlines);
    // Writes the working copy when the current list moved ahead of it.
    bool SyncWorkingCopy();

    const CDataRoot& m_root;
    CErrorMsgDialog& m_messages;
    CChannelTree m_source;
    CChannelTree m_current;
    CChannelTreeEditor m_currentEditor;
    bool m_active = false;
    bool m_workingCopyStale = false;
    std::vector<RefusedOutline> m_refused;
};

}  // namespace zirvo
