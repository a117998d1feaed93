#include "core/config/app_config.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "core/util/strings.h"
#include "core/util/xml_document.h"

namespace zirvo {
namespace {

constexpr int kMsgCannotLoad = 7000;
constexpr int kMsgMissingElement = 7001;

// One setting of a group: its path and how it moves between the record and the element text.
struct Field {
    const char* path;
    std::function<void(const std::string&)> read;
    std::function<std::string()> write;
};

Field IntField(const char* path, int& value) {
    return Field{path, [&value](const std::string& text) { value = ToInt(text); },
                 [&value] { return StrFormat("%d", value); }};
}

Field IntField(const char* path, const int& value) {
    return Field{path, nullptr, [&value] { return StrFormat("%d", value); }};
}

Field TextField(const char* path, std::string& value) {
    return Field{path, [&value](const std::string& text) { value = text; },
                 [&value] { return value; }};
}

Field TextField(const char* path, const std::string& value) {
    return Field{path, nullptr, [&value] { return value; }};
}

}  // namespace

CAppConfig::CAppConfig(std::string path, CErrorMsgDialog& messages)
    : m_path(std::move(path)), m_messages(messages) {}

namespace {

// The read steps: load, then select each path in order; a missing node ends the read with
// 7001, leaving the fields read so far filled in.
int RunRead(const std::string& file, CErrorMsgDialog& messages, const std::vector<Field>& fields) {
    CXmlDocument doc;
    if (!doc.LoadFile(file)) {
        messages.ShowById(kMsgCannotLoad);
        return 0;
    }
    for (const Field& field : fields) {
        XmlNode node = doc.SelectNode(field.path);
        if (node.IsNull()) {
            messages.ShowById(kMsgMissingElement);
            return 0;
        }
        field.read(node.Text());
    }
    return 1;
}

// The write steps: load, set every node, and save only when all of them were found.
int RunWrite(const std::string& file, CErrorMsgDialog& messages, const std::vector<Field>& fields) {
    CXmlDocument doc;
    if (!doc.LoadFile(file)) {
        messages.ShowById(kMsgCannotLoad);
        return 0;
    }
    for (const Field& field : fields) {
        XmlNode node = doc.SelectNode(field.path);
        if (node.IsNull()) {
            messages.ShowById(kMsgMissingElement);
            return 0;
        }
        node.SetText(field.write());
    }
    if (!doc.SaveFile(file)) {
        messages.ShowById(kMsgMissingElement);
        return 0;
    }
    return 1;
}

template <typename Record>
std::vector<Field> ProxyFields(Record& r) {
    return {IntField("/app/proxy/use", r.use),
            IntField("/app/proxy/localporxyuse", r.useForLocal),
            TextField("/app/proxy/server", r.server),
            TextField("/app/proxy/port", r.port),
            TextField("/app/proxy/username", r.userName),
            TextField("/app/proxy/password", r.password)};
}

template <typename Record>
std::vector<Field> DebugFields(Record& r) {
    return {IntField("/app/debug/use", r.use), TextField("/app/debug/out", r.outFolder)};
}

template <typename Record>
std::vector<Field> WindowFields(Record& r) {
    return {IntField("/app/wndpos/left", r.left),
            IntField("/app/wndpos/top", r.top),
            IntField("/app/wndpos/right", r.right),
            IntField("/app/wndpos/bottom", r.bottom),
            IntField("/app/wndpos/leftframewidth", r.leftFrameWidth),
            IntField("/app/wndpos/topframeheight", r.topFrameHeight)};
}

template <typename Record>
std::vector<Field> ReceiveFields(Record& r) {
    return {IntField("/app/rss/startupautoreceive", r.startupAutoReceive),
            IntField("/app/rss/autoreceive", r.autoReceive),
            IntField("/app/rss/autoreceivetype", r.autoReceiveType),
            IntField("/app/rss/autoreceivetime", r.autoReceiveTime),
            IntField("/app/rss/clickchannelautoreceive", r.clickChannelAutoReceive),
            IntField("/app/rss/switchchannelautomakeread", r.switchChannelAutoMakeRead),
            IntField("/app/rss/whenexitrememberunreadnum", r.whenExitRememberUnreadNum),
            IntField("/app/rss/paginationnum", r.paginationNum)};
}

template <typename Record>
std::vector<Field> StorageFields(Record& r) {
    return {IntField("/app/rss/storagetype", r.storageType),
            IntField("/app/rss/storagenum", r.storageNum)};
}

template <typename Record>
std::vector<Field> AppearanceFields(Record& r) {
    return {IntField("/app/rss/titleunreadcolor", r.titleUnreadColor),
            IntField("/app/rss/titlereadcolor", r.titleReadColor),
            IntField("/app/rss/dateandauthorcolor", r.dateAndAuthorColor),
            IntField("/app/rss/usebigtitlefont", r.useBigTitleFont),
            IntField("/app/rss/useboldtitlefont", r.useBoldTitleFont)};
}

template <typename Record>
std::vector<Field> StartupFields(Record& r) {
    return {IntField("/app/rss/enableautoupdate", r.enableAutoUpdate),
            IntField("/app/rss/enableminimizetonotifyarea", r.enableMinimizeToNotifyArea)};
}

// A key is a relative element path such as "rss/articlestyle"; anything that could turn it into
// a different expression is refused rather than evaluated.
bool IsPlainKey(const std::string& key) {
    if (key.empty() || key.front() == '/' || key.back() == '/') {
        return false;
    }
    for (char c : key) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '/' || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return key.find("//") == std::string::npos;
}

}  // namespace

int CAppConfig::ReadProxySettings(ProxySettings& out) {
    return RunRead(m_path, m_messages, ProxyFields(out));
}
int CAppConfig::WriteProxySettings(const ProxySettings& in) {
    return RunWrite(m_path, m_messages, ProxyFields(in));
}
int CAppConfig::ReadDebugSettings(DebugSettings& out) {
    return RunRead(m_path, m_messages, DebugFields(out));
}
int CAppConfig::WriteDebugSettings(const DebugSettings& in) {
    return RunWrite(m_path, m_messages, DebugFields(in));
}
int CAppConfig::ReadWindowPos(WindowPosSettings& out) {
    return RunRead(m_path, m_messages, WindowFields(out));
}
int CAppConfig::WriteWindowPos(const WindowPosSettings& in) {
    return RunWrite(m_path, m_messages, WindowFields(in));
}
int CAppConfig::ReadReceiveSettings(ReceiveSettings& out) {
    return RunRead(m_path, m_messages, ReceiveFields(out));
}
int CAppConfig::WriteReceiveSettings(const ReceiveSettings& in) {
    return RunWrite(m_path, m_messages, ReceiveFields(in));
}
int CAppConfig::ReadStorageSettings(StorageSettings& out) {
    return RunRead(m_path, m_messages, StorageFields(out));
}
int CAppConfig::WriteStorageSettings(const StorageSettings& in) {
    return RunWrite(m_path, m_messages, StorageFields(in));
}
int CAppConfig::ReadAppearanceSettings(AppearanceSettings& out) {
    return RunRead(m_path, m_messages, AppearanceFields(out));
}
int CAppConfig::WriteAppearanceSettings(const AppearanceSettings& in) {
    return RunWrite(m_path, m_messages, AppearanceFields(in));
}
int CAppConfig::ReadMaxFeedItems() {
    CXmlDocument doc;
    if (!doc.LoadFile(m_path)) {
        return 0;
    }
    long long value = 0;
    XmlNode node = doc.SelectNode("/app/rss/maxfeeditems");
    if (!node || !ParseInt(Trim(node.Text()), value) || value <= 0) {
        return 0;
    }
    return value > 16000000 ? 16000000 : static_cast<int>(value);
}

int CAppConfig::ReadStartupSettings(StartupSettings& out) {
    return RunRead(m_path, m_messages, StartupFields(out));
}
int CAppConfig::WriteStartupSettings(const StartupSettings& in) {
    return RunWrite(m_path, m_messages, StartupFields(in));
}

int CAppConfig::ReadFetchSettings(FetchSettings& out) {
    out = FetchSettings();
    CXmlDocument doc;
    if (!doc.LoadFile(m_path)) {
        return 1;
    }
    auto read = [&doc](const char* path, int& value, int low, int high) {
        XmlNode node = doc.SelectNode(path);
        if (!node.IsNull() && !Trim(node.Text()).empty()) {
            value = std::clamp(ToInt(node.Text()), low, high);
        }
    };
    read("/app/rss/fetchesinflight", out.inFlight, 1, 64);
    read("/app/rss/fetchesperhost", out.perHost, 1, 16);
    return 1;
}

int CAppConfig::ReadFrameModes(FrameModes& out) {
    FrameModes modes;
    if (!RunRead(m_path, m_messages,
                 {IntField("/app/viewframemode", modes.viewFrameMode),
                  IntField("/app/splitterdirection", modes.splitterDirection),
                  IntField("/app/outbarmode", modes.outbarMode)})) {
        return 0;
    }
    if (modes.outbarMode < 0 || modes.outbarMode > 2) {
        modes.outbarMode = 1;
    }
    out = modes;
    return 1;
}

int CAppConfig::ReadAppValue(const std::string& key, std::string& value) {
    if (!IsPlainKey(key)) {
        m_messages.ShowById(kMsgMissingElement);
        return 0;
    }
    std::string path = "/app/" + key;
    return RunRead(m_path, m_messages, {TextField(path.c_str(), value)});
}

int CAppConfig::WriteAppValue(const std::string& key, const std::string& value) {
    if (!IsPlainKey(key)) {
        m_messages.ShowById(kMsgMissingElement);
        return 0;
    }
    std::string path = "/app/" + key;
    return RunWrite(m_path, m_messages, {TextField(path.c_str(), value)});
}

namespace {

void CollectSettings(const XmlNode& node, const std::string& key,
                     std::vector<std::pair<std::string, std::string>>& out) {
    std::vector<XmlNode> children = node.Children();
    if (children.empty()) {
        out.emplace_back(key, node.Text());
        return;
    }
    for (const XmlNode& child : children) {
        CollectSettings(child, key.empty() ? child.Name() : key + "/" + child.Name(), out);
    }
}

}  // namespace

int CAppConfig::ListAppValues(const std::string& key,
                              std::vector<std::pair<std::string, std::string>>& out) {
    if (!key.empty() && !IsPlainKey(key)) {
        m_messages.ShowById(kMsgMissingElement);
        return 0;
    }
    CXmlDocument doc;
    if (!doc.LoadFile(m_path)) {
        m_messages.ShowById(kMsgCannotLoad);
        return 0;
    }
    XmlNode node = doc.SelectNode(key.empty() ? std::string("/app") : "/app/" + key);
    if (node.IsNull()) {
        m_messages.ShowById(kMsgMissingElement);
        return 0;
    }
    CollectSettings(node, key, out);
    return 1;
}

}  // namespace zirvo
