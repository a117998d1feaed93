#pragma once
// Scripted runs for the start-up benchmark and the screenshot script, driven by environment
// variables (nothing happens when none is set):
//   ZIRVO_SELECT="REF;REF;..."  selects the nodes in turn (references as zirvo-cli takes them:
//                               caption paths, "#ID", feed URLs); with ZIRVO_TIMINGS=1 each
//                               selection prints "zirvo-timing select REF MS" and the first
//                               also "zirvo-timing first-list-filled MS" (since start)
//   ZIRVO_SELECT_ROUNDS=N       runs the selection list N times (default 1)
//   ZIRVO_SHOW_ITEM=1           makes the first row of the last list current (shows the article)
//   ZIRVO_OPEN=NAME             opens a window afterwards: options, system, channel, folder,
//                               wizard, notice, message; or "tooltip": receives the shown
//                               channel and shows its tree tooltip
//   ZIRVO_QUIT_AFTER_MS=N       closes the main window N ms after the script ran
//
// Threading: window thread.

#include <QElapsedTimer>

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CMainFrame;
class CReaderController;

void StartScriptedRun(CMainFrame& frame, CReaderController& reader, CReaderSession& session,
                      const QElapsedTimer& sinceStart);

}  // namespace zirvo::gui
