// Feed-reader commands over many stored items at once: search (the local scopes of the search
// panel) and clean (removing old items of channels).

#include <map>
#include <optional>
#include <set>

#include "cli_args.h"
#include "cli_command.h"
#include "core/feeds/feed_fetcher.h"
#include "core/receive/cleaning_wizard.h"
#include "core/receive/receive_settings_checks.h"
#include "core/search/news_search.h"
#include "core/search/rss_search.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

// The news service's side of the search: the configured address asked for the keyword, the
// answer staged under channel 0. An answer without items is no result; an unreachable service
// is a failure.
int SearchNewsService(CliContext& context, const CArgs& parsed, const std::string& keyword) {
    const std::string count = parsed.ValueOr("--count", "10");
    if (count != "10" && count != "20" && count != "50" && count != "100") {
        return context.Fail("option --count takes 10, 20, 50 or 100", kExitUsage);
    }
    std::string address;
    if (!ReadNewsSearchAddress(context.appConfig, address)) {
        return kExitFailed;
    }
    const std::string url = BuildNewsSearchUrl(address, keyword, parsed.Has("--title-only"), count);
    if (url.empty()) {
        return context.Fail("the news search address \"" + address +
                            "\" (/app/rss/newssearchurl) is not an http(s) address");
    }
    CRssStore store(context.root.Dir());
    if (!store.Open()) {
        return context.Fail("cannot open the feed store: " + store.GetLastError());
    }
    CFeedFetcher fetcher;
    std::vector<RssItem> items;
    if (!fetcher.FetchFeed(url, items)) {
        if (fetcher.LastResult().failure == FeedFailure::NoItems) {
            context.messages.ShowMessageBox(kNoSearchResults);
            return kExitOk;
        }
        return context.Fail(std::string(kNoSearchResults) + " (" + fetcher.LastResult().error +
                            ")");
    }
    SearchResult result;
    if (!StageNewsResults(store, std::move(items), keyword, result, context.messages)) {
        return context.Fail("cannot keep the results: " + store.GetLastError());
    }
    context.out.Note(result.heading);
    for (const RssItem& item : result.items) {
        context.out.Write(ItemRecord(item, "news"));
    }
    return kExitOk;
}

int RunSearch(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Flag("--title-only").Option("--in").Flag("--news").Option("--count");
    if (!parsed.Parse(args) || parsed.Positionals().size() > 1) {
        return context.Fail((parsed.Error().empty() ? "one KEYWORD (quote it when it has blanks)"
                                                    : parsed.Error()) +
                                " (see zirvo-cli search --help)",
                            kExitUsage);
    }
    const std::string keyword = parsed.Positionals().empty() ? "" : parsed.Positionals()[0];
    const FieldCheck check = CheckSearchKeyword(keyword);
    if (!check.ok) {
        return context.Fail(check.message, kExitUsage);
    }
    if (parsed.Has("--news")) {
        if (parsed.Has("--in")) {
            return context.Fail("--in does not apply to --news", kExitUsage);
        }
        return SearchNewsService(context, parsed, keyword);
    }
    if (parsed.Has("--count")) {
        return context.Fail("--count applies to --news only", kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    CRssStore& store = session.Store();
    bool allChannels = true;
    NodeId scope = kNoNode;
    FeedIdList feeds;
    if (parsed.Has("--in")) {
        bool top = false;
        std::string error;
        scope = session.Resolve(*parsed.Value("--in"), true, top, error);
        if (scope == kNoNode && !top) {
            return context.Fail(error, kExitUsage);
        }
        allChannels = top;
    }
    // Channel paths by feed_id, for the results and for the scope.
    std::map<int, std::string> paths;
    FeedIdList known;
    if (!session.KnownFeedIds(kNoNode, known)) {
        return context.Fail("cannot read the feed store: " + store.GetLastError());
    }
    for (const auto& [handle, feedId] : known) {
        paths.emplace(feedId, session.PathText(static_cast<NodeId>(handle)));
        if (!allChannels && session.Tree().IsInSubtree(static_cast<NodeId>(handle), scope)) {
            feeds.emplace_back(handle, feedId);
        }
    }
    SearchResult result;
    if (!store.SearchItems(keyword, result.items, feeds, allChannels,
                           !parsed.Has("--title-only"))) {
        return context.Fail("cannot search: " + store.GetLastError());
    }
    if (result.items.empty()) {
        context.messages.ShowMessageBox(kNoSearchResults);
        return kExitOk;
    }
    const int count = static_cast<int>(result.items.size());
    ApplyHeading(result, allChannels ? AllChannelsSearchHeading(count, keyword)
                                     : LocalSearchHeading(count, keyword,
                                                          session.Tree().PathCaption(scope)));
    context.out.Note(result.heading);
    for (const RssItem& item : result.items) {
        context.out.Write(ItemRecord(item, paths[item.channelId]));
    }
    return kExitOk;
}

int RunClean(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--days").Flag("--include-unread");
    if (!parsed.Parse(args)) {
        return context.Fail(parsed.Error() + " (see zirvo-cli clean --help)", kExitUsage);
    }
    const std::optional<std::string> daysText = parsed.Value("--days");
    if (!daysText || parsed.Positionals().empty()) {
        return context.Fail("give --days N and one or more PATHs (see zirvo-cli clean --help)",
                            kExitUsage);
    }
    int days = 0;
    const SettingsCheck check = CheckCleaningDays(*daysText, days);
    if (!check.ok) {
        return context.Fail("--days: " + check.message, kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    std::vector<NodeId> ticked;
    for (const std::string& path : parsed.Positionals()) {
        bool top = false;
        std::string error;
        const NodeId id = session.Resolve(path, true, top, error);
        if (id == kNoNode && !top) {
            return context.Fail(error, kExitUsage);
        }
        for (NodeId channel : session.Tree().SubtreeChannels(top ? kNoNode : id)) {
            ticked.push_back(channel);
        }
    }
    const CleaningResult result = FinishCleaning(session.Tree(), ticked, days,
                                                 parsed.Has("--include-unread"), session.Store());
    if (result.stay) {
        return context.Fail(result.message, kExitUsage);
    }
    for (const CleanedChannel& cleaned : result.channels) {
        context.out.Write({{"feed_id", std::to_string(cleaned.feedId)},
                           {"path", session.PathText(cleaned.node)},
                           {"removed", std::to_string(cleaned.removed)},
                           {"items", std::to_string(cleaned.total)},
                           {"unread", std::to_string(cleaned.unread)}});
    }
    if (!result.ok) {
        return context.Fail(result.message + " " + result.error);
    }
    context.out.Note(StrFormat("%s removed %d item%s from %zu channel%s", result.message.c_str(),
                               result.removed, result.removed == 1 ? "" : "s",
                               result.channels.size(), result.channels.size() == 1 ? "" : "s"));
    return kExitOk;
}

const CliCommandRegistrar kSearch(
    {"search", "search the stored items by keyword",
     "usage: zirvo-cli search KEYWORD [--title-only] [--in PATH]\n"
     "       zirvo-cli search KEYWORD --news [--count 10|20|50|100] [--title-only]\n\n"
     "Items whose title or description (only the title with --title-only) contains KEYWORD,\n"
     "newest first, in every channel or only below PATH. In KEYWORD, % and _ stand for any\n"
     "text and any one character. The heading comes first, then one item a line:\n"
     "  id feed_id channel date state author title\n"
     "--news asks the news search service (/app/rss/newssearchurl) instead; its results are\n"
     "kept until the next news search, with ids for `show --news` and `fav add --news`.",
     RunSearch});

const CliCommandRegistrar kClean(
    {"clean", "delete old items of channels",
     "usage: zirvo-cli clean --days N [--include-unread] PATH...\n\n"
     "Deletes the read items of the channels below each PATH (\"/\": every channel) dated\n"
     "more than N days ago; N = 0 deletes all their read items. --include-unread deletes\n"
     "unread items as well. N is a whole number from 0 to 365. The unread counts of the\n"
     "cleaned channels are recounted. Prints per channel: feed_id path removed items unread.",
     RunClean});

}  // namespace
}  // namespace zirvo::cli
