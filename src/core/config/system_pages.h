#pragma once
// The rules of the two system settings pages that edit config/appConfig.xml's proxy and debug
// groups, and the address the message dialog's "转到帮助页面" opens. The windows own the widgets;
// everything they decide lives here so that zirvo-cli applies the same rules.
//
// Threading: the check and text functions are pure (any thread). CommitProxyPage writes the
// file and the process-wide proxy record; call it from the thread that runs the settings page
// (the window thread, or zirvo-cli's main thread).

#include <string>

#include "core/config/app_config.h"
#include "core/config/settings_check.h"

namespace zirvo {

// ---- proxy page ("代理服务器") ------------------------------------------------------------------

// The page's widgets as they hold their values.
struct ProxyPageInput {
    bool use = false;          // "使用代理服务器"
    bool useForLocal = false;  // "对于本地地址使用代理服务器(不推荐)"
    std::string server;
    std::string portText;  // the port field's text
    std::string userName;
    std::string password;
};

// The page's widgets as they open: the record the file holds.
ProxyPageInput ProxyPageInputOf(const ProxySettings& proxy);

// On OK: with the proxy on, an empty server (blanks count as empty) is refused with
// "请输入代理服务器地址!" (focus: server). The port is formatted "%d" from its text; an empty
// port stays empty (the proxy name is then "server:" and curl uses its default proxy port).
// NOTE: a port that is not a whole number from 1 to 65535 is refused with
// "端口号需在 1~65535 之间" (focus: port) instead of being written as "0", which would point
// every fetch at a port nothing listens on. On success `out` holds the record to write, with
// the server trimmed.
SettingsCheck CheckProxyPage(const ProxyPageInput& input, ProxySettings& out);

// The port rule alone: "08080" -> "8080", " 3128 " -> "3128", "" -> "". False (and `out`
// untouched) for anything else.
bool FormatProxyPort(const std::string& text, std::string& out);

// Writes the group with WriteProxySettings and, when the file took it, copies it into the
// process-wide record (SetProcessProxy), so that the next feed fetch and blog client use it.
// When the write fails (message 7000/7001 already shown) the record keeps the values the file
// still holds, and 0 is returned: the page stays open.
int CommitProxyPage(CAppConfig& config, const ProxySettings& proxy);

// ---- advanced page ("高级") -------------------------------------------------------------------

inline constexpr char kAdvancedPageTitle[] = "高级";
inline constexpr char kDebugFolderBrowserTitle[] = "选择一个您要存放调试文件的目录";
inline constexpr char kDebugFileName[] = "qova_debug.html";

// The read-only path field for the stored folder: folder + "/qova_debug.html" ("" gives
// "/qova_debug.html", the root).
std::string DebugPathText(const std::string& folder);
// The path field after "更改" chose `chosen`: + "qova_debug.html" when it already ends in "/",
// else + "/qova_debug.html" (the root "/" gives "/qova_debug.html").
std::string DebugPathTextForChosenFolder(const std::string& chosen);
// On OK: the folder to store, the path text cut before its final "/qova_debug.html"
// ("/qova_debug.html" gives "", stored for the root). A text without that ending is taken as
// the folder itself, without trailing "/".
std::string DebugFolderFromPathText(const std::string& pathText);
// "更改" is enabled only while "开启调试模式" is ticked.
inline bool DebugChangeEnabled(bool use) {
    return use;
}
// On OK: the record to write with WriteDebugSettings.
DebugSettings AdvancedPageSettings(bool use, const std::string& pathText);

// ---- help page --------------------------------------------------------------------------------

// The address "转到帮助页面" opens with the desktop's default browser: the help page under the
// data root (Data/Help/index.html, seeded from the shipped data) as a file:// address, else the
// shipped copy (`shippedDataDir`/Data/Help/index.html); empty when neither exists. Characters
// outside A-Z a-z 0-9 - . _ ~ / are percent-encoded (UTF-8 bytes).
std::string HelpPageAddress(const std::string& dataRoot, const std::string& shippedDataDir);

}  // namespace zirvo
