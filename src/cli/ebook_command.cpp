// `zirvo-cli ebook`: a CHM e-book of a channel or folder of the subscription tree, of a
// favourite node or folder, or of a blog account's folder. The status texts of the export (the
// picture downloads, the compiler's lines) are printed as they come; the result is one record.

#include <mutex>

#include "blog_cli_support.h"
#include "cli_command.h"
#include "core/ebook/ebook_builder.h"
#include "core/ebook/ebook_rules.h"
#include "core/ebook/ebook_sources.h"
#include "core/util/strings.h"
#include "fav_session.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

// Prints each status text as lines: on stdout, or on stderr when stdout carries JSON.
class CCliEbookStatus : public IEbookStatus {
public:
    explicit CCliEbookStatus(CliContext& context) : m_context(context) {}

    void OnStatus(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const std::string& line : Split(text, '\n')) {
            std::string clean = line;
            if (!clean.empty() && clean.back() == '\r') {
                clean.pop_back();
            }
            if (clean.empty()) {
                continue;
            }
            if (m_context.out.Json()) {
                m_context.out.Note(clean);
            } else {
                m_context.out.Raw(clean + "\n");
            }
        }
    }

private:
    CliContext& m_context;
    std::mutex m_mutex;
};

constexpr const char* kFavPrefix = "fav:";
constexpr const char* kBlogPrefix = "blog:";

EbookArticles GatherFeeds(CliContext& context, const std::string& reference) {
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    bool top = false;
    std::string error;
    const NodeId id = session.Resolve(reference, true, top, error);
    if (id == kNoNode && !top) {
        throw CliError::Usage(error);
    }
    EbookArticles gathered;
    if (!GatherChannelArticles(session, id, gathered, error)) {
        throw CliError("cannot read the feed store: " + error);
    }
    return gathered;
}

EbookArticles GatherFavourites(CliContext& context, const std::string& reference) {
    CFavSession session(context);
    session.Open();
    NodeId id = kNoNode;
    std::string error;
    if (!session.Resolve(reference, true, id, error)) {
        throw CliError::Usage(error);
    }
    EbookArticles gathered;
    if (!GatherFavouriteArticles(session.Fav(), session.Store(), id, gathered, error)) {
        throw CliError("cannot read the favourites: " + error);
    }
    if (gathered.articles.empty()) {
        throw CliError(Trim(kFavouriteFolderEmpty));
    }
    return gathered;
}

EbookArticles GatherBlog(CliContext& context, const std::string& reference) {
    const size_t slash = reference.rfind('/');
    const int folder = slash == std::string::npos ? 0 : ParseFolder(reference.substr(slash + 1));
    if (slash == 0 || folder == 0) {
        throw CliError::Usage(
            "name a blog folder as blog:ACCOUNT/FOLDER, FOLDER being received, published, "
            "drafts or recycle");
    }
    const std::string account = reference.substr(0, slash);
    CBlogSession session(context);
    session.Open();
    std::string flavour;
    if (!session.AccountFlavour(account, flavour)) {
        throw CliError::Reported();
    }
    EbookArticles gathered;
    std::string error;
    if (!GatherBlogArticles(session.Store(), account, folder, gathered, error)) {
        throw CliError("cannot read the article store: " + error);
    }
    return gathered;
}

void RunEbook(CliContext& context, const CCommandLine& parsed) {
    const std::vector<std::string> words = parsed.Positionals();
    const std::string& source = words[0];
    EbookRequest request;
    EbookArticles gathered;
    if (StartsWith(source, kBlogPrefix)) {
        request.source = EbookSource::BlogArticles;
        gathered = GatherBlog(context, source.substr(std::string(kBlogPrefix).size()));
    } else {
        request.source = EbookSource::FeedItems;
        if (parsed.Has("--by-category")) {
            parsed.UsageFail("--by-category is for blog folders: feed items have no categories");
        }
        gathered = StartsWith(source, kFavPrefix)
                       ? GatherFavourites(context, source.substr(std::string(kFavPrefix).size()))
                       : GatherFeeds(context, source);
    }
    request.articles = std::move(gathered.articles);
    request.categories = std::move(gathered.categories);
    request.byCategory = parsed.Has("--by-category");
    request.downloadPictures = parsed.Has("--pictures");
    request.title = InitialEbookTitle(request.source, parsed.ValueOr("--title", ""));
    request.description = parsed.ValueOr("--description", "");
    request.outputPath = words[1];
    request.appTitle = std::string("Zirvo ") + ZIRVO_VERSION;
    const size_t articles = request.articles.size();

    CCliEbookStatus status(context);
    status.OnStatus(kEbookStatusHeader);
    CCurlHttpClient http;
    const std::atomic<bool> stop{false};
    const EbookResult result = BuildEbook(context.root, std::move(request), http, status, stop);
    if (!result.Ok()) {
        throw CliError(result.detail.empty() ? result.message
                                             : result.message + " " + result.detail);
    }
    context.out.Write({{"path", words[1]},
                       {"articles", articles},
                       {"pictures", result.picturesDownloaded},
                       {"pictures_failed", result.picturesFailed}});
    context.out.Note(result.message);
}

const CliCommandRegistrar kEbook(
    {"ebook", "make a CHM e-book of a channel, folder, favourite or blog folder",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH",
                         "a channel or folder (\"/\": every channel), fav:NODE for favourites, "
                         "blog:ACCOUNT/FOLDER for a blog folder",
                         1, 1)
             .Positionals("OUT.chm", "the e-book file to write", 1, 1)
             .Option("--title", "TEXT",
                     "the book's title (default: 我的收藏, or 我的日志 for blogs)")
             .Option("--description", "TEXT", "the text of the title page (default: the title)")
             .Flag("--by-category", "one contents folder per category (blog folders only)")
             .Flag("--pictures", "download the articles' pictures into the book")
             .Description(
                 "Writes the HTML Help project into Temp/CHMTemp below the data root (pages from\n"
                 "the templates in Data/CHMSkin) and compiles it with chmcmd (Debian package\n"
                 "fp-utils). Without chmcmd the project is written and the command fails saying\n"
                 "so. FOLDER is received, published, drafts or recycle. Progress lines go to\n"
                 "stdout, then one record: path articles pictures pictures_failed.")
             .Examples({{"zirvo-cli ebook News news.chm --pictures", "a folder with its pictures"},
                        {"zirvo-cli ebook fav:Kept kept.chm --title Kept", "a favourite node"},
                        {"zirvo-cli ebook blog:me/published mine.chm --by-category",
                         "a blog folder, one contents folder per category"}});
     },
     RunEbook});

}  // namespace
}  // namespace zirvo::cli
