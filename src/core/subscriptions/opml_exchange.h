#pragma once
// OPML exchange with other programs: exports of one node or of all channels, the rebuilt
// subscription file after an import, and the scratch-file name of an OPML fetched from an address.
//
// Export of one node: one line, UTF-8 under a matching declaration:
//   <opml version="1.0"><head><title>ZirvoRSS阅读收藏</title></head><body>OUTLINE</body></opml>
// where OUTLINE is the node's `outline` with its whole subtree as the subscription file has it,
// except that every `outline` gets `text` = its `title` and loses an empty or missing `xmlUrl`.
// Export of all channels: the subscription file with the same two changes, nothing else changed.
// (An outline that carries only `text` keeps it: its caption must survive the export.)
//
// Rebuilt subscription file: <opml><body>...</body></opml> with one `outline` per node in tree
// order, nested as in the tree, each with `title`, `xmlUrl` (empty for a folder), `htmlUrl`,
// `unreadnum` and `expanded` (the last two as the tree holds them, so that an import neither
// zeroes the counts nor collapses the tree).
//
// Threading: any thread; one operation at a time per file.

#include <string>

#include "core/config/error_msg_dialog.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

inline constexpr const char* kProductDisplayName = "Zirvo";
inline constexpr const char* kExportSucceeded = "导出成功!";
inline constexpr const char* kExportFailed = "导出失败!";
inline constexpr const char* kDefaultExportAllName = "RSS订阅收藏.opml";

// Writes the node at `path` of the subscription file `opmlPath` to `targetPath`. An unreadable
// subscription file gives message 8000; a node that is not there or a failed write gives
// "导出失败!". Success shows nothing (the caller says "导出成功!").
bool ExportOpmlNode(const std::string& opmlPath, const IndexPath& path,
                    const std::string& targetPath, CErrorMsgDialog& messages);
// The whole subscription file, messages as above.
bool ExportOpmlAll(const std::string& opmlPath, const std::string& targetPath,
                   CErrorMsgDialog& messages);
// The default file name of a node's export: caption + ".opml", with characters that cannot
// stand in a file name replaced by "_".
std::string DefaultExportName(const std::string& caption);

// Replaces `opmlPath` by the tree (atomically). False with `error` set when it cannot be written.
bool WriteSubscriptionFile(const CChannelTree& tree, const std::string& opmlPath,
                           std::string* error = nullptr);

// The file name below Temp/ for an OPML fetched from `url`: lower case, without a leading
// "http://" (or "https://"), each of / \ : * ? < > | % replaced by "_", ".xml" appended unless
// the name holds ".xml"; cut so that a file system accepts it.
std::string TempNameForOpmlUrl(const std::string& url);

}  // namespace zirvo
