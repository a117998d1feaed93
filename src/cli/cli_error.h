#pragma once
// The one error type of zirvo-cli. A command throws it; main() prints the text as
// "zirvo-cli: TEXT" on stderr and turns the code into the exit code, in one place.
//
// Exit codes: 0 done, 1 the operation failed (also: the thing named does not exist), 2 bad usage.

#include <stdexcept>
#include <string>

namespace zirvo::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class CliError : public std::runtime_error {
public:
    explicit CliError(const std::string& message, int code = kExitFailed)
        : std::runtime_error(message), m_code(code) {}

    // Bad usage: exit code 2.
    static CliError Usage(const std::string& message) { return CliError(message, kExitUsage); }
    // A failure the core has already shown through the reporter: nothing more to print.
    static CliError Reported() { return CliError(std::string(), kExitFailed); }

    int Code() const { return m_code; }

private:
    int m_code;
};

}  // namespace zirvo::cli
