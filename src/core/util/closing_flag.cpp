#include "core/util/closing_flag.h"

#include <atomic>

namespace zirvo {
namespace {
std::atomic<bool> g_closing{false};
}

bool IsClosing() {
    return g_closing.load(std::memory_order_acquire);
}

void SetClosing(bool closing) {
    g_closing.store(closing, std::memory_order_release);
}

}  // namespace zirvo
