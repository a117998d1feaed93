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

int RunConfig(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 2) {
        return context.Fail("give at most KEY and VALUE (see zirvo-cli config --help)", kExitUsage);
    }
    std::string key;
    if (!args.empty() && !NormaliseConfigKey(args[0], key)) {
        return context.Fail("\"" + args[0] + "\" is not a setting's path", kExitUsage);
    }
    if (args.size() == 2) {
        const ConfigWrite write = WriteConfigValue(context.appConfig, key, args[1]);
        if (!write.check.ok) {
            return context.Fail(write.check.message, kExitUsage);
        }
        if (!write.written) {
            return kExitFailed;
        }
        context.out.Write({{"key", key}, {"value", write.stored}});
        return kExitOk;
    }
    std::vector<std::pair<std::string, std::string>> values;
    if (!ReadConfigValues(context.appConfig, key, values)) {
        return kExitFailed;
    }
    for (const auto& [name, value] : values) {
        context.out.Write({{"key", name}, {"value", value}});
    }
    return kExitOk;
}

const CliCommandRegistrar kConfig(
    {"config", "show or change the settings of config/appConfig.xml",
     "usage: zirvo-cli config [KEY [VALUE]]\n\n"
     "KEY is a setting's path below /app/ (rss/paginationnum, proxy/port, outbarmode;\n"
     "/app/rss/paginationnum names the same). Without KEY every setting is printed, one a\n"
     "line: key value. A KEY that names a group (rss, proxy) prints the settings below it.\n"
     "With VALUE the setting is checked as its settings page checks it and written:\n"
     "  rss/autoreceivetime 5..1440, rss/paginationnum 30..1000, rss/storagetype 1..3,\n"
     "  rss/storagenum 10..16000000, check boxes 0 or 1, colours 0..16777215,\n"
     "  proxy/port empty or 1..65535, proxy/use 1 only with a proxy/server,\n"
     "  debug/out a folder (or a path ending in /qova_debug.html).\n"
     "A refused value exits 2 with the page's message; the stored value is printed.",
     RunConfig});

// The message dialog's "转到帮助页面": the address a browser should open.
int RunHelpPage(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) {
        return context.Fail("help-page takes no arguments", kExitUsage);
    }
    const std::string address = HelpPageAddress(context.root.Dir(), CDataRoot::ShippedDataDir());
    if (address.empty()) {
        return context.Fail("no help page under " + context.root.Dir() + " or the shipped data");
    }
    context.out.Write({{"address", address}});
    return kExitOk;
}

const CliCommandRegistrar kHelpPage(
    {"help-page", "print the address of the help page",
     "usage: zirvo-cli help-page\n\n"
     "Prints the address that \"转到帮助页面\" opens (the help page under the data root,\n"
     "Data/Help/index.html, as a file:// address), e.g. for xdg-open.",
     RunHelpPage});

}  // namespace
}  // namespace zirvo::cli
