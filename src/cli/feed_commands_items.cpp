// Feed-reader commands that read the stored items: list (one page of a channel, or a folder's
// combined list), show (one item, read as a click on its row reads it), read and unread.

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "cli_command.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"
#include "html_text.h"

namespace zirvo::cli {
namespace {

// The caption path of the channel that stores items as `feedId`; empty when the tree has none.
std::string ChannelPathOf(CReaderSession& session, int feedId) {
    const NodeId node = session.ChannelOfFeed(feedId);
    return node == kNoNode ? std::string() : session.PathText(node);
}

bool IsItemId(const std::string& text) {
    int id = 0;
    return ParsePositive(text, id);
}

int FilterOf(const CCommandLine& parsed) {
    int filter = kAllItems;
    ParseFilter(parsed.ValueOr("--filter", "all"), filter);
    return filter;
}

void RunList(CliContext& context, const CCommandLine& parsed) {
    const long long page = parsed.IntValue("--page", 1, 0x7fffffff, 1);
    const int filter = FilterOf(parsed);
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    bool top = false;
    std::string error;
    const std::vector<std::string> words = parsed.Positionals();
    const NodeId id = session.Resolve(words.empty() ? "/" : words[0], true, top, error);
    if (id == kNoNode && !top) {
        throw CliError::Usage(error);
    }
    const bool channel = !top && session.Tree().Node(id)->IsChannel();
    if (!channel && page != 1) {
        throw CliError::Usage("a folder's list has one page only");
    }
    ItemPage items;
    if (!session.ListPage(id, filter, static_cast<int>(page - 1), false, items)) {
        throw CliError(session.Error());
    }
    if (page > items.pageCount) {
        throw CliError::Usage(StrFormat("there %s only %d page%s of %s items",
                                        items.pageCount == 1 ? "is" : "are", items.pageCount,
                                        items.pageCount == 1 ? "" : "s", FilterName(filter)));
    }
    context.out.Note(StrFormat("page %lld/%d, %d %s items%s", page, items.pageCount, items.total,
                               FilterName(filter), items.truncated ? " (the newest only)" : ""));
    std::map<int, std::string> paths;
    for (const auto& [feedId, node] : items.channels) {
        paths.emplace(feedId, session.PathText(node));
    }
    for (const RssItem& item : items.items) {
        context.out.Write(ItemRecord(item, paths[item.channelId]));
    }
}

// The columns of the terminal on stdout, else 78.
int OutputWidth() {
    winsize size{};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) {
        return std::min<int>(size.ws_col - 2, 100);
    }
    return 78;
}

// "1.3 MB", "512 B"; empty for an unknown size.
std::string SizeText(long long bytes) {
    if (bytes <= 0) {
        return {};
    }
    const char* units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    return unit == 0 ? StrFormat("%lld B", bytes) : StrFormat("%.1f %s", value, units[unit]);
}

std::string AttachmentLines(const RssItem& item) {
    if (item.enclosures.empty()) {
        return {};
    }
    std::string out = "\nAttachments:\n";
    for (const Enclosure& enclosure : item.enclosures) {
        std::string about = enclosure.type;
        std::string size = SizeText(enclosure.length);
        if (!size.empty()) {
            about += about.empty() ? size : ", " + size;
        }
        out += "  " + enclosure.url + (about.empty() ? "" : "  (" + about + ")") + "\n";
    }
    return out;
}

// The item as a person reads it: header lines, the body as text, the links and attachments at
// the end.
std::string Readable(const RssItem& item, const std::string& channel, bool html) {
    std::string out;
    out += "Title:   " + item.title + "\n";
    out += "Author:  " + item.author + "\n";
    out += "Date:    " + item.date + "\n";
    out += "Link:    " + item.link + "\n";
    out += "Channel: " + channel + "\n\n";
    if (html) {
        return out + item.description + "\n" + AttachmentLines(item);
    }
    const PlainText body = HtmlToPlainText(item.description, OutputWidth());
    out += body.text.empty() ? std::string() : body.text + "\n";
    if (!body.links.empty()) {
        out += "\nLinks:\n";
        for (size_t i = 0; i < body.links.size(); ++i) {
            out += StrFormat("[%zu] ", i + 1) + body.links[i] + "\n";
        }
    }
    return out + AttachmentLines(item);
}

void RunShow(CliContext& context, const CCommandLine& parsed) {
    int itemId = 0;
    if (!ParsePositive(parsed.Positionals()[0], itemId)) {
        parsed.UsageFail("'" + parsed.Positionals()[0] + "' is not an item id");
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    CRssStore& store = session.Store();
    // News search results are read where the search left them; they have no read state.
    const bool news = parsed.Has("--news");
    RssItem item;
    if (!store.GetItem(itemId, news, item)) {
        if (store.GetLastError() == kNoRssItemWithId) {
            throw CliError(StrFormat("no item %d", itemId));
        }
        throw CliError("cannot read the item: " + store.GetLastError());
    }
    if (!news && !item.read && !parsed.Has("--keep-unread")) {
        NodeId channel = kNoNode;
        int unread = 0;
        if (!session.MarkItemRead(itemId, true, channel, unread)) {
            throw CliError(session.Error());
        }
        item.read = 1;
        item.isNew = 0;
    }
    const std::string channel = news ? "news" : ChannelPathOf(session, item.channelId);
    if (context.out.Json()) {
        Record record = ItemRecord(item, channel, true);
        const PlainText body = HtmlToPlainText(item.description);
        record.emplace_back("text", body.text);
        record.emplace_back("links", body.links);
        std::vector<std::string> attachments;
        for (const Enclosure& enclosure : item.enclosures) {
            attachments.push_back(enclosure.url);
        }
        record.emplace_back("attachments", attachments);
        context.out.Write(record);
        return;
    }
    context.out.Raw(Readable(item, channel, parsed.Has("--html")));
}

void RunMark(CliContext& context, const CCommandLine& parsed, bool read) {
    const char* name = read ? "read" : "unread";
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
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
                    throw CliError("no item " + text);
                }
                throw CliError("cannot read the item: " + store.GetLastError());
            }
        } else {
            bool top = false;
            std::string error;
            const NodeId id = session.Resolve(text, true, top, error);
            if (id == kNoNode && !top) {
                throw CliError::Usage(error);
            }
            target.nodes = top ? tree.Children(kNoNode) : std::vector<NodeId>{id};
        }
        targets.push_back(std::move(target));
    }

    for (const Target& target : targets) {
        if (target.itemId != 0) {
            NodeId channel = kNoNode;
            int unread = 0;
            if (!session.MarkItemRead(target.itemId, read, channel, unread)) {
                throw CliError(session.Error());
            }
            context.out.Write({{"target", target.text},
                               {"state", name},
                               {"channel", channel == kNoNode ? "" : session.PathText(channel)},
                               {"unread", unread}});
            continue;
        }
        for (NodeId id : target.nodes) {
            if (!session.MarkNodeRead(id, read)) {
                throw CliError(session.Error());
            }
            context.out.Write({{"target", target.text},
                               {"state", name},
                               {"channel", session.PathText(id)},
                               {"unread", tree.Unread(id)}});
        }
    }
}

const std::vector<std::string> kFilterNames = {"all", "unread", "read", "new"};

const CliCommandRegistrar kList(
    {"list", "list the stored items of a channel or folder",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "a channel or folder (default: \"/\", every channel)", 0, 1)
             .Choice("--filter", kFilterNames, "which items (default: all)")
             .Option("--page", "N", "the page of a channel's list (default: 1)")
             .Description(
                 "A channel's items, newest first, one page at a time (the page size is the\n"
                 "reader's pagination setting, /app/rss/paginationnum); a folder's items as one\n"
                 "list of at most 8000. new = items received since they were last read or\n"
                 "marked. A heading \"page P/N, T items\" goes to stderr, then one item a line:\n"
                 "  id feed_id channel date state author title   (state: new, unread or read)")
             .Examples({{"zirvo-cli list News/Example --filter unread",
                         "the unread items of one channel"},
                        {"zirvo-cli list News/Example --page 2", "the second page"},
                        {"zirvo-cli list --filter new", "what the last receives brought"}});
     },
     RunList});

const CliCommandRegistrar kShow(
    {"show", "show one item and mark it read",
     [](CCommandLine& cmd) {
         cmd.Positionals("ITEM_ID", "the item's id (see zirvo-cli list)", 1, 1)
             .Flag("--keep-unread", "leave the item unread")
             .Flag("--news", "an item of the last news search (search --news)")
             .Flag("--html", "print the body as it was received instead of as text")
             .Description(
                 "Prints Title, Author, Date, Link and Channel, then the body as wrapped text\n"
                 "with its links numbered and listed at the end, and marks the item read as\n"
                 "opening it in the reader does. --json prints the record with the raw body\n"
                 "(description), the text and the links.")
             .Examples({{"zirvo-cli show 42", "read item 42"},
                        {"zirvo-cli show 42 --html --keep-unread", "the raw body, still unread"}});
     },
     RunShow});

const CliCommandRegistrar kRead(
    {"read", "mark items or channels read",
     [](CCommandLine& cmd) {
         cmd.Positionals("TARGET", "an item id, or a channel or folder (\"/\": everything)", 1, -1)
             .Description("Prints one line a target: target state channel unread.")
             .Examples({{"zirvo-cli read 42 43", "two items"},
                        {"zirvo-cli read News", "every item below News"},
                        {"zirvo-cli read /", "everything"}});
     },
     [](CliContext& context, const CCommandLine& parsed) { RunMark(context, parsed, true); }});

const CliCommandRegistrar kUnread(
    {"unread", "mark items or channels unread",
     [](CCommandLine& cmd) {
         cmd.Positionals("TARGET", "an item id, or a channel or folder (\"/\": everything)", 1, -1)
             .Description("As `read`, the other way round.")
             .Examples({{"zirvo-cli unread 42", "one item"},
                        {"zirvo-cli unread News/Example", "every item of a channel"}});
     },
     [](CliContext& context, const CCommandLine& parsed) { RunMark(context, parsed, false); }});

}  // namespace
}  // namespace zirvo::cli
