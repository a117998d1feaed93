// Feed-reader commands that show and edit the subscription tree: tree, add, mkdir, rename, rm, mv.
// Every change goes through CChannelTreeEditor, so the file and the store change as the tree
// window changes them; a command that fails puts Storage/rssreader.opml back as it was.

#include <ctime>
#include <optional>

#include "cli_command.h"
#include "core/feeds/feed_fetcher.h"
#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/channel_checks.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

Record NodeRecord(CReaderSession& session, NodeId id, int feedId) {
    const ChannelNode node = *session.Tree().Node(id);
    return {
        {"type", node.IsChannel() ? "channel" : "folder"},
        {"feed_id", IdOrNull(feedId)},
        {"unread", node.unreadCount},
        {"path", session.PathText(id)},
        {"url", node.feedUrl},
    };
}

// A folder may not hold two nodes of one caption: the caption path names only the first.
// The size of `text` with its blank runs made one blank and its ends trimmed, as a caption has it
// before the cut.
size_t OneLineSize(const std::string& text) {
    size_t size = 0;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = size > 0;
            continue;
        }
        size += blank ? 2 : 1;
        blank = false;
    }
    return size;
}

// Why a fetch for "从地址获取" failed, as the error to end the command with.
[[noreturn]] void FailLookUp(const std::string& url, const FeedFetchResult& result) {
    if (result.httpStatus >= 400) {
        throw CliError(StrFormat("cannot fetch %s: the server answered HTTP %d", url.c_str(),
                                 result.httpStatus));
    }
    switch (result.failure) {
        case FeedFailure::BadUrl:
        case FeedFailure::Network:
        case FeedFailure::Timeout:
        case FeedFailure::TooLarge:
        case FeedFailure::Aborted:
            throw CliError("cannot fetch " + url + ": " + FeedFailureName(result.failure) +
                           (result.error.empty() ? "" : ": " + result.error));
        default:
            break;
    }
    throw CliError(url + " is not a feed (" + FeedFailureName(result.failure) +
                   (result.error.empty() ? "" : ": " + result.error) + ")");
}

// What an address given to add leads to: a feed, or the one feed a web page names, or the
// --pick'th of several (1-based).
struct AddTarget {
    std::string url;
    std::string title;
    std::string home;
};

AddTarget LookUp(const std::string& url, long long pick) {
    CFeedFetcher fetcher;
    FeedLookup lookup;
    if (!fetcher.LookUpFeed(url, lookup)) {
        FailLookUp(url, fetcher.LastResult());
    }
    if (lookup.feedUrl.empty()) {
        const size_t count = lookup.candidates.size();
        if (pick < 1 || static_cast<size_t>(pick) > count) {
            std::string list;
            for (size_t i = 0; i < count; ++i) {
                const DiscoveredFeed& feed = lookup.candidates[i];
                list += StrFormat("\n  %zu  %s", i + 1, feed.url.c_str()) +
                        (feed.title.empty() ? "" : "  " + feed.title);
            }
            throw CliError::Usage(
                StrFormat("%s names %zu feeds; choose one with --pick N:", url.c_str(), count) +
                list);
        }
        const DiscoveredFeed& chosen = lookup.candidates[static_cast<size_t>(pick - 1)];
        FeedChannelInfo info;
        if (!fetcher.FetchChannelInfo(chosen.url, info) &&
            fetcher.LastResult().failure != FeedFailure::NoItems) {
            FailLookUp(chosen.url, fetcher.LastResult());
        }
        lookup.feedUrl = chosen.url;
        lookup.channel = info;
        if (lookup.channel.title.empty()) {
            lookup.channel.title = chosen.title;
        }
        if (lookup.channel.homePage.empty()) {
            lookup.channel.homePage = url;
        }
    }
    return {lookup.feedUrl, lookup.channel.title, lookup.channel.homePage};
}

// "从地址获取": the channel title read from the feed. Only a feed without a title gets the hint to
// give one.
std::string CaptionFromFeed(CliContext& context, const std::string& fetched) {
    const std::string caption = CaptionFromText(fetched);
    if (caption.empty()) {
        throw CliError(std::string(kNoTitleFromAddress) +
                       " (the feed has no title: give one with --title)");
    }
    if (caption.size() < OneLineSize(fetched)) {
        context.out.Warn(
            StrFormat("the feed's title is longer than %zu bytes; kept: '", kMaxCaptionBytes) +
            caption + "'");
    }
    return caption;
}

// A Unix time as "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcText(long long seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// The channel's last fetch, for JSON readers: when, whether it was received, what it said, and
// until when scheduled receives leave it alone (null: never fetched / no wait).
void AddLastFetch(CReaderSession& session, int feedId, Record& record) {
    FeedFetchState state;
    if (feedId <= 0 || !session.Store().GetFetchState(feedId, state)) {
        state = FeedFetchState();
    }
    const bool fetched = !state.NeverFetched();
    record.emplace_back("last_fetch", fetched ? FieldValue(UtcText(state.time)) : nullptr);
    record.emplace_back("last_fetch_ok", fetched ? FieldValue(state.ok) : nullptr);
    record.emplace_back("last_fetch_message", fetched ? FieldValue(state.message) : nullptr);
    record.emplace_back("not_before",
                        state.notBefore > 0 ? FieldValue(UtcText(state.notBefore)) : nullptr);
}

bool CaptionTaken(const CChannelTree& tree, NodeId parent, const std::string& caption,
                  NodeId except = kNoNode) {
    for (NodeId sibling : tree.Children(parent)) {
        if (sibling != except && tree.Node(sibling)->caption == caption) {
            return true;
        }
    }
    return false;
}

void RunTree(CliContext& context, const CCommandLine& parsed) {
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    NodeId from = kNoNode;
    if (!parsed.Positionals().empty()) {
        bool top = false;
        std::string error;
        from = session.Resolve(parsed.Positionals()[0], true, top, error);
        if (from == kNoNode && !top) {
            throw CliError::Usage(error);
        }
    }
    if (!session.LoadUnreadCounts()) {
        throw CliError("cannot read the feed store: " + session.Store().GetLastError());
    }
    for (NodeId id : session.Tree().Walk(from)) {
        int feedId = 0;
        if (!session.FeedIdOf(id, feedId)) {
            throw CliError("cannot read the feed store: " + session.Store().GetLastError());
        }
        Record record = NodeRecord(session, id, feedId);
        if (context.out.Json() && session.Tree().Node(id)->IsChannel()) {
            AddLastFetch(session, feedId, record);
        }
        context.out.Write(record);
    }
}

void RunAdd(CliContext& context, const CCommandLine& parsed) {
    std::string url = parsed.Positionals().empty() ? "" : parsed.Positionals()[0];
    std::string home = parsed.ValueOr("--home", "");
    std::optional<std::string> title = parsed.Value("--title");
    long long pick = 0;
    if (parsed.Has("--pick") && (!ParseInt(parsed.ValueOr("--pick", ""), pick) || pick < 1)) {
        throw CliError::Usage("--pick takes the number of a feed the page names (1, 2, ...)");
    }

    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    NodeId parent = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.ValueOr("--folder", "/"), parent, error)) {
        throw CliError::Usage(error);
    }
    CChannelTree& tree = session.Tree();
    if (!title || pick > 0) {
        // "从地址获取": the address is fetched after it passed its checks; a web page leads to
        // the feed it names.
        FieldCheck check = CheckFetchAddress(url);
        if (!check.ok && (url.empty() || HasInvalidCharacters(url))) {
            throw CliError::Usage(check.message);
        }
        if (!check.ok || !IsWebAddress(url)) {
            throw CliError::Usage(NonWebAddressMessage(url));
        }
        const AddTarget target = LookUp(url, pick);
        if (target.url != url) {
            context.out.Note("the page names the feed " + target.url);
        }
        url = target.url;
        if (home.empty() && !parsed.Has("--home")) {
            home = target.home;
        }
        if (!title) {
            title = CaptionFromFeed(context, target.title);
        }
    }
    FieldCheck check = CheckChannelFields(*title, url, home);
    if (!check.ok) {
        const bool fromFeed = !parsed.Value("--title") && check.field == DialogField::Title;
        if (check.field == DialogField::FeedUrl && !url.empty() && !HasInvalidCharacters(url)) {
            throw CliError::Usage(NonWebAddressMessage(url));
        }
        throw CliError::Usage(check.message + (fromFeed ? " (the feed's title is \"" + *title +
                                                              "\": give one with --title)"
                                                        : std::string()));
    }
    // Allowed, as in the tree window; said so, since both channels then share their items.
    check = CheckNotSubscribed(tree, url);
    if (!check.ok) {
        context.out.Warn(check.message);
    }
    // Bound at once, so that the new channel has its #ID from the start.
    const NodeId id = session.Editor().AddChannel(parent, *title, url, home, session.Store());
    if (id == kNoNode) {
        const std::string cause = session.Store().GetLastError();
        if (cause.empty()) {
            throw CliError::Reported();
        }
        throw CliError(cause);
    }
    context.out.Write(NodeRecord(session, id, tree.Node(id)->feedId));
}

void RunMkdir(CliContext& context, const CCommandLine& parsed) {
    const std::string name = parsed.Positionals().empty() ? "" : parsed.Positionals()[0];
    const std::string home = parsed.ValueOr("--home", "");
    const FieldCheck check = CheckFolderFields(name, home);
    if (!check.ok) {
        throw CliError::Usage(check.message);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    NodeId parent = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.ValueOr("--folder", "/"), parent, error)) {
        throw CliError::Usage(error);
    }
    if (CaptionTaken(session.Tree(), parent, name)) {
        throw CliError("\"" + name + "\" already exists in " + session.PathText(parent));
    }
    const NodeId id = session.Editor().AddFolder(parent, name, home);
    if (id == kNoNode) {
        throw CliError::Reported();
    }
    context.out.Write(NodeRecord(session, id, 0));
}

void RunRename(CliContext& context, const CCommandLine& parsed) {
    const std::string name = parsed.Positionals()[1];
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(parsed.Positionals()[0], false, top, error);
    if (id == kNoNode) {
        throw CliError::Usage(error);
    }
    const ChannelNode node = *session.Tree().Node(id);
    // The tree refuses an empty caption silently; on the command line it is a mistake to name.
    if (name.empty()) {
        throw CliError::Usage(node.IsChannel() ? kEnterChannelName : kEnterFolderName);
    }
    if (HasInvalidCharacters(name)) {
        throw CliError::Usage(kInvalidCharacters);
    }
    if (node.IsFolder() && CaptionTaken(session.Tree(), node.parent, name, id)) {
        throw CliError("\"" + name + "\" already exists in " + session.PathText(node.parent));
    }
    if (!session.Editor().Rename(id, name)) {
        throw CliError::Reported();
    }
    int feedId = 0;
    session.FeedIdOf(id, feedId);
    session.LoadUnreadCounts();
    context.out.Write(NodeRecord(session, id, feedId));
}

void RunRemove(CliContext& context, const CCommandLine& parsed) {
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(parsed.Positionals()[0], false, top, error);
    if (id == kNoNode) {
        throw CliError::Usage(error);
    }
    // The records show what went: counts as the store has them now.
    session.LoadUnreadCounts();
    std::vector<Record> removed;
    for (NodeId node : session.Tree().Walk(id)) {
        int feedId = 0;
        session.FeedIdOf(node, feedId);
        removed.push_back(NodeRecord(session, node, feedId));
    }
    if (!session.Editor().Delete(id, session.Store())) {
        // A file failure has been reported by the file layer; a store failure has not.
        const std::string cause = session.Store().GetLastError();
        if (cause.empty()) {
            throw CliError::Reported();
        }
        throw CliError(std::string(kDeleteFailed) + " " + cause);
    }
    for (const Record& record : removed) {
        context.out.Write(record);
    }
}

void RunMove(CliContext& context, const CCommandLine& parsed) {
    const int ways = parsed.Has("--to") + parsed.Has("--before") + parsed.Has("--up");
    if (ways != 1) {
        parsed.UsageFail("give one of --to, --before, --up");
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    CChannelTree& tree = session.Tree();
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(parsed.Positionals()[0], false, top, error);
    if (id == kNoNode) {
        throw CliError::Usage(error);
    }
    NodeId target = kNoNode;
    if (parsed.Has("--to")) {
        if (!session.ResolveFolder(*parsed.Value("--to"), target, error)) {
            throw CliError::Usage(error);
        }
    } else if (parsed.Has("--before")) {
        target = session.Resolve(*parsed.Value("--before"), false, top, error);
        if (target == kNoNode) {
            throw CliError::Usage(error);
        }
    }
    if (target != kNoNode && tree.IsInSubtree(target, id)) {
        throw CliError::Usage("cannot move " + session.PathText(id) + " into itself");
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
        throw CliError(kMoveFailed);
    }
    int feedId = 0;
    session.FeedIdOf(id, feedId);
    session.LoadUnreadCounts();
    context.out.Write(NodeRecord(session, id, feedId));
}

const CliCommandRegistrar kTree(
    {"tree", "show the subscription tree with unread counts",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "the folder or channel to start from (default: everything)", 0, 1)
             .Description(
                 "Every folder and channel (below PATH) in display order, one a line:\n"
                 "  type  feed_id  unread  path  url\n"
                 "A path joins captions with \"/\" (a \"/\" in a caption is written \"\\/\"); the\n"
                 "end of a path is enough when only one node's path ends that way. Channels\n"
                 "are also named by feed URL or by #FEED_ID. With --json a channel also says\n"
                 "how its last fetch went: last_fetch (UTC), last_fetch_ok, last_fetch_message\n"
                 "(why it failed), and not_before (the site asked scheduled receives to wait).")
             .Examples({{"zirvo-cli tree", "the whole tree"},
                        {"zirvo-cli tree News", "the folder News and what it holds"},
                        {"zirvo-cli --json tree", "the tree as JSON"}});
     },
     RunTree});

const CliCommandRegistrar kAdd(
    {"add", "subscribe to a feed",
     [](CCommandLine& cmd) {
         cmd.Positionals("URL", "the feed address (http:// or https://)", 1, 1)
             .Option("--title", "TEXT", "the channel's caption (default: the feed's title)")
             .Option("--folder", "PATH", "the folder to add to (default: the top level)")
             .Option("--home", "URL", "the channel's home page (default: the feed's own)")
             .Option("--pick", "N", "of the feeds a web page names, take the Nth")
             .Description(
                 "Adds a channel as the last node of its folder. Without --title the address is\n"
                 "fetched: a feed gives its title and home page; a web page gives the feed it\n"
                 "names (RSS, Atom or JSON Feed links), or lists them when it names several,\n"
                 "to be chosen with --pick. Any format is read: RSS 0.9x/1.0/2.0, Atom, JSON\n"
                 "Feed. Title and addresses must not hold '<' or '>'.\n"
                 "Prints the new channel: type feed_id unread path url.")
             .Examples({{"zirvo-cli add https://example.org/feed.xml",
                         "subscribe with the feed's own title"},
                        {"zirvo-cli add https://example.org/rss --title Example --folder News",
                         "subscribe under News with a title of your own"},
                        {"zirvo-cli add https://example.org/ --pick 2",
                         "the second feed the web page names"}});
     },
     RunAdd});

const CliCommandRegistrar kMkdir(
    {"mkdir", "create a folder in the subscription tree",
     [](CCommandLine& cmd) {
         cmd.Positionals("NAME", "the folder's caption", 1, 1)
             .Option("--folder", "PATH", "the parent folder (default: the top level)")
             .Option("--home", "URL", "the folder's home page")
             .Description(
                 "NAME is one caption; it must not hold '<' or '>' and must differ from "
                 "its siblings'.")
             .Examples({{"zirvo-cli mkdir News", "a folder at the top level"},
                        {"zirvo-cli mkdir Science --folder News", "a folder inside News"}});
     },
     RunMkdir});

const CliCommandRegistrar kRename(
    {"rename", "rename a channel or folder",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "the channel or folder", 1, 1)
             .Positionals("NAME", "its new caption", 1, 1)
             .Description("Prints the node: type feed_id unread path url.")
             .Examples({{"zirvo-cli rename News/Example Examples", "a channel gets a new caption"},
                        {"zirvo-cli rename '#12' 'Daily news'", "the channel with feed id 12"}});
     },
     RunRename});

const CliCommandRegistrar kRemove(
    {"rm", "delete a channel or folder with its articles",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "the channel or folder", 1, 1)
             .Description(
                 "Deletes the node with everything below it: the outlines and the stored\n"
                 "articles of its channels (a channel whose address another channel still has\n"
                 "keeps its articles). Prints the removed nodes with their unread counts. There\n"
                 "is no confirmation.")
             .Examples({{"zirvo-cli rm News/Example", "unsubscribe from one channel"},
                        {"zirvo-cli rm Old", "delete the folder Old and everything in it"}});
     },
     RunRemove});

const CliCommandRegistrar kMove(
    {"mv", "move a channel or folder",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "the channel or folder to move", 1, 1)
             .Option("--to", "FOLDER", "append to FOLDER (\"/\" is the top level)")
             .Option("--before", "NODE", "put in front of NODE, in NODE's folder")
             .Flag("--up", "put in front of the previous sibling")
             .Description("A folder cannot move into itself. Prints the node at its new place.")
             .Examples({{"zirvo-cli mv News/Example --to Tech", "into the folder Tech"},
                        {"zirvo-cli mv Tech/Example --before Tech/Other", "reorder a folder"},
                        {"zirvo-cli mv Tech --up", "one place up"}});
     },
     RunMove});

}  // namespace
}  // namespace zirvo::cli
