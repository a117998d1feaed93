#pragma once
// What the options dialog's OK hands to the channel tree: the receive and storage settings of
// its pages. Every value goes into the tree's settings (the global storage type and count take
// effect with the next receive), except the three timer values, which follow the timer rules of
// DecideReceiveTimer: they change only when the timer is started, stopped or restarted. The
// returned decision is for the front end's timer.
//
// Threading: the window thread (the tree's owner).

#include "core/config/app_config.h"
#include "core/receive/receive_schedule.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

TimerDecision ApplyReceiveSettings(CChannelTree& tree, ReceiveTimerState& timer,
                                   const ReceiveSettings& receive, const StorageSettings& storage);

// The timer state in force as the tree holds it (`running` as the front end says).
ReceiveTimerState TimerStateOf(const CChannelTree& tree, bool running);

}  // namespace zirvo
