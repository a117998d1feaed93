// Feed-reader commands that show and edit the subscription tree: tree, add, mkdir, rename, rm, mv.
// Every change goes through CChannelTreeEditor, so the file and the store change as the tree
// window changes them; a command that fails puts Storage/rssreader.opml back as it was.

#include <optional>

#include "cli_args.h"
#include "cli_command.h"
#include "core/feeds/feed_fetcher.h"
#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/channel_checks.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

int UsageError(CliContext& context, const std::string& command, const std::string& text) {
    return context.Fail(text + " (see zirvo-cli " + command + " --help)", kExitUsage);
}

Record NodeRecord(CReaderSession& session, NodeId id, int feedId) {
    const ChannelNode node = *session.Tree().Node(id);
    return {
        {"type", node.IsChannel() ? "channel" : "folder"},
        {"feed_id", feedId ? std::to_string(feedId) : std::string()},
        {"unread", std::to_string(node.unreadCount)},
        {"path", session.PathText(id)},
        {"url", node.feedUrl},
    };
}

// A folder may not hold two nodes of one caption: the caption path names only the first.
bool CaptionTaken(const CChannelTree& tree, NodeId parent, const std::string& caption,
                  NodeId except = kNoNode) {
    for (NodeId sibling : tree.Children(parent)) {
        if (sibling != except && tree.Node(sibling)->caption == caption) {
            return true;
        }
    }
    return false;
}

int RunTree(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    if (!parsed.Parse(args) || parsed.Positionals().size() > 1) {
        return UsageError(context, "tree",
                          parsed.Error().empty() ? "at most one PATH" : parsed.Error());
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    NodeId from = kNoNode;
    if (!parsed.Positionals().empty()) {
        bool top = false;
        std::string error;
        from = session.Resolve(parsed.Positionals()[0], true, top, error);
        if (from == kNoNode && !top) {
            return context.Fail(error, kExitUsage);
        }
    }
    if (!session.LoadUnreadCounts()) {
        return context.Fail("cannot read the feed store: " + session.Store().GetLastError());
    }
    for (NodeId id : session.Tree().Walk(from)) {
        int feedId = 0;
        if (!session.FeedIdOf(id, feedId)) {
            return context.Fail("cannot read the feed store: " + session.Store().GetLastError());
        }
        context.out.Write(NodeRecord(session, id, feedId));
    }
    return kExitOk;
}

int RunAdd(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--title").Option("--folder").Option("--home");
    if (!parsed.Parse(args)) {
        return UsageError(context, "add", parsed.Error());
    }
    if (parsed.Positionals().size() > 1) {
        return UsageError(context, "add", "one feed address at a time");
    }
    const std::string url = parsed.Positionals().empty() ? "" : parsed.Positionals()[0];
    const std::string home = parsed.ValueOr("--home", "");
    std::optional<std::string> title = parsed.Value("--title");

    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    NodeId parent = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.ValueOr("--folder", "/"), parent, error)) {
        return context.Fail(error, kExitUsage);
    }
    CChannelTree& tree = session.Tree();
    if (!title) {
        // "从地址获取": the title is read from the feed, after the address passed its checks.
        FieldCheck check = CheckFetchAddress(url);
        if (!check.ok && (url.empty() || HasInvalidCharacters(url))) {
            return context.Fail(check.message, kExitUsage);
        }
        if (!check.ok || !IsWebAddress(url)) {
            return context.Fail(NonWebAddressMessage(url), kExitUsage);
        }
        CFeedFetcher fetcher;
        std::string fetched;
        if (!fetcher.FetchChannelTitle(url, fetched) || CaptionFromText(fetched).empty()) {
            return context.Fail(std::string(kNoTitleFromAddress) + " (" +
                                fetcher.LastResult().error + "; give one with --title)");
        }
        title = CaptionFromText(fetched);
    }
    FieldCheck check = CheckChannelFields(*title, url, home);
    if (!check.ok) {
        const bool fromFeed = !parsed.Value("--title") && check.field == DialogField::Title;
        if (check.field == DialogField::FeedUrl && !url.empty() && !HasInvalidCharacters(url)) {
            return context.Fail(NonWebAddressMessage(url), kExitUsage);
        }
        return context.Fail(check.message + (fromFeed ? " (the feed's title is \"" + *title +
                                                            "\": give one with --title)"
                                                      : std::string()),
                            kExitUsage);
    }
    // Allowed, as in the tree window; said so, since both channels then share their items.
    check = CheckNotSubscribed(tree, url);
    if (!check.ok) {
        context.out.Note(check.message);
    }
    // Bound at once, so that the new channel has its #ID from the start.
    const NodeId id = session.Editor().AddChannel(parent, *title, url, home, session.Store());
    if (id == kNoNode) {
        const std::string cause = session.Store().GetLastError();
        return cause.empty() ? kExitFailed : context.Fail(cause);
    }
    context.out.Write(NodeRecord(session, id, tree.Node(id)->feedId));
    return kExitOk;
}

int RunMkdir(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--folder").Option("--home");
    if (!parsed.Parse(args)) {
        return UsageError(context, "mkdir", parsed.Error());
    }
    if (parsed.Positionals().size() > 1) {
        return UsageError(context, "mkdir", "one folder name at a time");
    }
    const std::string name = parsed.Positionals().empty() ? "" : parsed.Positionals()[0];
    const std::string home = parsed.ValueOr("--home", "");
    const FieldCheck check = CheckFolderFields(name, home);
    if (!check.ok) {
        return context.Fail(check.message, kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    NodeId parent = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.ValueOr("--folder", "/"), parent, error)) {
        return context.Fail(error, kExitUsage);
    }
    if (CaptionTaken(session.Tree(), parent, name)) {
        return context.Fail("\"" + name + "\" already exists in " + session.PathText(parent));
    }
    const NodeId id = session.Editor().AddFolder(parent, name, home);
    if (id == kNoNode) {
        return kExitFailed;
    }
    context.out.Write(NodeRecord(session, id, 0));
    return kExitOk;
}

int RunRename(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    if (!parsed.Parse(args) || parsed.Positionals().size() != 2) {
        return UsageError(context, "rename",
                          parsed.Error().empty() ? "give PATH and NAME" : parsed.Error());
    }
    const std::string& name = parsed.Positionals()[1];
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(parsed.Positionals()[0], false, top, error);
    if (id == kNoNode) {
        return context.Fail(error, kExitUsage);
    }
    const ChannelNode node = *session.Tree().Node(id);
    // The tree refuses an empty caption silently; on the command line it is a mistake to name.
    if (name.empty()) {
        return context.Fail(node.IsChannel() ? kEnterChannelName : kEnterFolderName, kExitUsage);
    }
    if (HasInvalidCharacters(name)) {
        return context.Fail(kInvalidCharacters, kExitUsage);
    }
    if (node.IsFolder() && CaptionTaken(session.Tree(), node.parent, name, id)) {
        return context.Fail("\"" + name + "\" already exists in " + session.PathText(node.parent));
    }
    if (!session.Editor().Rename(id, name)) {
        return kExitFailed;
    }
    int feedId = 0;
    session.FeedIdOf(id, feedId);
    context.out.Write(NodeRecord(session, id, feedId));
    return kExitOk;
}

int RunRemove(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return UsageError(context, "rm", parsed.Error().empty() ? "give one PATH" : parsed.Error());
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(parsed.Positionals()[0], false, top, error);
    if (id == kNoNode) {
        return context.Fail(error, kExitUsage);
    }
    std::vector<Record> removed;
    for (NodeId node : session.Tree().Walk(id)) {
        int feedId = 0;
        session.FeedIdOf(node, feedId);
        removed.push_back(NodeRecord(session, node, feedId));
    }
    if (!session.Editor().Delete(id, session.Store())) {
        // A file failure has been reported by the file layer; a store failure has not.
        const std::string cause = session.Store().GetLastError();
        return cause.empty() ? kExitFailed : context.Fail(std::string(kDeleteFailed) + " " + cause);
    }
    for (const Record& record : removed) {
        context.out.Write(record);
    }
    return kExitOk;
}

int RunMove(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--to").Option("--before").Flag("--up");
    if (!parsed.Parse(args)) {
        return UsageError(context, "mv", parsed.Error());
    }
    const int ways = parsed.Has("--to") + parsed.Has("--before") + parsed.Has("--up");
    if (parsed.Positionals().size() != 1 || ways != 1) {
        return UsageError(context, "mv", "give PATH and one of --to, --before, --up");
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    CChannelTree& tree = session.Tree();
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(parsed.Positionals()[0], false, top, error);
    if (id == kNoNode) {
        return context.Fail(error, kExitUsage);
    }
    NodeId target = kNoNode;
    if (parsed.Has("--to")) {
        if (!session.ResolveFolder(*parsed.Value("--to"), target, error)) {
            return context.Fail(error, kExitUsage);
        }
    } else if (parsed.Has("--before")) {
        target = session.Resolve(*parsed.Value("--before"), false, top, error);
        if (target == kNoNode) {
            return context.Fail(error, kExitUsage);
        }
    }
    if (target != kNoNode && tree.IsInSubtree(target, id)) {
        return context.Fail("cannot move " + session.PathText(id) + " into itself", kExitUsage);
    }
    CChannelTreeEditor& editor = session.Editor();
    bool moved = true;
    if (parsed.Has("--up")) {
        const std::vector<NodeId> siblings = tree.Children(tree.Parent(id));
        // The first of its folder stays where it is, as in the tree window.
        moved = siblings.empty() || siblings.front() == id || editor.MoveUp(id);
    } else if (parsed.Has("--to")) {
        moved = editor.MoveInto(id, target);
    } else {
        moved = editor.MoveBefore(id, target);
    }
    if (!moved) {
        return context.Fail(kMoveFailed);
    }
    int feedId = 0;
    session.FeedIdOf(id, feedId);
    session.LoadUnreadCounts();
    context.out.Write(NodeRecord(session, id, feedId));
    return kExitOk;
}

const CliCommandRegistrar kTree({"tree", "show the subscription tree with unread counts",
                                 "usage: zirvo-cli tree [PATH]\n\n"
                                 "Every folder and channel (below PATH) in display order, one a "
                                 "line:\n  type  feed_id  unread  path  url\n"
                                 "A path joins captions with \"/\" (a \"/\" in a caption is "
                                 "written \"\\/\").\n"
                                 "Channels are named by path, by feed URL or by #FEED_ID.",
                                 RunTree});

const CliCommandRegistrar kAdd(
    {"add", "subscribe to a feed",
     "usage: zirvo-cli add URL [--title T] [--folder PATH] [--home URL]\n\n"
     "Adds a channel as the last node of the folder PATH (default: the top level). Without\n"
     "--title the feed is fetched and its channel title is used. The address must be an\n"
     "http:// or https:// address that no other channel has; title and addresses must not\n"
     "hold '<' or '>'. Prints the new channel: type feed_id unread path url.",
     RunAdd});

const CliCommandRegistrar kMkdir({"mkdir", "create a folder in the subscription tree",
                                  "usage: zirvo-cli mkdir NAME [--folder PATH] [--home URL]\n\n"
                                  "Adds a folder as the last node of PATH (default: the top "
                                  "level). NAME is one caption; it must not hold '<' or '>' and "
                                  "must differ from its siblings'.",
                                  RunMkdir});

const CliCommandRegistrar kRename({"rename", "rename a channel or folder",
                                   "usage: zirvo-cli rename PATH NAME\n\n"
                                   "Sets the caption of the node PATH to NAME.",
                                   RunRename});

const CliCommandRegistrar kRemove(
    {"rm", "delete a channel or folder with its articles",
     "usage: zirvo-cli rm PATH\n\n"
     "Deletes the node with everything below it: the outlines and the stored articles of its\n"
     "channels (a channel whose address another channel still has keeps its articles).\n"
     "Prints the removed nodes. There is no confirmation.",
     RunRemove});

const CliCommandRegistrar kMove(
    {"mv", "move a channel or folder",
     "usage: zirvo-cli mv PATH --to FOLDER\n"
     "       zirvo-cli mv PATH --before NODE\n"
     "       zirvo-cli mv PATH --up\n\n"
     "--to appends the node to FOLDER (\"/\" is the top level), --before puts it in front of\n"
     "NODE in NODE's folder, --up in front of its previous sibling. A folder cannot move into\n"
     "itself. Prints the node at its new place.",
     RunMove});

}  // namespace
}  // namespace zirvo::cli
