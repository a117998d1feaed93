// The article backup file: export-xml writes a folder or chosen articles as the RSS 2.0 backup
// document, import-xml adds such a file's articles to an account's drafts.

#include "blog_cli_support.h"
#include "cli_command.h"
#include "core/publishing/article_backup.h"
#include "core/util/files.h"

namespace zirvo::cli {
namespace {

void RunExport(CliContext& context, const CCommandLine& parsed) {
    const bool byFolder = parsed.Has("--folder");
    if (byFolder == !parsed.Positionals().empty() || (byFolder && !parsed.Has("--account"))) {
        throw BlogUsageError("export-xml", "export --account NAME --folder F, or article ids");
    }
    CBlogSession session(context);
    session.Open();
    BlogArticleList articles;
    if (byFolder) {
        const std::string account = *parsed.Value("--account");
        const int folder = ParseFolder(*parsed.Value("--folder"));
        if (folder == 0) {
            throw BlogUsageError("export-xml",
                                 "--folder is received, published, drafts or recycle");
        }
        std::string flavour;
        if (!session.AccountFlavour(account, flavour)) {
            throw CliError::Reported();
        }
        if (!session.Store().ListArticles(folder, account, articles, 9999, 0)) {
            throw CliError("cannot read the article store: " + session.Store().GetLastError());
        }
    } else {
        std::vector<ArticleOwner> owners;
        std::string error;
        bool usage = false;
        if (!session.LocateArticles(parsed.Positionals(), owners, error, usage)) {
            if (usage) {
                throw BlogUsageError("export-xml", error);
            }
            throw CliError(error);
        }
        for (const ArticleOwner& owner : owners) {
            BlogArticle article;
            if (!session.Store().GetArticle(owner.id, article)) {
                throw CliError(session.Store().GetLastError());
            }
            articles.push_back(article);
        }
    }
    if (articles.empty()) {
        throw CliError(kTextNoArticlesToExport);
    }
    const std::string path = parsed.ValueOr("--output", DefaultBackupFileName());
    if (FileExists(path) && !parsed.Has("--force")) {
        throw CliError(path + " exists (use --force to replace it)");
    }
    std::string error;
    if (!WriteArticleBackup(path, articles, error)) {
        throw CliError("cannot write " + path + ": " + error);
    }
    context.out.Write({{"path", path}, {"count", articles.size()}});
    context.out.Note(ExportedMessage(static_cast<int>(articles.size())));
}

void RunImport(CliContext& context, const CCommandLine& parsed) {
    const std::string account = *parsed.Value("--account");
    CBlogSession session(context);
    std::string flavour;
    session.Open();
    if (!session.AccountFlavour(account, flavour)) {
        throw CliError::Reported();
    }
    int count = 0;
    std::string error;
    if (!ImportArticleBackup(session.Store(), account, parsed.Positionals()[0], count, error)) {
        context.messages.ShowMessageBox(error);
        throw CliError::Reported();
    }
    context.out.Write({{"account", account}, {"count", count}});
    context.out.Note(ImportedMessage(count));
}

const CliCommandRegistrar kExport({
    "export-xml",
    "export articles as an RSS 2.0 backup file",
    [](CCommandLine& cmd) {
        cmd.Positionals("ID", "articles (instead of --account and --folder)", 0, -1)
            .Option("--account", "NAME", "the account whose folder is exported")
            .Choice("--folder", {"received", "published", "drafts", "recycle"}, "the folder")
            .Option("--output", "FILE", "default: \"%Y-%m-%d %H%M%S.xml\" in the current folder")
            .Flag("--force", "replace an existing file")
            .Examples({{"zirvo-cli export-xml --account home --folder published --output pub.xml",
                        "back up what was published"},
                       {"zirvo-cli export-xml 3 4", "two articles"}});
    },
    RunExport,
});

const CliCommandRegistrar kImport({
    "import-xml",
    "import an RSS 2.0 backup file into an account's drafts",
    [](CCommandLine& cmd) {
        cmd.Positionals("FILE", "the backup file", 1, 1)
            .Required("--account", "NAME", "the account whose drafts receive the items")
            .Description(
                "Every item becomes a draft without server id; a missing category or date is\n"
                "stored as \"NULL\" (a date that cannot be read becomes the time of import).")
            .Examples({{"zirvo-cli import-xml --account home pub.xml", "restore a backup"},
                       {"zirvo-cli --json import-xml --account home pub.xml", "and print JSON"}});
    },
    RunImport,
});

}  // namespace
}  // namespace zirvo::cli
