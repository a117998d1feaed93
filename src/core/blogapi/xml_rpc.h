#pragma once
// The XML-RPC plumbing shared by every blog flavour: request templates, the declaration and
// encoding of request bodies, the decoding of answers and the server-fault display.
//
// Request templates are complete `methodCall` documents without a declaration, one per remote
// method, addressed as "res://Tembra.dll/" + file name and kept as files under the data root's
// Data/Templates/ folder. A call only sets the text of nodes the template already has.
//
// Wire encoding: an account whose encoding names UTF-8 (any letter case or spacing) sends UTF-8
// under a "UTF-8" declaration. A GB2312 or GBK account sends GBK bytes under its own declaration,
// and a character GBK cannot hold (an emoji, a rare Han character) as a numeric character
// reference, so that every byte is one its declared code page has; any other name sends GB18030.
// Answers are read in the encoding they declare, else as UTF-8 when they are valid UTF-8, else
// in the account's; after decoding every answer is UTF-8 text without a declaration.
//
// Threading: pure functions, except that ShowFault and LoadRequestTemplate report through the
// message dialog on the calling thread.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/config/error_msg_dialog.h"
#include "core/util/data_root.h"
#include "core/util/xml_document.h"

namespace zirvo {

constexpr const char* kTemplateLibraryPrefix = "res://Tembra.dll/";

// The file behind a template address; empty for anything that is not a plain template name
// inside the library.
std::string ResolveTemplateAddress(const CDataRoot& root, const std::string& address);

// Loads "res://Tembra.dll/" + fileName into `doc`; message 2001 and false on failure.
bool LoadRequestTemplate(const CDataRoot& root, const std::string& fileName, CXmlDocument& doc,
                         CErrorMsgDialog& messages);

// Sets the text of the node at `path` (escaped on serialisation); false when it is missing.
bool SetNodeText(CXmlDocument& doc, const std::string& path, const std::string& value);

// "<?xml version=\"1.0\" encoding=\"" + encodeType + "\"?>" + text, without a line break.
std::string AddXmlDeclaration(const std::string& text, const std::string& encodeType);

// The request body's bytes for the wire (see the header comment).
std::string EncodeRequest(const CXmlDocument& doc, const std::string& encodeType);

// The answer's bytes as UTF-8 text without declaration (see the header comment).
std::string DecodeAnswer(const std::string& bytes, const std::string& encodeType);

// The description the fault dialog shows for a server's fault code and text.
std::string FaultDescription(const std::string& code, const std::string& text);

// Reads faultCode (int, then i4) and faultString from the answer and shows message 4000 with
// them; texts for an unrecognised format stand in for what is missing, also when the answer is
// not XML at all.
void ShowFault(const std::string& answer, CErrorMsgDialog& messages);

// Whether the answer carries a fault code; `allowI4` also accepts the i4 form.
bool HasFaultCode(const CXmlDocument& answer, bool allowI4);

// The scalar text of an XML-RPC <value>. Servers differ in how they type a value: a <value> with
// no type element is a string, and ids come as <string>, <int> or <i4>. This reads the text of
// the scalar type element (string, int, i4, boolean, double, dateTime.iso8601, base64) or the
// bare text of an untyped value; numbers are trimmed. Empty for a null node, a struct or an array.
std::string XmlRpcValueText(const XmlNode& value);

// An XML-RPC boolean as 1 or 0: "1", "0", "true", "false" (any case, blanks around). False for
// anything else.
bool ParseXmlRpcBoolean(const std::string& text, int& out);

// The members of one XML-RPC <struct>, looked up by name (exactly, as the protocol names them).
class CXmlRpcStruct {
public:
    explicit CXmlRpcStruct(const XmlNode& structNode);
    // The member's <value>; null when the struct has no such member.
    XmlNode Value(std::string_view name) const;
    // XmlRpcValueText of the member; empty when it is missing.
    std::string Text(std::string_view name) const;
    // The text of the first of `names` that is present and not blank; empty when none is.
    std::string FirstText(std::initializer_list<std::string_view> names) const;

private:
    std::vector<std::pair<std::string, XmlNode>> m_members;
};

// Whether an account's encoding name means UTF-8: "UTF-8" in any letter case, with or without
// the dash, blanks around or inside ignored ("utf-8", " UTF 8 ", "utf8").
bool IsUtf8EncodingName(const std::string& name);

}  // namespace zirvo
