// zirvo-cli config [KEY [VALUE]]: the settings of config/appConfig.xml by their paths, written
// through the settings pages' checks (see core/config/config_values.h for the rules).

#include <string>
#include <utility>
#include <vector>

#include "cli_command.h"
#include "cli_context.h"
#include "core/config/config_values.h"
#include "core/config/system_pages.h"

namespace zirvo::cli {
namespace {

void RunConfig(CliContext& context, const CCommandLine& parsed) {
    const std::vector<std::string> args = parsed.Positionals();
    std::string key;
    if (!args.empty() && !NormaliseConfigKey(args[0], key)) {
        parsed.UsageFail("'" + args[0] + "' is not a setting's path");
    }
    if (args.size() == 2) {
        const ConfigWrite write = WriteConfigValue(context.appConfig, key, args[1]);
        if (!write.check.ok) {
            throw CliError::Usage(write.check.message);
        }
        if (!write.written) {
            throw CliError::Reported();
        }
        context.out.Write({{"key", key}, {"value", write.stored}});
        return;
    }
    std::vector<std::pair<std::string, std::string>> values;
    if (!ReadConfigValues(context.appConfig, key, values)) {
        throw CliError::Reported();
    }
    for (const auto& [name, value] : values) {
        context.out.Write({{"key", name}, {"value", value}});
    }
}

const CliCommandRegistrar kConfig(
    {"config", "show or change the settings of config/appConfig.xml",
     [](CCommandLine& cmd) {
         cmd.Positionals("KEY", "a setting's path below /app/, or a group (rss, proxy)", 0, 1)
             .Positionals("VALUE", "the new value", 0, 1)
             .Description(
                 "KEY is a setting's path below /app/ (rss/paginationnum, proxy/port, outbarmode;\n"
                 "/app/rss/paginationnum names the same). Without KEY every setting is printed,\n"
                 "one a line: key value. With VALUE the setting is checked as its settings page\n"
                 "checks it and written:\n"
                 "  rss/autoreceivetime 5..1440, rss/paginationnum 30..1000, rss/storagetype "
                 "1..3,\n"
                 "  rss/storagenum 10..16000000, check boxes 0 or 1, colours 0..16777215,\n"
                 "  proxy/port empty or 1..65535, proxy/use 1 only with a proxy/server,\n"
                 "  debug/out a folder (or a path ending in /qova_debug.html).\n"
                 "A refused value exits 2 with the page's message; the stored value is printed.")
             .Examples({{"zirvo-cli config rss", "the reader's settings"},
                        {"zirvo-cli config rss/paginationnum 100", "100 items a page"}});
     },
     RunConfig});

// The message dialog's "转到帮助页面": the address a browser should open.
void RunHelpPage(CliContext& context, const CCommandLine& parsed) {
    const std::vector<std::string> args = parsed.Positionals();
    const std::string address = HelpPageAddress(context.root.Dir(), CDataRoot::ShippedDataDir());
    if (address.empty()) {
        throw CliError("no help page under " + context.root.Dir() + " or the shipped data");
    }
    context.out.Write({{"address", address}});
}

const CliCommandRegistrar kHelpPage(
    {"help-page", "print the address of the help page",
     [](CCommandLine& cmd) {
         cmd.Description(
                "Prints the address that \"转到帮助页面\" opens (the help page under the data\n"
                "root, Data/Help/index.html, as a file:// address), e.g. for xdg-open.")
             .Examples({{"zirvo-cli help-page", "print the address"},
                        {"xdg-open \"$(zirvo-cli help-page)\"", "open it in a browser"}});
     },
     RunHelpPage});

}  // namespace
}  // namespace zirvo::cli
