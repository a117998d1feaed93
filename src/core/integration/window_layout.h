#pragma once
// The main window's layout rules: how the stored rectangle and pane sizes are read back, and
// when the start-up update check runs.
//
// Threading: pure functions; any thread.

#include <string>

#include "core/config/app_config.h"

namespace zirvo {

inline constexpr int kDefaultTopFrameHeight = 300;
inline constexpr int kMaxTopFrameHeight = 620;
inline constexpr int kDefaultLeftFrameWidth = 230;

// The stored article-list height: 0 or above 620 gives 300. NOTE: a negative value (a damaged
// file) gives 300 as well; a pane of negative height cannot be shown.
int CorrectTopFrameHeight(int stored);

// The left pane's width: a value below 1 gives the initial width 230.
int CorrectLeftFrameWidth(int stored);

// The window opens maximised unless left + top + right + bottom is at least 1.
bool OpensMaximised(const WindowPosSettings& pos);

// The update check runs on about one start in ten: when it is enabled and the local time's
// seconds value is 1 to 6.
bool ShouldStartUpdateCheck(int enableAutoUpdate, int localSeconds);

// How long the update-check thread waits before it starts the updater.
inline constexpr int kUpdateCheckDelayMs = 10000;

// The updater's program name and arguments (two blanks before /CurrentVersion are part of the
// command line the updater expects, kept as one argument list here).
inline constexpr const char* kUpdaterProgram = "lintar";
std::string UpdaterArguments(const std::string& checkUrl);

}  // namespace zirvo
