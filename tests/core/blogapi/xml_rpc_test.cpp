#include "core/blogapi/xml_rpc.h"

#include <gtest/gtest.h>

#include "blogapi_fixture.h"
#include "core/util/files.h"
#include "core/util/text_codec.h"

namespace zirvo::test {
namespace {

class RequestTemplatesTest : public BlogApiTest {};

TEST_F(RequestTemplatesTest, EveryTemplateCallsItsPublishedMethod) {
    const std::pair<const char*, const char*> table[] = {
        {"BLOGGER_newPost.xml", "blogger.newPost"},
        {"BLOGGER_editPost.xml", "blogger.editPost"},
        {"BLOGGER_deletePost.xml", "blogger.deletePost"},
        {"BLOGGER_getRecentPosts.xml", "blogger.getRecentPosts"},
        {"BLOGGER_getUsersBlogs.xml", "blogger.getUsersBlogs"},
        {"METAWEBLOG_newPost.xml", "metaWeblog.newPost"},
        {"METAWEBLOG_editPost.xml", "metaWeblog.editPost"},
        {"METAWEBLOG_getRecentPosts.xml", "metaWeblog.getRecentPosts"},
        {"METAWEBLOG_getCategories.xml", "metaWeblog.getCategories"},
        {"METAWEBLOG_getCategories2.xml", "metaWeblog.getSystemCategories"},
        {"METAWEBLOG_newMediaObject.xml", "metaWeblog.newMediaObject"},
        {"MOVABLETYPE_getCategoryList.xml", "mt.getCategoryList"},
    };
    CDataRoot root(m_root.Path());
    for (const auto& [file, method] : table) {
        CXmlDocument doc;
        ASSERT_TRUE(LoadRequestTemplate(root, file, doc, m_messages)) << file;
        EXPECT_EQ(doc.SelectNode("/methodCall/methodName").Text(), method) << file;
        std::string text;
        ReadFileBytes(m_root.PathOf(std::string("Data/Templates/") + file), text);
        EXPECT_TRUE(StartsWith(text, "<methodCall>")) << file << " must carry no declaration";
    }
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(RequestTemplatesTest, TemplateAddressesStayInsideTheLibrary) {
    CDataRoot root(m_root.Path());
    EXPECT_EQ(ResolveTemplateAddress(root, "res://Tembra.dll/BLOGGER_newPost.xml"),
              m_root.PathOf("Data/Templates/BLOGGER_newPost.xml"));
    EXPECT_EQ(ResolveTemplateAddress(root, "res://Tembra.dll/../ErrorMsg.xml"), "");
    EXPECT_EQ(ResolveTemplateAddress(root, "res://Tembra.dll/.."), "");
    EXPECT_EQ(ResolveTemplateAddress(root, "res://Other.dll/BLOGGER_newPost.xml"), "");
    CXmlDocument doc;
    EXPECT_FALSE(LoadRequestTemplate(root, "../ErrorMsg.xml", doc, m_messages));
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{2001});
}

CXmlDocument TitleRequest(const std::string& title) {
    CXmlDocument doc;
    doc.LoadMemory(
        "<methodCall><methodName>m</methodName><params><param><value><string/>"
        "</value></param></params></methodCall>");
    SetNodeText(doc, "/methodCall/params/param[0]/value/string", title);
    return doc;
}

TEST(RequestEncoding, TheDeclarationNamesTheAccountsEncodingWithoutALineBreak) {
    EXPECT_EQ(AddXmlDeclaration("<a/>", "GB2312"),
              "<?xml version=\"1.0\" encoding=\"GB2312\"?><a/>");
    std::string body = EncodeRequest(TitleRequest("a"), "UTF-8");
    EXPECT_EQ(body,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><methodCall><methodName>m</methodName>"
              "<params><param><value><string>a</string></value></param></params></methodCall>");
}

TEST(RequestEncoding, ValuesAreEscapedAndReadBackIntact) {
    const std::string title = "a < b && c > d ]]> \"q\" 's'";
    std::string body = EncodeRequest(TitleRequest(title), "UTF-8");
    CXmlDocument back;
    ASSERT_TRUE(back.LoadMemory(body));
    EXPECT_EQ(back.SelectNode("/methodCall/params/param[0]/value/string").Text(), title);
}

TEST(RequestEncoding, ChineseAndGreekTextTakeTheirUtf8OrGbBytes) {
    const std::string title = "中文αЖ";
    std::string utf8 = EncodeRequest(TitleRequest(title), "UTF-8");
    EXPECT_NE(utf8.find("\xE4\xB8\xAD\xE6\x96\x87\xCE\xB1\xD0\x96"), std::string::npos);
    std::string gb = EncodeRequest(TitleRequest(title), "GB2312");
    EXPECT_NE(gb.find(Utf8ToGb18030(title)), std::string::npos);
    EXPECT_EQ(Utf8ToGb18030("中"), "\xD6\xD0");
    CXmlDocument back;
    ASSERT_TRUE(back.LoadMemory(gb));
    EXPECT_EQ(back.SelectNode("/methodCall/params/param[0]/value/string").Text(), title);
}

TEST(AnswerDecoding, Utf8SpecialSpacesBecomePlainCharacters) {
    EXPECT_EQ(DecodeAnswer("<a>x\xC2\xA0y\xC2\xA6z</a>", "UTF-8"), "<a>x y|z</a>");
    EXPECT_EQ(DecodeAnswer("<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\xC2\xA0</a>", "GB2312"),
              "<a> </a>");
}

TEST(AnswerDecoding, GbAnswersBecomeUtf8WithoutTheirDeclaration) {
    std::string gb = Utf8ToGb18030("<a>中文</a>");
    EXPECT_EQ(DecodeAnswer("<?xml version='1.0' encoding='gb2312'?>\n" + gb, "UTF-8"),
              "<a>中文</a>");
    EXPECT_EQ(DecodeAnswer(gb, "GB2312"), "<a>中文</a>");
    // Valid UTF-8 without declaration stays UTF-8 even for a GB account.
    EXPECT_EQ(DecodeAnswer("<a>中文</a>", "GB2312"), "<a>中文</a>");
}

TEST(AnswerDecoding, BrokenBytesNeverBreakTheText) {
    std::string decoded = DecodeAnswer("<a>\xFF\xFE\x80</a>", "UTF-8");
    EXPECT_TRUE(StartsWith(decoded, "<a>"));
    CXmlDocument doc;
    EXPECT_TRUE(doc.LoadMemory(decoded));
}

class FaultDisplayTest : public ::testing::Test {
protected:
    ErrorMessage Show(const std::string& answer) {
        ShowFault(answer, m_messages);
        auto shown = m_reporter.ErrorMessages();
        return shown.empty() ? ErrorMessage{} : shown.back();
    }
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages{"/nonexistent/ErrorMsg.xml", m_reporter};
};

std::string Fault(const std::string& members) {
    return "<methodResponse><fault><value><struct>" + members +
           "</struct></value></fault></methodResponse>";
}

TEST_F(FaultDisplayTest, TheDescriptionCarriesTheServersCodeAndText) {
    ErrorMessage shown =
        Show(Fault("<member><name>faultCode</name><value><int>4</int></value></member>"
                   "<member><name>faultString</name><value><string>密码错误</string></value>"
                   "</member>"));
    EXPECT_EQ(shown.number, 4000);
    EXPECT_EQ(shown.pos, 1);
    EXPECT_EQ(shown.summary, "服务器返回的提示信息");
    // The heading is the summary's; the description does not repeat it.
    EXPECT_EQ(shown.description,
              "=========================================\r\n提示代码: "
              "4\r\n提示信息: 密码错误\r\n=========================================\r\n"
              "要了解更详细的信息请查询服务提供商");
}

TEST_F(FaultDisplayTest, AnUntypedFaultStringIsTheServersText) {
    ErrorMessage shown =
        Show(Fault("<member><name>faultCode</name><value><int>403</int></value></member>"
                   "<member><name>faultString</name><value>Incorrect username or password."
                   "</value></member>"));
    EXPECT_EQ(shown.description, FaultDescription("403", "Incorrect username or password."));
}

TEST_F(FaultDisplayTest, I4CodesAndMissingPartsAreShownAsFarAsTheyGo) {
    ErrorMessage i4 =
        Show(Fault("<member><name>faultCode</name><value><i4>17</i4></value></member>"));
    EXPECT_EQ(i4.description, FaultDescription("17", "无法识别的错误信息格式！"));
    ErrorMessage neither = Show("<methodResponse><params/></methodResponse>");
    EXPECT_EQ(neither.description,
              FaultDescription("无法识别的错误代码格式！", "无法识别的错误信息格式！"));
    ErrorMessage notXml = Show("<html><body>502 Bad Gateway");
    EXPECT_EQ(notXml.description, neither.description);
    ErrorMessage empty = Show("");
    EXPECT_EQ(empty.number, 4000);
}

}  // namespace
}  // namespace zirvo::test
