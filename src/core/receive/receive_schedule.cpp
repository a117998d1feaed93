#include "core/receive/receive_schedule.h"

#include "core/subscriptions/channel_node.h"

namespace zirvo {

WeightGateDecision WeightGate(int rssRank, int level, int counter) {
    WeightGateDecision decision;
    decision.level = level;
    decision.counter = counter;
    if (rssRank != 0) {
        decision.receive = true;
        decision.levelUsed = 1;
        return decision;
    }
    decision.levelUsed = level;
    if (level == 1) {
        decision.receive = true;
        return decision;
    }
    int lowered = counter - 10;
    if (lowered == 10 || lowered == 20 || lowered == 30 || lowered == 60) {
        decision.receive = true;
        return decision;
    }
    decision.counter = lowered;
    return decision;
}

WeightState WeightUpdate(int levelUsed, int newCount, WeightState current) {
    if (newCount > 0) {
        if (levelUsed == 1) {
            return current;
        }
        return {levelUsed - 1, WeightCounterForLevel(levelUsed - 1)};
    }
    if (levelUsed == 5) {
        return {5, WeightCounterForLevel(5)};
    }
    return {levelUsed + 1, WeightCounterForLevel(levelUsed + 1)};
}

int ReceiveTimerPeriodMs(int type, int minutes) {
    return (type == 0 ? kWeightedTimerMinutes : minutes) * 60000;
}

TimerDecision StartupTimerDecision(ReceiveTimerState& state) {
    TimerDecision decision;
    if (state.autoReceive) {
        decision.action = TimerAction::Start;
        decision.periodMs = ReceiveTimerPeriodMs(state.type, state.minutes);
        state.running = true;
    }
    return decision;
}

TimerDecision DecideReceiveTimer(ReceiveTimerState& state, int autoReceive, int type, int minutes) {
    TimerDecision decision;
    if (autoReceive != state.autoReceive) {
        state.type = type;
        state.minutes = minutes;
        if (autoReceive) {
            decision.action = TimerAction::Start;
            decision.periodMs = ReceiveTimerPeriodMs(type, minutes);
            state.running = true;
        } else {
            decision.action = TimerAction::Stop;
            state.running = false;
        }
        state.autoReceive = autoReceive;
    } else if (state.running && type != state.type) {
        state.minutes = minutes;
        state.type = type;
        decision.action = TimerAction::Restart;
        decision.periodMs = ReceiveTimerPeriodMs(type, minutes);
    } else if (state.running && type == 1 && minutes != state.minutes) {
        state.minutes = minutes;
        decision.action = TimerAction::Restart;
        decision.periodMs = ReceiveTimerPeriodMs(type, minutes);
    }
    return decision;
}

ScheduledReceive StartupReceive(int startupAutoReceive, int type) {
    if (!startupAutoReceive) {
        return ScheduledReceive::None;
    }
    return type == 0 ? ScheduledReceive::WeightedAll : ScheduledReceive::All;
}

ScheduledReceive TimerTickReceive(int type, bool folderReceiveRunning) {
    if (type == 0) {
        return ScheduledReceive::WeightedAll;
    }
    return folderReceiveRunning ? ScheduledReceive::None : ScheduledReceive::All;
}

}  // namespace zirvo
