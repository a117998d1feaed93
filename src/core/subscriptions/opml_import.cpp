#include "core/subscriptions/opml_import.h"

#include "core/config/proxy.h"
#include "core/feeds/feed_fetcher.h"
#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/opml_exchange.h"
#include "core/subscriptions/opml_tree.h"
#include "core/util/base64.h"
#include "core/util/files.h"
#include "core/util/xml_document.h"

namespace zirvo {

bool FetchOpmlAddress(IHttpClient& http, const std::string& url, std::string& bytes) {
    bytes.clear();
    if (!IsWebAddress(url)) {
        return false;
    }
    HttpRequest request;
    request.url = url;
    request.userAgent = kFeedUserAgent;
    const ProxySettings proxy = ProcessProxy();
    if (proxy.use == 1 && ShouldUseProxy(proxy, url)) {
        request.proxy = ProxyName(proxy);
        // For the proxy only: an https origin must never see the proxy's password.
        if (!proxy.userName.empty()) {
            request.proxyHeaders.push_back("Proxy-Authorization: Basic " +
                                           Base64Encode(proxy.userName + ":" + proxy.password));
        }
    }
    HttpResponse response = http.Perform(request);
    if (!response.Completed() || response.status < 200 || response.status > 299) {
        return false;
    }
    bytes = std::move(response.body);
    return true;
}

COpmlImport::COpmlImport(const CDataRoot& root, CErrorMsgDialog& messages)
    : m_root(root),
      m_messages(messages),
      m_currentEditor(m_current, JoinPath(root.TempDir(), kImportWorkingCopy), messages) {}

COpmlImport::~COpmlImport() {
    if (m_active) {
        Cancel();
    }
}

std::string COpmlImport::WorkingCopyPath() const {
    return JoinPath(m_root.TempDir(), kImportWorkingCopy);
}

bool COpmlImport::Begin() {
    std::string bytes;
    if (!ReadFileBytes(m_root.OpmlPath(), bytes) || !MakeDirectories(m_root.TempDir()) ||
        !WriteFileAtomic(WorkingCopyPath(), bytes)) {
        m_messages.ShowById(kOpmlFileError);
        return false;
    }
    m_active = true;
    // Counts as the working copy has them: the tree state was saved just before.
    ChannelTreeSettings settings;
    settings.whenExitRememberUnreadNum = 1;
    m_current.SetSettings(settings);
    if (!m_currentEditor.Load()) {
        Cancel();
        return false;
    }
    return true;
}

bool COpmlImport::LoadSourceFile(const std::string& path) {
    m_source.Clear();
    CXmlDocument doc;
    std::vector<OpmlOutline> outlines;
    if (!doc.LoadFile(path) || !COpmlTree::ReadOutlines(doc, outlines)) {
        m_messages.ShowMessageBox(kUnknownOpmlFormat);
        return false;
    }
    m_source.InsertOutlines(kNoNode, outlines, false);
    return true;
}

bool COpmlImport::LoadSourceBytes(const std::string& url, std::string_view bytes) {
    m_source.Clear();
    if (!IsWebAddress(url)) {
        m_messages.ShowMessageBox(kInvalidLink);
        return false;
    }
    const std::string path = JoinPath(m_root.TempDir(), TempNameForOpmlUrl(url));
    if (!MakeDirectories(m_root.TempDir()) || !WriteFileAtomic(path, bytes)) {
        m_messages.ShowMessageBox(kUnknownOpmlFormat);
        return false;
    }
    return LoadSourceFile(path);
}

bool COpmlImport::LoadSourceAddress(const std::string& url, IHttpClient* http) {
    m_source.Clear();
    CCurlHttpClient ownClient;
    std::string bytes;
    if (!FetchOpmlAddress(http ? *http : ownClient, url, bytes)) {
        m_messages.ShowMessageBox(kInvalidLink);
        return false;
    }
    return LoadSourceBytes(url, bytes);
}

NodeId COpmlImport::Import(NodeId sourceNode, NodeId target, bool toRoot) {
    if (!m_active || !m_source.Exists(sourceNode)) {
        return kNoNode;
    }
    const NodeId parent = toRoot ? kNoNode : target;
    if (parent != kNoNode && !m_current.Exists(parent)) {
        return kNoNode;
    }
    const std::vector<NodeId> added =
        m_current.InsertOutlines(parent, m_source.ToOutlines(sourceNode), false);
    if (added.empty()) {
        return kNoNode;
    }
    m_source.Remove(sourceNode);
    m_current.SetExpanded(parent, true);
    // The working copy follows the list, so that a folder added later lands at its path.
    WriteSubscriptionFile(m_current, WorkingCopyPath());
    m_current.SetCurrent(added.front());
    return added.front();
}

bool COpmlImport::ImportAll(NodeId target, bool toRoot) {
    bool all = true;
    for (NodeId top : m_source.Children(kNoNode)) {
        all = Import(top, target, toRoot) != kNoNode && all;
    }
    return all;
}

NodeId COpmlImport::AddFolder(NodeId parent, const std::string& name, const std::string& homeUrl) {
    return m_active ? m_currentEditor.AddFolder(parent, name, homeUrl) : kNoNode;
}

bool COpmlImport::Save() {
    if (!m_active) {
        return false;
    }
    std::string error;
    if (!WriteSubscriptionFile(m_current, m_root.OpmlPath(), &error)) {
        m_messages.ShowMessageBox(kImportFailed);
        return false;
    }
    Cancel();
    return true;
}

void COpmlImport::Cancel() {
    RemoveFile(WorkingCopyPath());
    m_active = false;
}

}  // namespace zirvo
