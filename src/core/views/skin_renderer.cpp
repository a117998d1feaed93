#include "core/views/skin_renderer.h"

#include <libxml/parser.h>
#include <libxml/uri.h>
#include <libxslt/documents.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "core/util/files.h"
#include "core/util/xml_text.h"
#include "core/views/article_document.h"

namespace zirvo {

namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct SheetFree {
    void operator()(xsltStylesheet* sheet) const { xsltFreeStylesheet(sheet); }
};
struct PrefsFree {
    void operator()(xsltSecurityPrefs* prefs) const { xsltFreeSecurityPrefs(prefs); }
};
struct XmlCharFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

// Skins and documents are small; a bigger file is not one of ours.
constexpr size_t kMaxSkinBytes = 4u << 20;
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;

void Silent(void*, const char*, ...) {}

// The folder whose files the transformation on this thread may load (empty: no transformation
// of ours runs here, the loader refuses everything).
thread_local std::string t_allowedFolder;

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string out(resolved);
    std::free(resolved);
    return out;
}

// The local file a URI names, or empty for anything that is not a local file.
std::string LocalPathOf(const char* uri) {
    std::string text(uri);
    if (text.rfind("file://", 0) == 0) {
        text.erase(0, 7);
        if (text.rfind("localhost/", 0) == 0) {
            text.erase(0, 9);
        }
    } else if (text.find("://") != std::string::npos) {
        return {};
    }
    std::unique_ptr<char, decltype(&std::free)> unescaped(
        xmlURIUnescapeString(text.c_str(), 0, nullptr), &std::free);
    return unescaped ? std::string(unescaped.get()) : std::string();
}

// Loads what document(), xsl:include and xsl:import ask for, but only inside the skin folder.
xmlDocPtr SkinFolderLoader(const xmlChar* uri, xmlDictPtr dict, int options, void*, xsltLoadType) {
    if (uri == nullptr || t_allowedFolder.empty()) {
        return nullptr;
    }
    const std::string path = RealPath(LocalPathOf(reinterpret_cast<const char*>(uri)));
    if (path.empty() || path.rfind(t_allowedFolder + "/", 0) != 0) {
        return nullptr;
    }
    std::string bytes;
    if (!ReadFileBytes(path, bytes, kMaxSkinBytes)) {
        return nullptr;
    }
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (parser == nullptr) {
        return nullptr;
    }
    if (dict != nullptr) {
        // The loaded document shares the caller's dictionary, as libxslt's own loader does.
        xmlDictFree(parser->dict);
        parser->dict = dict;
        xmlDictReference(dict);
    }
    const int safe =
        (options | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING) &
        ~(XML_PARSE_DTDLOAD | XML_PARSE_NOENT | XML_PARSE_DTDATTR | XML_PARSE_XINCLUDE);
    xmlDocPtr doc = xmlCtxtReadMemory(parser, bytes.data(), static_cast<int>(bytes.size()),
                                      path.c_str(), nullptr, safe);
    xmlFreeParserCtxt(parser);
    return doc;
}

void InstallLoader() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xsltSetLoaderFunc(SkinFolderLoader);
    });
}

class CAllowedFolder {
public:
    explicit CAllowedFolder(const std::string& folder) { t_allowedFolder = folder; }
    ~CAllowedFolder() { t_allowedFolder.clear(); }
    CAllowedFolder(const CAllowedFolder&) = delete;
    CAllowedFolder& operator=(const CAllowedFolder&) = delete;
};

// Stops the transformation of `context` when the budget runs out before Finish().
class CWatchdog {
public:
    CWatchdog(xsltTransformContext* context, int budgetMs)
        : m_thread([this, context, budgetMs] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::milliseconds(budgetMs),
                                   [this] { return m_finished; })) {
                  m_expired = true;
                  // libxslt polls the state between instructions; a plain store is what
                  // xsltStopProcessing does too.
                  __atomic_store_n(&context->state, XSLT_STATE_STOPPED, __ATOMIC_RELEASE);
              }
          }) {}
    ~CWatchdog() { Finish(); }
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

    // True when the budget ran out.
    bool Finish() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_expired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    bool m_expired = false;
    std::thread m_thread;
};

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

SkinRenderResult RenderWithSkin(const std::string& skinPath, const std::string& document,
                                const SkinRenderLimits& limits) {
    SkinRenderResult result;
    InstallLoader();
    std::string sheetText;
    if (!FileExists(skinPath) || !ReadFileBytes(skinPath, sheetText, kMaxSkinBytes)) {
        result.error = "找不到样式文件 " + skinPath;
        return result;
    }
    const std::string folder = RealPath(FolderOf(skinPath));
    if (folder.empty()) {
        result.error = "找不到样式文件 " + skinPath;
        return result;
    }
    CAllowedFolder allowed(folder);
    // libxslt reports parse errors through a global handler; keep them off stderr.
    xsltSetGenericErrorFunc(nullptr, Silent);
    xmlSetGenericErrorFunc(nullptr, Silent);
    std::unique_ptr<xmlDoc, DocFree> sheetDoc(
        xmlReadMemory(sheetText.data(), static_cast<int>(sheetText.size()), skinPath.c_str(),
                      nullptr, kParseOptions));
    if (!sheetDoc) {
        result.error = "样式文件不是正确的 XML: " + skinPath;
        return result;
    }
    std::unique_ptr<xsltStylesheet, SheetFree> sheet(xsltParseStylesheetDoc(sheetDoc.get()));
    if (!sheet) {
        result.error = "样式文件不是可用的 XSL 样式表: " + skinPath;
        return result;  // sheetDoc is still ours when parsing failed
    }
    sheetDoc.release();  // owned by the style sheet now
    std::unique_ptr<xmlDoc, DocFree> input(xmlReadMemory(
        document.data(), static_cast<int>(document.size()), "article.xml", nullptr, kParseOptions));
    if (!input) {
        result.error = "文章文档无法读取";
        return result;
    }
    std::unique_ptr<xsltSecurityPrefs, PrefsFree> prefs(xsltNewSecurityPrefs());
    for (xsltSecurityOption option : {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                      XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK}) {
        xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid);
    }
    std::unique_ptr<xsltTransformContext, decltype(&xsltFreeTransformContext)> context(
        xsltNewTransformContext(sheet.get(), input.get()), &xsltFreeTransformContext);
    if (!context || xsltSetCtxtSecurityPrefs(prefs.get(), context.get()) != 0) {
        result.error = "样式转换无法开始";
        return result;
    }
    context->maxTemplateDepth = limits.maxDepth;
    bool expired = false;
    std::unique_ptr<xmlDoc, DocFree> output;
    {
        CWatchdog watchdog(context.get(), limits.timeBudgetMs);
        output.reset(xsltApplyStylesheetUser(sheet.get(), input.get(), nullptr, nullptr, nullptr,
                                             context.get()));
        expired = watchdog.Finish();
    }
    if (expired) {
        result.error =
            "样式转换超时 (超过 " + std::to_string(limits.timeBudgetMs) + " 毫秒): " + skinPath;
        return result;
    }
    if (!output || context->state != XSLT_STATE_OK) {
        result.error = "样式转换失败: " + skinPath;
        return result;
    }
    xmlChar* raw = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&raw, &length, output.get(), sheet.get()) != 0) {
        result.error = "样式转换的结果无法读取";
        return result;
    }
    std::unique_ptr<xmlChar, XmlCharFree> text(raw);
    if (raw != nullptr && length > 0) {
        result.html.assign(reinterpret_cast<const char*>(raw), static_cast<size_t>(length));
    }
    result.ok = true;
    return result;
}

std::string InsertBanner(const std::string& html, const std::string& message) {
    const std::string banner =
        "<div style=\"background:#fff4e5;border-bottom:1px solid #f0c36d;color:#7a4a00;"
        "padding:6px 12px;font:13px sans-serif\">" +
        XmlTextContent(message) + "</div>";
    std::string out = html;
    const size_t body = out.find("<body");
    const size_t bodyEnd = body == std::string::npos ? std::string::npos : out.find('>', body);
    out.insert(bodyEnd == std::string::npos ? 0 : bodyEnd + 1, banner);
    return out;
}

ArticleRenderResult RenderArticle(const std::string& skinFolder, const std::string& skinName,
                                  const std::string& document, const SkinRenderLimits& limits) {
    ArticleRenderResult result;
    const SkinRenderResult chosen =
        RenderWithSkin(JoinPath(skinFolder, skinName + ".xsl"), document, limits);
    if (chosen.ok) {
        result.ok = true;
        result.html = chosen.html;
        return result;
    }
    result.message = "样式“" + skinName + "”无法使用 (" + chosen.error + ")";
    if (skinName == kDefaultSkinName) {
        return result;
    }
    const SkinRenderResult standard = RenderWithSkin(
        JoinPath(skinFolder, std::string(kDefaultSkinName) + ".xsl"), document, limits);
    if (!standard.ok) {
        return result;
    }
    result.message += std::string(", 已改用“") + kDefaultSkinName + "”样式";
    result.ok = true;
    result.fellBack = true;
    result.html = InsertBanner(standard.html, result.message);
    return result;
}

}  // namespace zirvo
