#pragma once
// Reading and writing any one setting of config/appConfig.xml by its path, through the same
// checks the settings pages apply on OK (zirvo-cli config; also usable by any front end that
// edits one value at a time).
//
// A key is the element path below /app/: "rss/paginationnum", "proxy/port", "outbarmode";
// "/app/rss/paginationnum" and "app/rss/paginationnum" name the same element. A key that names
// a group ("rss", "proxy", or "" for the whole file) lists every setting below it.
//
// Checks by key (the page whose rule applies; refused values are not written):
//   rss/autoreceivetime     5..1440               "分钟数需在 5~1440 之间"
//   rss/paginationnum       30..1000              "分页数需在 30~1000 之间"
//   rss/storagenum          10..16000000          "不是合理的存储数量!"
//   rss/storagetype         1, 2 or 3             "请选择一个设置"
//   proxy/server            not empty while proxy/use is 1      "请输入代理服务器地址!"
//   proxy/use               1 only with a server                "请输入代理服务器地址!"
//   proxy/port              empty or 1..65535, written "%d"     "端口号需在 1~65535 之间"
//   debug/out               a folder, or a path ending in /qova_debug.html (cut off)
//   check boxes (0 or 1)    "请输入 0 或 1"; outbarmode 0..2; colours 0..16777215;
//   other integers          a whole number        "请输入一个整数"
//   rss/articlestyle        a skin's file title: no "/", "\", "<", ">"  "您输入了无效的字符!"
// Numbers are written as "%d" of their value; other texts as given. A proxy value is written
// with its whole group, as the proxy page does, and the process-wide proxy record follows.
//
// Threading: the caller's thread; the file is read and written afresh on every call.

#include <string>
#include <utility>
#include <vector>

#include "core/config/app_config.h"
#include "core/config/settings_check.h"

namespace zirvo {

// "/app/x/y", "app/x/y", "x/y" -> "x/y"; "/app", "app", "" -> "". False when the text cannot
// name an element (characters other than letters, digits, "_", "-", "/"; empty steps).
bool NormaliseConfigKey(const std::string& text, std::string& key);

// The check of one value by its key; on success `stored` is the text to write.
SettingsCheck CheckConfigValue(const std::string& key, const std::string& value,
                               std::string& stored);

// Every setting below `path` (any form above), as (key, text). 0 with message 7000/7001 shown
// when the file cannot be read or the path names no element (or cannot name one).
int ReadConfigValues(CAppConfig& config, const std::string& path,
                     std::vector<std::pair<std::string, std::string>>& out);

// The outcome of WriteConfigValue: `check` refused the value (nothing written), or the write
// ran and `written` says whether the file took it (0: message 7000/7001 already shown).
struct ConfigWrite {
    SettingsCheck check;
    int written = 0;
    std::string stored;  // the text now in the file
};

// Checks and writes the one setting at `path` (any form above). A path that names a group is
// refused with kMsgNotOneSetting, one that cannot name an element with kMsgBadSettingPath.
ConfigWrite WriteConfigValue(CAppConfig& config, const std::string& path, const std::string& value);

inline constexpr char kMsgNotOneSetting[] = "只能修改一个设置，不能修改一组设置";
inline constexpr char kMsgBadSettingPath[] = "无效的设置路径";

}  // namespace zirvo
