#pragma once
// The outcome of a settings page's check on OK, and the texts the pages refuse with. A check
// returns ok, or the message to show and the field that gets the focus; the page stays open and
// nothing is written when a check fails.
//
// Threading: values and pure functions; any thread.

#include <string>

namespace zirvo {

// Options dialog, general page ("常规") and storage page ("存储").
inline constexpr char kMsgMinutesRange[] = "分钟数需在 5~1440 之间";
inline constexpr char kMsgPageSizeRange[] = "分页数需在 30~1000 之间";
inline constexpr char kMsgBadStorageCount[] = "不是合理的存储数量!";
inline constexpr char kMsgChooseSetting[] = "请选择一个设置";
// Cleaning wizard.
inline constexpr char kMsgCleaningDays[] = "请输入 0 ~ 365 间的数字";
inline constexpr char kMsgChooseChannelToClean[] = "请选择至少一个要清理的频道!";
// Proxy page ("代理服务器").
inline constexpr char kMsgEnterProxyServer[] = "请输入代理服务器地址!";
inline constexpr char kMsgProxyPortRange[] = "端口号需在 1~65535 之间";
// Values that are a check box (0 or 1), a choice, a whole number or a colour.
inline constexpr char kMsgZeroOrOne[] = "请输入 0 或 1";
inline constexpr char kMsgWholeNumber[] = "请输入一个整数";
inline constexpr char kMsgFetchesInFlightRange[] = "同时收取的频道数需在 1~64 之间";
inline constexpr char kMsgFetchesPerHostRange[] = "每个网站同时收取数需在 1~16 之间";
inline constexpr char kMsgColour[] = "颜色值需在 0~16777215 之间";
inline constexpr char kMsgWorkMode[] = "工作模式只能是 0、1 或 2";
inline constexpr char kMsgInvalidChars[] = "您输入了无效的字符!";

enum class SettingsField {
    None,
    Minutes,       // the minutes drop-down of the general page
    PageSize,      // the page-size field
    StorageCount,  // the item count drop-down
    StorageType,   // the three storage radio buttons
    CleaningDays,  // the days drop-down of the cleaning wizard
    ProxyServer,   // the proxy page's server address
    ProxyPort,     // the proxy page's port
    Value,         // the one value of a key written on its own (zirvo-cli config)
};

struct SettingsCheck {
    bool ok = true;
    std::string message;
    SettingsField focus = SettingsField::None;
};

inline SettingsCheck RefuseSetting(std::string message, SettingsField focus) {
    return {false, std::move(message), focus};
}

}  // namespace zirvo
