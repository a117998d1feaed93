#pragma once
// A small RAII layer over libxml2's DOM and XPath.
//
// Paths are written the way every file format of this system addresses its nodes: XPath-like,
// but a numeric predicate counts from 0 (`/rss/channel/item[0]` is the first item) and a
// predicate may test a child element's text (`/error/msg[id="7001"]/pos`). SelectNode
// translates them to XPath 1.0 (1-based) before evaluation. Namespace prefixes declared on the
// root element, plus the usual `dc` and `content` prefixes of feeds, can be used in paths.
//
// Files are read in whatever encoding they declare (libxml2 converts GB2312, GBK, GB18030,
// ISO-8859-1, ...); every text handed out is UTF-8. Files are written as UTF-8 under an UTF-8
// declaration, through a temporary file and a rename, so a failed save never leaves half a file.
// No network access is ever made while parsing and external entities are not loaded.
//
// Entities: a document may declare internal entities, but what its entity references expand
// to is capped (kMaxEntityExpansion, or kMaxEntityRatio times the document's size when that is
// more). A document past the cap fails to load like any ill-formed one: a few kilobytes of
// declarations referenced thousands of times would otherwise turn into gigabytes when the
// text is read. Every document passes the same check, ours included; ours never come near it.
//
// libxml2's process-wide set-up happens once, inside this layer, before the first document is
// made; callers never touch the library themselves.
//
// Threading: a document and its nodes belong to the thread that uses them; different threads
// may use different documents at the same time.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _xmlNode;
struct _xmlDoc;

namespace zirvo {

// A non-owning handle to an element (or attribute) of a CXmlDocument; valid while the document
// lives and the node has not been removed. A default-constructed handle is null.
class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(_xmlNode* node) : m_node(node) {}

    bool IsNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    // The libxml2 node, for core readers that need more than elements (markup with its text
    // nodes, xml:base chains). Valid as long as the handle is.
    _xmlNode* Raw() const { return m_node; }
    bool operator==(const XmlNode& other) const { return m_node == other.m_node; }

    std::string Name() const;
    // True for an element whose local name is `localName` and whose namespace is
    // `namespaceUri` (null: an element in no namespace). No copy is made, so a walk over many
    // children stays cheap.
    bool IsElement(const char* localName, const char* namespaceUri = nullptr) const;
    // The concatenated text of the node and its descendants, entities and CDATA resolved.
    std::string Text() const;
    // Replaces the node's children by one text node; the serialiser escapes `<`, `&` and so on.
    void SetText(std::string_view text);
    // Replaces the node's children by CDATA sections holding `text`; a "]]>" inside the text is
    // split over two sections so that the text reads back unchanged.
    void SetCData(std::string_view text);

    bool HasAttribute(const char* name) const;
    std::string Attribute(const char* name) const;
    void SetAttribute(const char* name, std::string_view value);
    void RemoveAttribute(const char* name);

    // Paths relative to this node, same syntax as CXmlDocument::SelectNode.
    XmlNode SelectNode(std::string_view path) const;
    std::vector<XmlNode> SelectNodes(std::string_view path) const;

    XmlNode Parent() const;
    XmlNode FirstChild(const char* name = nullptr) const;  // element children only
    XmlNode NextSibling(const char* name = nullptr) const;
    std::vector<XmlNode> Children(const char* name = nullptr) const;

    XmlNode AppendChild(const char* name);
    XmlNode AppendChild(const char* name, std::string_view text);
    // Appends a deep copy of `source` (which may belong to another document) as the last
    // child; null when the copy cannot be made.
    XmlNode AppendCopy(const XmlNode& source);
    // Moves this node (with its subtree) to stand right before `sibling`, or to the end of
    // `parent`'s children. Both refuse to move a node into its own subtree.
    bool MoveBefore(XmlNode sibling);
    bool MoveInto(XmlNode parent);
    // Unlinks and frees the node; the handle becomes null.
    void Remove();

private:
    _xmlNode* m_node = nullptr;
};

// What entity references in one document may expand to: kMaxEntityExpansion bytes, or
// kMaxEntityRatio times the document's own size when that is more.
inline constexpr size_t kMaxEntityExpansion = 1024 * 1024;
inline constexpr size_t kMaxEntityRatio = 10;

class CXmlDocument {
public:
    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;
    CXmlDocument(CXmlDocument&& other) noexcept;
    CXmlDocument& operator=(CXmlDocument&& other) noexcept;

    // Each returns false with LastError() set when the input is missing, not well-formed or
    // expands past the entity cap. The error names the cause and, for a parse error, the line.
    bool LoadFile(const std::string& path);
    bool LoadMemory(std::string_view bytes);
    // Starts an empty document with one root element.
    XmlNode CreateRoot(const char* name);

    bool IsLoaded() const { return m_doc != nullptr; }
    XmlNode Root() const;
    XmlNode SelectNode(std::string_view path) const;
    std::vector<XmlNode> SelectNodes(std::string_view path) const;

    // Serialises with an XML declaration that names `encoding` ("UTF-8", "GB2312", ...), the
    // bytes converted to it. Returns the empty text when the document is empty.
    std::string Serialize(const char* encoding = "UTF-8", bool indent = true) const;
    // Writes UTF-8 atomically (temporary file, then rename over `path`).
    bool SaveFile(const std::string& path, bool indent = true) const;

    const std::string& LastError() const { return m_lastError; }

private:
    struct DocFree {
        void operator()(_xmlDoc* doc) const noexcept;
    };
    using DocPtr = std::unique_ptr<_xmlDoc, DocFree>;

    bool Adopt(DocPtr doc, size_t inputSize);

    DocPtr m_doc;
    mutable std::string m_lastError;
};

// libxml2's process-wide set-up, once; for core code that calls its HTML parser directly.
void EnsureXmlLibraryReady();

// Translates this system's path syntax (0-based numeric predicates) into XPath 1.0.
std::string TranslateNodePath(std::string_view path);

}  // namespace zirvo
