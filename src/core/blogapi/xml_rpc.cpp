#include "core/blogapi/xml_rpc.h"

#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

constexpr int kTemplateFailure = 2001;
constexpr int kServerFault = 4000;

constexpr const char* kFaultMember = "/methodResponse/fault/value/struct/member";

bool IsValidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(text, pos, cp);
        if (length == 0) {
            break;
        }
        if (cp == 0xFFFD && !(length == 3 && text.substr(pos, 3) == "\xEF\xBF\xBD")) {
            return false;
        }
        pos += length;
    }
    return true;
}

// The declared encoding of an XML text and where its declaration ends; empty name when the
// text has no declaration (or one without encoding).
std::string DeclaredEncoding(const std::string& bytes, size_t& declarationEnd) {
    declarationEnd = 0;
    size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    }
    while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\t' ||
                                    bytes[start] == '\r' || bytes[start] == '\n')) {
        ++start;
    }
    if (bytes.compare(start, 5, "<?xml") != 0) {
        declarationEnd = start;
        return {};
    }
    size_t end = bytes.find("?>", start);
    if (end == std::string::npos) {
        return {};
    }
    declarationEnd = end + 2;
    std::string declaration = bytes.substr(start, end - start);
    size_t at = declaration.find("encoding");
    if (at == std::string::npos) {
        return {};
    }
    size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string::npos) {
        return {};
    }
    size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string::npos) {
        return {};
    }
    return Trim(declaration.substr(quote + 1, close - quote - 1));
}

bool IsUtf8Name(const std::string& name) {
    std::string lower = ToLowerAscii(name);
    return lower == "utf-8" || lower == "utf8";
}

}  // namespace

std::string ResolveTemplateAddress(const CDataRoot& root, const std::string& address) {
    if (!StartsWith(address, kTemplateLibraryPrefix)) {
        return {};
    }
    std::string name = address.substr(std::string_view(kTemplateLibraryPrefix).size());
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\\') != std::string::npos || name == "." || name == "..") {
        return {};
    }
    return JoinPath(root.DataDir(), "Templates/" + name);
}

bool LoadRequestTemplate(const CDataRoot& root, const std::string& fileName, CXmlDocument& doc,
                         CErrorMsgDialog& messages) {
    std::string path = ResolveTemplateAddress(root, kTemplateLibraryPrefix + fileName);
    if (path.empty() || !doc.LoadFile(path)) {
        messages.ShowById(kTemplateFailure);
        return false;
    }
    return true;
}

bool SetNodeText(CXmlDocument& doc, const std::string& path, const std::string& value) {
    XmlNode node = doc.SelectNode(path);
    if (node.IsNull()) {
        return false;
    }
    node.SetText(value);
    return true;
}

std::string AddXmlDeclaration(const std::string& text, const std::string& encodeType) {
    return "<?xml version=\"1.0\" encoding=\"" + encodeType + "\"?>" + text;
}

std::string EncodeRequest(const CXmlDocument& doc, const std::string& encodeType) {
    std::string serialized = doc.Serialize("UTF-8", false);
    size_t bodyStart = 0;
    DeclaredEncoding(serialized, bodyStart);
    std::string body = serialized.substr(bodyStart);
    while (!body.empty() && (body.front() == '\n' || body.front() == '\r')) {
        body.erase(0, 1);
    }
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) {
        body.pop_back();
    }
    std::string text = AddXmlDeclaration(body, encodeType);
    if (encodeType == "UTF-8") {
        return ToUtf8(text);
    }
    return Utf8ToGb18030(text);
}

std::string DecodeAnswer(const std::string& bytes, const std::string& encodeType) {
    size_t bodyStart = 0;
    std::string declared = DeclaredEncoding(bytes, bodyStart);
    while (bodyStart < bytes.size() && (bytes[bodyStart] == '\r' || bytes[bodyStart] == '\n' ||
                                        bytes[bodyStart] == ' ' || bytes[bodyStart] == '\t')) {
        ++bodyStart;
    }
    std::string body = bytes.substr(bodyStart);
    bool utf8;
    if (!declared.empty()) {
        utf8 = IsUtf8Name(declared);
        if (!utf8) {
            std::string converted;
            if (ConvertEncoding(body, declared, "UTF-8", converted)) {
                return converted;
            }
            // An encoding iconv does not know: read the bytes as the account would send them.
            utf8 = encodeType == "UTF-8" || IsValidUtf8(body);
        }
    } else {
        utf8 = encodeType == "UTF-8" || IsValidUtf8(body);
    }
    if (utf8) {
        return FromUtf8(body);
    }
    return Gb18030ToUtf8(body);
}

std::string FaultDescription(const std::string& code, const std::string& text) {
    return std::string("服务器返回的提示信息:") +
           "\r\n=========================================" + "\r\n提示代码: " + code +
           "\r\n提示信息: " + text + "\r\n=========================================\r\n" +
           "要了解更详细的信息请查询服务提供商";
}

bool HasFaultCode(const CXmlDocument& answer, bool allowI4) {
    std::string base = std::string(kFaultMember) + "[name=\"faultCode\"]/value/";
    return !answer.SelectNode(base + "int").IsNull() ||
           (allowI4 && !answer.SelectNode(base + "i4").IsNull());
}

void ShowFault(const std::string& answer, CErrorMsgDialog& messages) {
    CXmlDocument doc;
    doc.LoadMemory(answer);  // an answer that is not XML shows the texts for an unknown format
    std::string base = std::string(kFaultMember) + "[name=\"faultCode\"]/value/";
    std::string code = "无法识别的错误代码格式！";
    if (XmlNode node = doc.SelectNode(base + "int")) {
        code = node.Text();
    } else if (XmlNode i4 = doc.SelectNode(base + "i4")) {
        code = i4.Text();
    }
    std::string text = "无法识别的错误信息格式！";
    if (XmlNode node =
            doc.SelectNode(std::string(kFaultMember) + "[name=\"faultString\"]/value/string")) {
        text = node.Text();
    }
    messages.ShowText(kServerFault, 1, "服务器返回的提示信息", FaultDescription(code, text));
}

}  // namespace zirvo
