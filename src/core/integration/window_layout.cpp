#include "core/integration/window_layout.h"

namespace zirvo {

int CorrectTopFrameHeight(int stored) {
    if (stored <= 0 || stored > kMaxTopFrameHeight) {
        return kDefaultTopFrameHeight;
    }
    return stored;
}

int CorrectLeftFrameWidth(int stored) {
    return stored < 1 ? kDefaultLeftFrameWidth : stored;
}

bool OpensMaximised(const WindowPosSettings& pos) {
    // Summed in 64 bits: four large stored values must not wrap round to a small sum.
    const long long sum = static_cast<long long>(pos.left) + pos.top + pos.right + pos.bottom;
    return sum < 1;
}

bool ShouldStartUpdateCheck(int enableAutoUpdate, int localSeconds) {
    return enableAutoUpdate != 0 && localSeconds >= 1 && localSeconds <= 6;
}

std::string UpdaterArguments(const std::string& checkUrl) {
    return "/AppName=Lintar  /CurrentVersion=1.0.0.10 /CheckURL=" + checkUrl;
}

}  // namespace zirvo
