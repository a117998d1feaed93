// RSS 0.9x, 2.0 and RDF (RSS 1.0, 0.90) item readers.

#include "core/feeds/feed_formats.h"
#include "core/feeds/feed_links.h"
#include "core/util/feed_date.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

// The first child element of each name an item is read from, found in one pass over its
// children instead of one path evaluation per field. `ns` is the namespace of the format's own
// elements (none for RSS 2.0, where unprefixed names match elements in no namespace only, as
// in a path); `dc:date`, `dc:creator` and `content:encoded` are those of their modules.
struct ItemFields {
    XmlNode link, title, pubDate, dcDate, author, dcCreator, description, encoded;
    std::vector<XmlNode> enclosures;
};

ItemFields FindItemFields(const XmlNode& item, const char* ns) {
    ItemFields fields;
    auto take = [](XmlNode& slot, const XmlNode& child) {
        if (!slot) {
            slot = child;
        }
    };
    for (XmlNode child = item.FirstChild(); child; child = child.NextSibling()) {
        if (child.IsElement("link", ns)) {
            take(fields.link, child);
        } else if (child.IsElement("title", ns)) {
            take(fields.title, child);
        } else if (child.IsElement("pubDate", ns)) {
            take(fields.pubDate, child);
        } else if (child.IsElement("author", ns)) {
            take(fields.author, child);
        } else if (child.IsElement("description", ns)) {
            take(fields.description, child);
        } else if (child.IsElement("date", kDcNamespace)) {
            take(fields.dcDate, child);
        } else if (child.IsElement("creator", kDcNamespace)) {
            take(fields.dcCreator, child);
        } else if (child.IsElement("encoded", kContentNamespace)) {
            take(fields.encoded, child);
        } else if (child.IsElement("enclosure", ns) &&
                   fields.enclosures.size() < kMaxItemEnclosures) {
            fields.enclosures.push_back(child);
        }
    }
    return fields;
}

RssItem ItemFrom(const ItemFields& fields, const std::string& base) {
    RssItem out;
    out.link = ItemLink(base, Trim(fields.link.Text()));
    out.title = Trim(fields.title.Text());
    out.date = Trim((fields.pubDate ? fields.pubDate : fields.dcDate).Text());
    out.author = Trim((fields.author ? fields.author : fields.dcCreator).Text());
    out.description = Trim(fields.description.Text());
    if (fields.encoded) {
        // The full text, when the description is only its summary.
        std::string encoded = Trim(fields.encoded.Text());
        if (!fields.description || encoded.size() > out.description.size()) {
            out.description = std::move(encoded);
        }
    }
    for (const XmlNode& enclosure : fields.enclosures) {
        AddEnclosure(out, base, enclosure.Attribute("url"), enclosure.Attribute("type"),
                     enclosure.Attribute("length"));
    }
    FinishItem(out);
    return out;
}

// Relative item links are read against the channel's link, itself read against the document.
std::string ChannelBase(const XmlNode& channel, const char* ns, const std::string& documentUrl) {
    XmlNode link = channel ? channel.FirstChild() : XmlNode();
    for (; link; link = link.NextSibling()) {
        if (link.IsElement("link", ns)) {
            std::string resolved = ResolveUrl(documentUrl, Trim(link.Text()));
            if (IsWebLink(resolved)) {
                return resolved;
            }
            break;
        }
    }
    return documentUrl;
}

XmlNode FirstChildElement(const XmlNode& parent, const char* name, const char* ns) {
    for (XmlNode child = parent ? parent.FirstChild() : XmlNode(); child;
         child = child.NextSibling()) {
        if (child.IsElement(name, ns)) {
            return child;
        }
    }
    return {};
}

FeedChannelInfo ChannelInfo(const XmlNode& channel, const char* ns,
                            const std::string& documentUrl) {
    FeedChannelInfo info;
    info.title = Trim(FirstChildElement(channel, "title", ns).Text());
    info.homePage = HomePageLink(documentUrl, FirstChildElement(channel, "link", ns).Text());
    return info;
}

const char* RdfNamespaceOf(const CXmlDocument& doc) {
    XmlNode root = doc.Root();
    for (XmlNode child = root.FirstChild(); child; child = child.NextSibling()) {
        for (const char* ns : {kRss10Namespace, kRss090Namespace}) {
            if (child.IsElement("channel", ns) || child.IsElement("item", ns)) {
                return ns;
            }
        }
    }
    return kRss10Namespace;
}

}  // namespace

size_t ReadRssItems(const CXmlDocument& doc, const FeedReadOptions& options,
                    std::vector<RssItem>& items) {
    size_t count = 0;
    std::string base = ChannelBase(doc.SelectNode("/rss/channel"), nullptr, options.documentUrl);
    // One selection of all items in document order stands for the walk over item[0], item[1],
    // ...: both visit the same elements in the same order.
    for (const XmlNode& item : doc.SelectNodes("/rss/channel/item")) {
        if (count >= options.maxItems) {
            break;
        }
        ItemFields fields = FindItemFields(item, nullptr);
        if (!fields.link) {
            break;
        }
        items.push_back(ItemFrom(fields, base));
        ++count;
    }
    return count;
}

FeedChannelInfo ReadRssChannel(const CXmlDocument& doc, const std::string& documentUrl) {
    return ChannelInfo(doc.SelectNode("/rss/channel"), nullptr, documentUrl);
}

size_t ReadRdfItems(const CXmlDocument& doc, const FeedReadOptions& options,
                    std::vector<RssItem>& items) {
    const char* ns = RdfNamespaceOf(doc);
    XmlNode root = doc.Root();
    std::string base = ChannelBase(FirstChildElement(root, "channel", ns), ns, options.documentUrl);
    size_t count = 0;
    for (XmlNode child = root.FirstChild(); child && count < options.maxItems;
         child = child.NextSibling()) {
        if (!child.IsElement("item", ns)) {
            continue;
        }
        ItemFields fields = FindItemFields(child, ns);
        if (!fields.link) {
            continue;  // nothing to store it under
        }
        items.push_back(ItemFrom(fields, base));
        ++count;
    }
    return count;
}

FeedChannelInfo ReadRdfChannel(const CXmlDocument& doc, const std::string& documentUrl) {
    const char* ns = RdfNamespaceOf(doc);
    return ChannelInfo(FirstChildElement(doc.Root(), "channel", ns), ns, documentUrl);
}

void AddEnclosure(RssItem& item, const std::string& base, std::string_view url,
                  std::string_view type, std::string_view length) {
    if (item.enclosures.size() >= kMaxItemEnclosures) {
        return;
    }
    Enclosure enclosure;
    enclosure.url = ResolveUrl(base, url);
    if (!IsWebLink(enclosure.url)) {
        return;
    }
    enclosure.type = Trim(type);
    long long bytes = 0;
    if (ParseInt(Trim(length), bytes) && bytes > 0) {
        enclosure.length = bytes;
    }
    item.enclosures.push_back(std::move(enclosure));
}

std::string ItemLink(const std::string& base, std::string_view link) {
    return InertUnlessWeb(ResolveUrl(base, link));
}

std::string HomePageLink(const std::string& base, std::string_view link) {
    std::string resolved = ResolveUrl(base, link);
    return IsWebLink(resolved) ? resolved : std::string();
}

void FinishItem(RssItem& item) {
    NormaliseFeedDate(item.date);
    CapItemFields(item);
}

}  // namespace zirvo
