#pragma once
// config/appConfig.xml: the application settings. Root element `app`; every setting is the text
// of one element at a fixed path (below). The shipped file holds every element and the program
// never creates one: a missing element makes the whole operation fail with message 7001 and a
// write that fails saves nothing. An unreadable file gives message 7000. Integers are decimal
// text read as atoi does; colours are decimal Windows RGB values (red in the low byte).
//
// Every operation runs load - select - set - save on a fresh document; nothing is cached.
// Each returns 1 on success and 0 on failure, having already shown the message.
//
// Threading: any thread; concurrent writers of the same file: the later save wins.

#include <string>
#include <utility>
#include <vector>

#include "core/config/error_msg_dialog.h"

namespace zirvo {

struct ProxySettings {
    int use = 0;           // /app/proxy/use
    int useForLocal = 0;   // /app/proxy/localporxyuse
    std::string server;    // /app/proxy/server
    std::string port;      // /app/proxy/port (text, joined as server:port)
    std::string userName;  // /app/proxy/username; empty = no proxy authentication
    std::string password;  // /app/proxy/password
};

struct DebugSettings {
    int use = 0;            // /app/debug/use
    std::string outFolder;  // /app/debug/out, no trailing separator
};

struct WindowPosSettings {
    int left = 0, top = 0, right = 0, bottom = 0;  // all 0: maximised
    int leftFrameWidth = 0;
    int topFrameHeight = 0;
};

struct ReceiveSettings {
    int startupAutoReceive = 0;
    int autoReceive = 0;
    int autoReceiveType = 0;
    int autoReceiveTime = 0;
    int clickChannelAutoReceive = 0;
    int switchChannelAutoMakeRead = 0;
    int whenExitRememberUnreadNum = 0;
    int paginationNum = 0;
};

struct StorageSettings {
    int storageType = 0;
    int storageNum = 0;
};

struct AppearanceSettings {
    int titleUnreadColor = 0;
    int titleReadColor = 0;
    int dateAndAuthorColor = 0;
    int useBigTitleFont = 0;
    int useBoldTitleFont = 0;
};

// How many channels are fetched at once (/app/rss/fetchesinflight, 1..64) and how many of them
// from one site (/app/rss/fetchesperhost, 1..16). These elements came after the first files
// were written: a file without them, or with a value out of range, gives the defaults (clamped)
// and no message.
struct FetchSettings {
    int inFlight = 16;
    int perHost = 2;
};

struct StartupSettings {
    int enableAutoUpdate = 0;
    int enableMinimizeToNotifyArea = 0;
};

// The main window's three mode integers below /app/.
struct FrameModes {
    int viewFrameMode = 0;
    int splitterDirection = 0;
    int outbarMode = 1;  // work mode: 0 blog library, 1 RSS reader, 2 favourites
};

class CAppConfig {
public:
    CAppConfig(std::string path, CErrorMsgDialog& messages);

    int ReadProxySettings(ProxySettings& out);
    int WriteProxySettings(const ProxySettings& in);
    int ReadDebugSettings(DebugSettings& out);
    int WriteDebugSettings(const DebugSettings& in);
    int ReadWindowPos(WindowPosSettings& out);
    int WriteWindowPos(const WindowPosSettings& in);
    int ReadReceiveSettings(ReceiveSettings& out);
    int WriteReceiveSettings(const ReceiveSettings& in);
    int ReadStorageSettings(StorageSettings& out);
    int WriteStorageSettings(const StorageSettings& in);
    int ReadAppearanceSettings(AppearanceSettings& out);
    int WriteAppearanceSettings(const AppearanceSettings& in);
    int ReadStartupSettings(StartupSettings& out);
    // Never shows a message; 1 even when the file lacks the elements (see FetchSettings).
    int ReadFetchSettings(FetchSettings& out);
    // `/app/rss/maxfeeditems`, the most items read from one feed document. 0 when the file or
    // the element is missing or holds no positive number (a file from before the setting): the
    // caller's default applies. Quiet: a missing element is no fault here.
    int ReadMaxFeedItems();
    int WriteStartupSettings(const StartupSettings& in);
    // `outbarmode` outside 0..2 (a hand-edited file) reads as 1, the reader.
    int ReadFrameModes(FrameModes& out);

    // The text of `/app/` + key ("viewframemode", "splitterdirection", "outbarmode",
    // "rss/articlestyle", "rss/newssearchurl", ...).
    int ReadAppValue(const std::string& key, std::string& value);
    int WriteAppValue(const std::string& key, const std::string& value);

    // Every element below `/app/` + key that holds no element (a setting), in document order,
    // as (key relative to /app/, text); the empty key lists the whole file. 7000 when the file
    // cannot be loaded, 7001 when the key names no element.
    int ListAppValues(const std::string& key,
                      std::vector<std::pair<std::string, std::string>>& out);

    const std::string& Path() const { return m_path; }
    CErrorMsgDialog& Messages() const { return m_messages; }

private:
    std::string m_path;
    CErrorMsgDialog& m_messages;
};

}  // namespace zirvo
