#include "core/subscriptions/opml_exchange.h"

#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/opml_tree.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "core/util/xml_document.h"

namespace zirvo {
namespace {

// Most file systems take 255 bytes per name; leave room for ".xml" and the suffix of the
// temporary file of an atomic write.
constexpr size_t kMaxTempNameBytes = 180;

void PrepareForExport(XmlNode outline) {
    if (outline.HasAttribute("title")) {
        outline.SetAttribute("text", outline.Attribute("title"));
    }
    if (outline.HasAttribute("xmlUrl") && outline.Attribute("xmlUrl").empty()) {
        outline.RemoveAttribute("xmlUrl");
    }
    for (const XmlNode& child : outline.Children("outline")) {
        PrepareForExport(child);
    }
}

void AppendOutline(const CChannelTree& tree, XmlNode parent, NodeId id) {
    const std::optional<ChannelNode> node = tree.Node(id);
    if (!node) {
        return;
    }
    XmlNode outline = parent.AppendChild("outline");
    outline.SetAttribute("title", node->caption);
    outline.SetAttribute("xmlUrl", node->feedUrl);
    outline.SetAttribute("htmlUrl", node->homeUrl);
    // Kept, so that an import neither zeroes every count nor collapses the tree.
    outline.SetAttribute("unreadnum", StrFormat("%d", node->unreadCount));
    outline.SetAttribute("expanded", node->expanded ? "1" : "0");
    for (NodeId child : node->children) {
        AppendOutline(tree, outline, child);
    }
}

// A copy of `element` with its subtree, as the last child of `parent` in another document.
bool CopyInto(const XmlNode& element, XmlNode parent) {
    return !parent.AppendCopy(element).IsNull();
}

}  // namespace

bool ExportOpmlNode(const std::string& opmlPath, const IndexPath& path,
                    const std::string& targetPath, CErrorMsgDialog& messages) {
    CXmlDocument source;
    if (!source.LoadFile(opmlPath) || !COpmlTree::BodyOf(source)) {
        messages.ShowById(kOpmlFileError);
        return false;
    }
    const XmlNode element = COpmlTree::ElementAt(source, path);
    if (path.empty() || !element) {
        messages.ShowMessageBox(kExportFailed);
        return false;
    }
    CXmlDocument out;
    XmlNode root = out.CreateRoot("opml");
    root.SetAttribute("version", "1.0");
    root.AppendChild("head").AppendChild("title", std::string(kProductDisplayName) + "RSS阅读收藏");
    XmlNode body = root.AppendChild("body");
    if (!CopyInto(element, body)) {
        messages.ShowMessageBox(kExportFailed);
        return false;
    }
    PrepareForExport(body.FirstChild("outline"));
    if (!out.SaveFile(targetPath, false)) {
        messages.ShowMessageBox(kExportFailed);
        return false;
    }
    return true;
}

bool ExportOpmlAll(const std::string& opmlPath, const std::string& targetPath,
                   CErrorMsgDialog& messages) {
    CXmlDocument doc;
    if (!doc.LoadFile(opmlPath) || !COpmlTree::BodyOf(doc)) {
        messages.ShowById(kOpmlFileError);
        return false;
    }
    for (const XmlNode& outline : COpmlTree::BodyOf(doc).Children("outline")) {
        PrepareForExport(outline);
    }
    if (!doc.SaveFile(targetPath)) {
        messages.ShowMessageBox(kExportFailed);
        return false;
    }
    return true;
}

std::string DefaultExportName(const std::string& caption) {
    std::string name = caption;
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == '\0') {
            c = '_';
        }
    }
    return name + ".opml";
}

bool WriteSubscriptionFile(const CChannelTree& tree, const std::string& opmlPath,
                           std::string* error) {
    CXmlDocument doc;
    XmlNode body = doc.CreateRoot("opml").AppendChild("body");
    for (NodeId top : tree.Children(kNoNode)) {
        AppendOutline(tree, body, top);
    }
    if (!doc.SaveFile(opmlPath)) {
        if (error) {
            *error = doc.LastError();
        }
        return false;
    }
    return true;
}

std::string TempNameForOpmlUrl(const std::string& url) {
    std::string name = ToLowerAscii(url);
    if (StartsWith(name, "http://")) {
        name.erase(0, 7);
    } else if (StartsWith(name, "https://")) {
        name.erase(0, 8);
    }
    for (char& c : name) {
        if (std::string_view("/\\:*?<>|%").find(c) != std::string_view::npos || c == '\0') {
            c = '_';
        }
    }
    name = CutAtCharacter(SanitizeUtf8(name), kMaxTempNameBytes);
    // "." and ".." name folders, not files.
    if (name.empty() || name.find_first_not_of('.') == std::string::npos) {
        name = "_" + name;
    }
    if (name.find(".xml") == std::string::npos) {
        name += ".xml";
    }
    return name;
}

}  // namespace zirvo
