// zirvo-cli: the headless front end over the same core and data root as the programs.
//
//   zirvo-cli [--root DIR] [--json] COMMAND [ARGS...]
//   zirvo-cli COMMAND --help

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_context.h"
#include "core/config/proxy.h"
#include "core/setup/seed.h"

#ifndef ZIRVO_VERSION
#define ZIRVO_VERSION "unknown"
#endif

using namespace zirvo;
using namespace zirvo::cli;

namespace {

constexpr const char* kDescription =
    "The headless front end of Zirvo: the feed reader and the blog-article library on the same\n"
    "data root as the windows. The data root is --root DIR, else $ZIRVO_HOME, else\n"
    "$XDG_DATA_HOME/zirvo (~/.local/share/zirvo); it is created and seeded on first use.\n"
    "Records go to stdout, one a line with tab-separated fields (--json: one JSON array);\n"
    "notes, warnings and errors go to stderr. Exit codes: 0 done, 1 failed, 2 bad usage.\n";

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The closest of `names` to a mistyped `word`, when one is close enough to be meant.
std::string Closest(const std::string& word, const std::vector<std::string>& names) {
    std::string best;
    size_t bestDistance = 3;
    for (const std::string& name : names) {
        const size_t distance = EditDistance(word, name);
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    if (!best.empty()) {
        return best;
    }
    // Nothing close: the one command that starts with what was typed.
    for (const std::string& name : names) {
        if (word.size() >= 2 && name.rfind(word, 0) == 0) {
            if (!best.empty()) {
                return std::string();
            }
            best = name;
        }
    }
    return best;
}

// Finds the first word where a command (or a sub-command) is expected and is not one: the
// message names it and suggests the nearest. Empty when the words are fine.
std::string UnknownCommandMessage(const std::vector<std::string>& args,
                                  const std::vector<std::unique_ptr<CCommandLine>>& lines,
                                  const std::vector<std::string>& names) {
    size_t i = 0;
    while (i < args.size() && !args[i].empty() && args[i][0] == '-') {
        i += args[i] == "--root" ? 2 : 1;
    }
    if (i >= args.size()) {
        return std::string();
    }
    const CCommandLine* line = nullptr;
    for (size_t k = 0; k < names.size(); ++k) {
        if (names[k] == args[i]) {
            line = lines[k].get();
        }
    }
    std::vector<std::string> choices = names;
    std::string where = "command";
    std::string word = args[i];
    if (line != nullptr) {
        if (line->SubNames().empty() || i + 1 >= args.size() || args[i + 1].empty() ||
            args[i + 1][0] == '-' || line->FindChild(args[i + 1]) != nullptr) {
            return std::string();
        }
        choices = line->SubNames();
        where = args[i] + " command";
        word = args[i + 1];
    }
    std::string message = "unknown " + where + " '" + word + "'";
    const std::string suggestion = Closest(word, choices);
    if (!suggestion.empty()) {
        message += "; did you mean '" + suggestion + "'?";
    }
    return message + " (see zirvo-cli --help)";
}

int Run(int argc, char** argv) {
    CLI::App app(kDescription, "zirvo-cli");
    app.set_version_flag("--version", std::string("zirvo-cli ") + ZIRVO_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    app.get_formatter()->column_width(28);
    std::string rootArg;
    bool json = false;
    app.add_option("--root", rootArg, "the data root folder")->type_name("DIR");
    app.add_flag("--json", json, "print the records as one JSON array");
    app.footer(
        "\nExamples:\n"
        "  zirvo-cli add https://example.org/feed.xml --folder News\n"
        "      subscribe to a feed in the folder News\n"
        "  zirvo-cli receive --all\n"
        "      fetch every channel and store the new items\n"
        "  zirvo-cli list News --filter unread\n"
        "      list the unread items of the folder News");

    std::vector<std::unique_ptr<CCommandLine>> lines;
    std::vector<std::string> names;
    for (const CliCommand& command : Commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        lines.push_back(std::make_unique<CCommandLine>(*sub, command.name));
        names.push_back(command.name);
        command.define(*lines.back());
    }

    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string unknown = UnknownCommandMessage(args, lines, names);
    if (!unknown.empty()) {
        throw CliError::Usage(unknown);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            // --help and --version: their text on stdout.
            return app.exit(e);
        }
        std::string hint = "see zirvo-cli --help";
        for (size_t k = 0; k < lines.size(); ++k) {
            if (app.got_subcommand(names[k])) {
                const std::string chosen = lines[k]->Chosen();
                hint = chosen.empty() ? lines[k]->HelpHint() : lines[k]->Child(chosen).HelpHint();
            }
        }
        throw CliError::Usage(std::string(e.what()) + " (" + hint + ")");
    }

    const CliCommand* command = nullptr;
    const CCommandLine* line = nullptr;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (app.got_subcommand(names[k])) {
            command = &Commands()[k];
            line = lines[k].get();
        }
    }
    CliContext context(CDataRoot::Resolve(rootArg), json);
    SeedReport seed;
    if (!SeedDataRoot(context.root, CDataRoot::ShippedDataDir(), seed)) {
        throw CliError("cannot prepare the data root " + context.root.Dir() + ": " + seed.error);
    }
    ProxySettings proxy;
    if (context.appConfig.ReadProxySettings(proxy)) {
        SetProcessProxy(proxy);
    }
    try {
        command->run(context, *line);
    } catch (...) {
        // What was printed so far stays one document.
        context.out.Flush();
        throw;
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    // Every failure ends here, so each one gets the same form and the right exit code.
    try {
        return Run(argc, argv);
    } catch (const CliError& e) {
        if (e.what()[0] != '\0') {
            std::fprintf(stderr, "zirvo-cli: %s\n", e.what());
        }
        return e.Code();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zirvo-cli: unexpected failure: %s\n", e.what());
        return kExitFailed;
    } catch (...) {
        std::fprintf(stderr, "zirvo-cli: unexpected failure\n");
        return kExitFailed;
    }
}
