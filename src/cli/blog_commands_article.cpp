// Article commands over the local library: article new | list | show | edit | move | copy |
// delete. Saving follows the editor's rules (content required, titles cut to 50 bytes, no title
// or category for Blogger accounts); deleting, copying and moving follow the article list's.

#include "blog_cli_support.h"
#include "cli_command.h"
#include "core/blogapi/post_dates.h"
#include "core/db/sqlite_exception.h"
#include "core/editorlink/editor_program.h"
#include "core/editorlink/editor_task.h"
#include "core/publishing/article_operations.h"
#include "core/publishing/remote_edit.h"
#include "core/util/files.h"
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
// its document; a CliError says why it cannot.
void CollectDocument(CliContext& context, const CCommandLine& parsed, const std::string& flavour,
                     BlogArticle& article) {
    if (auto file = parsed.Value("--content-file")) {
        std::string error;
        if (!ReadInputText(*file, article.content, error)) {
            throw CliError(error);
        }
    }
    if (IsEmptyContent(article.content)) {
        context.messages.ShowMessageBox(kTextNoContent);
        throw CliError::Reported();
    }
    if (flavour == "Blogger") {
        if (parsed.Has("--title") || parsed.Has("--category")) {
            context.out.Warn(kTextBloggerHasNoTitle);
        }
    } else {
        article.title = parsed.ValueOr("--title", article.title);
        article.category = parsed.ValueOr("--category", article.category);
    }
    const std::string whole = article.title;
    article.title = CutToGb18030Bytes(whole, kMaxTitleBytes);
    if (article.title != whole) {
        context.out.Warn(StrFormat("the title is longer than %zu bytes; kept: '", kMaxTitleBytes) +
                         article.title + "'");
    }
}

void RunNew(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    const std::string account = *parsed.Value("--account");
    std::string flavour;
    if (!session.AccountFlavour(account, flavour)) {
        throw CliError::Reported();
    }
    BlogArticle article;
    if (auto date = parsed.Value("--date")) {
        PostTime when;
        if (!ParsePostDate(*date, when)) {
            throw BlogUsageError(kCommand,
                                 "--date \"" + *date + "\" is not a date (2006-05-01 08:30:00)");
        }
        article.pubDate = StrFormat("%d-%.2d-%.2d %.2d:%.2d:%.2d", when.year, when.month, when.day,
                                    when.hour, when.minute, when.second);
    }
    CollectDocument(context, parsed, flavour, article);
    CBlogStore& store = session.Store();
    try {
        store.AddArticleWithGuid(kBlogFolderDrafts, account, "", article.title, article.category,
                                 article.content, article.pubDate);
    } catch (const CppSQLite3Exception& e) {
        throw CliError(std::string("cannot save the draft: ") + e.ErrorMessage());
    }
    context.out.Write({{"id", store.LastInsertId()}});
}

void RunList(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    const std::string account = *parsed.Value("--account");
    const int folder = ParseFolder(*parsed.Value("--folder"));
    if (folder == 0) {
        throw BlogUsageError(kCommand, "--folder is received, published, drafts or recycle");
    }
    std::string flavour;
    if (!session.AccountFlavour(account, flavour)) {
        throw CliError::Reported();
    }
    BlogArticleList articles;
    if (!session.Store().ListArticles(folder, account, articles, 9999, 0)) {
        throw CliError("cannot read the article store: " + session.Store().GetLastError());
    }
    for (const BlogArticle& article : articles) {
        context.out.Write(ArticleRecord(article, account, folder));
    }
}

void RunShow(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    const std::vector<ArticleOwner> owners = LocateOneList(session, kCommand, parsed.Positionals());
    BlogArticle article;
    if (!session.Store().GetArticle(owners[0].id, article)) {
        throw CliError(session.Store().GetLastError());
    }
    context.out.Write(ArticleRecord(article, owners[0].account, owners[0].folder, true));
}

void RunEdit(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    const std::vector<ArticleOwner> owners = LocateOneList(session, kCommand, parsed.Positionals());
    const ArticleOwner& owner = owners[0];
    std::string flavour;
    if (!session.AccountFlavour(owner.account, flavour)) {
        throw CliError::Reported();
    }
    BlogArticle article;
    if (!session.Store().GetArticle(owner.id, article)) {
        throw CliError(session.Store().GetLastError());
    }
    CollectDocument(context, parsed, flavour, article);
    if (parsed.Has("--remote")) {
        if (owner.folder != kBlogFolderReceived && owner.folder != kBlogFolderPublished) {
            throw BlogUsageError(kCommand, "--remote edits received or published articles only");
        }
        if (!EditPublishedArticle(session.Environment(), owner.account, owner.id, article.title,
                                  article.category, article.content)) {
            throw CliError::Reported();
        }
    } else if (!session.Store().UpdateArticleText(owner.id, article.title, article.category,
                                                  article.content)) {
        throw CliError("cannot save the article: " + session.Store().GetLastError());
    }
    session.Store().GetArticle(owner.id, article);
    context.out.Write(ArticleRecord(article, owner.account, owner.folder));
}

void RunTransfer(CliContext& context, CBlogSession& session, const CCommandLine& parsed,
                 TransferKind kind) {
    const std::vector<ArticleOwner> owners = LocateOneList(session, kCommand, parsed.Positionals());
    const std::string& account = owners[0].account;
    const int listFolder = owners[0].folder;
    const std::string target = parsed.ValueOr("--to-account", account);
    const int targetFolder = ParseFolder(*parsed.Value("--to-folder"));
    std::string flavour;
    if (!session.AccountFlavour(target, flavour)) {
        throw CliError::Reported();
    }
    if (!IsTransferTarget(account, listFolder, target, targetFolder)) {
        throw BlogUsageError(kCommand,
                             "the target is the drafts or the recycle bin of an account, other "
                             "than the articles' own folder");
    }
    if (kind == TransferKind::kMove && listFolder == kBlogFolderReceived) {
        throw CliError("received articles are copied, not moved");
    }
    std::string error;
    const int done = TransferArticles(session.Store(), kind, listFolder, IdsOf(owners), target,
                                      targetFolder, error);
    context.out.Note(StrFormat("%d of %d articles %s to ", done, static_cast<int>(owners.size()),
                               kind == TransferKind::kCopy ? "copied" : "moved") +
                     target + " " + FolderWord(targetFolder));
    if (done < static_cast<int>(owners.size())) {
        throw CliError("stopped at article " + std::to_string(owners[done].id) + ": " + error);
    }
}

void RunDelete(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    std::vector<ArticleOwner> owners;
    std::string error;
    bool usage = false;
    if (!session.LocateArticles(parsed.Positionals(), owners, error, usage)) {
        if (usage) {
            throw BlogUsageError(kCommand, error);
        }
        throw CliError(error);
    }
    int failures = 0;
    for (const ArticleOwner& owner : owners) {
        std::vector<int> failed =
            DeleteArticlesLocally(session.Store(), owner.account, owner.folder, {owner.id});
        if (!failed.empty()) {
            ++failures;
            context.out.Write({{"id", owner.id},
                               {"account", owner.account},
                               {"ok", false},
                               {"error", "cannot delete article " + std::to_string(owner.id) +
                                             ": " + session.Store().GetLastError()}});
            continue;
        }
        context.out.Write(
            {{"id", owner.id},
             {"account", owner.account},
             {"ok", true},
             {"result", owner.folder == kBlogFolderRecycleBin ? "removed" : "recycled"}});
    }
    if (failures) {
        throw CliError(StrFormat("%d of %zu articles not deleted", failures, owners.size()));
    }
}

// Hands the article to the editor the way the blog tree does: the task file, then the editor.
void RunOpen(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    const std::vector<ArticleOwner> owners = LocateOneList(session, kCommand, parsed.Positionals());
    const ArticleOwner& owner = owners[0];
    const std::string program = FindEditorProgram(RunningExecutableDir());
    if (program.empty()) {
        throw CliError(std::string(kTextEditorMissing) +
                       " (set ZIRVO_EDITOR to the editor's path)");
    }
    std::vector<std::string> accounts;
    if (!session.Registry().ListAccountNames(accounts)) {
        throw CliError::Reported();
    }
    const std::string taskPath = EditorTaskPath(context.root.Dir());
    if (!WriteArticleTask(taskPath, owner.folder, std::to_string(owner.id), owner.account,
                          accounts)) {
        throw CliError("cannot write the hand-over file " + taskPath);
    }
    std::string error;
    if (!StartEditorProgram(program, context.root.Dir(), error)) {
        RemoveFile(taskPath);
        throw CliError("cannot start the editor: " + error);
    }
    context.out.Write({{"id", FieldValue(owner.id)},
                       {"account", FieldValue(owner.account)},
                       {"editor", FieldValue(program)}});
}

void RunArticle(CliContext& context, const CCommandLine& parsed) {
    const std::string sub = parsed.Chosen();
    const CCommandLine& line = parsed.Child(sub);
    CBlogSession session(context);
    session.Open();
    if (sub == "new") {
        RunNew(context, session, line);
    } else if (sub == "list") {
        RunList(context, session, line);
    } else if (sub == "show") {
        RunShow(context, session, line);
    } else if (sub == "edit") {
        RunEdit(context, session, line);
    } else if (sub == "open") {
        RunOpen(context, session, line);
    } else if (sub == "move") {
        RunTransfer(context, session, line, TransferKind::kMove);
    } else if (sub == "copy") {
        RunTransfer(context, session, line, TransferKind::kCopy);
    } else {
        RunDelete(context, session, line);
    }
}

const std::vector<std::string> kFolderWords = {"received", "published", "drafts", "recycle"};

void DefineTransfer(CCommandLine& cmd, const char* verb) {
    cmd.Positionals("ID", "articles of one list", 1, -1)
        .Choice("--to-folder", {"drafts", "recycle"}, "the target folder")
        .MustHave("--to-folder")
        .Option("--to-account", "NAME", "the target account (default: the articles' own)")
        .Examples(
            {{std::string("zirvo-cli article ") + verb + " 3 4 --to-folder drafts",
              std::string(verb) + " two articles to the drafts"},
             {std::string("zirvo-cli article ") + verb + " 3 --to-folder drafts --to-account work",
              "to another account's drafts"}});
}

const CliCommandRegistrar kArticle({
    "article",
    "articles of the blog library: new, list, show, edit, open, move, copy, delete",
    [](CCommandLine& cmd) {
        cmd.Sub("new", "save a draft and print its id")
            .Required("--account", "NAME", "the account")
            .Required("--content-file", "FILE", "the HTML content (\"-\": standard input)")
            .Option("--title", "TEXT", "the title (cut to 50 bytes, with a warning)")
            .Option("--category", "TEXT", "the category")
            .Option("--date", "DATE", "\"%Y-%m-%d %H:%M:%S\" (default: now)")
            .Description("Blogger accounts keep no title or category.")
            .Examples(
                {{"zirvo-cli article new --account home --title Hello --content-file post.html",
                  "a draft from a file"},
                 {"echo '<p>Hi</p>' | zirvo-cli article new --account home --content-file -",
                  "a draft from standard input"}});
        cmd.Sub("list",
                "the articles of one folder: id account folder date server_id category title")
            .Required("--account", "NAME", "the account")
            .Choice("--folder", kFolderWords, "the folder")
            .MustHave("--folder")
            .Examples({{"zirvo-cli article list --account home --folder drafts", "the drafts"},
                       {"zirvo-cli article list --account home --folder published",
                        "what was published"}});
        cmd.Sub("show", "one article with its content")
            .Positionals("ID", "the article", 1, 1)
            .Examples({{"zirvo-cli article show 3", "article 3"},
                       {"zirvo-cli --json article show 3", "as JSON"}});
        cmd.Sub("edit", "change an article's text")
            .Positionals("ID", "the article", 1, 1)
            .Option("--title", "TEXT", "a new title (cut to 50 bytes, with a warning)")
            .Option("--category", "TEXT", "a new category")
            .Option("--content-file", "FILE", "new HTML content (\"-\": standard input)")
            .Flag("--remote", "change the post on the server first, locally only when it took it")
            .Examples({{"zirvo-cli article edit 3 --title 'Better title'", "retitle a draft"},
                       {"zirvo-cli article edit 5 --content-file new.html --remote",
                        "change a published post on the server"}});
        cmd.Sub("open", "open an article in the editor program")
            .Positionals("ID", "the article", 1, 1)
            .Description(
                "Writes the editor's task as the blog tree does and starts the editor "
                "(beside zirvo-cli, or $ZIRVO_EDITOR) on the same data root.")
            .Examples({{"zirvo-cli article open 3", "edit article 3 in the editor"},
                       {"ZIRVO_EDITOR=/opt/zirvo/editor zirvo-cli article open 3",
                        "with an editor that is not beside zirvo-cli"}});
        DefineTransfer(cmd.Sub("move", "move articles of one list (not received ones)"), "move");
        DefineTransfer(cmd.Sub("copy", "copy articles of one list"), "copy");
        cmd.Sub("delete", "move articles to the recycle bin, remove those already there")
            .Positionals("ID", "the articles", 1, -1)
            .Examples({{"zirvo-cli article delete 3", "to the recycle bin"},
                       {"zirvo-cli article delete 3 4 5", "three at once"}});
        cmd.Examples({{"zirvo-cli article list --account home --folder drafts", "the drafts"},
                      {"zirvo-cli article new --help", "how to write one"}});
    },
    RunArticle,
});

}  // namespace
}  // namespace zirvo::cli
