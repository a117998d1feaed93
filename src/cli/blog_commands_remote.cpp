// Blog commands that talk to the server: publish, delete-remote, fetch-recent, categories,
// upload. The first three run the publishing jobs and wait for them; what the server refused
// has been printed by the client (message 4000 with the server's code and text).

#include <algorithm>

#include "blog_cli_support.h"
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

// Waits for the job and prints each article's place afterwards.
void FinishJob(CliContext& context, CBlogSession& session, int job,
               const std::vector<ArticleOwner>& owners) {
    if (job == 0) {
        throw CliError("nothing was started");
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
        context.out.Write({{"id", owner.id},
                           {"account", owner.account},
                           {"folder", FolderWord(folder)},
                           {"server_id", article.guid},
                           {"sent_as", postId}});
    }
    for (int notice : session.Observer().Notices()) {
        context.out.Note(PublishNoticeText(notice));
    }
    if (!session.Observer().Result(job)) {
        // The job has shown why through the message dialog.
        throw CliError::Reported();
    }
}

void PublishToSeveral(CliContext& context, CBlogSession& session, const CCommandLine& parsed,
                      const ArticleOwner& owner) {
    if (owner.folder != kBlogFolderDrafts && owner.folder != kBlogFolderRecycleBin) {
        throw BlogUsageError("publish",
                             "--to publishes an article of the drafts or the recycle bin");
    }
    std::vector<MultiPublishRow> rows;
    if (!BuildMultiPublishRows(session.Registry(), owner.account, nullptr, rows)) {
        throw CliError::Reported();
    }
    const std::vector<std::string> targets = parsed.Values("--to");
    for (const std::string& target : targets) {
        auto it = std::find_if(rows.begin(), rows.end(),
                               [&](const MultiPublishRow& row) { return row.account == target; });
        if (it == rows.end()) {
            throw BlogUsageError("publish", "no account '" + target + "'");
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
            throw BlogUsageError("publish", "no account '" + name + "'");
        }
        RuleResult check = VerifyMultiPublishRow(session.Registry(), *it,
                                                 ReadPassword("Password of " + name + ": "));
        if (!check.Ok()) {
            context.messages.ShowMessageBox(check.message);
            throw CliError::Reported();
        }
    }
    MultiPublishRequest request;
    request.sourceAccount = owner.account;
    request.sourceFolder = static_cast<BlogFolder>(owner.folder);
    request.articleId = owner.id;
    request.rows = rows;
    BlogArticle article;
    if (!session.Store().GetArticle(owner.id, article)) {
        throw CliError(session.Store().GetLastError());
    }
    request.post = PostFromArticle(article);
    std::vector<int> jobs = session.Jobs().StartMultiPublish(request);
    if (jobs.empty()) {
        throw CliError::Reported();
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
        const std::string& status = statuses[static_cast<int>(i)];
        context.out.Write({{"account", rows[i].account},
                           {"ok", !postId.empty()},
                           {"status", status},
                           {"server_id", postId},
                           {"error", postId.empty() ? FieldValue(status) : FieldValue(nullptr)}});
    }
    if (!allSent) {
        throw CliError("not every account took the post");
    }
}

void RunPublish(CliContext& context, const CCommandLine& parsed) {
    CBlogSession session(context);
    session.Open();
    const std::vector<ArticleOwner> owners =
        LocateOneList(session, "publish", parsed.Positionals());
    const ArticleOwner& first = owners[0];
    if (parsed.Has("--to")) {
        if (owners.size() != 1) {
            throw BlogUsageError("publish", "--to takes one article");
        }
        PublishToSeveral(context, session, parsed, first);
        return;
    }
    if (parsed.Has("--verify")) {
        throw BlogUsageError("publish", "--verify goes with --to");
    }
    const auto folder = static_cast<BlogFolder>(first.folder);
    const int job = owners.size() == 1
                        ? session.Jobs().StartPublishArticle(first.account, folder, first.id)
                        : session.Jobs().StartPublishArticles(first.account, folder, IdsOf(owners));
    FinishJob(context, session, job, owners);
}

void RunDeleteRemote(CliContext& context, const CCommandLine& parsed) {
    CBlogSession session(context);
    session.Open();
    const std::vector<ArticleOwner> owners =
        LocateOneList(session, "delete-remote", parsed.Positionals());
    const ArticleOwner& first = owners[0];
    if (first.folder != kBlogFolderReceived && first.folder != kBlogFolderPublished) {
        throw BlogUsageError("delete-remote",
                             "only received or published articles are on the server");
    }
    int job = 0;
    if (owners.size() == 1) {
        std::string serverId;
        if (!session.Store().GetArticleGuid(first.id, serverId)) {
            throw CliError(session.Store().GetLastError());
        }
        job = session.Jobs().StartDeleteFromServer(
            first.account, static_cast<BlogFolder>(first.folder), first.id, serverId);
    } else {
        job = session.Jobs().StartDeleteArticlesFromServer(
            first.account, static_cast<BlogFolder>(first.folder), IdsOf(owners));
    }
    FinishJob(context, session, job, owners);
}

void RunFetchRecent(CliContext& context, const CCommandLine& parsed) {
    const std::vector<std::string> args = parsed.Positionals();
    const std::string account = args[0];
    long long count = 0;
    if (args.size() == 2 && !ParseInt(args[1], count)) {
        parsed.UsageFail("N is a number from 1 to 999");
    }
    CBlogSession session(context);
    std::string flavour;
    session.Open();
    if (!session.AccountFlavour(account, flavour)) {
        throw CliError::Reported();
    }
    int job = 0;
    if (args.size() == 2) {
        RuleResult check = CheckRecentPostsNum(count);
        if (!check.Ok()) {
            context.messages.ShowMessageBox(check.message);
            throw CliError::Reported();
        }
        job = session.Jobs().StartReceiveCount(account, static_cast<int>(count));
    } else {
        job = session.Jobs().StartReceive(account);
    }
    if (job == 0) {
        throw CliError::Reported();
    }
    session.Jobs().WaitAll();
    if (!session.Observer().Result(job)) {
        throw CliError::Reported();
    }
    BlogArticleList articles;
    session.Store().ListArticles(kBlogFolderReceived, account, articles, 9999, 0);
    for (const BlogArticle& article : articles) {
        context.out.Write(ArticleRecord(article, account, kBlogFolderReceived));
    }
    context.out.Note(PublishNoticeText(kNoticeReceived));
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

void RunCategories(CliContext& context, const CCommandLine& parsed) {
    const std::string account = parsed.Positionals()[0];
    const bool system = parsed.Has("--system");
    CBlogSession session(context);
    BlogEndpoint endpoint;
    ConnectionSettings connection;
    if (!AccountConnection(session, account, endpoint, connection)) {
        throw CliError::Reported();
    }
    CategoryRefresh refresh =
        RefreshCategoryCache(context.root.Dir(), endpoint, connection, session.Services(),
                             system ? CategoryList::kSystem : CategoryList::kBlog);
    if (!refresh.movedTo.empty()) {
        context.messages.ShowMessageBox(EndpointMovedText(refresh.movedTo));
    }
    if (refresh.outcome == CategoryRefreshOutcome::kSkipped) {
        throw CliError("the " + endpoint.apiType + " flavour has no " +
                       (system ? "system categories" : "categories"));
    }
    if (!refresh.Ok()) {
        throw CliError::Reported();
    }
    const std::vector<std::string>& names = refresh.names;
    for (const std::string& name : names) {
        context.out.Write({{"category", name}});
    }
}

void RunUpload(CliContext& context, const CCommandLine& parsed) {
    const std::vector<std::string> args = parsed.Positionals();
    const std::string account = args[0];
    CBlogSession session(context);
    BlogEndpoint endpoint;
    ConnectionSettings connection;
    if (!AccountConnection(session, account, endpoint, connection)) {
        throw CliError::Reported();
    }
    if (endpoint.apiType != "MetaWeblog") {
        throw CliError("uploading files needs a MetaWeblog account; \"" + account + "\" is " +
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
        throw CliError::Reported();
    }
    context.out.Write({{"url", url}});
}

const CliCommandRegistrar kPublish({
    "publish",
    "publish articles to their account's blog, or one article to several accounts",
    [](CCommandLine& cmd) {
        cmd.Positionals("ID", "articles of one account and folder", 1, -1)
            .Repeatable("--to", "ACCOUNT", "send one draft to each named account (at most 5)")
            .Repeatable("--verify", "ACCOUNT",
                        "an account protected by a local login: its password is asked for")
            .Description(
                "Sends the articles as new posts, in order; the first one the server refuses\n"
                "ends the run. Drafts and articles of the recycle bin then move to the published\n"
                "folder with their server ids. With --to, the article's own account moves it and\n"
                "the others get a copy in their published folder; passwords for --verify are\n"
                "asked for without echo, or read from standard input one a line.\n"
                "Prints id account folder server_id sent_as per article (with --to: account ok\n"
                "status server_id error per account).")
            .Examples({{"zirvo-cli publish 3", "publish a draft"},
                       {"zirvo-cli publish 3 --to home --to work", "to two accounts"}});
    },
    RunPublish,
});

const CliCommandRegistrar kDeleteRemote({
    "delete-remote",
    "delete posts from the blog server; the local copies go to the recycle bin",
    [](CCommandLine& cmd) {
        cmd.Positionals("ID", "received or published articles of one account and folder", 1, -1)
            .Description(
                "The posts are deleted on the server in order, with a pause of a second after\n"
                "each of several; a post the server refuses to delete ends the run and keeps its\n"
                "local copy.")
            .Examples({{"zirvo-cli delete-remote 5", "delete one post"},
                       {"zirvo-cli delete-remote 5 6", "two posts"}});
    },
    RunDeleteRemote,
});

const CliCommandRegistrar kFetchRecent({
    "fetch-recent",
    "fetch an account's recent posts into its received folder",
    [](CCommandLine& cmd) {
        cmd.Positionals("ACCOUNT", "the account", 1, 1)
            .Positionals("N", "posts to fetch, 1 to 999, kept as the account's setting", 0, 1)
            .Description("Posts already received are replaced; the received folder is printed.")
            .Examples({{"zirvo-cli fetch-recent home", "the stored number of posts"},
                       {"zirvo-cli fetch-recent home 20", "the last twenty"}});
    },
    RunFetchRecent,
});

const CliCommandRegistrar kCategories({
    "categories",
    "list an account's blog categories (or the service's system categories)",
    [](CCommandLine& cmd) {
        cmd.Positionals("ACCOUNT", "the account", 1, 1)
            .Flag("--system", "the service's system categories (MetaWeblog only)")
            .Description("The list is also kept as the editor's category cache under Temp/.")
            .Examples({{"zirvo-cli categories home", "the blog's categories"},
                       {"zirvo-cli categories home --system", "the service's"}});
    },
    RunCategories,
});

const CliCommandRegistrar kUpload({
    "upload",
    "upload a file to a MetaWeblog account's blog and print its address",
    [](CCommandLine& cmd) {
        cmd.Positionals("ACCOUNT", "a MetaWeblog account", 1, 1)
            .Positionals("FILE", "the file to upload", 1, 1)
            .Examples({{"zirvo-cli upload home photo.jpg", "upload a picture"},
                       {"zirvo-cli --json upload home notes.pdf", "and print JSON"}});
    },
    RunUpload,
});

}  // namespace
}  // namespace zirvo::cli
