// Blog commands that talk to the server: publish, delete-remote, fetch-recent, categories,
// upload. The first three run the publishing jobs and wait for them; what the server refused
// has been printed by the client (message 4000 with the server's code and text).

#include <algorithm>

#include "blog_cli_support.h"
#include "cli_args.h"
#include "cli_command.h"
#include "core/accounts/account_endpoint.h"
#include "core/accounts/account_rules.h"
#include "core/blogapi/blog_transport.h"
#include "core/blogapi/editor_calls.h"
#include "core/editorlink/category_cache.h"
#include "core/publishing/multi_publish.h"
#include "core/util/strings.h"

namespace zirvo::cli {
namespace {

bool LocateOneList(CliContext& context, CBlogSession& session, const std::string& command,
                   const std::vector<std::string>& ids, std::vector<ArticleOwner>& owners,
                   int& rc) {
    std::string error;
    bool usage = false;
    if (!session.LocateArticles(ids, owners, error, usage)) {
        rc = usage ? BlogUsageError(context, command, error) : context.Fail(error);
        return false;
    }
    for (const ArticleOwner& owner : owners) {
        if (owner.account != owners[0].account || owner.folder != owners[0].folder) {
            rc = BlogUsageError(context, command,
                                "the articles must be of one account and one folder");
            return false;
        }
    }
    return true;
}

std::vector<int> IdsOf(const std::vector<ArticleOwner>& owners) {
    std::vector<int> ids;
    for (const ArticleOwner& owner : owners) {
        ids.push_back(owner.id);
    }
    return ids;
}

// Waits for the job and prints each article's place afterwards.
int FinishJob(CliContext& context, CBlogSession& session, int job,
              const std::vector<ArticleOwner>& owners) {
    if (job == 0) {
        return context.Fail("nothing was started");
    }
    session.Jobs().WaitAll();
    auto sent = session.Observer().SentPosts();
    for (const ArticleOwner& owner : owners) {
        std::string account;
        int folder = 0;
        bool found = false;
        session.Store().FindArticleOwner(owner.id, account, folder, found);
        BlogArticle article;
        session.Store().GetArticle(owner.id, article);
        std::string postId;
        for (const auto& post : sent) {
            if (post.articleId == owner.id) {
                postId = post.postId;
            }
        }
        context.out.Write({{"id", std::to_string(owner.id)},
                           {"account", owner.account},
                           {"folder", FolderWord(folder)},
                           {"server_id", article.guid},
                           {"sent_as", postId}});
    }
    for (int notice : session.Observer().Notices()) {
        context.out.Note(PublishNoticeText(notice));
    }
    return session.Observer().Result(job) ? kExitOk : kExitFailed;
}

int PublishToSeveral(CliContext& context, CBlogSession& session, const CArgs& parsed,
                     const ArticleOwner& owner) {
    if (owner.folder != kBlogFolderDrafts && owner.folder != kBlogFolderRecycleBin) {
        return BlogUsageError(context, "publish",
                              "--to publishes an article of the drafts or the recycle bin");
    }
    std::vector<MultiPublishRow> rows;
    if (!BuildMultiPublishRows(session.Registry(), owner.account, nullptr, rows)) {
        return kExitFailed;
    }
    const std::vector<std::string> targets = parsed.Values("--to");
    for (const std::string& target : targets) {
        auto it = std::find_if(rows.begin(), rows.end(),
                               [&](const MultiPublishRow& row) { return row.account == target; });
        if (it == rows.end()) {
            return BlogUsageError(context, "publish", "no account \"" + target + "\"");
        }
    }
    for (MultiPublishRow& row : rows) {
        row.checked = std::find(targets.begin(), targets.end(), row.account) != targets.end();
    }
    // "×" rows of protected accounts: their passwords come from standard input, one a line.
    for (const std::string& name : parsed.Values("--verify")) {
        auto it = std::find_if(rows.begin(), rows.end(),
                               [&](const MultiPublishRow& row) { return row.account == name; });
        if (it == rows.end()) {
            return BlogUsageError(context, "publish", "no account \"" + name + "\"");
        }
        RuleResult check = VerifyMultiPublishRow(session.Registry(), *it, ReadStdinLine());
        if (!check.Ok()) {
            context.messages.ShowMessageBox(check.message);
            return kExitFailed;
        }
    }
    MultiPublishRequest request;
    request.sourceAccount = owner.account;
    request.sourceFolder = owner.folder;
    request.articleId = owner.id;
    request.rows = rows;
    BlogArticle article;
    if (!session.Store().GetArticle(owner.id, article)) {
        return context.Fail(session.Store().GetLastError());
    }
    request.post = PostFromArticle(article);
    std::vector<int> jobs = session.Jobs().StartMultiPublish(request);
    if (jobs.empty()) {
        return kExitFailed;
    }
    session.Jobs().WaitAll();
    auto statuses = session.Observer().RowStatus();
    auto sent = session.Observer().SentPosts();
    bool allSent = true;
    for (int job : jobs) {
        allSent = allSent && session.Observer().Result(job) == 1;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].checked) {
            continue;
        }
        std::string postId;
        for (const auto& post : sent) {
            if (post.account == rows[i].account) {
                postId = post.postId;
            }
        }
        context.out.Write({{"account", rows[i].account},
                           {"status", statuses[static_cast<int>(i)]},
                           {"server_id", postId}});
    }
    return allSent ? kExitOk : kExitFailed;
}

int RunPublish(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--to", true).Option("--verify", true);
    if (!parsed.Parse(args)) {
        return BlogUsageError(context, "publish", parsed.Error());
    }
    CBlogSession session(context);
    int rc = kExitOk;
    std::vector<ArticleOwner> owners;
    if (!session.Open(rc) ||
        !LocateOneList(context, session, "publish", parsed.Positionals(), owners, rc)) {
        return rc;
    }
    const ArticleOwner& first = owners[0];
    if (parsed.Has("--to")) {
        if (owners.size() != 1) {
            return BlogUsageError(context, "publish", "--to takes one article");
        }
        return PublishToSeveral(context, session, parsed, first);
    }
    if (parsed.Has("--verify")) {
        return BlogUsageError(context, "publish", "--verify goes with --to");
    }
    const int job =
        owners.size() == 1
            ? session.Jobs().StartPublishArticle(first.account, first.folder, first.id)
            : session.Jobs().StartPublishArticles(first.account, first.folder, IdsOf(owners));
    return FinishJob(context, session, job, owners);
}

int RunDeleteRemote(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    if (!parsed.Parse(args)) {
        return BlogUsageError(context, "delete-remote", parsed.Error());
    }
    CBlogSession session(context);
    int rc = kExitOk;
    std::vector<ArticleOwner> owners;
    if (!session.Open(rc) ||
        !LocateOneList(context, session, "delete-remote", parsed.Positionals(), owners, rc)) {
        return rc;
    }
    const ArticleOwner& first = owners[0];
    if (first.folder != kBlogFolderReceived && first.folder != kBlogFolderPublished) {
        return BlogUsageError(context, "delete-remote",
                              "only received or published articles are on the server");
    }
    int job = 0;
    if (owners.size() == 1) {
        std::string serverId;
        if (!session.Store().GetArticleGuid(first.id, serverId)) {
            return context.Fail(session.Store().GetLastError());
        }
        job = session.Jobs().StartDeleteFromServer(first.account, first.folder, first.id, serverId);
    } else {
        job = session.Jobs().StartDeleteArticlesFromServer(first.account, first.folder,
                                                           IdsOf(owners));
    }
    return FinishJob(context, session, job, owners);
}

int RunFetchRecent(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        return BlogUsageError(context, "fetch-recent", "fetch-recent ACCOUNT [N]");
    }
    const std::string& account = args[0];
    long long count = 0;
    if (args.size() == 2 && !ParseInt(args[1], count)) {
        return BlogUsageError(context, "fetch-recent", "N is a number from 1 to 999");
    }
    CBlogSession session(context);
    int rc = kExitOk;
    std::string flavour;
    if (!session.Open(rc)) {
        return rc;
    }
    if (!session.AccountFlavour(account, flavour)) {
        return kExitFailed;
    }
    int job = 0;
    if (args.size() == 2) {
        RuleResult check = CheckRecentPostsNum(count);
        if (!check.Ok()) {
            context.messages.ShowMessageBox(check.message);
            return kExitFailed;
        }
        job = session.Jobs().StartReceiveCount(account, static_cast<int>(count));
    } else {
        job = session.Jobs().StartReceive(account);
    }
    if (job == 0) {
        return kExitFailed;
    }
    session.Jobs().WaitAll();
    if (!session.Observer().Result(job)) {
        return kExitFailed;
    }
    BlogArticleList articles;
    session.Store().ListArticles(kBlogFolderReceived, account, articles, 9999, 0);
    for (const BlogArticle& article : articles) {
        context.out.Write(ArticleRecord(article, account, kBlogFolderReceived));
    }
    context.out.Note(PublishNoticeText(kNoticeReceived));
    return kExitOk;
}

// The account's endpoint and connection; false when the account cannot be read.
bool AccountConnection(CBlogSession& session, const std::string& account, BlogEndpoint& endpoint,
                       ConnectionSettings& connection) {
    if (!ReadBlogEndpoint(session.Registry(), account, endpoint)) {
        return false;
    }
    connection = session.Connection(endpoint);
    return true;
}

int RunCategories(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Flag("--system");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return BlogUsageError(
            context, "categories",
            parsed.Error().empty() ? "categories ACCOUNT [--system]" : parsed.Error());
    }
    const std::string account = parsed.Positionals()[0];
    const bool system = parsed.Has("--system");
    CBlogSession session(context);
    BlogEndpoint endpoint;
    ConnectionSettings connection;
    if (!AccountConnection(session, account, endpoint, connection)) {
        return kExitFailed;
    }
    CategoryRefresh refresh =
        RefreshCategoryCache(context.root.Dir(), endpoint, connection, session.Services(),
                             system ? CategoryList::kSystem : CategoryList::kBlog);
    if (!refresh.movedTo.empty()) {
        context.messages.ShowMessageBox(EndpointMovedText(refresh.movedTo));
    }
    if (refresh.outcome == CategoryRefreshOutcome::kSkipped) {
        return context.Fail("the " + endpoint.apiType + " flavour has no " +
                            (system ? "system categories" : "categories"));
    }
    if (!refresh.Ok()) {
        return kExitFailed;
    }
    const std::vector<std::string>& names = refresh.names;
    for (const std::string& name : names) {
        context.out.Write({{"category", name}});
    }
    return kExitOk;
}

int RunUpload(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return BlogUsageError(context, "upload", "upload ACCOUNT FILE");
    }
    const std::string& account = args[0];
    CBlogSession session(context);
    BlogEndpoint endpoint;
    ConnectionSettings connection;
    if (!AccountConnection(session, account, endpoint, connection)) {
        return kExitFailed;
    }
    if (endpoint.apiType != "MetaWeblog") {
        return context.Fail("uploading files needs a MetaWeblog account; \"" + account + "\" is " +
                            endpoint.apiType);
    }
    UploadRecord record;
    record.fullPath = args[1];
    const size_t slash = record.fullPath.rfind('/');
    record.fileName =
        slash == std::string::npos ? record.fullPath : record.fullPath.substr(slash + 1);
    const size_t dot = record.fileName.rfind('.');
    record.extension = dot == std::string::npos ? "" : record.fileName.substr(dot + 1);
    std::string url;
    std::string movedTo;
    const bool uploaded =
        UploadFile(endpoint, connection, session.Services(), record, url, &movedTo);
    if (!movedTo.empty()) {
        context.messages.ShowMessageBox(EndpointMovedText(movedTo));
    }
    if (!uploaded) {
        return kExitFailed;
    }
    context.out.Write({{"url", url}});
    return kExitOk;
}

const CliCommandRegistrar kPublish({
    "publish",
    "publish articles to their account's blog, or one article to several accounts",
    "usage: zirvo-cli publish ID... \n"
    "       zirvo-cli publish ID --to ACCOUNT... [--verify ACCOUNT...]\n\n"
    "Sends the articles (of one account and folder) as new posts, in order; the first one the\n"
    "server refuses ends the run. Drafts and articles of the recycle bin then move to the\n"
    "published folder with their server ids; received and published articles stay where they\n"
    "are. --to (repeatable) sends one draft to each named account (at most 5): its own account\n"
    "moves the article, the others get a copy in their published folder. An account protected\n"
    "by a local login that is not in the source account's relations needs --verify ACCOUNT,\n"
    "with its password on standard input (one line each, in --verify order).\n"
    "Prints id, account, folder, server_id and sent_as per article (account, status, server_id\n"
    "per account with --to).",
    RunPublish,
});

const CliCommandRegistrar kDeleteRemote({
    "delete-remote",
    "delete posts from the blog server; the local copies go to the recycle bin",
    "usage: zirvo-cli delete-remote ID...\n\n"
    "The articles (received or published, of one account and folder) are deleted on the\n"
    "server in order, with a pause of a second after each of several; each local copy then\n"
    "goes to the recycle bin with its server id. A post the server refuses to delete ends the\n"
    "run and keeps its local copy.",
    RunDeleteRemote,
});

const CliCommandRegistrar kFetchRecent({
    "fetch-recent",
    "fetch an account's recent posts into its received folder",
    "usage: zirvo-cli fetch-recent ACCOUNT [N]\n\n"
    "N (1 to 999) is stored as the account's number of posts to fetch; without it the stored\n"
    "number is used. Posts already received are replaced; the received folder is printed.",
    RunFetchRecent,
});

const CliCommandRegistrar kCategories({
    "categories",
    "list an account's blog categories (or the service's system categories)",
    "usage: zirvo-cli categories ACCOUNT [--system]\n\n"
    "Asks the server; Blogger accounts have none, system categories are MetaWeblog's only.\n"
    "The list is also kept as the editor's category cache under Temp/.",
    RunCategories,
});

const CliCommandRegistrar kUpload({
    "upload",
    "upload a file to a MetaWeblog account's blog and print its address",
    "usage: zirvo-cli upload ACCOUNT FILE",
    RunUpload,
});

}  // namespace
}  // namespace zirvo::cli
