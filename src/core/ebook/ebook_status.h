#pragma once
// Where the e-book export reports: the dialog's status area, zirvo-cli's standard output, a
// test's record. Each call is one status text, in the dialog's own words (">>下载图片 ... 中...",
// the compiler's output lines).
//
// Threading: called from the export worker and from the download threads it runs; an
// implementation must accept calls from any thread and must not block for long.

#include <string>

namespace zirvo {

class IEbookStatus {
public:
    virtual ~IEbookStatus() = default;
    virtual void OnStatus(const std::string& text) = 0;
    // The pictures are in (or were not asked for): the project is written and compiled now.
    virtual void OnCompiling() {}
};

}  // namespace zirvo
