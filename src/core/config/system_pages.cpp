#include "core/config/system_pages.h"

#include "core/config/proxy.h"
#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo {

bool FormatProxyPort(const std::string& text, std::string& out) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) {
        out.clear();
        return true;
    }
    long long port = 0;
    if (!ParseInt(trimmed, port) || port < 1 || port > 65535) {
        return false;
    }
    out = StrFormat("%d", static_cast<int>(port));
    return true;
}

ProxyPageInput ProxyPageInputOf(const ProxySettings& proxy) {
    return {proxy.use != 0, proxy.useForLocal != 0, proxy.server,
            proxy.port,     proxy.userName,         proxy.password};
}

SettingsCheck CheckProxyPage(const ProxyPageInput& input, ProxySettings& out) {
    const std::string server = Trim(input.server);
    if (input.use && server.empty()) {
        return RefuseSetting(kMsgEnterProxyServer, SettingsField::ProxyServer);
    }
    std::string port;
    if (!FormatProxyPort(input.portText, port)) {
        return RefuseSetting(kMsgProxyPortRange, SettingsField::ProxyPort);
    }
    out.use = input.use ? 1 : 0;
    out.useForLocal = input.useForLocal ? 1 : 0;
    out.server = server;
    out.port = port;
    out.userName = input.userName;
    out.password = input.password;
    return {};
}

int CommitProxyPage(CAppConfig& config, const ProxySettings& proxy) {
    if (!config.WriteProxySettings(proxy)) {
        return 0;
    }
    SetProcessProxy(proxy);
    return 1;
}

std::string DebugPathText(const std::string& folder) {
    return folder + "/" + kDebugFileName;
}

std::string DebugPathTextForChosenFolder(const std::string& chosen) {
    if (!chosen.empty() && chosen.back() == '/') {
        return chosen + kDebugFileName;
    }
    return chosen + "/" + kDebugFileName;
}

std::string DebugFolderFromPathText(const std::string& pathText) {
    const std::string suffix = std::string("/") + kDebugFileName;
    std::string folder = pathText;
    if (folder.size() >= suffix.size() &&
        folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) == 0) {
        folder.erase(folder.size() - suffix.size());
        return folder;
    }
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

DebugSettings AdvancedPageSettings(bool use, const std::string& pathText) {
    DebugSettings settings;
    settings.use = use ? 1 : 0;
    settings.outFolder = DebugFolderFromPathText(pathText);
    return settings;
}

namespace {

std::string FileAddress(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

}  // namespace

std::string HelpPageAddress(const std::string& dataRoot, const std::string& shippedDataDir) {
    for (const std::string& dir : {dataRoot, shippedDataDir}) {
        if (dir.empty()) {
            continue;
        }
        const std::string page = JoinPath(dir, "Data/Help/index.html");
        if (FileExists(page)) {
            return FileAddress(page);
        }
    }
    return {};
}

}  // namespace zirvo
