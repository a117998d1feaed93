#include "core/blogapi/xml_rpc.h"

#include <iconv.h>

#include <memory>

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
    return IsUtf8EncodingName(name);
}

// The code page a request declared in `encodeType` is written in. GB2312 and GBK declarations get
// GBK bytes: a server that reads the declared code page must find every byte pair there, so
// GB18030's four-byte forms may not appear under them.
std::string WireCodePage(const std::string& encodeType) {
    std::string name = ToLowerAscii(Trim(encodeType));
    if (name == "gb2312" || name == "gbk" || name == "cp936" || name == "euc-cn" ||
        name == "x-gbk") {
        return "GBK";
    }
    return "GB18030";
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};

// UTF-8 text in `codePage`; a character the code page cannot hold becomes a numeric character
// reference, which is what XML offers for exactly this. Only safe for text whose non-ASCII
// characters all stand in character data or attribute values (an XML-RPC request).
std::string EncodeWithCharacterReferences(std::string_view utf8, const std::string& codePage) {
    iconv_t raw = iconv_open(codePage.c_str(), "UTF-8");
    if (raw == reinterpret_cast<iconv_t>(-1)) {
        return Utf8ToGb18030(utf8);
    }
    std::unique_ptr<void, IconvCloser> handle(raw);
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++pos;
            continue;
        }
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(utf8, pos, cp);
        if (length == 0) {
            break;
        }
        std::string one(utf8.substr(pos, length));
        char buffer[16];
        char* in = one.data();
        size_t inLeft = one.size();
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(raw, nullptr, nullptr, nullptr, nullptr);
        size_t rc = iconv(raw, &in, &inLeft, &outPtr, &outLeft);
        if (rc == 0 && inLeft == 0) {
            out.append(buffer, sizeof buffer - outLeft);
        } else {
            out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
        }
        pos += length;
    }
    return out;
}

const char* const kScalarTypes[] = {"string",           "int",   "i4", "i8", "boolean", "double",
                                    "dateTime.iso8601", "base64"};

}  // namespace

bool IsUtf8EncodingName(const std::string& name) {
    std::string compact;
    for (char c : name) {
        if (c != ' ' && c != '\t' && c != '-' && c != '_') {
            compact.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
        }
    }
    return compact == "utf8";
}

std::string XmlRpcValueText(const XmlNode& value) {
    if (value.IsNull()) {
        return {};
    }
    XmlNode typed = value.FirstChild();
    if (typed.IsNull()) {
        return value.Text();
    }
    std::string type = typed.Name();
    for (const char* scalar : kScalarTypes) {
        if (type == scalar) {
            return type == "string" || type == "base64" ? typed.Text() : Trim(typed.Text());
        }
    }
    return {};
}

bool ParseXmlRpcBoolean(const std::string& text, int& out) {
    std::string word = ToLowerAscii(Trim(text));
    if (word == "1" || word == "true") {
        out = 1;
        return true;
    }
    if (word == "0" || word == "false") {
        out = 0;
        return true;
    }
    return false;
}

CXmlRpcStruct::CXmlRpcStruct(const XmlNode& structNode) {
    if (structNode.IsNull()) {
        return;
    }
    for (XmlNode member = structNode.FirstChild("member"); member;
         member = member.NextSibling("member")) {
        XmlNode name = member.FirstChild("name");
        if (name) {
            m_members.emplace_back(Trim(name.Text()), member.FirstChild("value"));
        }
    }
}

XmlNode CXmlRpcStruct::Value(std::string_view name) const {
    for (const auto& [memberName, value] : m_members) {
        if (memberName == name) {
            return value;
        }
    }
    return XmlNode();
}

std::string CXmlRpcStruct::Text(std::string_view name) const {
    return XmlRpcValueText(Value(name));
}

std::string CXmlRpcStruct::FirstText(std::initializer_list<std::string_view> names) const {
    for (std::string_view name : names) {
        std::string text = Text(name);
        if (!Trim(text).empty()) {
            return text;
        }
    }
    return {};
}

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
    if (IsUtf8EncodingName(encodeType)) {
        // However the account spells it, the declaration names UTF-8 as XML knows it.
        return ToUtf8(AddXmlDeclaration(body, "UTF-8"));
    }
    std::string text = AddXmlDeclaration(body, Trim(encodeType));
    return EncodeWithCharacterReferences(text, WireCodePage(encodeType));
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
            utf8 = IsUtf8EncodingName(encodeType) || IsValidUtf8(body);
        }
    } else {
        utf8 = IsUtf8EncodingName(encodeType) || IsValidUtf8(body);
    }
    if (utf8) {
        return FromUtf8(body);
    }
    return Gb18030ToUtf8(body);
}

std::string FaultDescription(const std::string& code, const std::string& text) {
    // The dialog's summary already reads "服务器返回的提示信息"; the description does not repeat
    // it, or every fault would show the heading twice.
    return std::string("=========================================") + "\r\n提示代码: " + code +
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
    // Servers write the text as <string> or untyped (an untyped value is a string).
    if (XmlNode value =
            doc.SelectNode(std::string(kFaultMember) + "[name=\"faultString\"]/value")) {
        XmlNode typed = value.FirstChild();
        if (typed.IsNull() || typed.Name() == "string") {
            text = XmlRpcValueText(value);
        }
    }
    messages.ShowText(kServerFault, 1, "服务器返回的提示信息", FaultDescription(code, text));
}

}  // namespace zirvo
