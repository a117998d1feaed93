// Feed-reader commands over many stored items at once: search (the local scopes of the search
// panel) and clean (removing old items of channels).

#include <map>
#include <optional>
#include <set>

#include "cli_command.h"
#include "core/feeds/feed_fetcher.h"
#include "core/receive/cleaning_wizard.h"
#include "core/receive/receive_settings_checks.h"
#include "core/search/news_search.h"
#include "core/search/rss_search.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

// The news service's side of the search: the configured address asked for the keyword, the
// answer staged under channel 0. An answer without items is no result; an unreachable service
// is a failure.
void SearchNewsService(CliContext& context, const CCommandLine& parsed,
                       const std::string& keyword) {
    const std::string count = parsed.ValueOr("--count", "10");
    if (count != "10" && count != "20" && count != "50" && count != "100") {
        throw CliError::Usage("option --count takes 10, 20, 50 or 100");
    }
    std::string address;
    if (!ReadNewsSearchAddress(context.appConfig, address)) {
        throw CliError::Reported();
    }
    const std::string url = BuildNewsSearchUrl(address, keyword, parsed.Has("--title-only"), count);
    if (url.empty()) {
        throw CliError("the news search address \"" + address +
                       "\" (/app/rss/newssearchurl) is not an http(s) address");
    }
    CRssStore store(context.root.Dir());
    if (!store.Open()) {
        throw CliError("cannot open the feed store: " + store.GetLastError());
    }
    CFeedFetcher fetcher;
    std::vector<RssItem> items;
    if (!fetcher.FetchFeed(url, items)) {
        if (fetcher.LastResult().failure == FeedFailure::NoItems) {
            context.messages.ShowMessageBox(kNoSearchResults);
            return;
        }
        throw CliError(std::string(kNoSearchResults) + " (" + fetcher.LastResult().error + ")");
    }
    SearchResult result;
    if (!StageNewsResults(store, std::move(items), keyword, result, context.messages)) {
        throw CliError("cannot keep the results: " + store.GetLastError());
    }
    context.out.Note(result.heading);
    for (const RssItem& item : result.items) {
        context.out.Write(ItemRecord(item, "news"));
    }
}

// A store upgraded from before the full-text index gets it now, with a progress line every
// tenth. The search would find the same without it, only slower; a failure is told and the
// search goes on.
void BuildPendingSearchIndex(CliContext& context, CRssStore& store) {
    int shown = -1;
    bool stopped = false;
    const bool built = BuildSearchIndex(
        store,
        [&](const SearchIndexBuild& build) {
            const int percent = build.Percent() / 10 * 10;
            if (percent != shown) {
                shown = percent;
                context.out.Note(StrFormat("building the search index: %d%%", percent));
            }
        },
        [] { return IsClosing(); }, stopped);
    if (!built && !stopped) {
        context.out.Warn("cannot build the search index: " + store.GetLastError());
    }
}

void RunSearch(CliContext& context, const CCommandLine& parsed) {
    const std::string keyword = parsed.Positionals().empty() ? "" : parsed.Positionals()[0];
    const FieldCheck check = CheckSearchKeyword(keyword);
    if (!check.ok) {
        throw CliError::Usage(check.message);
    }
    if (parsed.Has("--news")) {
        if (parsed.Has("--in")) {
            throw CliError::Usage("--in does not apply to --news");
        }
        return SearchNewsService(context, parsed, keyword);
    }
    if (parsed.Has("--count")) {
        throw CliError::Usage("--count applies to --news only");
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
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
            throw CliError::Usage(error);
        }
        allChannels = top;
    }
    // Channel paths by feed_id, for the results and for the scope.
    std::map<int, std::string> paths;
    FeedIdList known;
    if (!session.KnownFeedIds(kNoNode, known)) {
        throw CliError("cannot read the feed store: " + store.GetLastError());
    }
    for (const auto& [handle, feedId] : known) {
        paths.emplace(feedId, session.PathText(static_cast<NodeId>(handle)));
        if (!allChannels && session.Tree().IsInSubtree(static_cast<NodeId>(handle), scope)) {
            feeds.emplace_back(handle, feedId);
        }
    }
    BuildPendingSearchIndex(context, store);
    SearchResult result;
    if (!store.SearchItems(keyword, result.items, feeds, allChannels,
                           !parsed.Has("--title-only"))) {
        throw CliError("cannot search: " + store.GetLastError());
    }
    if (result.items.empty()) {
        context.messages.ShowMessageBox(kNoSearchResults);
        return;
    }
    const int count = static_cast<int>(result.items.size());
    ApplyHeading(result, allChannels ? AllChannelsSearchHeading(count, keyword)
                                     : LocalSearchHeading(count, keyword,
                                                          session.Tree().PathCaption(scope)));
    context.out.Note(result.heading);
    for (const RssItem& item : result.items) {
        context.out.Write(ItemRecord(item, paths[item.channelId]));
    }
}

void RunClean(CliContext& context, const CCommandLine& parsed) {
    const std::optional<std::string> daysText = parsed.Value("--days");
    if (!daysText) {
        parsed.UsageFail("give --days N");
    }
    int days = 0;
    const SettingsCheck check = CheckCleaningDays(*daysText, days);
    if (!check.ok) {
        throw CliError::Usage("--days: " + check.message);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    std::vector<NodeId> ticked;
    for (const std::string& path : parsed.Positionals()) {
        bool top = false;
        std::string error;
        const NodeId id = session.Resolve(path, true, top, error);
        if (id == kNoNode && !top) {
            throw CliError::Usage(error);
        }
        for (NodeId channel : session.Tree().SubtreeChannels(top ? kNoNode : id)) {
            ticked.push_back(channel);
        }
    }
    const CleaningResult result = FinishCleaning(session.Tree(), ticked, days,
                                                 parsed.Has("--include-unread"), session.Store());
    if (result.stay) {
        throw CliError::Usage(result.message);
    }
    for (const CleanedChannel& cleaned : result.channels) {
        context.out.Write({{"feed_id", cleaned.feedId},
                           {"path", session.PathText(cleaned.node)},
                           {"removed", cleaned.removed},
                           {"items", cleaned.total},
                           {"unread", cleaned.unread}});
    }
    if (!result.ok) {
        throw CliError(result.message + " " + result.error);
    }
    context.out.Note(StrFormat("%s removed %d item%s from %zu channel%s", result.message.c_str(),
                               result.removed, result.removed == 1 ? "" : "s",
                               result.channels.size(), result.channels.size() == 1 ? "" : "s"));
}

const CliCommandRegistrar kSearch(
    {"search", "search the stored items by keyword",
     [](CCommandLine& cmd) {
         cmd.Positionals("KEYWORD", "the text to look for (quote it when it has blanks)", 1, 1)
             .Flag("--title-only", "look in the titles only")
             .Option("--in", "PATH", "only the channels below PATH")
             .Flag("--news", "ask the news search service instead")
             .Choice("--count", {"10", "20", "50", "100"}, "results of a news search")
             .Description(
                 "Items whose title or description contains KEYWORD, newest first. In KEYWORD,\n"
                 "% and _ stand for any text and any one character. The heading goes to stderr,\n"
                 "then one item a line:  id feed_id channel date state author title\n"
                 "--news asks the news search service (/app/rss/newssearchurl); its results are\n"
                 "kept until the next news search, with ids for `show --news` and `fav add "
                 "--news`.")
             .Examples(
                 {{"zirvo-cli search linux", "every stored item about linux"},
                  {"zirvo-cli search 'open source' --title-only --in News", "titles below News"},
                  {"zirvo-cli search linux --news --count 20", "twenty news results"}});
     },
     RunSearch});

const CliCommandRegistrar kClean(
    {"clean", "delete old items of channels",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "channels or folders (\"/\": every channel)", 1, -1)
             .Required("--days", "N", "items dated more than N days ago (0: all read items)")
             .Flag("--include-unread", "delete unread items as well")
             .Description(
                 "N is a whole number from 0 to 365. The unread counts of the cleaned channels\n"
                 "are recounted. Prints per channel: feed_id path removed items unread.")
             .Examples(
                 {{"zirvo-cli clean --days 30 /", "read items older than a month"},
                  {"zirvo-cli clean --days 0 --include-unread News/Example", "empty one channel"}});
     },
     RunClean});

}  // namespace
}  // namespace zirvo::cli
