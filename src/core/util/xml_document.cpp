#include "core/util/xml_document.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>

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

struct XPathContextFree {
    void operator()(xmlXPathContextPtr ctx) const noexcept { xmlXPathFreeContext(ctx); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObjectPtr object) const noexcept { xmlXPathFreeObject(object); }
};
struct XmlCharsFree {
    void operator()(xmlChar* text) const noexcept { xmlFree(text); }
};
using XPathContextPtr = std::unique_ptr<xmlXPathContext, XPathContextFree>;
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectFree>;
using XmlCharsPtr = std::unique_ptr<xmlChar, XmlCharsFree>;

std::string TakeXmlChars(xmlChar* text) {
    XmlCharsPtr owned(text);
    return FromXmlChars(owned.get());
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
    XPathContextPtr ctx(xmlXPathNewContext(doc));
    if (ctx == nullptr) {
        return found;
    }
    RegisterNamespaces(ctx.get(), doc);
    ctx->node = context ? context : reinterpret_cast<xmlNodePtr>(doc);
    XPathObjectPtr result(xmlXPathEvalExpression(X(xpath.c_str()), ctx.get()));
    if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr) {
        int count = result->nodesetval->nodeNr;
        for (int i = 0; i < count; ++i) {
            found.emplace_back(result->nodesetval->nodeTab[i]);
            if (firstOnly) {
                break;
            }
        }
    }
    return found;
}

// Measures what the entity references of a parsed document expand to when its texts are read,
// without expanding anything. libxml2 keeps each reference as a node and expands it on every
// read, so its own loop check at parse time never sees the product of a large entity referenced
// many times. Sizes saturate at the limit; nesting deeper than any honest document is refused.
class CEntityMeter {
public:
    CEntityMeter(xmlDocPtr doc, size_t limit) : m_doc(doc), m_limit(limit) {}

    // False when the expansion passes the limit.
    bool Within() { return ListSize(m_doc->children, 0) <= m_limit; }

private:
    static constexpr int kMaxNesting = 40;

    size_t Add(size_t a, size_t b) const {
        return b > m_limit || a > m_limit - b ? m_limit + 1 : a + b;
    }

    size_t EntitySize(xmlEntityPtr entity, int nesting) {
        if (entity == nullptr) {
            return 0;
        }
        auto known = m_sizes.find(entity);
        if (known != m_sizes.end()) {
            return known->second;
        }
        if (nesting > kMaxNesting) {
            return m_limit + 1;
        }
        m_sizes[entity] = m_limit + 1;  // a reference loop counts as too much
        size_t size = entity->children != nullptr
                          ? ListSize(entity->children, nesting + 1)
                          : static_cast<size_t>(std::max(entity->length, 0));
        m_sizes[entity] = size;
        return size;
    }

    // Counts only what entity references add; the document's own bytes are already in memory.
    size_t ListSize(xmlNodePtr first, int nesting) {
        size_t total = 0;
        for (xmlNodePtr node = first; node != nullptr && total <= m_limit; node = node->next) {
            total = Add(total, NodeSize(node, nesting));
        }
        return total;
    }

    size_t NodeSize(xmlNodePtr node, int nesting) {
        switch (node->type) {
            case XML_ENTITY_REF_NODE: {
                return EntitySize(xmlGetDocEntity(m_doc, node->name), nesting);
            }
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                // Inside an entity the text is what a reference expands to.
                return nesting > 0 && node->content ? static_cast<size_t>(xmlStrlen(node->content))
                                                    : 0;
            case XML_ELEMENT_NODE: {
                size_t total = ListSize(node->children, nesting);
                for (xmlAttrPtr attr = node->properties; attr != nullptr; attr = attr->next) {
                    total = Add(total, ListSize(attr->children, nesting));
                }
                return total;
            }
            case XML_DTD_NODE:
            case XML_ENTITY_DECL:
                return 0;  // declarations are not text; their references are counted
            default:
                return ListSize(node->children, nesting);
        }
    }

    xmlDocPtr m_doc;
    size_t m_limit;
    std::unordered_map<xmlEntityPtr, size_t> m_sizes;
};

bool DeclaresEntities(xmlDocPtr doc) {
    return (doc->intSubset != nullptr && doc->intSubset->entities != nullptr) ||
           (doc->extSubset != nullptr && doc->extSubset->entities != nullptr);
}

}  // namespace

// The parser's global tables must be built once before threads parse at the same time; every
// document passes through here before it can parse anything.
void EnsureXmlLibraryReady() {
    static std::once_flag ready;
    std::call_once(ready, [] { xmlInitParser(); });
}

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

bool XmlNode::IsElement(const char* localName, const char* namespaceUri) const {
    if (m_node == nullptr || m_node->type != XML_ELEMENT_NODE ||
        std::strcmp(reinterpret_cast<const char*>(m_node->name), localName) != 0) {
        return false;
    }
    const xmlChar* href = m_node->ns != nullptr ? m_node->ns->href : nullptr;
    if (namespaceUri == nullptr || href == nullptr) {
        return namespaceUri == nullptr && href == nullptr;
    }
    return std::strcmp(reinterpret_cast<const char*>(href), namespaceUri) == 0;
}

std::string XmlNode::Text() const {
    if (m_node == nullptr) {
        return {};
    }
    return TakeXmlChars(xmlNodeGetContent(m_node));
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
    return TakeXmlChars(xmlGetProp(m_node, X(name)));
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

XmlNode XmlNode::AppendCopy(const XmlNode& source) {
    if (m_node == nullptr || source.m_node == nullptr) {
        return {};
    }
    xmlNodePtr copy = xmlDocCopyNode(source.m_node, m_node->doc, 1);
    if (copy == nullptr) {
        return {};
    }
    if (xmlAddChild(m_node, copy) == nullptr) {
        xmlFreeNode(copy);
        return {};
    }
    return XmlNode(copy);
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

void CXmlDocument::DocFree::operator()(_xmlDoc* doc) const noexcept {
    xmlFreeDoc(doc);
}

CXmlDocument::CXmlDocument() {
    EnsureXmlLibraryReady();
}

CXmlDocument::~CXmlDocument() = default;
CXmlDocument::CXmlDocument(CXmlDocument&& other) noexcept = default;
CXmlDocument& CXmlDocument::operator=(CXmlDocument&& other) noexcept = default;

bool CXmlDocument::Adopt(DocPtr doc, size_t inputSize) {
    m_doc.reset();
    if (doc == nullptr) {
        m_lastError = t_parseError.empty() ? "not a well-formed XML document" : t_parseError;
        return false;
    }
    if (xmlDocGetRootElement(doc.get()) == nullptr) {
        m_lastError = "the XML document has no root element";
        return false;
    }
    if (DeclaresEntities(doc.get())) {
        size_t limit = std::max(kMaxEntityExpansion, inputSize * kMaxEntityRatio);
        if (!CEntityMeter(doc.get(), limit).Within()) {
            m_lastError = "the document's entity references expand to more than " +
                          std::to_string(limit) + " bytes of text";
            return false;
        }
    }
    m_doc = std::move(doc);
    m_lastError.clear();
    return true;
}

bool CXmlDocument::LoadFile(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        m_doc.reset();
        m_lastError = "cannot read " + path;
        return false;
    }
    return LoadMemory(bytes);
}

bool CXmlDocument::LoadMemory(std::string_view bytes) {
    ErrorCapture capture;
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        m_doc.reset();
        m_lastError = "document too large";
        return false;
    }
    DocPtr doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                             kParseOptions));
    return Adopt(std::move(doc), bytes.size());
}

XmlNode CXmlDocument::CreateRoot(const char* name) {
    m_doc.reset(xmlNewDoc(X("1.0")));
    xmlNodePtr root = xmlNewNode(nullptr, X(name));
    xmlDocSetRootElement(m_doc.get(), root);
    m_lastError.clear();
    return XmlNode(root);
}

XmlNode CXmlDocument::Root() const {
    return m_doc ? XmlNode(xmlDocGetRootElement(m_doc.get())) : XmlNode();
}

XmlNode CXmlDocument::SelectNode(std::string_view path) const {
    auto found = Evaluate(m_doc.get(), nullptr, path, true);
    return found.empty() ? XmlNode() : found.front();
}

std::vector<XmlNode> CXmlDocument::SelectNodes(std::string_view path) const {
    return Evaluate(m_doc.get(), nullptr, path, false);
}

std::string CXmlDocument::Serialize(const char* encoding, bool indent) const {
    if (m_doc == nullptr) {
        return {};
    }
    ErrorCapture capture;
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(m_doc.get(), &buffer, &size, encoding, indent ? 1 : 0);
    XmlCharsPtr owned(buffer);
    std::string out;
    if (owned != nullptr) {
        out.assign(reinterpret_cast<const char*>(owned.get()), static_cast<size_t>(size));
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
