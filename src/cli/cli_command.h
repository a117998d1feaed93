#pragma once
// The command table of zirvo-cli. Each commands file registers its commands at start-up with a
// static CliCommandRegistrar: `define` declares the command line (options, positionals,
// examples, sub-commands), `run` does the work once it has been parsed. A command reports
// failure by throwing CliError (cli_error.h).

#include <functional>
#include <string>
#include <vector>

#include "cli_context.h"
#include "cli_error.h"
#include "command_line.h"

namespace zirvo::cli {

struct CliCommand {
    std::string name;     // "receive", "account"
    std::string summary;  // one line for the command list
    std::function<void(CCommandLine&)> define;
    std::function<void(CliContext&, const CCommandLine&)> run;
};

// Returns the registered commands sorted by name.
const std::vector<CliCommand>& Commands();

class CliCommandRegistrar {
public:
    explicit CliCommandRegistrar(CliCommand command);
};

}  // namespace zirvo::cli
