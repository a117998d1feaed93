#include "core/subscriptions/opml_tree.h"

#include <optional>

#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

OpmlOutline ReadOutline(const XmlNode& element) {
    OpmlOutline outline;
    outline.hasTitle = element.HasAttribute("title");
    outline.title = element.Attribute("title");
    outline.text = element.Attribute("text");
    outline.xmlUrl = element.Attribute("xmlUrl");
    outline.htmlUrl = element.Attribute("htmlUrl");
    outline.unreadNum = ToInt(element.Attribute("unreadnum"));
    outline.expanded = ToInt(element.Attribute("expanded"));
    for (const XmlNode& child : element.Children("outline")) {
        outline.children.push_back(ReadOutline(child));
    }
    return outline;
}

std::string CaptionOf(const XmlNode& element) {
    return element.HasAttribute("title") ? element.Attribute("title") : element.Attribute("text");
}

// Pairs the outlines below `element` with the nodes `ids` by position.
// Returns whether any attribute changed.
bool WriteState(const CChannelTree& tree, const XmlNode& element, const std::vector<NodeId>& ids) {
    bool changed = false;
    auto set = [&changed](XmlNode& outline, const char* name, const std::string& value) {
        if (!outline.HasAttribute(name) || outline.Attribute(name) != value) {
            outline.SetAttribute(name, value);
            changed = true;
        }
    };
    const std::vector<XmlNode> outlines = element.Children("outline");
    for (size_t i = 0; i < outlines.size() && i < ids.size(); ++i) {
        std::optional<ChannelNode> node = tree.Node(ids[i]);
        if (!node || CaptionOf(outlines[i]) != node->caption) {
            continue;
        }
        XmlNode outline = outlines[i];
        set(outline, "expanded", node->expanded ? "1" : "0");
        set(outline, "unreadnum", StrFormat("%d", node->unreadCount));
        changed = WriteState(tree, outline, node->children) || changed;
    }
    return changed;
}

}  // namespace

COpmlTree::COpmlTree(std::string path, CErrorMsgDialog& messages)
    : m_path(std::move(path)), m_messages(messages) {}

std::string COpmlTree::SelectionFor(const IndexPath& path) {
    std::string selection = "/opml/body";
    for (int index : path) {
        selection += StrFormat("/outline[%d]", index);
    }
    return selection;
}

XmlNode COpmlTree::BodyOf(const CXmlDocument& doc) {
    XmlNode root = doc.Root();
    if (!root || root.Name() != "opml") {
        return {};
    }
    return root.FirstChild("body");
}

XmlNode COpmlTree::ElementAt(const CXmlDocument& doc, const IndexPath& path) {
    XmlNode current = BodyOf(doc);
    for (int index : path) {
        if (!current || index < 0) {
            return {};
        }
        const std::vector<XmlNode> outlines = current.Children("outline");
        if (static_cast<size_t>(index) >= outlines.size()) {
            return {};
        }
        current = outlines[index];
    }
    return current;
}

bool COpmlTree::ReadOutlines(const CXmlDocument& doc, std::vector<OpmlOutline>& outlines) {
    outlines.clear();
    XmlNode body = BodyOf(doc);
    if (!body) {
        return false;
    }
    for (const XmlNode& child : body.Children("outline")) {
        outlines.push_back(ReadOutline(child));
    }
    return true;
}

bool COpmlTree::LoadDocument(CXmlDocument& doc) {
    if (!doc.LoadFile(m_path) || !BodyOf(doc)) {
        m_messages.ShowById(kOpmlFileError);
        return false;
    }
    return true;
}

bool COpmlTree::LoadDocument(CXmlDocument& doc, const StoreStep& then, std::string& oldBytes) {
    if (then && !ReadFileBytes(m_path, oldBytes)) {
        m_messages.ShowById(kOpmlFileError);
        return false;
    }
    return LoadDocument(doc);
}

bool COpmlTree::SaveDocument(const CXmlDocument& doc, const char* failureMessage) {
    if (!doc.SaveFile(m_path)) {
        m_messages.ShowMessageBox(failureMessage);
        return false;
    }
    return true;
}

bool COpmlTree::SaveThen(const CXmlDocument& doc, const char* failureMessage, const StoreStep& then,
                         const std::string& oldBytes) {
    if (!SaveDocument(doc, failureMessage)) {
        return false;
    }
    if (!then || then()) {
        return true;
    }
    if (!WriteFileAtomic(m_path, oldBytes)) {
        m_messages.ShowMessageBox(failureMessage);
    }
    return false;
}

bool COpmlTree::Load(std::vector<OpmlOutline>& outlines) {
    outlines.clear();
    CXmlDocument doc;
    if (!LoadDocument(doc)) {
        return false;
    }
    return ReadOutlines(doc, outlines);
}

bool COpmlTree::AddOutline(const IndexPath& parent, const std::string& title,
                           const std::string& xmlUrl, const std::string& htmlUrl,
                           const StoreStep& then) {
    CXmlDocument doc;
    std::string oldBytes;
    if (!LoadDocument(doc, then, oldBytes)) {
        return false;
    }
    XmlNode parentElement = ElementAt(doc, parent);
    if (!parentElement) {
        m_messages.ShowMessageBox(kAddFailed);
        return false;
    }
    XmlNode outline = parentElement.AppendChild("outline");
    outline.SetAttribute("title", title);
    if (!xmlUrl.empty()) {
        outline.SetAttribute("xmlUrl", xmlUrl);
    }
    if (!htmlUrl.empty()) {
        outline.SetAttribute("htmlUrl", htmlUrl);
    }
    return SaveThen(doc, kAddFailed, then, oldBytes);
}

bool COpmlTree::SetAttribute(const IndexPath& path, const std::string& name,
                             const std::string& value) {
    return SetAttributes(path, {{name, value}});
}

bool COpmlTree::SetAttributes(const IndexPath& path,
                              const std::vector<std::pair<std::string, std::string>>& values,
                              const StoreStep& then) {
    CXmlDocument doc;
    std::string oldBytes;
    if (!LoadDocument(doc, then, oldBytes)) {
        return false;
    }
    XmlNode element = ElementAt(doc, path);
    // The empty path names `body`, which carries no node attributes.
    bool named = true;
    for (const auto& value : values) {
        named = named && !value.first.empty();
    }
    if (path.empty() || !element || !named) {
        m_messages.ShowMessageBox(kSetAttributeFailed);
        return false;
    }
    for (const auto& [name, value] : values) {
        element.SetAttribute(name.c_str(), value);
    }
    return SaveThen(doc, kSetAttributeFailed, then, oldBytes);
}

bool COpmlTree::Delete(const IndexPath& path, const StoreStep& then) {
    CXmlDocument doc;
    std::string oldBytes;
    if (!LoadDocument(doc, then, oldBytes)) {
        return false;
    }
    XmlNode element = ElementAt(doc, path);
    if (path.empty() || !element) {
        m_messages.ShowMessageBox(kDeleteFailed);
        return false;
    }
    element.Remove();
    return SaveThen(doc, kDeleteFailed, then, oldBytes);
}

bool COpmlTree::Move(const IndexPath& source, const IndexPath& target, bool before) {
    CXmlDocument doc;
    if (!LoadDocument(doc)) {
        return false;
    }
    XmlNode sourceElement = ElementAt(doc, source);
    XmlNode targetElement = ElementAt(doc, target);
    bool moved = false;
    if (!source.empty() && sourceElement && targetElement && !(before && target.empty())) {
        moved = before ? sourceElement.MoveBefore(targetElement)
                       : sourceElement.MoveInto(targetElement);
    }
    if (!moved) {
        m_messages.ShowMessageBox(kMoveFailed);
        return false;
    }
    return SaveDocument(doc, kMoveFailed);
}

bool COpmlTree::SaveState(const CChannelTree& tree) {
    CXmlDocument doc;
    if (!LoadDocument(doc)) {
        return false;
    }
    // A receive of unchanged feeds changes no count: the file (written with a disk sync) stays.
    if (!WriteState(tree, BodyOf(doc), tree.Children(kNoNode))) {
        return true;
    }
    return SaveDocument(doc, kSaveStateFailed);
}

}  // namespace zirvo
