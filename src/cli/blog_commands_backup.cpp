// The article backup file: export-xml writes a folder or chosen articles as the RSS 2.0 backup
// document, import-xml adds such a file's articles to an account's drafts.

#include "blog_cli_support.h"
#include "cli_args.h"
#include "cli_command.h"
#include "core/publishing/article_backup.h"
#include "core/util/files.h"

namespace zirvo::cli {
namespace {

int RunExport(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--account").Option("--folder").Option("--output").Flag("--force");
    if (!parsed.Parse(args)) {
        return BlogUsageError(context, "export-xml", parsed.Error());
    }
    const bool byFolder = parsed.Has("--folder");
    if (byFolder == !parsed.Positionals().empty() || (byFolder && !parsed.Has("--account"))) {
        return BlogUsageError(context, "export-xml",
                              "export --account NAME --folder F, or article ids");
    }
    CBlogSession session(context);
    int rc = kExitOk;
    if (!session.Open(rc)) {
        return rc;
    }
    BlogArticleList articles;
    if (byFolder) {
        const std::string account = *parsed.Value("--account");
        const int folder = ParseFolder(*parsed.Value("--folder"));
        if (folder == 0) {
            return BlogUsageError(context, "export-xml",
                                  "--folder is received, published, drafts or recycle");
        }
        std::string flavour;
        if (!session.AccountFlavour(account, flavour)) {
            return kExitFailed;
        }
        if (!session.Store().ListArticles(folder, account, articles, 9999, 0)) {
            return context.Fail("cannot read the article store: " + session.Store().GetLastError());
        }
    } else {
        std::vector<ArticleOwner> owners;
        std::string error;
        bool usage = false;
        if (!session.LocateArticles(parsed.Positionals(), owners, error, usage)) {
            return usage ? BlogUsageError(context, "export-xml", error) : context.Fail(error);
        }
        for (const ArticleOwner& owner : owners) {
            BlogArticle article;
            if (!session.Store().GetArticle(owner.id, article)) {
                return context.Fail(session.Store().GetLastError());
            }
            articles.push_back(article);
        }
    }
    if (articles.empty()) {
        return context.Fail(kTextNoArticlesToExport);
    }
    const std::string path = parsed.ValueOr("--output", DefaultBackupFileName());
    if (FileExists(path) && !parsed.Has("--force")) {
        return context.Fail(path + " exists (use --force to replace it)");
    }
    std::string error;
    if (!WriteArticleBackup(path, articles, error)) {
        return context.Fail("cannot write " + path + ": " + error);
    }
    context.out.Write({{"path", path}, {"count", std::to_string(articles.size())}});
    context.out.Note(ExportedMessage(static_cast<int>(articles.size())));
    return kExitOk;
}

int RunImport(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--account");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1 || !parsed.Has("--account")) {
        return BlogUsageError(
            context, "import-xml",
            parsed.Error().empty() ? "import-xml --account NAME FILE" : parsed.Error());
    }
    const std::string account = *parsed.Value("--account");
    CBlogSession session(context);
    int rc = kExitOk;
    std::string flavour;
    if (!session.Open(rc)) {
        return rc;
    }
    if (!session.AccountFlavour(account, flavour)) {
        return kExitFailed;
    }
    int count = 0;
    std::string error;
    if (!ImportArticleBackup(session.Store(), account, parsed.Positionals()[0], count, error)) {
        context.messages.ShowMessageBox(error);
        return kExitFailed;
    }
    context.out.Write({{"account", account}, {"count", std::to_string(count)}});
    context.out.Note(ImportedMessage(count));
    return kExitOk;
}

const CliCommandRegistrar kExport({
    "export-xml",
    "export articles as an RSS 2.0 backup file",
    "usage: zirvo-cli export-xml --account NAME --folder F [--output FILE] [--force]\n"
    "       zirvo-cli export-xml ID... [--output FILE] [--force]\n\n"
    "F is received, published, drafts or recycle. FILE defaults to the current time,\n"
    "\"%Y-%m-%d %H%M%S.xml\", in the current folder; an existing file is replaced only with\n"
    "--force.",
    RunExport,
});

const CliCommandRegistrar kImport({
    "import-xml",
    "import an RSS 2.0 backup file into an account's drafts",
    "usage: zirvo-cli import-xml --account NAME FILE\n\n"
    "Every item becomes a draft without server id; a missing category or date is stored as\n"
    "\"NULL\" (a date that cannot be read becomes the time of import).",
    RunImport,
});

}  // namespace
}  // namespace zirvo::cli
