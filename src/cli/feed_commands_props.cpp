// `zirvo-cli set`: the properties of a channel ("频道设置": title, addresses, receive and storage
// options) or of a folder ("频道目录设置": title and home page). Without options it only shows
// them, with the channel's total and unread counts as the General page does.

#include <optional>

#include "cli_args.h"
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

bool ParseSwitch(const CArgs& args, const std::string& name, int& value, std::string& error) {
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
                  {"feed_id", feedId ? std::to_string(feedId) : std::string()},
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
        record.emplace_back("items", std::to_string(total));
        record.emplace_back("unread", std::to_string(unread));
    }
    return record;
}

int RunSet(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--title").Option("--url").Option("--home").Option("--auto-update");
    parsed.Option("--notice").Option("--rank").Option("--storage");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return context.Fail((parsed.Error().empty() ? "give one PATH" : parsed.Error()) +
                                " (see zirvo-cli set --help)",
                            kExitUsage);
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
    const ChannelNode node = *session.Tree().Node(id);
    CRssStore& store = session.Store();
    FeedSettings settings = ToFeedSettings(node.settings);
    int feedId = 0;
    bool known = false;
    if (node.IsChannel() && !store.FindFeedSettings(node.feedUrl, feedId, settings, known)) {
        return context.Fail("cannot read the feed store: " + store.GetLastError());
    }

    const bool changes = parsed.Has("--title") || parsed.Has("--url") || parsed.Has("--home") ||
                         parsed.Has("--auto-update") || parsed.Has("--notice") ||
                         parsed.Has("--rank") || parsed.Has("--storage");
    if (!changes) {
        context.out.Write(PropertiesRecord(session, id, settings, feedId));
        return kExitOk;
    }
    const std::string title = parsed.ValueOr("--title", node.caption);
    const std::string url = parsed.ValueOr("--url", node.feedUrl);
    const std::string home = parsed.ValueOr("--home", node.homeUrl);
    if (node.IsFolder()) {
        if (parsed.Has("--url") || parsed.Has("--auto-update") || parsed.Has("--notice") ||
            parsed.Has("--rank") || parsed.Has("--storage")) {
            return context.Fail("a folder has only --title and --home", kExitUsage);
        }
        const FieldCheck check = CheckFolderFields(title, home);
        if (!check.ok) {
            return context.Fail(check.message, kExitUsage);
        }
    } else {
        if (!ParseSwitch(parsed, "--auto-update", settings.autoUpdate, error) ||
            !ParseSwitch(parsed, "--notice", settings.newItemShowTip, error)) {
            return context.Fail(error, kExitUsage);
        }
        if (parsed.Has("--rank")) {
            const std::string rank = *parsed.Value("--rank");
            if (rank != "always" && rank != "weight") {
                return context.Fail("option --rank takes always or weight", kExitUsage);
            }
            settings.rssRank = rank == "always" ? 1 : 0;
        }
        if (parsed.Has("--storage") && !ParseStorage(*parsed.Value("--storage"), settings)) {
            return context.Fail("option --storage takes global, feed, all or a number of items",
                                kExitUsage);
        }
        FieldCheck check = CheckChannelEdit(title, url, home, node.feedUrl);
        if (!check.ok) {
            const bool notWeb =
                check.field == DialogField::FeedUrl && !url.empty() && !HasInvalidCharacters(url);
            return context.Fail(notWeb ? NonWebAddressMessage(url) : check.message, kExitUsage);
        }
        if (url != node.feedUrl) {
            // Allowed, as in the tree window; said so, since both channels then share items.
            check = CheckNotSubscribed(session.Tree(), url, id);
            if (!check.ok) {
                context.out.Note(check.message);
            }
        }
    }
    if (node.IsFolder() && title != node.caption) {
        for (NodeId sibling : session.Tree().Children(node.parent)) {
            if (sibling != id && session.Tree().Node(sibling)->caption == title) {
                return context.Fail("\"" + title + "\" already exists in " +
                                    session.PathText(node.parent));
            }
        }
    }

    const bool ok = node.IsFolder() ? session.Editor().SetFolderProperties(id, title, home)
                                    : session.Editor().SetChannelProperties(
                                          id, title, url, home, ToChannelSettings(settings), store);
    if (!ok) {
        return kExitFailed;
    }
    if (node.IsChannel()) {
        feedId = session.Tree().Node(id)->feedId;
    }
    context.out.Write(PropertiesRecord(session, id, settings, feedId));
    return kExitOk;
}

const CliCommandRegistrar kSet(
    {"set", "show or change the properties of a channel or folder",
     "usage: zirvo-cli set PATH [--title T] [--url URL] [--home URL]\n"
     "                     [--auto-update on|off] [--notice on|off] [--rank weight|always]\n"
     "                     [--storage global|feed|all|N]\n\n"
     "Without options prints the properties:\n"
     "  type feed_id path url home auto_update notice rank storage items unread\n"
     "(a folder has only the first five). --auto-update: received by --all and folder\n"
     "receives; --rank always: the weight rule never holds the channel back; --storage:\n"
     "global setting, only what the feed lists now, every item ever received, or the newest N.\n"
     "A new address keeps the channel's stored items. The checks of the add command apply.",
     RunSet});

}  // namespace
}  // namespace zirvo::cli
