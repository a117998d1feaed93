// Guards the data files seeded into every new data root. The programs never create a missing
// element and look messages up by number, so a shipped file that loses an element, a message or
// an attribute breaks a feature on the user's machine for good. These tests parse the files
// with libxml2 directly, independent of the program's own XML layer.

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

struct XPathContextFree {
    void operator()(xmlXPathContext* ctx) const { xmlXPathFreeContext(ctx); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject* obj) const { xmlXPathFreeObject(obj); }
};

std::string DataPath(const std::string& relative) {
    return std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/" + relative;
}

DocPtr Parse(const std::string& relative) {
    // No recovery: a file libxml2 has to repair is as broken as one it rejects.
    return DocPtr(xmlReadFile(DataPath(relative).c_str(), nullptr, XML_PARSE_NONET));
}

std::string ReadBytes(const std::string& relative) {
    std::ifstream in(DataPath(relative), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string ToString(const xmlChar* text) {
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// Standard XPath 1.0 (1-based indexes), relative to `context` when it is given.
std::vector<xmlNode*> Select(xmlDoc* doc, const std::string& path, xmlNode* context = nullptr) {
    std::unique_ptr<xmlXPathContext, XPathContextFree> ctx(xmlXPathNewContext(doc));
    if (!ctx)
        return {};
    if (context)
        ctx->node = context;
    std::unique_ptr<xmlXPathObject, XPathObjectFree> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(path.c_str()), ctx.get()));
    std::vector<xmlNode*> nodes;
    if (result && result->type == XPATH_NODESET && result->nodesetval) {
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            nodes.push_back(result->nodesetval->nodeTab[i]);
        }
    }
    return nodes;
}

std::string TextOf(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = ToString(content);
    xmlFree(content);
    return text;
}

// The text of the single node at `path`; nullopt when there is none or more than one.
std::optional<std::string> SingleText(xmlDoc* doc, const std::string& path,
                                      xmlNode* context = nullptr) {
    std::vector<xmlNode*> nodes = Select(doc, path, context);
    if (nodes.size() != 1)
        return std::nullopt;
    return TextOf(nodes[0]);
}

bool HasAttribute(xmlNode* node, const char* name) {
    return xmlHasProp(node, reinterpret_cast<const xmlChar*>(name)) != nullptr;
}

std::string AttributeOf(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = ToString(value);
    xmlFree(value);
    return text;
}

// Strict decimal: digits only, no sign, no blanks (the programs read integers with an atoi-like
// conversion, which would silently turn anything else into 0).
std::optional<long long> Decimal(const std::string& text) {
    if (text.empty() || text.size() > 12)
        return std::nullopt;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    return std::stoll(text);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

const char* const kShippedXmlFiles[] = {
    "config/appConfig.xml",   "config/userConfig.xml",    "ErrorMsg.xml", "BSP.xml",
    "Storage/rssreader.opml", "Storage/rssFavorite.opml",
};

// Every element the settings operations address; a missing one is message 7001 at run time.
const char* const kAppConfigPaths[] = {
    "/app/proxy/use",
    "/app/proxy/localporxyuse",
    "/app/proxy/server",
    "/app/proxy/port",
    "/app/proxy/username",
    "/app/proxy/password",
    "/app/debug/use",
    "/app/debug/out",
    "/app/viewframemode",
    "/app/splitterdirection",
    "/app/outbarmode",
    "/app/rss/articlestyle",
    "/app/wndpos/left",
    "/app/wndpos/top",
    "/app/wndpos/right",
    "/app/wndpos/bottom",
    "/app/wndpos/leftframewidth",
    "/app/wndpos/topframeheight",
    "/app/rss/startupautoreceive",
    "/app/rss/autoreceive",
    "/app/rss/autoreceivetype",
    "/app/rss/autoreceivetime",
    "/app/rss/clickchannelautoreceive",
    "/app/rss/switchchannelautomakeread",
    "/app/rss/whenexitrememberunreadnum",
    "/app/rss/paginationnum",
    "/app/rss/storagetype",
    "/app/rss/storagenum",
    "/app/rss/titleunreadcolor",
    "/app/rss/titlereadcolor",
    "/app/rss/dateandauthorcolor",
    "/app/rss/usebigtitlefont",
    "/app/rss/useboldtitlefont",
    "/app/rss/enableautoupdate",
    "/app/rss/enableminimizetonotifyarea",
    "/app/rss/newssearchurl",
};

// Every number either program shows through the message dialog.
const int kMessageNumbers[] = {1000, 1001, 1002, 1003, 1004, 1005, 1101, 1102, 1104,
                               1106, 1107, 2001, 3001, 3002, 3003, 4000, 4001, 4002,
                               5001, 6000, 6001, 6006, 7000, 7001, 8000};

TEST(ShippedData, EveryFileIsWellFormedUtf8UnderAnUtf8Declaration) {
    for (const char* file : kShippedXmlFiles) {
        SCOPED_TRACE(file);
        std::string bytes = ReadBytes(file);
        ASSERT_FALSE(bytes.empty());
        // The declaration must be the very first thing (no byte order mark, no blank line).
        EXPECT_TRUE(StartsWith(bytes, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        DocPtr doc = Parse(file);
        ASSERT_TRUE(doc) << "not well-formed, or not valid UTF-8";
        EXPECT_EQ(ToString(doc->encoding), "UTF-8");
    }
}

TEST(ShippedAppConfig, HoldsEveryElementTheSettingsOperationsAddress) {
    DocPtr doc = Parse("config/appConfig.xml");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_TRUE(root);
    EXPECT_EQ(ToString(root->name), "app");
    for (const char* path : kAppConfigPaths) {
        SCOPED_TRACE(path);
        std::vector<xmlNode*> nodes = Select(doc.get(), path);
        ASSERT_EQ(nodes.size(), 1u);
        // A value element holds text only; a writer replacing its text must not drop children.
        EXPECT_TRUE(Select(doc.get(), "*", nodes[0]).empty());
    }
}

TEST(ShippedAppConfig, InitialValuesPassTheChecksOfTheSettingsPages) {
    DocPtr doc = Parse("config/appConfig.xml");
    ASSERT_TRUE(doc);
    auto integer = [&](const std::string& path) -> long long {
        std::optional<std::string> text = SingleText(doc.get(), path);
        EXPECT_TRUE(text) << path;
        std::optional<long long> value = text ? Decimal(*text) : std::nullopt;
        EXPECT_TRUE(value) << path << " is not a plain decimal: " << text.value_or("");
        return value.value_or(-1);
    };
    for (const char* flag :
         {"/app/proxy/use", "/app/proxy/localporxyuse", "/app/debug/use",
          "/app/rss/startupautoreceive", "/app/rss/autoreceive", "/app/rss/clickchannelautoreceive",
          "/app/rss/switchchannelautomakeread", "/app/rss/whenexitrememberunreadnum",
          "/app/rss/usebigtitlefont", "/app/rss/useboldtitlefont", "/app/rss/enableautoupdate",
          "/app/rss/enableminimizetonotifyarea"}) {
        long long value = integer(flag);
        EXPECT_TRUE(value == 0 || value == 1) << flag;
    }
    // Nothing happens behind a new user's back: no network at start-up, no proxy, no debug file.
    EXPECT_EQ(integer("/app/rss/startupautoreceive"), 0);
    EXPECT_EQ(integer("/app/rss/autoreceive"), 0);
    EXPECT_EQ(integer("/app/rss/enableautoupdate"), 0);
    EXPECT_EQ(integer("/app/proxy/use"), 0);
    EXPECT_EQ(integer("/app/debug/use"), 0);
    EXPECT_EQ(SingleText(doc.get(), "/app/debug/out"), "");

    long long type = integer("/app/rss/autoreceivetype");
    EXPECT_TRUE(type == 0 || type == 1);
    long long minutes = integer("/app/rss/autoreceivetime");
    EXPECT_GE(minutes, 5);
    EXPECT_LE(minutes, 1440);
    long long pageSize = integer("/app/rss/paginationnum");
    EXPECT_GE(pageSize, 30);
    EXPECT_LE(pageSize, 1000);
    long long storageType = integer("/app/rss/storagetype");
    EXPECT_GE(storageType, 1);
    EXPECT_LE(storageType, 3);
    long long storageNum = integer("/app/rss/storagenum");
    EXPECT_GE(storageNum, 10);
    EXPECT_LE(storageNum, 16000000);
    long long outbar = integer("/app/outbarmode");
    EXPECT_GE(outbar, 0);
    EXPECT_LE(outbar, 2);
    integer("/app/viewframemode");
    integer("/app/splitterdirection");

    // A maximised window and panes the user can see (0 or above 620 would be read as 300).
    for (const char* edge :
         {"/app/wndpos/left", "/app/wndpos/top", "/app/wndpos/right", "/app/wndpos/bottom"}) {
        EXPECT_EQ(integer(edge), 0) << edge;
    }
    EXPECT_GT(integer("/app/wndpos/leftframewidth"), 0);
    long long topHeight = integer("/app/wndpos/topframeheight");
    EXPECT_GE(topHeight, 1);
    EXPECT_LE(topHeight, 620);

    for (const char* colour :
         {"/app/rss/titleunreadcolor", "/app/rss/titlereadcolor", "/app/rss/dateandauthorcolor"}) {
        EXPECT_LE(integer(colour), 0xFFFFFF) << colour;
    }
    // RGB(0,52,154) with red in the low byte: a blue title, not an orange one.
    EXPECT_EQ(integer("/app/rss/titleunreadcolor"), 0 + 52 * 256 + 154 * 65536);

    std::optional<long long> proxyPort = Decimal(SingleText(doc.get(), "/app/proxy/port").value());
    ASSERT_TRUE(proxyPort);
    EXPECT_LE(*proxyPort, 65535);
    EXPECT_EQ(SingleText(doc.get(), "/app/rss/articlestyle"), "默认");
}

TEST(ShippedAppConfig, NewsSearchAddressTakesTheKeywordThenTheCount) {
    DocPtr doc = Parse("config/appConfig.xml");
    ASSERT_TRUE(doc);
    std::string url = SingleText(doc.get(), "/app/rss/newssearchurl").value_or("");
    EXPECT_TRUE(StartsWith(url, "http://") || StartsWith(url, "https://")) << url;
    // The address is a printf format: exactly one %s (keyword) followed by one %d (count), and no
    // other conversion that would read an argument that is not there.
    std::vector<std::string> conversions;
    for (size_t i = url.find('%'); i != std::string::npos; i = url.find('%', i + 2)) {
        ASSERT_LT(i + 1, url.size());
        conversions.push_back(url.substr(i, 2));
    }
    EXPECT_EQ(conversions, (std::vector<std::string>{"%s", "%d"})) << url;
}

TEST(ShippedUserConfig, StartsWithAnEmptyAccountList) {
    DocPtr doc = Parse("config/userConfig.xml");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_TRUE(root);
    EXPECT_EQ(ToString(root->name), "accounts");
    EXPECT_TRUE(Select(doc.get(), "/accounts/*").empty());
}

TEST(ShippedErrorCatalogue, HoldsOneCompleteEntryForEveryRaisedNumber) {
    DocPtr doc = Parse("ErrorMsg.xml");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_TRUE(root);
    EXPECT_EQ(ToString(root->name), "error");
    for (int number : kMessageNumbers) {
        SCOPED_TRACE(number);
        std::string entry = "/error/msg[id=\"" + std::to_string(number) + "\"]";
        ASSERT_EQ(Select(doc.get(), entry).size(), 1u);
        std::optional<std::string> pos = SingleText(doc.get(), entry + "/pos");
        ASSERT_TRUE(pos);
        EXPECT_TRUE(*pos == "0" || *pos == "1" || *pos == "2") << *pos;
        std::optional<std::string> summary = SingleText(doc.get(), entry + "/summary");
        ASSERT_TRUE(summary);
        EXPECT_FALSE(summary->empty());
        EXPECT_EQ(summary->find('\n'), std::string::npos) << "summary is a single line";
        std::optional<std::string> description = SingleText(doc.get(), entry + "/description");
        ASSERT_TRUE(description);
        EXPECT_FALSE(description->empty());
    }
}

TEST(ShippedErrorCatalogue, EveryEntryHasAPlainUniqueNumber) {
    DocPtr doc = Parse("ErrorMsg.xml");
    ASSERT_TRUE(doc);
    std::vector<xmlNode*> entries = Select(doc.get(), "/error/msg");
    ASSERT_FALSE(entries.empty());
    std::set<std::string> seen;
    for (xmlNode* entry : entries) {
        std::optional<std::string> id = SingleText(doc.get(), "id", entry);
        ASSERT_TRUE(id);
        // The lookup compares the text exactly: " 3001" or "03001" would never be found.
        EXPECT_TRUE(Decimal(*id) && std::to_string(*Decimal(*id)) == *id) << *id;
        EXPECT_TRUE(seen.insert(*id).second) << "duplicate entry " << *id;
        for (const char* child : {"pos", "summary", "description"}) {
            EXPECT_TRUE(SingleText(doc.get(), child, entry)) << *id << " lacks " << child;
        }
    }
}

TEST(ShippedBlogPresets, EveryPresetIsCompleteAndUsableByTheWizard) {
    DocPtr doc = Parse("BSP.xml");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_TRUE(root);
    EXPECT_EQ(ToString(root->name), "root");
    std::vector<xmlNode*> presets = Select(doc.get(), "/root/bsp");
    ASSERT_GE(presets.size(), 3u);
    const std::set<std::string> kTypes = {"MetaWeblog", "Blogger", "MSN Spaces", "MovableType"};
    std::set<std::string> names;
    std::set<std::string> typesOffered;
    for (xmlNode* preset : presets) {
        std::optional<std::string> name = SingleText(doc.get(), "name", preset);
        ASSERT_TRUE(name);
        SCOPED_TRACE(*name);
        EXPECT_FALSE(name->empty());
        EXPECT_TRUE(names.insert(*name).second) << "duplicate preset name";
        std::string type = SingleText(doc.get(), "blogapitype", preset).value_or("?");
        // The client factory compares the flavour exactly, letter case included.
        EXPECT_TRUE(kTypes.count(type)) << type;
        typesOffered.insert(type);
        std::string encoding = SingleText(doc.get(), "encodetype", preset).value_or("?");
        EXPECT_TRUE(encoding == "UTF-8" || encoding == "GB2312") << encoding;
        std::string endpoint = SingleText(doc.get(), "xml-rpc", preset).value_or("");
        bool secure = StartsWith(endpoint, "https://");
        EXPECT_TRUE(secure || StartsWith(endpoint, "http://")) << endpoint;
        std::optional<long long> port = Decimal(SingleText(doc.get(), "port", preset).value_or(""));
        ASSERT_TRUE(port);
        EXPECT_LE(*port, 65535);
        if (secure) {
            EXPECT_EQ(*port, 443);
        }
    }
    for (const char* type : {"MetaWeblog", "Blogger", "MovableType"}) {
        EXPECT_TRUE(typesOffered.count(type)) << "no preset of type " << type;
    }
}

// Checks what the tree loader relies on for every outline below `parent`, recursively.
void CheckOutlines(xmlDoc* doc, xmlNode* parent, const std::string& where, int* channels,
                   std::set<std::string>* feedUrls) {
    for (xmlNode* outline : Select(doc, "outline", parent)) {
        std::string title = AttributeOf(outline, "title");
        std::string here = where + "/" + title;
        SCOPED_TRACE(here);
        for (const char* attr : {"title", "htmlUrl", "unreadnum", "expanded"}) {
            EXPECT_TRUE(HasAttribute(outline, attr)) << "no " << attr;
        }
        EXPECT_FALSE(title.empty());
        EXPECT_TRUE(Decimal(AttributeOf(outline, "unreadnum"))) << "unreadnum";
        std::string expanded = AttributeOf(outline, "expanded");
        EXPECT_TRUE(expanded == "0" || expanded == "1") << "expanded=" << expanded;
        // The dialogs refuse these characters in every attribute they write.
        for (const char* attr : {"title", "xmlUrl", "htmlUrl"}) {
            std::string value = AttributeOf(outline, attr);
            EXPECT_EQ(value.find_first_of("<>"), std::string::npos) << attr;
        }
        // Only outline children: the position paths count outline siblings alone.
        EXPECT_EQ(Select(doc, "*[not(self::outline)]", outline).size(), 0u);
        std::string feedUrl = AttributeOf(outline, "xmlUrl");
        if (!feedUrl.empty()) {
            ++*channels;
            EXPECT_TRUE(feedUrls->insert(feedUrl).second) << "duplicate " << feedUrl;
            EXPECT_TRUE(Select(doc, "outline", outline).empty()) << "a channel has children";
        }
        CheckOutlines(doc, outline, here, channels, feedUrls);
    }
}

TEST(ShippedSubscriptions, LoadAsFoldersOfChannelsWithEveryAttributeTheTreeReads) {
    DocPtr doc = Parse("Storage/rssreader.opml");
    ASSERT_TRUE(doc);
    std::vector<xmlNode*> body = Select(doc.get(), "/opml/body");
    ASSERT_EQ(body.size(), 1u);
    std::vector<xmlNode*> top = Select(doc.get(), "/opml/body/outline");
    int folders = 0;
    for (xmlNode* node : top) {
        if (AttributeOf(node, "xmlUrl").empty())
            ++folders;
    }
    EXPECT_GE(folders, 2);
    int channels = 0;
    std::set<std::string> feedUrls;
    CheckOutlines(doc.get(), body[0], "", &channels, &feedUrls);
    EXPECT_GE(channels, 4);
    for (const std::string& url : feedUrls) {
        EXPECT_TRUE(StartsWith(url, "http://") || StartsWith(url, "https://")) << url;
    }
}

TEST(ShippedFavourites, HoldFavouritesNodeOneInsideAFolder) {
    DocPtr doc = Parse("Storage/rssFavorite.opml");
    ASSERT_TRUE(doc);
    std::vector<xmlNode*> body = Select(doc.get(), "/opml/body");
    ASSERT_EQ(body.size(), 1u);
    int nodes = 0;
    std::set<std::string> ids;
    CheckOutlines(doc.get(), body[0], "", &nodes, &ids);
    // A favourites node's xmlUrl is the id of its row in the favourites table; the seeded
    // database holds row 1 and nothing else.
    EXPECT_EQ(ids, (std::set<std::string>{"1"}));
    std::vector<xmlNode*> folders = Select(doc.get(), "/opml/body/outline[not(@xmlUrl)]");
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(Select(doc.get(), "outline[@xmlUrl=\"1\"]", folders[0]).size(), 1u);
}

}  // namespace
