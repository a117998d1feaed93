#include "core/subscriptions/opml_import.h"

#include "core/config/proxy.h"
#include "core/feeds/feed_fetcher.h"
#include "core/net/apply_proxy.h"
#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/opml_exchange.h"
#include "core/subscriptions/opml_tree.h"
#include "core/util/files.h"
#include "core/util/xml_document.h"

namespace zirvo {

bool FetchOpmlAddress(IHttpClient& http, const std::string& url, std::string& bytes,
                      std::string* why, const std::atomic<bool>* abort) {
    bytes.clear();
    auto fail = [why](std::string cause) {
        if (why) {
            *why = std::move(cause);
        }
        return false;
    };
    if (!IsWebAddress(url)) {
        return fail("只能获取http://和https://地址");
    }
    HttpRequest request;
    request.url = url;
    request.userAgent = kFeedUserAgent;
    request.abortFlag = abort;
    ApplyProxy(request, ProcessProxy(), url);
    HttpResponse response = http.Perform(request);
    if (!response.Completed()) {
        return fail(response.error);
    }
    if (response.status < 200 || response.status > 299) {
        return fail("服务器答复了HTTP " + std::to_string(response.status));
    }
    bytes = std::move(response.body);
    return true;
}

OpmlSourceRead ReadOpmlSourceFile(const std::string& path) {
    OpmlSourceRead read;
    CXmlDocument doc;
    if (!doc.LoadFile(path)) {
        // The fixed text first, then why and where, so that a broken file can be mended.
        read.message = std::string(kUnknownOpmlFormat) + "\n" + doc.LastError();
        return read;
    }
    if (!COpmlTree::ReadOutlines(doc, read.outlines)) {
        read.message = std::string(kUnknownOpmlFormat) + "\n" +
                       "the file is XML but not OPML: its root element is <" + doc.Root().Name() +
                       "> and it has no /opml/body";
        return read;
    }
    read.ok = true;
    return read;
}

OpmlSourceRead ReadOpmlSourceBytes(const std::string& tempDir, const std::string& url,
                                   std::string_view bytes) {
    OpmlSourceRead read;
    if (!IsWebAddress(url)) {
        read.message = kInvalidLink;
        return read;
    }
    const std::string path = JoinPath(tempDir, TempNameForOpmlUrl(url));
    if (!MakeDirectories(tempDir) || !WriteFileAtomic(path, bytes)) {
        read.message = std::string(kUnknownOpmlFormat) + "\ncannot write " + path;
        return read;
    }
    return ReadOpmlSourceFile(path);
}

OpmlSourceRead ReadOpmlSourceAddress(const std::string& tempDir, const std::string& url,
                                     IHttpClient& http, const std::atomic<bool>* abort) {
    std::string bytes;
    std::string why;
    if (!FetchOpmlAddress(http, url, bytes, &why, abort)) {
        OpmlSourceRead read;
        read.message = std::string(kInvalidLink) + "\n" + why;
        return read;
    }
    return ReadOpmlSourceBytes(tempDir, url, bytes);
}

namespace {

// Keeps the outlines that `keep` accepts, depth first; a refused outline goes with its subtree,
// and a folder that had children and kept none goes as well. `path` is the caption path of the
// outlines' parent.
template <typename Keep>
void FilterOutlines(std::vector<OpmlOutline>& outlines, const std::string& path, Keep& keep) {
    std::vector<OpmlOutline> kept;
    kept.reserve(outlines.size());
    for (OpmlOutline& outline : outlines) {
        const std::string own =
            (path.empty() ? std::string() : path + "/") + EscapeCaption(outline.Caption());
        if (!keep(outline, own)) {
            continue;
        }
        const bool hadChildren = !outline.children.empty();
        FilterOutlines(outline.children, own, keep);
        if (hadChildren && outline.children.empty() && outline.xmlUrl.empty()) {
            continue;
        }
        kept.push_back(std::move(outline));
    }
    outlines = std::move(kept);
}

}  // namespace

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
    return TakeSource(ReadOpmlSourceFile(path));
}

bool COpmlImport::TakeSource(OpmlSourceRead read) {
    m_source.Clear();
    m_refused.clear();
    if (!read.ok) {
        m_messages.ShowMessageBox(read.message);
        return false;
    }
    SetSource(std::move(read.outlines));
    return true;
}

void COpmlImport::SetSource(std::vector<OpmlOutline> outlines) {
    auto check = [this](OpmlOutline& outline, const std::string& path) {
        // The caption as the tree will show it: one line, at most 1,024 bytes.
        outline.title = CaptionFromText(outline.Caption());
        outline.hasTitle = true;
        outline.text.clear();
        const FieldCheck fields =
            CheckOutlineFields(outline.title, outline.xmlUrl, outline.htmlUrl);
        if (!fields.ok) {
            m_refused.push_back({path, outline.xmlUrl, fields.message, false});
        }
        return fields.ok;
    };
    FilterOutlines(outlines, std::string(), check);
    m_source.InsertOutlines(kNoNode, outlines, false);
}

std::vector<RefusedOutline> COpmlImport::DropAlreadySubscribed() {
    std::set<std::string> urls;
    for (NodeId id : m_current.SubtreeChannels(kNoNode)) {
        urls.insert(m_current.Node(id)->feedUrl);
    }
    std::vector<RefusedOutline> dropped;
    auto unseen = [&](const OpmlOutline& outline, const std::string& path) {
        if (outline.xmlUrl.empty() || urls.insert(outline.xmlUrl).second) {
            return true;
        }
        dropped.push_back({path, outline.xmlUrl, kAlreadySubscribed + path, true});
        return false;
    };
    std::vector<OpmlOutline> outlines = m_source.ToOutlines(kNoNode);
    FilterOutlines(outlines, std::string(), unseen);
    if (!dropped.empty()) {
        m_source.Clear();
        m_source.InsertOutlines(kNoNode, outlines, false);
    }
    return dropped;
}

bool COpmlImport::LoadSourceBytes(const std::string& url, std::string_view bytes) {
    return TakeSource(ReadOpmlSourceBytes(m_root.TempDir(), url, bytes));
}

bool COpmlImport::LoadSourceAddress(const std::string& url, IHttpClient* http) {
    CCurlHttpClient ownClient;
    return TakeSource(ReadOpmlSourceAddress(m_root.TempDir(), url, http ? *http : ownClient));
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
    m_workingCopyStale = true;
    m_current.SetCurrent(added.front());
    return added.front();
}

std::vector<NodeId> COpmlImport::ImportAll(NodeId target, bool toRoot) {
    const NodeId parent = toRoot ? kNoNode : target;
    if (!m_active || (parent != kNoNode && !m_current.Exists(parent))) {
        return {};
    }
    // One insert and one recount for the whole list: moving outline by outline would recount
    // the target folder, and shift the source's top level, once per outline.
    const std::vector<NodeId> added =
        m_current.InsertOutlines(parent, m_source.ToOutlines(kNoNode), false);
    m_source.Clear();
    if (!added.empty()) {
        m_current.SetExpanded(parent, true);
        m_workingCopyStale = true;
        m_current.SetCurrent(added.front());
    }
    return added;
}

bool COpmlImport::SyncWorkingCopy() {
    if (!m_workingCopyStale) {
        return true;
    }
    if (!WriteSubscriptionFile(m_current, WorkingCopyPath())) {
        m_messages.ShowMessageBox(kAddFailed);
        return false;
    }
    m_workingCopyStale = false;
    return true;
}

NodeId COpmlImport::AddFolder(NodeId parent, const std::string& name, const std::string& homeUrl) {
    // The folder lands at its path in the working copy, which must show the list as it is now.
    if (!m_active || !SyncWorkingCopy()) {
        return kNoNode;
    }
    return m_currentEditor.AddFolder(parent, name, homeUrl);
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
