#pragma once
// The window benchmark's driver: measures how long the window's event loop stalls while the
// reader does one thing after another. A 10 ms timer runs from the moment the window is shown;
// its worst lateness during a step is that step's stall.
//
//   ZIRVO_BENCH_STEPS="STEP;STEP;..."   runs the steps in turn once the window is shown:
//     startup                the time from the show until the reader has settled
//     select:REF             selects a channel or folder (REF as zirvo-cli takes it)
//     unread                 lists every unread item
//     markread               marks the current tree node read
//     clear                  clears the current tree node's items (the question answered yes)
//     receiveall             "全部更新", until every receive has ended
//     click                  a mouse click on the list's first row
//     blog:ACCOUNT/FOLDER    the blog mode and a folder of an account (folder digit 1 to 4);
//                            also "zirvo-firstpage STEP MS ROWS": the time until the list
//                            holds its first page
//     blogclick              a mouse click on the blog list's first row (its article page
//                            is rendered through the account's template)
//   Each step ends when the reader and the blog library have nothing running for 300 ms (at most
//   300 s); then "zirvo-stall STEP WORST_MS TOTAL_MS" goes to stderr and the next step starts. The
//   window closes after the last step.
//
// Threading: window thread.

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CMainFrame;
class CReaderController;

void StartWindowBench(CMainFrame& frame, CReaderController& reader, CReaderSession& session);

}  // namespace zirvo::gui
