#pragma once
// What every zirvo-cli command gets: the data root (seeded), the message plumbing that prints
// to stderr, and the output writer.

#include <memory>
#include <string>

#include "cli_output.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/util/data_root.h"
#include "core/util/reporter.h"

namespace zirvo::cli {

// Exit codes: 0 success, 1 the operation failed, 2 bad usage.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct CliContext {
    CDataRoot root;
    CStderrReporter reporter{"zirvo-cli"};
    CErrorMsgDialog messages;
    CAppConfig appConfig;
    CRecordWriter out;

    CliContext(const std::string& rootDir, bool json);
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    // Prints "zirvo-cli: TEXT" to stderr and returns `code`, for one-line error exits.
    int Fail(const std::string& text, int code = kExitFailed);
};

}  // namespace zirvo::cli
