// zirvo-cli: the headless front end over the same core and data root as the programs.
//
//   zirvo-cli [--root DIR] [--json] COMMAND [ARGS...]
//   zirvo-cli COMMAND --help

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_context.h"
#include "core/config/proxy.h"
#include "core/setup/seed.h"

using namespace zirvo;
using namespace zirvo::cli;

namespace {

void PrintUsage() {
    std::printf(
        "usage: zirvo-cli [--root DIR] [--json] COMMAND [ARGS...]\n"
        "       zirvo-cli COMMAND --help\n\n"
        "The data root is DIR, else $ZIRVO_HOME, else $XDG_DATA_HOME/zirvo\n"
        "(~/.local/share/zirvo); it is created and seeded on first use.\n"
        "Records are printed one a line, fields separated by tabs; --json prints one JSON array.\n"
        "Exit codes: 0 done, 1 failed, 2 bad usage.\n\ncommands:\n");
    for (const auto& command : Commands()) {
        std::printf("  %-14s %s\n", command.name.c_str(), command.summary.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string rootArg;
    bool json = false;
    int i = 1;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            rootArg = argv[++i];
        } else if (arg.rfind("--root=", 0) == 0) {
            rootArg = arg.substr(7);
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h" || arg == "help") {
            PrintUsage();
            return kExitOk;
        } else if (arg == "--root") {
            std::fprintf(stderr, "zirvo-cli: --root needs a folder\n");
            return kExitUsage;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "zirvo-cli: unknown option %s (try --help)\n", arg.c_str());
            return kExitUsage;
        } else {
            break;
        }
    }
    if (i >= argc) {
        PrintUsage();
        return kExitUsage;
    }
    std::string name = argv[i++];
    std::vector<std::string> args;
    bool wantsHelp = false;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            wantsHelp = true;
        }
        args.push_back(arg);
    }
    const CliCommand* command = nullptr;
    for (const auto& candidate : Commands()) {
        if (candidate.name == name) {
            command = &candidate;
        }
    }
    if (command == nullptr) {
        std::fprintf(stderr, "zirvo-cli: unknown command \"%s\" (try --help)\n", name.c_str());
        return kExitUsage;
    }
    if (wantsHelp) {
        std::printf("%s\n", command->help.c_str());
        return kExitOk;
    }

    CliContext context(CDataRoot::Resolve(rootArg), json);
    SeedReport seed;
    if (!SeedDataRoot(context.root, CDataRoot::ShippedDataDir(), seed)) {
        return context.Fail("cannot prepare the data root " + context.root.Dir() + ": " +
                            seed.error);
    }
    ProxySettings proxy;
    if (context.appConfig.ReadProxySettings(proxy)) {
        SetProcessProxy(proxy);
    }
    int rc = command->run(context, args);
    context.out.Flush();
    return rc;
}
