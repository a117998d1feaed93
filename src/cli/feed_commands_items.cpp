// Feed-reader commands that read the stored items: list (one page of a channel, or a folder's
// combined list), show (one item, read as a click on its row reads it), read and unread.

#include <map>

#include "cli_args.h"
#include "cli_command.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

// The article list's page size: 30 to 1000, else the default.
int PageSize(const CChannelTree& tree) {
    const int size = tree.Settings().paginationNum;
    return size >= 30 && size <= 1000 ? size : 50;
}

// The caption path of the channel that stores items as `feedId`; empty when the tree has none.
std::string ChannelPathOf(CReaderSession& session, int feedId) {
    const NodeId node = session.ChannelOfFeed(feedId);
    return node == kNoNode ? std::string() : session.PathText(node);
}

bool IsItemId(const std::string& text) {
    int id = 0;
    return ParsePositive(text, id);
}

int RunList(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--filter").Option("--page");
    long long page = 1;
    if (!parsed.Parse(args) || !parsed.IntValue("--page", 1, 0x7fffffff, page)) {
        return context.Fail(parsed.Error() + " (see zirvo-cli list --help)", kExitUsage);
    }
    if (parsed.Positionals().size() > 1) {
        return context.Fail("one PATH at a time (see zirvo-cli list --help)", kExitUsage);
    }
    int filter = kAllItems;
    if (parsed.Has("--filter") && !ParseFilter(*parsed.Value("--filter"), filter)) {
        return context.Fail(
            "unknown filter \"" + *parsed.Value("--filter") + "\": use all, unread, read or new",
            kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    bool top = false;
    std::string error;
    const std::string reference = parsed.Positionals().empty() ? "/" : parsed.Positionals()[0];
    const NodeId id = session.Resolve(reference, true, top, error);
    if (id == kNoNode && !top) {
        return context.Fail(error, kExitUsage);
    }
    CRssStore& store = session.Store();

    if (!top && session.Tree().Node(id)->IsChannel()) {
        int feedId = 0;
        if (!session.FeedIdOf(id, feedId)) {
            return context.Fail("cannot read the feed store: " + store.GetLastError());
        }
        const int size = PageSize(session.Tree());
        std::vector<RssItem> items;
        int total = 0;
        const long long offset = (page - 1) * size;
        if (feedId != 0 && offset <= 0x7fffffff &&
            !store.ListItems(feedId, filter, false, items, total, size, static_cast<int>(offset))) {
            return context.Fail("cannot read the items: " + store.GetLastError());
        }
        const int pages = total == 0 ? 1 : (total + size - 1) / size;
        if (page > pages) {
            return context.Fail(
                StrFormat("there %s only %d page%s of %s items", pages == 1 ? "is" : "are", pages,
                          pages == 1 ? "" : "s", FilterName(filter)),
                kExitUsage);
        }
        context.out.Note(
            StrFormat("page %lld/%d, %d %s items", page, pages, total, FilterName(filter)));
        const std::string path = session.PathText(id);
        for (const RssItem& item : items) {
            context.out.Write(ItemRecord(item, path));
        }
        return kExitOk;
    }

    // A folder's list: every channel below it, newest first, as one page.
    if (page != 1) {
        return context.Fail("a folder's list has one page only", kExitUsage);
    }
    FeedIdList feeds;
    if (!session.KnownFeedIds(id, feeds)) {
        return context.Fail("cannot read the feed store: " + store.GetLastError());
    }
    std::map<int, std::string> paths;
    for (const auto& [handle, feedId] : feeds) {
        paths.emplace(feedId, session.PathText(static_cast<NodeId>(handle)));
    }
    std::vector<RssItem> items;
    if (!store.ListFeedsItems(feeds, filter, items)) {
        return context.Fail("cannot read the items: " + store.GetLastError());
    }
    context.out.Note(StrFormat(
        "page 1/1, %zu %s items%s", items.size(), FilterName(filter),
        items.size() >= static_cast<size_t>(kFeedsItemsLimit) ? " (the newest only)" : ""));
    for (const RssItem& item : items) {
        context.out.Write(ItemRecord(item, paths[item.channelId]));
    }
    return kExitOk;
}

int RunShow(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Flag("--keep-unread").Flag("--news");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return context.Fail((parsed.Error().empty() ? "give one ITEM_ID" : parsed.Error()) +
                                " (see zirvo-cli show --help)",
                            kExitUsage);
    }
    int itemId = 0;
    if (!ParsePositive(parsed.Positionals()[0], itemId)) {
        return context.Fail("\"" + parsed.Positionals()[0] + "\" is not an item id", kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    CRssStore& store = session.Store();
    // News search results are read where the search left them; they have no read state.
    const bool news = parsed.Has("--news");
    RssItem item;
    if (!store.GetItem(itemId, news, item)) {
        if (store.GetLastError() == kNoRssItemWithId) {
            return context.Fail(StrFormat("no item %d", itemId), kExitUsage);
        }
        return context.Fail("cannot read the item: " + store.GetLastError());
    }
    if (news) {
        context.out.Write(ItemRecord(item, "news", true));
        return kExitOk;
    }
    if (!item.read && !parsed.Has("--keep-unread")) {
        if (!store.SetItemRead(itemId, 1)) {
            return context.Fail("cannot mark the item read: " + store.GetLastError());
        }
        item.read = 1;
        item.isNew = 0;
    }
    context.out.Write(ItemRecord(item, ChannelPathOf(session, item.channelId), true));
    return kExitOk;
}

int RunMark(CliContext& context, const std::vector<std::string>& args, bool read) {
    const char* name = read ? "read" : "unread";
    CArgs parsed;
    if (!parsed.Parse(args) || parsed.Positionals().empty()) {
        return context.Fail((parsed.Error().empty() ? "give ITEM_IDs or PATHs" : parsed.Error()) +
                                " (see zirvo-cli " + name + " --help)",
                            kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    CChannelTree& tree = session.Tree();
    CRssStore& store = session.Store();

    // Everything is checked before anything changes.
    struct Target {
        int itemId = 0;
        std::vector<NodeId> nodes;  // a path; "/" gives the top-level nodes
        std::string text;
    };
    std::vector<Target> targets;
    for (const std::string& text : parsed.Positionals()) {
        Target target;
        target.text = text;
        if (IsItemId(text)) {
            ParsePositive(text, target.itemId);
            RssItem item;
            if (!store.GetItem(target.itemId, false, item)) {
                if (store.GetLastError() == kNoRssItemWithId) {
                    return context.Fail("no item " + text, kExitUsage);
                }
                return context.Fail("cannot read the item: " + store.GetLastError());
            }
        } else {
            bool top = false;
            std::string error;
            const NodeId id = session.Resolve(text, true, top, error);
            if (id == kNoNode && !top) {
                return context.Fail(error, kExitUsage);
            }
            target.nodes = top ? tree.Children(kNoNode) : std::vector<NodeId>{id};
        }
        targets.push_back(std::move(target));
    }

    for (const Target& target : targets) {
        if (target.itemId != 0) {
            RssItem item;
            int unread = 0;
            if (!store.SetItemRead(target.itemId, read ? 1 : 0) ||
                !store.GetItem(target.itemId, false, item) ||
                !store.CountUnread(item.channelId, unread)) {
                return context.Fail("cannot mark item " + target.text + " " + name + ": " +
                                    store.GetLastError());
            }
            context.out.Write({{"target", target.text},
                               {"state", name},
                               {"channel", ChannelPathOf(session, item.channelId)},
                               {"unread", std::to_string(unread)}});
            continue;
        }
        for (NodeId id : target.nodes) {
            if (!session.Editor().MarkRead(id, store, read)) {
                return context.Fail("cannot mark " + session.PathText(id) + " " + name + ": " +
                                    store.GetLastError());
            }
            context.out.Write({{"target", target.text},
                               {"state", name},
                               {"channel", session.PathText(id)},
                               {"unread", std::to_string(tree.Unread(id))}});
        }
    }
    return kExitOk;
}

const CliCommandRegistrar kList(
    {"list", "list the stored items of a channel or folder",
     "usage: zirvo-cli list [PATH] [--filter all|unread|read|new] [--page N]\n\n"
     "A channel's items, newest first, one page at a time (the page size is the reader's\n"
     "pagination setting, /app/rss/paginationnum); a folder's (or \"/\", the default: every\n"
     "channel's) items as one list of at most 8000. The filter defaults to all; new = items\n"
     "received since they were last read or marked. A line \"page P/N, T items\" comes first,\n"
     "then one item a line:  id feed_id channel date state author title\n"
     "(state: new, unread or read).",
     RunList});

const CliCommandRegistrar kShow({"show", "show one item and mark it read",
                                 "usage: zirvo-cli show ITEM_ID [--keep-unread]\n"
                                 "       zirvo-cli show --news ITEM_ID\n\n"
                                 "Prints the item: id feed_id channel date state author title "
                                 "link description,\nand marks it read as opening it in the "
                                 "reader does (not with --keep-unread).\n"
                                 "--news: an item of the last news search (search --news).",
                                 RunShow});

const CliCommandRegistrar kRead(
    {"read", "mark items or channels read",
     "usage: zirvo-cli read ITEM_ID|PATH...\n\n"
     "A number is an item id; anything else names a channel or folder (\"/\": everything),\n"
     "whose items all become read. Prints: target state channel unread.",
     [](CliContext& context, const std::vector<std::string>& args) {
         return RunMark(context, args, true);
     }});

const CliCommandRegistrar kUnread({"unread", "mark items or channels unread",
                                   "usage: zirvo-cli unread ITEM_ID|PATH...\n\n"
                                   "As `read`, the other way round.",
                                   [](CliContext& context, const std::vector<std::string>& args) {
                                       return RunMark(context, args, false);
                                   }});

}  // namespace
}  // namespace zirvo::cli
