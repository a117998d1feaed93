// Atom 1.0 (and 0.3) entry reader.

#include <cstring>

#include "core/feeds/feed_formats.h"
#include "core/feeds/feed_links.h"
#include "core/feeds/feed_markup.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

const char* AtomNamespaceOf(const CXmlDocument& doc) {
    return doc.Root().IsElement("feed", kAtom03Namespace) ? kAtom03Namespace : kAtomNamespace;
}

enum class TextKind { Text, Html, Xhtml, Other };

// Atom's `type` of a text construct or content: the three names, or a MIME type for content.
TextKind KindOf(const XmlNode& node) {
    std::string type = ToLowerAscii(Trim(node.Attribute("type")));
    if (type.empty() || type == "text" || type == "text/plain") {
        return TextKind::Text;
    }
    if (type == "html" || type == "text/html") {
        return TextKind::Html;
    }
    if (type == "xhtml" || type == "application/xhtml+xml") {
        return TextKind::Xhtml;
    }
    return StartsWith(type, "text/") ? TextKind::Text : TextKind::Other;
}

// The xhtml `div` that wraps an xhtml text construct; the node itself when the feed left the
// wrapper out.
XmlNode XhtmlContainer(const XmlNode& node) {
    for (XmlNode child = node.FirstChild(); child; child = child.NextSibling()) {
        if (child.Name() == "div") {
            return child;
        }
    }
    return node;
}

// Atom 0.3 marks escaped content with mode="escaped" instead of type="html".
bool Escaped03(const XmlNode& node) {
    return ToLowerAscii(Trim(node.Attribute("mode"))) == "escaped";
}

std::string AsHtml(const XmlNode& node) {
    switch (KindOf(node)) {
        case TextKind::Text:
            return Escaped03(node) ? Trim(node.Text()) : PlainTextAsHtml(Trim(node.Text()));
        case TextKind::Html:
            return Trim(node.Text());
        case TextKind::Xhtml:
            return Trim(XhtmlInnerMarkup(XhtmlContainer(node)));
        case TextKind::Other:
            break;
    }
    return {};  // base64 or another media type: nothing a page can show as text
}

std::string AsPlain(const XmlNode& node) {
    switch (KindOf(node)) {
        case TextKind::Text:
            return Escaped03(node) ? HtmlAsPlainText(node.Text()) : Trim(node.Text());
        case TextKind::Html:
            return HtmlAsPlainText(node.Text());
        case TextKind::Xhtml:
            return HtmlAsPlainText(XhtmlInnerMarkup(XhtmlContainer(node)));
        case TextKind::Other:
            break;
    }
    return {};
}

// "alternate" is what a link without `rel` means.
std::string RelOf(const XmlNode& link) {
    std::string rel = ToLowerAscii(Trim(link.Attribute("rel")));
    return rel.empty() ? "alternate" : rel;
}

std::string AuthorNames(const std::vector<XmlNode>& authors, const char* ns) {
    std::string names;
    for (const XmlNode& author : authors) {
        for (XmlNode child = author.FirstChild(); child; child = child.NextSibling()) {
            if (child.IsElement("name", ns)) {
                std::string name = Trim(child.Text());
                if (!name.empty()) {
                    names += names.empty() ? name : ", " + name;
                }
                break;
            }
        }
    }
    return names;
}

struct EntryFields {
    XmlNode title, id, published, updated, content, summary, alternate;
    std::vector<XmlNode> enclosures, authors;
};

EntryFields FindEntryFields(const XmlNode& entry, const char* ns) {
    EntryFields fields;
    auto take = [](XmlNode& slot, const XmlNode& child) {
        if (!slot) {
            slot = child;
        }
    };
    bool atom03 = std::strcmp(ns, kAtom03Namespace) == 0;
    for (XmlNode child = entry.FirstChild(); child; child = child.NextSibling()) {
        if (child.IsElement("title", ns)) {
            take(fields.title, child);
        } else if (child.IsElement("link", ns)) {
            std::string rel = RelOf(child);
            if (rel == "alternate") {
                take(fields.alternate, child);
            } else if (rel == "enclosure" && fields.enclosures.size() < kMaxItemEnclosures) {
                fields.enclosures.push_back(child);
            }
        } else if (child.IsElement("id", ns)) {
            take(fields.id, child);
        } else if (child.IsElement(atom03 ? "issued" : "published", ns)) {
            take(fields.published, child);
        } else if (child.IsElement(atom03 ? "modified" : "updated", ns)) {
            take(fields.updated, child);
        } else if (child.IsElement("content", ns)) {
            take(fields.content, child);
        } else if (child.IsElement("summary", ns)) {
            take(fields.summary, child);
        } else if (child.IsElement("author", ns)) {
            fields.authors.push_back(child);
        }
    }
    return fields;
}

std::vector<XmlNode> FeedAuthors(const XmlNode& feed, const char* ns) {
    std::vector<XmlNode> authors;
    for (XmlNode child = feed.FirstChild(); child; child = child.NextSibling()) {
        if (child.IsElement("author", ns)) {
            authors.push_back(child);
        }
    }
    return authors;
}

}  // namespace

size_t ReadAtomItems(const CXmlDocument& doc, const FeedReadOptions& options,
                     std::vector<RssItem>& items) {
    const char* ns = AtomNamespaceOf(doc);
    XmlNode feed = doc.Root();
    // Read from a file, the feed's own page is the best base for its relative links.
    std::string documentUrl =
        options.documentUrl.empty() ? ReadAtomChannel(doc, "").homePage : options.documentUrl;
    std::string feedAuthors;
    bool feedAuthorsRead = false;
    size_t count = 0;
    for (XmlNode entry = feed.FirstChild(); entry && count < options.maxItems;
         entry = entry.NextSibling()) {
        if (!entry.IsElement("entry", ns)) {
            continue;
        }
        EntryFields fields = FindEntryFields(entry, ns);
        RssItem out;
        if (fields.alternate) {
            out.link = ItemLink(XmlBaseOf(fields.alternate, documentUrl),
                                fields.alternate.Attribute("href"));
        }
        if (out.link.empty()) {
            // Without a page of its own the entry is known by its id (often a tag: or urn:
            // name, kept inert).
            out.link = ItemLink(XmlBaseOf(entry, documentUrl), Trim(fields.id.Text()));
        }
        if (out.link.empty()) {
            continue;
        }
        out.title = fields.title ? AsPlain(fields.title) : std::string();
        out.date = Trim((fields.published ? fields.published : fields.updated).Text());
        if (fields.content && !fields.content.HasAttribute("src")) {
            out.description = AsHtml(fields.content);
        }
        if (out.description.empty() && fields.summary) {
            out.description = AsHtml(fields.summary);
        }
        out.author = AuthorNames(fields.authors, ns);
        if (out.author.empty()) {
            if (!feedAuthorsRead) {
                feedAuthors = AuthorNames(FeedAuthors(feed, ns), ns);
                feedAuthorsRead = true;
            }
            out.author = feedAuthors;
        }
        for (const XmlNode& link : fields.enclosures) {
            AddEnclosure(out, XmlBaseOf(link, documentUrl), link.Attribute("href"),
                         link.Attribute("type"), link.Attribute("length"));
        }
        FinishItem(out);
        items.push_back(std::move(out));
        ++count;
    }
    return count;
}

FeedChannelInfo ReadAtomChannel(const CXmlDocument& doc, const std::string& documentUrl) {
    const char* ns = AtomNamespaceOf(doc);
    FeedChannelInfo info;
    XmlNode feed = doc.Root();
    for (XmlNode child = feed.FirstChild(); child; child = child.NextSibling()) {
        if (child.IsElement("title", ns) && info.title.empty()) {
            info.title = AsPlain(child);
        } else if (child.IsElement("link", ns) && info.homePage.empty() &&
                   RelOf(child) == "alternate") {
            info.homePage = HomePageLink(XmlBaseOf(child, documentUrl), child.Attribute("href"));
        }
    }
    return info;
}

}  // namespace zirvo
