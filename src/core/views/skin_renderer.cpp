#include "core/views/skin_renderer.h"

#include <libxml/parser.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <memory>

#include "core/util/files.h"

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

}  // namespace

SkinRenderResult RenderWithSkin(const std::string& skinPath, const std::string& document) {
    SkinRenderResult result;
    xmlInitParser();
    std::string sheetText;
    if (!FileExists(skinPath) || !ReadFileBytes(skinPath, sheetText, kMaxSkinBytes)) {
        result.error = "找不到样式文件 " + skinPath;
        return result;
    }
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
    std::unique_ptr<xmlDoc, DocFree> output(xsltApplyStylesheetUser(
        sheet.get(), input.get(), nullptr, nullptr, nullptr, context.get()));
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

}  // namespace zirvo
