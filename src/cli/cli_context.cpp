#include "cli_context.h"

#include <cstdio>

namespace zirvo::cli {

CliContext::CliContext(const std::string& rootDir, bool json)
    : root(rootDir),
      messages(root.ErrorMsgPath(), reporter),
      appConfig(root.AppConfigPath(), messages),
      out(json) {}

int CliContext::Fail(const std::string& text, int code) {
    std::fprintf(stderr, "zirvo-cli: %s\n", text.c_str());
    return code;
}

}  // namespace zirvo::cli
