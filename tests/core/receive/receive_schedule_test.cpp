// The scheduling rules: weight gate and update, the receive timer's decisions, what start-up and
// ticks start, the settings pages' checks and the texts a receive shows.

#include <gtest/gtest.h>

#include "core/receive/apply_receive_settings.h"
#include "core/receive/receive_schedule.h"
#include "core/receive/receive_settings_checks.h"
#include "core/subscriptions/channel_node.h"

namespace zirvo {
namespace {

// Runs the weighted ticks with levels held fixed; returns the ticks (1-based) that received.
std::vector<int> ReceivingTicks(int level, int ticks) {
    std::vector<int> received;
    int counter = WeightCounterForLevel(level);
    for (int tick = 1; tick <= ticks; ++tick) {
        WeightGateDecision gate = WeightGate(0, level, counter);
        if (gate.receive) {
            received.push_back(tick);
            counter = WeightCounterForLevel(level);  // the update resets the counter
        } else {
            counter = gate.counter;
        }
    }
    return received;
}

TEST(WeightGate, LevelsOneFourAndFiveOnTheTenMinuteTimer) {
    EXPECT_EQ(ReceivingTicks(1, 12), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(ReceivingTicks(2, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ReceivingTicks(3, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ReceivingTicks(4, 12), (std::vector<int>{3, 6, 9, 12}));
    EXPECT_EQ(ReceivingTicks(5, 12), (std::vector<int>{6, 12}));
}

TEST(WeightGate, NonZeroRankAlwaysReceivesAtLevelOne) {
    WeightGateDecision gate = WeightGate(5, 5, 120);
    EXPECT_TRUE(gate.receive);
    EXPECT_EQ(gate.levelUsed, 1);
    EXPECT_TRUE(WeightGate(1, 4, 50).receive);
}

TEST(WeightGate, WaitingChannelStoresTheLoweredCounterAndAReceivedOneKeepsIt) {
    WeightGateDecision wait = WeightGate(0, 4, 60);
    EXPECT_FALSE(wait.receive);
    EXPECT_EQ(wait.level, 4);
    EXPECT_EQ(wait.counter, 50);
    WeightGateDecision go = WeightGate(0, 4, 40);
    EXPECT_TRUE(go.receive);
    EXPECT_EQ(go.levelUsed, 4);
    EXPECT_EQ(go.counter, 40);
}

TEST(WeightUpdate, NewItemsWarmUpAndQuietCoolsDown) {
    EXPECT_EQ(WeightUpdate(3, 2, {3, 30}).level, 2);
    EXPECT_EQ(WeightUpdate(3, 2, {3, 30}).counter, 20);
    // Level 1 with new items: nothing changes, whatever the node held.
    WeightState kept = WeightUpdate(1, 7, {3, 25});
    EXPECT_EQ(kept.level, 3);
    EXPECT_EQ(kept.counter, 25);
    WeightState cooler = WeightUpdate(4, 0, {4, 40});
    EXPECT_EQ(cooler.level, 5);
    EXPECT_EQ(cooler.counter, 120);
    WeightState coldest = WeightUpdate(5, 0, {5, 60});
    EXPECT_EQ(coldest.level, 5);
    EXPECT_EQ(coldest.counter, 120);
    WeightState fromOne = WeightUpdate(1, 0, {1, 10});
    EXPECT_EQ(fromOne.level, 2);
    EXPECT_EQ(fromOne.counter, 20);
}

TEST(WeightUpdate, LevelOutsideTheTableGetsCounterZero) {
    WeightState odd = WeightUpdate(6, 0, {6, 0});
    EXPECT_EQ(odd.level, 7);
    EXPECT_EQ(odd.counter, 0);
}

TEST(ReceiveTimer, PeriodsAndStartUp) {
    EXPECT_EQ(ReceiveTimerPeriodMs(0, 45), 600000);
    EXPECT_EQ(ReceiveTimerPeriodMs(1, 45), 45 * 60000);
    ReceiveTimerState off{false, 0, 1, 30};
    EXPECT_EQ(StartupTimerDecision(off).action, TimerAction::None);
    ReceiveTimerState on{false, 1, 1, 30};
    TimerDecision start = StartupTimerDecision(on);
    EXPECT_EQ(start.action, TimerAction::Start);
    EXPECT_EQ(start.periodMs, 30 * 60000);
    EXPECT_TRUE(on.running);
}

TEST(ReceiveTimer, SwitchingAutoReceiveStartsOrStopsIt) {
    ReceiveTimerState state{false, 0, 0, 30};
    TimerDecision start = DecideReceiveTimer(state, 1, 1, 15);
    EXPECT_EQ(start.action, TimerAction::Start);
    EXPECT_EQ(start.periodMs, 15 * 60000);
    EXPECT_EQ(state.type, 1);
    EXPECT_EQ(state.minutes, 15);
    EXPECT_TRUE(state.running);
    TimerDecision stop = DecideReceiveTimer(state, 0, 0, 60);
    EXPECT_EQ(stop.action, TimerAction::Stop);
    EXPECT_FALSE(state.running);
    EXPECT_EQ(state.type, 0);
    EXPECT_EQ(state.autoReceive, 0);
}

TEST(ReceiveTimer, TypeChangeRestartsAndMinutesMatterOnlyForTypeOne) {
    ReceiveTimerState state{true, 1, 0, 30};
    // Only the minutes changed while type 0 runs: the 10-minute timer stays, nothing is taken.
    EXPECT_EQ(DecideReceiveTimer(state, 1, 0, 45).action, TimerAction::None);
    EXPECT_EQ(state.minutes, 30);

    TimerDecision toMinutes = DecideReceiveTimer(state, 1, 1, 45);
    EXPECT_EQ(toMinutes.action, TimerAction::Restart);
    EXPECT_EQ(toMinutes.periodMs, 45 * 60000);
    EXPECT_EQ(state.type, 1);

    TimerDecision newMinutes = DecideReceiveTimer(state, 1, 1, 90);
    EXPECT_EQ(newMinutes.action, TimerAction::Restart);
    EXPECT_EQ(newMinutes.periodMs, 90 * 60000);
    EXPECT_EQ(DecideReceiveTimer(state, 1, 1, 90).action, TimerAction::None);

    TimerDecision backToWeight = DecideReceiveTimer(state, 1, 0, 90);
    EXPECT_EQ(backToWeight.action, TimerAction::Restart);
    EXPECT_EQ(backToWeight.periodMs, 600000);
}

TEST(ReceiveTimer, StoppedTimerIgnoresTypeAndMinutes) {
    ReceiveTimerState state{false, 0, 0, 30};
    EXPECT_EQ(DecideReceiveTimer(state, 0, 1, 45).action, TimerAction::None);
    EXPECT_EQ(state.type, 0);
    EXPECT_EQ(state.minutes, 30);
}

TEST(ScheduledReceives, StartUpAndTicks) {
    EXPECT_EQ(StartupReceive(0, 0), ScheduledReceive::None);
    EXPECT_EQ(StartupReceive(1, 0), ScheduledReceive::WeightedAll);
    EXPECT_EQ(StartupReceive(1, 1), ScheduledReceive::All);
    EXPECT_EQ(TimerTickReceive(0, false), ScheduledReceive::WeightedAll);
    EXPECT_EQ(TimerTickReceive(1, false), ScheduledReceive::All);
    EXPECT_EQ(TimerTickReceive(1, true), ScheduledReceive::None);
}

TEST(SettingsChecks, GeneralPageMinutesThenPageSize) {
    GeneralPageInput input;
    input.autoReceive = 1;
    input.autoReceiveType = 1;
    input.pageSize = 50;
    ReceiveSettings out;
    for (const char* refused : {"4", "1441", "", "abc", "-10"}) {
        input.minutesText = refused;
        SettingsCheck check = CheckGeneralPage(input, out);
        EXPECT_FALSE(check.ok) << refused;
        EXPECT_EQ(check.message, "分钟数需在 5~1440 之间");
        EXPECT_EQ(check.focus, SettingsField::Minutes);
    }
    for (const char* accepted : {"5", "1440", "30分钟"}) {
        input.minutesText = accepted;
        EXPECT_TRUE(CheckGeneralPage(input, out).ok) << accepted;
    }
    input.minutesText = "15";
    for (int size : {29, 1001}) {
        input.pageSize = size;
        SettingsCheck check = CheckGeneralPage(input, out);
        EXPECT_EQ(check.message, "分页数需在 30~1000 之间");
        EXPECT_EQ(check.focus, SettingsField::PageSize);
    }
    input.pageSize = 1000;
    ASSERT_TRUE(CheckGeneralPage(input, out).ok);
    EXPECT_EQ(out.autoReceiveTime, 15);
    EXPECT_EQ(out.paginationNum, 1000);
    EXPECT_EQ(out.autoReceive, 1);
    EXPECT_EQ(out.autoReceiveType, 1);
}

TEST(SettingsChecks, StoragePages) {
    StorageSettings out;
    SettingsCheck nine = CheckStoragePage("9", 2, out);
    EXPECT_EQ(nine.message, "不是合理的存储数量!");
    EXPECT_EQ(nine.focus, SettingsField::StorageCount);
    EXPECT_FALSE(CheckStoragePage("16000001", 2, out).ok);
    EXPECT_EQ(CheckStoragePage("200", 0, out).message, "请选择一个设置");
    ASSERT_TRUE(CheckStoragePage("10", 2, out).ok);
    EXPECT_EQ(out.storageType, 2);
    EXPECT_EQ(out.storageNum, 10);

    int type = -1;
    int count = -1;
    EXPECT_EQ(CheckChannelStoragePage(false, "9", 1, type, count).message, "不是合理的存储数量!");
    EXPECT_EQ(CheckChannelStoragePage(true, "100", 0, type, count).message, "请选择一个设置");
    ASSERT_TRUE(CheckChannelStoragePage(false, "100", 0, type, count).ok);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(count, 100);
    ASSERT_TRUE(CheckChannelStoragePage(true, "16000000", 3, type, count).ok);
    EXPECT_EQ(type, 3);
}

TEST(SettingsChecks, CleaningDaysMustBeAWholeNumberUpTo365) {
    int days = -1;
    for (const char* refused : {"366", "-1", "abc", "", "7 days"}) {
        SettingsCheck check = CheckCleaningDays(refused, days);
        EXPECT_FALSE(check.ok) << refused;
        EXPECT_EQ(check.message, "请输入 0 ~ 365 间的数字");
    }
    ASSERT_TRUE(CheckCleaningDays("0", days).ok);
    EXPECT_EQ(days, 0);
    ASSERT_TRUE(CheckCleaningDays(" 365 ", days).ok);
    EXPECT_EQ(days, 365);
}

TEST(SettingsChecks, RssRankChoices) {
    EXPECT_EQ(RssRankFromChoice(0), 0);
    EXPECT_EQ(RssRankFromChoice(1), 5);
    EXPECT_EQ(RssRankChoice(0), 0);
    EXPECT_EQ(RssRankChoice(5), 1);
    EXPECT_EQ(RssRankChoice(3), 1);
}

TEST(ReceiveTexts, NoticeAndStatusLine) {
    EXPECT_EQ(FormatNewItemNotice("BBC中文网", 12), "BBC中文网\r\n有 12 个更新");
    EXPECT_EQ(FormatReceiveStatus("中文资讯 → BBC中文网"), " 正在更新: 中文资讯 → BBC中文网 . . .");
}

}  // namespace
}  // namespace zirvo

namespace zirvo {
namespace {

TEST(ApplyReceiveSettings, StoresThePageValuesAndKeepsTimerValuesByTheRules) {
    CChannelTree tree;
    ChannelTreeSettings initial = tree.Settings();
    initial.autoReceive = 1;
    initial.autoReceiveType = 0;
    initial.autoReceiveTime = 30;
    tree.SetSettings(initial);
    ReceiveTimerState timer = TimerStateOf(tree, true);

    ReceiveSettings receive;
    receive.startupAutoReceive = 1;
    receive.autoReceive = 1;
    receive.autoReceiveType = 0;
    receive.autoReceiveTime = 60;  // only the minutes change while type 0 runs
    receive.clickChannelAutoReceive = 1;
    receive.switchChannelAutoMakeRead = 0;
    receive.whenExitRememberUnreadNum = 1;
    receive.paginationNum = 80;
    StorageSettings storage{2, 500};
    TimerDecision decision = ApplyReceiveSettings(tree, timer, receive, storage);
    EXPECT_EQ(decision.action, TimerAction::None);

    ChannelTreeSettings now = tree.Settings();
    EXPECT_EQ(now.startupAutoReceive, 1);
    EXPECT_EQ(now.clickChannelAutoReceive, 1);
    EXPECT_EQ(now.switchChannelAutoMakeRead, 0);
    EXPECT_EQ(now.whenExitRememberUnreadNum, 1);
    EXPECT_EQ(now.paginationNum, 80);
    EXPECT_EQ(now.storageType, 2);
    EXPECT_EQ(now.storageNum, 500);
    EXPECT_EQ(now.autoReceiveTime, 30);

    receive.autoReceiveType = 1;
    decision = ApplyReceiveSettings(tree, timer, receive, storage);
    EXPECT_EQ(decision.action, TimerAction::Restart);
    EXPECT_EQ(decision.periodMs, 60 * 60000);
    EXPECT_EQ(tree.Settings().autoReceiveType, 1);
    EXPECT_EQ(tree.Settings().autoReceiveTime, 60);
}

}  // namespace
}  // namespace zirvo
