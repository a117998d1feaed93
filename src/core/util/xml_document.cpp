#include "core/util/xml_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstring>

#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

const xmlChar* X(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

std::string FromXmlChars(const xmlChar* text) {
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// libxml2 reports parse errors through a per-thread handler; we keep the first one as the
// document's error text instead of letting the library print to stderr.
thread_local std::string t_parseError;

void CollectError(void*, xmlErrorPtr error) {
    if (error && t_parseError.empty() && error->level >= XML_ERR_ERROR) {
        t_parseError = error->message ? error->message : "XML error";
        while (!t_parseError.empty() &&
               (t_parseError.back() == '\n' || t_parseError.back() == '\r')) {
            t_parseError.pop_back();
        }
        t_parseError += " (line " + std::to_string(error->line) + ")";
    }
}

class ErrorCapture {
public:
    ErrorCapture() {
        t_parseError.clear();
        xmlSetStructuredErrorFunc(nullptr, CollectError);
    }
    ~ErrorCapture() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;
};

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOWARNING;

bool NameMatches(const xmlNode* node, const char* name) {
    if (node->type != XML_ELEMENT_NODE) {
        return false;
    }
    if (name == nullptr) {
        return true;
    }
    const char* colon = std::strchr(name, ':');
    if (colon == nullptr) {
        return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
    }
    if (node->ns == nullptr || node->ns->prefix == nullptr) {
        return false;
    }
    std::string prefix(name, static_cast<size_t>(colon - name));
    return prefix == reinterpret_cast<const char*>(node->ns->prefix) &&
           std::strcmp(reinterpret_cast<const char*>(node->name), colon + 1) == 0;
}

void RegisterNamespaces(xmlXPathContextPtr ctx, xmlDocPtr doc) {
    xmlXPathRegisterNs(ctx, X("dc"), X("http://purl.org/dc/elements/1.1/"));
    xmlXPathRegisterNs(ctx, X("content"), X("http://purl.org/rss/1.0/modules/content/"));
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (root == nullptr) {
        return;
    }
    for (xmlNsPtr ns = root->nsDef; ns != nullptr; ns = ns->next) {
        if (ns->prefix != nullptr && ns->href != nullptr) {
            xmlXPathRegisterNs(ctx, ns->prefix, ns->href);
        }
    }
}

std::vector<XmlNode> Evaluate(xmlDocPtr doc, xmlNodePtr context, std::string_view path,
                              bool firstOnly) {
    std::vector<XmlNode> found;
    if (doc == nullptr || path.empty()) {
        return found;
    }
    std::string xpath = TranslateNodePath(path);
    ErrorCapture quiet;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    if (ctx == nullptr) {
        return found;
    }
    RegisterNamespaces(ctx, doc);
    ctx->node = context ? context : reinterpret_cast<xmlNodePtr>(doc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(X(xpath.c_str()), ctx);
    if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr) {
        int count = result->nodesetval->nodeNr;
        for (int i = 0; i < count; ++i) {
            found.emplace_back(result->nodesetval->nodeTab[i]);
            if (firstOnly) {
                break;
            }
        }
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return found;
}

}  // namespace

std::string TranslateNodePath(std::string_view path) {
    std::string out;
    out.reserve(path.size() + 4);
    char quote = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        if (quote) {
            if (c == quote) {
                quote = 0;
            }
            out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            out += c;
            continue;
        }
        if (c == '[') {
            size_t close = path.find(']', i);
            if (close != std::string_view::npos) {
                std::string inner = Trim(path.substr(i + 1, close - i - 1));
                bool numeric = !inner.empty() && inner.size() < 10 &&
                               inner.find_first_not_of("0123456789") == std::string::npos;
                if (numeric) {
                    out += '[';
                    out += std::to_string(std::stol(inner) + 1);
                    out += ']';
                    i = close;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

// ---- XmlNode ------------------------------------------------------------------------------

std::string XmlNode::Name() const {
    return m_node ? FromXmlChars(m_node->name) : std::string();
}

std::string XmlNode::Text() const {
    if (m_node == nullptr) {
        return {};
    }
    xmlChar* content = xmlNodeGetContent(m_node);
    std::string text = FromXmlChars(content);
    xmlFree(content);
    return text;
}

void XmlNode::SetText(std::string_view text) {
    if (m_node == nullptr) {
        return;
    }
    std::string clean = SanitizeXmlText(text);
    if (m_node->type == XML_ATTRIBUTE_NODE) {
        xmlSetProp(m_node->parent, m_node->name, X(clean.c_str()));
        return;
    }
    xmlNodeSetContent(m_node, nullptr);
    xmlNodeAddContentLen(m_node, X(clean.c_str()), static_cast<int>(clean.size()));
}

void XmlNode::SetCData(std::string_view text) {
    if (m_node == nullptr) {
        return;
    }
    std::string clean = SanitizeXmlText(text);
    xmlNodeSetContent(m_node, nullptr);
    size_t start = 0;
    while (true) {
        // "]]>" cannot stand inside one section: end the section after "]]" and open the next
        // one with ">", which reads back as the same text.
        size_t hit = clean.find("]]>", start);
        size_t end = hit == std::string::npos ? clean.size() : hit + 2;
        xmlNodePtr block =
            xmlNewCDataBlock(m_node->doc, X(clean.c_str() + start), static_cast<int>(end - start));
        xmlAddChild(m_node, block);
        if (hit == std::string::npos) {
            break;
        }
        start = end;
    }
}

bool XmlNode::HasAttribute(const char* name) const {
    return m_node && m_node->type == XML_ELEMENT_NODE && xmlHasProp(m_node, X(name)) != nullptr;
}

std::string XmlNode::Attribute(const char* name) const {
    if (m_node == nullptr || m_node->type != XML_ELEMENT_NODE) {
        return {};
    }
    xmlChar* value = xmlGetProp(m_node, X(name));
    std::string text = FromXmlChars(value);
    xmlFree(value);
    return text;
}

void XmlNode::SetAttribute(const char* name, std::string_view value) {
    if (m_node == nullptr || m_node->type != XML_ELEMENT_NODE) {
        return;
    }
    std::string clean = SanitizeXmlText(value);
    xmlSetProp(m_node, X(name), X(clean.c_str()));
}

void XmlNode::RemoveAttribute(const char* name) {
    if (m_node == nullptr || m_node->type != XML_ELEMENT_NODE) {
        return;
    }
    xmlUnsetProp(m_node, X(name));
}

XmlNode XmlNode::SelectNode(std::string_view path) const {
    if (m_node == nullptr) {
        return {};
    }
    auto found = Evaluate(m_node->doc, m_node, path, true);
    return found.empty() ? XmlNode() : found.front();
}

std::vector<XmlNode> XmlNode::SelectNodes(std::string_view path) const {
    if (m_node == nullptr) {
        return {};
    }
    return Evaluate(m_node->doc, m_node, path, false);
}

XmlNode XmlNode::Parent() const {
    if (m_node == nullptr || m_node->parent == nullptr ||
        m_node->parent->type != XML_ELEMENT_NODE) {
        return {};
    }
    return XmlNode(m_node->parent);
}

XmlNode XmlNode::FirstChild(const char* name) const {
    if (m_node == nullptr) {
        return {};
    }
    for (xmlNodePtr child = m_node->children; child != nullptr; child = child->next) {
        if (NameMatches(child, name)) {
            return XmlNode(child);
        }
    }
    return {};
}

XmlNode XmlNode::NextSibling(const char* name) const {
    if (m_node == nullptr) {
        return {};
    }
    for (xmlNodePtr next = m_node->next; next != nullptr; next = next->next) {
        if (NameMatches(next, name)) {
            return XmlNode(next);
        }
    }
    return {};
}

std::vector<XmlNode> XmlNode::Children(const char* name) const {
    std::vector<XmlNode> children;
    if (m_node == nullptr) {
        return children;
    }
    for (xmlNodePtr child = m_node->children; child != nullptr; child = child->next) {
        if (NameMatches(child, name)) {
            children.emplace_back(child);
        }
    }
    return children;
}

XmlNode XmlNode::AppendChild(const char* name) {
    if (m_node == nullptr) {
        return {};
    }
    return XmlNode(xmlNewChild(m_node, nullptr, X(name), nullptr));
}

XmlNode XmlNode::AppendChild(const char* name, std::string_view text) {
    XmlNode child = AppendChild(name);
    child.SetText(text);
    return child;
}

namespace {
bool IsInside(xmlNodePtr node, xmlNodePtr ancestor) {
    for (xmlNodePtr walk = node; walk != nullptr; walk = walk->parent) {
        if (walk == ancestor) {
            return true;
        }
    }
    return false;
}
}  // namespace

bool XmlNode::MoveBefore(XmlNode sibling) {
    if (m_node == nullptr || sibling.m_node == nullptr || sibling.m_node == m_node ||
        IsInside(sibling.m_node, m_node) || sibling.m_node->parent == nullptr) {
        return false;
    }
    xmlUnlinkNode(m_node);
    return xmlAddPrevSibling(sibling.m_node, m_node) != nullptr;
}

bool XmlNode::MoveInto(XmlNode parent) {
    if (m_node == nullptr || parent.m_node == nullptr || IsInside(parent.m_node, m_node)) {
        return false;
    }
    xmlUnlinkNode(m_node);
    return xmlAddChild(parent.m_node, m_node) != nullptr;
}

void XmlNode::Remove() {
    if (m_node == nullptr) {
        return;
    }
    xmlUnlinkNode(m_node);
    xmlFreeNode(m_node);
    m_node = nullptr;
}

// ---- CXmlDocument -------------------------------------------------------------------------

CXmlDocument::CXmlDocument() = default;

CXmlDocument::~CXmlDocument() {
    if (m_doc != nullptr) {
        xmlFreeDoc(m_doc);
    }
}

CXmlDocument::CXmlDocument(CXmlDocument&& other) noexcept
    : m_doc(other.m_doc), m_lastError(std::move(other.m_lastError)) {
    other.m_doc = nullptr;
}

CXmlDocument& CXmlDocument::operator=(CXmlDocument&& other) noexcept {
    if (this != &other) {
        if (m_doc != nullptr) {
            xmlFreeDoc(m_doc);
        }
        m_doc = other.m_doc;
        m_lastError = std::move(other.m_lastError);
        other.m_doc = nullptr;
    }
    return *this;
}

bool CXmlDocument::Adopt(_xmlDoc* doc) {
    if (m_doc != nullptr) {
        xmlFreeDoc(m_doc);
        m_doc = nullptr;
    }
    if (doc == nullptr) {
        m_lastError = t_parseError.empty() ? "not a well-formed XML document" : t_parseError;
        return false;
    }
    if (xmlDocGetRootElement(doc) == nullptr) {
        xmlFreeDoc(doc);
        m_lastError = "the XML document has no root element";
        return false;
    }
    m_doc = doc;
    m_lastError.clear();
    return true;
}

bool CXmlDocument::LoadFile(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        if (m_doc != nullptr) {
            xmlFreeDoc(m_doc);
            m_doc = nullptr;
        }
        m_lastError = "cannot read " + path;
        return false;
    }
    return LoadMemory(bytes);
}

bool CXmlDocument::LoadMemory(std::string_view bytes) {
    ErrorCapture capture;
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        m_lastError = "document too large";
        return false;
    }
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                  kParseOptions);
    return Adopt(doc);
}

XmlNode CXmlDocument::CreateRoot(const char* name) {
    if (m_doc != nullptr) {
        xmlFreeDoc(m_doc);
    }
    m_doc = xmlNewDoc(X("1.0"));
    xmlNodePtr root = xmlNewNode(nullptr, X(name));
    xmlDocSetRootElement(m_doc, root);
    m_lastError.clear();
    return XmlNode(root);
}

XmlNode CXmlDocument::Root() const {
    return m_doc ? XmlNode(xmlDocGetRootElement(m_doc)) : XmlNode();
}

XmlNode CXmlDocument::SelectNode(std::string_view path) const {
    auto found = Evaluate(m_doc, nullptr, path, true);
    return found.empty() ? XmlNode() : found.front();
}

std::vector<XmlNode> CXmlDocument::SelectNodes(std::string_view path) const {
    return Evaluate(m_doc, nullptr, path, false);
}

std::string CXmlDocument::Serialize(const char* encoding, bool indent) const {
    if (m_doc == nullptr) {
        return {};
    }
    ErrorCapture capture;
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(m_doc, &buffer, &size, encoding, indent ? 1 : 0);
    std::string out;
    if (buffer != nullptr) {
        out.assign(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
        xmlFree(buffer);
    }
    return out;
}

bool CXmlDocument::SaveFile(const std::string& path, bool indent) const {
    std::string bytes = Serialize("UTF-8", indent);
    if (bytes.empty()) {
        m_lastError = "nothing to save";
        return false;
    }
    std::string error;
    if (!WriteFileAtomic(path, bytes, &error)) {
        m_lastError = error;
        return false;
    }
    return true;
}

}  // namespace zirvo
