// `zirvo-cli set`: the properties of a channel ("频道设置": title, addresses, receive and storage
// options) or of a folder ("频道目录设置": title and home page). Without options it only shows
// them, with the channel's total and unread counts as the General page does.

#include <optional>

#include "cli_command.h"
#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/channel_checks.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

std::string StorageText(const FeedSettings& settings) {
    switch (settings.storageType) {
        case 0:
            return "global";
        case 1:
            return "feed";
        case 2:
            return std::to_string(settings.storageNum);
        default:
            return "all";
    }
}

// "global", "feed", "all" or a count of newest items to keep.
bool ParseStorage(const std::string& text, FeedSettings& settings) {
    int count = 0;
    if (text == "global") {
        settings.storageType = 0;
    } else if (text == "feed") {
        settings.storageType = 1;
    } else if (text == "all") {
        settings.storageType = 3;
    } else if (ParsePositive(text, count) && count <= 1000000) {
        settings.storageType = 2;
        settings.storageNum = count;
    } else {
        return false;
    }
    return true;
}

bool ParseSwitch(const CCommandLine& args, const std::string& name, int& value,
                 std::string& error) {
    const std::optional<std::string> text = args.Value(name);
    if (!text) {
        return true;
    }
    if (*text == "on" || *text == "off") {
        value = *text == "on" ? 1 : 0;
        return true;
    }
    error = "option " + name + " takes on or off, not \"" + *text + "\"";
    return false;
}

Record PropertiesRecord(CReaderSession& session, NodeId id, const FeedSettings& settings,
                        int feedId) {
    const ChannelNode node = *session.Tree().Node(id);
    Record record{{"type", node.IsChannel() ? "channel" : "folder"},
                  {"feed_id", IdOrNull(feedId)},
                  {"path", session.PathText(id)},
                  {"url", node.feedUrl},
                  {"home", node.homeUrl}};
    if (node.IsChannel()) {
        int total = 0;
        int unread = 0;
        if (feedId != 0) {
            session.Store().CountFeed(feedId, total, unread);
        }
        record.emplace_back("auto_update", settings.autoUpdate ? "on" : "off");
        record.emplace_back("notice", settings.newItemShowTip ? "on" : "off");
        record.emplace_back("rank", settings.rssRank ? "always" : "weight");
        record.emplace_back("storage", StorageText(settings));
        record.emplace_back("items", total);
        record.emplace_back("unread", unread);
    }
    return record;
}

void RunSet(CliContext& context, const CCommandLine& parsed) {
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
    CRssStore& store = session.Store();
    FeedSettings settings = node.settings;
    int feedId = 0;
    bool known = false;
    if (node.IsChannel() && !store.FindFeedSettings(node.feedUrl, feedId, settings, known)) {
        throw CliError("cannot read the feed store: " + store.GetLastError());
    }

    const bool changes = parsed.Has("--title") || parsed.Has("--url") || parsed.Has("--home") ||
                         parsed.Has("--auto-update") || parsed.Has("--notice") ||
                         parsed.Has("--rank") || parsed.Has("--storage");
    if (!changes) {
        context.out.Write(PropertiesRecord(session, id, settings, feedId));
        return;
    }
    const std::string title = parsed.ValueOr("--title", node.caption);
    const std::string url = parsed.ValueOr("--url", node.feedUrl);
    const std::string home = parsed.ValueOr("--home", node.homeUrl);
    if (node.IsFolder()) {
        if (parsed.Has("--url") || parsed.Has("--auto-update") || parsed.Has("--notice") ||
            parsed.Has("--rank") || parsed.Has("--storage")) {
            throw CliError::Usage("a folder has only --title and --home");
        }
        const FieldCheck check = CheckFolderFields(title, home);
        if (!check.ok) {
            throw CliError::Usage(check.message);
        }
    } else {
        if (!ParseSwitch(parsed, "--auto-update", settings.autoUpdate, error) ||
            !ParseSwitch(parsed, "--notice", settings.newItemShowTip, error)) {
            throw CliError::Usage(error);
        }
        if (parsed.Has("--rank")) {
            const std::string rank = *parsed.Value("--rank");
            if (rank != "always" && rank != "weight") {
                throw CliError::Usage("option --rank takes always or weight");
            }
            settings.rssRank = rank == "always" ? 1 : 0;
        }
        if (parsed.Has("--storage") && !ParseStorage(*parsed.Value("--storage"), settings)) {
            throw CliError::Usage("option --storage takes global, feed, all or a number of items");
        }
        FieldCheck check = CheckChannelEdit(title, url, home, node.feedUrl);
        if (!check.ok) {
            const bool notWeb =
                check.field == DialogField::FeedUrl && !url.empty() && !HasInvalidCharacters(url);
            throw CliError::Usage(notWeb ? NonWebAddressMessage(url) : check.message);
        }
        if (url != node.feedUrl) {
            // Allowed, as in the tree window; said so, since both channels then share items.
            check = CheckNotSubscribed(session.Tree(), url, id);
            if (!check.ok) {
                context.out.Warn(check.message);
            }
        }
    }
    if (node.IsFolder() && title != node.caption) {
        for (NodeId sibling : session.Tree().Children(node.parent)) {
            if (sibling != id && session.Tree().Node(sibling)->caption == title) {
                throw CliError("\"" + title + "\" already exists in " +
                               session.PathText(node.parent));
            }
        }
    }

    const bool ok = node.IsFolder() ? session.Editor().SetFolderProperties(id, title, home)
                                    : session.Editor().SetChannelProperties(id, title, url, home,
                                                                            settings, store);
    if (!ok) {
        throw CliError::Reported();
    }
    if (node.IsChannel()) {
        feedId = session.Tree().Node(id)->feedId;
    }
    context.out.Write(PropertiesRecord(session, id, settings, feedId));
}

const CliCommandRegistrar kSet(
    {"set", "show or change the properties of a channel or folder",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "the channel or folder", 1, 1)
             .Option("--title", "TEXT", "a new caption")
             .Option("--url", "URL", "a new feed address (the stored items stay)")
             .Option("--home", "URL", "a new home page")
             .Choice("--auto-update", {"on", "off"}, "received by --all and folder receives")
             .Choice("--notice", {"on", "off"}, "a notice when a receive leaves unread items")
             .Choice("--rank", {"weight", "always"}, "always: the weight rule never holds it back")
             .Option("--storage", "global|feed|all|N",
                     "the global setting, what the feed lists now, everything, or the newest N")
             .Description(
                 "Without options prints the properties:\n"
                 "  type feed_id path url home auto_update notice rank storage items unread\n"
                 "(a folder has only the first five). The checks of the add command apply.")
             .Examples({{"zirvo-cli set News/Example", "show the properties"},
                        {"zirvo-cli set News/Example --auto-update off --storage 100",
                         "leave it out of --all and keep its newest 100 items"}});
     },
     RunSet});

}  // namespace
}  // namespace zirvo::cli
