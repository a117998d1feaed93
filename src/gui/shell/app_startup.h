#pragma once
// The main program's start-up: arguments, the single-instance rule with the hand-over to the
// running instance, the data root, the stores, the proxy record and the main window.
//
// Environment, for scripts and tests:
//   ZIRVO_NO_DIALOGS=1   start-up messages go to stderr instead of a message box
//   ZIRVO_TIMINGS=1      prints "zirvo-timing NAME MS" lines to stderr (start-up benchmark)
//
// Threading: the main thread.

namespace zirvo::gui {

// Runs the program; returns the process exit code.
int RunZirvo(int argc, char** argv);

}  // namespace zirvo::gui
