#pragma once
// What every zirvo-cli command gets: the data root (seeded), the message plumbing that prints
// to stderr, and the output writer.

#include <string>

#include "cli_error.h"
#include "cli_output.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/util/data_root.h"
#include "core/util/reporter.h"

namespace zirvo::cli {

struct CliContext {
    CDataRoot root;
    CStderrReporter reporter{"zirvo-cli"};
    CErrorMsgDialog messages;
    CAppConfig appConfig;
    CRecordWriter out;

    CliContext(const std::string& rootDir, bool json);
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;
};

}  // namespace zirvo::cli
