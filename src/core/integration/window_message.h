#pragma once
// Messages between the programs over the main program's local channel. The main window
// listens on a local socket whose name is built from the window class name and a hash of the
// data root, so two programs on one root meet and two roots never do. One message is one line
// of ASCII text: `NUMBER WPARAM LPARAM` (decimal, optional '-', single blanks, then "\n").
//
// Parsing is strict because any local process can write to the socket: anything but exactly
// three decimal integers in range, of bounded length, is refused with the reason.
//
// Threading: pure functions; any thread.

#include <cstdint>
#include <optional>
#include <string>

namespace zirvo {

inline constexpr const char* kMainWindowClassName = "QOVAMainProcessClass1.0";

// The one table of window message numbers, used by the windows, the workers and the other
// programs alike (the numbers are a contract with the editor program).
enum WindowMessageNumber : int {
    kMsgBlogTreeUpdate = 2166,       // wParam tree code, lParam what happened
    kMsgArticleStyleChanged = 2167,  // the account's article style changed
    kMsgJobFinished = 2168,          // lParam 0 received, 1 deleted, 2 published
    kMsgNewItemNotice = 2169,        // wParam channel, lParam new items
    kMsgRefreshList = 2170,          // to the channel tree: wParam channel id, show its list again
    kMsgItemReadState = 2171,        // to the channel tree: wParam item id, lParam 1 read, 0 unread
    kMsgReceiveStatus = 2172,        // to the channel tree: wParam 1 "正在更新" text, 0 none
    kMsgMarkShownRead = 2173,        // mark the shown channel or folder read
    kMsgSubscriptionHandOver = 2174,  // take over Temp/addrss.txt
};

// Whether another program may send `number` over the local channel: the rest are this
// program's own thread messages and are refused from outside.
bool IsExternalWindowMessage(int number);

// The longest line accepted, newline excluded: three signed 64-bit numbers and two blanks.
inline constexpr std::size_t kMaxWindowMessageLine = 3 * 20 + 2;

struct WindowMessage {
    int number = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

bool operator==(const WindowMessage& a, const WindowMessage& b);

// The local socket name for `dataRoot` (an absolute folder; trailing separators ignored):
// "QOVAMainProcessClass1.0-" + 16 hex digits of a 64-bit FNV-1a hash of the root's text.
// Only characters valid in a socket file name are used.
std::string LocalChannelName(const std::string& dataRoot);

// "NUMBER WPARAM LPARAM\n".
std::string EncodeWindowMessage(const WindowMessage& message);

// One line without its line end ("\n" or "\r\n" already removed or still present: both are
// accepted). Returns the message, or nothing with `why` set.
std::optional<WindowMessage> DecodeWindowMessage(const std::string& line,
                                                 std::string* why = nullptr);

}  // namespace zirvo
