#pragma once
// The CHM compiler: `chmcmd` (Free Pascal's, Debian package fp-utils) run on the project file
// in its own folder. Each line it prints becomes a status text, as the compiler's progress and
// log callbacks did.
//
// NOTE: chmcmd exits with 0 also when it cannot read the project, so the caller judges a compile
// by the file it should have written as well (see ebook_builder.cpp).
//
// Threading: any thread; RunChmCompiler blocks until the compiler has ended (or was killed).

#include <atomic>
#include <string>

#include "core/ebook/ebook_status.h"

namespace zirvo {

inline constexpr const char* kChmCompilerName = "chmcmd";

// The first executable `chmcmd` in the ':'-separated folders of `searchPath`; empty when none.
std::string FindChmCompiler(const std::string& searchPath);

struct ChmCompileResult {
    bool ran = false;     // the compiler started and ended by itself
    int exitCode = -1;    // its exit status when it ran
    bool killed = false;  // stopped by the stop flag or the time limit
    std::string error;    // why it did not run or was stopped
};

ChmCompileResult RunChmCompiler(const std::string& compiler, const std::string& projectFile,
                                const std::string& workDir, IEbookStatus& status,
                                const std::atomic<bool>& stop, long timeoutMs);

}  // namespace zirvo
