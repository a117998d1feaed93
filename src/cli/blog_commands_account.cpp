// Blog account commands: account add | list | show | set | delete. Every check of the
// new-account wizard and of the settings sheet applies, with the same messages; passwords are
// read from standard input so that they never show in a process list.

#include <algorithm>

#include "blog_cli_support.h"
#include "cli_args.h"
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

bool CheckApiAndEncoding(CliContext& context, const CArgs& parsed, int& rc) {
    if (auto api = parsed.Value("--api");
        api && !OneOf(*api, kWizardApiTypes, std::size(kWizardApiTypes))) {
        rc = BlogUsageError(
            context, kCommand,
            "--api is one of " + ListText(kWizardApiTypes, std::size(kWizardApiTypes)));
        return false;
    }
    if (auto encoding = parsed.Value("--encoding");
        encoding && !OneOf(*encoding, kWizardEncodings, std::size(kWizardEncodings))) {
        rc = BlogUsageError(
            context, kCommand,
            "--encoding is one of " + ListText(kWizardEncodings, std::size(kWizardEncodings)));
        return false;
    }
    return true;
}

// "8080" for "http://host:8080/path"; empty when the address names no port.
std::string PortWrittenIn(const std::string& url) {
    const std::string host = SplitEndpoint(url).host;
    const size_t colon = host.rfind(':');
    if (colon == std::string::npos || host.find(']', colon) != std::string::npos) {
        return "";
    }
    const std::string digits = host.substr(colon + 1);
    long long value = 0;
    return ParseInt(digits, value) && value > 0 ? digits : "";
}

int Refuse(CliContext& context, const RuleResult& result) {
    context.messages.ShowMessageBox(result.message);
    return kExitFailed;
}

int RunAdd(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--name").Option("--description").Option("--api").Option("--encoding");
    parsed.Option("--url").Option("--port").Option("--user").Option("--blog-url").Flag("--test");
    if (!parsed.Parse(args) || !parsed.Positionals().empty()) {
        return BlogUsageError(
            context, kCommand,
            parsed.Error().empty() ? "account add takes options only" : parsed.Error());
    }
    int rc = kExitOk;
    if (!CheckApiAndEncoding(context, parsed, rc)) {
        return rc;
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
    record.password = ReadStdinLine();

    NewAccount account = ToNewAccount(record);
    RuleResult check = CheckNewAccount(account);
    if (!check.Ok()) {
        return Refuse(context, check);
    }
    if (parsed.Has("--test")) {
        ConnectionSettings connection = session.Connection(ToBlogEndpoint(account));
        if (!TestAccountConnection(account, connection, session.Services())) {
            return context.Fail("the connection test failed: account \"" + account.name +
                                "\" not added");
        }
    }
    if (!session.Registry().AddAccount(account)) {
        return kExitFailed;
    }
    std::vector<std::string> names;
    session.Registry().ListAccountNames(names);
    const int index = static_cast<int>(names.size()) - 1;
    context.out.Write({{"index", std::to_string(index)},
                       {"name", account.name},
                       {"tree_code", std::to_string(BlogTreeCode(index, kTreeAccountNode))}});
    return kExitOk;
}

int RunList(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    if (!args.empty()) {
        return BlogUsageError(context, kCommand, "account list takes no arguments");
    }
    std::vector<AccountListEntry> accounts;
    if (!session.Registry().ListAccounts(accounts)) {
        return kExitFailed;
    }
    for (size_t i = 0; i < accounts.size(); ++i) {
        const AccountListEntry& entry = accounts[i];
        context.out.Write({{"index", std::to_string(i)},
                           {"name", entry.name},
                           {"api", entry.apiType},
                           {"description", entry.description},
                           {"blog_url", entry.blogUrl},
                           {"login", std::to_string(entry.localLoginVerify)}});
    }
    return kExitOk;
}

int RunShow(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return BlogUsageError(context, kCommand, "account show NAME");
    }
    const std::string& name = args[0];
    CAccountRegistry& registry = session.Registry();
    AccountInfo info;
    LoginSettings login;
    std::vector<std::string> relations;
    if (!registry.ReadAccount(name, info) || !registry.ReadLoginSettings(name, login) ||
        !registry.ReadRelations(name, relations)) {
        return kExitFailed;
    }
    Record record = {{"name", info.name},
                     {"description", info.description},
                     {"api", info.apiType},
                     {"encoding", info.encodeType},
                     {"url", info.xmlrpcUrl},
                     {"port", info.port},
                     {"user", info.userName},
                     {"blog_url", info.blogUrl},
                     {"recent", std::to_string(info.getRecentPostsNum)},
                     {"login", std::to_string(login.mode)},
                     {"relations", Join(relations, ",")}};
    for (int folder = kBlogFolderReceived; folder <= kBlogFolderRecycleBin; ++folder) {
        int count = 0;
        session.Store().CountArticles(folder, name, count);
        record.push_back({FolderWord(folder), std::to_string(count)});
    }
    context.out.Write(record);
    return kExitOk;
}

int RunSet(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--description").Option("--api").Option("--encoding").Option("--url");
    parsed.Option("--port").Option("--user").Option("--blog-url").Option("--recent");
    parsed.Option("--relation", true).Flag("--no-relations").Flag("--password");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return BlogUsageError(
            context, kCommand,
            parsed.Error().empty() ? "account set NAME [options]" : parsed.Error());
    }
    int rc = kExitOk;
    if (!CheckApiAndEncoding(context, parsed, rc)) {
        return rc;
    }
    const std::string name = parsed.Positionals()[0];
    CAccountRegistry& registry = session.Registry();
    AccountInfo info;
    if (!registry.ReadAccount(name, info)) {
        return kExitFailed;
    }
    // Every check first, so that a refused value leaves the whole account as it was.
    if (auto description = parsed.Value("--description")) {
        RuleResult check = CheckAccountDescription(*description);
        if (!check.Ok()) {
            return Refuse(context, check);
        }
    }
    if (auto recent = parsed.Value("--recent")) {
        RuleResult check = CheckRecentPostsNumText(*recent);
        if (!check.Ok()) {
            return Refuse(context, check);
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
        info.password = ReadStdinLine();
    }
    if (connection) {
        RuleResult check = CheckConnectionPage(info.xmlrpcUrl, info.userName, info.password);
        if (check.Ok()) {
            check = CheckEndpoint(info.xmlrpcUrl, info.port);
        }
        if (!check.Ok()) {
            return Refuse(context, check);
        }
    }
    std::vector<std::string> relations;
    const bool setRelations = parsed.Has("--relation") || parsed.Has("--no-relations");
    if (setRelations) {
        std::vector<AccountListEntry> accounts;
        std::vector<std::string> current;
        if (!registry.ListAccounts(accounts) || !registry.ReadRelations(name, current)) {
            return kExitFailed;
        }
        CPermissionList permissions(name, accounts, current);
        permissions.MoveAllOut();
        for (const std::string& other : parsed.Values("--relation")) {
            auto known = std::find_if(accounts.begin(), accounts.end(),
                                      [&](const AccountListEntry& e) { return e.name == other; });
            if (known == accounts.end() || other == name) {
                return BlogUsageError(context, kCommand,
                                      "\"" + other + "\" is not another registered account");
            }
            RuleResult check = permissions.MoveIn(other);
            if (!check.Ok()) {
                return Refuse(context, check);
            }
        }
        relations = permissions.Relations();
    }

    if (connection && !registry.WriteAccount(name, info)) {
        return kExitFailed;
    }
    if (auto description = parsed.Value("--description");
        description && !registry.WriteAccountValue(name, "description", *description)) {
        return kExitFailed;
    }
    if (auto recent = parsed.Value("--recent");
        recent &&
        !registry.WriteAccountValue(name, "getrecentpostsnum", StrFormat("%d", ToInt(*recent)))) {
        return kExitFailed;
    }
    if (setRelations && !registry.WriteRelations(name, relations)) {
        return kExitFailed;
    }
    return RunShow(context, session, {name});
}

int RunDelete(CliContext& context, CBlogSession& session, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return BlogUsageError(context, kCommand, "account delete NAME (blog password on stdin)");
    }
    const std::string& name = args[0];
    if (!VerifyDeletePassword(session.Registry(), name, ReadStdinLine())) {
        return kExitFailed;
    }
    std::lock_guard lock(session.StoreMutex());
    if (!RemoveAccount(session.Registry(), session.Store(), name)) {
        return kExitFailed;
    }
    context.out.Note("deleted account " + name);
    return kExitOk;
}

int RunAccount(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty()) {
        return BlogUsageError(context, kCommand, "name a sub-command");
    }
    const std::string sub = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    CBlogSession session(context);
    int rc = kExitOk;
    if (sub == "add") {
        return RunAdd(context, session, rest);
    }
    if (sub == "list") {
        return RunList(context, session, rest);
    }
    if (sub != "show" && sub != "set" && sub != "delete") {
        return BlogUsageError(context, kCommand, "unknown sub-command \"" + sub + "\"");
    }
    if (!session.Open(rc)) {
        return rc;
    }
    if (sub == "set") {
        return RunSet(context, session, rest);
    }
    return sub == "show" ? RunShow(context, session, rest) : RunDelete(context, session, rest);
}

const CliCommandRegistrar kAccount({
    "account",
    "blog accounts: add, list, show, set, delete",
    "usage: zirvo-cli account add --name N --description D --api TYPE --encoding ENC\n"
    "                             --url URL [--port P] --user U [--blog-url URL] [--test]\n"
    "       zirvo-cli account list\n"
    "       zirvo-cli account show NAME\n"
    "       zirvo-cli account set NAME [--description D] [--api TYPE] [--encoding ENC]\n"
    "                             [--url URL] [--port P] [--user U] [--password]\n"
    "                             [--blog-url URL] [--recent N] [--relation NAME...]\n"
    "                             [--no-relations]\n"
    "       zirvo-cli account delete NAME\n\n"
    "add: the password is read from standard input (one line). TYPE is \"MetaWeblog\",\n"
    "\"Blogger\", \"MSN Spaces\" or \"MovableType\"; ENC is \"UTF-8\" or \"GB2312\". Every check "
    "of\n"
    "the new-account wizard applies. The port defaults to 443 for https addresses, else 80;\n"
    "\"MSN Spaces\" takes its fixed secure address. --test first asks the server for the\n"
    "user's blogs and adds nothing when that fails.\n"
    "set: --password reads the new blog password from standard input; --relation names an\n"
    "account this one may publish to without asking (repeat it; --no-relations clears the list;\n"
    "an account protected by a local login cannot be added here). --recent is 1 to 999.\n"
    "delete: the account's blog password is read from standard input; the account's articles\n"
    "are removed with it.\n"
    "Every command that talks to a blog server trusts the certificates of $ZIRVO_CA_FILE\n"
    "instead of the system's when it is set (a blog behind a private certificate authority).",
    RunAccount,
});

}  // namespace
}  // namespace zirvo::cli
