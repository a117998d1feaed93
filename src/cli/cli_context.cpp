#include "cli_context.h"

namespace zirvo::cli {

CliContext::CliContext(const std::string& rootDir, bool json)
    : root(rootDir),
      messages(root.ErrorMsgPath(), reporter),
      appConfig(root.AppConfigPath(), messages),
      out(json) {}

}  // namespace zirvo::cli
