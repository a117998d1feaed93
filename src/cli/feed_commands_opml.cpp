// Feed-reader commands that exchange channel lists as OPML: import-opml (a file or an address,
// through the import session and its working copy) and export-opml (one node or everything).

#include <set>

#include "cli_args.h"
#include "cli_command.h"
#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/opml_exchange.h"
#include "core/subscriptions/opml_import.h"
#include "core/util/files.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

Record ImportRecord(const char* status, const CChannelTree& tree, NodeId id,
                    const std::string& path) {
    const ChannelNode node = *tree.Node(id);
    return {{"status", status},
            {"type", node.IsChannel() ? "channel" : "folder"},
            {"path", path},
            {"url", node.feedUrl}};
}

// Takes out of the source list what the import must not bring in: channels whose address the
// subscriptions (or an earlier outline of the same list) already have, which would share one
// store row, and addresses that are not web addresses. Folders left empty by that go as well.
std::vector<Record> DropUnwanted(CChannelTree& source, const CChannelTree& current) {
    std::set<std::string> urls;
    for (NodeId id : current.SubtreeChannels(kNoNode)) {
        urls.insert(current.Node(id)->feedUrl);
    }
    std::vector<Record> skipped;
    std::set<NodeId> hadChildren;
    const std::vector<NodeId> order = source.Walk();
    for (NodeId id : order) {
        const ChannelNode node = *source.Node(id);
        if (!node.children.empty()) {
            hadChildren.insert(id);
        }
        if (!node.IsChannel()) {
            continue;
        }
        if (!IsWebAddress(node.feedUrl)) {
            skipped.push_back(ImportRecord("skipped-not-web", source, id, source.CaptionPath(id)));
            source.Remove(id);
        } else if (!urls.insert(node.feedUrl).second) {
            skipped.push_back(
                ImportRecord("skipped-duplicate", source, id, source.CaptionPath(id)));
            source.Remove(id);
        }
    }
    // Children come after their folder in display order: backwards, inner folders go first.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (source.Exists(*it) && hadChildren.count(*it) && source.Children(*it).empty()) {
            source.Remove(*it);
        }
    }
    return skipped;
}

int RunImport(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--folder");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return context.Fail((parsed.Error().empty() ? "give one FILE or URL" : parsed.Error()) +
                                " (see zirvo-cli import-opml --help)",
                            kExitUsage);
    }
    const std::string& from = parsed.Positionals()[0];
    const bool address = from.find("://") != std::string::npos;
    if (address && !IsWebAddress(from)) {
        return context.Fail(std::string(kInvalidLink) + " (only http:// and https:// addresses)",
                            kExitUsage);
    }
    if (!address && !FileExists(from)) {
        return context.Fail("no such file: " + from);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    NodeId folder = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.ValueOr("--folder", "/"), folder, error)) {
        return context.Fail(error, kExitUsage);
    }

    COpmlImport import(context.root, context.messages);
    if (!import.Begin()) {
        return kExitFailed;
    }
    if (!(address ? import.LoadSourceAddress(from) : import.LoadSourceFile(from))) {
        return kExitFailed;
    }
    // The working copy is the subscription file: the folder sits at the same index path.
    const NodeId target = folder == kNoNode
                              ? kNoNode
                              : import.Current().FindByIndexPath(session.Tree().PathOf(folder));
    std::vector<Record> records = DropUnwanted(import.Source(), import.Current());
    std::vector<NodeId> added;
    for (NodeId top : import.Source().Children(kNoNode)) {
        const NodeId id = import.Import(top, target, target == kNoNode);
        if (id == kNoNode) {
            return context.Fail(kImportFailed);
        }
        added.push_back(id);
    }
    if (added.empty()) {
        import.Cancel();
    } else if (!import.Save()) {
        return kExitFailed;
    }
    const CChannelTree& current = import.Current();
    for (NodeId top : added) {
        for (NodeId id : current.Walk(top)) {
            records.push_back(ImportRecord("imported", current, id, current.CaptionPath(id)));
        }
    }
    for (const Record& record : records) {
        context.out.Write(record);
    }
    return kExitOk;
}

int RunExport(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    if (!parsed.Parse(args) || parsed.Positionals().empty() || parsed.Positionals().size() > 2) {
        return context.Fail(
            (parsed.Error().empty() ? "give FILE and at most one PATH" : parsed.Error()) +
                " (see zirvo-cli export-opml --help)",
            kExitUsage);
    }
    const std::string& file = parsed.Positionals()[0];
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    NodeId node = kNoNode;
    if (parsed.Positionals().size() == 2) {
        bool top = false;
        std::string error;
        node = session.Resolve(parsed.Positionals()[1], true, top, error);
        if (node == kNoNode && !top) {
            return context.Fail(error, kExitUsage);
        }
    }
    const std::string opml = context.root.OpmlPath();
    const bool ok = node == kNoNode
                        ? ExportOpmlAll(opml, file, context.messages)
                        : ExportOpmlNode(opml, session.Tree().PathOf(node), file, context.messages);
    if (!ok) {
        return kExitFailed;
    }
    context.out.Note(kExportSucceeded);
    context.out.Write({{"file", file}, {"path", session.PathText(node)}});
    return kExitOk;
}

const CliCommandRegistrar kImport(
    {"import-opml", "import channels from an OPML file or address",
     "usage: zirvo-cli import-opml FILE|URL [--folder PATH]\n\n"
     "Adds every outline of the OPML list, nested as it is there, at the end of the folder\n"
     "PATH (default: the top level). Channels whose address is already subscribed (or comes\n"
     "twice) and addresses other than http(s) are skipped. URL must be http:// or https://.\n"
     "Prints per outline: status type path url (status imported, skipped-duplicate or\n"
     "skipped-not-web).",
     RunImport});

const CliCommandRegistrar kExport(
    {"export-opml", "export channels as an OPML file",
     "usage: zirvo-cli export-opml FILE [PATH]\n\n"
     "Writes every channel (or the channel or folder PATH with everything below it) to FILE\n"
     "as OPML, for other feed readers.",
     RunExport});

}  // namespace
}  // namespace zirvo::cli
