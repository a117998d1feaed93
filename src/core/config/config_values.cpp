#include "core/config/config_values.h"

#include <cstring>

#include "core/config/system_pages.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

enum class Kind { Text, Flag, Integer, Colour, WorkMode, Range, ProxyPort, DebugFolder, Style };

struct KeyRule {
    const char* key;
    Kind kind;
    long long low = 0;
    long long high = 0;
    const char* message = nullptr;
};

const KeyRule kRules[] = {
    {"proxy/use", Kind::Flag},
    {"proxy/localporxyuse", Kind::Flag},
    {"proxy/port", Kind::ProxyPort},
    {"debug/use", Kind::Flag},
    {"debug/out", Kind::DebugFolder},
    {"viewframemode", Kind::Integer},
    {"splitterdirection", Kind::Integer},
    {"outbarmode", Kind::WorkMode},
    {"wndpos/left", Kind::Integer},
    {"wndpos/top", Kind::Integer},
    {"wndpos/right", Kind::Integer},
    {"wndpos/bottom", Kind::Integer},
    {"wndpos/leftframewidth", Kind::Integer},
    {"wndpos/topframeheight", Kind::Integer},
    {"rss/articlestyle", Kind::Style},
    {"rss/showwebpictures", Kind::Flag},
    {"rss/startupautoreceive", Kind::Flag},
    {"rss/autoreceive", Kind::Flag},
    {"rss/autoreceivetype", Kind::Flag},
    {"rss/autoreceivetime", Kind::Range, 5, 1440, kMsgMinutesRange},
    {"rss/clickchannelautoreceive", Kind::Flag},
    {"rss/switchchannelautomakeread", Kind::Flag},
    {"rss/whenexitrememberunreadnum", Kind::Flag},
    {"rss/paginationnum", Kind::Range, 30, 1000, kMsgPageSizeRange},
    {"rss/storagetype", Kind::Range, 1, 3, kMsgChooseSetting},
    {"rss/storagenum", Kind::Range, 10, 16000000, kMsgBadStorageCount},
    {"rss/fetchesinflight", Kind::Range, 1, 64, kMsgFetchesInFlightRange},
    {"rss/fetchesperhost", Kind::Range, 1, 16, kMsgFetchesPerHostRange},
    {"rss/maxfeeditems", Kind::Range, 1, 16000000, kMsgBadStorageCount},
    {"rss/titleunreadcolor", Kind::Colour},
    {"rss/titlereadcolor", Kind::Colour},
    {"rss/dateandauthorcolor", Kind::Colour},
    {"rss/usebigtitlefont", Kind::Flag},
    {"rss/useboldtitlefont", Kind::Flag},
    {"rss/enableautoupdate", Kind::Flag},
    {"rss/enableminimizetonotifyarea", Kind::Flag},
};

const KeyRule* RuleOf(const std::string& key) {
    for (const KeyRule& rule : kRules) {
        if (key == rule.key) {
            return &rule;
        }
    }
    return nullptr;
}

SettingsCheck Refuse(const char* message) {
    return RefuseSetting(message, SettingsField::Value);
}

// A whole number in [low, high], written back as "%d".
SettingsCheck CheckNumber(const std::string& value, long long low, long long high,
                          const char* message, std::string& stored) {
    long long number = 0;
    if (!ParseInt(Trim(value), number) || number < low || number > high) {
        return Refuse(message);
    }
    stored = StrFormat("%lld", number);
    return {};
}

bool IsProxyKey(const std::string& key) {
    return key.rfind("proxy/", 0) == 0;
}

}  // namespace

bool NormaliseConfigKey(const std::string& text, std::string& key) {
    std::string k = text;
    if (k.rfind("/", 0) == 0) {
        k.erase(0, 1);
    }
    if (k == "app") {
        k.clear();
    } else if (k.rfind("app/", 0) == 0) {
        k.erase(0, 4);
    }
    while (!k.empty() && k.back() == '/') {
        k.pop_back();
    }
    if (k.find("//") != std::string::npos || (!k.empty() && k.front() == '/')) {
        return false;
    }
    for (char c : k) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '/' || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    key = k;
    return true;
}

SettingsCheck CheckConfigValue(const std::string& key, const std::string& value,
                               std::string& stored) {
    const KeyRule* rule = RuleOf(key);
    if (rule == nullptr) {
        stored = value;
        return {};
    }
    switch (rule->kind) {
        case Kind::Flag:
            return CheckNumber(value, 0, 1, kMsgZeroOrOne, stored);
        case Kind::WorkMode:
            return CheckNumber(value, 0, 2, kMsgWorkMode, stored);
        case Kind::Colour:
            return CheckNumber(value, 0, 0xFFFFFF, kMsgColour, stored);
        case Kind::Integer:
            return CheckNumber(value, -2147483648LL, 2147483647LL, kMsgWholeNumber, stored);
        case Kind::Range:
            return CheckNumber(value, rule->low, rule->high, rule->message, stored);
        case Kind::ProxyPort:
            if (!FormatProxyPort(value, stored)) {
                return RefuseSetting(kMsgProxyPortRange, SettingsField::ProxyPort);
            }
            return {};
        case Kind::DebugFolder:
            stored = DebugFolderFromPathText(Trim(value));
            return {};
        case Kind::Style:
            if (value.find_first_of("/\\<>") != std::string::npos) {
                return Refuse(kMsgInvalidChars);
            }
            stored = value;
            return {};
        case Kind::Text:
            break;
    }
    stored = value;
    return {};
}

int ReadConfigValues(CAppConfig& config, const std::string& path,
                     std::vector<std::pair<std::string, std::string>>& out) {
    std::string key;
    if (!NormaliseConfigKey(path, key)) {
        config.Messages().ShowById(7001);
        return 0;
    }
    return config.ListAppValues(key, out);
}

namespace {

// A proxy value goes through the proxy page's rule with the rest of the group as the file holds
// it, and is written with the whole group so that the process-wide record follows the file.
ConfigWrite WriteProxyValue(CAppConfig& config, const std::string& key, const std::string& stored) {
    ConfigWrite result;
    ProxySettings proxy;
    if (!config.ReadProxySettings(proxy)) {
        return result;
    }
    ProxyPageInput input = ProxyPageInputOf(proxy);
    if (key == "proxy/use") {
        input.use = stored == "1";
    } else if (key == "proxy/localporxyuse") {
        input.useForLocal = stored == "1";
    } else if (key == "proxy/server") {
        input.server = stored;
    } else if (key == "proxy/port") {
        input.portText = stored;
    } else if (key == "proxy/username") {
        input.userName = stored;
    } else if (key == "proxy/password") {
        input.password = stored;
    } else {
        // An element the proxy group does not know: written on its own.
        result.written = config.WriteAppValue(key, stored);
        result.stored = stored;
        return result;
    }
    ProxySettings checked;
    SettingsCheck check = CheckProxyPage(input, checked);
    if (!check.ok && check.focus == SettingsField::ProxyPort && key != "proxy/port") {
        // NOTE: a port that a hand edit left unreadable stays as it is; it must not block
        // switching the proxy off or changing its server.
        input.portText.clear();
        check = CheckProxyPage(input, checked);
        checked.port = proxy.port;
    }
    if (!check.ok) {
        result.check = check;
        return result;
    }
    result.written = CommitProxyPage(config, checked);
    if (key == "proxy/server") {
        result.stored = checked.server;
    } else if (key == "proxy/port") {
        result.stored = checked.port;
    } else {
        result.stored = stored;
    }
    return result;
}

}  // namespace

ConfigWrite WriteConfigValue(CAppConfig& config, const std::string& path,
                             const std::string& value) {
    ConfigWrite result;
    std::string key;
    if (!NormaliseConfigKey(path, key)) {
        result.check = Refuse(kMsgBadSettingPath);
        return result;
    }
    std::vector<std::pair<std::string, std::string>> below;
    if (!config.ListAppValues(key, below)) {
        return result;
    }
    if (key.empty() || below.size() != 1 || below.front().first != key) {
        result.check = Refuse(kMsgNotOneSetting);
        return result;
    }
    std::string stored;
    result.check = CheckConfigValue(key, value, stored);
    if (!result.check.ok) {
        return result;
    }
    if (IsProxyKey(key)) {
        return WriteProxyValue(config, key, stored);
    }
    result.written = config.WriteAppValue(key, stored);
    result.stored = stored;
    return result;
}

}  // namespace zirvo
