#include "core/receive/apply_receive_settings.h"

namespace zirvo {

TimerDecision ApplyReceiveSettings(CChannelTree& tree, ReceiveTimerState& timer,
                                   const ReceiveSettings& receive, const StorageSettings& storage) {
    TimerDecision decision = DecideReceiveTimer(timer, receive.autoReceive, receive.autoReceiveType,
                                                receive.autoReceiveTime);
    ChannelTreeSettings settings = tree.Settings();
    settings.startupAutoReceive = receive.startupAutoReceive;
    settings.autoReceive = timer.autoReceive;
    settings.autoReceiveType = timer.type;
    settings.autoReceiveTime = timer.minutes;
    settings.clickChannelAutoReceive = receive.clickChannelAutoReceive;
    settings.switchChannelAutoMakeRead = receive.switchChannelAutoMakeRead;
    settings.whenExitRememberUnreadNum = receive.whenExitRememberUnreadNum;
    settings.paginationNum = receive.paginationNum;
    settings.storageType = storage.storageType;
    settings.storageNum = storage.storageNum;
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
