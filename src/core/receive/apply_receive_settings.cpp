#include "core/receive/apply_receive_settings.h"

namespace zirvo {

TimerDecision ApplyReceiveSettings(CChannelTree& tree, ReceiveTimerState& timer,
                                   const ReceiveSettings& receive, const StorageSettings& storage) {
    TimerDecision decision = DecideReceiveTimer(timer, receive.autoReceive, receive.autoReceiveType,
                                                receive.autoReceiveTime);
    ChannelTreeSettings settings(receive, storage);
    // The timer's own decision stands for the three timer values.
    settings.autoReceive = timer.autoReceive;
    settings.autoReceiveType = timer.type;
    settings.autoReceiveTime = timer.minutes;
    tree.SetSettings(settings);
    return decision;
}

ReceiveTimerState TimerStateOf(const CChannelTree& tree, bool running) {
    ChannelTreeSettings settings = tree.Settings();
    ReceiveTimerState state;
    state.running = running;
    state.autoReceive = settings.autoReceive;
    state.type = settings.autoReceiveType;
    state.minutes = settings.autoReceiveTime;
    return state;
}

}  // namespace zirvo
