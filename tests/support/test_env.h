#pragma once
// What a test may count on in the machine it runs on: the shared feed corpus (present in CI,
// absent in a plain clone) and file permissions that bind the test program even when it runs as
// root (CI does).
//
// Threading: CPermissionsBind acts on the calling thread only; use it on the thread that touches
// the files.

#include <string>

namespace zirvo::test {

// The folder of the shared corpus's feeds (../shared/corpus/feeds beside the source tree).
std::string CorpusFeedsDir();
// Empty when the corpus is there; otherwise why the tests that read it are skipped.
std::string CorpusMissingReason();
// The feeds written for the tests (tests/data/feeds), served by CFeedServer by default.
std::string TestFeedsDir();

// While it lives, the calling thread is bound by file permission bits even as root: the
// capabilities that override them (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER) leave the
// thread's effective set and come back when the object goes. Any other user is bound anyway.
class CPermissionsBind {
public:
    CPermissionsBind();
    CPermissionsBind(const CPermissionsBind&) = delete;
    CPermissionsBind& operator=(const CPermissionsBind&) = delete;
    ~CPermissionsBind();

    // False when the capabilities could not be dropped; Reason() then says why.
    bool Active() const { return m_reason.empty(); }
    const std::string& Reason() const { return m_reason; }

private:
    bool m_dropped = false;
    unsigned m_savedEffective[2] = {0, 0};
    std::string m_reason;
};

}  // namespace zirvo::test
