// Article commands over the local library: article new | list | show | edit | move | copy |
// delete. Saving follows the editor's rules (content required, titles cut to 50 bytes, no title
// or category for Blogger accounts); deleting, copying and moving follow the article list's.

#include "blog_cli_support.h"
#include "cli_args.h"
#include "cli_command.h"
#include "core/blogapi/post_dates.h"
#include "core/db/sqlite_exception.h"
#include "core/publishing/article_operations.h"
#include "core/publishing/remote_edit.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo::cli {
namespace {

constexpr const char* kCommand = "article";
// The editor's limits and texts.
constexpr size_t kMaxTitleBytes = 50;
constexpr const char* kTextNoContent = "没有输入内容!";
constexpr const char* kTextBloggerHasNoTitle = "您选择的博客服务类型不支持标题和分类";

bool IsEmptyContent(const std::string& content) {
    return content.empty() || EqualsIgnoreCaseAscii(content, "<div></div>");
}

// Reads --title, --category and --content-file into the article the way the editor collects
// its document. False after printing why.
bool CollectDocument(CliContext& context, const CArgs& parsed, const std::string& flavour,
                     BlogArticle& article, int& rc) {
    if (auto file = parsed.Value("--content-file")) {
        std::string error;
        if (!ReadInputText(*file, article.content, error)) {
            rc = context.Fail(error);
            return false;
        }
    }
    if (IsEmptyContent(article.content)) {
        context.messages.ShowMessageBox(kTextNoContent);
        rc = kExitFailed;
        return false;
    }
    if (flavour == "Blogger") {
        if (parsed.Has("--title") || parsed.Has("--category")) {
            context.out.Note(kTextBloggerHasNoTitle);
        }
    } else {
        article.title = parsed.ValueOr("--title", article.title);
        article.category = parsed.ValueOr("--category", article.category);
    }
    article.title = CutToGb18030Bytes(article.title, kMaxTitleBytes);
    return true;
}

int RunNew(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--account").Option("--title").Option("--category").Option("--date");
    parsed.Option("--content-file");
    if (!parsed.Parse(args) || !parsed.Positionals().empty() || !parsed.Has("--account") ||
        !parsed.Has("--content-file")) {
        return BlogUsageError(context, kCommand,
                              parsed.Error().empty() ? "article new needs --account and "
                                                       "--content-file"
                                                     : parsed.Error());
    }
    const std::string account = *parsed.Value("--account");
    std::string flavour;
    if (!session.AccountFlavour(account, flavour)) {
        return kExitFailed;
    }
    BlogArticle article;
    if (auto date = parsed.Value("--date")) {
        PostTime when;
        if (!ParsePostDate(*date, when)) {
            return BlogUsageError(context, kCommand,
                                  "--date \"" + *date + "\" is not a date (2006-05-01 08:30:00)");
        }
        article.pubDate = StrFormat("%d-%.2d-%.2d %.2d:%.2d:%.2d", when.year, when.month, when.day,
                                    when.hour, when.minute, when.second);
    }
    int rc = kExitOk;
    if (!CollectDocument(context, parsed, flavour, article, rc)) {
        return rc;
    }
    std::lock_guard lock(session.StoreMutex());
    CBlogStore& store = session.Store();
    try {
        store.AddArticleWithGuid(kBlogFolderDrafts, account, "", article.title, article.category,
                                 article.content, article.pubDate);
    } catch (const CppSQLite3Exception& e) {
        return context.Fail(std::string("cannot save the draft: ") + e.ErrorMessage());
    }
    context.out.Write({{"id", std::to_string(store.LastInsertId())}});
    return kExitOk;
}

int RunList(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--account").Option("--folder");
    if (!parsed.Parse(args) || !parsed.Positionals().empty() || !parsed.Has("--account") ||
        !parsed.Has("--folder")) {
        return BlogUsageError(
            context, kCommand,
            parsed.Error().empty() ? "article list needs --account and --folder" : parsed.Error());
    }
    const std::string account = *parsed.Value("--account");
    const int folder = ParseFolder(*parsed.Value("--folder"));
    if (folder == 0) {
        return BlogUsageError(context, kCommand,
                              "--folder is received, published, drafts or recycle");
    }
    std::string flavour;
    if (!session.AccountFlavour(account, flavour)) {
        return kExitFailed;
    }
    BlogArticleList articles;
    if (!session.Store().ListArticles(folder, account, articles, 9999, 0)) {
        return context.Fail("cannot read the article store: " + session.Store().GetLastError());
    }
    for (const BlogArticle& article : articles) {
        context.out.Write(ArticleRecord(article, account, folder));
    }
    return kExitOk;
}

// Locates every id; they must all be in one list (account and folder) as a selection is.
bool LocateSelection(CliContext& context, CBlogSession& session,
                     const std::vector<std::string>& ids, std::vector<ArticleOwner>& owners,
                     int& rc) {
    std::string error;
    bool usage = false;
    if (!session.LocateArticles(ids, owners, error, usage)) {
        rc = usage ? BlogUsageError(context, kCommand, error) : context.Fail(error);
        return false;
    }
    for (const ArticleOwner& owner : owners) {
        if (owner.account != owners[0].account || owner.folder != owners[0].folder) {
            rc = BlogUsageError(context, kCommand,
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

int RunShow(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return BlogUsageError(context, kCommand, "article show ID");
    }
    std::vector<ArticleOwner> owners;
    int rc = kExitOk;
    if (!LocateSelection(context, session, args, owners, rc)) {
        return rc;
    }
    BlogArticle article;
    if (!session.Store().GetArticle(owners[0].id, article)) {
        return context.Fail(session.Store().GetLastError());
    }
    context.out.Write(ArticleRecord(article, owners[0].account, owners[0].folder, true));
    return kExitOk;
}

int RunEdit(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--title").Option("--category").Option("--content-file").Flag("--remote");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return BlogUsageError(
            context, kCommand,
            parsed.Error().empty() ? "article edit ID [options]" : parsed.Error());
    }
    std::vector<ArticleOwner> owners;
    int rc = kExitOk;
    if (!LocateSelection(context, session, parsed.Positionals(), owners, rc)) {
        return rc;
    }
    const ArticleOwner& owner = owners[0];
    std::string flavour;
    if (!session.AccountFlavour(owner.account, flavour)) {
        return kExitFailed;
    }
    BlogArticle article;
    if (!session.Store().GetArticle(owner.id, article)) {
        return context.Fail(session.Store().GetLastError());
    }
    if (!CollectDocument(context, parsed, flavour, article, rc)) {
        return rc;
    }
    if (parsed.Has("--remote")) {
        if (owner.folder != kBlogFolderReceived && owner.folder != kBlogFolderPublished) {
            return BlogUsageError(context, kCommand,
                                  "--remote edits received or published articles only");
        }
        if (!EditPublishedArticle(session.Environment(), owner.account, owner.id, article.title,
                                  article.category, article.content)) {
            return kExitFailed;
        }
    } else if (!session.Store().UpdateArticleText(owner.id, article.title, article.category,
                                                  article.content)) {
        return context.Fail("cannot save the article: " + session.Store().GetLastError());
    }
    session.Store().GetArticle(owner.id, article);
    context.out.Write(ArticleRecord(article, owner.account, owner.folder));
    return kExitOk;
}

int RunTransfer(CliContext& context, CBlogSession& session, const std::vector<std::string>& args,
                TransferKind kind) {
    CArgs parsed;
    parsed.Option("--to-folder").Option("--to-account");
    if (!parsed.Parse(args) || !parsed.Has("--to-folder")) {
        return BlogUsageError(
            context, kCommand,
            parsed.Error().empty() ? "name the target with --to-folder" : parsed.Error());
    }
    std::vector<ArticleOwner> owners;
    int rc = kExitOk;
    if (!LocateSelection(context, session, parsed.Positionals(), owners, rc)) {
        return rc;
    }
    const std::string& account = owners[0].account;
    const int listFolder = owners[0].folder;
    const std::string target = parsed.ValueOr("--to-account", account);
    const int targetFolder = ParseFolder(*parsed.Value("--to-folder"));
    std::string flavour;
    if (!session.AccountFlavour(target, flavour)) {
        return kExitFailed;
    }
    if (!IsTransferTarget(account, listFolder, target, targetFolder)) {
        return BlogUsageError(context, kCommand,
                              "the target is the drafts or the recycle bin of an account, other "
                              "than the articles' own folder");
    }
    if (kind == TransferKind::kMove && listFolder == kBlogFolderReceived) {
        return context.Fail("received articles are copied, not moved");
    }
    std::string error;
    const int done = TransferArticles(session.Store(), kind, listFolder, IdsOf(owners), target,
                                      targetFolder, error);
    context.out.Note(StrFormat("%d of %d articles %s to ", done, static_cast<int>(owners.size()),
                               kind == TransferKind::kCopy ? "copied" : "moved") +
                     target + " " + FolderWord(targetFolder));
    if (done < static_cast<int>(owners.size())) {
        return context.Fail("stopped at article " + std::to_string(owners[done].id) + ": " + error);
    }
    return kExitOk;
}

int RunDelete(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    std::vector<ArticleOwner> owners;
    std::string error;
    bool usage = false;
    if (!session.LocateArticles(args, owners, error, usage)) {
        return usage ? BlogUsageError(context, kCommand, error) : context.Fail(error);
    }
    int failures = 0;
    for (const ArticleOwner& owner : owners) {
        std::vector<int> failed =
            DeleteArticlesLocally(session.Store(), owner.account, owner.folder, {owner.id});
        if (!failed.empty()) {
            ++failures;
            context.Fail("cannot delete article " + std::to_string(owner.id) + ": " +
                         session.Store().GetLastError());
            continue;
        }
        context.out.Write(
            {{"id", std::to_string(owner.id)},
             {"account", owner.account},
             {"result", owner.folder == kBlogFolderRecycleBin ? "removed" : "recycled"}});
    }
    return failures ? kExitFailed : kExitOk;
}

int RunArticle(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty()) {
        return BlogUsageError(context, kCommand, "name a sub-command");
    }
    const std::string sub = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    CBlogSession session(context);
    int rc = kExitOk;
    if (!session.Open(rc)) {
        return rc;
    }
    if (sub == "new") {
        return RunNew(context, session, rest);
    }
    if (sub == "list") {
        return RunList(context, session, rest);
    }
    if (sub == "show") {
        return RunShow(context, session, rest);
    }
    if (sub == "edit") {
        return RunEdit(context, session, rest);
    }
    if (sub == "move") {
        return RunTransfer(context, session, rest, TransferKind::kMove);
    }
    if (sub == "copy") {
        return RunTransfer(context, session, rest, TransferKind::kCopy);
    }
    if (sub == "delete") {
        return RunDelete(context, session, rest);
    }
    return BlogUsageError(context, kCommand, "unknown sub-command \"" + sub + "\"");
}

const CliCommandRegistrar kArticle({
    "article",
    "articles of the blog library: new, list, show, edit, move, copy, delete",
    "usage: zirvo-cli article new --account NAME [--title T] [--category C] [--date D]\n"
    "                             --content-file FILE|-\n"
    "       zirvo-cli article list --account NAME --folder received|published|drafts|recycle\n"
    "       zirvo-cli article show ID\n"
    "       zirvo-cli article edit ID [--title T] [--category C] [--content-file FILE|-]\n"
    "                             [--remote]\n"
    "       zirvo-cli article move ID... --to-folder drafts|recycle [--to-account NAME]\n"
    "       zirvo-cli article copy ID... --to-folder drafts|recycle [--to-account NAME]\n"
    "       zirvo-cli article delete ID...\n\n"
    "new saves a draft and prints its id; the content (HTML) is required, a title is cut to 50\n"
    "bytes, Blogger accounts keep no title or category; --date is \"%Y-%m-%d %H:%M:%S\" (default:\n"
    "now). edit changes the local text; with --remote a received or published article is\n"
    "changed on the server first, and locally only when the server took it. move and copy take\n"
    "articles of one list; received articles can be copied but not moved. delete moves\n"
    "articles to their account's recycle bin, and removes those already there.",
    RunArticle,
});

}  // namespace
}  // namespace zirvo::cli
