#pragma once
// The command table of zirvo-cli. Each commands file registers its commands at start-up with a
// static CliCommandRegistrar; main() looks them up by name.

#include <functional>
#include <string>
#include <vector>

#include "cli_context.h"

namespace zirvo::cli {

struct CliCommand {
    std::string name;     // "receive", "account" (sub-commands are the command's own business)
    std::string summary;  // one line for the command list
    std::string help;     // full usage text for `zirvo-cli NAME --help`
    std::function<int(CliContext&, const std::vector<std::string>& args)> run;
};

// Returns the registered commands sorted by name.
const std::vector<CliCommand>& Commands();

class CliCommandRegistrar {
public:
    explicit CliCommandRegistrar(CliCommand command);
};

}  // namespace zirvo::cli
