#include "support/test_env.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zirvo::test {
namespace {

constexpr int kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

// Raw calls: the C library has no wrapper, and these act on the calling thread alone (pid 0),
// so the other threads of the test program keep what they had.
bool GetCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool SetCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

std::string CorpusFeedsDir() {
    return std::string(ZIRVO_CORPUS_DIR) + "/feeds";
}

std::string CorpusMissingReason() {
    std::error_code ec;
    if (std::filesystem::is_directory(CorpusFeedsDir(), ec)) {
        return {};
    }
    return "the shared feed corpus is not there (" + CorpusFeedsDir() +
           "): a plain clone runs without it";
}

std::string TestFeedsDir() {
    return std::string(ZIRVO_TEST_DATA_DIR) + "/feeds";
}

CPermissionsBind::CPermissionsBind() {
    if (::geteuid() != 0) {
        return;
    }
    __user_cap_data_struct caps[2] = {};
    if (!GetCaps(caps)) {
        m_reason = std::string("capget failed: ") + std::strerror(errno);
        return;
    }
    m_savedEffective[0] = caps[0].effective;
    m_savedEffective[1] = caps[1].effective;
    for (int cap : kOverrides) {
        caps[CAP_TO_INDEX(cap)].effective &= ~CAP_TO_MASK(cap);
    }
    if (!SetCaps(caps)) {
        m_reason = std::string("cannot drop the permission-override capabilities: ") +
                   std::strerror(errno);
        return;
    }
    m_dropped = true;
}

CPermissionsBind::~CPermissionsBind() {
    if (!m_dropped) {
        return;
    }
    __user_cap_data_struct caps[2] = {};
    if (GetCaps(caps)) {
        caps[0].effective = m_savedEffective[0];
        caps[1].effective = m_savedEffective[1];
        SetCaps(caps);
    }
}

}  // namespace zirvo::test
