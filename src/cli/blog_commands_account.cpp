// Blog account commands: account add | list | show | set | delete. Every check of the
// new-account wizard and of the settings sheet applies, with the same messages; passwords are
// read from standard input so that they never show in a process list.

#include <algorithm>

#include "blog_cli_support.h"
#include "cli_command.h"
#include "core/accounts/account_endpoint.h"
#include "core/accounts/account_messages.h"
#include "core/accounts/account_removal.h"
#include "core/accounts/account_rules.h"
#include "core/accounts/new_account_wizard.h"
#include "core/accounts/permission_list.h"
#include "core/blogapi/connection_settings.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/util/strings.h"

namespace zirvo::cli {
namespace {

constexpr const char* kCommand = "account";

bool OneOf(const std::string& value, const char* const* list, size_t count) {
    return std::find(list, list + count, value) != list + count;
}

std::string ListText(const char* const* list, size_t count) {
    std::vector<std::string> items(list, list + count);
    return "\"" + Join(items, "\", \"") + "\"";
}

void CheckApiAndEncoding(const CCommandLine& parsed) {
    if (auto api = parsed.Value("--api");
        api && !OneOf(*api, kWizardApiTypes, std::size(kWizardApiTypes))) {
        parsed.UsageFail("--api is one of " +
                         ListText(kWizardApiTypes, std::size(kWizardApiTypes)));
    }
    if (auto encoding = parsed.Value("--encoding");
        encoding && !OneOf(*encoding, kWizardEncodings, std::size(kWizardEncodings))) {
        parsed.UsageFail("--encoding is one of " +
                         ListText(kWizardEncodings, std::size(kWizardEncodings)));
    }
}

// A blog address is refused like a feed address: it must say http:// or https://.
void CheckAddressScheme(const CCommandLine& parsed) {
    const std::optional<std::string> url = parsed.Value("--url");
    if (!url || url->empty()) {
        return;
    }
    if (url->find("://") == std::string::npos) {
        parsed.UsageFail("--url '" + *url + "' has no scheme: write http://" + *url);
    }
    if (!StartsWith(*url, "http://") && !StartsWith(*url, "https://")) {
        parsed.UsageFail("--url '" + *url + "' is not an http:// or https:// address");
    }
}

// "no account 'NAME'" before the registry's numbered message, which does not name it.
void RequireAccount(CBlogSession& session, const std::string& name) {
    std::vector<std::string> names;
    if (session.Registry().ListAccountNames(names) &&
        std::find(names.begin(), names.end(), name) == names.end()) {
        throw CliError("no account '" + name + "'");
    }
}

[[noreturn]] void Refuse(CliContext& context, const RuleResult& result) {
    context.messages.ShowMessageBox(result.message);
    throw CliError::Reported();
}

void RunAdd(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    CheckApiAndEncoding(parsed);
    CheckAddressScheme(parsed);
    if (!parsed.Has("--url") && parsed.ValueOr("--api", "") != kApiMsnSpaces) {
        parsed.UsageFail("--url is required (only \"MSN Spaces\" has a fixed address)");
    }
    // The wizard's record, filled as its pages would fill it.
    WizardRecord record;
    record.name = parsed.ValueOr("--name", "");
    record.description = parsed.ValueOr("--description", "");
    record.apiType = parsed.ValueOr("--api", record.apiType);
    record.encodeType = parsed.ValueOr("--encoding", record.encodeType);
    ActivateEndpointPage(record);
    if (auto url = parsed.Value("--url")) {
        SetEndpointText(record, *url);
    } else if (record.apiType != kApiMsnSpaces) {
        record.xmlrpcUrl.clear();
    }
    if (auto port = parsed.Value("--port")) {
        record.port = *port;
    } else if (std::string inUrl = PortWrittenIn(record.xmlrpcUrl); !inUrl.empty()) {
        // The port field replaces a port written in the address: take the one written there.
        record.port = inUrl;
    }
    record.userName = parsed.ValueOr("--user", "");
    record.blogUrl = parsed.ValueOr("--blog-url", "");
    record.password = ReadPassword("Blog password for " + record.userName + ": ");

    NewAccount account = ToNewAccount(record);
    RuleResult check = CheckNewAccount(account);
    if (!check.Ok()) {
        Refuse(context, check);
    }
    if (parsed.Has("--test")) {
        ConnectionSettings connection = session.Connection(ToBlogEndpoint(account));
        if (!TestAccountConnection(account, connection, session.Services())) {
            throw CliError("the connection test failed: account \"" + account.name +
                           "\" not added");
        }
    }
    if (!session.Registry().AddAccount(account)) {
        throw CliError::Reported();
    }
    std::vector<std::string> names;
    session.Registry().ListAccountNames(names);
    const int index = static_cast<int>(names.size()) - 1;
    context.out.Write({{"index", index},
                       {"name", account.name},
                       {"tree_code", BlogTreeCode(index, kTreeAccountNode)}});
}

void RunList(CliContext& context, CBlogSession& session, const CCommandLine&) {
    std::vector<AccountListEntry> accounts;
    if (!session.Registry().ListAccounts(accounts)) {
        throw CliError::Reported();
    }
    for (size_t i = 0; i < accounts.size(); ++i) {
        const AccountListEntry& entry = accounts[i];
        context.out.Write({{"index", i},
                           {"name", entry.name},
                           {"api", entry.apiType},
                           {"description", entry.description},
                           {"blog_url", entry.blogUrl},
                           {"login", entry.localLoginVerify}});
    }
}

void ShowAccount(CliContext& context, CBlogSession& session, const std::string& name) {
    RequireAccount(session, name);
    CAccountRegistry& registry = session.Registry();
    AccountInfo info;
    LoginSettings login;
    std::vector<std::string> relations;
    if (!registry.ReadAccount(name, info) || !registry.ReadLoginSettings(name, login) ||
        !registry.ReadRelations(name, relations)) {
        throw CliError::Reported();
    }
    Record record = {{"name", info.name},
                     {"description", info.description},
                     {"api", info.apiType},
                     {"encoding", info.encodeType},
                     {"url", info.xmlrpcUrl},
                     {"port", info.port},
                     {"user", info.userName},
                     {"blog_url", info.blogUrl},
                     {"recent", info.getRecentPostsNum},
                     {"login", login.mode},
                     {"relations", relations}};
    for (int folder = kBlogFolderReceived; folder <= kBlogFolderRecycleBin; ++folder) {
        int count = 0;
        session.Store().CountArticles(folder, name, count);
        record.push_back({FolderWord(folder), count});
    }
    context.out.Write(record);
}

void RunShow(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    ShowAccount(context, session, parsed.Positionals()[0]);
}

void RunSet(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    CheckApiAndEncoding(parsed);
    CheckAddressScheme(parsed);
    const std::string name = parsed.Positionals()[0];
    RequireAccount(session, name);
    CAccountRegistry& registry = session.Registry();
    AccountInfo info;
    if (!registry.ReadAccount(name, info)) {
        throw CliError::Reported();
    }
    // Every check first, so that a refused value leaves the whole account as it was.
    if (auto description = parsed.Value("--description")) {
        RuleResult check = CheckAccountDescription(*description);
        if (!check.Ok()) {
            Refuse(context, check);
        }
    }
    if (auto recent = parsed.Value("--recent")) {
        RuleResult check = CheckRecentPostsNumText(*recent);
        if (!check.Ok()) {
            Refuse(context, check);
        }
    }
    const bool connection = parsed.Has("--api") || parsed.Has("--encoding") ||
                            parsed.Has("--url") || parsed.Has("--port") || parsed.Has("--user") ||
                            parsed.Has("--blog-url") || parsed.Has("--password");
    info.apiType = parsed.ValueOr("--api", info.apiType);
    info.encodeType = parsed.ValueOr("--encoding", info.encodeType);
    info.xmlrpcUrl = parsed.ValueOr("--url", info.xmlrpcUrl);
    info.port = parsed.ValueOr("--port", info.port);
    info.userName = parsed.ValueOr("--user", info.userName);
    info.blogUrl = parsed.ValueOr("--blog-url", info.blogUrl);
    if (parsed.Has("--password")) {
        info.password = ReadPassword("New blog password for " + info.userName + ": ");
    }
    if (connection) {
        RuleResult check = CheckConnectionPage(info.xmlrpcUrl, info.userName, info.password);
        if (check.Ok()) {
            check = CheckEndpoint(info.xmlrpcUrl, info.port);
        }
        if (!check.Ok()) {
            Refuse(context, check);
        }
    }
    std::vector<std::string> relations;
    const bool setRelations = parsed.Has("--relation") || parsed.Has("--no-relations");
    if (setRelations) {
        std::vector<AccountListEntry> accounts;
        std::vector<std::string> current;
        if (!registry.ListAccounts(accounts) || !registry.ReadRelations(name, current)) {
            throw CliError::Reported();
        }
        CPermissionList permissions(name, accounts, current);
        permissions.MoveAllOut();
        for (const std::string& other : parsed.Values("--relation")) {
            auto known = std::find_if(accounts.begin(), accounts.end(),
                                      [&](const AccountListEntry& e) { return e.name == other; });
            if (known == accounts.end() || other == name) {
                throw BlogUsageError(kCommand,
                                     "\"" + other + "\" is not another registered account");
            }
            RuleResult check = permissions.MoveIn(other);
            if (!check.Ok()) {
                Refuse(context, check);
            }
        }
        relations = permissions.Relations();
    }

    if (connection && !registry.WriteAccount(name, info)) {
        throw CliError::Reported();
    }
    if (auto description = parsed.Value("--description");
        description && !registry.WriteAccountValue(name, "description", *description)) {
        throw CliError::Reported();
    }
    if (auto recent = parsed.Value("--recent");
        recent &&
        !registry.WriteAccountValue(name, "getrecentpostsnum", StrFormat("%d", ToInt(*recent)))) {
        throw CliError::Reported();
    }
    if (setRelations && !registry.WriteRelations(name, relations)) {
        throw CliError::Reported();
    }
    ShowAccount(context, session, name);
}

void RunDelete(CliContext& context, CBlogSession& session, const CCommandLine& parsed) {
    const std::string name = parsed.Positionals()[0];
    RequireAccount(session, name);
    if (!VerifyDeletePassword(session.Registry(), name,
                              ReadPassword("Blog password of " + name + ": "))) {
        throw CliError::Reported();
    }
    if (!RemoveAccount(session.Registry(), session.Store(), name)) {
        throw CliError::Reported();
    }
    context.out.Note("deleted account " + name);
}

void RunAccount(CliContext& context, const CCommandLine& parsed) {
    const std::string sub = parsed.Chosen();
    const CCommandLine& line = parsed.Child(sub);
    CBlogSession session(context);
    if (sub == "add") {
        RunAdd(context, session, line);
        return;
    }
    if (sub == "list") {
        RunList(context, session, line);
        return;
    }
    session.Open();
    if (sub == "set") {
        RunSet(context, session, line);
    } else if (sub == "show") {
        RunShow(context, session, line);
    } else {
        RunDelete(context, session, line);
    }
}

const char* const kTypeHelp = "\"MetaWeblog\", \"Blogger\", \"MSN Spaces\" or \"MovableType\"";
const char* const kEncodingHelp = "\"UTF-8\" or \"GB2312\"";

const CliCommandRegistrar kAccount({
    "account",
    "blog accounts: add, list, show, set, delete",
    [](CCommandLine& cmd) {
        cmd.Sub("add", "register a blog account")
            .Required("--name", "NAME", "the account's local name")
            .Required("--description", "TEXT", "what the account is for")
            .Option("--api", "TYPE", kTypeHelp)
            .Option("--encoding", "ENC", kEncodingHelp)
            .Option("--url", "URL", "the XML-RPC address (\"MSN Spaces\": fixed)")
            .Option("--port", "PORT", "default: the port in --url, else 443 for https, else 80")
            .Required("--user", "NAME", "the user name on the blog")
            .Option("--blog-url", "URL", "the blog's home page")
            .Flag("--test", "ask the server for the user's blogs first; add nothing if that fails")
            .Description(
                "The password is asked for without echo on a terminal, else read from standard\n"
                "input (one line). Every check of the new-account wizard applies.")
            .Examples({{"zirvo-cli account add --name home --description 'My blog' "
                        "--api MetaWeblog --url https://blog.example.org/xmlrpc.php --user me",
                        "register a MetaWeblog blog"},
                       {"echo secret | zirvo-cli account add --name b --description B "
                        "--url http://127.0.0.1:8080/RPC2 --user me --test",
                        "password from a pipe, port 8080 from the address, tested first"}});
        cmd.Sub("list", "the registered accounts: index name api description blog_url login")
            .Examples({{"zirvo-cli account list", "every account"},
                       {"zirvo-cli --json account list", "the same as JSON"}});
        cmd.Sub("show", "one account's settings and article counts")
            .Positionals("NAME", "the account", 1, 1)
            .Examples({{"zirvo-cli account show home", "the account home"},
                       {"zirvo-cli --json account show home", "as JSON"}});
        cmd.Sub("set", "change an account's settings")
            .Positionals("NAME", "the account", 1, 1)
            .Option("--description", "TEXT", "what the account is for")
            .Option("--api", "TYPE", kTypeHelp)
            .Option("--encoding", "ENC", kEncodingHelp)
            .Option("--url", "URL", "the XML-RPC address")
            .Option("--port", "PORT", "the port")
            .Option("--user", "NAME", "the user name on the blog")
            .Flag("--password", "ask for a new blog password")
            .Option("--blog-url", "URL", "the blog's home page")
            .Option("--recent", "N", "posts fetch-recent asks for, 1 to 999")
            .Repeatable("--relation", "NAME",
                        "an account this one may publish to without asking (repeatable)")
            .Flag("--no-relations", "clear that list")
            .Examples({{"zirvo-cli account set home --recent 20", "fetch 20 recent posts"},
                       {"zirvo-cli account set home --password", "a new password"},
                       {"zirvo-cli account set home --relation work", "publish to work as well"}});
        cmd.Sub("delete", "remove an account with its articles")
            .Positionals("NAME", "the account", 1, 1)
            .Description("Asks for the account's blog password (or reads it from standard input).")
            .Examples({{"zirvo-cli account delete old", "remove the account old"},
                       {"echo secret | zirvo-cli account delete old", "password from a pipe"}});
        cmd.Description(
               "Every command that talks to a blog server trusts the certificates of\n"
               "$ZIRVO_CA_FILE instead of the system's when it is set.")
            .Examples({{"zirvo-cli account list", "the registered accounts"},
                       {"zirvo-cli account add --help", "how to register one"}});
    },
    RunAccount,
});

}  // namespace
}  // namespace zirvo::cli
