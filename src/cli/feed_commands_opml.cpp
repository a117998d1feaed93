// Feed-reader commands that exchange channel lists as OPML: import-opml (a file or an address,
// through the import session and its working copy) and export-opml (one node or everything).

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

// An outline the import left out: refused by the add dialogs' checks, or already subscribed.
Record SkippedRecord(const RefusedOutline& outline) {
    const char* status = outline.alreadySubscribed          ? "skipped-duplicate"
                         : outline.reason == kFeedUrlNotWeb ? "skipped-not-web"
                                                            : "skipped-invalid";
    return {{"status", status},
            {"type", outline.feedUrl.empty() ? "folder" : "channel"},
            {"path", outline.path},
            {"url", outline.feedUrl}};
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
    // Refused outlines were left out when the list was read; addresses already subscribed are
    // skipped as well, so that importing a list twice brings nothing twice.
    std::vector<Record> records;
    for (const RefusedOutline& outline : import.Refused()) {
        records.push_back(SkippedRecord(outline));
    }
    for (const RefusedOutline& outline : import.DropAlreadySubscribed()) {
        records.push_back(SkippedRecord(outline));
    }
    const bool anything = !import.Source().Children(kNoNode).empty();
    const std::vector<NodeId> added = import.ImportAll(target, target == kNoNode);
    if (anything && added.empty()) {
        throw CliError(kImportFailed);
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
                 "folder. Channels whose address is already subscribed (or comes twice),\n"
                 "addresses other than http(s) and outlines `add` would refuse are skipped.\n"
                 "Prints per outline:\n"
                 "  status type path url   (status imported, skipped-duplicate, skipped-not-web\n"
                 "                          or skipped-invalid)")
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
