// Feed-reader commands that exchange channel lists as OPML: import-opml (a file or an address,
// through the import session and its working copy) and export-opml (one node or everything).

#include <set>

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

void RunImport(CliContext& context, const CCommandLine& parsed) {
    const std::string from = parsed.Positionals()[0];
    const bool address = from.find("://") != std::string::npos;
    if (address && !IsWebAddress(from)) {
        throw CliError::Usage(std::string(kInvalidLink) + " (only http:// and https:// addresses)");
    }
    if (!address && !FileExists(from)) {
        throw CliError("no such file: " + from);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    NodeId folder = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.ValueOr("--folder", "/"), folder, error)) {
        throw CliError::Usage(error);
    }

    COpmlImport import(context.root, context.messages);
    if (!import.Begin()) {
        throw CliError::Reported();
    }
    if (!(address ? import.LoadSourceAddress(from) : import.LoadSourceFile(from))) {
        throw CliError::Reported();
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
            throw CliError(kImportFailed);
        }
        added.push_back(id);
    }
    if (added.empty()) {
        import.Cancel();
    } else if (!import.Save()) {
        throw CliError::Reported();
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
}

void RunExport(CliContext& context, const CCommandLine& parsed) {
    const std::string file = parsed.Positionals()[0];
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    NodeId node = kNoNode;
    if (parsed.Positionals().size() == 2) {
        bool top = false;
        std::string error;
        node = session.Resolve(parsed.Positionals()[1], true, top, error);
        if (node == kNoNode && !top) {
            throw CliError::Usage(error);
        }
    }
    const std::string opml = context.root.OpmlPath();
    const bool ok = node == kNoNode
                        ? ExportOpmlAll(opml, file, context.messages)
                        : ExportOpmlNode(opml, session.Tree().PathOf(node), file, context.messages);
    if (!ok) {
        throw CliError::Reported();
    }
    context.out.Note(kExportSucceeded);
    context.out.Write({{"file", file}, {"path", session.PathText(node)}});
}

const CliCommandRegistrar kImport(
    {"import-opml", "import channels from an OPML file or address",
     [](CCommandLine& cmd) {
         cmd.Positionals("SOURCE", "an OPML file, or an http:// or https:// address", 1, 1)
             .Option("--folder", "PATH", "the folder to import into (default: the top level)")
             .Description(
                 "Adds every outline of the OPML list, nested as it is there, at the end of the\n"
                 "folder. Channels whose address is already subscribed (or comes twice) and\n"
                 "addresses other than http(s) are skipped. Prints per outline:\n"
                 "  status type path url   (status imported, skipped-duplicate or skipped-not-web)")
             .Examples({{"zirvo-cli import-opml subscriptions.opml", "import a file"},
                        {"zirvo-cli import-opml https://example.org/list.opml --folder Shared",
                         "import a list from the web into the folder Shared"}});
     },
     RunImport});

const CliCommandRegistrar kExport(
    {"export-opml", "export channels as an OPML file",
     [](CCommandLine& cmd) {
         cmd.Positionals("FILE", "the OPML file to write", 1, 1)
             .Positionals("PATH", "a channel or folder (default: every channel)", 0, 1)
             .Description("Writes the channels as OPML, for other feed readers.")
             .Examples({{"zirvo-cli export-opml all.opml", "every channel"},
                        {"zirvo-cli export-opml news.opml News", "the folder News"}});
     },
     RunExport});

}  // namespace
}  // namespace zirvo::cli
