#include "cli_command.h"

#include <algorithm>

namespace zirvo::cli {
namespace {
std::vector<CliCommand>& Table() {
    static std::vector<CliCommand> table;
    return table;
}
}  // namespace

const std::vector<CliCommand>& Commands() {
    auto& table = Table();
    std::sort(table.begin(), table.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    return table;
}

CliCommandRegistrar::CliCommandRegistrar(CliCommand command) {
    Table().push_back(std::move(command));
}

}  // namespace zirvo::cli
