#pragma once
// When channels are received without the user asking for one channel: the weight ("RssRank")
// that lets quiet channels be received less often, the receive timer's decisions, and what
// start-up and a timer tick start. The timer itself lives with the front end's tree window;
// these functions only decide.
//
// Weight state per channel (in memory only, ChannelNode::weightLevel / weightCounter): level 1
// (hottest) to 5 (coldest) and a counter in minutes; every tree load starts with level 1 and
// counter 10. Counter table by level: 1 → 10, 2 → 20, 3 → 30, 4 → 60, 5 → 120 (other levels 0;
// WeightCounterForLevel). With the 10-minute timer this receives levels 1 to 3 on every tick,
// level 4 on every third and level 5 on every sixth.
//
// Threading: pure functions; any thread.

namespace zirvo {

// The timer period of receive type 0 ("根据RssRank自动更新"), in minutes.
inline constexpr int kWeightedTimerMinutes = 10;

struct WeightGateDecision {
    bool receive = false;
    int levelUsed = 1;  // the level the weight update starts from after a receive
    // When not receiving: the state to store in the node (the counter counted down).
    int level = 1;
    int counter = 10;
};

// The weight gate for a channel with RssRank flag `rssRank` and weight state (level, counter):
// a non-zero flag always receives (level used 1); level 1 always receives; otherwise the
// counter goes down by 10 and the channel is received when that leaves 10, 20, 30 or 60 (the
// node's counter is then left as it was); else the lowered counter is stored and the channel
// waits.
WeightGateDecision WeightGate(int rssRank, int level, int counter);

struct WeightState {
    int level = 1;
    int counter = 10;
};

// The weight update after a successful weighted receive, with `newCount` the channel's
// CountNew (all its items still flagged new) and `levelUsed` from the gate. New items move the
// channel one level hotter (level 1 stays as it is), none move it one level colder (level 5
// stays at 5, counter 120). `current` is returned unchanged when nothing changes.
WeightState WeightUpdate(int levelUsed, int newCount, WeightState current);

// ---- the receive timer ---------------------------------------------------------------------

// The timer settings in force in the tree, and whether the timer runs.
struct ReceiveTimerState {
    bool running = false;
    int autoReceive = 0;  // /app/rss/autoreceive
    int type = 0;         // /app/rss/autoreceivetype: 0 by weight, 10 minutes; 1 every N minutes
    int minutes = 30;     // /app/rss/autoreceivetime, used by type 1
};

enum class TimerAction {
    None,     // leave the timer alone
    Start,    // start it with periodMs
    Stop,     // kill it
    Restart,  // kill it, start it again with periodMs
};

struct TimerDecision {
    TimerAction action = TimerAction::None;
    int periodMs = 0;
};

// 600000 ms for type 0, minutes × 60000 ms otherwise.
int ReceiveTimerPeriodMs(int type, int minutes);

// The timer at start-up: Start with the period of the settings when auto-receive is on.
TimerDecision StartupTimerDecision(ReceiveTimerState& state);

// The timer restart of ApplyReceiveSettings, updating `state` (the values in force):
//   1. the auto-receive flag changed: type and minutes are taken; on: Start, off: Stop;
//   2. else, running and the type changed: minutes and type are taken, Restart;
//   3. else, running, type 1 and the minutes changed: minutes are taken, Restart;
//   4. otherwise nothing is taken and the timer is left alone (so changing only the minutes
//      while type 0 runs keeps the 10-minute timer).
TimerDecision DecideReceiveTimer(ReceiveTimerState& state, int autoReceive, int type, int minutes);

// What start-up (after the tree's load) and a timer tick start.
enum class ScheduledReceive {
    None,
    WeightedAll,  // StartWeightedReceiveAll: the whole tree with the weight gate
    All,          // "全部更新": the whole tree, channels with automatic update
};

// At start-up with startupautoreceive set: type 0 → WeightedAll, type 1 → All.
ScheduledReceive StartupReceive(int startupAutoReceive, int type);
// On a tick: type 0 → WeightedAll; type 1 → All unless a folder receive is running.
// (StartWeightedReceiveAll itself does nothing while a folder receive runs.)
ScheduledReceive TimerTickReceive(int type, bool folderReceiveRunning);

}  // namespace zirvo
